// The client's start-up from the command line to the shown main window:
// its refusals and their messages, the control row, the schema check, the
// seeding of a new database, the reports decision and the log-on outcomes.
#include "DbError.h"
#include "Lookups.h"
#include "InstallSettings.h"
#include "Seeding.h"
#include "StatusWindows.h"
#include "StartFixture.h"
#include "alterfrm.h"
#include "findbookingfrm.h"
#include "lookupcatfrm.h"
#include "permanentfrm.h"
#include "usersonlinefrm.h"

#include <QImage>
#include <QLabel>

namespace M = StartupMessages;

using StartUp = StartFixture;

TEST_F(StartUp, HelpShowsOnlyTheHelpBox)
{
    QFile::remove(path);   // not even a missing database is noticed
    ui->answer(mrCancel);
    EXPECT_EQ(start({QStringLiteral("/ENABLELOGIN"), QStringLiteral("/?"), QStringLiteral("/LOGIN")}),
              StartupOutcome::HelpShown);
    EXPECT_EQ(ui->shown, QStringList{QStringLiteral("cmdLineHelpFrm")});
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(win->data.ADOConnection.isOpen());
    EXPECT_FALSE(QDir(settingsDir).exists());
    EXPECT_FALSE(win->isVisible());
}

TEST_F(StartUp, MissingDatabaseGivesTwoMessagesAndCreatesNothing)
{
    SetDM(nullptr);
    dm.reset();
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(start(), StartupOutcome::DataMissing);
    EXPECT_EQ(ui->alerts, (QStringList{QStringLiteral("Database Error: Unable to Find \"DATA.MDB\" Make sure it is "
                                                      "in the same folder as \"PLAXON.EXE\""),
                                       QStringLiteral("Unable to continue. Program must terminate")}));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(InstallSettings::readInstallFolder().isEmpty());
}

TEST_F(StartUp, GarbageDatabaseCannotConnect)
{
    SetDM(nullptr);
    dm.reset();
    ASSERT_TRUE(QFile::remove(path));
    writeFile(QStringLiteral("data.mdb"), QByteArray(4096, 'g'));
    EXPECT_EQ(start(), StartupOutcome::ConnectFailed);
    EXPECT_EQ(ui->alerts, (QStringList{M::CannotConnect, M::MustTerminate}));
    EXPECT_EQ(M::CannotConnect, QStringLiteral("Database Error: Unable to Connect. Database may be open exclusivly. "
                                               "Read/Write of Database file cannot occur"));
    EXPECT_TRUE(InstallSettings::readInstallFolder().isEmpty());
}

TEST_F(StartUp, SettingsValueWrittenAndItsFailureEnds)
{
    seedDefaults();
    EXPECT_EQ(InstallSettings::readInstallFolder(), AppFolder);
    EXPECT_TRUE(AppFolder.endsWith(QLatin1Char('/')));

    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path + QStringLiteral("/below-a-file"));
    EXPECT_EQ(start(), StartupOutcome::SettingsFailed);
    ASSERT_EQ(ui->alerts.size(), 1);
    EXPECT_TRUE(ui->alerts[0].startsWith(QStringLiteral("Unable to store the program folder in the settings")));
    EXPECT_FALSE(win->ForceShutdownWatchDog->isActive());
}

TEST_F(StartUp, MissingSystemTableEndsWithItsError)
{
    db().exec(QStringLiteral("DROP TABLE System"));
    EXPECT_EQ(start(), StartupOutcome::SystemTableFailed);
    ASSERT_EQ(ui->alerts.size(), 1);
    EXPECT_TRUE(ui->alerts[0].startsWith(QStringLiteral("Database Error: Unable to open the System table: ")));
}

