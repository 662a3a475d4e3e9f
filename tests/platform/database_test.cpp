// The connection: opening, the schema's rules, bound values, transactions.
#include "DataFixture.h"
#include "DbError.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>

TEST(DatabaseOpen, MissingFileIsAnErrorAndCreatesNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.mdb"));
    Database db;
    EXPECT_THROW(db.open(path), DbError);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(db.isOpen());
}

TEST(DatabaseOpen, FileThatIsNotADatabaseFailsAtOpen)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.mdb"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    Database db;
    EXPECT_THROW(db.open(path), DbError);
    EXPECT_FALSE(db.isOpen());
}

TEST(DatabaseOpen, CreateRefusesAnExistingFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.mdb"));
    CreateDatabaseFile(path);
    EXPECT_THROW(CreateDatabaseFile(path), DbError);
}

TEST(DatabaseOpen, FolderNameWithSpacesAndHashWorks)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("my school #1"));
    const QString path = dir.filePath(QStringLiteral("my school #1/data.mdb"));
    CreateDatabaseFile(path);
    Database db;
    db.open(path);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT dbVer FROM config")).toString(), QStringLiteral("5C"));
}

using SchemaRules = DataFixture;

TEST_F(SchemaRules, DeliveredRowsAreThere)
{
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM config")), 1);
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT dbVer FROM config")).toString(), QStringLiteral("5C"));
    const QString id = db().scalar(QStringLiteral("SELECT InstallID FROM config")).toString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}$")).match(id).hasMatch()) << id.toStdString();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM System WHERE forceshutdown = 0 AND denylogin = 0")), 1);
}

TEST_F(SchemaRules, ColumnsAreInTheirOrder)
{
    dm->PeriodsTable.requery();
    EXPECT_EQ(dm->PeriodsTable.fieldNames(),
              (QStringList{QStringLiteral("period"), QStringLiteral("order"), QStringLiteral("StartTime")}));
    dm->catergoriestable.requery();
    EXPECT_EQ(dm->catergoriestable.fieldNames(),
              (QStringList{QStringLiteral("CaterGoryName"), QStringLiteral("Description")}));
    dm->BookingsTable.requery();
    EXPECT_EQ(dm->BookingsTable.fieldNames().first(), QStringLiteral("Index"));
    EXPECT_EQ(dm->UserTable.fieldNames().size(), 27);
}

TEST_F(SchemaRules, OverlongTextIsRefusedNotCut)
{
    EXPECT_THROW(db().exec(QStringLiteral("INSERT INTO Users (username) VALUES (?)"),
                           {QStringLiteral("ELEVENCHARS")}),
                 DbError);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users")), 0);
    db().exec(QStringLiteral("INSERT INTO Users (username) VALUES (?)"), {QStringLiteral("TENCHARSXX")});
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users")), 1);
}

TEST_F(SchemaRules, NamesAreUniqueWithoutRegardToCase)
{
    db().exec(QStringLiteral("INSERT INTO Users (username) VALUES ('ADMIN')"));
    EXPECT_THROW(db().exec(QStringLiteral("INSERT INTO Users (username) VALUES ('admin')")), DbError);
    addItem(QStringLiteral("PROJECTOR"));
    EXPECT_THROW(addItem(QStringLiteral("Projector")), DbError);
    db().exec(QStringLiteral("INSERT INTO catergories VALUES ('Rooms', '')"));
    EXPECT_THROW(db().exec(QStringLiteral("INSERT INTO catergories VALUES ('ROOMS', '')")), DbError);
}

TEST_F(SchemaRules, OneBookingPerSlotIsKeptByTheFile)
{
    addBooking(QStringLiteral("ROOM 1"), QDate(2026, 3, 5), QStringLiteral("P1"), QStringLiteral("A"));
    EXPECT_THROW(addBooking(QStringLiteral("room 1"), QDate(2026, 3, 5), QStringLiteral("p1"), QStringLiteral("B")),
                 DbError);
    // Other day, other period, other item: all fine.
    addBooking(QStringLiteral("ROOM 1"), QDate(2026, 3, 6), QStringLiteral("P1"), QStringLiteral("B"));
    addBooking(QStringLiteral("ROOM 1"), QDate(2026, 3, 5), QStringLiteral("P2"), QStringLiteral("B"));
    addBooking(QStringLiteral("ROOM 2"), QDate(2026, 3, 5), QStringLiteral("P1"), QStringLiteral("B"));
    // Rows whose period was cleared are not a slot: several may share a day.
    addBooking(QStringLiteral("ROOM 1"), QDate(2026, 3, 5), QString(), QStringLiteral("A"));
    addBooking(QStringLiteral("ROOM 1"), QDate(2026, 3, 5), QString(), QStringLiteral("B"));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM bookings")), 6);
}

