// Timing of the data layer on a generated school: the booking engine beside
// a raw slot look-up plus insert, the weekly sheet's read beside one raw
// indexed query, opening the data module, the client's bulk booking runs
// as their dialogs run them (report and progress window included), the
// reports (the usage statistics, one user's list of bookings, an item's
// booking sheet), the client's administration commands (item manager, flush,
// rights gates), the importer carrying a full version 4.x installation into
// a database that holds 100,000 bookings, and the extender's upgrade of the
// same school kept in a "5B" database.
//
//   bench_data           5,000 users, 1,000 items, 1,000,000 bookings
//   bench_data --small   a small school, for a quick check
#include "Alerts.h"
#include "BookingRuns.h"
#include "Bookings.h"
#include "ClientTimings.h"
#include "Clock.h"
#include "DataModule.h"
#include "DateValue.h"
#include "DbError.h"
#include "Forms.h"
#include "Lookups.h"
#include "ReportLog.h"
#include "Schema.h"
#include "Session.h"
#include "SheetReport.h"
#include "SmallDialogs.h"
#include "StatusWindows.h"
#include "Utilities.h"
#include "mainfrm.h"
#include "printlistbookingsfrm.h"
#include "setperfrm.h"
#include "usagestatsfrm.h"
#include "bench_import.h"

#include <QApplication>
#ifdef TAVRELL_BENCH_UPGRADE
#include "ExtendRun.h"
#include "OldDatabase.h"
#include "Upgrade.h"
#endif

#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>

