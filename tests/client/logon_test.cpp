// Log-on, automatic and through the dialog, and self-registration.
#include "LogOn.h"
#include "LogonMessages.h"
#include "StartFixture.h"
#include "autoregfrm.h"
#include "logonfrm.h"

namespace {

class LogonTest : public StartFixture {
protected:
    void SetUp() override
    {
        StartFixture::SetUp();
        SetDM(&win->data);
        win->data.connectTo(path);
        win->data.openTables();
        // A template user with level 20, staff, allowed to book.
        db().exec(QStringLiteral("INSERT INTO Users (username, FullName, accesslevel, isStaff, canMakeBookings, "
                                 "canModifyPeriod, Hide, password) VALUES (?, 'Profile User', 20, 1, 1, 1, 1, ?)"),
                  {ProfileUserName, Scramble(QStringLiteral(".QUORLEN"))});
        addAccount(QStringLiteral("JSMITH"), QStringLiteral("JPASS"));
        addAccount(QStringLiteral("BOB"), QStringLiteral("BPASS"));
        AutoRegForm()->fullname->clear();
        AutoRegForm()->pass1->clear();
        AutoRegForm()->pass2->clear();
        LogonForm()->password->clear();
    }

    void addAccount(const QString& name, const QString& password, bool forcePassword = false)
    {
        addUser({name, 10});
        db().exec(QStringLiteral("UPDATE Users SET password = ?, ForcePassword = ? WHERE username = ?"),
                  {Scramble(password), forcePassword ? 1 : 0, name});
    }

    // Fills the registration dialog and presses "Register New Account";
    // "Cancel Registration" when that left it open.
    static UiScript::Answer registration(const QString& name, const QString& fullName, const QString& p1,
                                         const QString& p2)
    {
        return [=](QDialog& d) {
            auto* user = d.findChild<QLineEdit*>(QStringLiteral("username"));
            if (!user->isReadOnly())
                user->setText(name);
            d.findChild<QLineEdit*>(QStringLiteral("fullname"))->setText(fullName);
            d.findChild<QLineEdit*>(QStringLiteral("pass1"))->setText(p1);
            d.findChild<QLineEdit*>(QStringLiteral("pass2"))->setText(p2);
            QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
            if (d.isVisible())
                QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("Button2")), Qt::LeftButton);
            return mrClosed;
        };
    }

    int users(const QString& name)
    {
        return count(QStringLiteral("SELECT count(*) FROM Users WHERE username = ?"), {name});
    }
};

} // namespace

TEST_F(LogonTest, ModeDecidesAutomaticPathOrDialog)
{
    const struct {
        bool autoLogin, promptPassword, forcePassword, loginSwitch;
        bool automatic, nameFixed;
    } cases[] = {
        {true, false, false, false, true, false},    // first mode
        {true, false, true, false, false, true},     // the OS user must give a password
        {true, false, false, true, false, false},    // "/LOGIN"
        {true, false, true, true, false, true},
        {true, true, false, false, false, true},     // second mode
        {false, false, false, false, false, false},  // third mode
        {false, false, true, false, false, true},
    };
    for (const auto& c : cases) {
        setConfig(c.autoLogin, c.promptPassword, false);
        db().exec(QStringLiteral("UPDATE Users SET ForcePassword = ? WHERE username = 'JSMITH'"),
                  {c.forcePassword ? 1 : 0});
        StartupSwitches = TStartupSwitches();
        StartupSwitches.PromptForLogon = c.loginSwitch;
        ui->shown.clear();
        bool fixed = false;
        bool focusOnPassword = false;
        ui->answer([&](QDialog& d) {
            auto* f = static_cast<Tlogonfrm*>(&d);
            fixed = f->username->isReadOnly();
            focusOnPassword = f->focusWidget() == f->password;
            if (fixed)
                EXPECT_EQ(f->username->text(), QStringLiteral("jsmith"));
            else
                EXPECT_TRUE(f->username->text().isEmpty());
            return mrCancel;
        });
        CurrentUser.clear();
        LogOn();
        if (c.automatic) {
            EXPECT_TRUE(ui->shown.isEmpty());
            EXPECT_TRUE(LoggedIn);
            EXPECT_EQ(CurrentUser, QStringLiteral("jsmith"));   // as the system gives it
            ui->answers.clear();
        } else {
            EXPECT_EQ(ui->shown, QStringList{QStringLiteral("logonfrm")});
            EXPECT_FALSE(LoggedIn);
            EXPECT_EQ(fixed, c.nameFixed);
            EXPECT_EQ(focusOnPassword, c.nameFixed);
        }
    }
}

