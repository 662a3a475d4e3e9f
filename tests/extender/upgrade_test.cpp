// The upgrade run: the level rules, raising older files to the current
// level with every row kept, leaving current files alone, and the ways a
// run fails without leaving a half-raised file.
#include "Bookings.h"
#include "Clock.h"
#include "DataModule.h"
#include "ExtendRun.h"
#include "InstallSettings.h"
#include "OldDatabase.h"
#include "Schema.h"
#include "Session.h"
#include "UiScript.h"
#include "Upgrade.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstring>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace M = ExtenderMessages;

namespace {

QStringList rowsOf(Database& db, const QString& sql)
{
    QSqlQuery q = db.prepare(sql);
    Database::check(q, q.exec());
    QStringList rows;
    while (q.next()) {
        QStringList cells;
        for (int i = 0; i < q.record().count(); ++i)
            cells << (q.isNull(i) ? QStringLiteral("<null>") : q.value(i).toString());
        rows << cells.join(QLatin1Char('|'));
    }
    q.finish();
    return rows;
}

// What a file's tables, columns, indexes and triggers are, column order
// aside.
QStringList schemaOf(const QString& path)
{
    Database db;
    db.open(path);
    QStringList out;
    for (const QString& object : rowsOf(db, QStringLiteral(
             "SELECT type, name, tbl_name, sql FROM sqlite_master WHERE name <> 'sqlite_sequence' ORDER BY type, name"))) {
        const QStringList f = object.split(QLatin1Char('|'));
        if (f[0] == QLatin1String("table")) {
            QStringList parts;
            for (const QString& p : TableDefinitionParts(f[3]))
                parts << p.simplified();
            parts.sort();
            QStringList columns = rowsOf(db, QStringLiteral("SELECT name, type, \"notnull\", dflt_value, pk "
                                                            "FROM pragma_table_xinfo('%1')").arg(f[1]));
            columns.sort();
            out << QStringLiteral("table %1: %2 / %3").arg(f[1], parts.join(QStringLiteral(", ")),
                                                            columns.join(QStringLiteral(", ")));
        } else {
            out << QStringLiteral("%1 %2 on %3: %4").arg(f[0], f[1], f[2], f.mid(3).join(QLatin1Char('|')).simplified());
        }
    }
    return out;
}

// Everything a file holds, as text: its objects with their statements,
// every table's rows under their row numbers, and the next numbers.
QString contentsOf(const QString& path)
{
    Database db;
    db.open(path);
    QStringList out = rowsOf(db, QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY type, name"));
    for (const QString& table :
         rowsOf(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"))) {
        out << QStringLiteral("rows of ") + table;
        out << rowsOf(db, table == QLatin1String("sqlite_sequence")
                              ? QStringLiteral("SELECT * FROM sqlite_sequence ORDER BY name")
                              : QStringLiteral("SELECT rowid, * FROM \"%1\" ORDER BY rowid").arg(table));
    }
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// The columns every level has, table by table, to compare rows by.
const QList<std::pair<QString, QString>> KeptColumns = {
    {QStringLiteral("Users"), QStringLiteral("username, password, FullName, accesslevel, isStaff, canMakeBookings, "
                                             "isAdministrator, Hide, ExpiresOn, AuthCode")},
    {QStringLiteral("items"), QStringLiteral("ItemName, ItemDescription, Manager, Catergory, minSecurity, "
                                             "isAvailable, BarCode, AuthCode")},
    {QStringLiteral("catergories"), QStringLiteral("CaterGoryName, Description")},
    {QStringLiteral("bookings"), QStringLiteral("\"Index\", Date, Period, ItemBooked, BookedBy, forReason, "
                                                "BookedOnDate, BookedOnTime, AuthCode")},
    {QStringLiteral("periods"), QStringLiteral("rowid, period, \"order\", StartTime")},
    {QStringLiteral("config"), QStringLiteral("AutoLogin, PromptPassword, AutoRegister, InstallID, "
                                              "RemoveObsoleteBookings")},
    {QStringLiteral("System"), QStringLiteral("forceshutdown, denylogin, reason, user")},
};

} // namespace

class ExtendTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        folder = dir.path();
        path = QDir(folder).filePath(QStringLiteral("data.mdb"));
    }

    ExtendOutcome run(const QString& typed = QString())
    {
        statuses.clear();
        const ExtendOutcome outcome = ExtendDatabase(dm, command, typed.isNull() ? folder : typed,
                                                     [this](const QString& s) { statuses << s; });
        dm.closeAll();
        return outcome;
    }

    // Rows in every table; the bookings' numbers have gaps, and the last
    // number given out was deleted again.
    void fill()
    {
        Database db;
        db.open(path);
        WriteTransaction tx(db);
        db.exec(QStringLiteral("INSERT INTO Users (username, password, FullName, accesslevel, isStaff, "
                               "canMakeBookings, isAdministrator, Hide, ExpiresOn, AuthCode) VALUES "
                               "('ADMIN', 'xyz', 'Administrator', 250, 1, 1, 1, 0, NULL, 'abcdef'), "
                               "('<DEFAULT>', NULL, 'Template', 10, 0, 1, 0, 1, NULL, ''), "
                               "('alice', 'pqr', 'Alice Smith', 20, 1, 1, 0, 0, '2027-07-31 00:00:00', 'uvwxyz')"));
        db.exec(QStringLiteral("INSERT INTO catergories VALUES ('Miscellaneous', 'Everything else'), "
                               "('Rooms', 'Teaching rooms')"));
        db.exec(QStringLiteral("INSERT INTO items (ItemName, ItemDescription, Manager, Catergory, minSecurity, "
                               "isAvailable, BarCode, AuthCode) VALUES "
                               "('ROOM1', 'The hall', 'ADMIN', 'Rooms', 5, 1, '*1234000001*', '123456'), "
                               "('PROJECTOR', NULL, NULL, 'Miscellaneous', 1, 0, NULL, '654321')"));
        for (int p = 1; p <= 12; ++p)
            db.exec(QStringLiteral("INSERT INTO periods (period, \"order\", StartTime) VALUES (?, ?, ?)"),
                    {p == 7 ? QStringLiteral("Lu") : QString::number(p), p,
                     QStringLiteral("%1:00:00").arg(7 + p, 2, 10, QLatin1Char('0'))});
        for (int index : {1, 2, 5, 9, 10})
            db.exec(QStringLiteral("INSERT INTO bookings (\"Index\", Date, Period, ItemBooked, BookedBy, forReason, "
                                   "BookedOnDate, BookedOnTime, AuthCode) VALUES (?, ?, ?, 'ROOM1', 'alice', ?, "
                                   "'2026-03-01', '10:15:00', 'q1w2e3')"),
                    {index, QStringLiteral("2026-03-%1").arg(index + 10), QString::number(1 + index % 12),
                     QStringLiteral("Lesson %1").arg(index)});
        db.exec(QStringLiteral("DELETE FROM bookings WHERE \"Index\" = 10"));
        tx.commit();
    }

    QStringList keptRows()
    {
        Database db;
        db.open(path);
        QStringList rows;
        for (const auto& [table, columns] : KeptColumns)
            rows << table << rowsOf(db, QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(columns, table));
        return rows;
    }

    QString freshSchemaFile()
    {
        const QString fresh = QDir(freshDir.path()).filePath(QStringLiteral("data.mdb"));
        if (!QFile::exists(fresh))
            CreateDatabaseFile(fresh);
        return fresh;
    }

    // One statement or value on the file, each over its own connection.
    void execOn(const QString& sql, const QVariantList& values = {})
    {
        Database db;
        db.open(path);
        db.exec(sql, values);
    }
    QVariant scalarOf(const QString& sql, const QVariantList& values = {})
    {
        Database db;
        db.open(path);
        return db.scalar(sql, values);
    }
    qint64 changesOf(const QString& table)
    {
        return scalarOf(QStringLiteral("SELECT Changes FROM TableChanges WHERE TableName = ?"), {table}).toLongLong();
    }
    QString levelOf() { return scalarOf(QStringLiteral("SELECT dbVer FROM config")).toString(); }

    QTemporaryDir dir;
    QTemporaryDir freshDir;
    QString folder;
    QString path;
    UiScript ui;
    DataModule dm;
    TADOCommand command;
    QStringList statuses;
};

TEST(ExtendLevels, PlainOrdinalComparisonWithFiveB)
{
    struct Case {
        const char* level;
        bool upgrade;
    };
    const Case cases[] = {{"", true},    {"5A", true},  {"5B", true},  {"10", true},  {"5", true},
                          {"5C", false}, {"5b", false}, {"6", false},  {"5B ", false}, {"X", false}};
    for (const Case& c : cases)
        EXPECT_EQ(LevelNeedsUpgrade(QString::fromLatin1(c.level)), c.upgrade) << c.level;
}

TEST(ExtendLevels, ProposedFolderIsTheStoredOneElseTheProgramsOwn)
{
    QTemporaryDir store;
    ASSERT_TRUE(store.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, store.path());
    ResetSession();
    AppFolder = QStringLiteral("/opt/extender/");
    EXPECT_EQ(ReadInstallFolder(), QStringLiteral("/opt/extender/"));
    ASSERT_TRUE(InstallSettings::writeInstallFolder(QString()));
    EXPECT_EQ(ReadInstallFolder(), QStringLiteral("/opt/extender/"));
    ASSERT_TRUE(InstallSettings::writeInstallFolder(QStringLiteral("/srv/tavrell/")));
    EXPECT_EQ(ReadInstallFolder(), QStringLiteral("/srv/tavrell/"));
    ResetSession();
}

TEST(ExtendLevels, StatementsTakeTheCurrentDefinitions)
{
    const LevelDefinition current;
    // The level field is text (a numeric type would store "10" as a number).
    EXPECT_TRUE(LevelFieldStatement(current).simplified().startsWith(
        QStringLiteral("ALTER TABLE \"config\" ADD COLUMN \"dbVer\" TEXT")));
    // Names are found in any letter case; the yes/no fields read "no" on
    // the rows already there.
    EXPECT_TRUE(current.columnDefinition(QStringLiteral("users"), QStringLiteral("CANOVERRIDEBOOKINGLIMIT"))
                    .simplified()
                    .startsWith(QStringLiteral("\"canOverrideBookingLimit\" INTEGER NOT NULL DEFAULT 0")));
    EXPECT_THROW(current.columnDefinition(QStringLiteral("config"), QStringLiteral("nothing")), DbError);
    // Comments, quoted commas and nested brackets do not split a definition.
    EXPECT_EQ(TableDefinitionParts(QStringLiteral("CREATE TABLE \"t(1)\" (\n  a TEXT DEFAULT 'x,y', -- one, two\n"
                                                  "  [b c] INTEGER CHECK (b IN (1, 2)) /* , */,\n  PRIMARY KEY (a)\n)")),
              (QStringList{QStringLiteral("a TEXT DEFAULT 'x,y'"), QStringLiteral("[b c] INTEGER CHECK (b IN (1, 2))"),
                           QStringLiteral("PRIMARY KEY (a)")}));
}

// A level-less file and a "5B" one (also one at "10", which stays text)
// end at the current level with the layout of a new file and every row.
// The folder is used as typed: the "5B" one is given with a trailing
// separator, which doubles it and works.
TEST_F(ExtendTest, OlderFilesReachTheCurrentLevelWithEveryRow)
{
    for (const std::optional<QString>& level :
         {std::optional<QString>(), std::optional<QString>(QStringLiteral("5B")), std::optional<QString>(QStringLiteral("10"))}) {
        SCOPED_TRACE(level ? level->toStdString() : "no level");
        QFile::remove(path);
        CreateOldDatabaseFile(path, level);
        fill();
        if (level == QStringLiteral("10")) {
            EXPECT_EQ(scalarOf(QStringLiteral("SELECT typeof(dbVer) || ':' || dbVer FROM config")).toString(),
                      QStringLiteral("text:10"));
        }
        const QStringList before = keptRows();
        ui.alerts.clear();

        EXPECT_EQ(run(level == QStringLiteral("5B") ? folder + QLatin1Char('/') : QString()), ExtendOutcome::Done);
        EXPECT_EQ(ui.alerts, QStringList{M::Completed});
        EXPECT_EQ(statuses, (QStringList{M::Extending, M::Done}));
        EXPECT_EQ(schemaOf(path), schemaOf(freshSchemaFile()));
        EXPECT_EQ(keptRows(), before);

        Database db;
        db.open(path);
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT typeof(dbVer) || ':' || dbVer FROM config")).toString(),
                  QStringLiteral("text:5C"));
        // The new fields read "no" on the rows that were there.
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT enableBookingLimit FROM config")).toInt(), 0);
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM bookings WHERE isPermanent = 0")).toInt(), 4);
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM Users WHERE canOverrideBookingLimit = 0")).toInt(), 3);
        // Numbering goes on after the last number ever given out.
        db.exec(QStringLiteral("INSERT INTO bookings (Date, Period, ItemBooked) VALUES ('2026-04-01', 'Lunchtime', 'ROOM1')"));
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT max(\"Index\") FROM bookings")).toInt(), 11);
        // Period names of ten characters fit now, in both tables.
        db.exec(QStringLiteral("UPDATE periods SET period = 'Lunchtime!' WHERE \"order\" = 7"));
        EXPECT_THROW(db.exec(QStringLiteral("UPDATE periods SET period = 'Lunchtime!!' WHERE \"order\" = 7")), DbError);
    }
}

