// The users-online window: who is online, following the database while it
// is open, and the forced log-off of every other client.
#include "CoolCtrlsDB.h"
#include "DbError.h"
#include "MainFixture.h"
#include "usersonlinefrm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

class UsersOnline : public MainFixture {
protected:
    void SetUp() override
    {
        MainFixture::SetUp();
        if (HasFailure())
            return;
        addUser({QStringLiteral("JANE"), 10});
        addUser({QStringLiteral("TOM"), 10});
        setOnline(QStringLiteral("BOB"), true, QStringLiteral("PC-BOB"));
        setOnline(QStringLiteral("JANE"), true, QStringLiteral("PC-JANE"));
        setOnline(QStringLiteral("TOM"), false, QStringLiteral("PC-TOM"));
    }

    // Written by another client.
    void setOnline(const QString& user, bool on, const QString& computer = QString())
    {
        if (computer.isEmpty())
            second().ADOConnection.exec(QStringLiteral("UPDATE Users SET Online = ? WHERE username = ?"),
                                        {on ? 1 : 0, user});
        else
            second().ADOConnection.exec(
                QStringLiteral("UPDATE Users SET Online = ?, LastComputer = ? WHERE username = ?"),
                {on ? 1 : 0, computer, user});
    }
    void setRight(bool on)
    {
        second().ADOConnection.exec(QStringLiteral("UPDATE Users SET canForceShutdown = ? WHERE username = 'BOB'"),
                                    {on ? 1 : 0});
    }

    // What the list shows, row by row: "user@computer".
    static QStringList shown(Tusersonlinefrm& f)
    {
        QStringList rows;
        Dataset* ds = f.userslist->LinkedDataset();
        if (!ds)
            return rows;
        for (int r = 0; r < ds->rowCountLoaded(); ++r)
            rows << f.userslist->DisplayText(r, 0) + QLatin1Char('@') + f.userslist->DisplayText(r, 1);
        return rows;
    }

    static void click(QDialog& d, const char* button)
    {
        QTest::mouseClick(d.findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
    }

    struct ControlRow {
        bool force;
        QString reason;
        QString user;
    };
    ControlRow controlRow()
    {
        Dataset& t = second().SystemTable;
        t.requery();
        t.first();
        return {t.asBoolean(QStringLiteral("forceshutdown")), t.asString(QStringLiteral("reason")),
                t.asString(QStringLiteral("user"))};
    }
};

TEST_F(UsersOnline, TheListShowsWhoIsOnlineAndFollowsTheDatabaseAtEachTick)
{
    ui->answer([&](QDialog& d) {
        auto& f = static_cast<Tusersonlinefrm&>(d);
        EXPECT_TRUE(f.Timer1->isActive());
        EXPECT_EQ(f.Timer1->interval(), 5000);
        EXPECT_EQ(shown(f), (QStringList{"BOB@PC-BOB", "JANE@PC-JANE"}));
        EXPECT_EQ(f.userslist->colCount(), 2);
        EXPECT_EQ(f.userslist->rowCount(), 2);   // no title row: the label heads the columns

        // The window system's own minimize and restore leave the list following.
        f.setWindowState(Qt::WindowMinimized);
        f.setWindowState(Qt::WindowNoState);
        EXPECT_TRUE(f.Timer1->isActive());

        // Another client logs on, one logs off: seen at the next tick, not before.
        setOnline(QStringLiteral("TOM"), true);
        setOnline(QStringLiteral("JANE"), false);
        EXPECT_EQ(shown(f), (QStringList{"BOB@PC-BOB", "JANE@PC-JANE"}));
        f.Timer1Timer();
        EXPECT_EQ(shown(f), (QStringList{"BOB@PC-BOB", "TOM@PC-TOM"}));

        // A tick that cannot read keeps the list and shows nothing; the next
        // readable tick catches up.
        second().ADOConnection.exec(QStringLiteral("ALTER TABLE Users RENAME TO Users_away"));
        EXPECT_NO_THROW(f.Timer1Timer());
        EXPECT_EQ(shown(f), (QStringList{"BOB@PC-BOB", "TOM@PC-TOM"}));
        second().ADOConnection.exec(QStringLiteral("ALTER TABLE Users_away RENAME TO Users"));
        setOnline(QStringLiteral("TOM"), false);
        // Nor does a tick wait while another program holds the file.
        db().exec(QStringLiteral("BEGIN EXCLUSIVE"));
        QElapsedTimer t;
        t.start();
        EXPECT_NO_THROW(f.Timer1Timer());
        EXPECT_LT(t.elapsed(), 2000);
        EXPECT_EQ(shown(f), (QStringList{"BOB@PC-BOB", "TOM@PC-TOM"}));
        db().exec(QStringLiteral("COMMIT"));
        f.Timer1Timer();
        EXPECT_EQ(shown(f), QStringList{"BOB@PC-BOB"});

        // The list only shows: Ctrl+Delete neither deletes nor raises a
        // box (should one come, it is taken down and the test fails).
        bool boxShown = false;
        QTimer::singleShot(0, &f, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxShown = true;
                box->done(QMessageBox::Ok);
            }
        });
        f.userslist->setFocus();
        QTest::keyClick(f.userslist, Qt::Key_Delete, Qt::ControlModifier);
        QCoreApplication::processEvents();
        EXPECT_FALSE(boxShown);
        EXPECT_EQ(shown(f), QStringList{"BOB@PC-BOB"});
        click(d, "Button2");
        return mrOk;   // overridden by the button's own result
    });
    win->ListPeopleOnline1->trigger();
    EXPECT_EQ(ui->shown, QStringList{QStringLiteral("usersonlinefrm")});
    EXPECT_TRUE(ui->alerts.isEmpty());
    EXPECT_FALSE(UsersOnlineForm()->Timer1->isActive());   // stopped with the window
    EXPECT_FALSE(controlRow().force);

    // The next showing reads afresh, before any tick.
    setOnline(QStringLiteral("JANE"), true);
    ui->answer([&](QDialog& d) {
        EXPECT_EQ(shown(static_cast<Tusersonlinefrm&>(d)), (QStringList{"BOB@PC-BOB", "JANE@PC-JANE"}));
        return mrCancel;
    });
    ShowUsersOnline(false);
    EXPECT_TRUE(ui->answers.empty());
}

