// The importer's data routines: the log-in flags, its password check, the
// category insert and the booking writer.
#include "Accounts.h"
#include "DataFixture.h"
#include "DbError.h"
#include "ImportData.h"

namespace {

class ImportDataTest : public DataFixture {
protected:
    void SetUp() override
    {
        DataFixture::SetUp();
        addUser({QStringLiteral("ADMIN"), 250});
        addUser({QStringLiteral("TEACHER"), 10});
        addItem(QStringLiteral("ROOM1"));
        addPeriods(3);
    }
    QString systemText(const char* field)
    {
        return db().scalar(QStringLiteral("SELECT \"%1\" FROM System").arg(QLatin1String(field))).toString();
    }
    int bookings() { return count(QStringLiteral("SELECT COUNT(*) FROM bookings")); }
    QString bookingField(const char* field)
    {
        return db().scalar(QStringLiteral("SELECT \"%1\" FROM bookings").arg(QLatin1String(field))).toString();
    }
    // A booking of ROOM1 on the test's day.
    bool place(const QString& by, bool overwrite, const QString& reason, const QString& period = QStringLiteral("1"))
    {
        return ImportPlaceBooking(QStringLiteral("ROOM1"), period, by, overwrite, reason, day);
    }
    const QDateTime day{QDate(2026, 3, 5), QTime(15, 45)};
};

} // namespace

TEST_F(ImportDataTest, FlagWritersChangeOnlyTheirOwnFields)
{
    db().exec(QStringLiteral("UPDATE System SET user = 'KEEP', reason = 'old'"));
    DenyLogin(QStringLiteral("Importing Data from Tavrell 4.0"));
    EXPECT_EQ(systemText("denylogin"), QStringLiteral("1"));
    EXPECT_EQ(systemText("forceshutdown"), QStringLiteral("0"));
    EXPECT_EQ(systemText("reason"), QStringLiteral("Importing Data from Tavrell 4.0"));
    EXPECT_EQ(systemText("user"), QStringLiteral("KEEP"));

    SetForceShutdown(QStringLiteral("Importing Data from Tavrell 4.0"), QStringLiteral("ADMIN"));
    ClearForceShutdown();
    EXPECT_EQ(systemText("forceshutdown"), QStringLiteral("0"));
    EXPECT_EQ(systemText("denylogin"), QStringLiteral("1"));
    EXPECT_EQ(systemText("user"), QStringLiteral("ADMIN"));
    AllowLogin();
    EXPECT_EQ(systemText("denylogin"), QStringLiteral("0"));
    EXPECT_EQ(systemText("reason"), QStringLiteral("Importing Data from Tavrell 4.0"));

    // Another client changed the row meanwhile: the writers start from the file.
    second().ADOConnection.exec(QStringLiteral("UPDATE System SET reason = 'theirs'"));
    DenyLogin(QStringLiteral("mine"));
    EXPECT_EQ(systemText("reason"), QStringLiteral("mine"));

    db().exec(QStringLiteral("DELETE FROM System"));
    EXPECT_THROW(DenyLogin(QStringLiteral("x")), DbError);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM System")), 0);
}

TEST_F(ImportDataTest, PasswordCheckIgnoresCaseAndRefusesUnknownUsers)
{
    db().exec(QStringLiteral("UPDATE Users SET password = ? WHERE username = 'ADMIN'"), {Scramble(QStringLiteral("MiXed1"))});
    EXPECT_TRUE(ImportCheckPassword(QStringLiteral("admin"), QStringLiteral("MIXED1")));
    EXPECT_TRUE(ImportCheckPassword(QStringLiteral("ADMIN"), QStringLiteral("mixed1")));
    EXPECT_FALSE(ImportCheckPassword(QStringLiteral("ADMIN"), QStringLiteral("mixed")));
    EXPECT_FALSE(ImportCheckPassword(QStringLiteral("NOBODY"), QString()));
}

TEST_F(ImportDataTest, AddCategoryRefusalLeavesNothingPending)
{
    EXPECT_TRUE(AddCategory(QStringLiteral("Rooms"), QStringLiteral("Transferred from Tavrell 4.x")));
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT Description FROM catergories WHERE CaterGoryName = 'Rooms'")).toString(),
              QStringLiteral("Transferred from Tavrell 4.x"));
    EXPECT_FALSE(AddCategory(QStringLiteral("ROOMS"), QStringLiteral("again")));   // the name is taken
    EXPECT_EQ(dm->catergoriestable.state(), Dataset::State::Browse);
    EXPECT_TRUE(AddCategory(QStringLiteral("Laptops"), QStringLiteral("next")));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM catergories")), 2);
}

