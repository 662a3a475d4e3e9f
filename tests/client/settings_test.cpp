#include "Accounts.h"
#include "DateValue.h"
#include "MainFixture.h"
#include "RadioGroup.h"
#include "ReportFixture.h"
#include "Seeding.h"
#include "SpinEdit.h"
#include "defaultrightsfrm.h"
#include "logincfgfrm.h"
#include "otheroptionsfrm.h"
#include "printlistbookingsfrm.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSqlRecord>
#include <QToolButton>

namespace {

class Settings : public MainFixture {
protected:
    void SetUp() override
    {
        MainFixture::SetUp();
        if (HasFailure())
            return;
        win->InitMainWindow();
        db().exec(QStringLiteral("UPDATE Users SET isAdministrator = 1 WHERE username = 'BOB'"));
        ASSERT_EQ(SeedProfileUser(), SeedResult::Created);
    }

    // The first row a query answers, field by field.
    QVariantList firstRow(const QString& sql, const QVariantList& params = {})
    {
        QSqlQuery q = db().prepare(sql, params);
        EXPECT_TRUE(q.exec() && q.next());
        QVariantList row;
        for (int i = 0; i < q.record().count(); ++i)
            row << q.value(i);
        return row;
    }
    QVariantList configRow() { return firstRow(QStringLiteral("SELECT * FROM config")); }
    QVariantList templateRow()
    {
        return firstRow(QStringLiteral("SELECT * FROM Users WHERE username = ?"), {ProfileUserName});
    }
    int templateField(const QString& field)
    {
        return db().scalar(QStringLiteral("SELECT \"%1\" FROM Users WHERE username = ?").arg(field), {ProfileUserName}).toInt();
    }
    int configField(const QString& field)
    {
        return db().scalar(QStringLiteral("SELECT \"%1\" FROM config").arg(field)).toInt();
    }
    // The next plain message box is answered with OK; its text is kept.
    void expectPlainMessage()
    {
        ui->answer([this](QDialog& d) {
            auto* box = qobject_cast<QMessageBox*>(&d);
            EXPECT_NE(box, nullptr) << d.objectName().toStdString();
            plain << (box ? box->text() : QString());
            return int(QMessageBox::Ok);
        });
    }

    // Leaves a dialog by its Cancel button or by the frame; answers its result.
    static int leave(QDialog& d, QPushButton* cancel, bool byFrame)
    {
        byFrame ? void(d.close()) : cancel->click();
        return d.result();
    }

    QStringList plain;
};

} // namespace

// ------------------------------------------------------------------ main window

TEST_F(Settings, TheToolButtonAndBothListEntriesOpenTheList)
{
    // The button and both list entries open the list, its dates from the calendar.
    win->SelectDate->setSelectedDate(QDate(2026, 3, 9));
    for (QAction* entry : {(QAction*)nullptr, win->Printmybookings1, win->ViewalistofitemsIbooked1}) {
        QDate from;
        ui->answer([&](QDialog& d) {
            from = d.findChild<QDateEdit*>(QStringLiteral("fromdate"))->date();
            return mrCancel;
        });
        entry ? entry->trigger() : win->ToolButton6->click();   // none: the tool button
        EXPECT_EQ(from, QDate(2026, 3, 9));
    }
    EXPECT_EQ(ui->shown, QStringList(3, QStringLiteral("printlistbookingsfrm")));
}

TEST_F(Settings, ThePrintedSheetIsTheSelectedItemsWeek)
{
    WriteTestReportTemplates(dir.path());
    addItem(QStringLiteral("PROJECTOR"));
    db().exec(QStringLiteral("INSERT INTO catergories (CaterGoryName) VALUES ('Miscellaneous')"));
    addBooking(QStringLiteral("PROJECTOR"), QDate(2026, 3, 12), QStringLiteral("2"), QStringLiteral("AMY"),
               QStringLiteral("maths"));
    win->InitMainWindow();
    win->SelectDate->setSelectedDate(QDate(2026, 3, 14));   // a Saturday
    ASSERT_EQ(win->SelectedItem(), QStringLiteral("PROJECTOR"));
    ui->answer(mrOk);
    win->Printselectedsheet1->trigger();
    const QStringList lines = ReportLines();
    EXPECT_EQ(lines.value(0), QStringLiteral("Booking Sheet for<br>PROJECTOR|BOB"));
    EXPECT_TRUE(lines.contains(QStringLiteral("For monday beginning: ") + FormatShortDate(QDate(2026, 3, 9)) + QStringLiteral("<br>")));
    EXPECT_TRUE(lines.contains(QStringLiteral("AMY<br>maths")));
    EXPECT_EQ(ui->shown, QStringList{QStringLiteral("reporterfrm")});
}

