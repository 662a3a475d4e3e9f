// The snapshot dataset: positioning, look-ups, edits and their failures,
// and what another client's changes do to a snapshot.
#include "DataFixture.h"
#include "DbError.h"
#include "Lookups.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>

namespace {
// Child: another program runs a script of statements on the file.
int runScript(const QStringList& args)
{
    try {
        Database db;
        db.open(args.value(0));
        db.execScript(args.value(1));
    } catch (const DbError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
    return 0;
}
testsupport::ChildModeRegistrar registrar(QStringLiteral("script"), runScript);
} // namespace

class DatasetTest : public DataFixture {
protected:
    void SetUp() override
    {
        DataFixture::SetUp();
        for (const char* n : {"ADMIN", "BROWN", "JONES"})
            addUser({QString::fromLatin1(n)});
        users().requery();
    }
    Dataset& users() { return dm->UserTable; }
    // Another program runs the statements on the file.
    void otherProgram(const QString& statements)
    {
        QProcess other;
        other.start(testsupport::selfPath(), {QStringLiteral("--child"), QStringLiteral("script"), path, statements});
        ASSERT_TRUE(other.waitForFinished(60000));
        ASSERT_EQ(other.exitCode(), 0) << other.readAllStandardError().toStdString();
    }
};

TEST_F(DatasetTest, LocateIsCaseInsensitiveAndWholeValue)
{
    users().setRecNo(3);
    EXPECT_TRUE(users().locate(QStringLiteral("USERNAME"), QStringLiteral("brown")));
    EXPECT_EQ(users().recNo(), 2);
    EXPECT_EQ(users().asString(QStringLiteral("username")), QStringLiteral("BROWN"));
    EXPECT_FALSE(users().locate(QStringLiteral("username"), QStringLiteral("BRO")));
    EXPECT_EQ(users().recNo(), 2) << "a failed locate keeps the position";
}

TEST_F(DatasetTest, NavigationAndRecordNumbers)
{
    users().first();
    EXPECT_TRUE(users().bof());
    QStringList seen;
    while (!users().eof()) {
        seen << users().asString(QStringLiteral("username"));
        users().next();
    }
    EXPECT_EQ(seen, (QStringList{QStringLiteral("ADMIN"), QStringLiteral("BROWN"), QStringLiteral("JONES")}));
    EXPECT_EQ(users().recNo(), 3);
    users().setRecNo(2);
    EXPECT_EQ(users().asString(QStringLiteral("username")), QStringLiteral("BROWN"));
    users().setRecNo(9);
    EXPECT_EQ(users().recNo(), 2) << "a row number out of range is ignored";
}

TEST_F(DatasetTest, RequerySeesAnotherClientAndRefreshKeepsTheRow)
{
    DataModule& b = second();
    users().setRecNo(3);   // JONES
    b.UserTable.requery();
    b.UserTable.locate(QStringLiteral("username"), QStringLiteral("ADMIN"));
    b.UserTable.deleteCurrent();
    b.UserTable.append();
    b.UserTable.setValue(QStringLiteral("username"), QStringLiteral("SMITH"));
    b.UserTable.post();

    EXPECT_EQ(users().recordCount(), 3) << "a snapshot until it is read again";
    users().refresh();
    EXPECT_EQ(users().asString(QStringLiteral("username")), QStringLiteral("JONES"));
    EXPECT_EQ(users().recNo(), 2);
    users().requery();
    EXPECT_EQ(users().recNo(), 1);
    EXPECT_TRUE(users().locate(QStringLiteral("username"), QStringLiteral("smith")));
    EXPECT_FALSE(users().locate(QStringLiteral("username"), QStringLiteral("admin")));
}

// A read of a file another program holds comes back with its error after
// one busy timeout, not after one for each statement it would have run.
TEST_F(DatasetTest, AReadOfAHeldFileWaitsOneBusyTimeout)
{
    DataModule& b = second();
    b.UserTable.requery();
    b.ADOConnection.setBusyTimeout(300);
    addUser({QStringLiteral("SMITH")});
    for (const auto& read : {std::function<void()>([&] { b.UserTable.refresh(); }),
                             std::function<void()>([&] { b.UserTable.requery(); })}) {
        db().exec(QStringLiteral("BEGIN EXCLUSIVE"));
        QElapsedTimer t;
        t.start();
        EXPECT_THROW(read(), DbError);
        EXPECT_LT(t.elapsed(), 500);
        db().exec(QStringLiteral("COMMIT"));
        read();
        EXPECT_EQ(b.UserTable.recordCount(), 4);
    }
}

TEST_F(DatasetTest, RequerySeesThisConnectionsOwnStatements)
{
    db().exec(QStringLiteral("UPDATE Users SET FullName = 'Changed' WHERE username = 'BROWN'"));
    users().requery();
    users().locate(QStringLiteral("username"), QStringLiteral("BROWN"));
    EXPECT_EQ(users().asString(QStringLiteral("FullName")), QStringLiteral("Changed"));
}

TEST_F(DatasetTest, CancelAndRequeryDropAPendingEdit)
{
    users().locate(QStringLiteral("username"), QStringLiteral("BROWN"));
    users().edit();
    users().setValue(QStringLiteral("FullName"), QStringLiteral("Edited"));
    EXPECT_EQ(users().asString(QStringLiteral("FullName")), QStringLiteral("Edited"));
    users().cancel();
    EXPECT_EQ(users().asString(QStringLiteral("FullName")), QStringLiteral("BROWN Full"));

    users().edit();
    users().setValue(QStringLiteral("FullName"), QStringLiteral("Edited"));
    users().requery();
    EXPECT_EQ(users().state(), Dataset::State::Browse);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users WHERE FullName = 'Edited'")), 0);
}

TEST_F(DatasetTest, WritingARowAnotherClientDeletedFails)
{
    users().locate(QStringLiteral("username"), QStringLiteral("BROWN"));
    second().ADOConnection.exec(QStringLiteral("DELETE FROM Users WHERE username = 'BROWN'"));
    users().edit();
    users().setValue(QStringLiteral("FullName"), QStringLiteral("Edited"));
    EXPECT_THROW(users().post(), DbError);
    EXPECT_EQ(users().state(), Dataset::State::Browse) << "the failed change is given up";
    EXPECT_THROW(users().deleteCurrent(), DbError);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users")), 2);
}

TEST_F(DatasetTest, InsertLeavesTheDatasetOnTheNewRowWithItsDefaults)
{
    Dataset& b = dm->BookingsTable;
    b.requery();
    b.insert();
    b.setValue(QStringLiteral("ItemBooked"), QStringLiteral("ROOM"));
    b.setValue(QStringLiteral("Date"), QDate(2026, 3, 5));
    b.post();
    EXPECT_GT(b.asInteger(QStringLiteral("Index")), 0);
    EXPECT_EQ(b.asString(QStringLiteral("itembooked")), QStringLiteral("ROOM"));
    EXPECT_EQ(b.asDate(QStringLiteral("date")), QDate(2026, 3, 5));
    EXPECT_FALSE(b.asBoolean(QStringLiteral("isPermanent")));
    EXPECT_EQ(b.asString(QStringLiteral("AuthCode")), QString());

    b.insertRecord({QVariant(), QDate(2026, 3, 6), QStringLiteral("1"), QStringLiteral("ROOM")});
    EXPECT_EQ(b.asString(QStringLiteral("period")), QStringLiteral("1"));
    EXPECT_EQ(b.recordCount(), 2);
}

TEST_F(DatasetTest, AFailedInsertLeavesNothingPending)
{
    Dataset& u = users();
    u.insert();
    u.setValue(QStringLiteral("username"), QStringLiteral("admin"));
    EXPECT_THROW(u.post(), DbError);
    EXPECT_EQ(u.state(), Dataset::State::Browse);
    EXPECT_EQ(u.recordCount(), 3);
    EXPECT_THROW(u.insertRecord({QStringLiteral("BROWN")}), DbError);
    EXPECT_EQ(u.state(), Dataset::State::Browse);
}

TEST_F(DatasetTest, EmptyAndNullReadAsDefaults)
{
    Dataset& b = dm->BookingsTable;
    b.requery();
    EXPECT_TRUE(b.isEmpty());
    EXPECT_EQ(b.asString(QStringLiteral("ItemBooked")), QString());
    EXPECT_EQ(b.asInteger(QStringLiteral("Index")), 0);
    EXPECT_FALSE(b.asBoolean(QStringLiteral("isPermanent")));
    EXPECT_EQ(b.asDateTime(QStringLiteral("Date")), QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
    EXPECT_THROW(b.edit(), DbError);
    EXPECT_THROW(b.deleteCurrent(), DbError);
    users().first();
    EXPECT_EQ(users().asString(QStringLiteral("LastComputer")), QString());
    EXPECT_THROW(users().asString(QStringLiteral("nosuchfield")), DbError);
}

TEST_F(DatasetTest, FindFirstMovesOnlyWhenFound)
{
    users().setRecNo(2);
    EXPECT_FALSE(users().findFirst([](const RowRef& r) { return r.asInteger(QStringLiteral("accesslevel")) > 50; }));
    EXPECT_EQ(users().recNo(), 2);
    EXPECT_TRUE(users().findFirst([](const RowRef& r) { return r.asString(QStringLiteral("username")).startsWith('J'); }));
    EXPECT_EQ(users().recNo(), 3);
}

TEST_F(DatasetTest, QueryWithParametersWritesBackToItsTable)
{
    addItem(QStringLiteral("PROJECTOR"), 1, QString(), QStringLiteral("AV"));
    addItem(QStringLiteral("HALL"), 1, QString(), QStringLiteral("Rooms"));
    Dataset& q = dm->DisplayItems;
    q.setParam(QStringLiteral("tmpcatergory"), QStringLiteral("av"));
    q.open();
    ASSERT_EQ(q.recordCount(), 1);
    q.edit();
    q.setValue(QStringLiteral("ItemDescription"), QStringLiteral("Ceiling mounted"));
    q.post();
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT ItemDescription FROM items WHERE ItemName = 'PROJECTOR'")).toString(),
              QStringLiteral("Ceiling mounted"));
    // A query's own change that takes a row out of its condition shows at the next read.
    q.edit();
    q.setValue(QStringLiteral("isAvailable"), false);
    q.post();
    q.requery();
    EXPECT_TRUE(q.isEmpty());
}

TEST_F(DatasetTest, ReadOnlyQueryRefusesWrites)
{
    addItem(QStringLiteral("PROJECTOR"));
    dm->ActiveCatergories.open();
    EXPECT_THROW(dm->ActiveCatergories.edit(), DbError);
}

TEST_F(DatasetTest, SignalsTellDataAwareControls)
{
    QSignalSpy moved(&users(), &Dataset::currentChanged);
    QSignalSpy state(&users(), &Dataset::stateChanged);
    users().setRecNo(2);
    EXPECT_GE(moved.count(), 1);
    users().edit();
    users().cancel();
    EXPECT_EQ(state.count(), 2);
}

TEST_F(DatasetTest, ClosedDatasetRefusesReads)
{
    Dataset& q = dm->Cache;
    EXPECT_THROW(q.recordCount(), DbError);
    q.setSql({QStringLiteral("select count(*) as Total"), QStringLiteral("from Users")});
    q.open();
    EXPECT_EQ(q.asInteger(QStringLiteral("Total")), 3);
}

TEST_F(DatasetTest, RequeryAfterAnInsertBeforeTheCurrentRowReadsTheFilesOrder)
{
    users().setRecNo(2);
    users().insert();
    users().setValue(QStringLiteral("username"), QStringLiteral("ZED"));
    users().post();
    EXPECT_EQ(users().recNo(), 2) << "the new row stands where it was inserted";
    users().requery();
    QStringList order;
    for (users().first(); !users().eof(); users().next())
        order << users().asString(QStringLiteral("username"));
    EXPECT_EQ(order, (QStringList{QStringLiteral("ADMIN"), QStringLiteral("BROWN"), QStringLiteral("JONES"),
                                  QStringLiteral("ZED")}))
        << "a re-read gives the rows as any other client reads them";

    // Appending keeps the snapshot true to the file's order.
    users().append();
    users().setValue(QStringLiteral("username"), QStringLiteral("LAST"));
    users().post();
    users().requery();
    EXPECT_TRUE(users().locate(QStringLiteral("username"), QStringLiteral("last")));
    EXPECT_EQ(users().recNo(), 5);
}

TEST_F(DatasetTest, RequerySeesOwnStatementsInEveryForm)
{
    const auto fullName = [this](const char* user) {
        users().requery();
        users().locate(QStringLiteral("username"), QString::fromLatin1(user));
        return users().asString(QStringLiteral("FullName"));
    };
    fullName("ADMIN");   // a snapshot to keep or drop
    db().exec(QStringLiteral("UPDATE OR REPLACE Users SET FullName = 'Replaced' WHERE username = 'ADMIN'"));
    EXPECT_EQ(fullName("ADMIN"), QStringLiteral("Replaced"));
    db().exec(QStringLiteral("UPDATE main.Users SET FullName = 'Schema' WHERE username = 'BROWN'"));
    EXPECT_EQ(fullName("BROWN"), QStringLiteral("Schema"));
    db().exec(QStringLiteral("WITH w AS (SELECT 'JONES' AS n) "
                             "UPDATE Users SET FullName = 'With' WHERE username IN (SELECT n FROM w)"));
    EXPECT_EQ(fullName("JONES"), QStringLiteral("With"));
    db().exec(QStringLiteral("DELETE FROM \"main\".\"Users\" WHERE username = 'JONES'"));
    users().requery();
    EXPECT_EQ(users().recordCount(), 2);
}

TEST_F(DatasetTest, EndsAndDeletionsMoveAsTheBrowsingControlsExpect)
{
    users().last();
    EXPECT_TRUE(users().eof());
    EXPECT_EQ(users().asString(QStringLiteral("username")), QStringLiteral("JONES")) << "the last row stays current";
    users().next();
    EXPECT_EQ(users().recNo(), 3);
    users().first();
    users().prior();
    EXPECT_TRUE(users().bof());
    EXPECT_EQ(users().recNo(), 1);

    users().setRecNo(2);
    users().deleteCurrent();
    EXPECT_EQ(users().asString(QStringLiteral("username")), QStringLiteral("JONES")) << "the next row follows";
    users().deleteCurrent();
    EXPECT_EQ(users().asString(QStringLiteral("username")), QStringLiteral("ADMIN")) << "the last gone, the one before";
    users().deleteCurrent();
    EXPECT_TRUE(users().isEmpty());
    EXPECT_TRUE(users().eof() && users().bof());
    EXPECT_EQ(users().recNo(), -1);
    users().insert();
    users().setValue(QStringLiteral("username"), QStringLiteral("FIRST"));
    users().post();
    EXPECT_EQ(users().recNo(), 1) << "an insert into an empty table makes row 1";
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users")), 1);
}

TEST_F(DatasetTest, RefreshAfterAnotherClientDeletedTheCurrentRowStaysInPlace)
{
    users().setRecNo(2);   // BROWN
    second().ADOConnection.exec(QStringLiteral("DELETE FROM Users WHERE username = 'BROWN'"));
    users().refresh();
    EXPECT_EQ(users().recordCount(), 2);
    EXPECT_EQ(users().recNo(), 2);
    EXPECT_EQ(users().asString(QStringLiteral("username")), QStringLiteral("JONES"));
}

TEST_F(DatasetTest, APlaceholderWithoutAValueIsNullNotTheLastValue)
{
    Dataset a(&db()), b(&db());
    const QStringList sql = {QStringLiteral("select username from Users where username = :who")};
    a.setSql(sql);
    a.setParam(QStringLiteral("who"), QStringLiteral("BROWN"));
    a.open();
    EXPECT_EQ(a.recordCount(), 1);
    b.setSql(sql);   // the same prepared statement, no value given
    b.open();
    EXPECT_EQ(b.recordCount(), 0);
    b.close();
    b.setParam(QStringLiteral("WHO"), QStringLiteral("jones"));   // names match without regard to case
    b.open();
    EXPECT_EQ(b.recordCount(), 1);
}

TEST_F(DatasetTest, ATableReopenedAfterItsLayoutChangedReadsTheNewColumns)
{
    Dataset& config = dm->ConfigTable;
    // The layout changes twice inside a transaction, and the table is read
    // and written after each change, as the extender does.
    WriteTransaction tx(db());
    for (const char* column : {"addedFirst", "addedSecond"}) {
        config.close();
        config.open();
        config.first();
        ASSERT_FALSE(config.hasField(QLatin1String(column)));
        db().exec(QStringLiteral("ALTER TABLE config ADD COLUMN %1 TEXT").arg(QLatin1String(column)));
        db().exec(QStringLiteral("ALTER TABLE config ADD COLUMN %1Too TEXT").arg(QLatin1String(column)));
        config.close();
        config.open();
        config.first();
        ASSERT_TRUE(config.hasField(QLatin1String(column)));
        config.edit();
        config.setValue(QLatin1String(column), QStringLiteral("new"));
        config.post();
    }
    tx.commit();
    config.requery();
    EXPECT_EQ(config.asString(QStringLiteral("addedFirst")), QStringLiteral("new"));
    EXPECT_EQ(config.asString(QStringLiteral("addedSecond")), QStringLiteral("new"));
    EXPECT_EQ(config.asString(QStringLiteral("dbVer")), QStringLiteral("5C"));
}

TEST_F(DatasetTest, ATableAnotherProgramRebuiltIsReadInItsNewLayout)
{
    for (const char* n : {"ROOM1", "ROOM2", "ROOM3"})
        addItem(QString::fromLatin1(n), 7);
    Dataset& items = dm->itemstable;
    Dataset& shown = dm->DisplayItems;
    shown.open();
    ASSERT_EQ(shown.recordCount(), 3);
    ASSERT_NE(FindItem(QStringLiteral("room2")), -1);

    // Another program rebuilds the table with a column in front, as a
    // change of layout is made: a new table, the rows copied, the old one
    // dropped and the new one renamed.
    const QString layout =
        db().scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'items'")).toString();
    QString script = layout;
    script.replace(QStringLiteral("CREATE TABLE \"items\" ("),
                   QStringLiteral("CREATE TABLE \"items_new\" (\"Added\" TEXT DEFAULT 'added', "));
    script += QStringLiteral(";\nINSERT INTO items_new SELECT 'added', * FROM items ORDER BY rowid;\n"
                             "DROP TABLE items;\nALTER TABLE items_new RENAME TO items;\n"
                             "CREATE UNIQUE INDEX items_ItemName ON items (ItemName);\n");
    ASSERT_NE(script, layout + QStringLiteral(";\n"));
    otherProgram(script);

    // An indexed look-up and a post on the open connection: right data.
    ASSERT_NE(FindItem(QStringLiteral("room3")), -1);
    EXPECT_EQ(items.asString(QStringLiteral("ItemName")), QStringLiteral("ROOM3"));
    EXPECT_EQ(items.asInteger(QStringLiteral("minSecurity")), 7);
    EditAndPost(items, [&] { items.setValue(QStringLiteral("ItemDescription"), QStringLiteral("after")); });
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM items WHERE ItemName = 'ROOM3' AND ItemDescription = 'after' "
                                   "AND Added = 'added' AND minSecurity = 7")),
              1);
    // Read again, the table and a query over it have the new column.
    for (Dataset* d : {&items, &shown}) {
        d->requery();
        ASSERT_TRUE(d->hasField(QStringLiteral("Added")));
        EXPECT_EQ(d->asString(QStringLiteral("Added")), QStringLiteral("added"));
        EXPECT_EQ(d->asString(QStringLiteral("ItemName")), QStringLiteral("ROOM1"));
        EXPECT_EQ(d->asInteger(QStringLiteral("minSecurity")), 7);
    }
    ASSERT_NE(FindItem(QStringLiteral("room3")), -1);
    EXPECT_EQ(items.asString(QStringLiteral("ItemDescription")), QStringLiteral("after"));

    // A column the look-up names is taken away: the table is read anew.
    otherProgram(QStringLiteral("ALTER TABLE items DROP COLUMN EyeLoggerIdentifier;"));
    ASSERT_NE(FindItem(QStringLiteral("room2")), -1);
    EXPECT_EQ(items.asString(QStringLiteral("ItemName")), QStringLiteral("ROOM2"));
    EXPECT_FALSE(items.hasField(QStringLiteral("EyeLoggerIdentifier")));
}