TEST_F(UsersOnline, TheWindowAndWhatOnlyTheForcingWindowOffers)
{
    Tusersonlinefrm* f = UsersOnlineForm();
    EXPECT_EQ(f->objectName(), QStringLiteral("usersonlinefrm"));
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Users Online"));
    EXPECT_EQ(f->Label1->text(), QStringLiteral("User               Computer"));
    EXPECT_EQ(f->forcemsg->text(), QStringLiteral("Please wait upto a minute before all users are offline. "
                                                  "This will be reflected in this screen. "));
    EXPECT_EQ(f->Button1->text(), QStringLiteral("Force Users Offline"));
    EXPECT_EQ(f->Button2->text(), QStringLiteral("Close"));
    EXPECT_FALSE(f->Timer1->isActive());   // off until the window opens
    EXPECT_EQ(f->OnlineUsersQry.sql(), (QStringList{"select username, lastcomputer", "from users",
                                                    "where online = 1;"}));

    // Only to look: no button, no notice, the taller list; Escape is Cancel
    // and nothing is asked afterwards.
    ui->answer([&](QDialog& d) {
        EXPECT_FALSE(f->Button1->isVisible());
        EXPECT_FALSE(f->forcemsg->isVisible());
        EXPECT_EQ(f->userslist->height(), 204);
        QTest::keyClick(&d, Qt::Key_Escape);
        EXPECT_EQ(d.result(), mrCancel);
        return mrCancel;
    });
    ShowUsersOnline(false);

    // Even a window only to look at that somehow answers 1 orders nothing.
    ui->answer(mrOk);
    ShowUsersOnline(false);
    EXPECT_EQ(ui->shown.size(), 2);
    EXPECT_FALSE(controlRow().force);

    // With the force: both shown, the shorter list, the notice under it and
    // clear of the buttons.
    ui->answer([&](QDialog& d) {
        EXPECT_TRUE(f->Button1->isVisible());
        EXPECT_TRUE(f->forcemsg->isVisible());
        EXPECT_EQ(f->userslist->height(), 144);
        EXPECT_GE(f->forcemsg->y(), f->userslist->geometry().bottom());
        EXPECT_LE(f->forcemsg->geometry().bottom(), f->Button1->y());
        click(d, "Button2");
        return mrCancel;
    });
    ShowUsersOnline(true);
    EXPECT_EQ(ui->shown.size(), 3);   // Close asks no reason
    EXPECT_FALSE(controlRow().force);
}

