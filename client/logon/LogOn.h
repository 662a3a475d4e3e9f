#pragma once
#include <QString>

// Decides who uses this run of the client: automatically by the
// operating-system user (or the name on the command line) when the
// configuration allows it, otherwise through the log-on dialog. Sets
// LoggedIn and, on success, CurrentUser.
void LogOn();

// True when the name belongs to an account someone may log on as: it
// exists and is not the template user.
bool IsKnownLogonName(const QString& name);

// The log-on rules of the configuration row, read afresh.
struct LogonRules {
    bool AutoLogin = false;
    bool PromptPassword = false;
    bool AutoRegister = false;
};
LogonRules ReadLogonRules();