TEST_F(Settings, EveryoneReachesTheStatistics)
{
    db().exec(QStringLiteral("UPDATE Users SET isAdministrator = 0 WHERE username = 'BOB'"));
    WriteTestReportTemplates(dir.path());
    ui->answer(mrOk);
    win->DisplayUsageStatistics1->trigger();
    EXPECT_EQ(ui->shown, QStringList{QStringLiteral("reporterfrm")});
    EXPECT_EQ(ReportLines().value(0), QStringLiteral("Booking System Statistics|BOB"));
}

// ------------------------------------------------------------------ log-on rules

TEST_F(Settings, TheLogOnChoiceMapsOntoTheTwoFlagsBothWays)
{
    struct Case {
        bool autoLogin, prompt;
        int index;
    };
    Tlogincfgfrm* f = LoginCfgForm();
    for (const Case c : {Case{true, false, 0}, Case{true, true, 1}, Case{false, false, 2}}) {
        for (int newUser : {0, 1}) {
            // Stored the other way round first, so every field must change.
            db().exec(QStringLiteral("UPDATE config SET AutoLogin = ?, PromptPassword = ?, AutoRegister = ?"),
                      {!c.autoLogin, !c.prompt, newUser == 1});
            f->FormShow();
            f->Authentication->setItemIndex(c.index);
            f->NewUser->setItemIndex(newUser);
            f->Button1Click();
            EXPECT_EQ(f->result(), mrOk);
            EXPECT_EQ(configField(QStringLiteral("AutoLogin")), c.autoLogin ? 1 : 0) << c.index;
            EXPECT_EQ(configField(QStringLiteral("PromptPassword")), c.prompt ? 1 : 0) << c.index;
            EXPECT_EQ(configField(QStringLiteral("AutoRegister")), newUser == 0 ? 1 : 0) << newUser;
            f->FormShow();
            EXPECT_EQ(f->Authentication->itemIndex(), c.index);
            EXPECT_EQ(f->NewUser->itemIndex(), newUser);
        }
    }

    // No auto log-on with the password prompt shows the third choice, and
    // OK stores the prompt off.
    db().exec(QStringLiteral("UPDATE config SET AutoLogin = 0, PromptPassword = 1"));
    f->FormShow();
    EXPECT_EQ(f->Authentication->itemIndex(), 2);
    f->Button1Click();
    EXPECT_EQ(configField(QStringLiteral("PromptPassword")), 0);
}

TEST_F(Settings, LeavingAnySettingsDialogWithoutOkStoresNothing)
{
    db().exec(QStringLiteral("UPDATE config SET AutoLogin = 1, PromptPassword = 0, AutoRegister = 1, "
                             "enableBookingLimit = 1, BookingLimitDays = 14"));
    db().exec(QStringLiteral("UPDATE Users SET canMakeBookings = 1, isStaff = 1, accesslevel = 9 WHERE username = ?"),
              {ProfileUserName});
    const QVariantList config = configRow(), profile = templateRow();
    // Each dialog's entry, and what is changed in it before leaving: answers its Cancel button.
    const std::pair<QAction*, std::function<QPushButton*(QDialog&)>> cases[] = {
        {win->AutoLoginRegistration1,
         [](QDialog& d) {
             auto& f = static_cast<Tlogincfgfrm&>(d);
             EXPECT_EQ(f.Authentication->itemIndex(), 0);
             f.Authentication->setItemIndex(2);
             f.NewUser->setItemIndex(1);
             return f.Button2;
         }},
        {win->DefaultRightsforNewUsers1,
         [](QDialog& d) {
             auto& f = static_cast<Tdefaultrightsfrm&>(d);
             EXPECT_TRUE(f.DBCheckBox4->isChecked());
             f.DBCheckBox4->click();
             f.DBCheckBox15->click();
             f.isStudent->click();
             f.accesslevel->setValue(150);
             return f.Button2;
         }},
        {win->OtherConfigurationOptions1,
         [](QDialog& d) {
             auto& f = static_cast<TOtherConfigurationOptionsFrm&>(d);
             EXPECT_EQ(f.bookinglimitdays->text(), QStringLiteral("14"));
             f.bookinglimitdays->setText(QStringLiteral("3"));
             f.enablebookinglimit->setChecked(false);
             return f.Button2;
         }},
    };
    for (const auto& [entry, change] : cases) {
        for (bool byFrame : {false, true}) {
            SCOPED_TRACE(entry->objectName().toStdString() + (byFrame ? " by the frame" : " by Cancel"));
            int result = mrOk;
            ui->answer([&](QDialog& d) { return result = leave(d, change(d), byFrame); });
            entry->trigger();
            EXPECT_EQ(result, byFrame ? mrClosed : mrCancel);
            EXPECT_EQ(configRow(), config);
            EXPECT_EQ(templateRow(), profile);
        }
    }
    // A new user made now takes nothing of the dropped changes.
    addUser({QStringLiteral("NEWBIE"), 1, false});
    ASSERT_TRUE(ApplyProfileToUser(QStringLiteral("NEWBIE")));
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT isAdministrator FROM Users WHERE username = 'NEWBIE'")).toInt(), 0);
}