// The upgraded file, object by object and row by row, is the one the
// upgrade has always made: statements, row numbers, next numbers.
TEST_F(ExtendTest, TheUpgradedFileHoldsWhatItAlwaysHeld)
{
    CreateOldDatabaseFile(path, std::nullopt);
    fill();
    execOn(QStringLiteral("UPDATE config SET InstallID = '1234'"));
    EXPECT_EQ(run(), ExtendOutcome::Done);
    QFile golden(QStringLiteral(TAVRELL_EXTENDER_GOLDEN_DIR "/upgraded.txt"));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    EXPECT_EQ(contentsOf(path), QString::fromUtf8(golden.readAll()));
}

// A school's own views, triggers and foreign keys over the rebuilt tables
// work after the upgrade as before it, their statements unchanged; so do its
// own columns on those tables (with their values), indexes and triggers.
TEST_F(ExtendTest, ASchoolsOwnViewsTriggersAndKeysOverRebuiltTablesKeepWorking)
{
    CreateOldDatabaseFile(path, std::nullopt);
    fill();
    execOn(QStringLiteral("ALTER TABLE bookings ADD COLUMN \"Note\" TEXT NOT NULL DEFAULT ''"));
    execOn(QStringLiteral("ALTER TABLE periods ADD COLUMN \"Bell\" INTEGER DEFAULT 1"));
    execOn(QStringLiteral("ALTER TABLE periods ADD COLUMN \"Label\" TEXT AS (period || ' at ' || StartTime)"));
    execOn(QStringLiteral("UPDATE bookings SET Note = 'Note ' || \"Index\" WHERE \"Index\" > 1"));
    execOn(QStringLiteral("UPDATE periods SET Bell = 0 WHERE \"order\" > 6"));
    const char* own[] = {
        "CREATE VIEW \"PeriodNames\" AS SELECT period FROM periods WHERE \"order\" <= 3",
        "CREATE VIEW \"AliceBookings\" AS SELECT \"Index\", forReason FROM bookings WHERE BookedBy = 'alice'",
        "CREATE TRIGGER \"UserGone\" AFTER DELETE ON Users BEGIN DELETE FROM bookings WHERE BookedBy = old.username; END",
        "CREATE TABLE \"Notes\" (Booking INTEGER REFERENCES bookings (\"Index\"), Note TEXT)",
        "CREATE TABLE \"Log\" (What TEXT)",
        "CREATE INDEX \"bookings_note\" ON bookings (Note) WHERE Note <> ''",
        "CREATE TRIGGER \"BookingGone\" AFTER DELETE ON bookings BEGIN INSERT INTO Log VALUES ('booking ' || old.\"Index\" || ' ' || old.Note); END",
        "CREATE INDEX \"periods_bell\" ON periods (Bell, \"order\")",
        "CREATE TRIGGER \"PeriodRenamed\" AFTER UPDATE OF period ON periods BEGIN INSERT INTO Log VALUES ('period ' || new.Label); END"};
    QStringList statements;
    for (const char* sql : own) {
        execOn(QLatin1String(sql));
        statements << QLatin1String(sql);
    }
    statements.sort();
    execOn(QStringLiteral("INSERT INTO Notes VALUES (5, 'Projector needed')"));
    const QString ownSql = QStringLiteral("SELECT sql FROM sqlite_master WHERE name IN ('PeriodNames', 'AliceBookings', "
                                          "'UserGone', 'Notes', 'Log', 'bookings_note', 'BookingGone', 'periods_bell', "
                                          "'PeriodRenamed') ORDER BY sql");
    const auto ownValues = [](Database& db) {
        return rowsOf(db, QStringLiteral("SELECT rowid, Note FROM bookings ORDER BY rowid"))
               + rowsOf(db, QStringLiteral("SELECT rowid, Bell, Label FROM periods ORDER BY rowid"));
    };
    QStringList valuesBefore;
    {
        Database db;
        db.open(path);
        valuesBefore = ownValues(db);
    }
    ASSERT_EQ(run(), ExtendOutcome::Done) << ui.alerts.join(QLatin1Char('\n')).toStdString();
    Database db;
    db.open(path);
    EXPECT_EQ(rowsOf(db, ownSql), statements);
    EXPECT_EQ(ownValues(db), valuesBefore);
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(rowsOf(db, QStringLiteral("SELECT * FROM PeriodNames")), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(rowsOf(db, QStringLiteral("SELECT * FROM AliceBookings")).size(), 4);
    EXPECT_EQ(rowsOf(db, QStringLiteral("SELECT * FROM pragma_foreign_key_check('Notes')")), QStringList());
    EXPECT_EQ(db.exec(QStringLiteral("UPDATE periods SET period = 'Lunch' WHERE \"order\" = 7")), 1);
    EXPECT_EQ(db.exec(QStringLiteral("DELETE FROM Users WHERE username = 'alice'")), 1);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM bookings")).toInt(), 0);
    EXPECT_EQ(rowsOf(db, QStringLiteral("SELECT What FROM Log ORDER BY What")),
              (QStringList{"booking 1 ", "booking 2 Note 2", "booking 5 Note 5", "booking 9 Note 9",
                           "period Lunch at 14:00:00"}));
}

// A school's own columns and table constraints, laid out with the table by
// a tool that makes the table anew, are kept as declared. One the new layout
// cannot take (a collation only the school's tool knew) stops the upgrade,
// which names it; the file stays exactly as it was.
TEST_F(ExtendTest, AnOwnColumnLaidOutWithTheTableIsKeptOrTheUpgradeStopsNamingIt)
{
    struct Case {
        const char* added;
        bool kept;
    };
    const Case cases[] = {
        {", \"Code\" TEXT UNIQUE, CHECK (\"Code\" <> '')", true},
        {", \"Code\" TEXT COLLATE Latin", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.added);
        QFile::remove(path);
        CreateOldDatabaseFile(path, QStringLiteral("5B"));
        {
            Database db;
            db.open(path);
            sqlite3_create_collation(db.rawHandle(), "Latin", SQLITE_UTF8, nullptr,
                                     [](void*, int n1, const void* a, int n2, const void* b) {
                                         const int n = std::memcmp(a, b, std::min(n1, n2));
                                         return n != 0 ? n : n1 - n2;
                                     });
            WriteTransaction tx(db);
            const QStringList made = rowsOf(db, QStringLiteral("SELECT sql FROM sqlite_master WHERE tbl_name = "
                                                               "'periods' AND sql IS NOT NULL ORDER BY rowid"));
            db.exec(QStringLiteral("DROP TABLE periods"));
            QString create = made.first();
            db.exec(create.insert(create.lastIndexOf(QLatin1Char(')')), QLatin1String(c.added)));
            for (const QString& sql : made.mid(1))
                db.exec(sql);
            tx.commit();
        }
        fill();
        execOn(QStringLiteral("UPDATE periods SET Code = 'P' || \"order\""));
        const QString before = contentsOf(path);
        ui.alerts.clear();
        if (c.kept) {
            ASSERT_EQ(run(), ExtendOutcome::Done) << ui.alerts.join(QLatin1Char('\n')).toStdString();
            Database db;
            db.open(path);
            EXPECT_EQ(rowsOf(db, QStringLiteral("SELECT Code FROM periods WHERE \"order\" <= 2 ORDER BY rowid")),
                      (QStringList{"P1", "P2"}));
            EXPECT_THROW(db.exec(QStringLiteral("UPDATE periods SET Code = 'P1' WHERE \"order\" = 2")), DbError);
            EXPECT_THROW(db.exec(QStringLiteral("UPDATE periods SET Code = '' WHERE \"order\" = 2")), DbError);
            continue;
        }
        EXPECT_EQ(run(), ExtendOutcome::Failed);
        ASSERT_EQ(ui.alerts.size(), 1);
        EXPECT_TRUE(ui.alerts[0].contains(QStringLiteral("column \"periods\".\"Code\""))) << ui.alerts[0].toStdString();
        EXPECT_EQ(levelOf(), QStringLiteral("5B"));
        EXPECT_EQ(contentsOf(path), before);
    }
}

// A school's file from before the change counts (the tables alone) comes
// out with the counts and every table's triggers, and takes every write:
// the client's engine and the sqlite3 shell, each counted.
TEST_F(ExtendTest, AFileWithoutChangeCountsTakesEveryWriteOnceRaised)
{
    CreateOldDatabaseFile(path, std::nullopt, OldLayout::TablesOnly);
    fill();
    ASSERT_EQ(run(), ExtendOutcome::Done);
    {
        Database upgraded, fresh;
        upgraded.open(path);
        fresh.open(freshSchemaFile());
        for (const char* sql : {"SELECT name, tbl_name, sql FROM sqlite_master WHERE type = 'trigger' ORDER BY name",
                                "SELECT TableName FROM TableChanges ORDER BY TableName"})
            EXPECT_EQ(rowsOf(upgraded, QLatin1String(sql)), rowsOf(fresh, QLatin1String(sql))) << sql;
    }

    const qint64 bookings = changesOf(QStringLiteral("bookings"));
    const qint64 periods = changesOf(QStringLiteral("periods"));
    {
        DataModule client;
        client.connectTo(path);
        client.openTables();
        SetDM(&client);
        ResetSession();
        Clock::freeze(QDateTime(QDate(2026, 3, 4), QTime(9, 30)));
        CurrentUser = QStringLiteral("ADMIN");
        const QDateTime day(QDate(2026, 3, 20), QTime(0, 0));
        EXPECT_EQ(PlaceBooking(QStringLiteral("ROOM1"), QStringLiteral("3"), QStringLiteral("alice"), day,
                               QStringLiteral("Drama"), false, CurrentUser, false),
                  0)
            << LastBookingResult.message.toStdString();
        EXPECT_TRUE(AlterBooking(QStringLiteral("ROOM1"), QStringLiteral("3"), QStringLiteral("ADMIN"),
                                 QStringLiteral("Music"), day));
        EXPECT_TRUE(DeleteBooking(QStringLiteral("ROOM1"), QStringLiteral("3"), day));
        ASSERT_TRUE(client.PeriodsTable.locate(QStringLiteral("order"), 7));
        client.PeriodsTable.edit();
        client.PeriodsTable.setValue(QStringLiteral("period"), QStringLiteral("Lunchtime"));
        EXPECT_NO_THROW(client.PeriodsTable.post());
        SetDM(nullptr);
        Clock::reset();
        ResetSession();
    }
    EXPECT_EQ(changesOf(QStringLiteral("bookings")), bookings + 3);
    EXPECT_EQ(changesOf(QStringLiteral("periods")), periods + 1);
    EXPECT_EQ(scalarOf(QStringLiteral("SELECT period FROM periods WHERE \"order\" = 7")).toString(),
              QStringLiteral("Lunchtime"));

    QProcess shell;
    shell.start(QStringLiteral("sqlite3"),
                {path, QStringLiteral("INSERT INTO bookings (Date, Period, ItemBooked, BookedBy, forReason) "
                                      "VALUES ('2026-03-21', 'Lunchtime', 'ROOM1', 'alice', 'Shell');"
                                      "UPDATE bookings SET forReason = 'Shell 2' WHERE forReason = 'Shell';"
                                      "DELETE FROM bookings WHERE forReason = 'Shell 2';"
                                      "UPDATE periods SET StartTime = '14:00:00' WHERE \"order\" = 7;")});
    ASSERT_TRUE(shell.waitForFinished(30000)) << shell.errorString().toStdString();
    EXPECT_EQ(shell.exitCode(), 0);
    EXPECT_EQ(shell.readAllStandardError(), QByteArray());
    EXPECT_EQ(changesOf(QStringLiteral("bookings")), bookings + 6);
    EXPECT_EQ(changesOf(QStringLiteral("periods")), periods + 2);
}

TEST_F(ExtendTest, FilesAtOrAboveTheCurrentLevelAreNotWritten)
{
    for (const char* level : {"5C", "5b", "6"}) {
        SCOPED_TRACE(level);
        QFile::remove(path);
        if (QLatin1String(level) == QLatin1String("5C")) {
            CreateDatabaseFile(path);
        } else {
            CreateOldDatabaseFile(path, QString::fromLatin1(level));
            fill();
        }
        const QByteArray before = fileHash(path);
        ui.alerts.clear();
        EXPECT_EQ(run(), ExtendOutcome::Done);
        EXPECT_EQ(ui.alerts, QStringList{M::Completed});
        EXPECT_EQ(statuses, (QStringList{M::Extending, M::Done}));
        EXPECT_EQ(fileHash(path), before);
    }
}

// A "5B" file that already has the first new column: the first statement
// fails, nothing is added, the level stays; once the column is gone a
// second run completes.
TEST_F(ExtendTest, AFailedStatementLeavesTheFileAsItWasAndARerunCompletes)
{
    CreateOldDatabaseFile(path, QStringLiteral("5B"));
    fill();
    execOn(QStringLiteral("ALTER TABLE config ADD COLUMN enableBookingLimit INTEGER NOT NULL DEFAULT 0"));
    const QStringList schemaBefore = schemaOf(path);
    EXPECT_EQ(run(), ExtendOutcome::Failed);
    fprintf(stderr, "ALERT %s\n", qPrintable(ui.alerts.join("|")));
    ASSERT_EQ(ui.alerts.size(), 1);
    EXPECT_TRUE(ui.alerts[0].contains(QStringLiteral("duplicate column name"))) << ui.alerts[0].toStdString();
    EXPECT_EQ(statuses, QStringList{M::Extending});
    EXPECT_EQ(schemaOf(path), schemaBefore);
    EXPECT_EQ(levelOf(), QStringLiteral("5B"));

    execOn(QStringLiteral("ALTER TABLE config DROP COLUMN enableBookingLimit"));
    ui.alerts.clear();
    EXPECT_EQ(run(), ExtendOutcome::Done);
    EXPECT_EQ(ui.alerts, QStringList{M::Completed});
    EXPECT_EQ(schemaOf(path), schemaOf(freshSchemaFile()));
    EXPECT_EQ(levelOf(), QStringLiteral("5C"));
}

// A failure in the last statement takes back the ones before it: a booking
// that the current layout refuses stops the bookings' rebuild.
TEST_F(ExtendTest, AFailureInTheLastStatementTakesBackTheFirstFive)
{
    CreateOldDatabaseFile(path, std::nullopt);
    fill();
    {
        Database db;
        db.open(path);
        db.exec(QStringLiteral("PRAGMA ignore_check_constraints = ON"));
        db.exec(QStringLiteral("UPDATE bookings SET forReason = ? WHERE \"Index\" = 9"), {QString(151, QLatin1Char('r'))});
    }
    const QStringList rowsBefore = keptRows();
    EXPECT_EQ(run(), ExtendOutcome::Failed);
    fprintf(stderr, "ALERT %s\n", qPrintable(ui.alerts.join("|")));
    ASSERT_EQ(ui.alerts.size(), 1);
    EXPECT_TRUE(ui.alerts[0].contains(QStringLiteral("CHECK constraint failed"))) << ui.alerts[0].toStdString();
    // The level field and its first value stay; nothing of the upgrade does.
    EXPECT_EQ(levelOf(), QStringLiteral("5B"));
    Database db;
    db.open(path);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM pragma_table_info('config') WHERE name = 'enableBookingLimit'")).toInt(), 0);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM pragma_table_info('Users') WHERE name = 'canOverrideBookingLimit'")).toInt(), 0);
    EXPECT_TRUE(db.scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'periods'")).toString()
                    .contains(QStringLiteral("length(\"period\") <= 2 ")));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_temp_master")).toInt(), 0);
    EXPECT_EQ(keptRows(), rowsBefore);
}

