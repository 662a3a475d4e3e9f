#include "Accounts.h"
#include "DataFixture.h"
#include "DbError.h"
#include "HostInfo.h"
#include "Lookups.h"
#include "UiScript.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

QString codes(const QString& s)
{
    QStringList out;
    for (const QChar c : s)
        out << QString::number(c.unicode());
    return out.join(QLatin1Char(','));
}

// Scripts the key that the next Scramble draws.
void nextKey(int key)
{
    Random::setScript([key](int) { return key; });
}

class AccountsTest : public DataFixture {
protected:
    void SetUp() override
    {
        DataFixture::SetUp();
        HostInfo::setAddressSource([] { return HostInfo::HostAddress{QStringLiteral("pc7"), QStringLiteral("10.1.2.3")}; });
    }
    void TearDown() override
    {
        HostInfo::setAddressSource(nullptr);
        DataFixture::TearDown();
    }

    QString stored(const QString& user)
    {
        return db().scalar(QStringLiteral("SELECT password FROM Users WHERE username = ?"), {user}).toString();
    }
    QVariant field(const QString& user, const QString& f)
    {
        return db().scalar(QStringLiteral("SELECT \"%1\" FROM Users WHERE username = ?").arg(f), {user});
    }
    void addTemplate(bool flags)
    {
        const int v = flags ? 1 : 0;
        db().exec(QStringLiteral(
                      "INSERT INTO Users (username, FullName, Expires, ExpiresOn, accesslevel, isStudent, isStaff, "
                      "canAdministerUsers, canRunMaintaince, canModifyBookings, canMakePermanentBookings, "
                      "canFlushBookings, canModifyItems, canModifyCatergories, canForceShutdown, ForcePassword, "
                      "canMakeBookings, canCirculate, isAdministrator, canModifyPeriod, canOverrideBookingLimit, "
                      "Hide) VALUES (?, 'Profile User', ?, '2026-01-02 03:04:05', ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                      "?, ?, ?, ?, ?, ?, 1)"),
                  {ProfileUserName, v, flags ? 77 : 3, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v});
    }
};

const char* const copiedFields[] = {
    "Expires", "ExpiresOn", "accesslevel", "isStudent", "isStaff", "canAdministerUsers", "canRunMaintaince",
    "canModifyBookings", "canMakePermanentBookings", "canFlushBookings", "canModifyItems",
    "canModifyCatergories", "canForceShutdown", "ForcePassword", "canMakeBookings", "canCirculate",
    "isAdministrator"};

} // namespace

// ------------------------------------------------------------------ stored form

TEST_F(AccountsTest, ScrambleFormatPutsTheKeyFirstAndAddsItToEveryCode)
{
    nextKey(1);
    EXPECT_EQ(codes(Scramble(QStringLiteral("abc"))), QStringLiteral("1,98,99,100"));
    EXPECT_EQ(Unscramble(QString(QChar(1)) + QStringLiteral("bcd")), QStringLiteral("abc"));

    nextKey(127);
    const QString wrapped = Scramble(QString(QChar(200)));
    EXPECT_EQ(codes(wrapped), QStringLiteral("127,71"));
    EXPECT_EQ(Unscramble(wrapped), QString(QChar(200)));

    nextKey(5);
    EXPECT_EQ(codes(Scramble(QString())), QStringLiteral("5"));
    EXPECT_EQ(Unscramble(QString(QChar(5))), QString());
    EXPECT_EQ(Unscramble(QString()), QString());
}

TEST_F(AccountsTest, EveryCharacterRoundTripsThroughTheDatabaseWhateverTheKey)
{
    QString all;
    for (int c = 0; c < 256; ++c)
        all += QChar(static_cast<char16_t>(c));
    const QString wide = QStringLiteral("Pässwörd€✓") + QString::fromUcs4(U"\U0001F600");
    for (const int key : {0, 1, 64, 127}) {
        for (const QString& pw : {all.left(20), all.mid(100, 20), all.right(20), wide}) {
            nextKey(key);
            const QString s = Scramble(pw);
            db().exec(QStringLiteral("DELETE FROM Users"));
            db().exec(QStringLiteral("INSERT INTO Users (username, password) VALUES ('X', ?)"), {s});
            EXPECT_EQ(stored(QStringLiteral("X")), s) << "key " << key;
            EXPECT_EQ(Unscramble(stored(QStringLiteral("X"))), pw) << "key " << key;
        }
    }
}

