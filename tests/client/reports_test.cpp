#include "Bookings.h"
#include "DateValue.h"
#include "DbError.h"
#include "MainFixture.h"
#include "ReportFixture.h"
#include "StatusWindows.h"
#include "Utilities.h"
#include "printlistbookingsfrm.h"
#include "usagestatsfrm.h"

#include <QDateEdit>
#include <QLineEdit>

namespace {

// The reports over a main window, with the report templates of the report
// tests; the fixture's connection writes the rows as another client would.
class ReportsTest : public MainFixture {
protected:
    void SetUp() override
    {
        MainFixture::SetUp();
        if (HasFailure())
            return;
        WriteTestReportTemplates(dir.path());
        win->InitMainWindow();
    }
    QStringList reportLines() const { return ReportLines(); }
    void expectViewer() { ui->answer(mrOk); }

    void booking(const QString& item, const QDate& date, const QString& period, const QString& by,
                 const QString& reason = QStringLiteral("lesson"), const QString& onDate = QStringLiteral("2026-03-01"),
                 const QString& onTime = QStringLiteral("08:00:00"), const QString& auth = QStringLiteral("xxxxxx"))
    {
        db().exec(QStringLiteral("INSERT INTO bookings (ItemBooked, Date, Period, BookedBy, forReason, BookedOnDate, "
                                 "BookedOnTime, AuthCode) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                  {item, DateValue::dateText(date), period, by, reason, onDate, onTime, auth});
    }
    // The report's lines between the header and the footer.
    QStringList body()
    {
        QStringList lines = reportLines();
        EXPECT_GE(lines.size(), 2);
        EXPECT_EQ(lines.value(lines.size() - 1), QStringLiteral("END"));
        return lines.mid(1, lines.size() - 2);
    }
};

QString two(int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); }

} // namespace

// ------------------------------------------------------------------ usage statistics

TEST_F(ReportsTest, StatisticsCountEverySectionOfASeededDatabase)
{
    WriteTransaction seeding(db());
    db().exec(QStringLiteral("DELETE FROM Users"));
    db().exec(QStringLiteral("UPDATE config SET RemoveObsoleteBookings = 10, LastMaintainceRun = '2026-01-15 10:20:30'"));
    db().exec(QStringLiteral("UPDATE System SET user = 'ADMIN', reason = 'Back <soon>'"));
    for (int i = 1; i <= 12; ++i) {
        addUser({QStringLiteral("U") + two(i)});
        db().exec(QStringLiteral("UPDATE Users SET LastConnected = ?, LastComputer = ? WHERE username = ?"),
                  {QStringLiteral("2026-02-%1 08:00:0%2").arg(two(i)).arg(i % 10), QStringLiteral("PC") + two(i),
                   QStringLiteral("U") + two(i)});
    }
    addUser({QStringLiteral("HID")});
    db().exec(QStringLiteral("UPDATE Users SET Hide = 1, Online = 1, LastComputer = 'X' WHERE username = 'HID'"));
    db().exec(QStringLiteral("UPDATE Users SET Online = 1, LastComputer = '<lab>' WHERE username = 'U03'"));
    addItem(QStringLiteral("ROOM1"));
    addItem(QStringLiteral("PROJ"));
    db().exec(QStringLiteral("UPDATE items SET isAvailable = 0 WHERE ItemName = 'PROJ'"));
    for (int i = 1; i <= 10; ++i)
        addItem(QStringLiteral("ITEM") + two(i));

    // Obsolete means dated on or before today (4 March) less 10 days.
    booking(QStringLiteral("ROOM1"), QDate(2026, 2, 22), QStringLiteral("P1"), QStringLiteral("alice"));
    booking(QStringLiteral("ROOM1"), QDate(2026, 2, 23), QStringLiteral("P1"), QStringLiteral("alice"));
    booking(QStringLiteral("ROOM1"), QDate(2026, 3, 10), QStringLiteral("P1"), QStringLiteral("alice"));
    booking(QStringLiteral("room1"), QDate(2026, 3, 11), QStringLiteral("P1"), QStringLiteral("ALICE"));
    booking(QStringLiteral("PROJ"), QDate(2026, 3, 12), QStringLiteral("P1"), QStringLiteral("bob"),
            QStringLiteral("x"), QStringLiteral("2026-03-03"), QStringLiteral("09:00:00"), QStringLiteral(""));
    booking(QStringLiteral("PROJ"), QDate(2026, 3, 13), QStringLiteral("P1"), QStringLiteral("bob"));
    for (int i = 1; i <= 10; ++i)
        booking(QStringLiteral("ITEM") + two(i), QDate(2026, 3, 20), QStringLiteral("P<%1>").arg(i),
                QStringLiteral("c") + two(i), QStringLiteral("r"),
                i == 10 ? QStringLiteral("2026-03-03") : QStringLiteral("2026-03-01"),
                i == 10 ? QStringLiteral("15:04:05") : QStringLiteral("08:00:00"));
    seeding.commit();
    expectViewer();

    GenerateUsageReport();

    QStringList expected = {
        QStringLiteral("<b>Bookings</b><br>"),
        QStringLiteral("Total Number of Bookings in System: 16<br>"),
        QStringLiteral("Bookings Considered Obsolete: 1<br>"),
        QStringLiteral("Last Booking Made: <br>"),
        QStringLiteral("ITEM10,"),
        QStringLiteral("c10,"),
        FormatShortDate(QDate(2026, 3, 20)) + QLatin1Char(','),
        QStringLiteral("P&lt;10&gt;,"),
        FormatShortDate(QDate(2026, 3, 3)) + QLatin1Char(','),
        FormatLongTime(QTime(15, 4, 5)) + QStringLiteral("<br>"),
        QStringLiteral("<b>Users</b><br>"),
        QStringLiteral("Total Users in System: 13<br>"),
        QStringLiteral("<I>N.B This includes system users</i><br>"),
        QStringLiteral("<br>Last Ten Users to Logon: <br>"),
        QStringLiteral("<b><u>User, Date/Time, Computer</b></u><br>"),
    };
    for (int i = 12; i >= 3; --i)
        expected << QStringLiteral("U") + two(i) + QLatin1Char(',')
                        + FormatDateTime(QDateTime(QDate(2026, 2, i), QTime(8, 0, i % 10))) + QLatin1Char(',')
                        + (i == 3 ? QStringLiteral("&lt;lab&gt;") : QStringLiteral("PC") + two(i)) + QStringLiteral("<br>");
    expected << QStringLiteral("<br>Users Currently Online: <br>") << QStringLiteral("<b><u>User, Date/Time, Computer</b></u><br>")
             << QStringLiteral("U03,") + FormatDateTime(QDateTime(QDate(2026, 2, 3), QTime(8, 0, 3))) + QStringLiteral(",&lt;lab&gt;<br>")
             << QStringLiteral("HID,,X<br>")
             << QStringLiteral("<br>Bookings Breaking AuthCode: <br>") << QStringLiteral("Bookings Breaking AuthCode: 1<br>")
             << QStringLiteral("<br>Top Ten Bookings By User<br>") << QStringLiteral("<b><u>User, Bookings Made</b></u><br>")
             << QStringLiteral("alice,4<br>") << QStringLiteral("bob,2<br>");
    for (int i = 1; i <= 8; ++i)
        expected << QStringLiteral("c") + two(i) + QStringLiteral(",1<br>");
    expected << QStringLiteral("<b>Items</b><br>") << QStringLiteral("Total Items in System: 12<br>")
             << QStringLiteral("Total Items in System Marked Available to Book: 11<br>")
             << QStringLiteral("<br>Top Ten Most Booked Items<br>") << QStringLiteral("<b><u>Item, Bookings Made</b></u><br>")
             << QStringLiteral("ROOM1,4<br>") << QStringLiteral("PROJ,2<br>");
    for (int i = 1; i <= 8; ++i)
        expected << QStringLiteral("ITEM") + two(i) + QStringLiteral(",1<br>");
    expected << QStringLiteral("<b>System</b><br>")
             << QStringLiteral("Maintenance Last Run: ") + FormatDateTime(QDateTime(QDate(2026, 1, 15), QTime(10, 20, 30)))
                    + QStringLiteral("<br>")
             << QStringLiteral("<b>Last System Message</b><br>") << QStringLiteral("User: ADMIN<br>")
             << QStringLiteral("Message: Back &lt;soon&gt;<br>")
             << QStringLiteral("<br><b>Last Booking SubSystem Message (Client Side)</b><br>")
             << QStringLiteral("Code: 0<br>") << QStringLiteral("Message: <br>")
             << QStringLiteral("Details: ") + FormatShortDate(QDate(1899, 12, 30)) + QStringLiteral(",,,<br>");

    const QStringList lines = reportLines();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), QStringLiteral("Booking System Statistics|BOB"));
    const QStringList got = body();
    ASSERT_EQ(got.size(), expected.size()) << got.join(QLatin1Char('\n')).toStdString();
    for (int i = 0; i < got.size(); ++i) {
        // The groups ignore letter case; either spelling may name them.
        const Qt::CaseSensitivity cs = expected[i].startsWith(QStringLiteral("alice")) || expected[i].startsWith(QStringLiteral("ROOM1"))
                                           ? Qt::CaseInsensitive : Qt::CaseSensitive;
        EXPECT_EQ(got[i].compare(expected[i], cs), 0) << "line " << i << ": " << got[i].toStdString()
                                                      << " expected " << expected[i].toStdString();
    }
    EXPECT_EQ(ui->shown, QStringList{QStringLiteral("reporterfrm")});
    EXPECT_FALSE(StatusForm()->isVisible());
    EXPECT_EQ(StatusForm()->progress.steps, 20);
    EXPECT_EQ(StatusForm()->progress.gauge, 20);
}

