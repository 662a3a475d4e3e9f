// The booking client: start-up, log-on, then the main window's event loop.
#include "DisplayCheck.h"
#include "MainWindowHost.h"
#include "Session.h"
#include "Startup.h"
#include "TavrellApplication.h"
#include "mainfrm.h"

#include <cstdio>

int main(int argc, char** argv)
{
    // A windowing program needs a screen; say so plainly instead of letting
    // the toolkit abort.
    if (!DisplayUsable()) {
        std::fprintf(stderr, "%s\n", qPrintable(NoDisplayMessage(QStringLiteral("plaxon"))));
        return 2;
    }
    TavrellApplication app(argc, argv);
    // Dialogs show while the main window is still hidden; closing the main
    // window is what ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    AppFolder = ProgramFolder();

    Tmainfrm mainWindow;
    MainWindowHost host(mainWindow);
    const StartupOutcome outcome = RunStartup(host, QCoreApplication::arguments().mid(1));
    if (outcome != StartupOutcome::Running || ProgramEnding)
        return outcome == StartupOutcome::HelpShown || outcome == StartupOutcome::Ended ? 0 : 1;
    return QApplication::exec();
}