TEST_F(DatasetTest, ColumnsAnotherProgramDropsOrAddsAreFollowedByLookUpsAndWrites)
{
    addItem(QStringLiteral("LAB"), 7, QString(), QStringLiteral("Labs"));
    addItem(QStringLiteral("HALL"), 3);
    Dataset& items = dm->itemstable;
    Dataset& shown = dm->DisplayItems;
    shown.open();
    ASSERT_NE(FindItem(QStringLiteral("hall")), -1);
    const QString name = QStringLiteral("ItemName");
    const auto rows = [&](const char* where) {
        return count(QStringLiteral("SELECT count(*) FROM items WHERE ") + QLatin1String(where));
    };
    const struct {
        const char* elsewhere;
        std::function<void()> then;
    } cases[] = {
        // A look-up searches the column it names, in the new layout.
        {"ALTER TABLE items DROP COLUMN ItemDescription;",
         [&] {
             ASSERT_TRUE(items.locate(QStringLiteral("Catergory"), QStringLiteral("labs")));
             EXPECT_EQ(items.asString(name), QStringLiteral("LAB"));
         }},
        {"ALTER TABLE items DROP COLUMN Manager;",
         [&] { EXPECT_FALSE(items.locate(QStringLiteral("Catergory"), QStringLiteral("7"))); }},
        // A write that landed is not reported failed, nor written twice.
        {"ALTER TABLE items DROP COLUMN EyeLoggerIdentifier;",
         [&] {
             EditAndPost(items, [&] { items.setValue(QStringLiteral("BarCode"), QStringLiteral("*posted*")); });
             EXPECT_EQ(rows("ItemName = 'LAB' AND BarCode = '*posted*'"), 1);
             EXPECT_EQ(items.asString(QStringLiteral("BarCode")), QStringLiteral("*posted*"));
         }},
        {"ALTER TABLE items DROP COLUMN CriteriaA;",
         [&] {
             items.append();
             items.setValue(name, QStringLiteral("NEW"));
             items.postKeepingRefused();
             EXPECT_EQ(items.state(), Dataset::State::Browse);
             items.first();
             EXPECT_EQ(rows("ItemName = 'NEW'"), 1);
         }},
        // A column added is known to look-ups, requeries and writes.
        {"ALTER TABLE Users ADD COLUMN addedRight INTEGER NOT NULL DEFAULT 1;",
         [&] {
             ASSERT_NE(FindUser(QStringLiteral("brown")), -1);
             EXPECT_TRUE(users().asBoolean(QStringLiteral("addedRight")));
         }},
        {"ALTER TABLE items ADD COLUMN Added TEXT DEFAULT 'added';",
         [&] {
             shown.requery();
             EXPECT_EQ(shown.asString(QStringLiteral("Added")), QStringLiteral("added"));
             ASSERT_NE(FindItem(QStringLiteral("hall")), -1);
             EditAndPost(items, [&] { items.setValue(QStringLiteral("Added"), QStringLiteral("written")); });
             EXPECT_EQ(rows("ItemName = 'HALL' AND Added = 'written'"), 1);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.elsewhere);
        otherProgram(QString::fromLatin1(c.elsewhere));
        EXPECT_NO_THROW(c.then());
    }
}

TEST_F(DatasetTest, ALayoutChangeLandingAsTheRowsAreReadIsNotMetHalfway)
{
    addItem(QStringLiteral("LAB"), 7, QStringLiteral("BOB"), QStringLiteral("Labs"));
    Dataset& items = dm->itemstable;
    items.requery();
    // Another client drops a column the moment the read of the rows starts.
    Database other;
    other.setBusyTimeout(50);
    other.open(path);
    second().ADOConnection.exec(QStringLiteral("UPDATE items SET minSecurity = 8"));
    {
        testsupport::OnStatementStart dropOnRead(db().rawHandle(), "FROM \"items\"", 1, [&] {
            try {
                other.exec(QStringLiteral("ALTER TABLE items DROP COLUMN ItemDescription"));
            } catch (const DbError&) {
            }
        });
        items.requery();
        ASSERT_TRUE(dropOnRead.fired());
    }
    EXPECT_EQ(items.asString(QStringLiteral("Manager")), QStringLiteral("BOB"));
    EXPECT_EQ(items.asInteger(QStringLiteral("minSecurity")), 8);
}

TEST_F(DatasetTest, OpeningAQueryRunsOnlyReadsAndExecSqlRecordsItsWrite)
{
    addPeriods(3);
    Dataset& periods = dm->PeriodsTable;
    ASSERT_EQ(periods.recordCount(), 3);
    Dataset& q = dm->UpdateQuery;

    // A data-changing text is refused by open, naming it, and changes nothing.
    q.setSql({QStringLiteral("update periods set period = 'X'")});
    try {
        q.open();
        FAIL() << "open ran an UPDATE";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("update periods set period = 'X'"))) << e.what();
    }
    EXPECT_FALSE(q.isActive());
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM periods WHERE period = 'X'")), 0);

    // execSql, by name with the dataset's own values, by name given, by position.
    q.setSql({QStringLiteral("update periods set period = :new"), QStringLiteral("where period = :old")});
    q.setParam(QStringLiteral("new"), QStringLiteral("Reg"));
    q.setParam(QStringLiteral("old"), QStringLiteral("1"));
    EXPECT_EQ(q.execSql(), 1);
    EXPECT_EQ(q.execSql(QStringLiteral("UPDATE periods SET period = :new WHERE period = :old"),
                        QVariantHash{{QStringLiteral("new"), QStringLiteral("Two")}, {QStringLiteral("old"), QStringLiteral("2")}}),
              1);
    EXPECT_EQ(q.execSql(QStringLiteral("UPDATE periods SET period = ? WHERE period = ?"),
                        QVariantList{QStringLiteral("Three"), QStringLiteral("3")}),
              1);
    EXPECT_THROW(q.execSql(QStringLiteral("UPDATE periods SET period = :new WHERE period = :missing"),
                           QVariantHash{{QStringLiteral("new"), QStringLiteral("Y")}}),
                 DbError);

    periods.requery();
    QStringList names;
    for (periods.first(); !periods.eof(); periods.next())
        names << periods.asString(QStringLiteral("period"));
    EXPECT_EQ(names, (QStringList{QStringLiteral("Reg"), QStringLiteral("Two"), QStringLiteral("Three")}))
        << "the snapshot read the statements' writes";

    // A reading query still opens.
    q.setSql({QStringLiteral("select * from periods where period = :p")});
    q.setParam(QStringLiteral("p"), QStringLiteral("two"));
    q.open();
    EXPECT_EQ(q.recordCount(), 1);
}