TEST_F(LogonTest, AutomaticPathWithCredentials)
{
    setConfig(true, false, false);
    StartupSwitches.CredentialsGiven = true;
    StartupSwitches.SwitchUser = QStringLiteral("BOB");
    StartupSwitches.SwitchPassword = QStringLiteral("BPASS");
    LogOn();
    EXPECT_TRUE(LoggedIn);
    EXPECT_EQ(CurrentUser, QStringLiteral("BOB"));

    CurrentUser.clear();
    StartupSwitches.SwitchPassword = QStringLiteral("WRONG");
    LogOn();
    EXPECT_FALSE(LoggedIn);
    EXPECT_TRUE(CurrentUser.isEmpty());

    StartupSwitches.SwitchPassword.clear();   // "/USER:" alone
    LogOn();
    EXPECT_FALSE(LoggedIn);
    EXPECT_TRUE(ui->shown.isEmpty());
    EXPECT_TRUE(ui->alerts.isEmpty());
}

TEST_F(LogonTest, AutomaticPathUnknownUser)
{
    setConfig(true, false, false);
    osUser = QStringLiteral("newbie");
    LogOn();
    EXPECT_FALSE(LoggedIn);
    EXPECT_EQ(ui->alerts, QStringList{QStringLiteral("Unable to find your username in the Tavrell")});
    EXPECT_TRUE(ui->shown.filter(QStringLiteral("autoregfrm")).isEmpty());

    // With self-registration: the system's name, fixed, even when "/USER:"
    // named someone else; the focus on the full name.
    setConfig(true, false, true);
    StartupSwitches.CredentialsGiven = true;
    StartupSwitches.SwitchUser = QStringLiteral("GHOST");
    ui->alerts.clear();
    bool focusOnFullName = false;
    ui->answer([&](QDialog& d) {
        auto* f = static_cast<Tautoregfrm*>(&d);
        EXPECT_TRUE(f->username->isReadOnly());
        EXPECT_EQ(f->username->text(), QStringLiteral("newbie"));
        focusOnFullName = f->focusWidget() == f->fullname;
        return registration({}, QStringLiteral("New Person"), QStringLiteral("hello"), QStringLiteral("hello"))(d);
    });
    LogOn();
    EXPECT_TRUE(focusOnFullName);
    EXPECT_TRUE(LoggedIn);
    EXPECT_EQ(CurrentUser, QStringLiteral("newbie"));
    EXPECT_EQ(users(QStringLiteral("NEWBIE")), 1);

    // Cancelling the registration logs nobody on.
    osUser = QStringLiteral("other");
    CurrentUser.clear();
    ui->answer(mrCancel);
    LogOn();
    EXPECT_FALSE(LoggedIn);
    EXPECT_EQ(users(QStringLiteral("OTHER")), 0);
}

