#pragma once
// A whole client start-up over a fresh database in a temporary program
// folder, with the real main window and forms. Message boxes are recorded,
// other dialogs take scripted answers, pauses are noted instead of waited,
// the settings store lives in the temporary folder, and ending the program
// raises the flag without leaving the test's event loops.
#include "Accounts.h"
#include "ClientFixture.h"
#include "HostInfo.h"
#include "MainWindowHost.h"
#include "Pause.h"
#include "ProgramEnd.h"
#include "ReportLog.h"
#include "Startup.h"
#include "StartupMessages.h"
#include "UiScript.h"
#include "logonfrm.h"
#include "mainfrm.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QSettings>
#include <QStyle>
#include <QTimer>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

class StartFixture : public ClientFixture {
protected:
    void SetUp() override
    {
        ClientFixture::SetUp();
        settingsDir = dir.path() + QStringLiteral("/settings");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir);
        SetPauseSource([this](int ms) { pauses << ms; });
        HostInfo::setUserNameSource([this] { return osUser; });
        installReportFiles();
        // The log-on dialog asks for any name.
        setConfig(false, false, false);
        win = std::make_unique<Tmainfrm>();
        host = std::make_unique<MainWindowHost>(*win);
    }

    void TearDown() override
    {
        ui.reset();
        host.reset();
        HostInfo::setUserNameSource(nullptr);
        SetPauseSource(nullptr);
        ClientFixture::TearDown();
    }

    void installReportFiles()
    {
        QDir(dir.path()).mkpath(QStringLiteral("reports"));
        for (const char* f : {"header.htm", "footer.htm", "reportlogo.jpg"})
            writeFile(QStringLiteral("reports/") + QLatin1String(f), "x");
    }

    // ADMIN, the template user, the periods and "Miscellaneous" as a first
    // start leaves them, with ADMIN's password "secret".
    void seedDefaults()
    {
        ui->answer(setPassword(QStringLiteral("secret")));
        ui->answer(logon(QStringLiteral("ADMIN"), QStringLiteral("secret")));
        start();
        ASSERT_EQ(outcome, StartupOutcome::Running) << ui->alerts.join(QLatin1Char('|')).toStdString();
        win->hide();
        win->ForceShutdownWatchDog->stop();
        win->ColourNowTimer->stop();
        ui->alerts.clear();
        ui->shown.clear();
        LoggedIn = false;
        CurrentUser.clear();
        db().exec(QStringLiteral("UPDATE Users SET Online = 0"));
    }

    // Fills the change-password dialog.
    static UiScript::Answer setPassword(const QString& password)
    {
        return [password](QDialog& d) {
            d.findChild<QLineEdit*>(QStringLiteral("pass1"))->setText(password);
            d.findChild<QLineEdit*>(QStringLiteral("pass2"))->setText(password);
            return mrOk;
        };
    }

    // Fills the log-on dialog and presses "Logon" for each attempt in turn
    // (a fixed name is left as the dialog filled it); "Exit" when the last
    // attempt did not close the dialog.
    static UiScript::Answer logon(const QList<std::pair<QString, QString>>& attempts)
    {
        return [attempts](QDialog& d) {
            auto* user = d.findChild<QLineEdit*>(QStringLiteral("username"));
            for (const auto& [name, password] : attempts) {
                if (!d.isVisible())
                    break;
                if (!user->isReadOnly())
                    user->setText(name);
                d.findChild<QLineEdit*>(QStringLiteral("password"))->setText(password);
                QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
            }
            if (d.isVisible())
                QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("Button2")), Qt::LeftButton);
            return mrClosed;
        };
    }
    static UiScript::Answer logon(const QString& name, const QString& password)
    {
        return logon(QList<std::pair<QString, QString>>{{name, password}});
    }

    StartupOutcome start(const QStringList& args = {})
    {
        outcome = RunStartup(*host, args);
        return outcome;
    }

    void setConfig(bool autoLogin, bool promptPassword, bool autoRegister)
    {
        db().exec(QStringLiteral("UPDATE config SET AutoLogin = ?, PromptPassword = ?, AutoRegister = ?"),
                  {autoLogin ? 1 : 0, promptPassword ? 1 : 0, autoRegister ? 1 : 0});
    }

    QString osUser = QStringLiteral("jsmith");
    QString settingsDir;
    QList<int> pauses;
    StartupOutcome outcome = StartupOutcome::Failed;
    std::unique_ptr<MainWindowHost> host;
};