TEST_F(DatasetTest, EveryMoveWithAPendingChangePostsItFirst)
{
    const std::vector<std::pair<const char*, std::function<void(Dataset&)>>> moves = {
        {"first", [](Dataset& d) { d.first(); }},
        {"next", [](Dataset& d) { d.next(); }},
        {"prior", [](Dataset& d) { d.prior(); }},
        {"last", [](Dataset& d) { d.last(); }},
        {"setRecNo", [](Dataset& d) { d.setRecNo(1); }},
        {"refresh", [](Dataset& d) { d.refresh(); }},
        {"locate by index", [](Dataset& d) { d.locate(QStringLiteral("username"), QStringLiteral("admin")); }},
        {"locate by scan", [](Dataset& d) { d.locate(QStringLiteral("FullName"), QStringLiteral("admin full")); }},
        {"findFirst", [](Dataset& d) {
             d.findFirst([](const RowRef& r) { return r.asString(QStringLiteral("username")) == QLatin1String("JONES"); });
         }},
    };
    int n = 0;
    for (const auto& [name, move] : moves) {
        const QString text = QStringLiteral("typed %1").arg(++n);
        users().locate(QStringLiteral("username"), QStringLiteral("BROWN"));
        users().edit();
        users().setValue(QStringLiteral("FullName"), text);
        move(users());
        EXPECT_EQ(users().state(), Dataset::State::Browse) << name;
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users WHERE username = 'BROWN' AND FullName = ?"), {text}), 1)
            << name << ": the typed value was lost";
    }
    // A new row is posted by a move too; requery and close still drop.
    users().append();
    users().setValue(QStringLiteral("username"), QStringLiteral("NEW"));
    users().first();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users WHERE username = 'NEW'")), 1);
    users().edit();
    users().setValue(QStringLiteral("FullName"), QStringLiteral("dropped"));
    users().close();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users WHERE FullName = 'dropped'")), 0);
    // A locate that finds nothing moves nothing and posts nothing.
    users().open();
    users().locate(QStringLiteral("username"), QStringLiteral("BROWN"));
    users().edit();
    users().setValue(QStringLiteral("FullName"), QStringLiteral("pending"));
    EXPECT_FALSE(users().locate(QStringLiteral("username"), QStringLiteral("NOBODY")));
    EXPECT_EQ(users().state(), Dataset::State::Edit);
    users().cancel();
}

