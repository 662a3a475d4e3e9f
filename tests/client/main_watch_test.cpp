// The shutdown watch, the closing timer and the closing of the window: the
// user goes offline and the program ends, also from inside open dialogs.
#include "MainFixture.h"

#include <QApplication>
#include <QTimer>

namespace {

class MainWatch : public MainFixture {
protected:
    void SetUp() override
    {
        MainFixture::SetUp();
        if (HasFailure())
            return;
        addItem(QStringLiteral("PROJECTOR"));
        win->InitMainWindow();
        win->StartShutdownWatch();
    }
    // Another client orders the shutdown.
    void order(const QString& user, bool force = true, const QString& reason = QStringLiteral("Upgrade"))
    {
        second().ADOConnection.exec(QStringLiteral("UPDATE System SET forceshutdown = ?, \"user\" = ?, reason = ?"),
                                    {force ? 1 : 0, user, reason});
    }
    bool online() { return count(QStringLiteral("SELECT Online FROM Users WHERE username = 'BOB'")) == 1; }
};

TEST_F(MainWatch, AnotherUsersShutdownClosesTheClient)
{
    order(QStringLiteral("JANE"));
    win->ForceShutdownWatchDogTimer();
    EXPECT_EQ(ui->alerts, QStringList{QStringLiteral("Forced Shutdown by JANE. Reason: Upgrade")});
    EXPECT_FALSE(win->ForceShutdownWatchDog->isActive());
    EXPECT_TRUE(win->Closed());
    EXPECT_FALSE(win->isVisible());
    EXPECT_FALSE(online());
    EXPECT_TRUE(ProgramEnding);
    EXPECT_EQ(programEnds, 1);
    // A later tick of the closing timer or the watch changes nothing more.
    win->ShutDownTimerTimer();
    win->ForceShutdownWatchDogTimer();
    EXPECT_EQ(programEnds, 1);
    EXPECT_EQ(ui->alerts.size(), 1);
}

TEST_F(MainWatch, TheClosingTimerStartsWithTheMessageAndClosesWhileItIsOpen)
{
    order(QStringLiteral("JANE"));
    ui->answer(mrOk);   // unused: alerts answer themselves
    ui->answers.clear();
    bool timerWasRunning = false;
    ModalSeam::push([&](QDialog&) {
        // The message is still open when the 10-second timer fires.
        timerWasRunning = win->ShutDownTimer->isActive() && win->ShutDownTimer->interval() == 10000;
        EXPECT_FALSE(win->Closed());
        win->ShutDownTimerTimer();
        EXPECT_TRUE(win->Closed());
        return mrOk;
    });
    win->ForceShutdownWatchDogTimer();
    EXPECT_TRUE(timerWasRunning);
    EXPECT_EQ(programEnds, 1);
    EXPECT_FALSE(online());
}

TEST_F(MainWatch, OnlyAnotherUsersPendingShutdownCounts)
{
    order(QStringLiteral("BOB"));   // the orderer's own client stays
    win->ForceShutdownWatchDogTimer();
    order(QStringLiteral("JANE"), false);
    win->ForceShutdownWatchDogTimer();
    EXPECT_TRUE(ui->alerts.isEmpty());
    EXPECT_TRUE(win->ForceShutdownWatchDog->isActive());
    EXPECT_FALSE(win->Closed());

    // The same name in other letters is another user; the flag is read
    // afresh at each tick.
    order(QStringLiteral("bob"));
    win->ForceShutdownWatchDogTimer();
    EXPECT_TRUE(win->Closed());
}

TEST_F(MainWatch, AnEmptyControlTableAndAFailedReadMeanNoChange)
{
    second().ADOConnection.exec(QStringLiteral("DELETE FROM System"));
    win->ForceShutdownWatchDogTimer();
    EXPECT_FALSE(win->Closed());

    second().ADOConnection.exec(QStringLiteral("ALTER TABLE System RENAME TO System_gone"));
    for (int i = 0; i < 3; ++i)
        EXPECT_NO_THROW(win->ForceShutdownWatchDogTimer());
    EXPECT_TRUE(ui->shown.isEmpty());   // no stack of error boxes
    EXPECT_TRUE(win->ForceShutdownWatchDog->isActive());

    // Readable again: the next tick reacts.
    second().ADOConnection.exec(QStringLiteral("ALTER TABLE System_gone RENAME TO System"));
    second().ADOConnection.exec(QStringLiteral(
        "INSERT INTO System (forceshutdown, denylogin, reason, \"user\") VALUES (1, 0, 'Back', 'JANE')"));
    win->ForceShutdownWatchDogTimer();
    EXPECT_TRUE(win->Closed());
}

TEST_F(MainWatch, TheWatchDoesNotReEnterItself)
{
    order(QStringLiteral("JANE"));
    ModalSeam::push([&](QDialog&) {
        win->ForceShutdownWatchDogTimer();   // a tick while the message is open
        return mrOk;
    });
    win->ForceShutdownWatchDogTimer();
    EXPECT_EQ(programEnds, 1);
    EXPECT_EQ(ui->shown.size(), 0);   // the one message went to the pushed runner
}

TEST_F(MainWatch, AShutdownDuringAPromptEndsTheRunWithoutWriting)
{
    order(QStringLiteral("JANE"));
    select(4, 2, 4, 2);
    ui->answer([&](QDialog& d) {
        d.findChild<QLineEdit*>(QStringLiteral("question"))->setText(QStringLiteral("typed"));
        win->ForceShutdownWatchDogTimer();   // the watch fires inside the prompt
        return mrOk;
    });
    win->BookSelection();
    EXPECT_TRUE(ProgramEnding);
    EXPECT_EQ(ui->alerts, QStringList{QStringLiteral("Forced Shutdown by JANE. Reason: Upgrade")});
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM bookings")), 0);
    EXPECT_FALSE(online());
}

TEST_F(MainWatch, AShutdownEndsARealModalLoop)
{
    order(QStringLiteral("JANE"));
    bool returned = false;
    ui->answer([&](QDialog& d) {
        QTimer::singleShot(0, win.get(), [&] { win->ForceShutdownWatchDogTimer(); });
        // Safety net: should the close not end the loop, end it here and fail.
        QTimer::singleShot(5000, &d, [&] {
            ADD_FAILURE() << "the modal loop outlived the shutdown";
            d.done(mrCancel);
        });
        d.exec();
        returned = true;
        return d.result();
    });
    const bool yes = AskQuestion(QStringLiteral("Carry on?"));
    EXPECT_TRUE(returned);
    EXPECT_FALSE(yes);
    EXPECT_TRUE(ProgramEnding);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MainWatch, EveryWayOfClosingMarksTheUserOfflineOnce)
{
    win->ExitSystem1->trigger();
    EXPECT_TRUE(win->Closed());
    EXPECT_FALSE(online());
    EXPECT_EQ(programEnds, 1);
    EXPECT_FALSE(win->ForceShutdownWatchDog->isActive());
    EXPECT_FALSE(win->ColourNowTimer->isActive());

    // The closed window closes no further (one offline mark, one end).
    db().exec(QStringLiteral("UPDATE Users SET Online = 1 WHERE username = 'BOB'"));
    win->close();
    EXPECT_TRUE(online());
    EXPECT_EQ(programEnds, 1);
}

TEST_F(MainWatch, AFailingOfflineMarkStillClosesTheWindow)
{
    win->data.ADOConnection.exec(QStringLiteral("ALTER TABLE Users RENAME TO Users_gone"));
    EXPECT_TRUE(win->close());
    EXPECT_TRUE(win->Closed());
    EXPECT_TRUE(ProgramEnding);
    win->data.ADOConnection.exec(QStringLiteral("ALTER TABLE Users_gone RENAME TO Users"));
}

TEST_F(MainWatch, BeforeLogOnAnUnnamedShutdownWaitsANamedOneCloses)
{
    CurrentUser.clear();
    order(QString());
    win->ForceShutdownWatchDogTimer();
    EXPECT_FALSE(win->Closed());
    CurrentUser = QStringLiteral("BOB");
    win->ForceShutdownWatchDogTimer();
    EXPECT_EQ(ui->alerts, QStringList{QStringLiteral("Forced Shutdown by . Reason: Upgrade")});
    EXPECT_TRUE(win->Closed());
}

} // namespace