TEST_F(StartUp, ControlRowRefusals)
{
    seedDefaults();
    db().exec(QStringLiteral("UPDATE System SET denylogin = 1, reason = 'Exams'"));
    EXPECT_EQ(start(), StartupOutcome::LoginDenied);
    EXPECT_EQ(ui->alerts, QStringList{QStringLiteral("Login Denied: Exams")});
    EXPECT_FALSE(win->ForceShutdownWatchDog->isActive());

    ui->alerts.clear();
    db().exec(QStringLiteral("UPDATE System SET denylogin = 0, forceshutdown = 1, user = 'BOB', reason = 'Upgrade'"));
    bool timerWasActive = false;
    int interval = 0;
    ModalSeam::push([&](QDialog& d) {
        ui->alerts << qobject_cast<Talertfrm*>(&d)->Msg->text();
        timerWasActive = win->ShutDownTimer->isActive();
        interval = win->ShutDownTimer->interval();
        // The timer fires while the box is open: the window closes.
        win->ShutDownTimerTimer();
        return mrClosed;
    });
    EXPECT_EQ(start(), StartupOutcome::ForcedShutdown);
    EXPECT_EQ(ui->alerts, QStringList{QStringLiteral("Forced Shutdown by BOB. Reason: Upgrade")});
    EXPECT_TRUE(timerWasActive);
    EXPECT_EQ(interval, 10000);
    EXPECT_TRUE(ProgramEnding);
    EXPECT_FALSE(win->ForceShutdownWatchDog->isActive());
    EXPECT_FALSE(win->isVisible());
}

TEST_F(StartUp, EnableLoginClearsBothFlagsAndKeepsTheRest)
{
    seedDefaults();
    db().exec(QStringLiteral("UPDATE System SET denylogin = 1, forceshutdown = 1, user = 'BOB', reason = 'Upgrade'"));
    ui->answer(logon(QStringLiteral("admin"), QStringLiteral("secret")));
    EXPECT_EQ(start({QStringLiteral("/enablelogon")}), StartupOutcome::Running);
    EXPECT_EQ(ui->alerts, QStringList{M::LoginEnabled});
    EXPECT_EQ(M::LoginEnabled, QStringLiteral("Login to Tavrell has been enabled"));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM System WHERE denylogin = 0 AND forceshutdown = 0 "
                                   "AND user = 'BOB' AND reason = 'Upgrade'")),
              1);
    EXPECT_TRUE(win->isVisible());
}

TEST_F(StartUp, EmptyControlTableReadsClearAndIsNeverInvented)
{
    seedDefaults();
    db().exec(QStringLiteral("DELETE FROM System"));
    ui->answer(logon(QStringLiteral("ADMIN"), QStringLiteral("secret")));
    EXPECT_EQ(start({QStringLiteral("/ENABLELOGIN")}), StartupOutcome::Running);
    EXPECT_EQ(ui->alerts, QStringList{M::LoginEnabled});
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM System")), 0);
}

TEST_F(StartUp, ShutdownWithoutANameLetsTheStartGoOn)
{
    seedDefaults();
    db().exec(QStringLiteral("UPDATE System SET forceshutdown = 1, user = '', reason = 'x'"));
    ui->answer(logon(QStringLiteral("ADMIN"), QStringLiteral("secret")));
    EXPECT_EQ(start(), StartupOutcome::Running);
    EXPECT_TRUE(ui->alerts.isEmpty());
    EXPECT_TRUE(win->ForceShutdownWatchDog->isActive());
    EXPECT_EQ(win->ForceShutdownWatchDog->interval(), 5000);
}

TEST_F(StartUp, SchemaLevelMustBe5C)
{
    for (const QVariant& level : {QVariant(QStringLiteral("5B")), QVariant(QStringLiteral("5c")), QVariant()}) {
        db().exec(QStringLiteral("UPDATE config SET dbVer = ?"), {level});
        ui->alerts.clear();
        EXPECT_EQ(start(), StartupOutcome::SchemaOutdated) << level.toString().toStdString();
        EXPECT_EQ(ui->alerts, QStringList{QStringLiteral("Database Error: This version of Tavrell expects a more "
                                                         "recent database. Run the database extender tool (MORVANE)")});
    }
    db().exec(QStringLiteral("DELETE FROM config"));
    ui->alerts.clear();
    EXPECT_EQ(start(), StartupOutcome::SchemaOutdated);
    EXPECT_EQ(ui->alerts, QStringList{M::SchemaOutdated});
    // Nothing was seeded by the refused starts.
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users")), 0);
}

TEST_F(StartUp, MissingTableGivesOneMessage)
{
    db().exec(QStringLiteral("DROP TABLE bookings"));
    EXPECT_EQ(start(), StartupOutcome::TablesFailed);
    EXPECT_EQ(ui->alerts, QStringList{M::CannotConnect});
}