TEST_F(LogonTest, DialogChecksAndRetries)
{
    setConfig(false, false, false);
    ui->answer(logon({{QString(), QString()},
                      {QStringLiteral("bob"), QString()},
                      {QStringLiteral("bob"), QStringLiteral("wrong")},
                      {QStringLiteral("bOb"), QStringLiteral("bpass")}}));
    LogOn();
    EXPECT_EQ(ui->alerts, (QStringList{QStringLiteral("Username cannot be empty"),
                                       QStringLiteral("Password cannot be empty"),
                                       QStringLiteral("Incorrect Username or Password")}));
    EXPECT_EQ(pauses, QList<int>{500});
    EXPECT_TRUE(LoggedIn);
    EXPECT_EQ(CurrentUser, QStringLiteral("bOb"));   // as typed

    // Exit, Escape and the frame close all leave the user logged off.
    for (const auto& leave : std::vector<UiScript::Answer>{
             [](QDialog& d) {
                 QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("Button2")), Qt::LeftButton);
                 return mrClosed;
             },
             [](QDialog& d) {
                 QTest::keyClick(&d, Qt::Key_Escape);
                 return mrClosed;
             },
             [](QDialog& d) {
                 d.close();
                 return 99;
             }}) {
        CurrentUser.clear();
        ui->answer(leave);
        LogOn();
        EXPECT_FALSE(LoggedIn);
        EXPECT_TRUE(CurrentUser.isEmpty());
    }
}

TEST_F(LogonTest, TemplateUserNeverLogsOn)
{
    setConfig(false, false, false);
    ui->answer(logon(ProfileUserName, QStringLiteral(".quorlen")));
    LogOn();
    EXPECT_FALSE(LoggedIn);
    EXPECT_EQ(ui->alerts, QStringList{LogonMessages::Incorrect});

    // Nor on the automatic path, by command line or as the system's user.
    setConfig(true, false, false);
    StartupSwitches.CredentialsGiven = true;
    StartupSwitches.SwitchUser = ProfileUserName;
    StartupSwitches.SwitchPassword = QStringLiteral(".QUORLEN");
    ui->alerts.clear();
    LogOn();
    EXPECT_FALSE(LoggedIn);
    StartupSwitches = TStartupSwitches();
    osUser = ProfileUserName;
    LogOn();
    EXPECT_FALSE(LoggedIn);
    // Both times the name is as unknown as any other.
    EXPECT_EQ(ui->alerts, (QStringList{LogonMessages::UnknownUser, LogonMessages::UnknownUser}));
}

TEST_F(LogonTest, NewUserButtonFollowsTheConfigurationAtEveryShowing)
{
    setConfig(false, false, true);
    bool visible = false;
    ui->answer([&](QDialog& d) {
        visible = d.findChild<QPushButton*>(QStringLiteral("newuserbtn"))->isVisible();
        return mrCancel;
    });
    LogOn();
    EXPECT_TRUE(visible);
    setConfig(false, false, false);
    ui->answer([&](QDialog& d) {
        visible = d.findChild<QPushButton*>(QStringLiteral("newuserbtn"))->isVisible();
        return mrCancel;
    });
    LogOn();
    EXPECT_FALSE(visible);
}

TEST_F(LogonTest, RegistrationFromTheDialogThenLogOn)
{
    setConfig(false, false, true);
    ui->answer([](QDialog& d) {
        QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("newuserbtn")), Qt::LeftButton);
        // The new account exists; log on with it in other letter case.
        d.findChild<QLineEdit*>(QStringLiteral("username"))->setText(QStringLiteral("carol"));
        d.findChild<QLineEdit*>(QStringLiteral("password"))->setText(QStringLiteral("CAROL1"));
        QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
        return mrClosed;
    });
    int result = 0;
    ui->answer([&](QDialog& d) {
        auto* f = static_cast<Tautoregfrm*>(&d);
        EXPECT_FALSE(f->username->isReadOnly());
        EXPECT_TRUE(f->username->text().isEmpty());
        EXPECT_EQ(f->focusWidget(), f->username);
        registration(QStringLiteral("Carol"), QStringLiteral("Carol Jones"), QStringLiteral("carol1"),
                     QStringLiteral("carol1"))(d);
        result = d.result();
        return mrClosed;
    });
    LogOn();
    EXPECT_EQ(result, mrOk);
    EXPECT_TRUE(LoggedIn);
    EXPECT_EQ(CurrentUser, QStringLiteral("carol"));
    // Stored upper-cased, with the template's values but not its period right.
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users WHERE username = 'CAROL' AND FullName = 'Carol Jones' "
                                   "AND accesslevel = 20 AND isStaff = 1 AND canMakeBookings = 1 "
                                   "AND canModifyPeriod = 0 AND Hide = 0")),
              1);
}