TEST_F(DatasetTest, TextIsHeldToItsWidthCountingEveryCharacter)
{
    Dataset& b = dm->BookingsTable;
    const QString reason = QStringLiteral("ok") + QChar(0) + QString(300, QLatin1Char('x'));
    b.append();
    b.setValue(QStringLiteral("forReason"), reason);
    try {
        b.post();
        FAIL() << "a 303-character reason was stored";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("forReason"))) << e.what();
    }
    b.cancel();
    // An authcode holds characters from 0 up, but no more than its width.
    QString code;
    for (int c : {0, 7, 254, 0, 128, 1})
        code += QChar(static_cast<char16_t>(c));
    b.appendRecord({QVariant(), QStringLiteral("2026-03-05"), QStringLiteral("1"), QStringLiteral("ROOM"), QStringLiteral("A"),
                    QStringLiteral("r"), QVariant(), QVariant(), 0, code});
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT AuthCode FROM bookings")).toString(), code);
    EXPECT_THROW(b.appendRecord({QVariant(), QStringLiteral("2026-03-05"), QStringLiteral("2"), QStringLiteral("ROOM"),
                                 QStringLiteral("A"), QStringLiteral("r"), QVariant(), QVariant(), 0,
                                 QString(QChar(0)) + QString(50, QLatin1Char('a'))}),
                 DbError);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM bookings")), 1);
}

