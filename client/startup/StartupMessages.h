#pragma once
#include "DatabaseMessages.h"

#include <QString>

// The texts the start-up shows, letter for letter.
namespace StartupMessages {
inline const QString AppTitle = QStringLiteral("Tavrell Lite");
inline const QString DataMissing = DatabaseMessages::DataMissing;
inline const QString MustTerminate = DatabaseMessages::MustTerminate;
inline const QString CannotConnect = DatabaseMessages::CannotConnect;
inline const QString LoginEnabled = QStringLiteral("Login to Tavrell has been enabled");
inline const QString LoginDenied = QStringLiteral("Login Denied: ");
inline const QString ForcedShutdownBy = QStringLiteral("Forced Shutdown by ");
inline const QString ForcedShutdownReason = QStringLiteral(". Reason: ");
inline const QString SchemaOutdated = QStringLiteral(
    "Database Error: This version of Tavrell expects a more recent database. Run the database extender tool (MORVANE)");
inline const QString AdminSetup =
    QStringLiteral("An Administrator account has to be setup. Click OK to load Password Screen");
inline const QString AdminFailed = QStringLiteral(
    "Unable to Create Administrator Account \"ADMIN\". Possibly due to a Database Error");
inline const QString ReportsMissing = QStringLiteral("Report Files Missing: Report Operations will be disabled");
inline const QString UnsuccessfulLogin = QStringLiteral("Unsuccessful Login");
inline const QString AccountExpired = QStringLiteral(
    "Your user account to use the booking system has expired. Contact your administrator");

// Failures that end the start-up with one message naming what failed.
inline const QString BackgroundUnreadable = QStringLiteral("Unable to read the background picture \"%1\"");
inline const QString SystemTableFailed = QStringLiteral("Database Error: Unable to open the System table: %1");
inline const QString SettingsFailed = QStringLiteral("Unable to store the program folder in the settings (%1)");
inline const QString ProfileFailed = QStringLiteral(
    "Unable to Create the template user \"%1\". Possibly due to a Database Error");

// Splash steps.
inline const QString StepInterface = QStringLiteral("Configuring Interface");
inline const QString StepConnection = QStringLiteral("Database Connection");
inline const QString StepConfig = QStringLiteral("Checking Config Data");
inline const QString StepLogon = QStringLiteral("Attempt Logon");
} // namespace StartupMessages
