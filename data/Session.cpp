#include "Session.h"

#include <QCoreApplication>

QString AppFolder;
QString CurrentUser;
bool LoggedIn = false;
bool ProgramEnding = false;
TLastBookingResult LastBookingResult;
TStartupSwitches StartupSwitches;

QString ProgramFolder(const QString& programPath)
{
    const int slash = programPath.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : programPath.left(slash + 1);
}

QString ProgramFolder()
{
    return ProgramFolder(QCoreApplication::applicationFilePath());
}

void ResetSession()
{
    LoggedIn = false;
    ProgramEnding = false;
    AppFolder.clear();
    CurrentUser.clear();
    LastBookingResult = TLastBookingResult();
    StartupSwitches = TStartupSwitches();
}