TEST_F(DatasetTest, WidthsCountACharacterOutsideTheBasicPlaneOnce)
{
    // Two UTF-16 units each; the file counts one character.
    const QString smile = QString::fromUcs4(U"\U0001F600");
    struct Case {
        Dataset* table;
        const char* field;
        QString text;
        bool fits;
    };
    const Case cases[] = {
        {&users(), "username", smile.repeated(10), true},
        {&users(), "username", smile.repeated(11), false},
        {&users(), "username", QStringLiteral("a") + smile.repeated(9), true},
        {&dm->itemstable, "ItemName", smile.repeated(50), true},
        {&dm->itemstable, "ItemName", smile.repeated(51), false},
        {&dm->BookingsTable, "forReason", smile.repeated(150), true},
        {&dm->BookingsTable, "forReason", smile.repeated(149) + QStringLiteral("ab"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " of " + std::to_string(c.text.size()) + " units");
        Dataset& t = *c.table;
        t.append();
        t.setValue(QLatin1String(c.field), c.text);
        if (c.fits) {
            EXPECT_NO_THROW(t.post());
        } else {
            EXPECT_THROW(t.post(), DbError);
        }
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = ?").arg(t.tableName(), QLatin1String(c.field)),
                        {c.text}),
                  c.fits ? 1 : 0);
    }
}