// ------------------------------------------------------------------ default rights

TEST_F(Settings, StaffAndStudentAreNeverBothNorNeither)
{
    Tdefaultrightsfrm* f = DefaultRightsForm();
    db().exec(QStringLiteral("UPDATE Users SET isStaff = 0, isStudent = 1 WHERE username = ?"), {ProfileUserName});
    ASSERT_TRUE(f->FormShow());
    // Ticking one clears the other; clearing the only one ticks the other.
    struct Click {
        QCheckBox* box;
        bool staffAfter;
    };
    for (const Click c : {Click{f->isStaff, true}, Click{f->isStaff, false}, Click{f->isStudent, true},
                          Click{f->isStudent, false}}) {
        c.box->click();
        EXPECT_EQ(std::pair(f->isStaff->isChecked(), f->isStudent->isChecked()), std::pair(c.staffAfter, !c.staffAfter));
    }

    f->expires->setChecked(false);
    f->expires->click();
    EXPECT_TRUE(f->expireson->isEnabled());
    f->expires->click();
    EXPECT_FALSE(f->expireson->isEnabled());
}

TEST_F(Settings, EachBoxReachesItsOwnFieldAndOkAlwaysWritesExpiryAndLevel)
{
    // Each box's object name and the field it stands for.
    QStringList names, allFields;
    for (const char* pair : {"isStaff isStaff", "isStudent isStudent", "DBCheckBox4 canMakeBookings",
                             "DBCheckBox6 canModifyBookings", "DBCheckBox5 canMakePermanentBookings",
                             "DBCheckBox2 canFlushBookings", "DBCheckBox8 canModifyItems",
                             "DBCheckBox7 canModifyCatergories", "DBCheckBox1 canAdministerUsers",
                             "DBCheckBox3 canForceShutdown", "DBCheckBox9 canRunMaintaince", "DBCheckBox14 canCirculate",
                             "DBCheckBox15 isAdministrator", "DBCheckBox11 ForcePassword", "expires Expires"}) {
        names << QString::fromLatin1(pair).section(' ', 0, 0);
        allFields << QString::fromLatin1(pair).section(' ', 1, 1);
    }
    QString clear;
    for (const QString& field : allFields)
        clear += QStringLiteral("\"%1\" = 0, ").arg(field);
    Tdefaultrightsfrm* f = DefaultRightsForm();
    for (int i = 0; i < names.size(); ++i) {
        // The two rights that are no defaults stay as they are.
        db().exec(QStringLiteral("UPDATE Users SET %1 canModifyPeriod = 1, canOverrideBookingLimit = 1, accesslevel = 5 "
                                 "WHERE username = ?").arg(clear),
                  {ProfileUserName});
        ui->answer([&](QDialog& d) {
            auto* box = d.findChild<QCheckBox*>(names[i]);
            EXPECT_NE(box, nullptr) << names[i].toStdString();
            if (box)
                box->click();
            auto& form = static_cast<Tdefaultrightsfrm&>(d);
            EXPECT_EQ(form.accesslevel->value(), 5);
            form.accesslevel->setValue(77 + i);
            form.expireson->setDate(QDate(2027, 7, 1 + i));
            form.Button1->click();
            return form.result();
        });
        win->DefaultRightsforNewUsers1->trigger();
        EXPECT_EQ(f->result(), mrOk);
        for (const QString& field : allFields) {
            // Ticking Student with neither ticked leaves Staff clear; ticking
            // Staff leaves Student clear: only the clicked one is set.
            EXPECT_EQ(templateField(field), field == allFields[i] ? 1 : 0)
                << names[i].toStdString() << " -> " << field.toStdString();
        }
        EXPECT_EQ(templateField(QStringLiteral("canModifyPeriod")), 1);
        EXPECT_EQ(templateField(QStringLiteral("canOverrideBookingLimit")), 1);
        EXPECT_EQ(templateField(QStringLiteral("accesslevel")), 77 + i);
        EXPECT_EQ(DateValue::parse(db().scalar(QStringLiteral("SELECT ExpiresOn FROM Users WHERE username = ?"),
                                               {ProfileUserName}).toString()).date(),
                  QDate(2027, 7, 1 + i));
    }

    // What the template holds reaches the next user made.
    addUser({QStringLiteral("NEWBIE"), 1, false});
    ASSERT_TRUE(ApplyProfileToUser(QStringLiteral("NEWBIE")));
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT Expires FROM Users WHERE username = 'NEWBIE'")).toInt(), 1);
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT accesslevel FROM Users WHERE username = 'NEWBIE'")).toInt(),
              77 + int(names.size()) - 1);
}

