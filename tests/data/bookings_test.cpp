// The booking engine: the order of its checks, the date rule, taken slots,
// authcodes, the results record, and the routines around one booking.
#include "Bookings.h"
#include "DataFixture.h"
#include "DbError.h"
#include "Lookups.h"
#include "Text.h"

namespace M = BookingMessages;

class BookingTest : public DataFixture {
protected:
    void SetUp() override
    {
        DataFixture::SetUp();
        addUser({QStringLiteral("ADMIN"), 250, true, true, true});
        addUser({QStringLiteral("TEACHER"), 50, true, true});
        addUser({QStringLiteral("HEAD"), 100, true, true});
        addUser({QStringLiteral("PUPIL"), 5, true, false});
        addUser({QStringLiteral("NOBOOK"), 50, false, true});
        addUser({QStringLiteral("OVERRIDE"), 50, true, true, false, true});
        addUser({QStringLiteral("MANAGER"), 20, true, true});
        addItem(QStringLiteral("HALL"), 50, QStringLiteral("MANAGER"));
        addItem(QStringLiteral("ROOM1"), 1);
        addPeriods(4);   // 08:50, 09:00, 09:40, 10:20
        dm->PeriodsTable.requery();
        dm->ConfigTable.requery();
        CurrentUser = QStringLiteral("TEACHER");
    }

    QDateTime day(int offset) const { return QDateTime(QDate(2026, 3, 4).addDays(offset), QTime(0, 0)); }

    BookingResultCode book(const QString& item, const QString& period, int offset,
                           const QString& reason = QStringLiteral("Maths"), bool force = true,
                           bool permanent = false, const QString& bookedFor = QString())
    {
        return PlaceBooking(item, period, bookedFor.isEmpty() ? CurrentUser : bookedFor, day(offset), reason,
                            force, CurrentUser, permanent);
    }

    int rows() { return count(QStringLiteral("SELECT count(*) FROM bookings")); }
    QString bookedBy(const QString& item, const QString& period, int offset)
    {
        return db().scalar(QStringLiteral("SELECT BookedBy FROM bookings WHERE ItemBooked = ? AND Period = ? AND Date = ?"),
                           {item, period, day(offset).date().toString(Qt::ISODate)}).toString();
    }
};

// ------------------------------------------------------- order of checks

TEST_F(BookingTest, ChecksRunInTheirOrderAndTheFirstFailureSpeaks)
{
    EXPECT_EQ(PlaceBooking(QStringLiteral("NOSUCH"), QStringLiteral("99"), QStringLiteral("ghost"), day(1), QString(),
                           true, CurrentUser, false), -1);
    EXPECT_EQ(LastBookingResult.message, M::UnknownItem);
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("99"), 1, QString(), true, false, QStringLiteral("ghost")), -1);
    EXPECT_EQ(LastBookingResult.message, M::UnknownUser);
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("99"), 1, QString()), -1);
    EXPECT_EQ(LastBookingResult.message, M::UnknownPeriod);
    CurrentUser = QStringLiteral("NOBOOK");
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("3"), 1, QString()), -1);
    EXPECT_EQ(LastBookingResult.message, M::NoReason) << "the reason is checked before any right";
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("3"), 1), -1);
    EXPECT_EQ(LastBookingResult.message, M::CannotBook);
    EXPECT_EQ(rows(), 0);
}

TEST_F(BookingTest, AReasonOfBlanksPasses)
{
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("3"), 1, QStringLiteral("   ")), 0);
    EXPECT_EQ(rows(), 1);
}

TEST_F(BookingTest, TheLoggedOnUsersLevelMustReachTheItems)
{
    EXPECT_EQ(book(QStringLiteral("HALL"), QStringLiteral("3"), 1), 0) << "equal level passes";
    CurrentUser = QStringLiteral("PUPIL");
    EXPECT_EQ(book(QStringLiteral("HALL"), QStringLiteral("4"), 1, QStringLiteral("x"), true, false,
                   QStringLiteral("ADMIN")), -1);
    EXPECT_EQ(LastBookingResult.message, M::LowAccess) << "the logged-on user counts, not the booked-for one";
}

