// The user manager and the add-user dialog.
#include "Accounts.h"
#include "CoolCtrlsDB.h"
#include "Lookups.h"
#include "MainFixture.h"
#include "RadioGroup.h"
#include "SpinEdit.h"
#include "Text.h"
#include "adduserfrm.h"
#include "admusersfrm.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

namespace {

namespace M = AdmUsersMessages;

class AdmUsers : public MainFixture {
protected:
    void SetUp() override
    {
        MainFixture::SetUp();
        // BOB (10) administers users.
        db().exec(QStringLiteral("UPDATE Users SET canAdministerUsers = 1 WHERE username = 'BOB'"));
        addUser({QStringLiteral("ANNA"), 5});
        addUser({QStringLiteral("CARL"), 10});
        addUser({QStringLiteral("DAVE"), 20});
        addUser({QStringLiteral("EVE"), 9});
        db().exec(QStringLiteral("INSERT INTO Users (username, Hide, accesslevel, canMakeBookings, "
                                 "canFlushBookings, isStaff, Expires, ExpiresOn) VALUES (?, 1, 3, 1, 1, 1, 1, "
                                 "'2026-12-31 00:00:00')"),
                  {ProfileUserName});
        f = AdmUsersForm();
        f->FormShow();
    }

    QStringList listed()
    {
        QStringList names;
        Dataset* ds = f->DBuserlist->LinkedDataset();
        for (int r = 0; ds && r < ds->rowCountLoaded(); ++r)
            names << f->DBuserlist->DisplayText(r, 0);
        return names;
    }
    void pick(const QString& name)
    {
        const int r = listed().indexOf(name);
        ASSERT_GE(r, 0) << name.toStdString();
        f->DBuserlist->setRow(r + f->DBuserlist->TitleOffset());
        ASSERT_EQ(f->DBuserlist->LinkedDataset()->asString(QStringLiteral("username")), name);
        ASSERT_EQ(f->fullname->text(), f->DBuserlist->LinkedDataset()->asString(QStringLiteral("FullName")));
    }
    // The whole stored row of a user, field by field.
    QVariantMap row(const QString& name)
    {
        QSqlQuery q = db().prepare(QStringLiteral("SELECT * FROM Users WHERE username = ?"), {name});
        q.exec();
        QVariantMap m;
        if (q.next())
            for (int i = 0; i < q.record().count(); ++i)
                m.insert(q.record().fieldName(i), q.value(i));
        return m;
    }
    void set(const QString& name, const QString& field, const QVariant& v)
    {
        second().ADOConnection.exec(QStringLiteral("UPDATE Users SET \"%1\" = ? WHERE username = ?").arg(field),
                                    {v, name});
    }
    static QStringList changedFields(const QVariantMap& a, const QVariantMap& b)
    {
        QStringList changed;
        for (auto it = a.begin(); it != a.end(); ++it)
            if (b.value(it.key()) != it.value())
                changed << it.key();
        changed.sort(Qt::CaseInsensitive);
        return changed;
    }
    void answerText(const QString& text, int result = mrOk)
    {
        ui->answer([text, result](QDialog& d) {
            d.findChild<QLineEdit*>(QStringLiteral("question"))->setText(text);
            return result;
        });
    }