TEST_F(SchemaRules, PasswordColumnHoldsAScrambledTwentyCharacterPassword)
{
    const QString scrambled = QString(QChar(0)) + QString(20, QChar(0xE9));
    db().exec(QStringLiteral("INSERT INTO Users (username, password) VALUES ('X', ?)"), {scrambled});
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT password FROM Users")).toString(), scrambled);
}

TEST_F(SchemaRules, DatesAndTimesAreStoredOnlyInTheProgramsForms)
{
    struct Case {
        const char* sql;
        const char* value;
        bool kept;
    };
    const Case cases[] = {
        {"INSERT INTO bookings (ItemBooked, Period, Date) VALUES ('R', '1', ?)", "2026-03-05", true},
        {"INSERT INTO bookings (ItemBooked, Period, Date) VALUES ('R', '2', ?)", "2026-03-05 00:00:00", false},
        {"INSERT INTO bookings (ItemBooked, Period, Date) VALUES ('R', '3', ?)", "5/3/2026", false},
        {"INSERT INTO bookings (ItemBooked, Period, Date) VALUES ('R', '4', ?)", "2026-3-5", false},
        {"INSERT INTO bookings (ItemBooked, Period, BookedOnDate) VALUES ('R', '5', ?)", "20260305", false},
        {"INSERT INTO bookings (ItemBooked, Period, BookedOnTime) VALUES ('R', '6', ?)", "09:31:17", true},
        {"INSERT INTO bookings (ItemBooked, Period, BookedOnTime) VALUES ('R', '7', ?)", "9:31", false},
        {"INSERT INTO periods (period, StartTime) VALUES ('P', ?)", "08:50:00", true},
        {"INSERT INTO periods (period, StartTime) VALUES ('P', ?)", "1899-12-30 08:50:00", false},
        {"INSERT INTO Users (username, ExpiresOn) VALUES ('A', ?)", "2026-03-05", true},
        {"INSERT INTO Users (username, LastConnected) VALUES ('B', ?)", "2026-03-05 09:31:17", true},
        {"INSERT INTO Users (username, LastConnected) VALUES ('C', ?)", "2026-03-05T09:31:17", false},
        {"UPDATE config SET LastMaintainceRun = ?", "2026-03-05 09:31", false},
        {"UPDATE config SET LastMaintainceRun = ?", "2026-03-05", true},
    };
    for (const Case& c : cases) {
        bool kept = true;
        try {
            db().exec(QString::fromLatin1(c.sql), {QString::fromLatin1(c.value)});
        } catch (const DbError&) {
            kept = false;
        }
        EXPECT_EQ(kept, c.kept) << c.sql << " " << c.value;
    }
    // NULL stays allowed everywhere.
    db().exec(QStringLiteral("INSERT INTO bookings (ItemBooked, Period, Date, BookedOnTime) VALUES ('R', '8', NULL, NULL)"));
}

TEST_F(SchemaRules, ANulCharacterIsRefusedInTextButKeptInAuthcodes)
{
    const QString withNul = QStringLiteral("ab") + QChar(0) + QString(300, QLatin1Char('x'));
    EXPECT_THROW(addBooking(QStringLiteral("R"), QDate(2026, 3, 5), QStringLiteral("1"), QStringLiteral("U"), withNul),
                 DbError);
    EXPECT_THROW(db().exec(QStringLiteral("INSERT INTO Users (username) VALUES (?)"),
                           {QStringLiteral("A") + QChar(0) + QStringLiteral("BCDEFGHIJKLMNOPQRSTU")}),
                 DbError);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM bookings")) + count(QStringLiteral("SELECT count(*) FROM Users")), 0);

    QString code;
    for (int c : {0, 1, 128, 200, 254, 0})
        code += QChar(static_cast<char16_t>(c));
    db().exec(QStringLiteral("INSERT INTO items (ItemName, AuthCode) VALUES ('R', ?)"), {code});
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT AuthCode FROM items")).toString(), code);
    EXPECT_THROW(db().exec(QStringLiteral("INSERT INTO items (ItemName, AuthCode) VALUES ('S', ?)"),
                           {QString(QChar(0)) + QString(120, QChar(0xE9))}),
                 DbError) << "a long authcode behind a NUL still exceeds the width in bytes";
}

