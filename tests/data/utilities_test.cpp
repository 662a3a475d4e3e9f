#include "HostInfo.h"
#include "StatusWindows.h"
#include "Utilities.h"

#include <QLocale>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QStringList split(const QString& line, QChar delimiter = QLatin1Char(','))
{
    QString f[5];
    SplitQuotedLine(line, delimiter, f[0], f[1], f[2], f[3], f[4]);
    return {f[0], f[1], f[2], f[3], f[4]};
}

QStringList fields(std::initializer_list<const char*> l)
{
    QStringList out;
    for (const char* s : l)
        out << QString::fromUtf8(s);
    return out;
}

} // namespace

TEST(Utilities, DayNameIsEnglishWhateverTheLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(DayNameOf(QDate(1899, 12, 30)), QStringLiteral("Saturday"));
    EXPECT_EQ(DayNameOf(QDate(2026, 3, 1)), QStringLiteral("Sunday"));
    EXPECT_EQ(DayNameOf(QDate(2026, 3, 4)), QStringLiteral("Wednesday"));
    QLocale::setDefault(before);
}

TEST(Utilities, MondayOfGivesTheMondayOnOrBefore)
{
    EXPECT_EQ(MondayOf(QDate(2026, 3, 2)), QDate(2026, 3, 2));
    EXPECT_EQ(MondayOf(QDate(2026, 3, 8)), QDate(2026, 3, 2));   // a Sunday
    EXPECT_EQ(MondayOf(QDate(2026, 3, 4)), QDate(2026, 3, 2));
    EXPECT_EQ(MondayOf(QDate(2026, 1, 1)), QDate(2025, 12, 29));
}

TEST(Utilities, SplitQuotedLineKeepsQuotedDelimitersAndFiveFieldsOnly)
{
    EXPECT_EQ(split(QStringLiteral("a,\"b,c\",d")), fields({"a", "b,c", "d", "", ""}));
    EXPECT_EQ(split(QStringLiteral("1,2,3,4,5,6,7")), fields({"1", "2", "3", "4", "5"}));
    EXPECT_EQ(split(QStringLiteral("\"\"")), fields({"", "", "", "", ""}));
    EXPECT_EQ(split(QStringLiteral("x\"\"y")), fields({"xy", "", "", "", ""}));
    EXPECT_EQ(split(QStringLiteral("a,\"b,c,d,e,f,g")), fields({"a", "b,c,d,e,f,g", "", "", ""}));
    EXPECT_EQ(split(QStringLiteral("a,b,")), fields({"a", "b", "", "", ""}));
    EXPECT_EQ(split(QString()), fields({"", "", "", "", ""}));
    EXPECT_EQ(split(QStringLiteral("a;b,c;d"), QLatin1Char(';')), fields({"a", "b,c", "d", "", ""}));
    // Far more delimiters than fields.
    EXPECT_EQ(split(QString(1000, QLatin1Char(','))), fields({"", "", "", "", ""}));
}

TEST(Utilities, RoundingTakesHalvesToTheEvenNeighbour)
{
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(2.5000001), 3);
    EXPECT_EQ(RoundHalfEven(10.2), 10);
}

TEST(Utilities, SafeFileNameKeepsOrdinaryNamesAndNeverLeavesTheFolder)
{
    EXPECT_EQ(SafeFileName(QStringLiteral("BOB")), QStringLiteral("BOB"));
    EXPECT_EQ(SafeFileName(QStringLiteral("j.smith-2")), QStringLiteral("j.smith-2"));
    EXPECT_EQ(SafeFileName(QStringLiteral("../../x")), QStringLiteral(".._.._x"));
    EXPECT_EQ(SafeFileName(QStringLiteral("a\\b:c*?\"<>|")), QStringLiteral("a_b_c______"));
    EXPECT_EQ(SafeFileName(QStringLiteral("a") + QChar(0) + QStringLiteral("b\n")), QStringLiteral("a_b_"));
    EXPECT_EQ(SafeFileName(QStringLiteral("..")), QStringLiteral("__"));
    EXPECT_EQ(SafeFileName(QStringLiteral(".")), QStringLiteral("_"));
    EXPECT_EQ(SafeFileName(QString()), QStringLiteral("_"));
}

