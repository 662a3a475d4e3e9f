// Look-ups, rights and periods.
#include "DataFixture.h"
#include "Accounts.h"
#include "Lookups.h"

#include <QRegularExpression>

class LookupsTest : public DataFixture {
protected:
    void SetUp() override
    {
        DataFixture::SetUp();
        addUser({QStringLiteral("ADMIN"), 250, true, true, true});
        addUser({QStringLiteral("JSMITH"), 50});
        addUser({QStringLiteral("PUPIL"), 5});
        addItem(QStringLiteral("HALL"), 50, QStringLiteral("jsmith"));
        addItem(QStringLiteral("LAPTOPS"), 0);
        addPeriods(4);
        dm->PeriodsTable.requery();
        CurrentUser = QStringLiteral("JSMITH");
    }
};

TEST_F(LookupsTest, FindUserIsCaseInsensitiveWholeValueAndPositions)
{
    EXPECT_EQ(FindUser(QStringLiteral("admin")), 1);
    EXPECT_EQ(dm->UserTable.asString(QStringLiteral("username")), QStringLiteral("ADMIN"));
    EXPECT_EQ(FindUser(QStringLiteral("ADM")), -1);
    EXPECT_EQ(FindUser(QStringLiteral("pupil")), 3);
    EXPECT_EQ(UserFullName(QStringLiteral("Pupil")), QStringLiteral("PUPIL Full"));
    EXPECT_EQ(UserFullName(QStringLiteral("nobody")), QString());
    EXPECT_EQ(UserAccessLevel(QStringLiteral("nobody")), -1);
}

TEST_F(LookupsTest, LookUpsSeeAnotherClientsNewRows)
{
    second().ADOConnection.exec(QStringLiteral("INSERT INTO Users (username) VALUES ('NEWBIE')"));
    second().ADOConnection.exec(QStringLiteral("INSERT INTO items (ItemName) VALUES ('NEWITEM')"));
    second().ADOConnection.exec(QStringLiteral("INSERT INTO catergories VALUES ('Rooms', '')"));
    second().ADOConnection.exec(QStringLiteral("INSERT INTO periods VALUES ('Lunch', 5, '12:00:00')"));
    EXPECT_EQ(FindUser(QStringLiteral("newbie")), 4);
    EXPECT_EQ(FindItem(QStringLiteral("newitem")), 3);
    EXPECT_EQ(FindCategory(QStringLiteral("ROOMS")), 1);
    EXPECT_EQ(FindPeriod(QStringLiteral("LUNCH")), 5);
    EXPECT_EQ(PeriodOrderOf(QStringLiteral("lunch")), 5);
    EXPECT_EQ(FindCategory(QStringLiteral("Room")), -1);
    EXPECT_TRUE(dm->catergoriestable.eof()) << "a category walk that finds nothing ends at the end";
}

TEST_F(LookupsTest, EachRightsGetterReadsItsOwnField)
{
    const std::vector<std::pair<const char*, bool (*)(const QString&)>> getters = {
        {"canMakeBookings", UserCanMakeBookings},
        {"canModifyBookings", UserCanModifyBookings},
        {"canMakePermanentBookings", UserCanMakePermanentBookings},
        {"canFlushBookings", UserCanFlushBookings},
        {"canModifyItems", UserCanModifyItems},
        {"canModifyCatergories", UserCanModifyCategories},
        {"canAdministerUsers", UserCanAdministerUsers},
        {"canModifyPeriod", UserCanModifyPeriod},
        {"canForceShutdown", UserCanForceShutdown},
        {"isAdministrator", UserIsAdministrator},
        {"canOverrideBookingLimit", UserCanOverrideBookingLimit},
        {"ForcePassword", UserMustGivePassword},
    };
    addUser({QStringLiteral("FLAGS"), 1, false});
    for (const auto& [field, getter] : getters) {
        db().exec(QStringLiteral("UPDATE Users SET canMakeBookings = 0, canModifyBookings = 0, "
                                 "canMakePermanentBookings = 0, canFlushBookings = 0, canModifyItems = 0, "
                                 "canModifyCatergories = 0, canAdministerUsers = 0, canModifyPeriod = 0, "
                                 "canForceShutdown = 0, isAdministrator = 0, canOverrideBookingLimit = 0, "
                                 "ForcePassword = 0 WHERE username = 'FLAGS'"));
        db().exec(QStringLiteral("UPDATE Users SET \"%1\" = 1 WHERE username = 'FLAGS'").arg(QLatin1String(field)));
        for (const auto& [otherField, otherGetter] : getters)
            EXPECT_EQ(otherGetter(QStringLiteral("flags")), otherField == field)
                << otherField << " with only " << field << " set";
        EXPECT_FALSE(getter(QStringLiteral("nobody")));
    }
}