TEST_F(LogonTest, RegistrationChecks)
{
    const struct {
        QString name, fullName, p1, p2, message;
    } cases[] = {
        {QString(), QString(), QString(), QString(), QStringLiteral("Username cannot be blank")},
        {QStringLiteral("dan"), QString(), QString(), QString(), QStringLiteral("You must specify your full name")},
        {QStringLiteral("dan"), QStringLiteral("Dan"), QString(), QString(), QStringLiteral("Password cannot be empty")},
        {QStringLiteral("dan"), QStringLiteral("Dan"), QStringLiteral("abcd"), QStringLiteral("abcd"),
         QStringLiteral("Password must be at least 5 characters")},
        {QStringLiteral("dan"), QStringLiteral("Dan"), QString(21, QLatin1Char('a')), QString(21, QLatin1Char('a')),
         QStringLiteral("Password must be less than 20 character")},
        {QStringLiteral("dan"), QStringLiteral("Dan"), QStringLiteral("abcde"), QStringLiteral("ABCDE"),
         QStringLiteral("Passwords do not match. Make sure your password and your confirmed passwords match")},
        // Taken in other letter case: refused, no second row.
        {QStringLiteral("bob"), QStringLiteral("Bob Two"), QStringLiteral("abcde"), QStringLiteral("abcde"),
         QStringLiteral("Cannot Create User: Possible Cause, User already in Tavrell")},
    };
    for (const auto& c : cases) {
        ui->alerts.clear();
        ui->answer(registration(c.name, c.fullName, c.p1, c.p2));
        EXPECT_EQ(ShowAutoRegistration(true), mrCancel);
        EXPECT_EQ(ui->alerts, QStringList{c.message});
    }
    EXPECT_EQ(users(QStringLiteral("BOB")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users")), 3);

    // The edits take no more than the file holds: 10 characters of name,
    // 50 of full name, however much is typed.
    ui->answer([](QDialog& d) {
        auto* name = d.findChild<QLineEdit*>(QStringLiteral("username"));
        auto* full = d.findChild<QLineEdit*>(QStringLiteral("fullname"));
        QTest::keyClicks(name, QStringLiteral("averylongname"));
        QTest::keyClicks(full, QString(60, QLatin1Char('f')));
        EXPECT_EQ(name->text(), QStringLiteral("averylongn"));
        EXPECT_EQ(full->text().size(), 50);
        return registration(name->text(), full->text(), QStringLiteral("abcde"), QStringLiteral("abcde"))(d);
    });
    EXPECT_EQ(ShowAutoRegistration(true), mrOk);
    EXPECT_EQ(users(QStringLiteral("AVERYLONGN")), 1);

    // Five and twenty characters are accepted.
    for (const QString& pw : {QStringLiteral("abcde"), QString(20, QLatin1Char('z'))}) {
        const QString name = QStringLiteral("U%1").arg(pw.size());
        ui->answer(registration(name, QStringLiteral("Someone"), pw, pw));
        EXPECT_EQ(ShowAutoRegistration(true), mrOk);
        EXPECT_TRUE(CheckPassword(name, pw.toUpper()));
    }
}

TEST_F(LogonTest, SystemNameLongerThanTheFieldIsRefusedWithItsOwnMessage)
{
    osUser = QStringLiteral("christopher.long");
    ui->answer([](QDialog& d) {
        auto* f = static_cast<Tautoregfrm*>(&d);
        // Shown whole, not cut to a name that is someone else's.
        EXPECT_EQ(f->username->text(), QStringLiteral("christopher.long"));
        return registration({}, QStringLiteral("Chris"), QStringLiteral("abcde"), QStringLiteral("abcde"))(d);
    });
    EXPECT_EQ(ShowAutoRegistration(false), mrCancel);
    EXPECT_EQ(ui->alerts, QStringList{LogonMessages::UsernameTooLong});
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users WHERE username LIKE 'CHRIS%'")), 0);
    // Ten characters are still taken.
    osUser = QStringLiteral("tencharsab");
    ui->answer(registration({}, QStringLiteral("Ten"), QStringLiteral("abcde"), QStringLiteral("abcde")));
    EXPECT_EQ(ShowAutoRegistration(false), mrOk);
    EXPECT_EQ(users(QStringLiteral("TENCHARSAB")), 1);
}

TEST_F(LogonTest, FailedTemplateCopyLeavesNoHalfMadeAccount)
{
    // The template's values cannot be written: the account goes too.
    db().exec(QStringLiteral("CREATE TRIGGER no_rights BEFORE UPDATE OF accesslevel ON Users "
                             "WHEN NEW.username = 'EVE' BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    ui->answer(registration(QStringLiteral("eve"), QStringLiteral("Eve"), QStringLiteral("abcde"),
                            QStringLiteral("abcde")));
    EXPECT_EQ(ShowAutoRegistration(true), mrCancel);
    EXPECT_EQ(ui->alerts, QStringList{LogonMessages::CannotCreate});
    EXPECT_EQ(users(QStringLiteral("EVE")), 0);

    // With the trigger gone the same name registers.
    db().exec(QStringLiteral("DROP TRIGGER no_rights"));
    ui->answer(registration(QStringLiteral("eve"), QStringLiteral("Eve"), QStringLiteral("abcde"),
                            QStringLiteral("abcde")));
    EXPECT_EQ(ShowAutoRegistration(true), mrOk);
    EXPECT_EQ(users(QStringLiteral("EVE")), 1);
}

TEST_F(LogonTest, RegistrationWithoutATemplateUserStoresTheAccountWithDefaults)
{
    db().exec(QStringLiteral("DELETE FROM Users WHERE username = ?"), {ProfileUserName});
    ui->answer(registration(QStringLiteral("fay"), QStringLiteral("Fay"), QStringLiteral("abcde"),
                            QStringLiteral("abcde")));
    EXPECT_EQ(ShowAutoRegistration(true), mrOk);
    EXPECT_TRUE(ui->alerts.isEmpty());
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users WHERE username = 'FAY' AND FullName = 'Fay' "
                                   "AND accesslevel = 0 AND canMakeBookings = 0")),
              1);
    EXPECT_TRUE(CheckPassword(QStringLiteral("FAY"), QStringLiteral("ABCDE")));
}