namespace {

struct Size {
    int users, items, bookings, calls, weeks;
};

long residentKb()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

QString itemName(int i) { return QStringLiteral("ITEM%1").arg(i, 4, 10, QLatin1Char('0')); }

// The period names: "P1".."P12", or "1".."12" in an older database, whose
// period names are at most two characters.
QString periodName(int p, bool older) { return older ? QString::number(p) : QStringLiteral("P%1").arg(p); }

// A school in a new database, or (with older) in a "5B" one.
void generate(const QString& path, const Size& n, const QDate& firstDay, bool older = false)
{
#ifdef TAVRELL_BENCH_UPGRADE
    if (older)
        CreateOldDatabaseFile(path, QStringLiteral("5B"));
    else
#endif
        CreateDatabaseFile(path);
    Database db;
    db.open(path);
    WriteTransaction tx(db);
    QSqlQuery u = db.prepare(QStringLiteral(
        "INSERT INTO Users (username, FullName, accesslevel, canMakeBookings, canModifyBookings, AuthCode) "
        "VALUES (?, ?, ?, 1, 1, 'abcdef')"));
    for (int i = 0; i < n.users; ++i) {
        u.bindValue(0, QStringLiteral("U%1").arg(i));
        u.bindValue(1, QStringLiteral("User number %1").arg(i));
        u.bindValue(2, 1 + i % 200);
        Database::check(u, u.exec());
    }
    QSqlQuery it = db.prepare(QStringLiteral(
        "INSERT INTO items (ItemName, Catergory, minSecurity, AuthCode) VALUES (?, ?, 1, '123456')"));
    for (int i = 0; i < n.items; ++i) {
        it.bindValue(0, itemName(i));
        it.bindValue(1, QStringLiteral("Category %1").arg(i % 20));
        Database::check(it, it.exec());
    }
    for (int p = 1; p <= 12; ++p)
        db.exec(QStringLiteral("INSERT INTO periods VALUES (?, ?, ?)"),
                {periodName(p, older), p, QTime(8, 0).addSecs(50 * 60 * (p - 1)).toString(QStringLiteral("HH:mm:ss"))});
    QSqlQuery b = db.prepare(QStringLiteral(
        "INSERT INTO bookings (Date, Period, ItemBooked, BookedBy, forReason, BookedOnDate, BookedOnTime, AuthCode) "
        "VALUES (?, ?, ?, ?, 'Generated', ?, '12:00:00', 'xxxxxx')"));
    const int days = std::max(1, (n.bookings + n.items * 12 - 1) / (n.items * 12));
    int made = 0;
    for (int i = 0; i < n.items && made < n.bookings; ++i)
        for (int d = 0; d < days && made < n.bookings; ++d)
            for (int p = 1; p <= 12 && made < n.bookings; ++p, ++made) {
                b.bindValue(0, DateValue::dateText(firstDay.addDays(d)));
                b.bindValue(1, periodName(p, older));
                b.bindValue(2, itemName(i));
                b.bindValue(3, QStringLiteral("U%1").arg(made % n.users));
                b.bindValue(4, DateValue::dateText(firstDay));
                Database::check(b, b.exec());
            }
    tx.commit();
}

// One item's week as the weekly sheet reads it.
__attribute__((noinline)) long readSheetWeek(const QString& item, const QDate& monday)
{
    long cells = 0;
    for (const WeekBooking& b : ReadItemWeek(item, monday))
        if (b.order != -1)
            cells += b.period.size() + b.bookedBy.size();
    return cells;
}

// The same week in one raw indexed query.
__attribute__((noinline)) long readRawWeek(QSqlQuery& week, const QString& item, const QDate& monday)
{
    long cells = 0;
    week.bindValue(0, item);
    week.bindValue(1, DateValue::dateText(monday));
    week.bindValue(2, DateValue::dateText(monday.addDays(6)));
    Database::check(week, week.exec());
    while (week.next())
        cells += week.value(2).toString().size() + week.value(4).toString().size();
    week.finish();
    return cells;
}

// A period save that exchanges the names of the first two periods: the
// table rewritten and every booking of the two carried over, in one
// transaction. Answers the milliseconds it took.
double benchPeriodSave(DataModule& dm, int& renamed)
{
    Database& raw = dm.ADOConnection;
    renamed = raw.scalar(QStringLiteral("SELECT COUNT(*) FROM bookings WHERE Period IN ('P1', 'P2')")).toInt();
    QList<PeriodSlot> periods;
    for (int p = 1; p <= 12; ++p)
        periods.append({QStringLiteral("P%1").arg(p), QTime(8, 0).addSecs(50 * 60 * (p - 1))});
    std::swap(periods[0].name, periods[1].name);
    QElapsedTimer t;
    t.start();
    StorePeriods(periods, {{QStringLiteral("P1"), QStringLiteral("P2")}, {QStringLiteral("P2"), QStringLiteral("P1")}},
                 ReadPeriodRows());
    const double ms = t.nsecsElapsed() / 1e6;
    if (PeriodNameAt(1) != QStringLiteral("P2"))
        std::printf("warning: the period save did not store the exchanged names\n");
    return ms;
}

double perCallUs(qint64 ns, int calls) { return calls ? ns / 1000.0 / calls : 0; }

// Reports on, written for real into a report folder of the run's own;
// every dialog is answered unseen.
void reportsOn(const QString& folder)
{
    AppFolder = folder + QLatin1Char('/');
    QDir(folder).mkpath(QStringLiteral("reports"));
    for (const char* name : {"reports/header.htm", "reports/footer.htm", "reports/reportlogo.jpg"}) {
        QFile f(folder + QLatin1Char('/') + QLatin1String(name));
        if (f.open(QIODevice::WriteOnly))
            f.write("<p>~TITLE~ ~USER~ ~DATE~</p>\n");
    }
    ReportsEnabled = true;
    ModalSeam::setRunner([](QDialog&) { return mrOk; });
}

// The reports, written for real, the viewer dismissed unseen.
void reportFigures(const QString& folder, const QDate& firstDay)
{
    reportsOn(folder);
    // The lists run over the main window, as in the client.
    Tmainfrm window;
    SetMainWindow(&window);
    QElapsedTimer t;
    // The windows the reports use are made beforehand, so that the memory
    // figure is the reports' own.
    StatusForm();
    ReporterForm();
    UsageStatsForm();

    const long before = residentKb();
    t.start();
    GenerateUsageReport();
    std::printf("usage statistics:    %9.1f ms, resident memory grew by %ld KiB (target < 2000 ms)\n",
                t.nsecsElapsed() / 1e6, residentKb() - before);

    Tprintlistbookingsfrm* list = PrintListBookingsForm();
    list->setStartDate(firstDay);
    list->FormShow();
    list->foruser->setText(QStringLiteral("u7"));
    t.start();
    list->Button2Click();
    std::printf("list of bookings:    %9.1f ms for %d bookings over 30 days (target < 1000 ms)\n",
                t.nsecsElapsed() / 1e6, DM().Cache.recordCount());

    t.start();
    BookingSheetReport(itemName(0), QDateTime(MondayOf(firstDay.addDays(7)), QTime(0, 0)));
    std::printf("booking sheet:       %9.1f ms for a full week (target < 200 ms)\n", t.nsecsElapsed() / 1e6);
    ModalSeam::reset();
    SetMainWindow(nullptr);
}

double seconds(QElapsedTimer& t) { return t.nsecsElapsed() / 1e9; }

// The first `count` Mondays-to-Fridays from `from` on, and the last of them.
QDate afterSchoolDays(const QDate& from, int count)
{
    QDate d = from;
    for (int seen = 0;; d = d.addDays(1))
        if (d.dayOfWeek() <= 5 && ++seen == count)
            return d;
}

// The bulk runs of the client's booking dialogs, each called as its dialog
// calls it: reports on, progress window shown, messages answered unseen.
void benchRuns(DataModule& dm, const QString& folder, const QDate& firstDay, const Size& n)
{
    reportsOn(folder);
    dm.ADOConnection.exec(QStringLiteral(
        "INSERT INTO Users (username, FullName, accesslevel, canMakeBookings, canModifyBookings, "
        "canMakePermanentBookings, canFlushBookings, AuthCode) VALUES ('BENCH', 'Bench', 250, 1, 1, 1, 1, 'abcdef')"));
    CurrentUser = QStringLiteral("BENCH");
    Tmainfrm w;
    const WeekdayPeriods fivePeriods{QStringList{"P1", "P2", "P3", "P4", "P5"}, QStringList{"P1", "P2", "P3", "P4", "P5"},
                                     QStringList{"P1", "P2", "P3", "P4", "P5"}, QStringList{"P1", "P2", "P3", "P4", "P5"},
                                     QStringList{"P1", "P2", "P3", "P4", "P5"}};
    const int schoolDays = 190;
    QElapsedTimer t;

    // A permanent booking of one item, five periods on 190 school days.
    const QDate permFrom = firstDay.addDays(500);
    const QDate permTo = afterSchoolDays(permFrom, schoolDays);
    t.start();
    PermanentBookingRun(w, itemName(1), QStringLiteral("BENCH"), QStringLiteral("Bench"), permFrom, permTo, fivePeriods);
    const double permS = seconds(t);
    const int placed = dm.ADOConnection
                           .scalar(QStringLiteral("SELECT count(*) FROM bookings WHERE ItemBooked = ? AND isPermanent = 1"),
                                   {itemName(1)})
                           .toInt();

    // A fully booked week (12 periods) replicated over 52 weeks.
    const QDate repFrom = firstDay.addDays(900);
    {
        WriteTransaction tx(dm.ADOConnection);
        for (int d = 0; d < 7; ++d)
            for (int p = 1; p <= 12; ++p)
                dm.ADOConnection.exec(
                    QStringLiteral("INSERT INTO bookings (Date, Period, ItemBooked, BookedBy, forReason, BookedOnDate, "
                                   "BookedOnTime, AuthCode) VALUES (?, ?, ?, 'U1', 'Week', ?, '12:00:00', 'xxxxxx')"),
                    {DateValue::dateText(repFrom.addDays(d)), QStringLiteral("P%1").arg(p), itemName(2),
                     DateValue::dateText(firstDay)});
        tx.commit();
    }
    t.start();
    ReplicationRun(w, itemName(2), repFrom, repFrom.addDays(52 * 7), true);
    const double repS = seconds(t);
    const int copies = dm.ADOConnection
                           .scalar(QStringLiteral("SELECT count(*) FROM bookings WHERE ItemBooked = ? AND Date >= ?"),
                                   {itemName(2), DateValue::dateText(repFrom)})
                           .toInt();

    // A search of a 20-item category over 190 school days, five periods.
    QStringList items;
    for (int i = 3; items.size() < 20 && i < n.items; i += 20)
        items << itemName(i);
    const QDate searchTo = afterSchoolDays(firstDay, schoolDays);
    t.start();
    const QList<FreeSlot> free = VacancySearch(w, items, firstDay, searchTo, fivePeriods, 25);
    const double searchS = seconds(t);

    // A mass cancel of one item's bookings (about a thousand).
    QStringList all;
    for (int p = 1; p <= 12; ++p)
        all << QStringLiteral("P%1").arg(p);
    MassCancelCriteria c;
    c.item = itemName(4);
    c.from = firstDay;
    c.to = firstDay.addDays(400);
    c.periods = all;
    Dataset query(&dm.ADOConnection);
    t.start();
    const int cancelled = MassCancelRun(w, query, c);
    const double cancelS = seconds(t);

    std::printf("permanent booking:   %9.2f s for %d bookings (target < 1 s for 950)\n", permS, placed);
    std::printf("replication:         %9.2f s for %d bookings over 52 weeks (target < 3 s)\n", repS, copies);
    std::printf("vacancy search:      %9.2f s for %lld look-ups of %lld items, %lld free (target < 2 s)\n", searchS,
                static_cast<long long>(items.size()) * schoolDays * 5, static_cast<long long>(items.size()),
                static_cast<long long>(free.size()));
    std::printf("mass cancel:         %9.2f s for %d bookings (target < 1 s)\n", cancelS, cancelled);
    ModalSeam::reset();
}

} // namespace

