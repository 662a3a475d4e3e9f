// Permanent bookings and the replication of a week: the checks in their
// order, the runs over weekdays, weekends and today, the report, a run
// ended by a database error, and the bulk runs' window events.
#include "BookingsFixture.h"

#include "DbError.h"
#include "permanentfrm.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

#include <sqlite3.h>

namespace {

class Permanent : public BookingsFixture {
protected:
    Tcreatepermanentbookingfrm* open()
    {
        Tcreatepermanentbookingfrm* f = CreatePermanentBookingForm();
        f->show();
        return f;
    }
    static void chooseItem(Tcreatepermanentbookingfrm* f, const QString& name)
    {
        const QList<QListWidgetItem*> found = f->DBitemlist->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        f->DBitemlist->setCurrentItem(found.first());
    }
    // BOB books SCREEN for "r".
    void run(const QDate& from, const QDate& to, const WeekdayPeriods& p)
    {
        PermanentBookingRun(*win, QStringLiteral("SCREEN"), QStringLiteral("BOB"), QStringLiteral("r"), from, to, p);
    }
    // Runs what at the second placement, after its look-up.
    void atSecondPlacement(std::function<void()> what)
    {
        PlaceBookingAfterFindHook = [this, what] {
            if (++placements == 2)
                what();
        };
    }
    int placements = 0;
    const int batchMs = RunBatchMs;
    void TearDown() override
    {
        RunBatchMs = batchMs;
        CreatePermanentBookingForm()->hide();
        ReplicateForm()->hide();
        BookingsFixture::TearDown();
    }
};

TEST_F(Permanent, FormShowFillsItsDefaultsFromTheMainWindow)
{
    Tcreatepermanentbookingfrm* f = open();
    EXPECT_EQ(f->DisplayCatergory->currentText(), QStringLiteral("Miscellaneous"));
    QStringList items;
    for (int i = 0; i < f->DBitemlist->count(); ++i)
        items << f->DBitemlist->item(i)->text();
    EXPECT_EQ(items, (QStringList{"laptop", "PROJECTOR", "SCREEN"}));   // ignoring case
    EXPECT_TRUE(f->DBitemlist->selectedItems().isEmpty());
    EXPECT_EQ(f->bookedby->text(), QStringLiteral("BOB"));
    EXPECT_EQ(f->fromdate->date(), QDate(2026, 3, 4));
    EXPECT_EQ(f->todate->date(), QDate(2026, 4, 3));
    EXPECT_EQ(f->desc->maxLength(), 150);
    EXPECT_EQ(PeriodSelectorForm()->parentWidget(), f);
    EXPECT_EQ(PeriodSelectorForm()->y(), f->Label5->y() + f->Label5->height());
}

TEST_F(Permanent, WithNoCategoryAtAllTheListsAreEmpty)
{
    db().exec(QStringLiteral("DELETE FROM items"));
    win->InitMainWindow();
    Tcreatepermanentbookingfrm* f = open();
    EXPECT_EQ(f->DisplayCatergory->count(), 0);
    EXPECT_EQ(f->DBitemlist->count(), 0);
    f->desc->setText(QStringLiteral("x"));
    f->Continuebtn->click();
    EXPECT_EQ(ui->alerts, QStringList(QStringLiteral("No item selected. Please choose an item from the list.")));
}

TEST_F(Permanent, ChecksRunInOrderAndTheFirstFailureAloneIsShown)
{
    struct Case {
        const char* user;
        const char* item;
        const char* reason;
        int fromOffset, toOffset;
        bool periods;
        const char* message;
    };
    const Case cases[] = {
        {"NOBODY", "", "", -1, -2, false, "Unknown User - Make sure you typed the username"},
        {"bob", "", "", -1, -2, false, "No item selected. Please choose an item from the list."},
        {"BOB", "SCREEN", "", -1, -2, false,
         "No description provided for Booking. Cannot book items without a description"},
        {"BOB", "SCREEN", "maths", -1, -2, false, "You cannot book items on dates occuring before today."},
        {"BOB", "SCREEN", "maths", 0, -1, false, "You cannot have an until date that occurs before a from date."},
        {"BOB", "SCREEN", "maths", 0, 0, false, "No periods selected"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Tcreatepermanentbookingfrm* f = open();
        if (*c.item)
            chooseItem(f, QString::fromLatin1(c.item));
        f->bookedby->setText(QString::fromLatin1(c.user));
        f->desc->setText(QString::fromLatin1(c.reason));
        f->fromdate->setDate(QDate(2026, 3, 4).addDays(c.fromOffset));
        f->todate->setDate(QDate(2026, 3, 4).addDays(c.toOffset));
        ui->alerts.clear();
        f->Continuebtn->click();
        EXPECT_EQ(ui->alerts, QStringList(QString::fromLatin1(c.message)));
        EXPECT_TRUE(f->isVisible());
        f->hide();
    }
    // Everything in order: the question comes; No writes nothing.
    Tcreatepermanentbookingfrm* f = open();
    chooseItem(f, QStringLiteral("SCREEN"));
    f->desc->setText(QStringLiteral("maths"));
    tick(3, {1});
    ui->answer([](QDialog& d) {
        EXPECT_EQ(d.objectName(), QStringLiteral("QuestionFrm"));
        return mrCancel;
    });
    ui->alerts.clear();
    f->ContinuebtnClick();
    EXPECT_TRUE(ui->alerts.isEmpty());
    EXPECT_EQ(bookings(), 0);
    EXPECT_FALSE(QFile::exists(ReportFilePath()));
}

TEST_F(Permanent, TheDialogBooksTheTickedPeriodsOfEveryWeekdayAndStaysOpen)
{
    Tcreatepermanentbookingfrm* f = open();
    chooseItem(f, QStringLiteral("SCREEN"));
    f->bookedby->setText(QStringLiteral("ann"));   // as typed
    f->desc->setText(QStringLiteral("Year 9 <maths>"));
    f->fromdate->setDate(QDate(2026, 3, 9));
    f->todate->setDate(QDate(2026, 3, 15));   // Monday to Sunday
    tick(1, {1});
    tick(3, {2, 3});
    tick(5, {1});
    ui->answer(mrOk);
    f->ContinuebtnClick();
    EXPECT_EQ(ui->alerts, QStringList(QStringLiteral("Permanent Booking Complete")));
    EXPECT_EQ(rows(), (QStringList{"2026-03-09 1 SCREEN ann Year 9 <maths> 1", "2026-03-11 2 SCREEN ann Year 9 <maths> 1",
                                   "2026-03-11 3 SCREEN ann Year 9 <maths> 1", "2026-03-13 1 SCREEN ann Year 9 <maths> 1"}));
    EXPECT_EQ(bookings(QStringLiteral("BookedOnDate = '2026-03-04'")), 4);
    EXPECT_TRUE(f->isVisible());
    const QString report = reportText();
    EXPECT_TRUE(report.contains(QStringLiteral("<h1>Permanent Booking Report</h1><p>BOB</p>")));
    EXPECT_TRUE(report.contains(QStringLiteral("*** Item: SCREEN ***<br>\n*** To be booked by: ann ***<br>\n"
                                               "*** For Reason: Year 9 &lt;maths&gt; ***<br>\n<br>\n")));
    EXPECT_TRUE(report.endsWith(QStringLiteral("<p>end of report</p></body></html>\n")));
    EXPECT_FALSE(StatusForm()->isVisible());
    EXPECT_FALSE(win->RunActive());
}

TEST_F(Permanent, AWeekendRangeWritesOnlyTheHeading)
{
    run(QDate(2026, 3, 7), QDate(2026, 3, 8), periods({{1, {"1"}}, {5, {"1"}}}));
    EXPECT_EQ(bookings(), 0);
    EXPECT_EQ(ui->alerts, QStringList(QStringLiteral("Permanent Booking Complete")));
    const QString report = reportText();
    const int body = report.indexOf(QStringLiteral("<p>BOB</p>\n")) + 11;
    EXPECT_EQ(report.mid(body), QStringLiteral("*** Item: SCREEN ***<br>\n*** To be booked by: BOB ***<br>\n"
                                               "*** For Reason: r ***<br>\n<br>\n<p>end of report</p></body></html>\n"));
}

TEST_F(Permanent, TodaysPassedPeriodsAreBookedAndAnOverwriteEndsWithTheFailureText)
{
    // It is Wednesday 09:30: period 1 has passed, the permanent run books it.
    addBooking(QStringLiteral("SCREEN"), QDate(2026, 3, 4), QStringLiteral("2"), QStringLiteral("ANN"));
    addBooking(QStringLiteral("SCREEN"), QDate(2026, 3, 4), QStringLiteral("3"), QStringLiteral("BOSS"));
    run(QDate(2026, 3, 4), QDate(2026, 3, 4), periods({{3, {"1", "2", "3"}}}));
    EXPECT_EQ(rows(), (QStringList{"2026-03-04 1 SCREEN BOB r 1", "2026-03-04 2 SCREEN BOB r 1",
                                   "2026-03-04 3 SCREEN BOSS lesson 0"}));
    EXPECT_EQ(ui->alerts, QStringList(QStringLiteral(
                              "Some or all of the bookings failed. View the report for more information")));
    const QString report = reportText();
    EXPECT_TRUE(report.contains(QStringLiteral("(1) Booking overwrote an existing booking")));
    EXPECT_TRUE(report.contains(QStringLiteral("(-3) Booking Failed. Not Enough Access to replace existing booking")));

    // A clean run afterwards does not inherit the failure.
    ui->alerts.clear();
    run(QDate(2026, 3, 5), QDate(2026, 3, 5), periods({{4, {"1"}}}));
    EXPECT_EQ(ui->alerts, QStringList(QStringLiteral("Permanent Booking Complete")));
}

TEST_F(Permanent, ADatabaseErrorEndsTheRunKeepingWhatWasPlaced)
{
    // During the second booking the periods table goes away: the third
    // booking's look-up fails with an error that leaves the engine.
    atSecondPlacement([this] { win->data.ADOConnection.exec(QStringLiteral("ALTER TABLE periods RENAME TO periods_gone")); });
    EXPECT_THROW(run(QDate(2026, 3, 9), QDate(2026, 3, 13), periods({{1, {"1"}}, {2, {"1"}}, {3, {"1"}}, {4, {"1"}}})),
                 DbError);
    EXPECT_TRUE(ui->alerts.isEmpty());   // no "Complete"
    EXPECT_FALSE(StatusForm()->isVisible());
    EXPECT_FALSE(win->RunActive());
    const QString report = reportText();
    EXPECT_TRUE(report.contains(QStringLiteral("*** Nothing from ") + FormatShortDate(QDate(2026, 3, 11))
                                + QStringLiteral(", period 1 on was stored: ")))
        << qPrintable(report);
    EXPECT_TRUE(report.endsWith(QStringLiteral(" ***<br>\n<p>end of report</p></body></html>\n")));
    EXPECT_EQ(rows(), (QStringList{"2026-03-09 1 SCREEN BOB r 1", "2026-03-10 1 SCREEN BOB r 1"}));
}

TEST_F(Permanent, ARunTheHeldFileEndedSaysFromWhereNothingWasStoredAndWhy)
{
    // This client waits 300 ms for a file another client holds.
    win->data.ADOConnection.setBusyTimeout(300);
    const char* holds[] = {
        "BEGIN",             // reading: the run's commit cannot get the file
        "BEGIN IMMEDIATE",   // writing: the run cannot begin
    };
    for (const char* hold : holds) {
        SCOPED_TRACE(hold);
        db().exec(QString::fromLatin1(hold));
        db().scalar(QStringLiteral("SELECT count(*) FROM bookings"));
        EXPECT_THROW(run(QDate(2026, 3, 9), QDate(2026, 3, 10), periods({{1, {"1"}}, {2, {"1"}}})), DbError);
        db().exec(QStringLiteral("ROLLBACK"));
        EXPECT_EQ(bookings(), 0);
        EXPECT_TRUE(ui->alerts.isEmpty());
        EXPECT_TRUE(reportText().endsWith(QStringLiteral("*** Nothing from ") + FormatShortDate(QDate(2026, 3, 9))
                                          + QStringLiteral(" on was stored: database is locked ***<br>\n"
                                                           "<p>end of report</p></body></html>\n")))
            << qPrintable(reportText());
        EXPECT_EQ(win->data.ADOConnection.transactionDepth(), 0);
    }
}

TEST_F(Permanent, NoWindowEventRunsWhileARunHoldsTheFile)
{
    RunBatchMs = 0;   // every day is committed, window events run between
    int events = 0, holding = 0;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        ++events;
        if (sqlite3_get_autocommit(win->data.ADOConnection.rawHandle()) == 0)
            ++holding;
    });
    struct Case {
        const char* run;
        std::function<void()> call;
        int days;   // committed, or searched, each with its events after it
    };
    const Case cases[] = {
        {"permanent", [&] { run(monday.addDays(7), monday.addDays(11), periods({{1, {"1"}}, {3, {"1", "2"}}})); }, 5},
        {"replication", [&] { ReplicationRun(*win, QStringLiteral("SCREEN"), monday.addDays(7), monday.addDays(20), true); },
         7},
        {"vacancy search",
         [&] {
             VacancySearch(*win, {QStringLiteral("SCREEN"), QStringLiteral("laptop")}, monday.addDays(7),
                           monday.addDays(11), periods({{1, {"1", "2"}}}), 2);
         },
         2},
    };
    watch.start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.run);
        events = holding = 0;
        c.call();
        EXPECT_GE(events, c.days);
        EXPECT_EQ(holding, 0);
    }
    EXPECT_EQ(bookings(QStringLiteral("Date > '2026-03-15'")), 3);   // the week copied
}

