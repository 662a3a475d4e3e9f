// The main window's menus and toolbar as they are laid out: menus in order,
// each entry by object name and caption with the separators between.
#include "MainFixture.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace {

class MenuLayout : public MainFixture {};

QStringList entries(QMenu* m)
{
    QStringList out;
    for (QAction* a : m->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->objectName() + "=" + a->text());
    return out;
}

TEST_F(MenuLayout, MenusAndToolbarInTheirOrder)
{
    win->SetHelpDialogs([] {}, [] {});
    QStringList menus;
    for (QAction* a : win->MainMenu1->actions())
        if (a->isVisible())
            menus << a->menu()->objectName() + "=" + a->text();
    EXPECT_EQ(menus, (QStringList{"Bookings1=Item", "Find1=Find", "View1=View", "User1=User",
                                  "Administrator1=Administration", "Help1=Help"}));
    // The Item menu and the toolbar's buttons in order: MainOps.MenuAndToolbarCarryTheEntriesThatExist.
    EXPECT_EQ(entries(win->Find1), QStringList{"Findwhenselecteditemisspare1=Find Vacancy"});
    EXPECT_EQ(entries(win->View1), QStringList{"ViewalistofitemsIbooked1=View a list of items I booked"});
    EXPECT_EQ(entries(win->User1), QStringList{"ChangePassword1=Change Password"});
    EXPECT_EQ(entries(win->Administrator1),
              (QStringList{"EditCatergories1=Categories", "EditItems1=Items", "EditUsers1=Users", "-",
                           "AutoLoginRegistration1=Auto Login/New User Registration",
                           "DefaultRightsforNewUsers1=Default Rights for New Users", "SetupPeriods1=Setup Periods", "-",
                           "Maintanence1=Run Maintanence", "OtherConfigurationOptions1=Other Configuration Options", "-",
                           "DisplayUsageStatistics1=Display Usage Statistics", "-", "ForceLogoff1=Force Logoff",
                           "ListPeopleOnline1=List People Online"}));
    EXPECT_EQ(entries(win->Help1),
              (QStringList{"CommandLineOptions1=Command Line Options", "AboutTavrell1=About Tavrell"}));

    for (QAction* a : win->ToolBar1->actions()) {
        if (a->isSeparator())
            continue;
        auto* b = qobject_cast<QToolButton*>(win->ToolBar1->widgetForAction(a));
        ASSERT_NE(b, nullptr);
        SCOPED_TRACE(b->objectName().toStdString());
        EXPECT_TRUE(b->autoRaise());
        EXPECT_FALSE(b->icon().isNull());
    }
    EXPECT_EQ(win->ToolBar1->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
}

} // namespace
