// The importer: a backdrop over the whole screen and the import wizard over
// it; closing the wizard ends the program.
#include "DataModule.h"
#include "DisplayCheck.h"
#include "Forms.h"
#include "Session.h"
#include "TavrellApplication.h"
#include "bgfrm.h"
#include "lockfrm.h"
#include "selbrinfrm.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (!DisplayUsable()) {
        std::fprintf(stderr, "%s\n", qPrintable(NoDisplayMessage(QStringLiteral("selbrin"))));
        return 2;
    }
    TavrellApplication app(argc, argv);
    SetApplicationTitle(QStringLiteral("QVK DB Import Update Utility"));
    QApplication::setQuitOnLastWindowClosed(false);
    AppFolder = ProgramFolder();

    // The data module connects only when the wizard reaches its period step.
    DataModule dm;
    SetDM(&dm);
    TBGFrm backdrop;
    TSelbrinFrm wizard;
    wizard.backdrop = &backdrop;
    LockForm();

    backdrop.show();
    QCoreApplication::processEvents();
    CentreOver(&wizard, &backdrop);
    wizard.showModal();
    return 0;
}