// ------------------------------------------------------------- date rule

TEST_F(BookingTest, PastDatesAreRefusedButForAdministratorsOverridersAndPermanentBookings)
{
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("1"), -1), -1);
    EXPECT_EQ(LastBookingResult.message, M::DateRule);
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("1"), -1, QStringLiteral("Maths"), true, true), 0);
    CurrentUser = QStringLiteral("ADMIN");
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("2"), -1), 0);
    CurrentUser = QStringLiteral("OVERRIDE");
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("3"), -1), 0);
}

TEST_F(BookingTest, TodaysBegunPeriodsAreRefusedButThePeriodInProgressIsNot)
{
    Clock::freeze(QDateTime(QDate(2026, 3, 4), QTime(10, 30)));   // order 4 in progress
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("3"), 0), -1);
    EXPECT_EQ(LastBookingResult.message, M::DateRule);
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("4"), 0), 0);
}

TEST_F(BookingTest, TheLimitDayItselfMayBeBooked)
{
    db().exec(QStringLiteral("UPDATE config SET enableBookingLimit = 1, BookingLimitDays = 14"));
    dm->ConfigTable.requery();
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("1"), 14), 0);
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("1"), 15), -1);
    EXPECT_EQ(LastBookingResult.message, M::DateRule);
    db().exec(QStringLiteral("UPDATE config SET enableBookingLimit = 0"));
    dm->ConfigTable.requery();
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("1"), 400), 0);
}

// ----------------------------------------------------------- taken slots

TEST_F(BookingTest, ATakenSlotWithoutForceIsRefusedAndNamesTheBooking)
{
    addBooking(QStringLiteral("ROOM1"), day(1).date(), QStringLiteral("2"), QStringLiteral("PUPIL"), QStringLiteral("Chess"));
    CurrentUser = QStringLiteral("ADMIN");
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("2"), 1, QStringLiteral("Staff"), false), -2);
    EXPECT_EQ(LastBookingResult.message, M::SlotTaken);
    EXPECT_EQ(LastBookingResult.existingBookedBy, QStringLiteral("PUPIL"));
    EXPECT_EQ(LastBookingResult.existingReason, QStringLiteral("Chess"));
    EXPECT_EQ(bookedBy(QStringLiteral("ROOM1"), QStringLiteral("2"), 1), QStringLiteral("PUPIL"));
}

TEST_F(BookingTest, ReplacingNeedsTheRightToModifyBookings)
{
    addBooking(QStringLiteral("ROOM1"), day(1).date(), QStringLiteral("2"), QStringLiteral("PUPIL"));
    db().exec(QStringLiteral("UPDATE Users SET canModifyBookings = 0 WHERE username = 'TEACHER'"));
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("2"), 1), -3);
    EXPECT_EQ(LastBookingResult.message, M::CannotReplace);
    // even over one's own booking
    addBooking(QStringLiteral("ROOM1"), day(1).date(), QStringLiteral("3"), QStringLiteral("TEACHER"));
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("3"), 1), -3);
}

TEST_F(BookingTest, EachReplaceRuleAllowsAndNoneRefuses)
{
    const QDate d = day(1).date();
    addBooking(QStringLiteral("ROOM1"), d, QStringLiteral("1"), QStringLiteral("PUPIL"));    // outranked
    addBooking(QStringLiteral("ROOM1"), d, QStringLiteral("2"), QStringLiteral("teacher"));  // own, other case
    addBooking(QStringLiteral("ROOM1"), d, QStringLiteral("3"), QStringLiteral("HEAD"));     // higher level
    addBooking(QStringLiteral("HALL"), d, QStringLiteral("3"), QStringLiteral("HEAD"));
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("1"), 1), 1);
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("2"), 1), 1);
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("3"), 1), -3) << "none of the rules holds";
    EXPECT_EQ(LastBookingResult.existingBookedBy, QStringLiteral("HEAD"));
    CurrentUser = QStringLiteral("MANAGER");
    db().exec(QStringLiteral("UPDATE Users SET accesslevel = 60 WHERE username = 'MANAGER'"));
    EXPECT_EQ(book(QStringLiteral("HALL"), QStringLiteral("3"), 1), 1) << "the item's manager";
    addBooking(QStringLiteral("HALL"), d, QStringLiteral("4"), QStringLiteral("ADMIN"));
    CurrentUser = QStringLiteral("admin");
    EXPECT_EQ(book(QStringLiteral("HALL"), QStringLiteral("4"), 1), 1) << "ADMIN manages everything";
}

