#pragma once
#include "BookingRuns.h"
#include "Dataset.h"
#include "Forms.h"

#include <array>

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class TRadioGroup;

// "Alter Booking": the new booked-by user and reason of the sheet's
// selected bookings.
class Talterbookingfrm : public TFormBase {
    Q_OBJECT
public:
    explicit Talterbookingfrm(QWidget* parent = nullptr);

    QLabel* Label1;          // "Booked By:"
    QLineEdit* user;
    QPushButton* Button1;    // ">"
    QLabel* Label2;          // "For Reason:"
    QLineEdit* reason;
    QPushButton* okbtn;
    QPushButton* Button3;    // "Cancel"

    void UpdateOkEnabled();
    void userChange();
    void reasonChange();
    void Button1Click();
    void okbtnClick();
    void Button3Click();

protected:
    void showEvent(QShowEvent* event) override;
};

// "Move Selected Booking": the items free in every selected cell of the
// sheet, and the move of the selected bookings onto one of them.
class Tmovefrm : public TFormBase {
    Q_OBJECT
public:
    explicit Tmovefrm(QWidget* parent = nullptr);

    QLabel* Label1;
    QListWidget* possibleitems;
    QPushButton* Button1;    // "Move Booking"
    QPushButton* Button2;    // "Cancel"

    void FormShow();
    void FillPossibleItems();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

// "Cancel Mass Bookings": every booking of the main window's item that
// matches the criteria is deleted, whoever made it.
class Tcancelmassfrm : public TFormBase {
    Q_OBJECT
public:
    explicit Tcancelmassfrm(QWidget* parent = nullptr);

    QLabel* Label1;          // "For:"
    QLabel* itemname;
    QLabel* Label2;          // "From:"
    QDateEdit* fromdate;
    QLabel* Label3;          // "To:"
    QDateEdit* todate;
    TRadioGroup* matchuser;
    QLineEdit* bookedby;
    QPushButton* bookedbybtn;
    TRadioGroup* matchreason;
    QLineEdit* desc;
    TRadioGroup* matchtype;
    QGroupBox* GroupBox1;
    std::array<QCheckBox*, 12> periodBoxes{};   // p1 .. p12
    QPushButton* Button1;    // "Cancel Booking"
    QPushButton* Button2;    // "Close"
    QListWidget* selperlist;
    Dataset DelBookingQuery;

    QCheckBox* p(int n) const { return periodBoxes.at(n - 1); }

    void FormShow();
    void matchuserClick();
    void matchuserExit();
    void matchreasonClick();
    void matchreasonExit();
    void bookedbybtnClick();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;
};

Talterbookingfrm* AlterBookingForm();
Tmovefrm* MoveForm();
Tcancelmassfrm* CancelMassForm();