TEST_F(Permanent, ATransactionTheDatabaseEndedNamesTheFirstDayNotStored)
{
    atSecondPlacement([this] {
        QSqlQuery(win->data.ADOConnection.handle()).exec(QStringLiteral("ROLLBACK"));
        throw DbError(QStringLiteral("disk I/O error"));
    });
    EXPECT_THROW(run(QDate(2026, 3, 9), QDate(2026, 3, 10), periods({{1, {"1"}}, {2, {"1"}}})), DbError);
    EXPECT_TRUE(ui->alerts.isEmpty());
    EXPECT_TRUE(reportText().endsWith(QStringLiteral("*** Nothing from ") + FormatShortDate(QDate(2026, 3, 9))
                                      + QStringLiteral(" on was stored: The database ended the transaction after an "
                                                       "error; nothing written in it was kept. ***<br>\n"
                                                       "<p>end of report</p></body></html>\n")));
    EXPECT_FALSE(StatusForm()->isVisible());
}

TEST_F(Permanent, ARunStoppedByTheProgramEndingKeepsWhatItPlacedAndSaysNothing)
{
    atSecondPlacement([] { ProgramEnding = true; });
    run(QDate(2026, 3, 9), QDate(2026, 3, 13), periods({{1, {"1"}}, {2, {"1"}}, {3, {"1"}}}));
    EXPECT_EQ(rows(), (QStringList{"2026-03-09 1 SCREEN BOB r 1", "2026-03-10 1 SCREEN BOB r 1"}));
    EXPECT_TRUE(ui->alerts.isEmpty());
    EXPECT_FALSE(StatusForm()->isVisible());
    EXPECT_FALSE(win->RunActive());
}