TEST_F(BookingTest, AnOverwriteRewritesTheRowInPlace)
{
    addBooking(QStringLiteral("ROOM1"), day(1).date(), QStringLiteral("2"), QStringLiteral("PUPIL"));
    const int index = count(QStringLiteral("SELECT \"Index\" FROM bookings"));
    Clock::freeze(QDateTime(QDate(2026, 3, 4), QTime(9, 31, 17)));
    EXPECT_EQ(PlaceBooking(QStringLiteral("room1"), QStringLiteral("2"), QStringLiteral("head"),
                           QDateTime(day(1).date(), QTime(15, 45)), QStringLiteral("Exam"), true, CurrentUser, true), 1);
    EXPECT_EQ(LastBookingResult.message, M::Overwrote);
    EXPECT_EQ(LastBookingResult.existingBookedBy, QStringLiteral("PUPIL"));
    EXPECT_EQ(rows(), 1);
    Dataset& b = dm->BookingsTable;
    b.requery();
    EXPECT_EQ(b.asInteger(QStringLiteral("Index")), index);
    EXPECT_EQ(b.asString(QStringLiteral("ItemBooked")), QStringLiteral("room1")) << "as the caller spelled it";
    EXPECT_EQ(b.asString(QStringLiteral("Date")), QStringLiteral("2026-03-05")) << "the date without its time";
    EXPECT_EQ(b.asString(QStringLiteral("BookedBy")), QStringLiteral("head"));
    EXPECT_EQ(b.asString(QStringLiteral("forReason")), QStringLiteral("Exam"));
    EXPECT_EQ(b.asString(QStringLiteral("BookedOnDate")), QStringLiteral("2026-03-04"));
    EXPECT_EQ(b.asString(QStringLiteral("BookedOnTime")), QStringLiteral("09:31:17"));
    EXPECT_TRUE(b.asBoolean(QStringLiteral("isPermanent")));
    EXPECT_EQ(b.asString(QStringLiteral("AuthCode")).size(), 6);
}

TEST_F(BookingTest, AFailedOverwriteIsAFailureAndLeavesTheRow)
{
    addBooking(QStringLiteral("ROOM1"), day(1).date(), QStringLiteral("2"), QStringLiteral("PUPIL"), QStringLiteral("Chess"));
    const QString tooLong(151, QLatin1Char('x'));   // the file refuses it
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("2"), 1, tooLong), -1);
    EXPECT_EQ(LastBookingResult.message, M::DatabaseProblem);
    EXPECT_EQ(bookedBy(QStringLiteral("ROOM1"), QStringLiteral("2"), 1), QStringLiteral("PUPIL"));
    EXPECT_EQ(dm->BookQuery.state(), Dataset::State::Browse);
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("3"), 1), 0) << "the engine goes on working";
}

TEST_F(BookingTest, AFailedInsertIsAFailureAndWritesNothing)
{
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("2"), 1, QString(151, QLatin1Char('x'))), -1);
    EXPECT_EQ(LastBookingResult.message, M::DatabaseProblem);
    EXPECT_EQ(rows(), 0);
}

// -------------------------------------------------------------- authcodes