TEST_F(AccountsTest, TwoStoresOfOnePasswordDifferAndBothCheck)
{
    Random::setScript(nullptr);
    int keys[] = {3, 90};
    int i = 0;
    Random::setScript([&](int) { return keys[i++ % 2]; });
    const QString a = Scramble(QStringLiteral("secret"));
    const QString b = Scramble(QStringLiteral("secret"));
    EXPECT_NE(a, b);
    EXPECT_EQ(Unscramble(a), Unscramble(b));
}

// ------------------------------------------------------------------ accounts

TEST_F(AccountsTest, AddUserStoresUpperCaseNameAndPasswordWithDefaultsForTheRest)
{
    ASSERT_TRUE(AddUser(QStringLiteral("jsmith"), QStringLiteral("John Smith"), QStringLiteral("Secret1")));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users WHERE username = 'JSMITH' COLLATE BINARY")), 1);
    EXPECT_EQ(Unscramble(stored(QStringLiteral("JSMITH"))), QStringLiteral("SECRET1"));
    EXPECT_EQ(field(QStringLiteral("JSMITH"), QStringLiteral("FullName")).toString(), QStringLiteral("John Smith"));
    EXPECT_EQ(field(QStringLiteral("JSMITH"), QStringLiteral("AuthCode")).toString().size(), 6);
    for (const char* f : copiedFields) {
        if (QLatin1String(f) != QLatin1String("ExpiresOn")) {
            EXPECT_EQ(field(QStringLiteral("JSMITH"), QLatin1String(f)).toInt(), 0) << f;
        }
    }
    for (const char* pw : {"secret1", "SECRET1", "SeCrEt1"}) {
        EXPECT_TRUE(CheckPassword(QStringLiteral("jsmith"), QLatin1String(pw))) << pw;
    }
    EXPECT_FALSE(CheckPassword(QStringLiteral("jsmith"), QStringLiteral("secret2")));
    EXPECT_FALSE(CheckPassword(QStringLiteral("nobody"), QStringLiteral("secret1")));
}

TEST_F(AccountsTest, AddUserRefusesATakenNameInOtherCaseAndLeavesNothingPending)
{
    ASSERT_TRUE(AddUser(QStringLiteral("JSMITH"), QStringLiteral("One"), QStringLiteral("aaaaa")));
    EXPECT_FALSE(AddUser(QStringLiteral("jSmith"), QStringLiteral("Two"), QStringLiteral("bbbbb")));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users")), 1);
    EXPECT_EQ(dm->UserTable.state(), Dataset::State::Browse);
    EXPECT_TRUE(CheckPassword(QStringLiteral("jsmith"), QStringLiteral("aaaaa")));
}

TEST_F(AccountsTest, TheTemplateUserNeverLogsOn)
{
    addTemplate(true);
    nextKey(9);
    db().exec(QStringLiteral("UPDATE Users SET password = ? WHERE username = ?"),
              {Scramble(QStringLiteral(".quorlen")), ProfileUserName});
    EXPECT_FALSE(CheckPassword(ProfileUserName, QStringLiteral(".quorlen")));
    EXPECT_FALSE(CheckPassword(ProfileUserName.toLower(), QStringLiteral(".quorlen")));
    EXPECT_LE(ProfileUserName.size(), 10);
}

TEST_F(AccountsTest, ApplyProfileCopiesTheSeventeenFieldsAndNothingElse)
{
    for (const bool flags : {true, false}) {
        db().exec(QStringLiteral("DELETE FROM Users"));
        addTemplate(flags);
        ASSERT_TRUE(AddUser(QStringLiteral("amy"), QStringLiteral("Amy"), QStringLiteral("aaaaa")));
        // Fields the template must not reach, set opposite to it.
        const int other = flags ? 0 : 1;
        db().exec(QStringLiteral("UPDATE Users SET canModifyPeriod = ?, canOverrideBookingLimit = ?, Hide = ? "
                                 "WHERE username = 'AMY'"),
                  {other, other, 0});
        ASSERT_TRUE(ApplyProfileToUser(QStringLiteral("Amy")));
        for (const char* f : copiedFields)
            EXPECT_EQ(field(QStringLiteral("AMY"), QLatin1String(f)), field(ProfileUserName, QLatin1String(f)))
                << f << " flags " << flags;
        EXPECT_EQ(field(QStringLiteral("AMY"), QStringLiteral("canModifyPeriod")).toInt(), other);
        EXPECT_EQ(field(QStringLiteral("AMY"), QStringLiteral("canOverrideBookingLimit")).toInt(), other);
        EXPECT_EQ(field(QStringLiteral("AMY"), QStringLiteral("Hide")).toInt(), 0);
        EXPECT_EQ(field(QStringLiteral("AMY"), QStringLiteral("FullName")).toString(), QStringLiteral("Amy"));
        EXPECT_TRUE(CheckPassword(QStringLiteral("amy"), QStringLiteral("AAAAA")));
    }
}