TEST_F(UsersOnline, ForcingOrdersTheShutdownInTheLoggedOnUsersName)
{
    setRight(true);
    ui->answer([&](QDialog& d) {
        click(d, "Button1");
        return mrCancel;   // overridden by the button's own result
    });
    ui->answer([&](QDialog& d) {
        EXPECT_EQ(d.findChild<QLabel*>(QStringLiteral("questionLabel"))->text(),
                  QStringLiteral("What is the reason for the forced shutdown?"));
        EXPECT_EQ(d.findChild<QLineEdit*>(QStringLiteral("question"))->text(), QStringLiteral("General Maintenance"));
        d.findChild<QLineEdit*>(QStringLiteral("question"))->setText(QStringLiteral("Upgrade"));
        return mrOk;
    });
    win->ForceLogoff1->trigger();
    EXPECT_EQ(ui->shown.mid(0, 2), (QStringList{"usersonlinefrm", "inputfrm"}));
    EXPECT_EQ(ui->shown.size(), 3);   // and the notice
    EXPECT_EQ(ui->alerts, QStringList{QStringLiteral(
        "You have entered SHUTDOWN MODE. Nobody be able to log backon until you run PLAXON /ENABLELOGIN")});
    ControlRow row = controlRow();
    EXPECT_TRUE(row.force);
    EXPECT_EQ(row.reason, QStringLiteral("Upgrade"));
    EXPECT_EQ(row.user, QStringLiteral("BOB"));

    // Cancel in the prompt still orders the shutdown, with the default reason.
    second().ADOConnection.exec(QStringLiteral("UPDATE System SET forceshutdown = 0, reason = '', \"user\" = ''"));
    CurrentUser = QStringLiteral("JANE");   // whoever is logged on gives the order
    ui->answer([&](QDialog& d) {
        click(d, "Button1");
        return mrCancel;
    });
    ui->answer(mrCancel);
    ShowUsersOnline(true);
    row = controlRow();
    EXPECT_TRUE(row.force);
    EXPECT_EQ(row.reason, QStringLiteral("General Maintenance"));
    EXPECT_EQ(row.user, QStringLiteral("JANE"));
    EXPECT_EQ(ui->alerts.size(), 2);
}

TEST_F(UsersOnline, NothingIsOrderedOrAnnouncedWhenTheOrderCannotBeStored)
{
    setRight(true);
    second().ADOConnection.exec(QStringLiteral("DELETE FROM System"));
    ui->answer([&](QDialog& d) {
        click(d, "Button1");
        return mrCancel;
    });
    ui->answer(mrOk);
    EXPECT_THROW(win->ForceLogoff1Click(), DbError);   // the program's error handler shows it
    EXPECT_TRUE(ui->alerts.isEmpty());                   // no "SHUTDOWN MODE" for an order never given
}

TEST_F(UsersOnline, TheProgramEndingDuringThePromptOrdersNothing)
{
    setRight(true);
    ui->answer([&](QDialog& d) {
        click(d, "Button1");
        return mrCancel;
    });
    ui->answer([&](QDialog&) {
        win->close();   // the client is closed while the reason is asked
        return mrOk;
    });
    win->ForceLogoff1->trigger();
    EXPECT_TRUE(ProgramEnding);
    EXPECT_FALSE(controlRow().force);
    EXPECT_TRUE(ui->alerts.isEmpty());
}

