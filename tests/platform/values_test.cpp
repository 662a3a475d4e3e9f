// Dates, names and text values as the database keeps them.
#include "DataFixture.h"
#include "DateValue.h"
#include "Text.h"

TEST(DateValueText, ShapesAndRoundTrips)
{
    EXPECT_EQ(DateValue::dateText(QDate(2026, 3, 5)), QStringLiteral("2026-03-05"));
    EXPECT_EQ(DateValue::dateTimeText(QDateTime(QDate(2026, 3, 5), QTime(0, 0))), QStringLiteral("2026-03-05"));
    EXPECT_EQ(DateValue::dateTimeText(QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9, 500))),
              QStringLiteral("2026-03-05 14:07:09"));
    EXPECT_EQ(DateValue::parse(QStringLiteral("2026-03-05 14:07:09")), QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9)));
    EXPECT_EQ(DateValue::parse(QStringLiteral("08:50:00")), QDateTime(QDate(1899, 12, 30), QTime(8, 50)));
    EXPECT_EQ(DateValue::parse(QString()), DateValue::zeroDateTime());
    EXPECT_EQ(DateValue::parse(QStringLiteral("2026-03-05T14:07")), QDateTime(QDate(2026, 3, 5), QTime(14, 7)));
    EXPECT_EQ(DateValue::parse(QStringLiteral("2026-03-05 14:07:09.250")), QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9)));
    for (const char* bad : {"rubbish", "2026-13-05", "2026-02-30", "25:00:00", "2026-03-0x", "12:3a", "2026/03/05"})
        EXPECT_EQ(DateValue::parse(QString::fromLatin1(bad)), DateValue::zeroDateTime()) << bad;
    EXPECT_EQ(DateValue::parseDate(QStringLiteral("2026-03-05")), QDate(2026, 3, 5));
    EXPECT_EQ(DateValue::parseDate(QStringLiteral("2026-03-05 23:59:59")), QDate(2026, 3, 5));
    EXPECT_EQ(DateValue::parseDate(QStringLiteral("2026-03-05 99:00")), DateValue::zeroDate());
    EXPECT_EQ(DateValue::parseDate(QStringLiteral("08:50:00")), DateValue::zeroDate());
    EXPECT_EQ(DateValue::zeroDate().dayOfWeek(), 6) << "30 December 1899 was a Saturday";
}

TEST(NameText, OnlyAsciiLettersFold)
{
    EXPECT_EQ(Text::upper(QStringLiteral("o'brien-9")), QStringLiteral("O'BRIEN-9"));
    EXPECT_EQ(Text::upper(QStringLiteral("é")), QStringLiteral("é"));
    EXPECT_TRUE(Text::sameName(QStringLiteral("Admin"), QStringLiteral("ADMIN")));
    EXPECT_FALSE(Text::sameName(QStringLiteral("ADM"), QStringLiteral("ADMIN")));
}

TEST(ProgramFolderPath, FolderWithItsSeparator)
{
    EXPECT_EQ(ProgramFolder(QStringLiteral("/opt/school/tavrell/plaxon")), QStringLiteral("/opt/school/tavrell/"));
    EXPECT_EQ(ProgramFolder(QStringLiteral("plaxon")), QString());
    EXPECT_TRUE(ProgramFolder().endsWith(QLatin1Char('/')));
}

using StoredValues = DataFixture;

TEST_F(StoredValues, DateStoredEqualsDateBoundLaterAndTimesKeepTheirOrder)
{
    Dataset& b = dm->BookingsTable;
    b.requery();
    b.insert();
    b.setValue(QStringLiteral("Date"), QDateTime(QDate(2026, 3, 5), QTime(0, 0)));
    b.setValue(QStringLiteral("BookedOnTime"), QTime(9, 5, 0));
    b.post();
    b.insert();
    b.setValue(QStringLiteral("Date"), QDate(2026, 3, 6));
    b.setValue(QStringLiteral("BookedOnTime"), QTime(13, 0, 0));
    b.post();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM bookings WHERE Date = ?"),
                    {DateValue::toStorage(QDate(2026, 3, 5))}), 1);
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT Date FROM bookings ORDER BY BookedOnTime DESC")).toString(),
              QStringLiteral("2026-03-06"));
    EXPECT_EQ(b.asTime(QStringLiteral("BookedOnTime")), QTime(13, 0));
}

TEST_F(StoredValues, EveryCharacterCodeOfAnAuthcodeRoundTrips)
{
    QString code;
    for (int c : {0, 1, 127, 128, 200, 254})
        code += QChar(static_cast<char16_t>(c));
    addUser({QStringLiteral("A"), 10, true, false, false, false, code});
    dm->UserTable.requery();
    dm->UserTable.first();
    const QString back = dm->UserTable.asString(QStringLiteral("AuthCode"));
    ASSERT_EQ(back.size(), 6);
    EXPECT_EQ(back, code);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users WHERE AuthCode = ?"), {code}), 1);
}