TEST_F(ReportsTest, StatisticsOfEmptyTablesGiveZerosAndEmptyValues)
{
    db().exec(QStringLiteral("DELETE FROM System"));
    db().exec(QStringLiteral("DELETE FROM Users"));
    expectViewer();
    GenerateUsageReport();
    const QStringList got = body();
    ASSERT_EQ(got.size(), 35);
    EXPECT_EQ(got.mid(1, 9), QStringList({QStringLiteral("Total Number of Bookings in System: 0<br>"),
                                          QStringLiteral("Bookings Considered Obsolete: 0<br>"),
                                          QStringLiteral("Last Booking Made: <br>"), QStringLiteral(","),
                                          QStringLiteral(","), QStringLiteral(","), QStringLiteral(","),
                                          QStringLiteral(","), FormatLongTime(QTime(0, 0)) + QStringLiteral("<br>")}));
    EXPECT_TRUE(got.contains(QStringLiteral("Total Users in System: 0<br>")));
    EXPECT_TRUE(got.contains(QStringLiteral("Total Items in System: 0<br>")));
    EXPECT_TRUE(got.contains(QStringLiteral("Maintenance Last Run: <br>")));
    EXPECT_TRUE(got.contains(QStringLiteral("User: <br>")));
    EXPECT_EQ(got.indexOf(QStringLiteral("<b><u>Item, Bookings Made</b></u><br>")) + 1,
              got.indexOf(QStringLiteral("<b>System</b><br>")));
}

