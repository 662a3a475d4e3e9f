#pragma once
#include "permanentfrm.h"

// "Find spare booking": the criteria of the vacancy search, and the search.
class TFindBookingFrm : public TBookingRangeForm {
    Q_OBJECT
public:
    explicit TFindBookingFrm(QWidget* parent = nullptr);

    QCheckBox* searchcat;
    QPushButton* Button2;    // "Continue"
    QPushButton* Button3;    // "Cancel"

    void Button2Click();
    void Button3Click();
};

// "Search Results": every free slot found, one line each with a tick box;
// the ticked ones are placed.
class TSearchResultsFrm : public TFormBase {
    Q_OBJECT
public:
    explicit TSearchResultsFrm(QWidget* parent = nullptr);

    QLabel* Label1;
    QListWidget* results;
    QPushButton* Button1;   // "Select All Items"
    QPushButton* Button2;   // "Select None"
    QPushButton* Button3;   // "Place Bookings"
    QPushButton* Button4;   // "Cancel"

    // Fills the list, every line unticked, with what the bookings will be
    // placed for.
    void setResults(const QList<FreeSlot>& found, const QString& bookedFor, const QString& reason);
    // The lines with their tick states.
    QList<FreeSlot> lines() const;

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void tickAll(bool ticked);
    QString m_bookedFor;
    QString m_reason;
};

TFindBookingFrm* FindBookingForm();
TSearchResultsFrm* SearchResultsForm();