TEST_F(AccountsTest, ApplyProfileWithoutTemplateOrUserAnswersFalseAndEditsNothing)
{
    ASSERT_TRUE(AddUser(QStringLiteral("amy"), QStringLiteral("Amy"), QStringLiteral("aaaaa")));
    EXPECT_FALSE(ApplyProfileToUser(QStringLiteral("amy")));
    EXPECT_EQ(dm->UserTable.state(), Dataset::State::Browse);
    EXPECT_EQ(field(QStringLiteral("AMY"), QStringLiteral("accesslevel")).toInt(), 0);
    addTemplate(true);
    EXPECT_FALSE(ApplyProfileToUser(QStringLiteral("nobody")));
}

// ------------------------------------------------------------------ change password

TEST_F(AccountsTest, ChangePasswordForAnUnknownUserSaysSoOnceAndShowsNoDialog)
{
    UiScript ui;
    ChangePassword(QStringLiteral("ghost"), true);
    EXPECT_EQ(ui.alerts, QStringList{AccountMessages::NoUser});
    EXPECT_EQ(ui.shown.size(), 1);
}

TEST_F(AccountsTest, ChangePasswordCancelLeavesThePasswordUnlessOneIsRequired)
{
    ASSERT_TRUE(AddUser(QStringLiteral("amy"), QStringLiteral("Amy"), QStringLiteral("oldpass")));
    const QString before = stored(QStringLiteral("AMY"));
    {
        UiScript ui;
        ui.answer(mrCancel);
        ChangePassword(QStringLiteral("amy"), false);
        EXPECT_TRUE(ui.alerts.isEmpty());
        EXPECT_EQ(stored(QStringLiteral("AMY")), before);
    }
    UiScript ui;
    QStringList fieldsSeen;
    const auto cancel = [&](QDialog& d) {
        auto& f = static_cast<Tchgpassfrm&>(d);
        fieldsSeen << f.username->text() + QLatin1Char('|') + f.pass1->text() + QLatin1Char('|') + f.pass2->text();
        f.pass1->setText(QStringLiteral("typed but"));
        f.pass2->setText(QStringLiteral("cancelled"));
        return mrCancel;
    };
    ui.answer(cancel);
    ui.answer(mrClosed);   // the frame's close button: shown again, no message
    ui.answer([&](QDialog& d) {
        auto& f = static_cast<Tchgpassfrm&>(d);
        fieldsSeen << f.username->text() + QLatin1Char('|') + f.pass1->text() + QLatin1Char('|') + f.pass2->text();
        f.pass1->setText(QStringLiteral("MixedCase9"));
        f.pass2->setText(QStringLiteral("MixedCase9"));
        QTest::mouseClick(f.Button1, Qt::LeftButton);
        return mrClosed;   // the click's own result counts
    });
    ChangePassword(QStringLiteral("amy"), true);
    EXPECT_EQ(ui.alerts, QStringList{AccountMessages::MustProvide});
    EXPECT_EQ(fieldsSeen, (QStringList{QStringLiteral("amy||"), QStringLiteral("amy||")}));
    EXPECT_EQ(Unscramble(stored(QStringLiteral("AMY"))), QStringLiteral("MixedCase9"));   // as typed
    EXPECT_TRUE(CheckPassword(QStringLiteral("AMY"), QStringLiteral("mixedcase9")));
    EXPECT_FALSE(CheckPassword(QStringLiteral("AMY"), QStringLiteral("oldpass")));
}

TEST_F(AccountsTest, ChangeButtonChecksLengthThenMatchInThatOrder)
{
    UiScript ui;
    Tchgpassfrm* f = ChgPassForm();
    const struct {
        const char* p1;
        const char* p2;
        QString message;   // empty: accepted
    } cases[] = {
        {"abc", "xyz", AccountMessages::TooShort},
        {"abcd", "abcd", AccountMessages::TooShort},
        {"abcdefghijklmnopqrstu", "other", AccountMessages::TooLong},
        {"Abcde", "abcde", AccountMessages::NoMatch},
        {"abcde", "abcde", QString()},
        {"abcdefghijklmnopqrst", "abcdefghijklmnopqrst", QString()},
    };
    for (const auto& c : cases) {
        ui.alerts.clear();
        f->setResult(mrClosed);
        f->show();
        f->pass1->setText(QLatin1String(c.p1));
        f->pass2->setText(QLatin1String(c.p2));
        QTest::mouseClick(f->Button1, Qt::LeftButton);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(ui.alerts.isEmpty()) << c.p1;
            EXPECT_FALSE(f->isVisible()) << c.p1;
            EXPECT_EQ(f->result(), mrOk) << c.p1;
        } else {
            EXPECT_EQ(ui.alerts, QStringList{c.message}) << c.p1;
            EXPECT_TRUE(f->isVisible()) << c.p1;
        }
        f->hide();
    }
    EXPECT_EQ(f->pass1->echoMode(), QLineEdit::Password);
    EXPECT_EQ(f->pass2->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(f->username->isReadOnly());
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Change Password"));
}