TEST_F(LookupsTest, OutranksUserComparesLevelsAndEndsOnTheCurrentUser)
{
    EXPECT_TRUE(OutranksUser(QStringLiteral("pupil")));
    EXPECT_FALSE(OutranksUser(QStringLiteral("admin")));
    addUser({QStringLiteral("PEER"), 50});
    EXPECT_FALSE(OutranksUser(QStringLiteral("peer"))) << "equal levels do not outrank";
    EXPECT_TRUE(OutranksUser(QStringLiteral("ghost"))) << "an unknown user is outranked by anyone known";
    EXPECT_EQ(dm->UserTable.asString(QStringLiteral("username")), QStringLiteral("JSMITH"));
    CurrentUser = QStringLiteral("GHOST");
    EXPECT_FALSE(OutranksUser(QStringLiteral("pupil")));
    EXPECT_FALSE(OutranksUser(QStringLiteral("nobody")));
}

TEST_F(LookupsTest, CanUseItemNeedsTheItemsLevel)
{
    EXPECT_TRUE(CanUseItem(QStringLiteral("hall"))) << "level equal to the minimum";
    CurrentUser = QStringLiteral("PUPIL");
    EXPECT_FALSE(CanUseItem(QStringLiteral("HALL")));
    EXPECT_TRUE(CanUseItem(QStringLiteral("LAPTOPS")));
    EXPECT_FALSE(CanUseItem(QStringLiteral("NOSUCH")));
    CurrentUser = QStringLiteral("GHOST");
    EXPECT_FALSE(CanUseItem(QStringLiteral("LAPTOPS"))) << "an unknown user may use nothing, even level 0";
}

TEST_F(LookupsTest, ItemManagerIsTheManagerOrAdmin)
{
    EXPECT_TRUE(IsItemManager(QStringLiteral("JSMITH"), QStringLiteral("hall")));
    EXPECT_TRUE(IsItemManager(QStringLiteral("jsmith"), QStringLiteral("HALL")));
    EXPECT_FALSE(IsItemManager(QStringLiteral("PUPIL"), QStringLiteral("HALL")));
    EXPECT_TRUE(IsItemManager(QStringLiteral("admin"), QStringLiteral("LAPTOPS")));
    EXPECT_TRUE(IsItemManager(QStringLiteral("admin"), QStringLiteral("NOSUCH")));
    EXPECT_FALSE(IsItemManager(QStringLiteral("JSMITH"), QStringLiteral("NOSUCH")))
        << "not the manager of whatever row happens to be current";
}

TEST_F(LookupsTest, AddItemStoresUpperCasedNamesBarcodeAndAuthcode)
{
    db().exec(QStringLiteral("UPDATE config SET InstallID = '1234'"));
    dm->ConfigTable.requery();
    ASSERT_TRUE(AddItem(QStringLiteral("Minibus"), QStringLiteral("jsmith"), QStringLiteral("Transport"), 20));
    Dataset& t = dm->itemstable;
    EXPECT_EQ(t.asString(QStringLiteral("ItemName")), QStringLiteral("MINIBUS"));
    EXPECT_EQ(t.asString(QStringLiteral("Manager")), QStringLiteral("JSMITH"));
    EXPECT_EQ(t.asString(QStringLiteral("Catergory")), QStringLiteral("Transport"));
    EXPECT_EQ(t.asInteger(QStringLiteral("minSecurity")), 20);
    EXPECT_FALSE(t.asBoolean(QStringLiteral("isAvailable"))) << "other fields keep the table's defaults";
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\*1234\\d{6}\\*$"))
                    .match(t.asString(QStringLiteral("BarCode"))).hasMatch());
    EXPECT_EQ(t.asString(QStringLiteral("AuthCode")).size(), 6);

    Random::setScript([](int) { return 0; });
    ASSERT_TRUE(AddItem(QStringLiteral("low"), QString(), QString(), 1));
    EXPECT_EQ(t.asString(QStringLiteral("BarCode")), QStringLiteral("*1234100000*"));
    Random::setScript([](int range) { return range - 1; });
    ASSERT_TRUE(AddItem(QStringLiteral("high"), QString(), QString(), 1));
    EXPECT_EQ(t.asString(QStringLiteral("BarCode")), QStringLiteral("*1234999998*"));
    Random::setScript(nullptr);

    EXPECT_FALSE(AddItem(QStringLiteral("minibus"), QString(), QString(), 1)) << "a duplicate name";
    EXPECT_EQ(t.state(), Dataset::State::Browse);
    EXPECT_TRUE(AddItem(QStringLiteral("after"), QString(), QString(), 1)) << "the table is usable afterwards";
}

