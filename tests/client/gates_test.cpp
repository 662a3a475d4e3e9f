// The rights gates of the main window's commands: every gated entry reads
// its right afresh at each click, refuses with its own text (the flush in
// silence) and opens nothing; with the right it opens its dialog.
#include "MainFixture.h"

#include "Gates.h"
#include "Lookups.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

struct GatedEntry {
    const char* action;     // the menu entry's object name
    const char* right;      // the Users column of its right
    QString denial;         // empty: refused in silence
    const char* opens;      // the dialog it shows with the right
};

const QString Denied = QStringLiteral("Access Denied. You are not allowed to use this function");

// One row per gated entry of the main window, in menu order.
const std::vector<GatedEntry>& gatedEntries()
{
    static const std::vector<GatedEntry> rows = {
        {"CreateaPermanentBooking1", "canMakePermanentBookings",
         QStringLiteral("You are not allowed to make permanent bookings"), "createpermanentbookingfrm"},
        {"FlushAllBookings1", "canFlushBookings", QString(), "QuestionFrm"},
        {"ReplicateCurrentSheetAcrossmanyfutureweeks1", "canMakePermanentBookings",
         QStringLiteral("You are not allowed to make permanent bookings, therefore you are not allowed to "
                        "replicate items"),
         "replicatefrm"},
        {"CancelBookinswithCriteria1", "canFlushBookings",
         QStringLiteral("You are not allowed to Cancel Bookings in Mass"), "cancelmassfrm"},
        {"EditCatergories1", "canModifyCatergories", Denied, "catfrm"},
        {"EditItems1", "canModifyItems", Denied, "adminvfrm"},
        {"EditUsers1", "canAdministerUsers", Denied, "admusersfrm"},
        {"AutoLoginRegistration1", "isAdministrator", Denied, "logincfgfrm"},
        {"DefaultRightsforNewUsers1", "isAdministrator", Denied, "defaultrightsfrm"},
        {"SetupPeriods1", "canModifyPeriod", Denied, "setperfrm"},
        {"OtherConfigurationOptions1", "isAdministrator", Denied, "OtherConfigurationOptionsFrm"},
        {"ForceLogoff1", "canForceShutdown", Denied, "usersonlinefrm"},
    };
    return rows;
}

class Gates : public MainFixture {
protected:
    void SetUp() override
    {
        MainFixture::SetUp();
        if (HasFailure())
            return;
        addItem(QStringLiteral("PROJECTOR"));
        addUser({ProfileUserName, 1});   // the default rights show the template user
        win->InitMainWindow();
    }
    // Written by another client.
    void setRight(const char* column, bool on)
    {
        second().ADOConnection.exec(
            QStringLiteral("UPDATE Users SET \"%1\" = ? WHERE username = 'BOB'").arg(QLatin1String(column)),
            {on ? 1 : 0});
    }
    QAction* action(const char* name) { return win->findChild<QAction*>(QLatin1String(name)); }
    // A click without the right: the entry's text, or nothing, and no dialog.
    void expectRefused(const GatedEntry& e)
    {
        ui->shown.clear();
        ui->alerts.clear();
        action(e.action)->trigger();
        EXPECT_EQ(ui->alerts, e.denial.isEmpty() ? QStringList() : QStringList{e.denial});
        EXPECT_EQ(ui->shown.size(), e.denial.isEmpty() ? 0 : 1);
    }
};

TEST_F(Gates, EveryGatedEntryReadsItsRightAtTheClick)
{
    for (const GatedEntry& e : gatedEntries()) {
        SCOPED_TRACE(e.action);
        QAction* a = action(e.action);
        ASSERT_NE(a, nullptr);
        expectRefused(e);

        // Granted on another client: it counts from the next click.
        setRight(e.right, true);
        ui->shown.clear();
        ui->answer(mrCancel);
        a->trigger();
        ASSERT_FALSE(ui->shown.isEmpty());
        EXPECT_EQ(ui->shown.first(), QLatin1String(e.opens));
        EXPECT_TRUE(ui->answers.empty());

        // Withdrawn: refused again at the next click.
        setRight(e.right, false);
        expectRefused(e);
    }
}

TEST_F(Gates, ALoggedOnUserWhoseRowWasRemovedIsRefusedEverywhere)
{
    for (const GatedEntry& e : gatedEntries())
        setRight(e.right, true);
    second().ADOConnection.exec(QStringLiteral("DELETE FROM Users WHERE username = 'BOB'"));
    for (const GatedEntry& e : gatedEntries()) {
        SCOPED_TRACE(e.action);
        expectRefused(e);
    }
}

TEST_F(Gates, TheGateShowsItsDenialOrNothing)
{
    int asked = 0;
    static int* counter = nullptr;
    counter = &asked;
    const RightGetter yes = [](const QString& user) {
        ++*counter;
        return user == QLatin1String("BOB");
    };
    EXPECT_TRUE(PassGate(yes));
    CurrentUser = QStringLiteral("ANN");
    EXPECT_FALSE(PassGate(yes, QStringLiteral("You may not")));
    EXPECT_FALSE(PassGate(yes, GateDenial::Silent));
    EXPECT_FALSE(PassGate(yes));
    EXPECT_EQ(asked, 4);
    EXPECT_EQ(ui->alerts, (QStringList{QStringLiteral("You may not"), Denied}));
}

} // namespace