// ------------------------------------------------------------------ replication

class Replicate : public Permanent {};

TEST_F(Replicate, FormShowAndTheSevenDayRule)
{
    Treplicatefrm* f = ReplicateForm();
    EXPECT_TRUE(f->RepEmpty->isChecked());
    f->RepEmpty->setChecked(false);
    f->show();
    EXPECT_EQ(f->repitem->text(), QStringLiteral("laptop"));
    EXPECT_EQ(f->fromdate->date(), QDate(2026, 3, 4));
    EXPECT_EQ(f->todate->date(), QDate(2026, 4, 1));
    EXPECT_FALSE(f->RepEmpty->isChecked());   // kept between showings
    f->todate->setDate(QDate(2026, 3, 10));
    f->Button1->click();
    EXPECT_EQ(ui->alerts, QStringList(QStringLiteral("You must have a minimum of 7 days difference between both dates.")));
    EXPECT_TRUE(f->isVisible());
    EXPECT_FALSE(QFile::exists(ReportFilePath()));
    f->RepEmpty->setChecked(true);
}

TEST_F(Replicate, SevenDaysCopyTheFromDayAlone)
{
    addBooking(QStringLiteral("SCREEN"), monday, QStringLiteral("1"), QStringLiteral("ANN"), QStringLiteral("art"));
    addBooking(QStringLiteral("SCREEN"), monday.addDays(1), QStringLiteral("2"), QStringLiteral("ANN"));
    ASSERT_TRUE(ReplicationRun(*win, QStringLiteral("SCREEN"), monday, monday.addDays(7), true));
    EXPECT_EQ(rows(QStringLiteral("Date > '2026-03-08'")), QStringList(QStringLiteral("2026-03-09 1 SCREEN ANN art 0")));
    EXPECT_EQ(ui->alerts, QStringList(QStringLiteral("Replication Complete")));
    EXPECT_TRUE(reportText().contains(QStringLiteral("*** From :") + FormatShortDate(monday) + QStringLiteral(
                                          " ***<br>\n*** To   :") + FormatShortDate(monday.addDays(7))
                                      + QStringLiteral(" ***<br>\n<br>\n")));
}