TEST_F(DatasetTest, AnInsertIntoATableNeverReadDoesNotReadIt)
{
    for (int i = 0; i < 50; ++i)
        addBooking(QStringLiteral("ROOM"), QDate(2026, 3, 5).addDays(i), QStringLiteral("1"), QStringLiteral("A"));
    Dataset& b = dm->BookingsTable;
    b.close();
    b.open();
    b.appendRecord({QVariant(), QDate(2026, 6, 1), QStringLiteral("2"), QStringLiteral("HALL"), QStringLiteral("B")});
    EXPECT_FALSE(b.isLoaded());
    EXPECT_EQ(b.asString(QStringLiteral("ItemBooked")), QStringLiteral("HALL"));
    EXPECT_EQ(b.asInteger(QStringLiteral("Index")), 51);
    b.append();
    b.setValue(QStringLiteral("ItemBooked"), QStringLiteral("LAB"));
    b.setValue(QStringLiteral("Date"), QDate(2026, 6, 2));
    b.post();
    EXPECT_FALSE(b.isLoaded());
    EXPECT_EQ(b.asString(QStringLiteral("ItemBooked")), QStringLiteral("LAB"));
    // The first walk reads the table and keeps standing on the new row.
    EXPECT_EQ(b.recNo(), 52);
    EXPECT_TRUE(b.isLoaded());
    EXPECT_EQ(b.asString(QStringLiteral("ItemBooked")), QStringLiteral("LAB"));
    EXPECT_EQ(b.recordCount(), 52);
}