TEST_F(StartUp, FirstStartSeedsTheDefaultRowsAndTheNextNone)
{
    // Cancelling the mandatory password dialog is not accepted.
    ui->answer(mrCancel);
    ui->answer(setPassword(QStringLiteral("newpass")));
    ui->answer(logon(QStringLiteral("admin"), QStringLiteral("NEWPASS")));
    EXPECT_EQ(start(), StartupOutcome::Running);
    EXPECT_EQ(ui->alerts, (QStringList{QStringLiteral("An Administrator account has to be setup. Click OK to load "
                                                      "Password Screen"),
                                       QStringLiteral("You must provide a password")}));
    EXPECT_EQ(ui->shown.count(QStringLiteral("chgpassfrm")), 2);

    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users WHERE username = 'ADMIN' AND accesslevel = 250 "
                                   "AND canAdministerUsers AND canRunMaintaince AND canModifyBookings "
                                   "AND canMakePermanentBookings AND canFlushBookings AND canModifyItems "
                                   "AND canModifyCatergories AND canForceShutdown AND ForcePassword "
                                   "AND canMakeBookings AND isStaff AND canModifyPeriod AND isAdministrator "
                                   "AND NOT canOverrideBookingLimit AND NOT canCirculate "
                                   "AND FullName = 'Administrator Account'")),
              1);
    EXPECT_TRUE(CheckPassword(QStringLiteral("ADMIN"), QStringLiteral("newpass")));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users WHERE username = ? AND Hide = 1 "
                                   "AND FullName = 'Profile User' AND ExpiresOn LIKE '2026-03-04%'"),
                    {ProfileUserName}),
              1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM periods")), 12);
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT group_concat(period || '=' || \"order\" || '@' || StartTime, ' ') "
                                         "FROM (SELECT * FROM periods ORDER BY \"order\")"))
                  .toString(),
              QStringLiteral("BS=1@00:00:00 FM=2@08:50:00 P1=3@09:00:00 P2=4@09:40:00 P3=5@10:20:00 "
                             "FB=6@11:00:00 P4=7@11:50:00 P5=8@12:30:00 SB=9@13:10:00 P6=10@13:40:00 "
                             "P7=11@14:20:00 AS=12@15:00:00"));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM catergories WHERE CaterGoryName = 'Miscellaneous' "
                                   "AND Description = 'Items not in any other catergories'")),
              1);
    EXPECT_TRUE(win->isVisible());
    EXPECT_EQ(CurrentUser, QStringLiteral("admin"));
    EXPECT_EQ(pauses, QList<int>{1000});

    // The next start creates nothing and asks nothing.
    win->hide();
    db().exec(QStringLiteral("UPDATE Users SET Online = 0"));
    ui->alerts.clear();
    ui->shown.clear();
    ui->answer(logon(QStringLiteral("ADMIN"), QStringLiteral("newpass")));
    EXPECT_EQ(start(), StartupOutcome::Running);
    EXPECT_TRUE(ui->alerts.isEmpty());
    EXPECT_EQ(ui->shown, QStringList{QStringLiteral("logonfrm")});
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users")), 2);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM periods")), 12);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM catergories")), 1);
}

TEST_F(StartUp, PartialDatabasesGetOnlyWhatIsMissing)
{
    db().exec(QStringLiteral("INSERT INTO periods (period, \"order\", StartTime) VALUES ('Only', 1, '09:00:00')"));
    db().exec(QStringLiteral("INSERT INTO catergories (CaterGoryName) VALUES ('MISCELLANEOUS')"));
    addUser({QStringLiteral("ADMIN"), 250});
    db().exec(QStringLiteral("UPDATE Users SET password = ? WHERE username = 'ADMIN'"),
              {Scramble(QStringLiteral("SECRET"))});
    ui->answer(logon(QStringLiteral("ADMIN"), QStringLiteral("secret")));
    EXPECT_EQ(start(), StartupOutcome::Running);
    EXPECT_TRUE(ui->alerts.isEmpty());
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM periods")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM catergories")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users")), 2);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users WHERE username = ?"), {ProfileUserName}), 1);
}