TEST_F(BookingTest, TheBookingsAuthcodeCombinesTheLoggedOnUsersAndTheItems)
{
    QString user, item;
    for (int c : {0, 0xFE, 1, 2, 3, 4})
        user += QChar(static_cast<char16_t>(c));
    for (int c : {0xFE, 0, 1, 7, 3, 0})
        item += QChar(static_cast<char16_t>(c));
    db().exec(QStringLiteral("UPDATE Users SET AuthCode = ? WHERE username = 'TEACHER'"), {user});
    db().exec(QStringLiteral("UPDATE items SET AuthCode = ? WHERE ItemName = 'ROOM1'"), {item});
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("2"), 1, QStringLiteral("x"), true, false,
                   QStringLiteral("PUPIL")), 0);
    QString expected;
    ASSERT_TRUE(CombineAuthCodes(user, item, expected));
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT AuthCode FROM bookings")).toString(), expected);
    EXPECT_EQ(expected.at(0).unicode(), 0xFE);
    EXPECT_EQ(expected.at(3).unicode(), 5);
    EXPECT_EQ(expected.at(4).unicode(), 0) << "a NUL in the combined code survives the file";
}

TEST_F(BookingTest, AnEmptyAuthcodeWritesNothingButATakenSlotSaysSo)
{
    db().exec(QStringLiteral("UPDATE Users SET AuthCode = '' WHERE username = 'TEACHER'"));
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("2"), 1), -1);
    EXPECT_EQ(LastBookingResult.message, M::AuthFailure);
    EXPECT_EQ(rows(), 0);
    addBooking(QStringLiteral("ROOM1"), day(1).date(), QStringLiteral("3"), QStringLiteral("PUPIL"));
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("3"), 1, QStringLiteral("x"), false), -2);
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("3"), 1, QStringLiteral("x"), true), -1)
        << "replaceable, but nothing is written with a broken authcode";
    EXPECT_EQ(LastBookingResult.message, M::AuthFailure);
    EXPECT_EQ(bookedBy(QStringLiteral("ROOM1"), QStringLiteral("3"), 1), QStringLiteral("PUPIL"));
}

TEST(AuthCodes, CombineNeedsTwoWholeCodes)
{
    QString r = QStringLiteral("keep");
    EXPECT_FALSE(CombineAuthCodes(QString(), QStringLiteral("abcdef"), r));
    EXPECT_FALSE(CombineAuthCodes(QStringLiteral("abc"), QStringLiteral("abcdef"), r));
    EXPECT_EQ(r, QStringLiteral("keep"));
    EXPECT_TRUE(CombineAuthCodes(QStringLiteral("abcdef"), QStringLiteral("abcdef"), r));
    EXPECT_EQ(r, QString(6, QChar(0)));
}

TEST(AuthCodes, NewCodesHaveSixCharactersBelow255)
{
    Random::seed(7);
    for (int i = 0; i < 200; ++i) {
        const QString c = NewAuthCode();
        ASSERT_EQ(c.size(), 6);
        for (QChar ch : c)
            ASSERT_LE(ch.unicode(), 254);
    }
}

// ---------------------------------------------------------- results record

TEST_F(BookingTest, TheResultsRecordKeepsWhatNoLaterPathSets)
{
    addBooking(QStringLiteral("ROOM1"), day(1).date(), QStringLiteral("2"), QStringLiteral("PUPIL"), QStringLiteral("Chess"));
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("2"), 1, QStringLiteral("x"), false), -2);
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("1"), -1), -1);
    EXPECT_EQ(LastBookingResult.message, M::DateRule);
    EXPECT_EQ(LastBookingResult.existingBookedBy, QStringLiteral("PUPIL"));
    EXPECT_EQ(LastBookingResult.existingReason, QStringLiteral("Chess"));
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("4"), 2, QStringLiteral("Art")), 0);
    EXPECT_EQ(LastBookingResult.code, 0);
    EXPECT_EQ(LastBookingResult.message, M::DateRule) << "a success leaves the last message";
    EXPECT_EQ(LastBookingResult.reason, QStringLiteral("Art"));
    EXPECT_EQ(LastBookingResult.period, QStringLiteral("4"));
    EXPECT_EQ(LastBookingResult.item, QStringLiteral("ROOM1"));
}

// ------------------------------------------------- one booking per slot