TEST_F(Replicate, ThreeWeeksEndAlikeWithEmptySlotsClearedAndWeekendsCopied)
{
    db().exec(QStringLiteral("UPDATE bookings SET isPermanent = 0"));
    addBooking(QStringLiteral("SCREEN"), monday, QStringLiteral("1"), QStringLiteral("ANN"), QStringLiteral("art"));
    addBooking(QStringLiteral("SCREEN"), monday.addDays(5), QStringLiteral("4"), QStringLiteral("BOB"));   // Saturday
    db().exec(QStringLiteral("UPDATE bookings SET isPermanent = 1 WHERE Date = '2026-03-07'"));
    // Targets that the empty source slots clear.
    addBooking(QStringLiteral("SCREEN"), monday.addDays(8), QStringLiteral("3"), QStringLiteral("ANN"), QStringLiteral("old"));
    addBooking(QStringLiteral("SCREEN"), monday.addDays(16), QStringLiteral("6"), QStringLiteral("ANN"), QStringLiteral("old"));
    addBooking(QStringLiteral("PROJECTOR"), monday.addDays(7), QStringLiteral("2"), QStringLiteral("ANN"));
    ASSERT_TRUE(ReplicationRun(*win, QStringLiteral("SCREEN"), monday, monday.addDays(20), true));
    EXPECT_EQ(rows(QStringLiteral("ItemBooked = 'SCREEN'")),
              (QStringList{"2026-03-02 1 SCREEN ANN art 0", "2026-03-07 4 SCREEN BOB lesson 1",
                           "2026-03-09 1 SCREEN ANN art 0", "2026-03-14 4 SCREEN BOB lesson 1",
                           "2026-03-16 1 SCREEN ANN art 0", "2026-03-21 4 SCREEN BOB lesson 1"}));
    EXPECT_EQ(bookings(QStringLiteral("ItemBooked = 'PROJECTOR'")), 1);
    EXPECT_EQ(bookings(QStringLiteral("ItemBooked = 'SCREEN' AND BookedOnDate = '2026-03-04'")), 4);
    const QString report = reportText();
    EXPECT_TRUE(report.contains(QStringLiteral("The Following Booking was replaced with an empty Booking<br>\nDate: ")
                                + FormatShortDate(monday.addDays(8))
                                + QStringLiteral(" Period: 3 User: ANN<br>\nReason: old<br>\n")));
    EXPECT_EQ(ui->alerts, QStringList(QStringLiteral("Replication Complete")));
}

