// The database extender: one dialog over a backdrop that raises a chosen
// installation's database to the level the client runs on.
#include "Alerts.h"
#include "DataModule.h"
#include "DisplayCheck.h"
#include "ExtendRun.h"
#include "Session.h"
#include "TavrellApplication.h"
#include "extendfrm.h"
#include "extenderbgfrm.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (!DisplayUsable()) {
        std::fprintf(stderr, "%s\n", qPrintable(NoDisplayMessage(QStringLiteral("morvane"))));
        return 2;
    }
    TavrellApplication app(argc, argv);
    SetApplicationTitle(ExtenderMessages::AppTitle);
    QApplication::setQuitOnLastWindowClosed(false);
    AppFolder = ProgramFolder();

    // Messages carry the program's title and stand in front of the dialog,
    // which stays in front of everything else.
    AlertForm()->setWindowTitle(ExtenderMessages::AppTitle);
    AlertForm()->setWindowFlag(Qt::WindowStaysOnTopHint);

    // The data module holds only the connection and the config table here.
    DataModule mainfrm;
    Textendfrm extendfrm(mainfrm);
    Textenderbgfrm extenderbgfrm;
    extendfrm.setBackdrop(&extenderbgfrm);
    EndProgramWhenClosed(extendfrm);
    extendfrm.show();
    return QApplication::exec();
}