TEST_F(BookingTest, ASecondClientCannotSlipInBetweenLookUpAndWrite)
{
    Database b;
    b.setBusyTimeout(200);
    b.open(path);
    bool otherFailed = false;
    PlaceBookingAfterFindHook = [&] {
        try {
            b.exec(QStringLiteral("INSERT INTO bookings (ItemBooked, Date, Period, BookedBy) VALUES (?, ?, ?, ?)"),
                   {QStringLiteral("ROOM1"), day(1).date().toString(Qt::ISODate), QStringLiteral("2"),
                    QStringLiteral("INTRUDER")});
        } catch (const DbError&) {
            otherFailed = true;
        }
    };
    const BookingResultCode code = book(QStringLiteral("ROOM1"), QStringLiteral("2"), 1);
    PlaceBookingAfterFindHook = nullptr;
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(otherFailed) << "the other writer waited for the lock and gave up";
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(bookedBy(QStringLiteral("ROOM1"), QStringLiteral("2"), 1), QStringLiteral("TEACHER"));
}

TEST_F(BookingTest, ABusyFileIsAFailureNotASuccess)
{
    Database b;
    b.open(path);
    b.begin();   // another client holds the write lock
    db().close();
    dm->ADOConnection.setBusyTimeout(100);
    dm->connectTo(path);
    dm->openTables();
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("2"), 1), -1);
    EXPECT_EQ(LastBookingResult.message, M::DatabaseProblem);
    b.rollback();
    EXPECT_EQ(rows(), 0);
}

// ----------------------------------------- finding, reading, changing one

TEST_F(BookingTest, FindBookingMatchesNamesExactlyWithoutRegardToCase)
{
    EXPECT_EQ(FindBooking(QString(), QStringLiteral("1"), day(1)), -1) << "an empty table and an empty name";
    const QStringList names = {QStringLiteral("O'BRIEN"), QStringLiteral("SAY \"HI\""), QStringLiteral("DATE"),
                               QStringLiteral("ItemBooked")};
    for (const QString& n : names)
        addBooking(n, day(1).date(), QStringLiteral("1"), QStringLiteral("PUPIL"));
    for (const QString& n : names) {
        EXPECT_EQ(FindBooking(n.toLower(), QStringLiteral("1"), day(1)), 1) << n.toStdString();
        EXPECT_EQ(Text::upper(dm->BookQuery.asString(QStringLiteral("ItemBooked"))), Text::upper(n));
    }
    EXPECT_EQ(FindBooking(QStringLiteral("ROOM1"), QStringLiteral("1"), day(1)), -1);
    EXPECT_EQ(FindBooking(QStringLiteral("DATE"), QStringLiteral("period"), day(1)), -1);
}

TEST_F(BookingTest, FlushingAnItemDeletesExactlyItsBookings)
{
    addBooking(QStringLiteral("O'BRIEN"), day(1).date(), QStringLiteral("1"), QStringLiteral("PUPIL"));
    addBooking(QStringLiteral("o'brien"), day(2).date(), QStringLiteral("1"), QStringLiteral("PUPIL"));
    addBooking(QStringLiteral("ROOM1"), day(1).date(), QStringLiteral("1"), QStringLiteral("PUPIL"));
    DeleteAllBookingsOfItem(QStringLiteral("x' OR '1'='1"));
    EXPECT_EQ(rows(), 3);
    DeleteAllBookingsOfItem(QStringLiteral("O'Brien"));
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(FindBooking(QStringLiteral("ROOM1"), QStringLiteral("1"), day(1)), 1);
}

