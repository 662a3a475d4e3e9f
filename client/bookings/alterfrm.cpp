#include "alterfrm.h"

#include "Alerts.h"
#include "BookingControls.h"
#include "Bookings.h"
#include "CoolGrid.h"
#include "DataModule.h"
#include "Lookups.h"
#include "Pickers.h"
#include "ProgramEnd.h"
#include "RadioGroup.h"
#include "Session.h"
#include "SmallDialogs.h"
#include "StatusWindows.h"
#include "mainfrm.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

namespace M = BookingRunMessages;

// ------------------------------------------------------------------ alter

Talterbookingfrm::Talterbookingfrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("alterbookingfrm"));
    setWindowTitle(QStringLiteral("Alter Booking"));
    setFixedSize(340, 128);

    Label1 = MakeCaption(this, "Label1", QStringLiteral("Booked By:"), 8, 14, 84);
    user = MakeEdit(this, "user", QRect(96, 10, 200, 24), 50);
    Button1 = MakeButton(this, "Button1", QStringLiteral(">"), QRect(302, 10, 30, 24));
    Label2 = MakeCaption(this, "Label2", QStringLiteral("For Reason:"), 8, 48, 84);
    reason = MakeEdit(this, "reason", QRect(96, 44, 236, 24), 150);
    okbtn = MakeButton(this, "okbtn", QStringLiteral("OK"), QRect(160, 88, 82, 28));
    okbtn->setDefault(true);
    Button3 = MakeButton(this, "Button3", QStringLiteral("Cancel"), QRect(250, 88, 82, 28));
    connect(user, &QLineEdit::textChanged, this, &Talterbookingfrm::userChange);
    connect(reason, &QLineEdit::textChanged, this, &Talterbookingfrm::reasonChange);
    connect(Button1, &QPushButton::clicked, this, &Talterbookingfrm::Button1Click);
    connect(okbtn, &QPushButton::clicked, this, &Talterbookingfrm::okbtnClick);
    connect(Button3, &QPushButton::clicked, this, &Talterbookingfrm::Button3Click);
    UpdateOkEnabled();
}

void Talterbookingfrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    CentreOver(this, MainWindow());
}

void Talterbookingfrm::UpdateOkEnabled() { okbtn->setEnabled(!user->text().isEmpty() && !reason->text().isEmpty()); }

void Talterbookingfrm::userChange() { UpdateOkEnabled(); }

void Talterbookingfrm::reasonChange() { UpdateOkEnabled(); }

void Talterbookingfrm::Button1Click() { PickUserInto(user); }

void Talterbookingfrm::okbtnClick()
{
    if (FindUser(user->text()) == -1) {
        ShowAlert(BookingMessages::UnknownUser);
        return;
    }
    done(mrOk);
}

void Talterbookingfrm::Button3Click() { done(mrCancel); }

void Tmainfrm::AlterSelection()
{
    QString item;
    int left, top, right, bottom;
    if (!selectionToWorkOn(item, left, top, right, bottom))
        return;
    const SheetSlot first = CellToSlot(left, top);
    QString by, reason;
    QDateTime onDate, onTime;
    int index = 0;
    bool permanent = false;
    if (!GetBookingInfo(item, first.period, first.date, by, reason, onDate, onTime, index, permanent))
        return;
    Talterbookingfrm* form = AlterBookingForm();
    form->user->setText(by);
    form->reason->setText(reason);
    if (form->showModal() != mrOk || ProgramEnding)
        return;
    const QString newBy = form->user->text();
    const QString newReason = form->reason->text();
    bool failed = false;
    {
        MainRun run(*this, QStringLiteral("Altering Booking"), (right - left + 1) * (bottom - top + 1));
        for (int c = left; c <= right && !ProgramEnding; ++c) {
            for (int r = top; r <= bottom && !ProgramEnding; ++r) {
                const SheetSlot slot = CellToSlot(c, r);
                // A file held by another program leaves the rest alone.
                bool booked = false;
                run.attempt([&] { booked = FindBooking(item, slot.period, slot.date) == 1; });
                bool altered = !booked;
                if (booked)
                    run.attempt([&] { altered = AlterBooking(item, slot.period, newBy, newReason, slot.date); });
                if (!altered || run.lockedOut())
                    failed = true;
                StatusStep();
            }
        }
        if (!ProgramEnding)
            refreshAfterRun(run.lockedOut());
    }
    if (failed && !ProgramEnding)
        ShowAlert(M::CannotAlter);
}

// ------------------------------------------------------------------ move

