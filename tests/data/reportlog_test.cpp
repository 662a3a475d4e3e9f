#include "Clock.h"
#include "IoError.h"
#include "ReportLog.h"
#include "Session.h"
#include "Utilities.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ReportLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ResetSession();
        ResetReportLog();
        AppFolder = dir.path() + QLatin1Char('/');
        CurrentUser = QStringLiteral("BOB");
        QDir(dir.path()).mkdir(QStringLiteral("reports"));
        write(QStringLiteral("header.htm"), "<html><title>~TITLE~</title>\r\n<p>For ~USER~ on ~DATE~</p>\r\n");
        write(QStringLiteral("footer.htm"), "<p>End of ~title~ for ~ user ~</p>\r\n</html>\r\n");
        write(QStringLiteral("reportlogo.jpg"), "jpeg");
        Clock::freeze(QDateTime(QDate(2026, 3, 4), QTime(9, 30, 15)));
        ReportsEnabled = true;
    }
    void TearDown() override
    {
        ResetReportLog();
        ResetSession();
        Clock::reset();
    }

    QString reportsDir() const { return dir.path() + QStringLiteral("/reports/"); }
    void write(const QString& name, const QByteArray& bytes)
    {
        QFile f(reportsDir() + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray read(const QString& name)
    {
        QFile f(reportsDir() + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QByteArray report() { return read(QStringLiteral("BOB.htm")); }
    // The lines written after the header.
    QList<QByteArray> bodyLines()
    {
        QList<QByteArray> lines = report().split('\n');
        lines.removeLast();
        return lines.mid(2);
    }

    QTemporaryDir dir;
};

} // namespace

// ------------------------------------------------------------------ token expansion

TEST_F(ReportLogTest, TokensAreMatchedUpperCasedAndTrimmed)
{
    ReportBegin(QStringLiteral("Weekly"), QStringLiteral("amy"));
    EXPECT_EQ(ExpandReportTemplate(QStringLiteral("[~title~|~ USER ~]")), QStringLiteral("[Weekly|amy]"));
    EXPECT_EQ(ExpandReportTemplate(QStringLiteral("a~TITLE~b~USER~c")), QStringLiteral("aWeeklybamyc"));
    EXPECT_EQ(ExpandReportTemplate(QStringLiteral("x~~y~FOO~z")), QStringLiteral("xyz"));
    EXPECT_EQ(ExpandReportTemplate(QStringLiteral("abc~def")), QStringLiteral("abc"));
    EXPECT_EQ(ExpandReportTemplate(QStringLiteral("~DATE~ ~TIME~")),
              FormatShortDate(QDate(2026, 3, 4)) + QLatin1Char(' ') + FormatLongTime(QTime(9, 30, 15)));
    EXPECT_EQ(ExpandReportTemplate(QStringLiteral("<p align=\"center\">plain</p>")),
              QStringLiteral("<p align=\"center\">plain</p>"));
}

TEST_F(ReportLogTest, AValueHoldingATokenStaysLiteral)
{
    ReportBegin(QStringLiteral("About ~USER~"), QStringLiteral("amy"));
    EXPECT_EQ(ExpandReportTemplate(QStringLiteral("~TITLE~ by ~USER~")), QStringLiteral("About ~USER~ by amy"));
}

TEST_F(ReportLogTest, LongTimeHasSecondsAndNoZone)
{
    const QString t = FormatLongTime(QTime(9, 30, 15));
    EXPECT_TRUE(t.contains(QStringLiteral("15"))) << t.toStdString();
    EXPECT_FALSE(t.contains(QStringLiteral("UTC"))) << t.toStdString();
}

// ------------------------------------------------------------------ the file

TEST_F(ReportLogTest, AReportIsHeaderLinesAndFooterWithCrLf)
{
    write(QStringLiteral("BOB.htm"), "an old report that must go\r\n");
    ReportBegin(QStringLiteral("Booking Report"), QStringLiteral("someone"));
    ReportLine(QStringLiteral("first"));
    ReportRaw(QStringLiteral("<b>raw</b>"));
    ReportLine(QStringLiteral("stamped"), true);
    ReportEnd();
    const QByteArray expected =
        "<html><title>Booking Report</title>\r\n<p>For someone on " + FormatShortDate(QDate(2026, 3, 4)).toUtf8()
        + "</p>\r\nfirst<br>\r\n<b>raw</b>\r\n" + FormatShortDate(QDate(2026, 3, 4)).toUtf8() + " "
        + FormatLongTime(QTime(9, 30, 15)).toUtf8()
        + " : stamped\r\n<p>End of Booking Report for someone</p>\r\n</html>\r\n";
    EXPECT_EQ(report(), expected);
    // The file is the logged-on user's, whoever the report names.
    EXPECT_FALSE(QFile::exists(reportsDir() + QStringLiteral("someone.htm")));
}

TEST_F(ReportLogTest, TemplateBytesAreCopiedAsTheyAre)
{
    write(QStringLiteral("header.htm"), "caf\xe9 \xc3\xa9t\xc3\xa9 no tokens\nsecond\r\nlast without end");
    ReportBegin(QStringLiteral("T"), QStringLiteral("U"));
    EXPECT_EQ(report(), QByteArray("caf\xe9 \xc3\xa9t\xc3\xa9 no tokens\r\nsecond\r\nlast without end\r\n"));
}

TEST_F(ReportLogTest, TheFileNameCannotLeaveTheReportsFolder)
{
    CurrentUser = QStringLiteral("../../x");
    ReportBegin(QStringLiteral("T"), QStringLiteral("U"));
    EXPECT_TRUE(QFile::exists(reportsDir() + QStringLiteral(".._.._x.htm")));
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/../x.htm")));
    EXPECT_EQ(ReportFilePath(), reportsDir() + QStringLiteral(".._.._x.htm"));
}

TEST_F(ReportLogTest, DisabledReportsTouchNoFileButKeepTitleAndUser)
{
    write(QStringLiteral("BOB.htm"), "previous");
    ReportsEnabled = false;
    ReportBegin(QStringLiteral("Quiet"), QStringLiteral("amy"));
    ReportLine(QStringLiteral("x"));
    ReportRaw(QStringLiteral("y"));
    ReportEnd();
    EXPECT_EQ(report(), QByteArray("previous"));
    EXPECT_EQ(ExpandReportTemplate(QStringLiteral("~TITLE~/~USER~")), QStringLiteral("Quiet/amy"));
}

TEST_F(ReportLogTest, FilesPresentNeedsAllThree)
{
    EXPECT_TRUE(ReportFilesPresent());
    for (const char* name : {"header.htm", "footer.htm", "reportlogo.jpg"}) {
        const QByteArray keep = read(QLatin1String(name));
        QFile::remove(reportsDir() + QLatin1String(name));
        EXPECT_FALSE(ReportFilesPresent()) << name;
        write(QLatin1String(name), keep);
    }
    EXPECT_TRUE(ReportFilesPresent());
}

TEST_F(ReportLogTest, ReadAndWriteFailuresAreRaised)
{
    QFile::remove(reportsDir() + QStringLiteral("header.htm"));
    EXPECT_THROW(ReportBegin(QStringLiteral("T"), QStringLiteral("U")), IoError);
    write(QStringLiteral("header.htm"), "h\r\n");

    ReportBegin(QStringLiteral("T"), QStringLiteral("U"));
    QFile::remove(reportsDir() + QStringLiteral("footer.htm"));
    EXPECT_THROW(ReportEnd(), IoError);

    // An output that cannot be written.
    QFile::remove(reportsDir() + QStringLiteral("BOB.htm"));
    QDir(reportsDir()).mkdir(QStringLiteral("BOB.htm"));
    EXPECT_THROW(ReportLine(QStringLiteral("x")), IoError);
    EXPECT_THROW(ReportBegin(QStringLiteral("T"), QStringLiteral("U")), IoError);
}

// ------------------------------------------------------------------ booking results

TEST_F(ReportLogTest, BookingResultsWriteTwoOrThreeEscapedLines)
{
    LastBookingResult.date = QDateTime(QDate(2026, 3, 9), QTime(0, 0));
    LastBookingResult.period = QStringLiteral("P<1>");
    LastBookingResult.existingBookedBy = QStringLiteral("BOB");
    LastBookingResult.existingReason = QStringLiteral("Maths</table>");
    LastBookingResult.message = QStringLiteral("Some message");
    const QByteArray date = FormatShortDate(QDate(2026, 3, 9)).toUtf8();

    ReportBegin(QStringLiteral("T"), QStringLiteral("U"));
    LastBookingResult.code = 0;
    ReportBookingResult(0);
    EXPECT_TRUE(bodyLines().isEmpty());
    EXPECT_FALSE(BookingFailureSeen);

    LastBookingResult.code = -1;
    ReportBookingResult(-1);
    EXPECT_EQ(bodyLines(), (QList<QByteArray>{"(-1) Some message<br>\r", "Date: " + date + ", Period: P&lt;1&gt;<br>\r"}));
    EXPECT_TRUE(BookingFailureSeen);

    for (const int code : {1, -2, -3}) {
        ReportBegin(QStringLiteral("T"), QStringLiteral("U"));
        LastBookingResult.code = code;
        ReportBookingResult(code);
        const QList<QByteArray> lines = bodyLines();
        ASSERT_EQ(lines.size(), 3) << code;
        EXPECT_EQ(lines[0], "(" + QByteArray::number(code) + ") Some message<br>\r");
        EXPECT_EQ(lines[2], QByteArray("Existing: BOB-Maths&lt;/table&gt;<br>\r"));
    }
}

TEST_F(ReportLogTest, TheCodeWrittenIsTheOneHeldInTheLastResult)
{
    ReportBegin(QStringLiteral("T"), QStringLiteral("U"));
    LastBookingResult.code = -3;
    LastBookingResult.message = QStringLiteral("m");
    ReportBookingResult(-1);
    EXPECT_EQ(bodyLines().size(), 2);
    EXPECT_TRUE(bodyLines()[0].startsWith("(-3) m"));
}

TEST_F(ReportLogTest, AFailureIsSeenAlsoWithReportsOff)
{
    ReportsEnabled = false;
    LastBookingResult.code = -1;
    ReportBookingResult(-1);
    EXPECT_TRUE(BookingFailureSeen);
    EXPECT_FALSE(QFile::exists(reportsDir() + QStringLiteral("BOB.htm")));
}
