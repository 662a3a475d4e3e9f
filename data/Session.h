#pragma once
#include <QDateTime>
#include <QString>

// Process-wide values that every part of the programs reads.

// The folder of the running program, with its trailing "/"; every file of
// the system ("data.mdb", the report templates, the background picture) is
// found from it.
extern QString AppFolder;

// The folder part of a program path, up to and including its last "/";
// empty when the path has none.
QString ProgramFolder(const QString& programPath);
// The running program's folder.
QString ProgramFolder();

// The client's command line, as the start-up read it; every flag false and
// both texts empty until then, read-only afterwards.
struct TStartupSwitches {
    bool PromptForLogon = false;
    bool CheckSwitch = false;
    bool CredentialsGiven = false;
    QString SwitchUser;       // at most 30 characters
    QString SwitchPassword;   // at most 30 characters
    bool OverrideSystemVars = false;
    bool ShowHelp = false;
    bool OnlineOverride = false;
    bool DisableReports = false;
    bool EnableLogin = false;
};
extern TStartupSwitches StartupSwitches;

// The logged-on user's name.
extern QString CurrentUser;

// True once a user has logged on in this run.
extern bool LoggedIn;

// Set when the program is ending (the main window closed, a forced
// shutdown): every step after a modal call checks it and stops, so nothing
// more runs or is written once the program is on its way out. The client
// raises it (EndProgram); the shared dialog loops read it.
extern bool ProgramEnding;

using BookingResultCode = qint32;

// What the last booking attempt asked for and how it ended.
struct TLastBookingResult {
    QDateTime date;
    QString period;
    QString existingBookedBy;
    QString existingReason;
    QString bookedFor;
    QString reason;
    BookingResultCode code = 0;
    QString message;
    QString item;
    QString actingUser;
};
extern TLastBookingResult LastBookingResult;

// Puts every process-wide value back to its start (for tests).
void ResetSession();