TEST_F(UsersOnline, TheMenuEntriesAndTheirGates)
{
    QStringList entries;
    for (QAction* a : win->Administrator1->actions())
        entries << (a->isSeparator() ? QStringLiteral("-") : a->objectName() + "=" + a->text());
    EXPECT_EQ(entries, (QStringList{"EditCatergories1=Categories", "EditItems1=Items", "EditUsers1=Users", "-",
                                    "AutoLoginRegistration1=Auto Login/New User Registration",
                                    "DefaultRightsforNewUsers1=Default Rights for New Users",
                                    "SetupPeriods1=Setup Periods", "-", "Maintanence1=Run Maintanence",
                                    "OtherConfigurationOptions1=Other Configuration Options", "-",
                                    "DisplayUsageStatistics1=Display Usage Statistics", "-",
                                    "ForceLogoff1=Force Logoff", "ListPeopleOnline1=List People Online"}));

    // Without the right: refused, nothing opens.
    win->ForceLogoff1->trigger();
    EXPECT_EQ(ui->alerts, QStringList{QStringLiteral("Access Denied. You are not allowed to use this function")});
    EXPECT_EQ(ui->shown.size(), 1);

    // The list is open to everyone, without the force.
    ui->answer([&](QDialog&) {
        EXPECT_FALSE(UsersOnlineForm()->Button1->isVisible());
        return mrCancel;
    });
    win->ListPeopleOnline1->trigger();
    EXPECT_EQ(ui->shown.size(), 2);

    // The right is read at each click: granted on another client, it counts
    // from the next click; withdrawn, it is refused again.
    setRight(true);
    ui->answer([&](QDialog&) {
        EXPECT_TRUE(UsersOnlineForm()->Button1->isVisible());
        return mrCancel;
    });
    win->ForceLogoff1->trigger();
    EXPECT_EQ(ui->shown.size(), 3);
    EXPECT_EQ(ui->alerts.size(), 1);
    setRight(false);
    win->ForceLogoff1->trigger();
    EXPECT_EQ(ui->alerts.size(), 2);
    EXPECT_TRUE(ui->answers.empty());
    EXPECT_FALSE(controlRow().force);
}

TEST_F(UsersOnline, TheForcedLogoffClosesTheOtherClientButNotTheOrderersOwn)
{
    // JANE's client: another main window on the same file. The process-wide
    // logged-on user and data module are hers while her client acts.
    auto jane = std::make_unique<Tmainfrm>();
    jane->data.connectTo(path);
    jane->data.openTables();
    jane->show();
    auto asJane = [&](const std::function<void()>& act) {
        DataModule* before = &DM();
        const QString user = CurrentUser;
        SetDM(&jane->data);
        CurrentUser = QStringLiteral("JANE");
        act();
        SetDM(before);
        CurrentUser = user;
    };
    win->StartShutdownWatch();
    asJane([&] { jane->StartShutdownWatch(); });
    asJane([&] { jane->ForceShutdownWatchDogTimer(); });
    EXPECT_FALSE(jane->Closed());

    setRight(true);
    ui->answer([&](QDialog& d) {
        EXPECT_EQ(shown(static_cast<Tusersonlinefrm&>(d)), (QStringList{"BOB@PC-BOB", "JANE@PC-JANE"}));
        click(d, "Button1");
        return mrCancel;
    });
    ui->answer([&](QDialog& d) {
        d.findChild<QLineEdit*>(QStringLiteral("question"))->setText(QStringLiteral("Upgrade"));
        return mrOk;
    });
    win->ForceLogoff1->trigger();
    ASSERT_EQ(ui->alerts.size(), 1);

    // The orderer's own client goes on.
    win->ForceShutdownWatchDogTimer();
    EXPECT_FALSE(win->Closed());
    EXPECT_TRUE(win->ForceShutdownWatchDog->isActive());
    EXPECT_EQ(ui->alerts.size(), 1);

    // JANE's client closes on its next tick and she goes offline.
    asJane([&] { jane->ForceShutdownWatchDogTimer(); });
    EXPECT_TRUE(jane->Closed());
    EXPECT_EQ(ui->alerts.value(1), QStringLiteral("Forced Shutdown by BOB. Reason: Upgrade"));
    EXPECT_EQ(count(QStringLiteral("SELECT Online FROM Users WHERE username = 'JANE'")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT Online FROM Users WHERE username = 'BOB'")), 1);
    jane.reset();

    // Her client's end is hers alone: BOB's process goes on, and his list
    // shows her gone.
    ResetProgramEnd();
    SetEndProgramSeam([this] { ++programEnds; });
    ui->answer([&](QDialog& d) {
        EXPECT_EQ(shown(static_cast<Tusersonlinefrm&>(d)), QStringList{"BOB@PC-BOB"});
        return mrCancel;
    });
    win->ListPeopleOnline1->trigger();
    win->ForceShutdownWatchDogTimer();
    EXPECT_FALSE(win->Closed());
}

} // namespace