TEST_F(LogonTest, DialogLayout)
{
    Tlogonfrm* f = LogonForm();
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Tavrell Logon"));
    EXPECT_EQ(f->size(), QSize(365, 195));
    EXPECT_EQ(f->Button1->geometry(), QRect(144, 128, 97, 25));
    EXPECT_TRUE(f->Button1->isDefault());
    EXPECT_EQ(f->newuserbtn->text(), QStringLiteral("I'm a &new user"));
    EXPECT_EQ(f->palette().color(QPalette::Window), QColor(0, 74, 149));
    EXPECT_EQ(f->password->echoMode(), QLineEdit::Password);
    EXPECT_EQ(f->password->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, f->password),
              int('*'));
    Tautoregfrm* r = AutoRegForm();
    EXPECT_EQ(r->windowTitle(), QStringLiteral("Automatic Registration"));
    EXPECT_EQ(r->size(), QSize(557, 356));
    EXPECT_EQ(r->Button2->text(), QStringLiteral("Cancel Registration"));
    // Flat controls, buttons included.
    for (QWidget* dialog : {static_cast<QWidget*>(f), static_cast<QWidget*>(r)})
        for (QPushButton* b : dialog->findChildren<QPushButton*>())
            EXPECT_TRUE(b->isFlat()) << b->objectName().toStdString();
}
