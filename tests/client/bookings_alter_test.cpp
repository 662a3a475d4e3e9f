// Altering, moving and mass-cancelling bookings, and the entries that open
// nothing without an item.
#include "BookingsFixture.h"

#include "RadioGroup.h"
#include "TestSupport.h"
#include "alterfrm.h"

#include <QAction>
#include <QElapsedTimer>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QToolButton>

namespace {

class Alter : public BookingsFixture {
protected:
    // The sheet shows the week after the frozen today's.
    void SetUp() override
    {
        BookingsFixture::SetUp();
        if (HasFailure())
            return;
        win->SelectDate->setSelectedDate(week.addDays(2));
        win->SelectDateClick();
    }
    const QDate week{2026, 3, 9};
    void TearDown() override
    {
        MoveForm()->hide();
        CancelMassForm()->hide();
        BookingsFixture::TearDown();
    }
    // The sheet of an item, in the shown week (Monday 2 March).
    void show(const QString& item)
    {
        win->DBitemlist->setCurrentItem(win->DBitemlist->findItems(item, Qt::MatchExactly).first());
    }
};

TEST_F(Alter, OkIsEnabledExactlyWithBothEditsFilled)
{
    Talterbookingfrm* f = AlterBookingForm();
    f->user->setText(QStringLiteral("ANN"));
    f->reason->setText(QString());
    EXPECT_FALSE(f->okbtn->isEnabled());
    f->reason->setText(QStringLiteral("r"));
    EXPECT_TRUE(f->okbtn->isEnabled());
    f->user->clear();
    EXPECT_FALSE(f->okbtn->isEnabled());
    EXPECT_EQ(f->reason->maxLength(), 150);

    f->show();
    f->user->setText(QStringLiteral("NOBODY"));
    f->okbtn->click();
    EXPECT_EQ(ui->alerts, QStringList(QStringLiteral("Unknown User - Make sure you typed the username")));
    EXPECT_TRUE(f->isVisible());
    f->user->setText(QStringLiteral("ann"));
    f->okbtn->click();
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(f->result(), mrOk);
}

TEST_F(Alter, AlterChangesEveryBookedCellAndSkipsEmptyOnes)
{
    addBooking(QStringLiteral("laptop"), week, QStringLiteral("1"), QStringLiteral("ANN"), QStringLiteral("art"));
    addBooking(QStringLiteral("laptop"), week.addDays(1), QStringLiteral("1"), QStringLiteral("BOSS"));
    addBooking(QStringLiteral("laptop"), week.addDays(1), QStringLiteral("2"), QStringLiteral("BOB"));
    win->RefreshSheet();

    // An empty top-left cell: nothing at all, even with booked cells.
    select(1, 2, 2, 2);
    win->AlterSelection();
    EXPECT_TRUE(ui->shown.isEmpty());

    ui->answer([](QDialog& d) {
        auto& f = static_cast<Talterbookingfrm&>(d);
        EXPECT_EQ(f.user->text(), QStringLiteral("ANN"));
        EXPECT_EQ(f.reason->text(), QStringLiteral("art"));
        EXPECT_TRUE(f.okbtn->isEnabled());
        f.user->setText(QStringLiteral("BOB"));
        f.reason->setText(QStringLiteral("drama"));
        return mrOk;
    });
    select(1, 1, 2, 3);
    win->ToolButton2->click();
    EXPECT_EQ(rows(), (QStringList{"2026-03-09 1 laptop BOB drama 0", "2026-03-10 1 laptop BOSS lesson 0",
                                   "2026-03-10 2 laptop BOB drama 0"}));
    EXPECT_EQ(ui->alerts, QStringList(QStringLiteral("Cannot alter all bookings selected")));
    EXPECT_EQ(cell(1, 1), QStringLiteral("BOB\rdrama"));
    EXPECT_FALSE(StatusForm()->isVisible());
}

TEST_F(Alter, MoveListsFreeItemsAndMovesEachCellWhole)
{
    db().exec(QStringLiteral("UPDATE Users SET canModifyBookings = 0 WHERE username = 'BOB'"));
    addItem(QStringLiteral("VAULT"), 50);   // above BOB's level
    win->DisplayCatergoryClick();
    show(QStringLiteral("laptop"));
    addBooking(QStringLiteral("laptop"), week, QStringLiteral("1"), QStringLiteral("ANN"), QStringLiteral("art"));
    addBooking(QStringLiteral("laptop"), week, QStringLiteral("3"), QStringLiteral("BOSS"), QStringLiteral("exam"));
    addBooking(QStringLiteral("PROJECTOR"), week, QStringLiteral("2"), QStringLiteral("ANN"));
    db().exec(QStringLiteral("UPDATE bookings SET isPermanent = 1 WHERE BookedBy = 'ANN' AND ItemBooked = 'laptop'"));
    win->RefreshSheet();
    select(1, 1, 1, 3);

    Tmovefrm* f = MoveForm();
    f->show();
    QStringList offered;
    for (int i = 0; i < f->possibleitems->count(); ++i)
        offered << f->possibleitems->item(i)->text();
    EXPECT_EQ(offered, (QStringList{"SCREEN", "VAULT"}));

    f->Button1->click();
    EXPECT_EQ(ui->alerts, QStringList(QStringLiteral("You must select one item to continue")));

    // Onto VAULT every placement is refused: nothing moves.
    ui->alerts.clear();
    f->possibleitems->setCurrentRow(1);
    f->Button1->click();
    EXPECT_EQ(bookings(QStringLiteral("ItemBooked = 'VAULT'")), 0);
    EXPECT_EQ(bookings(QStringLiteral("ItemBooked = 'laptop'")), 2);
    EXPECT_EQ(ui->alerts, QStringList(QStringLiteral("Cannot move all bookings selected")));

    // Onto SCREEN: ANN's booking moves whole; BOSS's, which BOB may not
    // delete, stays on the laptop only.
    ui->alerts.clear();
    Clock::freeze(QDateTime(QDate(2026, 3, 4), QTime(10, 15)));
    f->possibleitems->setCurrentRow(0);
    f->Button1->click();
    EXPECT_EQ(rows(QStringLiteral("ItemBooked <> 'PROJECTOR'")),
              (QStringList{"2026-03-09 1 SCREEN ANN art 1", "2026-03-09 3 laptop BOSS exam 0"}));
    EXPECT_EQ(bookings(QStringLiteral("ItemBooked = 'SCREEN' AND BookedOnTime = '10:15:00'")), 1);
    EXPECT_EQ(ui->alerts, QStringList(QStringLiteral("Cannot move all bookings selected")));
    EXPECT_TRUE(f->isVisible());   // the dialog stays open
    EXPECT_TRUE(cell(1, 1).isEmpty());
}

TEST_F(Alter, AMoveOntoASlotBookedMeanwhileIsUndone)
{
    show(QStringLiteral("laptop"));
    addBooking(QStringLiteral("laptop"), week, QStringLiteral("1"), QStringLiteral("ANN"));
    win->RefreshSheet();
    select(1, 1, 1, 1);
    // Another client booked SCREEN after the list was filled.
    addBooking(QStringLiteral("SCREEN"), week, QStringLiteral("1"), QStringLiteral("BOB"), QStringLiteral("mine"));
    EXPECT_EQ(MoveSelection(*win, QStringLiteral("laptop"), QStringLiteral("SCREEN"), 1, 1, 1, 1), 1);
    EXPECT_EQ(rows(), (QStringList{"2026-03-09 1 laptop ANN lesson 0", "2026-03-09 1 SCREEN BOB mine 0"}));
    EXPECT_EQ(ui->alerts, QStringList(QStringLiteral("Cannot move all bookings selected")));
}

TEST_F(Alter, APeriodSaveBetweenTwoCellsOfAMoveIsSeenAndWhatStaysBehindIsSaid)
{
    // Another client's change, before the sheet is drawn (before), after it
    // (drawn), or when the move's second cell begins (between). The sheet
    // shows "one" in row 1 and "two" in row 2.
    struct Case {
        const char* before;
        const char* drawn;
        const char* between;
        int bottom;   // the move covers rows 1..bottom
        QStringList after;
        int notMoved;
    };
    const char* swap = "UPDATE periods SET \"order\" = 3 - \"order\" WHERE \"order\" IN (1, 2)";
    const char* dropOne = "DELETE FROM bookings WHERE forReason = 'one'";
    // Periods 1 and 2 exchange their names, their bookings carried along.
    const char* nameSwap = "UPDATE periods SET period = 'T' WHERE period = '1';\n"
                           "UPDATE periods SET period = '1' WHERE period = '2';\n"
                           "UPDATE periods SET period = '2' WHERE period = 'T';\n"
                           "UPDATE bookings SET Period = 'T' WHERE Period = '1';\n"
                           "UPDATE bookings SET Period = '1' WHERE Period = '2';\n"
                           "UPDATE bookings SET Period = '2' WHERE Period = 'T'";
    const Case cases[] = {
        // Periods 1 and 2 change places: each cell moves the booking it showed.
        {"", swap, "", 1, {"2026-03-09 1 SCREEN ANN one 0", "2026-03-09 2 laptop ANN two 0"}, 0},
        {"", "", swap, 2, {"2026-03-09 1 SCREEN ANN one 0", "2026-03-09 2 SCREEN ANN two 0"}, 0},
        // A cell shown empty moves nothing; one whose booking is gone is said.
        {dropOne, swap, "", 1, {"2026-03-09 2 laptop ANN two 0"}, 0},
        {"", dropOne, swap, 2, {"2026-03-09 2 SCREEN ANN two 0"}, 1},
        // Row 1 shown empty; its period's name now belongs to row 2's booking.
        {dropOne, nameSwap, "", 1, {"2026-03-09 1 laptop ANN two 0"}, 0},
        {dropOne, nameSwap, "", 2, {"2026-03-09 1 SCREEN ANN two 0"}, 0},
        // Period 2 renamed, its bookings carried along: moved under its new name.
        {"", "", "UPDATE periods SET period = 'X' WHERE period = '2';\nUPDATE bookings SET Period = 'X' WHERE Period = '2'", 2,
         {"2026-03-09 1 SCREEN ANN one 0", "2026-03-09 X SCREEN ANN two 0"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.before) + " / " + c.drawn + " / " + c.between);
        db().exec(QStringLiteral("DELETE FROM bookings"));
        db().exec(QStringLiteral("DELETE FROM periods"));
        addPeriods(6);
        show(QStringLiteral("laptop"));
        addBooking(QStringLiteral("laptop"), week, QStringLiteral("1"), QStringLiteral("ANN"), QStringLiteral("one"));
        addBooking(QStringLiteral("laptop"), week, QStringLiteral("2"), QStringLiteral("ANN"), QStringLiteral("two"));
        if (*c.before)
            db().execScript(QString::fromLatin1(c.before));
        win->RefreshSheet();
        if (*c.drawn)
            db().execScript(QString::fromLatin1(c.drawn));
        testsupport::OnStatementStart between(win->data.ADOConnection.rawHandle(), "BEGIN IMMEDIATE", 2,
                                              [&] { db().execScript(QString::fromLatin1(c.between)); });
        ui->alerts.clear();
        EXPECT_EQ(MoveSelection(*win, QStringLiteral("laptop"), QStringLiteral("SCREEN"), 1, 1, 1, c.bottom), c.notMoved);
        EXPECT_EQ(rows(), c.after);
        EXPECT_EQ(ui->alerts, c.notMoved ? QStringList(QStringLiteral("Cannot move all bookings selected")) : QStringList());
    }
}

// ------------------------------------------------------------------ mass cancel

class MassCancel : public Alter {
protected:
    Tcancelmassfrm* open()
    {
        Tcancelmassfrm* f = CancelMassForm();
        f->show();
        return f;
    }
    // Bookings of laptop across the shown week and beyond.
    void school()
    {
        show(QStringLiteral("laptop"));
        addBooking(QStringLiteral("laptop"), week, QStringLiteral("1"), QStringLiteral("ANN"), QStringLiteral("Science Lab"));
        addBooking(QStringLiteral("laptop"), week.addDays(2), QStringLiteral("2"), QStringLiteral("bob"),
                   QStringLiteral("collaboration"));
        addBooking(QStringLiteral("laptop"), week.addDays(5), QStringLiteral("6"), QStringLiteral("BOSS"), QStringLiteral("50% off_x"));
        addBooking(QStringLiteral("laptop"), week.addDays(6), QStringLiteral("1"), QStringLiteral("ANN"));   // Sunday
        addBooking(QStringLiteral("laptop"), week.addDays(7), QStringLiteral("1"), QStringLiteral("ANN"));   // next week
        addBooking(QStringLiteral("SCREEN"), week, QStringLiteral("1"), QStringLiteral("ANN"));
        db().exec(QStringLiteral("UPDATE bookings SET isPermanent = 1 WHERE Period = '2'"));
    }
};

TEST_F(MassCancel, FormShowResetsAllButTheTypeChoice)
{
    Tcancelmassfrm* f = open();
    f->matchtype->setItemIndex(2);
    f->matchuser->setItemIndex(1);
    f->matchuserClick();
    f->bookedby->setText(QStringLiteral("x"));
    f->p(3)->setChecked(false);
    f->hide();
    f = open();
    EXPECT_EQ(f->itemname->text(), QStringLiteral("laptop"));
    EXPECT_EQ(f->fromdate->date(), week);
    EXPECT_EQ(f->todate->date(), week.addDays(5));
    EXPECT_EQ(f->matchuser->itemIndex(), 0);
    EXPECT_EQ(f->matchreason->itemIndex(), 0);
    EXPECT_EQ(f->matchtype->itemIndex(), 2);
    EXPECT_FALSE(f->bookedby->isEnabled());
    EXPECT_FALSE(f->bookedbybtn->isEnabled());
    EXPECT_FALSE(f->desc->isEnabled());
    EXPECT_TRUE(f->bookedby->text().isEmpty());
    for (int n = 1; n <= 12; ++n) {
        EXPECT_TRUE(f->p(n)->isChecked());
        EXPECT_EQ(f->p(n)->isVisible(), n <= 6);
    }
    f->matchreason->setItemIndex(1);
    f->matchreasonClick();
    EXPECT_TRUE(f->desc->isEnabled());
    f->matchtype->setItemIndex(0);
}

TEST_F(MassCancel, EveryFailingCheckIsShownAndNothingIsDeleted)
{
    school();
    Tcancelmassfrm* f = open();
    f->todate->setDate(week.addDays(-1));
    f->matchuser->setItemIndex(1);
    f->matchreason->setItemIndex(1);
    for (int n = 1; n <= 12; ++n)
        f->p(n)->setChecked(false);
    f->Button1->click();
    EXPECT_EQ(ui->alerts, (QStringList{"You cannot have an until date that occurs before a from date.",
                                       "Unknown User - Make sure you typed the username",
                                       "No description provided for Booking. Cannot book items without a description",
                                       "No periods selected"}));
    EXPECT_EQ(bookings(), 6);
}

TEST_F(MassCancel, TheDefaultsEmptyTheShownWeekMondayToSaturday)
{
    school();
    Tcancelmassfrm* f = open();
    f->Button1->click();
    EXPECT_EQ(ui->alerts, QStringList(QStringLiteral("Complete")));
    EXPECT_EQ(rows(QStringLiteral("ItemBooked = 'laptop'")),
              (QStringList{"2026-03-15 1 laptop ANN lesson 0", "2026-03-16 1 laptop ANN lesson 0"}));
    EXPECT_EQ(bookings(QStringLiteral("ItemBooked = 'SCREEN'")), 1);
    EXPECT_TRUE(f->isVisible());
}

TEST_F(MassCancel, FiltersMatchLiterallyAndIgnoringCase)
{
    struct Case {
        const char* name;
        int user;
        const char* userName;
        int reason;
        const char* text;
        int type;
        QList<int> unticked;
        QStringList left;   // periods of laptop's week left, Monday to Saturday
    };
    const QList<Case> cases = {
        {"user in other case", 1, "BOB", 0, "", 0, {}, {"1", "6"}},
        {"reason anywhere", 0, "", 1, "LAB", 0, {}, {"6"}},
        {"percent is plain", 0, "", 1, "0% o", 0, {}, {"1", "2"}},
        {"percent alone matches only a percent", 0, "", 1, "%", 0, {}, {"1", "2"}},
        {"underscore is plain", 0, "", 1, "f_", 0, {}, {"1", "2"}},
        {"hostile quotes", 0, "", 1, "\" OR itembooked LIKE \"", 0, {}, {"1", "2", "6"}},
        {"hostile user", 1, "x' OR '1'='1", 0, "", 0, {}, {"1", "2", "6"}},
        {"normal only", 0, "", 0, "", 1, {}, {"2"}},
        {"permanent only", 0, "", 0, "", 2, {}, {"1", "6"}},
        {"some periods", 0, "", 0, "", 0, {1, 6}, {"1", "6"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        db().exec(QStringLiteral("DELETE FROM bookings"));
        school();
        Tcancelmassfrm* f = open();
        f->matchuser->setItemIndex(c.user);
        f->bookedby->setText(QString::fromUtf8(c.userName));
        f->matchreason->setItemIndex(c.reason);
        f->desc->setText(QString::fromUtf8(c.text));
        f->matchtype->setItemIndex(c.type);
        for (int n : c.unticked)
            f->p(n)->setChecked(false);
        f->Button1->click();
        QStringList left;
        for (const QString& r : rows(QStringLiteral("ItemBooked = 'laptop' AND Date <= '2026-03-14'")))
            left << r.section(QLatin1Char(' '), 1, 1);
        EXPECT_EQ(left, c.left);
        EXPECT_EQ(bookings(), 3 + c.left.size());
        f->hide();
    }
    CancelMassForm()->matchtype->setItemIndex(0);
}

TEST_F(MassCancel, HiddenBoxesMatchNoBookingOfAnEmptyPeriod)
{
    show(QStringLiteral("laptop"));
    addBooking(QStringLiteral("laptop"), week, QString(), QStringLiteral("ANN"));
    addBooking(QStringLiteral("laptop"), week, QStringLiteral("1"), QStringLiteral("ANN"));
    Tcancelmassfrm* f = open();
    for (int n = 1; n <= 6; ++n)
        f->p(n)->setChecked(false);
    f->Button1->click();
    EXPECT_EQ(ui->alerts, QStringList(QStringLiteral("Complete")));
    EXPECT_EQ(bookings(), 2);
}

TEST_F(MassCancel, TheProgramEndingDuringTheCancelIsSeenAfterItsCommitAndNothingIsSaid)
{
    school();
    Tcancelmassfrm* f = open();
    // The program ends (a forced shutdown, say) while the run shows its
    // progress: the window event that says so runs once the cancel has let
    // the file go.
    bool heldFile = false;
    QTimer ending;
    ending.setInterval(0);
    QObject::connect(&ending, &QTimer::timeout, [&] {
        heldFile = heldFile || DM().ADOConnection.transactionDepth() > 0;
        ProgramEnding = true;
    });
    ending.start();
    f->Button1->click();
    ending.stop();
    ASSERT_TRUE(ProgramEnding);
    EXPECT_FALSE(heldFile);
    EXPECT_EQ(bookings(QStringLiteral("ItemBooked = 'laptop' AND Date <= '2026-03-14'")), 0);
    EXPECT_EQ(bookings(), 3);
    EXPECT_TRUE(ui->alerts.isEmpty());
    EXPECT_FALSE(StatusForm()->isVisible());
    EXPECT_FALSE(win->RunActive());
    EXPECT_EQ(DM().ADOConnection.transactionDepth(), 0);
}

// ------------------------------------------------------------------ entries

TEST_F(Alter, WithoutAnItemNothingOpens)
{
    db().exec(QStringLiteral("DELETE FROM items"));
    win->DisplayCatergoryClick();
    ASSERT_EQ(win->DBitemlist->count(), 0);
    win->MoveBooking1->trigger();
    win->ToolButton2->click();
    win->ReplicateCurrentSheetAcrossmanyfutureweeks1->trigger();
    win->CancelBookinswithCriteria1->trigger();
    EXPECT_EQ(ui->alerts, QStringList(4, QStringLiteral("No Items in Database, Add Some Items")));
    EXPECT_EQ(ui->shown.size(), 4);
}

// Placing search results and altering a selection on a file another
// program holds for writing: one wait, then the rest is left alone.
class HeldFileRuns : public BookingsFixture {
protected:
    void SetUp() override
    {
        BookingsFixture::SetUp();
        if (HasFailure())
            return;
        win->data.ADOConnection.setBusyTimeout(300);
        win->data.connectTo(path);
        win->data.openTables();
        win->InitMainWindow();
    }
    void hold() { db().exec(QStringLiteral("BEGIN IMMEDIATE")); }
    void release() { db().exec(QStringLiteral("COMMIT")); }
};

TEST_F(HeldFileRuns, PlacementAndAlterWaitOnceAndChangeNothing)
{
    QList<FreeSlot> lines;
    for (int p = 1; p <= 6; ++p)
        lines.append({QStringLiteral("SCREEN"), QString::number(p), QDate(2026, 3, 5), true});
    hold();
    QElapsedTimer t;
    t.start();
    PlaceFreeSlots(*win, lines, QStringLiteral("BOB"), QStringLiteral("club"));
    EXPECT_LT(t.elapsed(), 1500) << "the placement waited for the file more than once";
    release();
    EXPECT_EQ(ui->alerts, QStringList{MainMessages::BookingsBusy});
    EXPECT_EQ(bookings(), 0);
    EXPECT_FALSE(StatusForm()->isVisible());

    ui->alerts.clear();
    for (int day = 0; day < 3; ++day)
        addBooking(QStringLiteral("laptop"), monday.addDays(day), QStringLiteral("1"), QStringLiteral("BOB"));
    win->RefreshSheet();
    select(1, 1, 3, 1);
    ui->answer([](QDialog& d) {
        static_cast<Talterbookingfrm&>(d).reason->setText(QStringLiteral("new"));
        return mrOk;
    });
    hold();
    t.start();
    win->AlterSelection();
    EXPECT_LT(t.elapsed(), 1500) << "the alter waited for the file more than once";
    release();
    EXPECT_EQ(ui->alerts, QStringList{QStringLiteral("Cannot alter all bookings selected")});
    EXPECT_EQ(bookings(QStringLiteral("forReason = 'new'")), 0);
    EXPECT_FALSE(win->RunActive());
}

} // namespace