TEST_F(DatasetTest, ASnapshotIsReadAgainOnlyWhenItsOwnTableChanged)
{
    QSignalSpy reads(&users(), &Dataset::dataChanged);
    // Another client's commit to another table: the users stay as read.
    second().ADOConnection.exec(QStringLiteral("INSERT INTO bookings (ItemBooked, Date, Period) VALUES ('R', '2026-03-05', '1')"));
    users().requery();
    EXPECT_EQ(reads.count(), 0);
    // A look-up by key reads the one row afresh, whatever changed it.
    second().ADOConnection.exec(QStringLiteral("UPDATE Users SET FullName = 'Changed' WHERE username = 'JONES'"));
    ASSERT_TRUE(users().locate(QStringLiteral("username"), QStringLiteral("jones")));
    EXPECT_EQ(users().asString(QStringLiteral("FullName")), QStringLiteral("Changed"));
    EXPECT_EQ(users().recNo(), 3);
    // Any other writer is seen: the file counts the change, not the program.
    Database shell;
    shell.open(path);
    shell.exec(QStringLiteral("INSERT INTO Users (username) VALUES ('SHELL')"));
    users().requery();
    EXPECT_EQ(users().recordCount(), 4);
    ASSERT_TRUE(users().locate(QStringLiteral("username"), QStringLiteral("shell")));
    EXPECT_EQ(users().recNo(), 4);
    // A row another client added shows at its place in the file's order.
    second().ADOConnection.exec(QStringLiteral("INSERT INTO Users (username) VALUES ('LATE')"));
    ASSERT_TRUE(users().locate(QStringLiteral("username"), QStringLiteral("late")));
    EXPECT_EQ(users().recNo(), 5);
    QStringList names;
    for (users().first(); !users().eof(); users().next())
        names << users().asString(QStringLiteral("username"));
    EXPECT_EQ(names, (QStringList{QStringLiteral("ADMIN"), QStringLiteral("BROWN"), QStringLiteral("JONES"),
                                  QStringLiteral("SHELL"), QStringLiteral("LATE")}));
}

