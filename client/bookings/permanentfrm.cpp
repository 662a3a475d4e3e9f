#include "permanentfrm.h"

#include "Alerts.h"
#include "Bookings.h"
#include "BookingControls.h"
#include "Clock.h"
#include "Lookups.h"
#include "Pickers.h"
#include "periodselectorfrm.h"
#include "ProgramEnd.h"
#include "Session.h"
#include "SmallDialogs.h"
#include "mainfrm.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>

namespace M = BookingRunMessages;

bool CheckBookingInputs(const QString& bookedBy, bool haveItem, const QString& reason, const QDate& from,
                        const QDate& to)
{
    QString failed;
    if (FindUser(bookedBy) == -1)
        failed = BookingMessages::UnknownUser;
    else if (!haveItem)
        failed = M::NoItem;
    else if (reason.isEmpty())
        failed = M::NoDescription;
    else if (from < Clock::today())
        failed = M::PastFrom;
    else if (to < from)
        failed = M::UntilBeforeFrom;
    if (failed.isEmpty())
        return true;
    ShowAlert(failed);
    return false;
}

// ------------------------------------------------------------------ range

TBookingRangeForm::TBookingRangeForm(const QString& fromCaption, int listTop, QWidget* parent) : TFormBase(parent)
{
    setFixedSize(420, 620);
    DisplayCatergory = new QComboBox(this);
    DisplayCatergory->setObjectName(QStringLiteral("DisplayCatergory"));
    DisplayCatergory->setGeometry(8, listTop - 28, 200, 24);
    connect(DisplayCatergory, &QComboBox::activated, this, &TBookingRangeForm::DisplayCatergoryClick);
    DBitemlist = new QListWidget(this);
    DBitemlist->setObjectName(QStringLiteral("DBitemlist"));
    DBitemlist->setGeometry(8, listTop, 200, 236 - listTop - (listTop < 56 ? 30 : 0));
    DBitemlist->setSelectionMode(QAbstractItemView::SingleSelection);

    Label2 = MakeCaption(this, "Label2", QStringLiteral("Place under name of:"), 220, 8, 190);
    bookedby = MakeEdit(this, "bookedby", QRect(220, 28, 160, 24), 50);
    Button1 = MakeButton(this, "Button1", QStringLiteral(">"), QRect(384, 28, 28, 24));
    Label3 = MakeCaption(this, "Label3", fromCaption, 220, 60, 190);
    fromdate = MakeDatePicker(this, "fromdate", false, QRect(220, 80, 192, 24));
    Label4 = MakeCaption(this, "Label4", QStringLiteral("Until:"), 220, 112, 190);
    todate = MakeDatePicker(this, "todate", false, QRect(220, 132, 192, 24));
    Label6 = MakeCaption(this, "Label6", QStringLiteral("Booking Description:"), 220, 164, 190);
    desc = MakeEdit(this, "desc", QRect(220, 184, 192, 24), 150);
    Label5 = MakeCaption(this, "Label5", QStringLiteral("Select Periods:"), 8, 244, 200);
    connect(Button1, &QPushButton::clicked, this, &TBookingRangeForm::Button1Click);
}

void TBookingRangeForm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    CentreOver(this, MainWindow());
    FormShow();
}

void TBookingRangeForm::FormShow()
{
    // The category the main window has chosen; with no category at all the
    // list stays empty.
    ShowMainCategories(DisplayCatergory);
    DisplayCatergoryClick();
    bookedby->setText(CurrentUser);
    fromdate->setDate(Clock::today());
    todate->setDate(Clock::today().addDays(30));
    desc->clear();
    EmbedPeriodSelector(this, Label5);
}

void TBookingRangeForm::DisplayCatergoryClick() { FillItemList(*DBitemlist, DisplayCatergory->currentText()); }

void TBookingRangeForm::Button1Click() { PickUserInto(bookedby); }

QString TBookingRangeForm::chosenItem() const
{
    const QList<QListWidgetItem*> chosen = DBitemlist->selectedItems();
    return chosen.isEmpty() ? QString() : chosen.first()->text();
}

// ------------------------------------------------------------------ permanent