TEST_F(LookupsTest, AddItemWithoutAConfigurationRowFails)
{
    db().exec(QStringLiteral("DELETE FROM config"));
    dm->ConfigTable.requery();
    EXPECT_FALSE(AddItem(QStringLiteral("X"), QString(), QString(), 1));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM items WHERE ItemName = 'X'")), 0);
}

TEST_F(LookupsTest, PeriodNamesOrdersAndStartTimes)
{
    EXPECT_EQ(PeriodNameAt(2), QStringLiteral("2"));
    EXPECT_EQ(PeriodNameAt(13), QStringLiteral("[NONE]"));
    EXPECT_EQ(PeriodStartTime(2).time(), QTime(9, 0));
    EXPECT_EQ(PeriodStartTime(13), QDateTime(QDate(1899, 1, 1), QTime(0, 0)));
    db().exec(QStringLiteral("UPDATE periods SET period = '' WHERE \"order\" = 4"));
    dm->PeriodsTable.requery();
    EXPECT_EQ(PeriodNameAt(4), QString());
    EXPECT_EQ(HighestPeriodOrder(), 3);
    db().exec(QStringLiteral("UPDATE periods SET period = ''"));
    dm->PeriodsTable.requery();
    EXPECT_EQ(HighestPeriodOrder(), 0);
    EXPECT_EQ(CurrentPeriodOrder(), -1);
}

TEST_F(LookupsTest, CurrentPeriodStartsStrictlyAfterItsStartTime)
{
    Clock::freeze(QDateTime(QDate(2026, 3, 4), QTime(8, 0)));
    EXPECT_EQ(CurrentPeriodOrder(), -1);
    Clock::freeze(QDateTime(QDate(2026, 3, 4), QTime(9, 0, 0, 0)));
    EXPECT_EQ(CurrentPeriodOrder(), 1);
    Clock::freeze(QDateTime(QDate(2026, 3, 4), QTime(9, 0, 0, 1)));
    EXPECT_EQ(CurrentPeriodOrder(), 2);
    Clock::freeze(QDateTime(QDate(2026, 3, 4), QTime(23, 0)));
    EXPECT_EQ(CurrentPeriodOrder(), 4);
    // Start times need not ascend: the highest order that has begun wins.
    db().exec(QStringLiteral("UPDATE periods SET StartTime = '07:00:00' WHERE \"order\" = 3"));
    dm->PeriodsTable.requery();
    Clock::freeze(QDateTime(QDate(2026, 3, 4), QTime(8, 0)));
    EXPECT_EQ(CurrentPeriodOrder(), 3);
}

TEST_F(LookupsTest, AMissingOrderIsNeverInProgress)
{
    db().exec(QStringLiteral("DELETE FROM periods WHERE \"order\" = 3"));
    dm->PeriodsTable.requery();
    Clock::freeze(QDateTime(QDate(2026, 3, 4), QTime(9, 10)));
    EXPECT_EQ(CurrentPeriodOrder(), 2);
}

TEST_F(LookupsTest, APeriodNamedLikeTheMissingMarkIsStillAPeriod)
{
    db().exec(QStringLiteral("UPDATE periods SET period = '[NONE]' WHERE \"order\" = 3"));
    dm->PeriodsTable.requery();
    Clock::freeze(QDateTime(QDate(2026, 3, 4), QTime(9, 45)));
    EXPECT_EQ(CurrentPeriodOrder(), 3);
}