    Tadmusersfrm* f = nullptr;
};

TEST_F(AdmUsers, DetailsFollowTheListAndOpenOnlyBelowOnesOwnRankWithTheRight)
{
    EXPECT_EQ(listed(), (QStringList{"ANNA", "BOB", "CARL", "DAVE", "EVE"}));   // never the template user
    struct Case {
        const char* user;
        bool right;
        bool enabled;
    };
    for (const Case c : {Case{"ANNA", true, true}, Case{"EVE", true, true}, Case{"CARL", true, false},
                         Case{"DAVE", true, false}, Case{"BOB", true, false}, Case{"ANNA", false, false}}) {
        SCOPED_TRACE(std::string(c.user) + (c.right ? " with the right" : " without"));
        set(QStringLiteral("BOB"), QStringLiteral("canAdministerUsers"), c.right ? 1 : 0);
        pick(QLatin1String(c.user));
        EXPECT_EQ(f->detailsbox->isEnabled(), c.enabled);
        EXPECT_EQ(f->Button3->isEnabled(), c.enabled);
    }
    set(QStringLiteral("BOB"), QStringLiteral("canAdministerUsers"), 1);

    // Type: staff 0, student 1, both student, neither none at all.
    struct Type {
        int staff, student, shown;
    };
    for (const Type t : {Type{0, 1, 1}, Type{1, 0, 0}, Type{1, 1, 1}, Type{0, 0, -1}}) {
        set(QStringLiteral("ANNA"), QStringLiteral("isStaff"), t.staff);
        set(QStringLiteral("ANNA"), QStringLiteral("isStudent"), t.student);
        f->FormShow();
        EXPECT_EQ(f->usertype->itemIndex(), t.shown) << t.staff << t.student;
    }

    // Level, expiry, password and every right come from the row's own field.
    set(QStringLiteral("ANNA"), QStringLiteral("Expires"), 1);
    set(QStringLiteral("ANNA"), QStringLiteral("ExpiresOn"), QStringLiteral("2026-05-06 00:00:00"));
    set(QStringLiteral("ANNA"), QStringLiteral("password"), Scramble(QStringLiteral("Secret")));
    f->FormShow();
    EXPECT_EQ(f->accesslevel->value(), 5);
    EXPECT_TRUE(f->expires->isChecked());
    EXPECT_TRUE(f->expireson->isEnabled());
    EXPECT_EQ(f->expireson->date(), QDate(2026, 5, 6));
    EXPECT_EQ(f->password1->text(), QStringLiteral("Secret"));
    EXPECT_EQ(f->password2->text(), QStringLiteral("Secret"));
    EXPECT_EQ(f->pwMatch->text(), M::PasswordsMatch);
    for (const auto& r : f->rightBoxes()) {
        for (const auto& other : f->rightBoxes())
            set(QStringLiteral("ANNA"), QLatin1String(other.field), 0);
        set(QStringLiteral("ANNA"), QLatin1String(r.field), 1);
        f->FormShow();
        for (const auto& other : f->rightBoxes())
            EXPECT_EQ(other.box->isChecked(), other.box == r.box) << r.field << " shown in " << other.field;
    }

    f->password2->setText(QStringLiteral("secret"));
    EXPECT_EQ(f->pwMatch->text(), M::PasswordsDiffer);
    f->password1->setText(QStringLiteral("secret"));
    EXPECT_EQ(f->pwMatch->text(), M::PasswordsMatch);

    f->expires->click();
    EXPECT_FALSE(f->expireson->isEnabled());
    f->expires->click();
    EXPECT_TRUE(f->expireson->isEnabled());
    EXPECT_EQ(f->expireson->date(), QDate(2026, 3, 11));
}

TEST_F(AdmUsers, ApplyStoresEachBoxInItsOwnFieldAndNeverAtOnesOwnLevel)
{
    pick(QStringLiteral("ANNA"));
    // At the editor's level: refused, the spin shows the editor's level.
    QVariantMap before = row(QStringLiteral("ANNA"));
    f->accesslevel->setValue(10);
    f->fullname->setText(QStringLiteral("Changed"));
    f->Button3Click();
    EXPECT_EQ(ui->alerts, QStringList{M::LevelTooHigh});
    EXPECT_EQ(f->accesslevel->value(), 10);
    EXPECT_EQ(row(QStringLiteral("ANNA")), before);

    // One below: stored.
    f->accesslevel->setValue(9);
    f->Button3Click();
    before = row(QStringLiteral("ANNA"));
    EXPECT_EQ(before.value("accesslevel").toInt(), 9);
    EXPECT_EQ(before.value("FullName").toString(), QStringLiteral("Changed"));

    // Each box alone changes its own field alone.
    for (const auto& r : f->rightBoxes())
        r.box->setChecked(false);
    f->Button3Click();
    for (const auto& r : f->rightBoxes()) {
        SCOPED_TRACE(r.field);
        before = row(QStringLiteral("ANNA"));
        r.box->setChecked(true);
        f->Button3Click();
        const QVariantMap after = row(QStringLiteral("ANNA"));
        // Apply stores the password scrambled afresh; its random key may
        // come out the same, so the password field is left out here.
        QStringList changed = changedFields(before, after);
        changed.removeAll(QStringLiteral("password"));
        EXPECT_EQ(changed, QStringList{QLatin1String(r.field)});
        r.box->setChecked(false);
        f->Button3Click();
    }

    // Types; none chosen leaves the stored flags.
    const auto staffStudent = [&](const QString& name) {
        const QVariantMap r = row(name);
        return std::pair(r.value("isStaff").toInt(), r.value("isStudent").toInt());
    };
    for (int type : {0, 1}) {
        f->usertype->setItemIndex(type);
        f->Button3Click();
        EXPECT_EQ(staffStudent(QStringLiteral("ANNA")), std::pair(1 - type, type));
    }
    // EVE has neither: shown as none, and Apply keeps neither.
    pick(QStringLiteral("EVE"));
    EXPECT_EQ(f->usertype->itemIndex(), -1);
    f->Button3Click();
    EXPECT_EQ(staffStudent(QStringLiteral("EVE")), std::pair(0, 0));

    // The password as typed, even when the confirmation differs.
    f->password1->setText(QStringLiteral("MiXed1"));
    f->password2->setText(QStringLiteral("other"));
    f->Button3Click();
    EXPECT_EQ(Unscramble(row(QStringLiteral("EVE")).value("password").toString()), QStringLiteral("MiXed1"));
    EXPECT_TRUE(CheckPassword(QStringLiteral("EVE"), QStringLiteral("mixed1")));
    EXPECT_EQ(ui->alerts.size(), 1);
}

TEST_F(AdmUsers, TheLevelIsClampedWhenTheEditIsLeft)
{
    pick(QStringLiteral("ANNA"));
    f->show();
    QApplication::setActiveWindow(f);
    struct Case {
        const char* typed;
        int value;
    };
    for (const Case c : {Case{"250", 200}, Case{"0", 1}, Case{"1", 1}, Case{"200", 200}}) {
        f->accesslevel->setFocus();
        f->accesslevel->edit()->clear();
        QTest::keyClicks(f->accesslevel->edit(), QLatin1String(c.typed));
        EXPECT_EQ(f->accesslevel->rawText(), QLatin1String(c.typed));
        f->fullname->setFocus();
        EXPECT_EQ(f->accesslevel->value(), c.value) << c.typed;
    }
    f->hide();
}

TEST_F(AdmUsers, RenameAndDeleteCheckRankFirstThenTheRight)
{
    // Not outranked: the rank message, with or without the right.
    for (int right : {1, 0}) {
        set(QStringLiteral("BOB"), QStringLiteral("canAdministerUsers"), right);
        pick(QStringLiteral("CARL"));
        f->Button4Click();
        f->Button5Click();
    }
    EXPECT_EQ(ui->alerts, QStringList(4, M::RankRestricted));
    // Outranked without the right.
    ui->alerts.clear();
    pick(QStringLiteral("ANNA"));
    f->Button4Click();
    f->Button5Click();
    EXPECT_EQ(ui->alerts, QStringList(2, MainMessages::AccessDenied));
    EXPECT_EQ(ui->shown.size(), 6);   // no prompt, no question
    set(QStringLiteral("BOB"), QStringLiteral("canAdministerUsers"), 1);

    // Cancel, and refused names, leave the user as he was.
    ui->alerts.clear();
    answerText(QStringLiteral("NEWNAME"), mrCancel);
    f->Button4Click();
    struct Refused {
        const char* name;
        QString message;
    };
    for (const Refused& r : {Refused{"", M::NameEmpty}, Refused{"ELEVENCHARS", M::NameTooLong},
                            Refused{"dave", M::NameTaken.arg("dave")},
                            Refused{"<default>", M::NameTaken.arg("<default>")}}) {
        answerText(QLatin1String(r.name));
        f->Button4Click();
        EXPECT_EQ(ui->alerts.takeLast(), r.message) << r.name;
    }
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Users WHERE username = 'ANNA'")), 1);

    // The same user in other letter case, kept as typed; then a new name.
    answerText(QStringLiteral("Anna"));
    f->Button4Click();
    EXPECT_EQ(row(QStringLiteral("ANNA")).value("username").toString(), QStringLiteral("Anna"));
    answerText(QStringLiteral("AnnaB"));
    f->Button4Click();
    EXPECT_EQ(row(QStringLiteral("annab")).value("username").toString(), QStringLiteral("AnnaB"));
    EXPECT_TRUE(ui->alerts.isEmpty());

    // Delete: No keeps, Yes removes; bookings stay; the first user is shown.
    addItem(QStringLiteral("Hall"));
    addBooking(QStringLiteral("Hall"), QDate(2026, 3, 2), QStringLiteral("1"), QStringLiteral("AnnaB"));
    pick(QStringLiteral("AnnaB"));
    ui->answer(mrCancel);
    f->Button5Click();
    EXPECT_NE(FindUser(QStringLiteral("AnnaB")), -1);
    ui->answer(mrOk);
    f->Button5Click();
    EXPECT_EQ(FindUser(QStringLiteral("AnnaB")), -1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM bookings WHERE BookedBy = 'AnnaB'")), 1);
    EXPECT_EQ(listed(), (QStringList{"BOB", "CARL", "DAVE", "EVE"}));
    EXPECT_EQ(f->fullname->text(), QStringLiteral("BOB Full"));
}

TEST_F(AdmUsers, AnEmptiedListDisablesTheDetailsAndTheButtonsDoNothing)
{
    second().ADOConnection.exec(QStringLiteral("DELETE FROM Users WHERE Hide = 0"));
    f->FormShow();
    EXPECT_FALSE(f->detailsbox->isEnabled());
    f->Button3Click();
    f->Button4Click();
    f->Button5Click();
    EXPECT_TRUE(ui->shown.isEmpty());
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Users")), 1);
}

TEST_F(AdmUsers, TheAddDialogAcceptsOnlyFourFieldsAndAgreeingPasswords)
{
    Tadduserfrm* a = AddUserForm();
    a->username->setText(QStringLiteral("old"));
    a->FormShow();
    for (QLineEdit* e : {a->username, a->fullname, a->pass1, a->pass2})
        EXPECT_TRUE(e->text().isEmpty());
    EXPECT_FALSE(a->createbtn->isEnabled());
    EXPECT_EQ(a->pwmatch->text(), QStringLiteral("Passwords do not match"));

    struct Case {
        const char *user, *full, *p1, *p2;
        bool enabled;
        const char* label;
    };
    const Case cases[] = {
        {"U", "F", "abc", "ABC", true, "Passwords Match"},   {"U", "F", "abc", "abd", false, "Passwords do not match"},
        {"", "F", "abc", "abc", false, "Passwords Match"},    {"U", "", "abc", "abc", false, "Passwords Match"},
        {"U", "F", "", "abc", false, "Passwords do not match"}, {"U", "F", "abc", "", false, "Passwords do not match"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.user) + "/" + c.full + "/" + c.p1 + "/" + c.p2);
        a->FormShow();
        QTest::keyClicks(a->username, QLatin1String(c.user));
        QTest::keyClicks(a->fullname, QLatin1String(c.full));
        QTest::keyClicks(a->pass1, QLatin1String(c.p1));
        QTest::keyClicks(a->pass2, QLatin1String(c.p2));
        EXPECT_EQ(a->createbtn->isEnabled(), c.enabled);
        EXPECT_EQ(a->pwmatch->text(), QLatin1String(c.label));
    }
    EXPECT_EQ(a->username->maxLength(), 10);
    EXPECT_EQ(a->fullname->maxLength(), 50);
    EXPECT_EQ(a->pass1->maxLength(), 20);
}

TEST_F(AdmUsers, ANewUserTakesTheTemplateAndIsSelected)
{
    auto fill = [](const QString& user, const QString& pass) {
        return [user, pass](QDialog& d) {
            auto& a = static_cast<Tadduserfrm&>(d);
            a.username->setText(user);
            a.fullname->setText(QStringLiteral("New Person"));
            a.pass1->setText(pass);
            a.pass2->setText(pass);
            QTest::mouseClick(a.createbtn, Qt::LeftButton);
            return mrClosed;
        };
    };
    ui->answer(fill(QStringLiteral("o'neil"), QStringLiteral("Pass1")));
    QTest::mouseClick(f->Button1, Qt::LeftButton);
    EXPECT_TRUE(ui->alerts.isEmpty()) << ui->alerts.join(' ').toStdString();
    const QVariantMap made = row(QStringLiteral("O'NEIL"));
    ASSERT_FALSE(made.isEmpty());
    EXPECT_EQ(made.value("username").toString(), QStringLiteral("O'NEIL"));
    EXPECT_TRUE(CheckPassword(QStringLiteral("o'neil"), QStringLiteral("pass1")));
    // The template's fields, but shown in the list.
    for (const auto& [field, value] : {std::pair("accesslevel", 3), std::pair("canMakeBookings", 1),
                                       std::pair("canFlushBookings", 1), std::pair("isStaff", 1),
                                       std::pair("Expires", 1), std::pair("Hide", 0)})
        EXPECT_EQ(made.value(field).toInt(), value) << field;
    // Selected, details loaded.
    EXPECT_EQ(f->fullname->text(), QStringLiteral("New Person"));
    EXPECT_EQ(f->DBuserlist->LinkedDataset()->asString(QStringLiteral("username")), QStringLiteral("O'NEIL"));
    EXPECT_EQ(f->accesslevel->value(), 3);

    // A taken name in any letter case, the template user's included: no
    // second row, and said so.
    for (const QString& taken : {QStringLiteral("anna"), QStringLiteral("<default>")}) {
        ui->answer(fill(taken, QStringLiteral("x")));
        f->Button1Click();
        EXPECT_EQ(ui->alerts.takeLast(), M::AddNameTaken.arg(Text::upper(taken)));
        EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Users WHERE username = ?"), {taken}), 1);
    }
    // Cancelled or closed: nothing.
    const int users = count(QStringLiteral("SELECT COUNT(*) FROM Users"));
    ui->answer(mrCancel);
    f->Button1Click();
    ui->answer(mrClosed);
    f->Button1Click();
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Users")), users);

    // Without the right, no dialog.
    set(QStringLiteral("BOB"), QStringLiteral("canAdministerUsers"), 0);
    const int shown = ui->shown.size();
    f->Button1Click();
    EXPECT_EQ(ui->alerts, QStringList{MainMessages::AccessDenied});
    EXPECT_EQ(ui->shown.size(), shown + 1);
}

TEST_F(AdmUsers, TheMenuEntryOpensTheManagerOnTheFirstUser)
{
    ui->answer([&](QDialog& d) {
        EXPECT_EQ(&d, f);
        EXPECT_EQ(listed().size(), 5);
        EXPECT_EQ(f->fullname->text(), QStringLiteral("ANNA Full"));
        return mrCancel;
    });
    win->EditUsers1->trigger();
    EXPECT_EQ(ui->shown.size(), 1);
}

} // namespace
