#pragma once
#include "BookingRuns.h"
#include "Forms.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// What the permanent booking and the vacancy search both ask for: a
// category and its items, the user the bookings are for, a range of dates,
// the reason, and the periods ticked per weekday in the period grid placed
// below "Select Periods:".
class TBookingRangeForm : public TFormBase {
    Q_OBJECT
public:
    QComboBox* DisplayCatergory;
    QListWidget* DBitemlist;
    QLabel* Label2;            // "Place under name of:"
    QLineEdit* bookedby;
    QPushButton* Button1;      // ">"
    QLabel* Label3;            // the from date's caption
    QDateEdit* fromdate;
    QLabel* Label4;            // "Until:"
    QDateEdit* todate;
    QLabel* Label6;            // "Booking Description:"
    QLineEdit* desc;
    QLabel* Label5;            // "Select Periods:"

    void FormShow();
    void DisplayCatergoryClick();
    void Button1Click();

    // The item chosen in the list ("" when none is selected).
    QString chosenItem() const;

protected:
    TBookingRangeForm(const QString& fromCaption, int listTop, QWidget* parent);
    void showEvent(QShowEvent* event) override;
};

// "Create Permanent Booking": one item booked as permanent bookings, in one
// user's name and for one reason, on the periods ticked per weekday, on every
// Monday to Friday of a range of dates.
class Tcreatepermanentbookingfrm : public TBookingRangeForm {
    Q_OBJECT
public:
    explicit Tcreatepermanentbookingfrm(QWidget* parent = nullptr);

    QLabel* Label1;            // "Choose your item:"
    QPushButton* Continuebtn;
    QPushButton* Button2;      // "Cancel"

    void ContinuebtnClick();
    void Button2Click();
};

// "Replicate Booking Sheet": the item's bookings copied forward a week at a
// time, day after day through a range of dates.
class Treplicatefrm : public TFormBase {
    Q_OBJECT
public:
    explicit Treplicatefrm(QWidget* parent = nullptr);

    QLabel* Label3;      // the explanation
    QLabel* Label4;      // "Replicate:"
    QLabel* repitem;     // the item
    QLabel* Label1;      // "From:"
    QDateEdit* fromdate;
    QLabel* Label2;      // "Until:"
    QDateEdit* todate;
    QCheckBox* RepEmpty;
    QPushButton* Button1;   // "Continue"
    QPushButton* Button2;   // "Cancel"

    void FormShow();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;
};

Tcreatepermanentbookingfrm* CreatePermanentBookingForm();
Treplicatefrm* ReplicateForm();

// The checks shared by the permanent booking and the vacancy search, in
// their order; the first that fails is shown and false answered.
bool CheckBookingInputs(const QString& bookedBy, bool haveItem, const QString& reason, const QDate& from,
                        const QDate& to);