TEST_F(BookingTest, GetBookingInfoReadsTheFoundRow)
{
    QString by = QStringLiteral("untouched"), reason;
    QDateTime onDate, onTime;
    int index = -5;
    bool permanent = true;
    EXPECT_FALSE(GetBookingInfo(QStringLiteral("ROOM1"), QStringLiteral("1"), day(1), by, reason, onDate, onTime,
                                index, permanent));
    EXPECT_EQ(by, QStringLiteral("untouched"));
    EXPECT_EQ(index, -5);
    Clock::freeze(QDateTime(QDate(2026, 3, 4), QTime(9, 45, 10)));
    ASSERT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("4"), 1, QStringLiteral("Art")), 0);
    ASSERT_TRUE(GetBookingInfo(QStringLiteral("room1"), QStringLiteral("4"), day(1), by, reason, onDate, onTime,
                               index, permanent));
    EXPECT_EQ(by, QStringLiteral("TEACHER"));
    EXPECT_EQ(reason, QStringLiteral("Art"));
    EXPECT_EQ(onDate.date(), QDate(2026, 3, 4));
    EXPECT_EQ(onTime.time(), QTime(9, 45, 10));
    EXPECT_GT(index, 0);
    EXPECT_FALSE(permanent);
}

TEST_F(BookingTest, DeleteAndAlterFollowTheMayChangeRule)
{
    const QDate d = day(1).date();
    addBooking(QStringLiteral("ROOM1"), d, QStringLiteral("1"), QStringLiteral("HEAD"));
    addBooking(QStringLiteral("ROOM1"), d, QStringLiteral("2"), QStringLiteral("teacher"));
    addBooking(QStringLiteral("HALL"), d, QStringLiteral("1"), QStringLiteral("HEAD"));
    addBooking(QStringLiteral("ROOM1"), d, QStringLiteral("3"), QStringLiteral("PUPIL"));
    EXPECT_FALSE(DeleteBooking(QStringLiteral("ROOM1"), QStringLiteral("4"), day(1))) << "an empty slot";
    EXPECT_FALSE(DeleteBooking(QStringLiteral("ROOM1"), QStringLiteral("1"), day(1))) << "a higher user's booking";
    EXPECT_FALSE(AlterBooking(QStringLiteral("ROOM1"), QStringLiteral("1"), QStringLiteral("X"), QStringLiteral("Y"), day(1)));
    EXPECT_TRUE(DeleteBooking(QStringLiteral("ROOM1"), QStringLiteral("2"), day(1))) << "one's own, in other case";
    EXPECT_TRUE(DeleteBooking(QStringLiteral("ROOM1"), QStringLiteral("3"), day(1))) << "an outranked user's";
    CurrentUser = QStringLiteral("MANAGER");
    EXPECT_TRUE(AlterBooking(QStringLiteral("HALL"), QStringLiteral("1"), QStringLiteral("NOBODY"),
                             QStringLiteral("Moved"), day(1))) << "the item's manager";
    EXPECT_EQ(rows(), 2);
}

TEST_F(BookingTest, AlterChangesOnlyWhoAndWhy)
{
    ASSERT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("4"), 1, QStringLiteral("Art"), true, true), 0);
    const QString before = db().scalar(QStringLiteral("SELECT Date || Period || AuthCode || isPermanent || BookedOnTime FROM bookings")).toString();
    ASSERT_TRUE(AlterBooking(QStringLiteral("ROOM1"), QStringLiteral("4"), QStringLiteral("PUPIL"), QStringLiteral("Drama"), day(1)));
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT Date || Period || AuthCode || isPermanent || BookedOnTime FROM bookings")).toString(), before);
    EXPECT_EQ(bookedBy(QStringLiteral("ROOM1"), QStringLiteral("4"), 1), QStringLiteral("PUPIL"));
    EXPECT_FALSE(AlterBooking(QStringLiteral("ROOM1"), QStringLiteral("4"), QStringLiteral("PUPIL"),
                              QString(151, QLatin1Char('x')), day(1))) << "a refused write is false";
    EXPECT_EQ(dm->BookQuery.state(), Dataset::State::Browse);
}

TEST_F(BookingTest, ABookingAnotherClientRemovedCannotBeChanged)
{
    ASSERT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("4"), 1), 0);
    second().ADOConnection.exec(QStringLiteral("DELETE FROM bookings"));
    EXPECT_FALSE(DeleteBooking(QStringLiteral("ROOM1"), QStringLiteral("4"), day(1)));
    EXPECT_FALSE(AlterBooking(QStringLiteral("ROOM1"), QStringLiteral("4"), QStringLiteral("PUPIL"), QStringLiteral("x"), day(1)));
}

