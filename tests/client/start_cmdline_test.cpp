// The command line, the help box, the about box and the settings value.
#include "CommandLine.h"
#include "InstallSettings.h"
#include "Session.h"
#include "UiScript.h"
#include "aboutfrm.h"
#include "cmdlinehelpfrm.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

TEST(CommandLine, SwitchesMatchWholeArgumentsInAnyCase)
{
    const TStartupSwitches none = ParseCommandLine({});
    EXPECT_FALSE(none.PromptForLogon || none.CredentialsGiven || none.ShowHelp || none.EnableLogin
                 || none.OnlineOverride || none.DisableReports || none.CheckSwitch || none.OverrideSystemVars);

    EXPECT_TRUE(ParseCommandLine({QStringLiteral("/login")}).PromptForLogon);
    EXPECT_FALSE(ParseCommandLine({QStringLiteral("/LOGINX")}).PromptForLogon);
    EXPECT_FALSE(ParseCommandLine({QStringLiteral("LOGIN")}).PromptForLogon);
    EXPECT_FALSE(ParseCommandLine({QStringLiteral("/USER")}).CredentialsGiven);
    EXPECT_FALSE(ParseCommandLine({QStringLiteral("/USERX:bob")}).CredentialsGiven);

    const struct {
        const char* arg;
        bool TStartupSwitches::*flag;
    } aliases[] = {
        {"/ENABLELOGIN", &TStartupSwitches::EnableLogin},   {"/enablelogon", &TStartupSwitches::EnableLogin},
        {"/ONLINERESET", &TStartupSwitches::OnlineOverride}, {"/OnlineUserReset", &TStartupSwitches::OnlineOverride},
        {"/IGNOREONLINEFLAG", &TStartupSwitches::OnlineOverride},
        {"/DISABLEREPORTS", &TStartupSwitches::DisableReports}, {"/?", &TStartupSwitches::ShowHelp},
        {"/check", &TStartupSwitches::CheckSwitch}, {"/OVERIDESYSTEMVARS", &TStartupSwitches::OverrideSystemVars},
    };
    for (const auto& a : aliases) {
        const TStartupSwitches once = ParseCommandLine({QLatin1String(a.arg)});
        EXPECT_TRUE(once.*a.flag) << a.arg;
        const TStartupSwitches twice = ParseCommandLine({QLatin1String(a.arg), QLatin1String(a.arg)});
        EXPECT_TRUE(twice.*a.flag) << a.arg;
        EXPECT_FALSE(twice.CredentialsGiven);
    }
    EXPECT_FALSE(ParseCommandLine({QStringLiteral("/OVERRIDESYSTEMVARS")}).OverrideSystemVars);
}

TEST(CommandLine, UserAndPasswordValues)
{
    TStartupSwitches s = ParseCommandLine({QStringLiteral("/user:bob")});
    EXPECT_TRUE(s.CredentialsGiven);
    EXPECT_EQ(s.SwitchUser, QStringLiteral("BOB"));

    // Only a..z are upper-cased.
    s = ParseCommandLine({QStringLiteral("/user:m\u00fcller")});
    EXPECT_EQ(s.SwitchUser, QStringLiteral("M\u00fcLLER"));

    s = ParseCommandLine({QStringLiteral("/USER:") + QString(40, QLatin1Char('a'))});
    EXPECT_EQ(s.SwitchUser, QString(30, QLatin1Char('A')));

    s = ParseCommandLine({QStringLiteral("/USER:first"), QStringLiteral("/USER:second")});
    EXPECT_EQ(s.SwitchUser, QStringLiteral("SECOND"));

    s = ParseCommandLine({QStringLiteral("/USER:")});
    EXPECT_TRUE(s.CredentialsGiven);
    EXPECT_TRUE(s.SwitchUser.isEmpty());

    s = ParseCommandLine({QStringLiteral("/PASS:x")});
    EXPECT_TRUE(s.CredentialsGiven);
    EXPECT_TRUE(s.SwitchUser.isEmpty());
    EXPECT_EQ(s.SwitchPassword, QStringLiteral("X"));

    s = ParseCommandLine({QStringLiteral("/pass:Secret1"), QStringLiteral("whatever"), QStringLiteral("/login")});
    EXPECT_EQ(s.SwitchPassword, QStringLiteral("SECRET1"));
    EXPECT_TRUE(s.PromptForLogon);
}