TEST_F(ImportDataTest, RefusedBookingsWriteNothing)
{
    struct Case {
        const char* item;
        const char* period;
        const char* user;
        const char* reason;
    };
    for (const Case c : {Case{"NOROOM", "1", "TEACHER", "r"}, Case{"ROOM1", "1", "NOBODY", "r"},
                         Case{"ROOM1", "9", "TEACHER", "r"}, Case{"ROOM1", "1", "TEACHER", ""}}) {
        EXPECT_FALSE(ImportPlaceBooking(QString::fromLatin1(c.item), QString::fromLatin1(c.period),
                                        QString::fromLatin1(c.user), false, QString::fromLatin1(c.reason), day))
            << c.item << c.period << c.user;
    }
    EXPECT_EQ(bookings(), 0);
}

TEST_F(ImportDataTest, FreeSlotGetsOneRowWithoutAuthcode)
{
    const QDateTime past(QDate(2020, 1, 6), QTime(8, 0));
    ASSERT_TRUE(ImportPlaceBooking(QStringLiteral("room1"), QStringLiteral("2"), QStringLiteral("teacher"), false,
                                   QStringLiteral("Maths"), past));
    EXPECT_EQ(bookings(), 1);
    for (const auto& [field, value] : std::initializer_list<std::pair<const char*, const char*>>{
             {"ItemBooked", "room1"}, {"Date", "2020-01-06"}, {"Period", "2"}, {"BookedBy", "teacher"},
             {"forReason", "Maths"}, {"BookedOnDate", "2026-03-04"}, {"BookedOnTime", "09:30:00"},
             {"AuthCode", ""}, {"isPermanent", "0"}})
        EXPECT_EQ(bookingField(field), QLatin1String(value)) << field;
}

TEST_F(ImportDataTest, TakenSlotIsReplacedOnlyWithOverwriteAndRank)
{
    addBooking(QStringLiteral("ROOM1"), day.date(), QStringLiteral("1"), QStringLiteral("TEACHER"), QStringLiteral("old"));
    db().exec(QStringLiteral("UPDATE bookings SET isPermanent = 1"));
    CurrentUser = QStringLiteral("ADMIN");
    EXPECT_FALSE(place(QStringLiteral("ADMIN"), false, QStringLiteral("new")));
    EXPECT_EQ(bookingField("forReason"), QStringLiteral("old"));

    CurrentUser.clear();   // nobody: outranks no one
    EXPECT_FALSE(place(QStringLiteral("ADMIN"), true, QStringLiteral("new")));
    EXPECT_EQ(bookingField("forReason"), QStringLiteral("old"));

    CurrentUser = QStringLiteral("ADMIN");
    ASSERT_TRUE(place(QStringLiteral("ADMIN"), true, QStringLiteral("new")));
    EXPECT_EQ(bookings(), 1);
    EXPECT_EQ(bookingField("forReason"), QStringLiteral("new"));
    EXPECT_EQ(bookingField("BookedBy"), QStringLiteral("ADMIN"));
    EXPECT_EQ(bookingField("AuthCode"), QStringLiteral("xxxxxx"));
    EXPECT_EQ(bookingField("isPermanent"), QStringLiteral("1"));

    // A booker of the same rank may replace only its own booking.
    CurrentUser = QStringLiteral("teacher");
    EXPECT_FALSE(place(QStringLiteral("TEACHER"), true, QStringLiteral("mine")));
    CurrentUser = QStringLiteral("admin");   // equal rank, its own booking
    EXPECT_TRUE(place(QStringLiteral("TEACHER"), true, QStringLiteral("mine")));
    EXPECT_EQ(bookingField("BookedBy"), QStringLiteral("TEACHER"));
}

TEST_F(ImportDataTest, DatabaseRefusalsOfBookingsSpoilNothing)
{
    // A refused insert or replacement travels on with the engine's reason
    // and leaves the table as it was.
    const QString tooLong(151, QLatin1Char('r'));
    EXPECT_THROW(place(QStringLiteral("TEACHER"), false, tooLong), DbError);
    EXPECT_EQ(bookings(), 0);
    EXPECT_TRUE(place(QStringLiteral("TEACHER"), false, QStringLiteral("ok")));

    CurrentUser = QStringLiteral("ADMIN");
    EXPECT_THROW(place(QStringLiteral("TEACHER"), true, tooLong), DbError);
    EXPECT_EQ(bookingField("forReason"), QStringLiteral("ok"));
    EXPECT_TRUE(place(QStringLiteral("TEACHER"), false, QStringLiteral("next"), QStringLiteral("2")));
    EXPECT_EQ(bookings(), 2);
}