TEST_F(BookingTest, AnItemsWeekComesWithDaysAndPeriodOrders)
{
    const QDate monday(2026, 3, 2);
    addItem(QStringLiteral("O'BRIEN LAB"), 1);
    addBooking(QStringLiteral("o'brien lab"), monday, QStringLiteral("1"), QStringLiteral("PUPIL"), QStringLiteral("Chess club"));
    addBooking(QStringLiteral("O'BRIEN LAB"), monday.addDays(6), QStringLiteral("4"), QStringLiteral("HEAD"), QStringLiteral("Open day"));
    addBooking(QStringLiteral("O'BRIEN LAB"), monday.addDays(2), QStringLiteral("Gone"), QStringLiteral("HEAD"));
    addBooking(QStringLiteral("O'BRIEN LAB"), monday.addDays(7), QStringLiteral("1"), QStringLiteral("HEAD"));   // next week
    addBooking(QStringLiteral("O'BRIEN LAB"), monday.addDays(-1), QStringLiteral("1"), QStringLiteral("HEAD"));  // last week
    addBooking(QStringLiteral("ROOM1"), monday, QStringLiteral("2"), QStringLiteral("HEAD"));                    // other item
    QList<WeekBooking> week = ReadItemWeek(QStringLiteral("O'Brien Lab"), monday);
    std::sort(week.begin(), week.end(), [](const WeekBooking& a, const WeekBooking& b) { return a.day < b.day; });
    ASSERT_EQ(week.size(), 3);
    EXPECT_EQ(week[0].day, 0);
    EXPECT_EQ(week[0].order, 1);
    EXPECT_EQ(week[0].bookedBy, QStringLiteral("PUPIL"));
    EXPECT_EQ(week[0].reason, QStringLiteral("Chess club"));
    EXPECT_EQ(week[1].day, 2);
    EXPECT_EQ(week[1].order, -1) << "a period that no longer exists has no row";
    EXPECT_EQ(week[2].day, 6);
    EXPECT_EQ(week[2].order, 4);
    // A renamed period is seen at once.
    db().exec(QStringLiteral("UPDATE periods SET period = 'Gone' WHERE \"order\" = 3"));
    week = ReadItemWeek(QStringLiteral("O'BRIEN LAB"), monday);
    for (const WeekBooking& b : week) {
        if (b.day == 2) {
            EXPECT_EQ(b.order, 3);
        }
    }
}

TEST_F(BookingTest, TheDateRuleCountsWholeDaysFromToday)
{
    const auto allowed = [](const QString& period, const QDateTime& date) {
        return BookingDateAllowed(CurrentUser, period, date);
    };
    Clock::freeze(QDateTime(QDate(2026, 3, 4), QTime(8, 0)));   // before the first period
    EXPECT_TRUE(allowed(QStringLiteral("nosuch"), day(0))) << "nothing of today has begun";
    EXPECT_TRUE(allowed(QStringLiteral("1"), day(0)));
    Clock::freeze(QDateTime(QDate(2026, 3, 4), QTime(8, 50, 0, 1)));
    EXPECT_FALSE(allowed(QStringLiteral("nosuch"), day(0))) << "an unknown period once today has begun";
    EXPECT_TRUE(allowed(QStringLiteral("1"), day(0))) << "the period in progress";
    EXPECT_TRUE(allowed(QStringLiteral("nosuch"), day(1)));
    EXPECT_FALSE(allowed(QStringLiteral("4"), QDateTime(QDate(2026, 3, 3), QTime(23, 59))));
    db().exec(QStringLiteral("UPDATE config SET enableBookingLimit = 1, BookingLimitDays = 2"));
    dm->ConfigTable.requery();
    Clock::freeze(QDateTime(QDate(2026, 3, 4), QTime(23, 59)));
    EXPECT_TRUE(allowed(QStringLiteral("1"), QDateTime(day(2).date(), QTime(12, 0))))
        << "the limit day, whatever the hour";
    EXPECT_FALSE(allowed(QStringLiteral("1"), day(3)));
    CurrentUser = QStringLiteral("OVERRIDE");
    EXPECT_TRUE(allowed(QStringLiteral("1"), day(3)));
    EXPECT_TRUE(allowed(QStringLiteral("1"), day(-30)));
}

