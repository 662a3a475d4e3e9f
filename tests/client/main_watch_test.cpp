// The shutdown watch, the closing timer and the closing of the window: the
// user goes offline and the program ends, also from inside open dialogs.
#include "MainFixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
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
        // It goes with the loop, so it never fires into a later test.
        QTimer safety;
        safety.setSingleShot(true);
        QObject::connect(&safety, &QTimer::timeout, &d, [&] {
            ADD_FAILURE() << "the modal loop outlived the shutdown";
            d.done(mrCancel);
        });
        safety.start(5000);
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

namespace {

// Another program holds the file for writing while the scope lasts.
class HeldFile {
public:
    // Exclusive: nobody else may read either; otherwise only writing waits.
    explicit HeldFile(Database& other, bool exclusive = true) : m_db(other)
    {
        m_db.exec(exclusive ? QStringLiteral("BEGIN EXCLUSIVE") : QStringLiteral("BEGIN IMMEDIATE"));
    }
    ~HeldFile() { release(); }
    void release()
    {
        if (m_held)
            m_db.exec(QStringLiteral("COMMIT"));
        m_held = false;
    }

private:
    Database& m_db;
    bool m_held = true;
};

} // namespace

TEST_F(MainWatch, TimerTicksAndResizesDoNotWaitForAFileAnotherProgramHolds)
{
    // The window's connection waits its full busy timeout anywhere else.
    ASSERT_EQ(win->data.ADOConnection.transactionDepth(), 0);
    order(QStringLiteral("JANE"));
    // The current period moves (10:00 is now in period 3) while the file is held.
    Clock::freeze(QDateTime(QDate(2026, 3, 4), QTime(10, 0)));
    second().ADOConnection.exec(QStringLiteral("UPDATE periods SET StartTime = '07:00:00' WHERE \"order\" = 5"));
    HeldFile held(db());
    QElapsedTimer t;
    t.start();
    win->ForceShutdownWatchDogTimer();
    win->ColourNowTimerTimer();
    win->resize(1000, 700);
    QApplication::processEvents();
    win->ColourNowTimerTimer();
    EXPECT_LT(t.elapsed(), 2000) << "a tick or a resize waited for the file";
    EXPECT_TRUE(ui->shown.isEmpty());   // no error boxes
    EXPECT_FALSE(win->Closed());
    // The period marked before stays marked; the sheet keeps its rows.
    EXPECT_EQ(win->Sheet->GetCellColor(0, 2), TColor(255));
    EXPECT_EQ(win->Sheet->rowCount(), 7);

    // Free again: the next ticks see both changes.
    held.release();
    win->ColourNowTimerTimer();
    EXPECT_EQ(win->Sheet->GetCellColor(0, 5), TColor(255));
    EXPECT_EQ(win->Sheet->GetCellColor(0, 2), win->Sheet->FixedColor());
    win->ForceShutdownWatchDogTimer();
    EXPECT_TRUE(win->Closed());
}

TEST_F(MainWatch, ARunOnAFileAnotherProgramHoldsWaitsOnceAndBooksNothingItCannot)
{
    // A short wait keeps the test quick; the run must pay it once only.
    win->data.ADOConnection.setBusyTimeout(300);
    win->data.connectTo(path);
    win->data.openTables();
    win->InitMainWindow();
    ui->answer([](QDialog& d) {
        d.findChild<QLineEdit*>(QStringLiteral("question"))->setText(QStringLiteral("exams"));
        return mrOk;
    });
    win->Sheet->setSelection({4, 1, 7, 6});   // 24 cells, Thursday to Sunday
    QElapsedTimer t;
    {
        HeldFile held(db());
        t.start();
        win->Bookitem1Click();
    }
    const qint64 took = t.elapsed();
    EXPECT_GE(took, 250);
    EXPECT_LT(took, 1500) << "the run waited for the file more than once";
    EXPECT_EQ(ui->alerts, QStringList{MainMessages::BookingsBusy});
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM bookings")), 0);
    const QString report = reportText();
    EXPECT_EQ(report.count(MainMessages::CellNotBooked), 24);
    EXPECT_FALSE(StatusForm()->isVisible());
    for (int c = 4; c <= 7; ++c)
        EXPECT_EQ(win->Sheet->cells(c, 1), QString()) << c;

    // Free again: the same run books every cell and says nothing.
    ui->alerts.clear();
    ui->answer([](QDialog& d) {
        d.findChild<QLineEdit*>(QStringLiteral("question"))->setText(QStringLiteral("exams"));
        return mrOk;
    });
    win->Sheet->setSelection({4, 1, 7, 6});
    win->Bookitem1Click();
    EXPECT_TRUE(ui->alerts.isEmpty());
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM bookings")), 24);

    // Cancelling on a held file: one wait, one message, nothing deleted.
    ui->answer(mrOk);
    win->Sheet->setSelection({4, 1, 7, 6});
    {
        HeldFile held(db());
        t.start();
        win->CancelSelectedPeriods1Click();
        EXPECT_LT(t.elapsed(), 1500);
    }
    EXPECT_EQ(ui->alerts, QStringList{MainMessages::CancelBusy});
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM bookings")), 24);

    // Held for writing only: the reads go on, the first write waits once
    // and the run stops there; the sheet, read again, shows the bookings.
    ui->alerts.clear();
    ui->answer([](QDialog& d) {
        d.findChild<QLineEdit*>(QStringLiteral("question"))->setText(QStringLiteral("other"));
        return mrOk;
    });
    win->Sheet->setSelection({4, 1, 7, 6});
    {
        HeldFile held(db(), false);
        t.start();
        win->Bookitem1Click();
        EXPECT_LT(t.elapsed(), 1500);
    }
    EXPECT_EQ(ui->alerts, QStringList{MainMessages::BookingsBusy});
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM bookings WHERE forReason = 'exams'")), 24);
    EXPECT_EQ(win->Sheet->cells(4, 1), QStringLiteral("BOB\rexams"));
}
