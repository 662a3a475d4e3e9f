// The importer: a backdrop over the whole screen and the import wizard over
// it; closing the wizard ends the program.
#include "DataModule.h"
#include "Forms.h"
#include "Session.h"
#include "bgfrm.h"
#include "lockfrm.h"
#include "selbrinfrm.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("QVK DB Import Update Utility"));
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