TEST(Utilities, LocalAddressIsDottedOrEmpty)
{
    const QRegularExpression dotted(QStringLiteral("^\\d{1,3}(\\.\\d{1,3}){3}$"));
    const QString real = GetLocalAddress();
    EXPECT_TRUE(real.isEmpty() || dotted.match(real).hasMatch()) << real.toStdString();

    HostInfo::setAddressSource([] { return HostInfo::HostAddress{}; });
    EXPECT_EQ(GetLocalAddress(), QString());
    HostInfo::setAddressSource([] { return HostInfo::HostAddress{QStringLiteral("lab3"), QStringLiteral("192.168.0.7")}; });
    QString host, address;
    GetHostAndAddress(host, address);
    EXPECT_EQ(host, QStringLiteral("lab3"));
    EXPECT_EQ(address, QStringLiteral("192.168.0.7"));
    HostInfo::setAddressSource(nullptr);
}

TEST(Utilities, TheAddressIsTheFirstRealOneBeforeAnyLoopback)
{
    const auto ip = [](quint32 a, quint32 b, quint32 c, quint32 d) { return a << 24 | b << 16 | c << 8 | d; };
    // The name resolves to loopback only (common on Debian): an interface's address.
    EXPECT_EQ(HostInfo::chooseAddress({ip(127, 0, 1, 1)}, {ip(127, 0, 0, 1), ip(10, 0, 0, 5), ip(10, 0, 0, 6)}),
              QStringLiteral("10.0.0.5"));
    // A real address of the name comes before the interfaces'.
    EXPECT_EQ(HostInfo::chooseAddress({ip(127, 0, 1, 1), ip(192, 168, 1, 20)}, {ip(10, 0, 0, 5)}),
              QStringLiteral("192.168.1.20"));
    // Loopback only: the name's first; nothing at all: empty.
    EXPECT_EQ(HostInfo::chooseAddress({ip(127, 0, 1, 1)}, {ip(127, 0, 0, 1)}), QStringLiteral("127.0.1.1"));
    EXPECT_EQ(HostInfo::chooseAddress({}, {}), QString());
    EXPECT_EQ(HostInfo::chooseAddress({}, {ip(255, 254, 0, 9)}), QStringLiteral("255.254.0.9"));
}

TEST(Utilities, UserNameComesFromTheAccountDatabase)
{
    const QByteArray env = qgetenv("USER");
    qputenv("USER", "someone-else");
    const QString name = GetWindowsUserName();
    qputenv("USER", env);
    EXPECT_FALSE(name.isEmpty());
    EXPECT_NE(name, QStringLiteral("someone-else"));

    HostInfo::setUserNameSource([] { return QString(128, QLatin1Char('a')); });
    EXPECT_EQ(GetWindowsUserName(), QString());   // too long for its buffer
    HostInfo::setUserNameSource([] { return QStringLiteral("jsmith"); });
    EXPECT_EQ(GetWindowsUserName(), QStringLiteral("jsmith"));
    HostInfo::setUserNameSource(nullptr);
}

// ------------------------------------------------------------------ progress estimate