TEST_F(ReportsTest, StatisticsShowTheLastRefusedBookingAttempt)
{
    addUser({QStringLiteral("AMY")});
    const BookingResultCode code = PlaceBooking(QStringLiteral("NOSUCH"), QStringLiteral("1"), QStringLiteral("AMY"),
                                                QDateTime(QDate(2026, 3, 9), QTime(0, 0)), QStringLiteral("<art>"),
                                                false, QStringLiteral("AMY"), false);
    ASSERT_EQ(code, -1);
    expectViewer();
    GenerateUsageReport();
    const QStringList got = body();
    EXPECT_EQ(got.mid(got.size() - 3),
              QStringList({QStringLiteral("Code: -1<br>"), QStringLiteral("Message: ") + HtmlEscape(BookingMessages::UnknownItem)
                                                                  + QStringLiteral("<br>"),
                           QStringLiteral("Details: ") + FormatShortDate(QDate(2026, 3, 9)) + QStringLiteral(",1,AMY,&lt;art&gt;<br>")}));
}

TEST_F(ReportsTest, AFailingStatementEndsProgressAndReportAndPropagates)
{
    db().exec(QStringLiteral("DROP TABLE items"));
    EXPECT_THROW(GenerateUsageReport(), DbError);
    EXPECT_FALSE(StatusForm()->isVisible());
    EXPECT_EQ(reportLines().last(), QStringLiteral("END"));
    EXPECT_TRUE(ui->shown.isEmpty());
}

// ------------------------------------------------------------------ list of bookings