TEST_F(Replicate, WithoutRepEmptyTargetsStayAndRefusalsEndWithTheFailureText)
{
    addBooking(QStringLiteral("SCREEN"), monday.addDays(7), QStringLiteral("3"), QStringLiteral("ANN"));
    ASSERT_TRUE(ReplicationRun(*win, QStringLiteral("SCREEN"), monday, monday.addDays(7), false));
    EXPECT_EQ(bookings(), 1);
    EXPECT_FALSE(reportText().contains(QStringLiteral("empty Booking")));
    EXPECT_EQ(ui->alerts, QStringList(QStringLiteral("Replication Complete")));

    // With RepEmpty, a target BOB may not delete (BOSS outranks him) stays,
    // is reported, and the run does not say it is complete; a refused copy
    // (BOSS's target) is a failure too.
    ui->alerts.clear();
    addBooking(QStringLiteral("SCREEN"), monday.addDays(7), QStringLiteral("4"), QStringLiteral("BOSS"), QStringLiteral("exam"));
    addBooking(QStringLiteral("SCREEN"), monday.addDays(1), QStringLiteral("5"), QStringLiteral("ANN"));
    addBooking(QStringLiteral("SCREEN"), monday.addDays(8), QStringLiteral("5"), QStringLiteral("BOSS"));
    ASSERT_TRUE(ReplicationRun(*win, QStringLiteral("SCREEN"), monday, monday.addDays(8), true));
    EXPECT_EQ(rows(QStringLiteral("Date >= '2026-03-09'")),
              (QStringList{"2026-03-09 4 SCREEN BOSS exam 0", "2026-03-10 5 SCREEN BOSS lesson 0"}));
    const QString report = reportText();
    EXPECT_TRUE(report.contains(QStringLiteral("The Following Booking was replaced with an empty Booking<br>\nDate: ")
                                + FormatShortDate(monday.addDays(7)) + QStringLiteral(" Period: 3 User: ANN")));
    EXPECT_TRUE(report.contains(QStringLiteral("The Following Booking could not be replaced with an empty Booking<br>\n"
                                               "Date: ")
                                + FormatShortDate(monday.addDays(7))
                                + QStringLiteral(" Period: 4 User: BOSS<br>\nReason: exam<br>\n")));
    EXPECT_TRUE(report.contains(QStringLiteral("(-3) ")));
    EXPECT_EQ(ui->alerts, QStringList(QStringLiteral(
                              "Some or all of the bookings failed. View the report for more information")));
}

TEST_F(Replicate, TheDialogClosesWithOneAfterARun)
{
    Treplicatefrm* f = ReplicateForm();
    f->show();
    f->todate->setDate(f->fromdate->date().addDays(7));
    f->Button1->click();
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(f->result(), mrOk);
    EXPECT_EQ(ui->alerts, QStringList(QStringLiteral("Replication Complete")));
}

} // namespace