TEST_F(StartUp, RefusedAdminInsertEditsNoOtherUser)
{
    addUser({QStringLiteral("BOB"), 10});
    db().exec(QStringLiteral("CREATE TRIGGER no_admin BEFORE INSERT ON Users WHEN upper(NEW.username) = 'ADMIN' "
                             "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    ui->answer(logon(QStringLiteral("BOB"), QStringLiteral("x")));
    EXPECT_EQ(start(), StartupOutcome::LogonFailed);
    EXPECT_EQ(ui->alerts, (QStringList{M::AdminSetup,
                                       QStringLiteral("Unable to Create Administrator Account \"ADMIN\". Possibly "
                                                      "due to a Database Error"),
                                       QStringLiteral("Incorrect Username or Password"), M::UnsuccessfulLogin}));
    // No password dialog, and BOB kept his own level and rights.
    EXPECT_EQ(ui->shown.count(QStringLiteral("chgpassfrm")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users WHERE username = 'BOB' AND accesslevel = 10 "
                                   "AND NOT isAdministrator AND NOT Hide AND ExpiresOn IS NULL")),
              1);
}

TEST_F(StartUp, ReportsDecision)
{
    seedDefaults();
    const struct {
        bool files;
        bool disable;
        bool enabled;
        bool message;
    } cases[] = {{true, false, true, false}, {true, true, false, false}, {false, false, false, true},
                 {false, true, false, false}};
    for (const auto& c : cases) {
        if (c.files)
            installReportFiles();
        else
            QFile::remove(AppFolder + QStringLiteral("reports/footer.htm"));
        ui->alerts.clear();
        win->hide();
        db().exec(QStringLiteral("UPDATE Users SET Online = 0"));
        ui->answer(logon(QStringLiteral("ADMIN"), QStringLiteral("secret")));
        QStringList args;
        if (c.disable)
            args << QStringLiteral("/DISABLEREPORTS");
        EXPECT_EQ(start(args), StartupOutcome::Running);
        EXPECT_EQ(ReportsEnabled, c.enabled);
        EXPECT_EQ(ui->alerts, c.message ? QStringList{QStringLiteral("Report Files Missing: Report Operations will "
                                                                     "be disabled")}
                                        : QStringList{});
    }
}

TEST_F(StartUp, BackgroundPicture)
{
    seedDefaults();
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(dir.filePath(QStringLiteral("bg.bmp")), "BMP"));
    ui->answer(logon(QStringLiteral("ADMIN"), QStringLiteral("secret")));
    EXPECT_EQ(start(), StartupOutcome::Running);
    EXPECT_FALSE(win->bg.isNull());
    // Each window shows the picture over its whole client area, the booking
    // dialogs and the category picker as much as the others.
    const std::pair<const char*, TFormBase*> windows[] = {
        {"logon", LogonForm()}, {"alert", AlertForm()}, {"users online", UsersOnlineForm()},
        {"category picker", LookupCatForm()}, {"alter booking", AlterBookingForm()}, {"replicate", ReplicateForm()},
        {"permanent booking", CreatePermanentBookingForm()}, {"find spare booking", FindBookingForm()},
        {"move booking", MoveForm()}, {"cancel mass bookings", CancelMassForm()}};
    for (const auto& [name, form] : windows) {
        const QImage shown = form->grab().toImage();
        EXPECT_EQ(shown.pixelColor(2, 2), QColor(Qt::red)) << name;
        EXPECT_EQ(shown.pixelColor(shown.width() - 3, shown.height() - 3), QColor(Qt::red)) << name;
    }

    win->hide();
    win->ForceShutdownWatchDog->stop();
    writeFile(QStringLiteral("bg.bmp"), "not a picture");
    EXPECT_EQ(start(), StartupOutcome::BackgroundUnreadable);
    ASSERT_EQ(ui->alerts.size(), 1);
    EXPECT_EQ(ui->alerts[0], QStringLiteral("Unable to read the background picture \"%1bg.bmp\"").arg(AppFolder));
    EXPECT_FALSE(win->ForceShutdownWatchDog->isActive());
}

TEST_F(StartUp, LogonOutcomes)
{
    seedDefaults();
    // A failed log-on.
    ui->answer(logon(QStringLiteral("ADMIN"), QStringLiteral("wrong")));
    EXPECT_EQ(start(), StartupOutcome::LogonFailed);
    EXPECT_EQ(ui->alerts, (QStringList{QStringLiteral("Incorrect Username or Password"),
                                       QStringLiteral("Unsuccessful Login")}));
    EXPECT_FALSE(win->isVisible());

    // An expired account: the message, and not marked online.
    addUser({QStringLiteral("OLD"), 10});
    db().exec(QStringLiteral("UPDATE Users SET Expires = 1, ExpiresOn = '2026-03-01 00:00:00', password = ? "
                             "WHERE username = 'OLD'"),
              {Scramble(QStringLiteral("PW"))});
    ui->alerts.clear();
    ui->answer(logon(QStringLiteral("old"), QStringLiteral("pw")));
    EXPECT_EQ(start(), StartupOutcome::AccountExpired);
    EXPECT_EQ(ui->alerts, QStringList{QStringLiteral("Your user account to use the booking system has expired. "
                                                     "Contact your administrator")});
    EXPECT_EQ(count(QStringLiteral("SELECT Online FROM Users WHERE username = 'OLD'")), 0);

    // A user already online is let in all the same.
    db().exec(QStringLiteral("UPDATE Users SET Online = 1 WHERE username = 'ADMIN'"));
    ui->alerts.clear();
    ui->answer(logon(QStringLiteral("ADMIN"), QStringLiteral("secret")));
    EXPECT_EQ(start(), StartupOutcome::Running);
    EXPECT_TRUE(ui->alerts.isEmpty());
    EXPECT_TRUE(win->isVisible());
}