Tcreatepermanentbookingfrm::Tcreatepermanentbookingfrm(QWidget* parent)
    : TBookingRangeForm(QStringLiteral("Effective from:"), 56, parent)
{
    setObjectName(QStringLiteral("createpermanentbookingfrm"));
    setWindowTitle(QStringLiteral("Create Permanent Booking"));
    Label1 = MakeCaption(this, "Label1", QStringLiteral("Choose your item:"), 8, 8, 200);
    Continuebtn = MakeButton(this, "Continuebtn", QStringLiteral("Continue"), QRect(220, 580, 92, 28));
    Continuebtn->setDefault(true);
    Button2 = MakeButton(this, "Button2", QStringLiteral("Cancel"), QRect(320, 580, 92, 28));
    connect(Continuebtn, &QPushButton::clicked, this, &Tcreatepermanentbookingfrm::ContinuebtnClick);
    connect(Button2, &QPushButton::clicked, this, &Tcreatepermanentbookingfrm::Button2Click);
}

void Tcreatepermanentbookingfrm::ContinuebtnClick()
{
    const QString item = chosenItem();
    if (!CheckBookingInputs(bookedby->text(), !item.isEmpty(), desc->text(), fromdate->date(), todate->date()))
        return;
    if (ChosenPeriodCount() == 0) {
        ShowAlert(M::NoPeriods);
        return;
    }
    const bool yes = AskQuestion(M::OverwriteQuestion);
    if (ProgramEnding || !yes)
        return;
    if (Tmainfrm* w = MainForm())
        PermanentBookingRun(*w, item, bookedby->text(), desc->text(), fromdate->date(), todate->date(),
                            ChosenPeriods());
}

void Tcreatepermanentbookingfrm::Button2Click() { done(mrCancel); }

// ------------------------------------------------------------------ replicate

Treplicatefrm::Treplicatefrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("replicatefrm"));
    setWindowTitle(QStringLiteral("Replicate Booking Sheet"));
    setFixedSize(380, 240);

    Label3 = new QLabel(QStringLiteral("This will copy this weeks sheet over to the following weeks. It will overwrite "
                                       "any existing bookings in those upcoming weeks. A report will be generated."),
                        this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setWordWrap(true);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label3->setGeometry(8, 8, 364, 54);
    Label4 = MakeCaption(this, "Label4", QStringLiteral("Replicate:"), 8, 70, 76);
    repitem = MakeCaption(this, "repitem", QString(), 88, 70, 284);
    repitem->setTextFormat(Qt::PlainText);
    Label1 = MakeCaption(this, "Label1", QStringLiteral("From:"), 8, 102, 76);
    fromdate = MakeDatePicker(this, "fromdate", true, QRect(88, 98, 284, 24));
    Label2 = MakeCaption(this, "Label2", QStringLiteral("Until:"), 8, 134, 76);
    todate = MakeDatePicker(this, "todate", true, QRect(88, 130, 284, 24));
    RepEmpty = new QCheckBox(QStringLiteral("Replicate empty bookings as well."), this);
    RepEmpty->setObjectName(QStringLiteral("RepEmpty"));
    RepEmpty->setGeometry(8, 164, 364, 22);
    RepEmpty->setChecked(true);
    Button1 = MakeButton(this, "Button1", QStringLiteral("Continue"), QRect(192, 200, 86, 28));
    Button2 = MakeButton(this, "Button2", QStringLiteral("Cancel"), QRect(286, 200, 86, 28));
    connect(Button1, &QPushButton::clicked, this, &Treplicatefrm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Treplicatefrm::Button2Click);
}

void Treplicatefrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    CentreOver(this, MainWindow());
    FormShow();
}

void Treplicatefrm::FormShow()
{
    Tmainfrm* w = MainForm();
    fromdate->setDate(w ? w->SelectDate->selectedDate() : Clock::today());
    todate->setDate(fromdate->date().addDays(28));
    repitem->setText(w ? w->SelectedItem() : QString());
}

void Treplicatefrm::Button1Click()
{
    Tmainfrm* w = MainForm();
    if (!w || repitem->text().isEmpty()) {
        ShowAlert(MainMessages::NoItems);
        return;
    }
    if (ReplicationRun(*w, repitem->text(), fromdate->date(), todate->date(), RepEmpty->isChecked())
        && !ProgramEnding)
        done(mrOk);
}

void Treplicatefrm::Button2Click() { done(mrCancel); }

Tcreatepermanentbookingfrm* CreatePermanentBookingForm() { return SharedForm<Tcreatepermanentbookingfrm>(); }
Treplicatefrm* ReplicateForm() { return SharedForm<Treplicatefrm>(); }