TEST_F(Settings, EachShowingOfTheDefaultRightsRereadsTheTemplate)
{
    // Changed by another client between two showings: the next one shows it.
    Tdefaultrightsfrm* f = DefaultRightsForm();
    ASSERT_TRUE(f->FormShow());
    second().ADOConnection.exec(QStringLiteral("UPDATE Users SET canMakeBookings = 0, accesslevel = 33 WHERE username = ?"),
                                {ProfileUserName});
    ASSERT_TRUE(f->FormShow());
    EXPECT_FALSE(f->DBCheckBox4->isChecked());
    EXPECT_EQ(f->accesslevel->value(), 33);
    // A level outside the spin edit's range shows as its nearest bound.
    db().exec(QStringLiteral("UPDATE Users SET accesslevel = 0 WHERE username = ?"), {ProfileUserName});
    ASSERT_TRUE(f->FormShow());
    EXPECT_EQ(f->accesslevel->value(), 1);
}

TEST_F(Settings, AMissingTemplateIsSaidAndTheDialogDoesNotOpen)
{
    db().exec(QStringLiteral("DELETE FROM Users WHERE username = ?"), {ProfileUserName});
    win->DefaultRightsforNewUsers1->trigger();
    EXPECT_EQ(ui->alerts, QStringList{DefaultRightsMessages::NoTemplate});
    EXPECT_EQ(ui->shown, QStringList{QStringLiteral("alertfrm")});
}

// ------------------------------------------------------------------ booking limit

TEST_F(Settings, TheDaysMustBeAWholeNumberOfAtLeastOne)
{
    TOtherConfigurationOptionsFrm* f = OtherConfigurationOptionsForm();
    db().exec(QStringLiteral("UPDATE config SET enableBookingLimit = 0, BookingLimitDays = 7"));
    f->FormShow();
    EXPECT_FALSE(f->enablebookinglimit->isChecked());
    EXPECT_EQ(f->bookinglimitdays->text(), QStringLiteral("7"));
    const QVariantList before = configRow();
    struct Case {
        const char* text;
        QString message;
    };
    const Case refused[] = {{"0", OtherOptionsMessages::MinimumDays},
                            {"-1", OtherOptionsMessages::MinimumDays},
                            {"abc", OtherOptionsMessages::NotANumber(QStringLiteral("abc"))},
                            {"", OtherOptionsMessages::NotANumber(QString())},
                            {"99999999999", OtherOptionsMessages::NotANumber(QStringLiteral("99999999999"))}};
    for (bool limitOn : {false, true}) {
        for (const Case& c : refused) {
            f->setResult(mrClosed);
            f->enablebookinglimit->setChecked(limitOn);
            f->bookinglimitdays->setText(QLatin1String(c.text));
            expectPlainMessage();
            f->Button1Click();
            EXPECT_EQ(plain.value(plain.size() - 1), c.message) << c.text;
            EXPECT_EQ(f->result(), mrClosed) << c.text;
            EXPECT_EQ(configRow(), before) << c.text;
        }
    }
    EXPECT_TRUE(ui->alerts.isEmpty());   // the plain box, not the system's own

    f->enablebookinglimit->setChecked(false);
    f->bookinglimitdays->setText(QStringLiteral("1"));
    f->Button1Click();
    EXPECT_EQ(f->result(), mrOk);
    EXPECT_EQ(configField(QStringLiteral("BookingLimitDays")), 1);
}

TEST_F(Settings, AStoredLimitOfFourteenDaysLetsAPlainUserBookFourteenDaysAhead)
{
    addUser({QStringLiteral("PLAIN")});
    ui->answer([](QDialog& d) {
        auto& f = static_cast<TOtherConfigurationOptionsFrm&>(d);
        f.enablebookinglimit->setChecked(true);
        f.bookinglimitdays->setText(QStringLiteral("14"));
        f.Button1->click();
        return f.result();
    });
    win->OtherConfigurationOptions1->trigger();
    EXPECT_EQ(configField(QStringLiteral("enableBookingLimit")), 1);
    EXPECT_EQ(configField(QStringLiteral("BookingLimitDays")), 14);
    const QDate today = Clock::today();
    EXPECT_TRUE(BookingDateAllowed(QStringLiteral("PLAIN"), QStringLiteral("1"), QDateTime(today.addDays(14), QTime(0, 0))));
    EXPECT_FALSE(BookingDateAllowed(QStringLiteral("PLAIN"), QStringLiteral("1"), QDateTime(today.addDays(15), QTime(0, 0))));
}