TEST_F(AccountsTest, ATwentyCharacterPasswordStoresAndChecks)
{
    ASSERT_TRUE(AddUser(QStringLiteral("amy"), QStringLiteral("Amy"), QStringLiteral("aaaaa")));
    const QString twenty = QStringLiteral("ÄbcdefghijklmnopqrsÖ");
    const QString wide = QStringLiteral("€€€€€€€€€€€€€€€€€€€€");
    for (const QString& pw : {twenty, wide}) {
        UiScript ui;
        ui.answer([&](QDialog& d) {
            auto& f = static_cast<Tchgpassfrm&>(d);
            f.pass1->setText(pw);
            f.pass2->setText(pw);
            QTest::mouseClick(f.Button1, Qt::LeftButton);
            return mrClosed;
        });
        ChangePassword(QStringLiteral("amy"), true);
        EXPECT_TRUE(ui.alerts.isEmpty());
        EXPECT_TRUE(CheckPassword(QStringLiteral("amy"), pw));
    }
}

TEST_F(AccountsTest, KeyZeroAndWrappedCodesSurviveTheTableAndLaterEdits)
{
    ASSERT_TRUE(AddUser(QStringLiteral("amy"), QStringLiteral("Amy"), QStringLiteral("aaaaa")));
    // Key 0 puts a NUL first; with key 127, code 129 wraps to NUL inside.
    const QString wrapsToNul = QStringLiteral("ab") + QChar(129) + QStringLiteral("cd");
    for (const auto& [key, pw] : {std::pair{0, QStringLiteral("Zero1")}, std::pair{127, wrapsToNul}}) {
        UiScript ui;
        ui.answer([&](QDialog& d) {
            auto& f = static_cast<Tchgpassfrm&>(d);
            EXPECT_EQ(d.focusWidget(), f.pass1);
            f.pass1->setText(pw);
            f.pass2->setText(pw);
            nextKey(key);
            QTest::mouseClick(f.Button1, Qt::LeftButton);
            return mrClosed;
        });
        ChangePassword(QStringLiteral("amy"), true);
        const QString s = stored(QStringLiteral("AMY"));
        ASSERT_EQ(s.size(), pw.size() + 1) << key;
        EXPECT_TRUE(s.contains(QChar(0))) << key;
        // Another write to the same row keeps the stored form whole.
        ASSERT_TRUE(MarkUserOnline(QStringLiteral("amy")));
        ASSERT_TRUE(MarkUserOffline(QStringLiteral("amy")));
        EXPECT_EQ(stored(QStringLiteral("AMY")), s) << key;
        EXPECT_TRUE(CheckPassword(QStringLiteral("amy"), pw)) << key;
        EXPECT_FALSE(CheckPassword(QStringLiteral("amy"), pw.left(2))) << key;
    }
}

TEST_F(AccountsTest, ChangePasswordFindsTheUserAgainAfterTheDialog)
{
    ASSERT_TRUE(AddUser(QStringLiteral("bob"), QStringLiteral("Bob"), QStringLiteral("bobpass")));
    ASSERT_TRUE(AddUser(QStringLiteral("amy"), QStringLiteral("Amy"), QStringLiteral("amypass")));
    UiScript ui;
    ui.answer([&](QDialog& d) {
        // While the dialog is open another client removes a user before amy.
        second().ADOConnection.exec(QStringLiteral("DELETE FROM Users WHERE username = 'BOB'"));
        FindUser(QStringLiteral("zed"));   // a timer moves the table meanwhile
        auto& f = static_cast<Tchgpassfrm&>(d);
        f.pass1->setText(QStringLiteral("newpass"));
        f.pass2->setText(QStringLiteral("newpass"));
        return mrOk;
    });
    ChangePassword(QStringLiteral("amy"), false);
    EXPECT_TRUE(CheckPassword(QStringLiteral("amy"), QStringLiteral("newpass")));

    // A user deleted while the dialog was open: nothing stored, told so.
    ui.answer([&](QDialog& d) {
        second().ADOConnection.exec(QStringLiteral("DELETE FROM Users WHERE username = 'AMY'"));
        auto& f = static_cast<Tchgpassfrm&>(d);
        f.pass1->setText(QStringLiteral("other"));
        f.pass2->setText(QStringLiteral("other"));
        return mrOk;
    });
    ChangePassword(QStringLiteral("amy"), false);
    EXPECT_EQ(ui.alerts, QStringList{AccountMessages::NoUser});
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users")), 0);
}

