#include "LogOn.h"
#include "Accounts.h"
#include "Alerts.h"
#include "DataModule.h"
#include "LogonMessages.h"
#include "Lookups.h"
#include "Session.h"
#include "Text.h"
#include "Utilities.h"
#include "autoregfrm.h"
#include "logonfrm.h"

#include <QLineEdit>

bool IsKnownLogonName(const QString& name)
{
    return !Text::sameName(name, ProfileUserName) && FindUser(name) != -1;
}

LogonRules ReadLogonRules()
{
    Dataset& cfg = DM().ConfigTable;
    cfg.first();
    cfg.refresh();
    LogonRules r;
    if (cfg.isEmpty())
        return r;
    r.AutoLogin = cfg.asBoolean(QStringLiteral("AutoLogin"));
    r.PromptPassword = cfg.asBoolean(QStringLiteral("PromptPassword"));
    r.AutoRegister = cfg.asBoolean(QStringLiteral("AutoRegister"));
    return r;
}

void LogOn()
{
    LoggedIn = false;
    const LogonRules rules = ReadLogonRules();
    const QString osName = GetWindowsUserName();

    const bool automatic = rules.AutoLogin && !StartupSwitches.PromptForLogon
                           && !UserMustGivePassword(osName) && !rules.PromptPassword;
    if (automatic) {
        QString name = osName;
        QString password;
        if (StartupSwitches.CredentialsGiven) {
            name = StartupSwitches.SwitchUser;
            password = StartupSwitches.SwitchPassword;
        } else if (IsKnownLogonName(name)) {
            // The operating system vouches for this user: the stored password.
            password = Unscramble(DM().UserTable.asString(QStringLiteral("password")));
        }
        if (!IsKnownLogonName(name)) {
            if (rules.AutoRegister) {
                const int result = ShowAutoRegistration(false);
                if (!ProgramEnding && result == mrOk) {
                    LoggedIn = true;
                    CurrentUser = osName;
                }
            } else {
                ShowAlert(LogonMessages::UnknownUser);
            }
            return;
        }
        if (CheckPassword(name, password)) {
            LoggedIn = true;
            CurrentUser = name;
        }
        return;
    }

    Tlogonfrm* f = LogonForm();
    const int result = f->showModal();
    if (!ProgramEnding && result == mrOk) {
        LoggedIn = true;
        CurrentUser = f->username->text();
    }
}