TEST_F(SchemaRules, EveryTableCountsItsOwnChanges)
{
    auto changes = [this](const char* table) {
        return count(QStringLiteral("SELECT Changes FROM TableChanges WHERE TableName = ?"), {QString::fromLatin1(table)});
    };
    const int users = changes("users"), bookings = changes("bookings"), items = changes("items");
    addUser({QStringLiteral("A")});
    addUser({QStringLiteral("B")});
    db().exec(QStringLiteral("UPDATE Users SET FullName = 'x'"));
    addBooking(QStringLiteral("R"), QDate(2026, 3, 5), QStringLiteral("1"), QStringLiteral("A"));
    db().exec(QStringLiteral("DELETE FROM bookings"));
    EXPECT_EQ(changes("users"), users + 4);
    EXPECT_EQ(changes("bookings"), bookings + 2);
    EXPECT_EQ(changes("items"), items);
    for (const char* t : {"Users", "items", "catergories", "bookings", "periods", "config", "System"})
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM TableChanges WHERE TableName = ?"), {QString::fromLatin1(t)}), 1) << t;
}

TEST_F(SchemaRules, BoundValuesMatchExactlyWhateverTheyHold)
{
    const QStringList names = {QStringLiteral("O'BRIEN"), QStringLiteral("SAY \"HI\""),
                               QStringLiteral("ItemBooked"), QStringLiteral("Date"),
                               QStringLiteral("x' OR '1'='1")};
    for (const QString& n : names)
        addBooking(n, QDate(2026, 3, 5), QStringLiteral("1"), QStringLiteral("U"));
    addBooking(QStringLiteral("OTHER"), QDate(2026, 3, 5), QStringLiteral("1"), QStringLiteral("U"));
    for (const QString& n : names)
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM bookings WHERE ItemBooked = ?"), {n}), 1)
            << n.toStdString();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM bookings WHERE Period = ?"), {QStringLiteral("period")}), 0);
}

TEST_F(SchemaRules, GroupingIgnoresLetterCase)
{
    addItem(QStringLiteral("A"), 1, QString(), QStringLiteral("Misc"));
    addItem(QStringLiteral("B"), 1, QString(), QStringLiteral("MISC"));
    addItem(QStringLiteral("C"), 1, QString(), QStringLiteral("Rooms"));
    dm->ActiveCatergories.open();
    EXPECT_EQ(dm->ActiveCatergories.recordCount(), 2);
}

using Transactions = DataFixture;

TEST_F(Transactions, RollbackUndoesAndNestedBeginsJoin)
{
    {
        WriteTransaction outer(db());
        {
            WriteTransaction inner(db());
            addUser({QStringLiteral("A")});
            inner.commit();
        }
        addUser({QStringLiteral("B")});
        // no commit: everything goes
    }
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users")), 0);
    {
        WriteTransaction tx(db());
        addUser({QStringLiteral("C")});
        tx.commit();
    }
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users")), 1);
}

TEST_F(Transactions, AWriterWaitsForTheLockAndTimesOutCleanly)
{
    Database b;
    b.setBusyTimeout(500);
    b.open(path);
    WriteTransaction tx(db());
    addUser({QStringLiteral("A")});
    const quint64 before = Database::lockRetries();
    EXPECT_THROW(b.begin(), DbError);
    EXPECT_EQ(b.transactionDepth(), 0);
    // Quick tries for the first milliseconds, then a few: not one a millisecond.
    const quint64 tries = Database::lockRetries() - before;
    EXPECT_GE(tries, 10u);
    EXPECT_LE(tries, 2u * (Database::QuickRetryMs + 500 / Database::BackedOffRetryMs));
    tx.commit();
    b.begin();
    b.exec(QStringLiteral("INSERT INTO Users (username) VALUES ('B')"));
    b.commit();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users")), 2);
}

TEST_F(Transactions, ACommitThatCannotGetTheFileGivesUpAndLeavesTheConnectionUsable)
{
    Database a;
    a.setBusyTimeout(100);
    a.open(path);
    // Another client reading inside its own transaction keeps the file shared.
    Database reader;
    reader.open(path);
    reader.exec(QStringLiteral("BEGIN"));
    reader.scalar(QStringLiteral("SELECT count(*) FROM Users"));

    a.begin();
    a.exec(QStringLiteral("INSERT INTO Users (username) VALUES ('LOST')"));
    EXPECT_THROW(a.commit(), DbError);
    EXPECT_EQ(a.transactionDepth(), 0);

    reader.exec(QStringLiteral("COMMIT"));
    EXPECT_EQ(reader.scalar(QStringLiteral("SELECT count(*) FROM Users")).toInt(), 0)
        << "the failed commit left nothing behind and holds no lock";
    a.begin();
    a.exec(QStringLiteral("INSERT INTO Users (username) VALUES ('KEPT')"));
    a.commit();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users")), 1);
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT username FROM Users")).toString(), QStringLiteral("KEPT"));
}