TEST_F(ReportsTest, TheListShowsTheUsersBookingsBetweenBothDatesInOrder)
{
    const QDate from(2026, 3, 4), until(2026, 3, 10);
    booking(QStringLiteral("ROOM"), QDate(2026, 3, 5), QStringLiteral("P1"), QStringLiteral("amy"), QStringLiteral("science lab"));
    booking(QStringLiteral("ROOM"), QDate(2026, 3, 5), QStringLiteral("FB"), QStringLiteral("AMY"), QStringLiteral("<b>"));
    booking(QStringLiteral("AAA"), QDate(2026, 3, 5), QStringLiteral("FB"), QStringLiteral("amy"), QStringLiteral("a"));
    booking(QStringLiteral("ROOM"), until, QStringLiteral("P1"), QStringLiteral("amy"), QStringLiteral("last"));
    booking(QStringLiteral("ROOM"), from, QStringLiteral("P2"), QStringLiteral("amy"), QStringLiteral("first"));
    booking(QStringLiteral("ROOM"), from.addDays(-1), QStringLiteral("P1"), QStringLiteral("amy"));
    booking(QStringLiteral("ROOM"), until.addDays(1), QStringLiteral("P1"), QStringLiteral("amy"));
    booking(QStringLiteral("ROOM"), from, QStringLiteral("P1"), QStringLiteral("bob"));

    Tprintlistbookingsfrm* f = PrintListBookingsForm();
    f->setStartDate(from);
    f->FormShow();
    EXPECT_EQ(f->foruser->text(), QStringLiteral("BOB"));
    EXPECT_EQ(f->todate->date(), from.addDays(30));
    f->foruser->setText(QStringLiteral("Amy"));
    f->todate->setDate(until);
    expectViewer();
    f->Button2Click();
    EXPECT_EQ(f->result(), mrOk);

    const QString d5 = FormatShortDate(QDate(2026, 3, 5));
    EXPECT_EQ(reportLines(),
              QStringList({QStringLiteral("List of Bookings for Amy|BOB"), QStringLiteral("From Date: ") + FormatShortDate(from) + QStringLiteral("<br>"),
                           QStringLiteral("To Date: ") + FormatShortDate(until) + QStringLiteral("<br>"),
                           QStringLiteral("System found 5 bookings between these dates<br>"), QStringLiteral("<br>"),
                           FormatShortDate(from) + QStringLiteral(",P2:ROOM-first<br>"),
                           d5 + QStringLiteral(",FB:AAA-a<br>"), d5 + QStringLiteral(",FB:ROOM-&lt;b&gt;<br>"),
                           d5 + QStringLiteral(",P1:ROOM-science lab<br>"),
                           FormatShortDate(until) + QStringLiteral(",P1:ROOM-last<br>"), QStringLiteral("<br>"),
                           QStringLiteral("END")}));
    EXPECT_EQ(StatusForm()->progress.steps, 5);
}

TEST_F(ReportsTest, TheListRefusesAnEmptyUserAndReversedDatesAndFindsNoneForStrangers)
{
    booking(QStringLiteral("ROOM"), QDate(2026, 3, 5), QStringLiteral("P1"), QStringLiteral("amy"));
    Tprintlistbookingsfrm* f = PrintListBookingsForm();
    f->setStartDate(QDate(2026, 3, 4));
    f->FormShow();
    f->setResult(mrClosed);

    f->foruser->clear();
    f->Button2Click();
    f->foruser->setText(QStringLiteral("amy"));
    f->fromdate->setDate(QDate(2026, 3, 6));
    f->todate->setDate(QDate(2026, 3, 5));
    f->Button2Click();
    EXPECT_EQ(ui->alerts, QStringList({PrintListMessages::UnknownUser, PrintListMessages::DatesReversed}));
    EXPECT_FALSE(QFile::exists(ReportFilePath()));
    EXPECT_EQ(f->result(), mrClosed);

    // A name that matches nobody, quotes and all, lists nothing; one day
    // from and until lists that day.
    for (const QString& who : {QStringLiteral("o'neil"), QStringLiteral("' or ''='")}) {
        f->foruser->setText(who);
        f->fromdate->setDate(QDate(2026, 3, 5));
        f->todate->setDate(QDate(2026, 3, 5));
        expectViewer();
        f->Button2Click();
        EXPECT_TRUE(reportLines().contains(QStringLiteral("System found 0 bookings between these dates<br>")))
            << who.toStdString();
    }
    f->foruser->setText(QStringLiteral("amy"));
    expectViewer();
    f->Button2Click();
    EXPECT_TRUE(reportLines().contains(QStringLiteral("System found 1 bookings between these dates<br>")));
}