TEST(HelpBox, TextLayoutAndOkGivesCancel)
{
    TcmdLineHelpFrm* f = CmdLineHelpForm();
    EXPECT_EQ(f->objectName(), QStringLiteral("cmdLineHelpFrm"));
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Command Line Help"));
    EXPECT_EQ(f->size(), QSize(436, 411));
    auto* memo = f->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    ASSERT_NE(memo, nullptr);
    EXPECT_TRUE(memo->isReadOnly());
    const QStringList lines = memo->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 25);
    EXPECT_EQ(lines[0], QStringLiteral("Command Line Usage:"));
    EXPECT_TRUE(lines[1].isEmpty());
    EXPECT_EQ(lines[4], QStringLiteral("PLAXON /USER:<username> /PASS:<password> - Will logon user with "));
    EXPECT_EQ(lines[12], QStringLiteral("re-enstate logins."));
    EXPECT_EQ(lines[17], QStringLiteral("PLAXON /OVERIDESYSTEMVARS - Bypasses system varibles in system that may "));
    EXPECT_EQ(lines[24], QStringLiteral("DB to get corrupted. Also it is recommended that maintenance is run as well"));

    UiScript ui;
    ui.answer([](QDialog& d) {
        QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
        return mrClosed;
    });
    EXPECT_EQ(f->showModal(), mrCancel);
}

TEST(AboutBox, ContentAndRightStripCloses)
{
    Taboutfrm* f = AboutForm();
    EXPECT_EQ(f->objectName(), QStringLiteral("aboutfrm"));
    EXPECT_EQ(f->windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(f->size(), QSize(564, 290));
    EXPECT_EQ(f->Label1->text(), QStringLiteral("Tavrell Lite"));
    EXPECT_EQ(f->Label3->text(), QStringLiteral("Version: 5.0.5.3845"));
    EXPECT_EQ(f->Label9->text(), QStringLiteral("DB-Version: 5C"));
    EXPECT_FALSE(f->Image1->pixmap().isNull());
    EXPECT_FALSE(f->Image2->pixmap().isNull());
    EXPECT_EQ(f->Shape2->geometry(), QRect(448, 0, 116, 290));

    UiScript ui;
    // A press left of the strip does nothing; on it, the box closes with -1.
    ui.answer([f](QDialog& d) {
        QTest::mouseClick(f->Label1, Qt::LeftButton);
        EXPECT_TRUE(d.isVisible());
        // Escape is no way out either.
        QTest::keyClick(&d, Qt::Key_Escape);
        EXPECT_TRUE(d.isVisible());
        QTest::mousePress(f->Shape2, Qt::LeftButton, {}, QPoint(10, 100));
        return mrClosed;
    });
    EXPECT_EQ(f->showModal(), mrCancel);
}

TEST(InstallSettingsStore, WritesReadsAndDetectsAFailedWrite)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    EXPECT_TRUE(InstallSettings::readInstallFolder().isEmpty());
    QString error;
    ASSERT_TRUE(InstallSettings::writeInstallFolder(QStringLiteral("/opt/tavrell/"), &error))
        << error.toStdString();
    EXPECT_EQ(InstallSettings::readInstallFolder(), QStringLiteral("/opt/tavrell/"));
    // Organisation, application and key as the other programs read them.
    QSettings raw(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Corvant Applications"),
                  QStringLiteral("Tavrell"));
    EXPECT_EQ(raw.value(QStringLiteral("5.0/QVKDir")).toString(), QStringLiteral("/opt/tavrell/"));

    // A store under a plain file cannot be written.
    QFile blocker(dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, blocker.fileName() + QStringLiteral("/sub"));
    EXPECT_FALSE(InstallSettings::writeInstallFolder(QStringLiteral("/x/"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("Tavrell.conf"))) << error.toStdString();
}