TEST_F(LookupsTest, AccountExpiresAfterItsLastDay)
{
    CurrentUser = QStringLiteral("PUPIL");
    EXPECT_FALSE(CurrentUserExpired());
    db().exec(QStringLiteral("UPDATE Users SET Expires = 1, ExpiresOn = '2026-03-04 23:59:00' WHERE username = 'PUPIL'"));
    EXPECT_FALSE(CurrentUserExpired()) << "its last day, at any hour";
    db().exec(QStringLiteral("UPDATE Users SET ExpiresOn = '2026-03-03' WHERE username = 'PUPIL'"));
    EXPECT_TRUE(CurrentUserExpired());
    db().exec(QStringLiteral("UPDATE Users SET Expires = 0 WHERE username = 'PUPIL'"));
    EXPECT_FALSE(CurrentUserExpired());
    CurrentUser = QStringLiteral("GHOST");
    EXPECT_FALSE(CurrentUserExpired());
}

TEST_F(LookupsTest, EachLookUpLeavesItsTableOnTheRowItFound)
{
    db().exec(QStringLiteral("INSERT INTO catergories VALUES ('Rooms', 'Teaching rooms')"));
    db().exec(QStringLiteral("INSERT INTO catergories VALUES ('Sport', 'Fields')"));
    EXPECT_EQ(FindItem(QStringLiteral("laptops")), 2);
    EXPECT_EQ(dm->itemstable.asString(QStringLiteral("ItemName")), QStringLiteral("LAPTOPS"));
    EXPECT_EQ(FindCategory(QStringLiteral("rooms")), 1);
    EXPECT_EQ(dm->catergoriestable.asString(QStringLiteral("Description")), QStringLiteral("Teaching rooms"));
    EXPECT_EQ(FindPeriod(QStringLiteral("3")), 3);
    EXPECT_EQ(dm->PeriodsTable.asInteger(QStringLiteral("order")), 3);
    EXPECT_EQ(PeriodNameAt(2), QStringLiteral("2"));
    EXPECT_EQ(dm->PeriodsTable.recNo(), 2) << "the table stays on the row found by order";
    EXPECT_EQ(PeriodNameAt(13), QStringLiteral("[NONE]"));
    EXPECT_EQ(dm->PeriodsTable.recNo(), 2) << "no row of that order: the position stays";
    UserCanMakeBookings(QStringLiteral("pupil"));
    EXPECT_EQ(dm->UserTable.asString(QStringLiteral("username")), QStringLiteral("PUPIL"));
}

TEST_F(LookupsTest, TimerLookUpsNeverMoveOrPostATableADialogIsEditing)
{
    // A dialog is typing into the second period and into the control row.
    Dataset& periods = dm->PeriodsTable;
    ASSERT_TRUE(periods.locate(QStringLiteral("period"), QStringLiteral("2")));
    periods.edit();
    periods.setValue(QStringLiteral("period"), QStringLiteral("typed"));
    Dataset& sys = dm->SystemTable;
    sys.requery();
    sys.edit();
    sys.setValue(QStringLiteral("reason"), QStringLiteral("half typed"));
    second().ADOConnection.exec(QStringLiteral("UPDATE System SET forceshutdown = 1, \"user\" = 'BOSS', reason = 'fire'"));

    Clock::freeze(QDateTime(QDate(2026, 3, 4), QTime(9, 45)));
    EXPECT_EQ(CurrentPeriodOrder(), 3);
    const ShutdownOrder order = ReadShutdownOrder();
    EXPECT_TRUE(order.force);
    EXPECT_EQ(order.user, QStringLiteral("BOSS"));
    EXPECT_EQ(order.reason, QStringLiteral("fire"));

    EXPECT_EQ(periods.state(), Dataset::State::Edit);
    EXPECT_EQ(periods.asString(QStringLiteral("period")), QStringLiteral("typed"));
    EXPECT_EQ(periods.recNo(), 2);
    EXPECT_EQ(sys.state(), Dataset::State::Edit);
    EXPECT_EQ(sys.asString(QStringLiteral("reason")), QStringLiteral("half typed"));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM periods WHERE period = 'typed'")), 0);
    periods.post();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM periods WHERE period = 'typed'")), 1);
    sys.cancel();
    db().exec(QStringLiteral("DELETE FROM System"));
    EXPECT_FALSE(ReadShutdownOrder().force) << "no control row reads as no order";
}

TEST_F(LookupsTest, AddUserRefusesANameLongerThanItsWidthBehindANul)
{
    const QString name = QStringLiteral("A") + QChar(0) + QStringLiteral("BCDEFGHIJKLMNOPQRST");
    ASSERT_EQ(name.size(), 21);
    EXPECT_FALSE(AddUser(name, QStringLiteral("Long"), QStringLiteral("pw")));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users")), 3);
    EXPECT_EQ(dm->UserTable.state(), Dataset::State::Browse);
}