TEST_F(Transactions, AnInnerFailureUndoesTheInnerScopeOnlyAndTheOuterStillCommits)
{
    {
        WriteTransaction outer(db());
        addUser({QStringLiteral("A")});
        try {
            WriteTransaction inner(db());
            addUser({QStringLiteral("B")});
            addUser({QStringLiteral("A")});   // the unique name refuses it
            inner.commit();
            FAIL() << "the duplicate name was taken";
        } catch (const DbError&) {
        }
        {
            WriteTransaction inner(db());
            addUser({QStringLiteral("C")});
            inner.commit();
        }
        {
            WriteTransaction dropped(db());
            addUser({QStringLiteral("D")});
            // left without commit: undone
        }
        EXPECT_EQ(db().transactionDepth(), 1);
        outer.commit();
    }
    EXPECT_EQ(db().transactionDepth(), 0);
    Database other;
    other.open(path);
    EXPECT_EQ(other.scalar(QStringLiteral("SELECT group_concat(username, ',') FROM "
                                          "(SELECT username FROM Users ORDER BY username)"))
                  .toString(),
              QStringLiteral("A,C"));
}

TEST_F(Transactions, WhenTheEngineEndsTheWholeTransactionTheOuterCommitSaysSo)
{
    addUser({QStringLiteral("A")});
    {
        WriteTransaction outer(db());
        addUser({QStringLiteral("B")});
        {
            WriteTransaction inner(db());
            // "OR ROLLBACK" makes the engine end the whole transaction.
            EXPECT_THROW(db().exec(QStringLiteral("INSERT OR ROLLBACK INTO Users (username) VALUES ('A')")),
                         DbError);
            EXPECT_TRUE(db().transactionLost());
            EXPECT_THROW(addUser({QStringLiteral("C")}), DbError) << "no write escapes outside the scope";
            EXPECT_THROW(inner.commit(), DbError);
        }
        EXPECT_THROW(WriteTransaction again(db()), DbError) << "no new scope opens on a lost transaction";
        try {
            outer.commit();
            FAIL() << "the outer commit succeeded";
        } catch (const DbError& e) {
            EXPECT_TRUE(e.text().contains(QStringLiteral("ended the transaction"))) << e.what();
        }
    }
    EXPECT_EQ(db().transactionDepth(), 0);
    EXPECT_FALSE(db().transactionLost());
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users")), 1);
    WriteTransaction tx(db());
    addUser({QStringLiteral("D")});
    tx.commit();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users")), 2);
}

TEST_F(Transactions, ASnapshotOfRowsAnInnerScopeWroteIsReadAgainAfterItsRollback)
{
    Dataset& users = dm->UserTable;
    users.requery();
    {
        WriteTransaction outer(db());
        {
            WriteTransaction inner(db());
            users.append();
            users.setValue(QStringLiteral("username"), QStringLiteral("GONE"));
            users.post();
            EXPECT_EQ(users.recordCount(), 1);
        }
        users.requery();
        EXPECT_EQ(users.recordCount(), 0);
        outer.commit();
    }
}

TEST_F(Transactions, ReadsThatDoNotWaitFailAtOnceOnALockedFileAndAreCounted)
{
    Database a;
    a.setBusyTimeout(400);
    a.open(path);
    // Another program holds the file for writing its changes.
    db().exec(QStringLiteral("BEGIN EXCLUSIVE"));
    const quint64 busyBefore = Database::busyFailures();
    QElapsedTimer t;
    {
        NoLockWait noWait(a);
        {
            NoLockWait nested(a);
        }
        t.start();
        EXPECT_THROW(a.scalar(QStringLiteral("SELECT count(*) FROM Users")), DbError);
        EXPECT_LT(t.elapsed(), 200) << "the inner scope's end must not bring the wait back";
    }
    EXPECT_EQ(Database::busyFailures(), busyBefore + 1);
    // Outside the scope the read waits its busy timeout again.
    t.start();
    EXPECT_THROW(a.scalar(QStringLiteral("SELECT count(*) FROM Users")), DbError);
    EXPECT_GE(t.elapsed(), 300);
    EXPECT_EQ(Database::busyFailures(), busyBefore + 2);
    db().exec(QStringLiteral("COMMIT"));
    // Other failures are not counted as a busy file.
    EXPECT_THROW(a.scalar(QStringLiteral("SELECT nothing FROM nowhere")), DbError);
    EXPECT_EQ(Database::busyFailures(), busyBefore + 2);
    NoLockWait noWait(a);
    EXPECT_EQ(a.scalar(QStringLiteral("SELECT count(*) FROM Users")).toInt(), 0);
}