TEST(Utilities, TimesAreReadAsPeopleTypeThemAndAsTheyAreShown)
{
    struct Case {
        const char* typed;
        QTime time;   // invalid: refused
    };
    const Case cases[] = {
        {"9:40", QTime(9, 40)},           {"12:00 PM", QTime(12, 0)},   {"9:40:00 am", QTime(9, 40)},
        {"9:40:00 AM", QTime(9, 40)},     {"1:10:00 PM", QTime(13, 10)}, {"12:30 am", QTime(0, 30)},
        {" 14:05:30 ", QTime(14, 5, 30)}, {"3pm", QTime(15, 0)},         {"25:99", QTime()},
        {"", QTime()},                    {"noon", QTime()},             {"9:61", QTime()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseTimeText(QLatin1String(c.typed)), c.time) << c.typed;
    for (const QTime t : {QTime(8, 0), QTime(13, 10, 5), QTime(0, 0), QTime(23, 59, 59)})
        EXPECT_EQ(ParseTimeText(FormatLongTime(t)), t) << FormatLongTime(t).toStdString();
}

TEST(StatusEstimate, NothingShownInTheFirstFiveSecondsThenOnlyLowerFigures)
{
    StatusProgress p;
    p.begin(100);
    p.ticks = 50;
    EXPECT_FALSE(p.step());
    EXPECT_EQ(p.timeLeft, QString());
    p.ticks = 51;
    EXPECT_TRUE(p.step());   // anything beats the start value
    EXPECT_EQ(p.lastShown, RoundHalfEven(5.1 / 3 * 98));

    p.begin(100);
    p.gauge = 48;
    p.ticks = 100;
    EXPECT_TRUE(p.step());   // 49 % after 10 s: round(100 / 10 / 50 x 51)
    EXPECT_EQ(p.timeLeft, QStringLiteral("10 Seconds Left"));
    p.ticks = 400;           // a slower stretch would raise the figure
    EXPECT_FALSE(p.step());
    EXPECT_EQ(p.timeLeft, QStringLiteral("10 Seconds Left"));
    p.ticks = 101;
    p.gauge = 89;
    EXPECT_TRUE(p.step());
    EXPECT_EQ(p.timeLeft, QStringLiteral("1 Seconds Left"));
}

TEST(StatusEstimate, TicksAreTenthsOfSeconds)
{
    StatusProgress p;
    p.begin(200);
    p.ticks = 55;
    ASSERT_TRUE(p.step());   // 0 % after 5.5 s: 5.5 x 100
    EXPECT_EQ(p.lastShown, 550);
}

TEST(StatusEstimate, GaugeStopsAtItsMaximumAndNoStepsIsNoDivision)
{
    StatusProgress p;
    p.begin(20);
    p.ticks = 60;
    for (int i = 0; i < 21; ++i)
        p.step();
    EXPECT_EQ(p.gauge, 20);
    EXPECT_EQ(p.percent(), 100);
    EXPECT_EQ(p.timeLeft, QStringLiteral("0 Seconds Left"));

    p.begin(0);
    p.ticks = 60;
    p.step();
    EXPECT_EQ(p.gauge, 0);
    EXPECT_EQ(p.percent(), 0);
    EXPECT_EQ(p.timeLeft, QStringLiteral("600 Seconds Left"));

    p.begin(5);
    EXPECT_EQ(p.ticks, 0);
    EXPECT_EQ(p.lastShown, StatusProgress::NoEstimate);
    EXPECT_EQ(p.timeLeft, QString());
}

// ------------------------------------------------------------------ splash slide

TEST(SplashSlide, SlidesOutFromTheCentreAfterStandingStill)
{
    double step = 1e-9;
    const std::vector<int> out = SplashSlideOut(400, 100, step);
    ASSERT_GT(out.size(), 2000u);
    EXPECT_EQ(out.front(), 150);
    EXPECT_EQ(out[2000], 150);   // the rounded step is still nothing
    EXPECT_GT(out.back(), -100);
    EXPECT_GT(step, 0.5);
}

TEST(SplashSlide, SlidesInToRestJustRightOfTheCentre)
{
    double step = 1e-9;
    SplashSlideOut(400, 100, step);
    const std::vector<int> in = SplashSlideIn(400, 100, step + 0.5);
    ASSERT_FALSE(in.empty());
    EXPECT_EQ(in.front(), 400);
    for (size_t i = 1; i < in.size(); ++i)
        EXPECT_LT(in[i], in[i - 1]);
    EXPECT_GT(in.back(), 150);   // the last place still right of the centre
    EXPECT_LT(in.back(), 160);
}

TEST(SplashSlide, AWiderNewTextStillComesToRest)
{
    for (const auto& [oldWidth, newWidth] : {std::pair{40, 240}, {40, 160}, {80, 200}, {100, 220}}) {
        double step = 1e-9;
        SplashSlideOut(400, oldWidth, step);
        const std::vector<int> in = SplashSlideIn(400, newWidth, step + 0.5);
        ASSERT_FALSE(in.empty());
        EXPECT_LT(in.size(), 100000u);
        EXPECT_EQ(in.back(), 200 - newWidth / 2) << oldWidth << "->" << newWidth;
    }
}