TEST_F(DatasetTest, AFileWithoutChangeCountsReadsAgainAfterAnyCommit)
{
    users().requery();
    EXPECT_EQ(users().recordCount(), 3);
    // An older file: no counts, no indexes; the look-ups still see every
    // other client's change.
    Database older;
    older.open(path);
    older.exec(QStringLiteral("DROP TABLE TableChanges"));
    for (const char* t : {"Users", "items", "catergories", "bookings", "periods", "config", "System"})
        for (const char* e : {"insert", "update", "delete"})
            older.exec(QStringLiteral("DROP TRIGGER \"%1_%2\"").arg(QString::fromLatin1(t), QString::fromLatin1(e)));
    older.exec(QStringLiteral("DROP INDEX Users_username"));
    older.exec(QStringLiteral("INSERT INTO Users (username) VALUES ('OLDER')"));
    users().requery();
    EXPECT_EQ(users().recordCount(), 4);
    EXPECT_FALSE(users().locatesByIndex(QStringLiteral("username")));
    older.exec(QStringLiteral("UPDATE Users SET FullName = 'seen' WHERE username = 'OLDER'"));
    users().requery();
    ASSERT_TRUE(users().locate(QStringLiteral("username"), QStringLiteral("older")));
    EXPECT_EQ(users().asString(QStringLiteral("FullName")), QStringLiteral("seen"));
}

TEST_F(DatasetTest, AUserLookUpCostsOneIndexedReadWhateverTheTableSize)
{
    // The look-up goes through the index; the snapshot is not read again
    // when only another table changed, and the found row is read afresh.
    for (int i = 0; i < 300; ++i)
        addUser({QStringLiteral("U%1").arg(i)});
    // A row the snapshot does not hold yet: the record number is the file's.
    EXPECT_EQ(FindUser(QStringLiteral("u299")), 303);
    QSignalSpy reads(&dm->UserTable, &Dataset::dataChanged);
    second().ADOConnection.exec(QStringLiteral("INSERT INTO bookings (ItemBooked, Date, Period) VALUES ('R', '2026-03-05', '1')"));
    EXPECT_EQ(FindUser(QStringLiteral("u150")), 154);
    EXPECT_EQ(FindUser(QStringLiteral("u0")), 4);
    EXPECT_EQ(reads.count(), 0);
    second().ADOConnection.exec(QStringLiteral("UPDATE Users SET accesslevel = 77 WHERE username = 'U150'"));
    EXPECT_EQ(UserAccessLevel(QStringLiteral("U150")), 77);
    EXPECT_EQ(reads.count(), 1) << "one row changed, one row read";
}