Tmovefrm::Tmovefrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("movefrm"));
    setWindowTitle(QStringLiteral("Move Selected Booking"));
    setMinimumSize(220, 200);
    resize(300, 330);
    Label1 = new QLabel(
        QStringLiteral("The selected bookings can be moved to the following items. Please select one:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    possibleitems = new QListWidget(this);
    possibleitems->setObjectName(QStringLiteral("possibleitems"));
    possibleitems->setSelectionMode(QAbstractItemView::SingleSelection);
    Button1 = MakeButton(this, "Button1", QStringLiteral("Move Booking"), QRect());
    Button1->setDefault(true);
    Button2 = MakeButton(this, "Button2", QStringLiteral("Cancel"), QRect());
    connect(Button1, &QPushButton::clicked, this, &Tmovefrm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tmovefrm::Button2Click);
}

void Tmovefrm::resizeEvent(QResizeEvent* event)
{
    TFormBase::resizeEvent(event);
    const int w = width() - 16;
    const int buttonsTop = height() - 36;
    Label1->setGeometry(8, 8, w, 40);
    possibleitems->setGeometry(8, 52, w, buttonsTop - 60);
    Button2->setGeometry(width() - 8 - 100, buttonsTop, 100, 28);
    Button1->setGeometry(width() - 16 - 200, buttonsTop, 100, 28);
}

void Tmovefrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    CentreOver(this, MainWindow());
    FormShow();
}

void Tmovefrm::FormShow() { FillPossibleItems(); }

void Tmovefrm::FillPossibleItems()
{
    possibleitems->clear();
    Tmainfrm* w = MainForm();
    if (!w)
        return;
    for (int i = 0; i < w->DBitemlist->count(); ++i)
        possibleitems->addItem(w->DBitemlist->item(i)->text());
    const GridRect s = w->Sheet->selection();
    ReadTransaction reads(DM().ADOConnection);
    for (int c = s.left; c <= s.right; ++c) {
        for (int r = s.top; r <= s.bottom; ++r) {
            const SheetSlot slot = w->CellToSlot(c, r);
            for (int i = possibleitems->count() - 1; i >= 0; --i)
                if (FindBooking(possibleitems->item(i)->text(), slot.period, slot.date) == 1)
                    delete possibleitems->takeItem(i);
        }
    }
}

void Tmovefrm::Button1Click()
{
    const QList<QListWidgetItem*> chosen = possibleitems->selectedItems();
    if (chosen.isEmpty()) {
        ShowAlert(M::SelectOne);
        return;
    }
    Tmainfrm* w = MainForm();
    QString oldItem;
    int left, top, right, bottom;
    if (!w || !w->selectionToWorkOn(oldItem, left, top, right, bottom))
        return;
    MoveSelection(*w, oldItem, chosen.first()->text(), left, top, right, bottom);
}

void Tmovefrm::Button2Click() { done(mrCancel); }

// ------------------------------------------------------------------ mass cancel

Tcancelmassfrm::Tcancelmassfrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("cancelmassfrm"));
    setWindowTitle(QStringLiteral("Cancel Mass Bookings"));
    setFixedSize(470, 420);

    Label1 = MakeCaption(this, "Label1", QStringLiteral("For:"), 8, 10, 50);
    itemname = MakeCaption(this, "itemname", QString(), 60, 10, 400);
    itemname->setTextFormat(Qt::PlainText);
    Label2 = MakeCaption(this, "Label2", QStringLiteral("From:"), 8, 40, 50);
    fromdate = MakeDatePicker(this, "fromdate", true, QRect(60, 36, 250, 24));
    Label3 = MakeCaption(this, "Label3", QStringLiteral("To:"), 8, 70, 50);
    todate = MakeDatePicker(this, "todate", true, QRect(60, 66, 250, 24));

    matchuser = new TRadioGroup(this);
    matchuser->setObjectName(QStringLiteral("matchuser"));
    matchuser->setTitle(QStringLiteral("Matching User"));
    matchuser->setItems({QStringLiteral("Any User"), QStringLiteral("This User")});
    matchuser->setGeometry(8, 100, 222, 70);
    bookedby = MakeEdit(this, "bookedby", QRect(8, 174, 186, 24), 50);
    bookedbybtn = MakeButton(this, "bookedbybtn", QStringLiteral(">"), QRect(198, 174, 32, 24));

    matchreason = new TRadioGroup(this);
    matchreason->setObjectName(QStringLiteral("matchreason"));
    matchreason->setTitle(QStringLiteral("Matching Reason"));
    matchreason->setItems({QStringLiteral("Any Reason"), QStringLiteral("Like this Reason")});
    matchreason->setGeometry(240, 100, 222, 70);
    desc = MakeEdit(this, "desc", QRect(240, 174, 222, 24), 150);

    matchtype = new TRadioGroup(this);
    matchtype->setObjectName(QStringLiteral("matchtype"));
    matchtype->setTitle(QStringLiteral("Matching Bookings of type"));
    matchtype->setItems({QStringLiteral("Any Type"), QStringLiteral("Normal Only"), QStringLiteral("Permanent Only")});
    matchtype->setGeometry(8, 208, 222, 96);
    matchtype->setItemIndex(0);

    GroupBox1 = new QGroupBox(QStringLiteral("Matching Periods"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(240, 208, 222, 164);
    for (int n = 1; n <= 12; ++n) {
        auto* box = new QCheckBox(GroupBox1);
        box->setObjectName(QStringLiteral("p%1").arg(n));
        box->setGeometry(n <= 6 ? 10 : 116, 22 + ((n - 1) % 6) * 23, 100, 20);
        periodBoxes[n - 1] = box;
    }

    Button1 = MakeButton(this, "Button1", QStringLiteral("Cancel Booking"), QRect(240, 382, 114, 28));
    Button1->setDefault(true);
    Button2 = MakeButton(this, "Button2", QStringLiteral("Close"), QRect(362, 382, 100, 28));
    selperlist = new QListWidget(this);
    selperlist->setObjectName(QStringLiteral("selperlist"));
    selperlist->hide();
    DelBookingQuery.setObjectName(QStringLiteral("DelBookingQuery"));

    connect(matchuser, &TRadioGroup::itemIndexChanged, this, &Tcancelmassfrm::matchuserClick);
    connect(matchreason, &TRadioGroup::itemIndexChanged, this, &Tcancelmassfrm::matchreasonClick);
    connect(matchtype, &TRadioGroup::itemIndexChanged, this, &Tcancelmassfrm::matchreasonClick);
    connect(bookedbybtn, &QPushButton::clicked, this, &Tcancelmassfrm::bookedbybtnClick);
    connect(Button1, &QPushButton::clicked, this, &Tcancelmassfrm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tcancelmassfrm::Button2Click);
}

void Tcancelmassfrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    CentreOver(this, MainWindow());
    FormShow();
}