// ------------------------------------------------------------------ online flag and control row

TEST_F(AccountsTest, OnlineIsRefusedTwiceUnlessTheSwitchWasGiven)
{
    ASSERT_TRUE(AddUser(QStringLiteral("amy"), QStringLiteral("Amy"), QStringLiteral("aaaaa")));
    EXPECT_FALSE(MarkUserOnline(QStringLiteral("nobody")));
    ASSERT_TRUE(MarkUserOnline(QStringLiteral("amy")));
    EXPECT_EQ(field(QStringLiteral("AMY"), QStringLiteral("Online")).toInt(), 1);
    EXPECT_EQ(field(QStringLiteral("AMY"), QStringLiteral("LastComputer")).toString(), QStringLiteral("10.1.2.3"));
    EXPECT_EQ(field(QStringLiteral("AMY"), QStringLiteral("LastConnected")).toString(),
              QStringLiteral("2026-03-04 09:30:00"));

    HostInfo::setAddressSource([] { return HostInfo::HostAddress{QStringLiteral("pc8"), QStringLiteral("10.9.9.9")}; });
    Clock::freeze(QDateTime(QDate(2026, 3, 5), QTime(10, 0)));
    EXPECT_FALSE(MarkUserOnline(QStringLiteral("amy")));
    EXPECT_EQ(field(QStringLiteral("AMY"), QStringLiteral("LastComputer")).toString(), QStringLiteral("10.1.2.3"));
    EXPECT_EQ(field(QStringLiteral("AMY"), QStringLiteral("LastConnected")).toString(),
              QStringLiteral("2026-03-04 09:30:00"));

    StartupSwitches.OnlineOverride = true;
    EXPECT_TRUE(MarkUserOnline(QStringLiteral("amy")));
    EXPECT_EQ(field(QStringLiteral("AMY"), QStringLiteral("LastComputer")).toString(), QStringLiteral("10.9.9.9"));
    EXPECT_EQ(field(QStringLiteral("AMY"), QStringLiteral("LastConnected")).toString(),
              QStringLiteral("2026-03-05 10:00:00"));
}

TEST_F(AccountsTest, OfflineOnlyForAUserWhoIsOnline)
{
    ASSERT_TRUE(AddUser(QStringLiteral("amy"), QStringLiteral("Amy"), QStringLiteral("aaaaa")));
    EXPECT_FALSE(MarkUserOffline(QStringLiteral("amy")));
    EXPECT_FALSE(MarkUserOffline(QStringLiteral("nobody")));
    ASSERT_TRUE(MarkUserOnline(QStringLiteral("amy")));
    EXPECT_TRUE(MarkUserOffline(QStringLiteral("AMY")));
    EXPECT_EQ(field(QStringLiteral("AMY"), QStringLiteral("Online")).toInt(), 0);
    EXPECT_FALSE(MarkUserOffline(QStringLiteral("amy")));
}

TEST_F(AccountsTest, ForceShutdownSetsThreeFieldsOnTheRowAsItIsNow)
{
    db().exec(QStringLiteral("UPDATE System SET denylogin = 1"));
    dm->SystemTable.requery();
    // Another client changes the row after this one read it.
    second().ADOConnection.exec(QStringLiteral("UPDATE System SET reason = 'theirs', denylogin = 0"));
    SetForceShutdown(QStringLiteral("General Maintenance"), QStringLiteral("Admin"));
    EXPECT_EQ(count(QStringLiteral("SELECT forceshutdown FROM System")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT denylogin FROM System")), 0);   // as the other client left it
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT reason FROM System")).toString(),
              QStringLiteral("General Maintenance"));
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT \"user\" FROM System")).toString(), QStringLiteral("Admin"));

    db().exec(QStringLiteral("DELETE FROM System"));
    EXPECT_THROW(SetForceShutdown(QStringLiteral("x"), QStringLiteral("y")), DbError);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM System")), 0);
}