TEST_F(StartUp, ShutdownDuringTheLogonDialogEndsWithoutGoingOnline)
{
    seedDefaults();
    ui->answer([this](QDialog& d) {
        // Another user orders a shutdown while the dialog is open; the
        // watch reacts, its message is shown and the window closes.
        second().ADOConnection.exec(
            QStringLiteral("UPDATE System SET forceshutdown = 1, user = 'JANE', reason = 'Now'"));
        win->ForceShutdownWatchDogTimer();
        d.findChild<QLineEdit*>(QStringLiteral("username"))->setText(QStringLiteral("ADMIN"));
        d.findChild<QLineEdit*>(QStringLiteral("password"))->setText(QStringLiteral("secret"));
        return mrOk;
    });
    EXPECT_EQ(start(), StartupOutcome::Ended);
    EXPECT_EQ(ui->alerts, QStringList{QStringLiteral("Forced Shutdown by JANE. Reason: Now")});
    EXPECT_FALSE(LoggedIn);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users WHERE Online = 1")), 0);
    EXPECT_FALSE(win->isVisible());
}

TEST_F(StartUp, AnErrorFillingTheMainWindowLeavesTheUserOffline)
{
    seedDefaults();
    // The main window cannot be filled: the error is shown, the window
    // stays hidden and the user who was just marked online goes offline.
    class FailingHost : public MainWindowHost {
    public:
        using MainWindowHost::MainWindowHost;
        void initMainWindow() override { throw DbError(QStringLiteral("disk I/O error")); }
    } failing(*win);
    ui->answer(logon(QStringLiteral("ADMIN"), QStringLiteral("secret")));
    EXPECT_EQ(RunStartup(failing, {}), StartupOutcome::Failed);
    EXPECT_EQ(ui->alerts, QStringList{QStringLiteral("disk I/O error")});
    EXPECT_FALSE(win->isVisible());
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users WHERE Online = 1")), 0);
}

TEST(DefaultPeriods, ClockTimes)
{
    EXPECT_EQ(ParseClockTime(QStringLiteral("12:00 am")), QTime(0, 0));
    EXPECT_EQ(ParseClockTime(QStringLiteral("12:30 pm")), QTime(12, 30));
    EXPECT_EQ(ParseClockTime(QStringLiteral("1:10 pm")), QTime(13, 10));
    EXPECT_EQ(ParseClockTime(QStringLiteral("8:50 am")), QTime(8, 50));
    EXPECT_FALSE(ParseClockTime(QStringLiteral("13:00 pm")).isValid());
    EXPECT_FALSE(ParseClockTime(QStringLiteral("9:00")).isValid());
}

TEST_F(StartUp, FatalMessagesShowOverTheSplashWhichGoesAtTheEnd)
{
    seedDefaults();
    db().exec(QStringLiteral("UPDATE System SET denylogin = 1, reason = 'Exams'"));
    QList<bool> splashShown;
    ModalSeam::push([&](QDialog& d) {
        ui->alerts << qobject_cast<Talertfrm*>(&d)->Msg->text();
        splashShown << SplashForm()->isVisible();
        return mrClosed;
    });
    EXPECT_EQ(start(), StartupOutcome::LoginDenied);
    EXPECT_EQ(ui->alerts, QStringList{QStringLiteral("Login Denied: Exams")});
    EXPECT_EQ(splashShown, QList<bool>{true});
    EXPECT_FALSE(SplashForm()->isVisible());
    EXPECT_EQ(SplashForm()->statuslabel->textFormat(), Qt::PlainText);
}