TEST_F(ExtendTest, AConfigTableWithoutItsRowIsNotWritten)
{
    CreateOldDatabaseFile(path, std::nullopt);
    execOn(QStringLiteral("DELETE FROM config"));
    const QStringList schemaBefore = schemaOf(path);
    EXPECT_EQ(run(), ExtendOutcome::Failed);
    EXPECT_EQ(ui.alerts, QStringList{M::NoConfigRow});
    EXPECT_EQ(schemaOf(path), schemaBefore);
    EXPECT_EQ(scalarOf(QStringLiteral("SELECT count(*) FROM config")).toInt(), 0);
}

TEST_F(ExtendTest, NoDatabaseToOpenEndsTheRun)
{
    // No file: the two messages, and none is made.
    EXPECT_EQ(run(), ExtendOutcome::Ended);
    EXPECT_EQ(ui.alerts, (QStringList{M::DataMissing, M::MustTerminate}));
    EXPECT_TRUE(statuses.isEmpty());
    EXPECT_FALSE(QFile::exists(path));

    // A file that is not a database.
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("This is a text file, not a database.\n");
    }
    const QByteArray text = fileHash(path);
    ui.alerts.clear();
    EXPECT_EQ(run(), ExtendOutcome::Ended);
    EXPECT_EQ(ui.alerts, (QStringList{M::CannotConnect, M::MustTerminate}));
    EXPECT_EQ(fileHash(path), text);

    // A database another program keeps locked past the wait.
    QFile::remove(path);
    CreateOldDatabaseFile(path, QStringLiteral("5B"));
    Database holder;
    holder.open(path);
    holder.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    dm.ADOConnection.setBusyTimeout(100);
    ui.alerts.clear();
    EXPECT_EQ(run(), ExtendOutcome::Ended);
    EXPECT_EQ(ui.alerts, (QStringList{M::CannotConnect, M::MustTerminate}));
    holder.exec(QStringLiteral("ROLLBACK"));
}
