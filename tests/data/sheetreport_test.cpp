#include "DbError.h"
#include "ReportFixture.h"
#include "SheetReport.h"
#include "StatusWindows.h"
#include "Utilities.h"

namespace {

class SheetReportTest : public ReportFixture {
protected:
    void SetUp() override
    {
        ReportFixture::SetUp();
        if (HasFailure())
            return;
        addPeriod(QStringLiteral("P1"), 1);
        addPeriod(QStringLiteral("P&2"), 2);
        addItem(QStringLiteral("PROJ1"));
        addItem(QStringLiteral("OTHER"));
        db().exec(QStringLiteral("UPDATE items SET ItemDescription = ? WHERE ItemName = 'PROJ1'"),
                  {QStringLiteral("The <new> projector")});
    }
    void addPeriod(const QString& name, int order)
    {
        db().exec(QStringLiteral("INSERT INTO periods (period, \"order\", StartTime) VALUES (?, ?, '09:00:00')"),
                  {name, order});
    }
    const QDate monday{2026, 3, 2};
};

QString golden(const QString& name)
{
    QFile f(QStringLiteral(TAVRELL_GOLDEN_DIR "/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
    return QString::fromUtf8(f.readAll());
}

} // namespace

TEST_F(SheetReportTest, TheWeekMatchesTheGoldenSheet)
{
    addBooking(QStringLiteral("PROJ1"), monday, QStringLiteral("P1"), QStringLiteral("AMY"),
               QStringLiteral("A reason of forty characters, all shown."));
    addBooking(QStringLiteral("PROJ1"), monday.addDays(4), QStringLiteral("P&2"), QStringLiteral("BOB"),
               QStringLiteral("<b>loud</b> & clear"));
    // Neither the weekend nor another item nor the week before shows.
    addBooking(QStringLiteral("PROJ1"), monday.addDays(5), QStringLiteral("P1"), QStringLiteral("SAT"));
    addBooking(QStringLiteral("PROJ1"), monday.addDays(6), QStringLiteral("P&2"), QStringLiteral("SUN"));
    addBooking(QStringLiteral("PROJ1"), monday.addDays(-1), QStringLiteral("P1"), QStringLiteral("PREV"));
    addBooking(QStringLiteral("OTHER"), monday.addDays(1), QStringLiteral("P1"), QStringLiteral("ELSE"));
    expectViewer();

    // Typed in other letter case, dated on the week's Sunday.
    BookingSheetReport(QStringLiteral("proj1"), QDateTime(monday.addDays(6), QTime(15, 0)));

    QString expected = golden(QStringLiteral("booking_sheet.htm"));
    expected.replace(QStringLiteral("~MONDAY~"), FormatShortDate(monday));
    EXPECT_EQ(QString::fromUtf8(reportBytes()), expected);
    EXPECT_EQ(ui->shown, QStringList{QStringLiteral("reporterfrm")});
    EXPECT_FALSE(StatusForm()->isVisible());
}

TEST_F(SheetReportTest, AnUnknownItemWritesAndShowsNothing)
{
    StatusForm()->progress.begin(99);   // untouched unless the progress window is begun
    BookingSheetReport(QStringLiteral("NOSUCH"), QDateTime(monday, QTime(0, 0)));
    BookingSheetReport(QString(), QDateTime(monday, QTime(0, 0)));
    EXPECT_FALSE(reportExists());
    EXPECT_TRUE(ui->shown.isEmpty());
    EXPECT_EQ(StatusForm()->progress.steps, 99);
}

TEST_F(SheetReportTest, WithNoNamedPeriodOnlyTheHeadingRowIsWritten)
{
    db().exec(QStringLiteral("UPDATE periods SET period = ''"));
    expectViewer();
    BookingSheetReport(QStringLiteral("PROJ1"), QDateTime(monday, QTime(0, 0)));
    const QStringList lines = reportLines();
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[lines.size() - 3], QStringLiteral("</tr>"));
    EXPECT_EQ(lines[lines.size() - 2], QStringLiteral("</table></div>"));
    EXPECT_EQ(lines.last(), QStringLiteral("END"));
}

TEST_F(SheetReportTest, ARowPerOrderUpToTheHighestNamedOne)
{
    // An unnamed middle period heads an empty row; an order without a row
    // heads "[NONE]".
    addPeriod(QString(), 3);
    addPeriod(QStringLiteral("P5"), 5);
    expectViewer();
    BookingSheetReport(QStringLiteral("PROJ1"), QDateTime(monday, QTime(0, 0)));
    const QStringList lines = reportLines();
    QStringList headings;
    for (const QString& l : lines)
        if (l.startsWith(QStringLiteral("<TD bgcolor=\"#CCCCCC\">")))
            headings << l;
    auto heading = [](const QString& name) {
        return QStringLiteral("<TD bgcolor=\"#CCCCCC\"><div align=\"center\">") + name + QStringLiteral("</div></td>");
    };
    EXPECT_EQ(headings, QStringList({heading(QStringLiteral("P1")), heading(QStringLiteral("P&amp;2")),
                                     heading(QString()), heading(QStringLiteral("[NONE]")),
                                     heading(QStringLiteral("P5"))}));
    EXPECT_EQ(lines.count(QStringLiteral("<TR>")), 5);
    EXPECT_EQ(StatusForm()->progress.steps, 5);
    EXPECT_EQ(StatusForm()->progress.gauge, 5);
}

TEST_F(SheetReportTest, ADatabaseErrorClosesTheProgressAndTheReportAndPropagates)
{
    db().exec(QStringLiteral("DROP TABLE bookings"));
    EXPECT_THROW(BookingSheetReport(QStringLiteral("PROJ1"), QDateTime(monday, QTime(0, 0))), DbError);
    EXPECT_FALSE(StatusForm()->isVisible());
    EXPECT_EQ(reportLines().last(), QStringLiteral("END"));
    EXPECT_TRUE(ui->shown.isEmpty());
}
