#pragma once
#include "Forms.h"

#include <QDate>
#include <QString>

class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

namespace PrintListMessages {
inline const QString Caption = QStringLiteral("Print a List of Bookings by User");
inline const QString UnknownUser = QStringLiteral("Unknown User - Make sure you typed the username");
inline const QString DatesReversed = QStringLiteral(
    "You cannot have an until date that occurs before a from date.");
} // namespace PrintListMessages

// Lists one user's bookings between two dates (both included) in the
// logged-on user's report and shows it; the dialog closes after the viewer.
class Tprintlistbookingsfrm : public TFormBase {
    Q_OBJECT
public:
    explicit Tprintlistbookingsfrm(QWidget* parent = nullptr);

    QLabel* foruserLabel;
    QLineEdit* foruser;
    QPushButton* Button1;   // ">": pick a user
    QLabel* fromdateLabel;
    QDateEdit* fromdate;
    QLabel* todateLabel;
    QDateEdit* todate;
    QPushButton* Button2;   // "Continue"
    QPushButton* Button3;   // "Cancel"

    // The day the dates start from when the dialog shows (the main
    // window's calendar date).
    void setStartDate(const QDate& date) { m_startDate = date; }

    void FormShow();
    void Button1Click();
    void Button2Click();
    void Button3Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QDate m_startDate;
};

Tprintlistbookingsfrm* PrintListBookingsForm();

// Shows the list dialog with its dates starting at startDate.
int ShowPrintListBookings(const QDate& startDate);