TEST_F(BookingTest, PathsThatWriteNothingAboutTheBookingLeaveTheExistingFields)
{
    addBooking(QStringLiteral("HALL"), day(1).date(), QStringLiteral("1"), QStringLiteral("HEAD"), QStringLiteral("Assembly"));
    addBooking(QStringLiteral("ROOM1"), day(1).date(), QStringLiteral("2"), QStringLiteral("PUPIL"), QStringLiteral("Chess"));
    ASSERT_EQ(book(QStringLiteral("HALL"), QStringLiteral("1"), 1, QStringLiteral("x"), false), -2);
    // A failed overwrite is no overwrite: the slot's booking is not reported.
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("2"), 1, QString(151, QLatin1Char('x'))), -1);
    EXPECT_EQ(LastBookingResult.existingBookedBy, QStringLiteral("HEAD"));
    EXPECT_EQ(LastBookingResult.existingReason, QStringLiteral("Assembly"));
    // Neither is a replaceable booking that a broken authcode stops.
    db().exec(QStringLiteral("UPDATE Users SET AuthCode = '' WHERE username = 'TEACHER'"));
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("2"), 1), -1);
    EXPECT_EQ(LastBookingResult.message, M::AuthFailure);
    EXPECT_EQ(LastBookingResult.existingBookedBy, QStringLiteral("HEAD"));
    EXPECT_EQ(LastBookingResult.code, -1);
}

TEST_F(BookingTest, ARefusalInsideAnOuterTransactionDoesNotSpoilIt)
{
    addBooking(QStringLiteral("ROOM1"), day(1).date(), QStringLiteral("2"), QStringLiteral("PUPIL"));
    WriteTransaction outer(db());
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("2"), 1, QStringLiteral("x"), false), -2);
    EXPECT_FALSE(DeleteBooking(QStringLiteral("ROOM1"), QStringLiteral("4"), day(1)));
    EXPECT_FALSE(AlterBooking(QStringLiteral("ROOM1"), QStringLiteral("4"), QStringLiteral("A"), QStringLiteral("B"), day(1)));
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("3"), 1), 0);
    EXPECT_NO_THROW(outer.commit());
    EXPECT_EQ(rows(), 2);
}

TEST_F(BookingTest, ADatabaseErrorInsideARunUndoesThatBookingOnly)
{
    // A day's run books in one outer scope; one booking meets a database
    // error: it is reported failed, and the bookings reported placed stay.
    WriteTransaction run(db());
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("1"), 1), 0);
    PlaceBookingAfterFindHook = [] { throw DbError(QStringLiteral("disk I/O error")); };
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("2"), 1), -1);
    EXPECT_EQ(LastBookingResult.message, M::DatabaseProblem);
    PlaceBookingAfterFindHook = nullptr;
    // A write that fails inside the engine's own scope is undone with it.
    PlaceBookingAfterFindHook = [this] {
        db().exec(QStringLiteral("INSERT INTO bookings (ItemBooked, Date, Period) VALUES ('ROOM1', ?, '3')"),
                  {day(1).date().toString(Qt::ISODate)});
        throw DbError(QStringLiteral("database is locked"));
    };
    EXPECT_EQ(book(QStringLiteral("HALL"), QStringLiteral("3"), 1), -1);
    PlaceBookingAfterFindHook = nullptr;
    EXPECT_EQ(book(QStringLiteral("ROOM1"), QStringLiteral("4"), 1), 0);
    EXPECT_NO_THROW(run.commit());
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(bookedBy(QStringLiteral("ROOM1"), QStringLiteral("1"), 1), QStringLiteral("TEACHER"));
    EXPECT_EQ(bookedBy(QStringLiteral("ROOM1"), QStringLiteral("4"), 1), QStringLiteral("TEACHER"));
}