void Tcancelmassfrm::FormShow()
{
    Tmainfrm* w = MainForm();
    itemname->setText(w ? w->SelectedItem() : QString());
    const QDate monday = MondayOf(w ? w->SelectDate->selectedDate() : QDate::currentDate());
    fromdate->setDate(monday);
    todate->setDate(monday.addDays(5));
    matchuser->setItemIndex(0);
    matchreason->setItemIndex(0);
    matchuserClick();
    matchreasonClick();
    const int periods = HighestPeriodOrder();
    for (int n = 1; n <= 12; ++n) {
        p(n)->setChecked(true);
        p(n)->setVisible(periods >= n);
        p(n)->setText(PeriodNameAt(n));
    }
    bookedby->clear();
    desc->clear();
}

void Tcancelmassfrm::matchuserClick()
{
    const bool thisUser = matchuser->itemIndex() == 1;
    bookedby->setEnabled(thisUser);
    bookedbybtn->setEnabled(thisUser);
}

void Tcancelmassfrm::matchuserExit() { matchuserClick(); }

void Tcancelmassfrm::matchreasonClick() { desc->setEnabled(matchreason->itemIndex() == 1); }

void Tcancelmassfrm::matchreasonExit() { matchreasonClick(); }

void Tcancelmassfrm::bookedbybtnClick() { PickUserInto(bookedby); }

void Tcancelmassfrm::Button1Click()
{
    const bool thisUser = matchuser->itemIndex() == 1;
    const bool likeReason = matchreason->itemIndex() == 1;
    // Every check runs and shows its message.
    bool failed = false;
    auto refuse = [&failed](const QString& message) {
        failed = true;
        ShowAlert(message);
    };
    if (todate->date() < fromdate->date())
        refuse(M::UntilBeforeFrom);
    if (thisUser && bookedby->text().isEmpty())
        refuse(BookingMessages::UnknownUser);
    if (likeReason && desc->text().isEmpty())
        refuse(M::NoDescription);
    if (std::none_of(periodBoxes.begin(), periodBoxes.end(), [](const QCheckBox* b) { return b->isChecked(); }))
        refuse(M::NoPeriods);
    Tmainfrm* w = MainForm();
    if (failed || ProgramEnding || !w)
        return;

    // Only the named periods of the day count: a hidden box, or an order
    // with no period, matches nothing.
    selperlist->clear();
    const int periods = HighestPeriodOrder();
    for (int n = 1; n <= 12 && n <= periods; ++n) {
        const QString name = PeriodNameAt(n);
        if (p(n)->isChecked() && !name.isEmpty() && name != QStringLiteral("[NONE]"))
            selperlist->addItem(name);
    }
    MassCancelCriteria c;
    c.item = itemname->text();
    c.from = fromdate->date();
    c.to = todate->date();
    c.thisUser = thisUser;
    c.user = bookedby->text();
    c.likeReason = likeReason;
    c.reason = desc->text();
    c.type = matchtype->itemIndex() < 0 ? MassCancelCriteria::AnyType : matchtype->itemIndex();
    for (int i = 0; i < selperlist->count(); ++i)
        c.periods << selperlist->item(i)->text();
    DelBookingQuery.setDatabase(&DM().ADOConnection);
    MassCancelRun(*w, DelBookingQuery, c);
}

void Tcancelmassfrm::Button2Click() { done(mrCancel); }

Talterbookingfrm* AlterBookingForm() { return SharedForm<Talterbookingfrm>(); }
Tmovefrm* MoveForm() { return SharedForm<Tmovefrm>(); }
Tcancelmassfrm* CancelMassForm() { return SharedForm<Tcancelmassfrm>(); }