int main(int argc, char** argv)
{
    // The runs and the importer's wizard show windows: draw them nowhere.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool small = app.arguments().contains(QStringLiteral("--small"));
    const Size n = small ? Size{500, 100, 20000, 200, 50} : Size{5000, 1000, 1000000, 1000, 500};

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.mdb"));
    const QDate firstDay = QDate::currentDate().addDays(1);
    QElapsedTimer t;
    try {
        t.start();
        generate(path, n, firstDay);
        std::printf("generated %d users, %d items, %d bookings in %.1f s\n", n.users, n.items, n.bookings,
                    t.elapsed() / 1000.0);

        // (c) opening the data module
        const long before = residentKb();
        t.start();
        DataModule dm;
        dm.connectTo(path);
        dm.openTables();
        const double openMs = t.nsecsElapsed() / 1e6;
        const long openKb = residentKb() - before;
        SetDM(&dm);
        CurrentUser = QStringLiteral("U7");

        // (a) PlaceBooking on free slots, beside the raw look-up and insert
        const QDate freeDay = firstDay.addDays(400);
        t.start();
        int ok = 0;
        for (int i = 0; i < n.calls; ++i) {
            const BookingResultCode code =
                PlaceBooking(itemName(i % n.items), QStringLiteral("P%1").arg(1 + i % 12), CurrentUser,
                             QDateTime(freeDay.addDays(i / n.items), QTime(0, 0)), QStringLiteral("Bench"), false,
                             CurrentUser, false);
            ok += code == 0;
        }
        const qint64 engineNs = t.nsecsElapsed();
        if (ok != n.calls)
            std::printf("warning: %d of %d engine bookings were refused\n", n.calls - ok, n.calls);

        Database& raw = dm.ADOConnection;
        QSqlQuery find = raw.prepare(QStringLiteral(
            "SELECT \"Index\" FROM bookings WHERE ItemBooked = ? AND Date = ? AND Period = ?"));
        QSqlQuery insert = raw.prepare(QStringLiteral(
            "INSERT INTO bookings (ItemBooked, Date, Period, BookedBy, forReason, BookedOnDate, BookedOnTime, "
            "AuthCode, isPermanent) VALUES (?, ?, ?, ?, ?, ?, ?, ?, 0)"));
        const QDate rawDay = freeDay.addDays(200);
        t.start();
        for (int i = 0; i < n.calls; ++i) {
            WriteTransaction tx(raw);
            const QString item = itemName(i % n.items);
            const QString day = DateValue::dateText(rawDay.addDays(i / n.items));
            const QString period = QStringLiteral("P%1").arg(1 + i % 12);
            find.bindValue(0, item);
            find.bindValue(1, day);
            find.bindValue(2, period);
            Database::check(find, find.exec());
            const bool taken = find.next();
            find.finish();
            if (!taken) {
                const QDateTime now = QDateTime::currentDateTime();
                insert.bindValue(0, item);
                insert.bindValue(1, day);
                insert.bindValue(2, period);
                insert.bindValue(3, CurrentUser);
                insert.bindValue(4, QStringLiteral("Bench"));
                insert.bindValue(5, DateValue::dateText(now.date()));
                insert.bindValue(6, DateValue::timeText(now.time()));
                insert.bindValue(7, QStringLiteral("xxxxxx"));
                Database::check(insert, insert.exec());
            }
            tx.commit();
        }
        const qint64 rawNs = t.nsecsElapsed();

        // (b) one item's week: the sheet's seven queries beside one raw indexed query
        long cells = 0;
        t.start();
        for (int w = 0; w < n.weeks; ++w)
            cells += readSheetWeek(itemName((w * 37) % n.items), firstDay.addDays(w % 70));
        const qint64 weekNs = t.nsecsElapsed();

        QSqlQuery week = raw.prepare(QStringLiteral(
            "SELECT * FROM bookings WHERE ItemBooked = ? AND Date BETWEEN ? AND ? ORDER BY Date, Period"));
        long rawCells = 0;
        t.start();
        for (int w = 0; w < n.weeks; ++w)
            rawCells += readRawWeek(week, itemName((w * 37) % n.items), firstDay.addDays(w % 70));
        const qint64 rawWeekNs = t.nsecsElapsed();

        QSqlQuery oneDay = raw.prepare(QStringLiteral("SELECT * FROM bookings WHERE ItemBooked = ? AND Date = ?"));
        long rawDayCells = 0;
        t.start();
        for (int w = 0; w < n.weeks; ++w) {
            for (int d = 0; d < 7; ++d) {
                oneDay.bindValue(0, itemName((w * 37) % n.items));
                oneDay.bindValue(1, DateValue::dateText(firstDay.addDays(d + w % 70)));
                Database::check(oneDay, oneDay.exec());
                while (oneDay.next())
                    rawDayCells += oneDay.value(2).toString().size() + oneDay.value(4).toString().size();
                oneDay.finish();
            }
        }
        const qint64 rawDaysNs = t.nsecsElapsed();
        if (cells != rawCells)
            std::printf("warning: the two week reads saw different data (%ld vs %ld)\n", cells, rawCells);

        const double engineUs = perCallUs(engineNs, n.calls), rawUs = perCallUs(rawNs, n.calls);
        const double weekUs = perCallUs(weekNs, n.weeks), rawWeekUs = perCallUs(rawWeekNs, n.weeks);
        std::printf("PlaceBooking:        %9.1f us per call\n", engineUs);
        std::printf("raw look-up+insert:  %9.1f us per call   ratio %.2f (target <= 3)\n", rawUs, engineUs / rawUs);
        std::printf("week read (sheet):   %9.1f us per week\n", weekUs);
        std::printf("raw week query:      %9.1f us per week   ratio %.2f (target <= 2)\n", rawWeekUs, weekUs / rawWeekUs);
        std::printf("raw day queries x7:  %9.1f us per week\n", perCallUs(rawDaysNs, n.weeks));
        std::printf("open data module:    %9.1f ms, resident memory grew by %ld KiB (target < 200 ms)\n", openMs,
                    openKb);
        int renamed = 0;
        const double periodSaveMs = benchPeriodSave(dm, renamed);
        std::printf("period save (exchange two names, %d bookings renamed): %.0f ms (target < 5000 ms)\n", renamed,
                    periodSaveMs);
        reportFigures(dir.path(), firstDay);
        std::printf("resident memory after the run: %ld KiB\n", residentKb());

        benchRuns(dm, dir.path(), firstDay, n);
        SetDM(nullptr);

        RunClientTimings(path, QStringLiteral("U%1").arg(n.users / 2), itemName(n.items / 2));

        // (d) the importer: a full 4.x installation into 100,000 bookings
        const QString importPath = dir.filePath(QStringLiteral("import/data.mdb"));
        QDir().mkpath(QFileInfo(importPath).absolutePath());
        generate(importPath, small ? Size{100, 100, 10000, 0, 0} : Size{500, 1000, 100000, 0, 0}, firstDay);
        const double importS = BenchImport(importPath, small);
        if (importS < 0)
            return 1;
        std::printf("import of a 4.x installation: %6.1f s (target < 20 s)\n", importS);
#ifdef TAVRELL_BENCH_UPGRADE
        // (d) the extender's upgrade of the same school from "5B" to "5C"
        const QString older = dir.filePath(QStringLiteral("older.mdb"));
        t.start();
        generate(older, n, firstDay, true);
        std::printf("generated the same school at level 5B in %.1f s\n", t.elapsed() / 1000.0);
        DataModule upgrading;
        TADOCommand command;
        upgrading.connectTo(older);
        t.start();
        if (!RaiseDatabaseLevel(upgrading, command))
            throw DbError(QStringLiteral("the older database has no config row"));
        const double upgradeS = t.nsecsElapsed() / 1e9;
        const QString level = upgrading.ADOConnection.scalar(QStringLiteral("SELECT dbVer FROM config")).toString();
        const int kept = upgrading.ADOConnection.scalar(QStringLiteral("SELECT count(*) FROM bookings")).toInt();
        std::printf("upgrade 5B -> %s:     %9.2f s for %d bookings kept (target < 10 s)\n", qPrintable(level),
                    upgradeS, kept);
#endif
    } catch (const DbError& e) {
        std::fprintf(stderr, "bench_data: %s\n", e.what());
        return 1;
    }
    return 0;
}
