// The import wizard: navigation, the period alignment, the checks before
// the run, the lock-out flags, and the three imports with their paths.
#include "Accounts.h"
#include "DataFixture.h"
#include "DbError.h"
#include "ImportData.h"
#include "LegacyFiles.h"
#include "LegacyGenerator.h"
#include "RadioGroup.h"
#include "UiScript.h"
#include "Utilities.h"
#include "selbrinfrm.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include <thread>

namespace {

LegacyUser user4(const QString& name, int level = 10, const QString& password = QStringLiteral("Pass1"))
{
    return {name, name + QStringLiteral(" Full"), password, false, true, false, level};
}

LegacyItem item4(const QString& key, const QString& name, const QString& description = QStringLiteral("desc"))
{
    return {key, name, description, QStringLiteral("Rooms"), false, true, QStringLiteral("boss")};
}

LegacyBooking booking4(const QString& key, const QString& code, const QString& by = QStringLiteral("TEACH"),
                       const QString& reason = QStringLiteral("Maths"))
{
    return {key, LegacyGen::dateValue(QDateTime(QDate(2026, 3, 5), QTime(10, 0))), code, by, QString(), reason};
}

// Runs `seen` at each event of one type that reaches the watched object.
class EventSpy : public QObject {
public:
    EventSpy(QObject* watched, QEvent::Type type, std::function<void()> seen)
        : m_type(type), m_seen(std::move(seen))
    {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == m_type)
            m_seen();
        return false;
    }

private:
    QEvent::Type m_type;
    std::function<void()> m_seen;
};

class WizardTest : public DataFixture {
protected:
    void SetUp() override
    {
        DataFixture::SetUp();
        ASSERT_TRUE(legacy.isValid());
        LegacySeams::setProgramFolder(legacy.path() + QLatin1Char('/'));
        LegacySeams::setPause([](int) {});
        addUser({QStringLiteral("ADMIN"), 250, true, true, true});
        db().exec(QStringLiteral("UPDATE Users SET password = ? WHERE username = 'ADMIN'"),
                  {Scramble(QStringLiteral("SECRET"))});
        addUser({ProfileUserName, 7, true});
        addUser({QStringLiteral("TEACH"), 20});
        addPeriods(8);
        openForm();
    }
    // A wizard shown with both folders and the password filled in.
    void openForm()
    {
        form.reset();
        form = std::make_unique<TSelbrinFrm>();
        form->sleeper = [this](int seconds) {
            waits << seconds;
            flagsAtWait << systemRow();
        };
        form->show();
        form->db50path->setText(dir.path());
        form->pass->setText(QStringLiteral("secret"));
        form->db40path->setText(legacy.path());
    }
    void TearDown() override
    {
        form.reset();
        LegacySeams::setProgramFolder(QString());
        LegacySeams::setPause(nullptr);
        LegacyTables() = TLegacyTables();
        DataFixture::TearDown();
    }

    void write(const LegacyInstall& in) { LegacyGen::writeInstall(legacy.path(), in); }
    void toStep(int n)
    {
        form->step = n - 1;
        form->NextBtnClick();
    }
    // Through the period step into the run.
    void run()
    {
        toStep(6);
        form->NextBtnClick();
    }
    QString systemRow()
    {
        return db().scalar(QStringLiteral("SELECT forceshutdown || '/' || denylogin || '/' || reason || '/' || user "
                                          "FROM System")).toString();
    }
    QStringList logLines() { return form->status->toPlainText().split(QLatin1Char('\n')); }
    // Runs an import of one item and five bookings; `act` runs once the
    // booking record numbered `record` is done.
    void runActingAtBooking(int record, const std::function<void()>& act)
    {
        LegacyInstall in;
        in.items.push_back(item4(QStringLiteral("R1"), QStringLiteral("Room 1")));
        for (int i = 0; i < 5; ++i)
            in.bookings.push_back(booking4(QStringLiteral("R1"), Legacy::PeriodCodes.at(i)));
        write(in);
        form->afterRecord = [record, act](const QString& file, int done) {
            if (file == Legacy::BookingFileName && done == record)
                act();
        };
        run();
    }
    // A field of the user or item of that name.
    QString fieldOf(const char* table, const QString& name, const char* field)
    {
        const char* key = qstrcmp(table, "Users") == 0 ? "username" : "ItemName";
        return db().scalar(QStringLiteral("SELECT \"%1\" FROM %2 WHERE %3 = ?")
                               .arg(QLatin1String(field), QLatin1String(table), QLatin1String(key)),
                           {name}).toString();
    }
    void expectRow(const char* table, const QString& name,
                   std::initializer_list<std::pair<const char*, const char*>> fields)
    {
        for (const auto& [field, value] : fields)
            EXPECT_EQ(fieldOf(table, name, field), QLatin1String(value)) << name.toStdString() << ' ' << field;
    }
    void expectLogged(const QStringList& wanted)
    {
        const QStringList lines = logLines();
        for (const QString& line : wanted)
            EXPECT_TRUE(lines.contains(line)) << line.toStdString();
    }

    QTemporaryDir legacy;
    UiScript ui;
    std::unique_ptr<TSelbrinFrm> form;
    QList<int> waits;
    QStringList flagsAtWait;
};

} // namespace

TEST_F(WizardTest, NavigationClampsAndSetsTheButtons)
{
    EXPECT_EQ(form->step, 1);
    EXPECT_FALSE(form->BackBtn->isEnabled());
    form->BackBtnClick();
    EXPECT_EQ(form->step, 1);
    for (int n = 2; n <= 5; ++n) {
        form->NextBtnClick();
        EXPECT_EQ(form->step, n);
        EXPECT_TRUE(form->BackBtn->isEnabled() && form->NextBtn->isEnabled() && form->CloseBtn->isEnabled());
    }
    // A folder without a database: the message, back to step 2, no file made.
    form->db50path->setText(legacy.path());
    form->NextBtnClick();
    EXPECT_EQ(form->step, 2);
    EXPECT_EQ(ui.alerts, QStringList({"The folder specified for Tavrell 5.0 is invalid."}));
    EXPECT_FALSE(QFile::exists(legacy.filePath(QStringLiteral("data.mdb"))));
    EXPECT_TRUE(form->parts[1]->isVisible());
    // An empty entry names no folder, not the working one with its database.
    const QString working = QDir::currentPath();
    QDir::setCurrent(dir.path());
    form->db50path->clear();
    toStep(6);
    QDir::setCurrent(working);
    EXPECT_EQ(form->step, 2);
    EXPECT_EQ(ui.alerts.size(), 2);
    EXPECT_EQ(ui.alerts.last(), QStringLiteral("The folder specified for Tavrell 5.0 is invalid."));
}

TEST_F(WizardTest, TheOptionsStepClosingLineStandsBelowItsGroups)
{
    toStep(5);
    auto* memo = form->findChild<QPlainTextEdit*>(QStringLiteral("Memo5"));
    ASSERT_NE(memo, nullptr);
    const QStringList lines = memo->toPlainText().split(QLatin1Char('\n'));
    EXPECT_EQ(lines.first(), QStringLiteral("When Importing "));
    EXPECT_EQ(lines.last(), QStringLiteral("When everything is right click '>'"));
    QTextCursor end(memo->document());
    end.movePosition(QTextCursor::End);
    const QRect last = memo->cursorRect(end).translated(memo->viewport()->mapTo(form->parts[4], QPoint(0, 0)));
    for (QWidget* group : {static_cast<QWidget*>(form->userprecedence), static_cast<QWidget*>(form->bookingprecedence),
                           static_cast<QWidget*>(form->invprecedence)})
        EXPECT_FALSE(last.intersects(group->geometry())) << group->objectName().toStdString();
    EXPECT_LE(last.bottom(), memo->geometry().bottom());
    EXPECT_GE(last.top(), form->invprecedence->geometry().bottom());
}

TEST_F(WizardTest, BrowseButtonsFillTheFolderEntries)
{
    // A cancel before any choice leaves the entry; a chosen folder fills it.
    ui.answer(mrCancel);
    form->Button4->click();
    EXPECT_EQ(form->db50path->text(), dir.path());
    const auto choose = [](const QString& folder) {
        return [folder](QDialog& d) {
            auto& dialog = static_cast<QFileDialog&>(d);
            dialog.setDirectory(folder);
            dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open)->click();
            return mrCancel;
        };
    };
    ui.answer(choose(legacy.path()));
    form->Button4->click();
    EXPECT_EQ(QDir(form->db50path->text()), QDir(legacy.path()));
    ui.answer(choose(dir.path()));
    form->Button5->click();
    EXPECT_EQ(QDir(form->db40path->text()), QDir(dir.path()));
    EXPECT_EQ(ui.shown.size(), 3);
}

TEST_F(WizardTest, PeriodStepAlignsTheFirstPeriodsAndMapsCodes)
{
    db().exec(QStringLiteral("UPDATE periods SET period = 'Reg' WHERE \"order\" = 1"));
    toStep(6);
    ASSERT_EQ(form->step, 6);
    for (int k = 0; k < 12; ++k)
        EXPECT_EQ(form->importBoxes[size_t(k)]->isChecked(), k < 8) << k;
    ASSERT_EQ(form->ImportPeriodList->count(), 8);
    EXPECT_EQ(form->ImportPeriodList->item(0)->text(), QStringLiteral("Reg"));

    form->importBoxes[8]->setChecked(true);   // LT: ticked, but beyond the eight
    form->importBoxes[1]->setChecked(false);  // FM: unticked
    form->ImportPeriodList->item(2)->setText(QStringLiteral("N/A"));
    form->ImportPeriodList->item(3)->setText(QString());
    struct Case {
        const char* code;
        bool imported;
        const char* mapped;
    };
    for (const Case c : {Case{"BS", true, "Reg"}, Case{"FM", false, "2"}, Case{"P1", false, "N/A"},
                         Case{"P2", false, ""}, Case{"P5", true, "8"}, Case{"LT", false, "N/A"},
                         Case{"bs", false, "N/A"}, Case{"XX", false, "N/A"}}) {
        EXPECT_EQ(form->IsPeriodImported(QLatin1String(c.code)), c.imported) << c.code;
        EXPECT_EQ(form->MapPeriod(QLatin1String(c.code)), QLatin1String(c.mapped)) << c.code;
    }

    // Moves: nothing without a selection, nothing past either end.
    const auto texts = [this] {
        QStringList t;
        for (int i = 0; i < form->ImportPeriodList->count(); ++i)
            t << form->ImportPeriodList->item(i)->text();
        return t;
    };
    const QStringList before = texts();
    form->Button1Click();
    form->Button2Click();
    form->ImportPeriodList->setCurrentRow(0);
    form->Button1Click();
    form->ImportPeriodList->setCurrentRow(7);
    form->Button2Click();
    EXPECT_EQ(texts(), before);
    form->ImportPeriodList->setCurrentRow(4);
    form->Button1Click();
    EXPECT_EQ(form->ImportPeriodList->currentRow(), 3);
    EXPECT_EQ(form->ImportPeriodList->item(3)->text(), before[4]);
    EXPECT_EQ(form->ImportPeriodList->item(4)->text(), before[3]);
    form->Button2Click();
    EXPECT_EQ(texts(), before);
    form->Button2Click();
    EXPECT_EQ(form->ImportPeriodList->currentRow(), 5);

    // Back and forward again: the list starts afresh.
    form->BackBtnClick();
    form->NextBtnClick();
    EXPECT_EQ(form->ImportPeriodList->item(2)->text(), QStringLiteral("3"));
    EXPECT_TRUE(form->importBoxes[8]->isChecked());   // never unticked
}

TEST_F(WizardTest, EachCheckReturnsToItsStepWithTheFlagsUntouched)
{
    const QString untouched = systemRow();
    struct Case {
        const char* name;
        std::function<void()> spoil;
        const char* message;
        int step;
    };
    const QString bookingFile = legacy.filePath(QStringLiteral("Booking.IBD"));
    const Case cases[] = {
        {"wrong password", [&] { form->pass->setText(QStringLiteral("nope")); },
         "Administrator Password supplied is incorrect", 3},
        {"missing cat.ibd", [&] { QFile::remove(legacy.filePath(QStringLiteral("CAT.IBD"))); },
         "This install of Tavrell 4.x is corrupt", 4},
        {"truncated Booking.IBD", [&] { QFile::resize(bookingFile, 312 * 10000 - 1); },
         "This install of Tavrell 4.x is corrupt", 4},
        {"cat.ibd of 8 Mi empty lines",
         [&] {
             QFile f(legacy.filePath(QStringLiteral("CAT.IBD")));
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write(QByteArray(8 << 20, '\n'));
         },
         "This install of Tavrell 4.x is corrupt", 4},
        {"no control row", [&] { db().exec(QStringLiteral("DELETE FROM System")); },
         "This installation of Tavrell 5.0 has no control row, so its users cannot be locked out while importing", 2},
        {"no ADMIN", [&] { db().exec(QStringLiteral("DELETE FROM Users WHERE username = 'ADMIN'")); },
         "This installation of Tavrell 5.0 has not been setup", 2},
    };
    for (const Case& c : cases) {
        write(LegacyGen::generate(5, 3, 3, 3));
        form->pass->setText(QStringLiteral("secret"));
        toStep(6);
        c.spoil();
        ui.alerts.clear();
        form->NextBtnClick();
        EXPECT_EQ(ui.alerts, QStringList({QString::fromUtf8(c.message)})) << c.name;
        EXPECT_EQ(form->step, c.step) << c.name;
        EXPECT_TRUE(form->NextBtn->isEnabled()) << c.name;
        EXPECT_TRUE(waits.isEmpty()) << c.name;
        if (count(QStringLiteral("SELECT COUNT(*) FROM System")) == 1) {
            EXPECT_EQ(systemRow(), untouched) << c.name;
        }
    }
}

TEST_F(WizardTest, RunLocksUsersOutAndLetsThemBackIn)
{
    LegacyInstall in = LegacyGen::generate(9, 12, 30, 300, 4);
    // Files named in other letter cases are found.
    write(in);
    QFile::rename(legacy.filePath(QStringLiteral("USER.IBD")), legacy.filePath(QStringLiteral("user.ibd")));
    QFile::rename(legacy.filePath(QStringLiteral("CAT.IBD")), legacy.filePath(QStringLiteral("Cat.Ibd")));
    run();
    ASSERT_TRUE(ui.alerts.isEmpty()) << ui.alerts.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(waits, QList<int>({5, 5}));
    EXPECT_EQ(flagsAtWait, QStringList({"0/1/Importing Data from Tavrell 4.0/", "1/1/Importing Data from Tavrell 4.0/ADMIN"}));
    EXPECT_EQ(systemRow(), QStringLiteral("0/0/Importing Data from Tavrell 4.0/ADMIN"));
    EXPECT_EQ(form->CloseBtn->text(), QStringLiteral("Finish"));
    EXPECT_TRUE(form->CloseBtn->isEnabled());
    EXPECT_FALSE(form->NextBtn->isEnabled() || form->BackBtn->isEnabled());
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(CurrentUser, QStringLiteral("ADMIN"));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Users")), 3 + 12);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM items")), 30);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM catergories")), 4);
    // The codes LT to AS have no period among the eight.
    int expected = 0;
    for (const LegacyBooking& b : in.bookings)
        expected += Legacy::PeriodCodes.indexOf(b.period) < 8 ? 1 : 0;
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM bookings")), expected);
    const QStringList lines = logLines();
    EXPECT_EQ(lines.mid(lines.size() - 4),
              QStringList({"Import Complete", "Please run Maintenance program in Tavrell 5.0", "Reinstating Login",
                           "0 records were refused and not imported"}));
    EXPECT_EQ(form->position(), 1 + 1 + 4 + 1 + 200 + 1000 + 10000);
}

// Through the real waits of the lock-out the log shows the lines logged
// before each, and the window repaints when asked to midway.
TEST_F(WizardTest, TheLogIsOnScreenThroughTheLockOutWaits)
{
    write(LegacyInstall());
    form->sleeper = nullptr;
    QElapsedTimer clock;
    QList<std::pair<qint64, QString>> paints;   // when, and the log then
    EventSpy spy(form->status->viewport(), QEvent::Paint,
                 [&] { paints.append({clock.elapsed(), form->status->toPlainText()}); });
    clock.start();
    std::thread midway([viewport = form->status->viewport()] {
        std::this_thread::sleep_for(std::chrono::milliseconds(2500));
        QMetaObject::invokeMethod(viewport, qOverload<>(&QWidget::update), Qt::QueuedConnection);
    });
    run();
    midway.join();
    EXPECT_GE(clock.elapsed(), 10000);
    const auto painted = [&](qint64 from, qint64 to, const QString& log) {
        return std::any_of(paints.begin(), paints.end(),
                           [&](const auto& p) { return p.first >= from && p.first < to && p.second == log; });
    };
    const QString first = QStringLiteral("Disabling Tavrell Login");
    EXPECT_TRUE(painted(0, 1000, first));
    EXPECT_TRUE(painted(2500, 5000, first));
    EXPECT_TRUE(painted(5000, 6000, first + QStringLiteral("\nForcing Users in Tavrell to Logoff")));
}

TEST_F(WizardTest, AnErrorStopsTheRunKeepingWhatWasImportedAndTheLockOut)
{
    runActingAtBooking(4, [] { throw DbError(QStringLiteral("disk I/O error")); });
    EXPECT_EQ(ui.alerts, QStringList({"disk I/O error"}));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM bookings")), 3);
    EXPECT_EQ(systemRow(), QStringLiteral("1/1/Importing Data from Tavrell 4.0/ADMIN"));
    EXPECT_EQ(logLines().last(), QStringLiteral("Import stopped at record 4 of Booking.IBD: disk I/O error"));
    EXPECT_TRUE(form->CloseBtn->isEnabled());
    EXPECT_EQ(form->CloseBtn->text(), QStringLiteral("&Close"));
    EXPECT_FALSE(form->Timer1->isActive());
}

// A batch lost with an error is logged with how many records it held and
// from which record the file holds nothing of the run; the run stops there.
TEST_F(WizardTest, ALostBatchIsLoggedAndStopsTheRun)
{
    Database reader;
    struct Case {
        const char* name;
        int actAt;    // the booking record after which act runs
        std::function<void()> act;
        int stopAt;   // the booking record where the run stops
        const char* lost;
    };
    const Case cases[] = {
        // The engine ends the transaction under the record (as after a
        // full disk) without the record's own work failing.
        {"transaction ended", 4, [this] { QSqlQuery(db().handle()).exec(QStringLiteral("ROLLBACK")); }, 4,
         "The last 4 records were lost: the file holds nothing of this run from record 1 of Booking.IBD on"},
        // Another program reads the file past the busy timeout when the
        // batch of records 1 to 200 commits.
        {"commit refused", 150,
         [&] {
             db().exec(QStringLiteral("PRAGMA busy_timeout = 50"));
             reader.open(path);
             reader.exec(QStringLiteral("BEGIN"));
             reader.scalar(QStringLiteral("SELECT COUNT(*) FROM bookings"));
         },
         200, "The last 200 records were lost: the file holds nothing of this run from record 1 of Booking.IBD on"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openForm();
        ui.alerts.clear();
        runActingAtBooking(c.actAt, c.act);
        if (reader.isOpen())
            reader.close();
        ASSERT_EQ(ui.alerts.size(), 1);
        const QStringList lines = logLines();
        EXPECT_EQ(lines.filter(QStringLiteral("* Adding Booking ")).size(), std::min(c.stopAt, 5));
        EXPECT_EQ(lines.mid(lines.size() - 2),
                  QStringList({QString::fromUtf8(c.lost), QStringLiteral("Import stopped at record %1 of Booking.IBD: ")
                                                                  .arg(c.stopAt) + ui.alerts[0]}));
        EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM bookings")), 0);
        EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM items")), 1);
        EXPECT_EQ(systemRow(), QStringLiteral("1/1/Importing Data from Tavrell 4.0/ADMIN"));
        EXPECT_TRUE(form->CloseBtn->isEnabled());
        EXPECT_EQ(db().transactionDepth(), 0);
    }
}

TEST_F(WizardTest, AnUnreadableFileStopsTheRunNamingIt)
{
    write(LegacyGen::generate(2, 2, 2, 2));
    // Readable at the checks, gone when the user file is read.
    form->afterRecord = [this](const QString& file, int) {
        if (file == Legacy::CategoryFileName)
            QFile::remove(legacy.filePath(QStringLiteral("USER.IBD")));
    };
    run();
    ASSERT_EQ(ui.alerts.size(), 1);
    EXPECT_TRUE(ui.alerts[0].contains(QStringLiteral("USER.IBD")));
    EXPECT_EQ(logLines().last(), QStringLiteral("Import stopped: ") + ui.alerts[0]);
    EXPECT_EQ(systemRow(), QStringLiteral("1/1/Importing Data from Tavrell 4.0/ADMIN"));
}

// Closing the wizard, or Escape (which keeps it shown while the record
// ends), stops the run after the current record.
TEST_F(WizardTest, ClosingOrEscapeDuringTheRunStopsAfterTheRecord)
{
    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "close");
        if (escape) {
            db().exec(QStringLiteral("DELETE FROM bookings"));
            openForm();
        }
        bool finished = false;
        bool visibleAfterEscape = false;
        QObject::connect(form.get(), &QDialog::finished, [&] { finished = true; });
        runActingAtBooking(2, [&] {
            if (escape) {
                QTest::keyClick(form.get(), Qt::Key_Escape);
                visibleAfterEscape = form->isVisible();
            } else {
                form->close();
            }
        });
        EXPECT_TRUE(finished);
        EXPECT_EQ(visibleAfterEscape, escape);
        EXPECT_EQ(form->result(), mrCancel);
        EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM bookings")), 2);
        EXPECT_EQ(logLines().last(), QStringLiteral("Import stopped by closing the wizard before record 3 of Booking.IBD"));
    }
}

// Restoring a minimized wizard shows it again, which is not its first
// showing: the step, the entries and, during the run, the disabled
// buttons stay as they were.
TEST_F(WizardTest, RestoringTheMinimizedWizardKeepsItsStep)
{
    const auto minimizeAndRestore = [this] {
        form->setWindowState(Qt::WindowMinimized);
        form->setWindowState(Qt::WindowNoState);
    };
    toStep(4);
    form->db50path->setText(dir.path() + QLatin1Char('/'));
    minimizeAndRestore();
    EXPECT_EQ(form->step, 4);
    EXPECT_TRUE(form->parts[3]->isVisible());
    EXPECT_EQ(form->db50path->text(), dir.path() + QLatin1Char('/'));

    form->db50path->setText(dir.path());
    bool stepKept = false;
    bool buttonsStayedDisabled = false;
    runActingAtBooking(2, [&] {
        minimizeAndRestore();
        stepKept = form->step == 7 && form->parts[6]->isVisible();
        buttonsStayedDisabled =
            !form->CloseBtn->isEnabled() && !form->NextBtn->isEnabled() && !form->BackBtn->isEnabled();
    });
    EXPECT_TRUE(stepKept);
    EXPECT_TRUE(buttonsStayedDisabled);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM bookings")), 5);
    EXPECT_EQ(form->CloseBtn->text(), QStringLiteral("Finish"));
}

TEST_F(WizardTest, UsersAreAddedOverwrittenOrKeptAndAdminIsProtected)
{
    addUser({QStringLiteral("OLD"), 30});
    db().exec(QStringLiteral("UPDATE Users SET Online = 1"));
    LegacyUser admin = user4(QStringLiteral("Admin"), 255, QStringLiteral("hacked"));
    LegacyUser blank = user4(QString());
    LegacyUser none = user4(QStringLiteral("[NONE]"));
    LegacyUser lower = user4(QStringLiteral("[none]"));
    LegacyUser fresh = user4(QStringLiteral("newbie"), 255, QStringLiteral("MixPass"));
    fresh.isAdministrator = true;
    fresh.isStaff = false;
    LegacyUser old = user4(QStringLiteral("old"), 0, QStringLiteral("KeepCase"));
    old.fullName = QStringLiteral("Renamed");
    write(LegacyInstall{{admin, blank, none, lower, fresh, old}, {}, {}, {}, false});
    run();
    // The administrator keeps its level, rights and password.
    expectRow("Users", QStringLiteral("ADMIN"), {{"accesslevel", "250"}});
    EXPECT_TRUE(ImportCheckPassword(QStringLiteral("ADMIN"), QStringLiteral("SECRET")));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Users WHERE username = ''")), 0);
    // "[NONE]" marks an unused record; "[none]" is a name like any other.
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Users WHERE username = '[NONE]'")), 1);
    // Added: upper-cased, the template's rights, the 4.x flags and a level of at most 200.
    expectRow("Users", QStringLiteral("NEWBIE"), {{"username", "NEWBIE"}, {"accesslevel", "200"},
                                                  {"canMakeBookings", "1"}, {"isAdministrator", "1"},
                                                  {"isStaff", "0"}, {"Online", "0"}});
    EXPECT_TRUE(ImportCheckPassword(QStringLiteral("NEWBIE"), QStringLiteral("mixpass")));
    // Overwritten: the 4.x password as it was, the full name, level 0 as read, offline.
    EXPECT_EQ(Unscramble(fieldOf("Users", QStringLiteral("OLD"), "password")), QStringLiteral("KeepCase"));
    expectRow("Users", QStringLiteral("OLD"), {{"FullName", "Renamed"}, {"accesslevel", "0"}, {"Online", "0"}});
    expectLogged({QStringLiteral("* Adding User NEWBIE"), QStringLiteral("* Overwriting User OLD")});
    EXPECT_FALSE(logLines().join(QLatin1Char('\n')).contains(QStringLiteral("ADMIN")));
}

TEST_F(WizardTest, UsersAreKeptWithTheSecondChoice)
{
    addUser({QStringLiteral("OLD"), 30});
    write(LegacyInstall{{user4(QStringLiteral("old"), 99)}, {}, {}, {}, false});
    toStep(5);
    form->userprecedence->setItemIndex(1);
    run();
    expectRow("Users", QStringLiteral("OLD"), {{"accesslevel", "30"}});
    EXPECT_TRUE(logLines().contains(QStringLiteral("* User OLD already exists in Tavrell and will not be overwritten")));
}

TEST_F(WizardTest, InventoryIsAddedOverwrittenOrKept)
{
    addItem(QStringLiteral("PROJECTOR"), 5, QStringLiteral("X"), QStringLiteral("Kit"), QStringLiteral("keepme"));
    db().exec(QStringLiteral("INSERT INTO catergories (CaterGoryName, Description) VALUES ('Kit', 'ours')"));
    const QString longText(200, QLatin1Char('d'));
    write(LegacyInstall{{},
                        {item4(QStringLiteral("K1"), QStringLiteral("Room 1"), longText),
                         item4(QStringLiteral("K2"), QStringLiteral("Projector")),
                         item4(QStringLiteral("K3"), QStringLiteral("[NONE]"))},
                        {},
                        {QStringLiteral("Rooms"), QStringLiteral("KIT")},
                        true});
    run();
    expectRow("items", QStringLiteral("ROOM 1"),
              {{"ItemName", "ROOM 1"}, {"Manager", "BOSS"}, {"minSecurity", "1"}, {"isAvailable", "1"}});
    EXPECT_EQ(fieldOf("items", QStringLiteral("ROOM 1"), "ItemDescription"), longText.left(150));
    expectRow("items", QStringLiteral("Projector"),
              {{"ItemName", "Projector"}, {"Manager", "boss"}, {"minSecurity", "1"}, {"AuthCode", "keepme"}});
    EXPECT_TRUE(fieldOf("items", QStringLiteral("Projector"), "BarCode").startsWith(QLatin1Char('*')));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM items")), 2);
    // Existing categories never change; new ones carry the description.
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM catergories")), 2);
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT Description FROM catergories WHERE CaterGoryName = 'kit'")).toString(),
              QStringLiteral("ours"));
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT Description FROM catergories WHERE CaterGoryName = 'Rooms'")).toString(),
              QStringLiteral("Transferred from Tavrell 4.x"));
    expectLogged({QStringLiteral("* Adding Item Room 1"),
                  QStringLiteral("  - the description of item Room 1 was cut to 150 characters"),
                  QStringLiteral("* Overwriting Item Projector"), QStringLiteral("Adding Catergory Rooms")});
    EXPECT_FALSE(logLines().contains(QStringLiteral("Adding Catergory KIT")));
}

TEST_F(WizardTest, BookingsAreAddedReplacedOrIgnored)
{
    addItem(QStringLiteral("ROOM 1"));
    addBooking(QStringLiteral("ROOM 1"), QDate(2026, 3, 5), QStringLiteral("1"), QStringLiteral("TEACH"),
               QStringLiteral("old"));
    LegacyBooking odd = booking4(QStringLiteral("r1"), QStringLiteral("FM"));
    odd.date = std::numeric_limits<double>::quiet_NaN();
    write(LegacyInstall{{},
                        {item4(QStringLiteral("R1"), QStringLiteral("Room 1"))},
                        {booking4(QStringLiteral("r1"), QStringLiteral("BS"), QStringLiteral("TEACH"), QStringLiteral("new")),
                         booking4(QStringLiteral("r1"), QStringLiteral("P1")),
                         booking4(QStringLiteral("NOKEY"), QStringLiteral("P2")),
                         booking4(QStringLiteral("r1"), QStringLiteral("P3"), QStringLiteral("NOBODY")),
                         booking4(QStringLiteral("r1"), QStringLiteral("LT")), odd},
                        {},
                        false});
    const QString day = FormatShortDate(QDate(2026, 3, 5));
    toStep(5);
    form->invprecedence->setItemIndex(1);
    toStep(6);
    form->importBoxes[2]->setChecked(false);   // P1 not imported
    form->NextBtnClick();
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT forReason FROM bookings WHERE Period = '1'")).toString(),
              QStringLiteral("new"));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM bookings")), 1);
    expectLogged({QStringLiteral("* Overwriting Booking ") + day + QStringLiteral(" BS Room 1"),
                  QStringLiteral("* Adding Booking ") + day + QStringLiteral(" P2 "),
                  QStringLiteral("* Adding Booking ") + day + QStringLiteral(" P3 Room 1"),
                  QStringLiteral("  - booking record 6 has no valid date and is skipped")});
    const QStringList lines = logLines();
    EXPECT_EQ(lines.last(), QStringLiteral("2 records were refused and not imported"));
    EXPECT_EQ(lines.join(QLatin1Char('\n')).count(QStringLiteral("Booking ") + day + QStringLiteral(" P1")), 0);

    // The second choice: every existing slot is ignored and stays.
    openForm();
    toStep(5);
    form->bookingprecedence->setItemIndex(1);
    run();
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT forReason FROM bookings WHERE Period = '1'")).toString(),
              QStringLiteral("new"));
    EXPECT_TRUE(logLines().contains(
        QStringLiteral("* Ignoring Booking ") + day + QStringLiteral(" BS Room 1 as this item already exists in Version 5.0")));
}

// A text the 5.0 tables cannot hold (a NUL, damage in the 4.x file, or
// more than 150 characters) is cut, and the cut is logged right under the
// line of the record that wrote it, and only where it was written.
TEST_F(WizardTest, TextsAreCutWhereWrittenAndLoggedUnderTheirRecord)
{
    const QChar nul(0);
    const QString longText(200, QLatin1Char('x'));
    addUser({QStringLiteral("OLD"), 30});
    addItem(QStringLiteral("PROJECTOR"));
    addItem(QStringLiteral("SCREEN"));
    addBooking(QStringLiteral("ROOM 1"), QDate(2026, 3, 5), QStringLiteral("1"), QStringLiteral("TEACH"));
    addBooking(QStringLiteral("ROOM 1"), QDate(2026, 3, 5), QStringLiteral("2"), QStringLiteral("TEACH"));
    LegacyUser fresh = user4(QStringLiteral("newbie"));
    fresh.fullName = QStringLiteral("ab") + nul + QStringLiteral("cd");
    LegacyUser old = user4(QStringLiteral("old"));
    old.fullName = QStringLiteral("xy") + nul + QStringLiteral("z");
    const auto booking = [](const char* code, const QString& reason, const char* by = "TEACH") {
        return booking4(QStringLiteral("R1"), QLatin1String(code), QLatin1String(by), reason);
    };
    write(LegacyInstall{{fresh, old},
                        {item4(QStringLiteral("R1"), QStringLiteral("Room 1"), QStringLiteral("abc") + nul + QStringLiteral("def")),
                         item4(QStringLiteral("K2"), QStringLiteral("Lab"), longText),
                         item4(QStringLiteral("K3"), QStringLiteral("Projector"), QStringLiteral("pq") + nul),
                         item4(QStringLiteral("K4"), QStringLiteral("Screen"), longText + nul)},
                        {booking("BS", QStringLiteral("new") + nul + QStringLiteral("junk")), booking("FM", longText),
                         booking("P2", QStringLiteral("mn") + nul), booking("P3", longText),
                         booking("P4", longText, "NOBODY")},   // refused: an unknown user
                        {},
                        false});
    run();
    ASSERT_TRUE(ui.alerts.isEmpty()) << ui.alerts.join(QLatin1Char('|')).toStdString();

    const QString day = FormatShortDate(QDate(2026, 3, 5)) + QLatin1Char(' ');
    const QString x150 = longText.left(150);
    const auto cut = [](const QString& what, int n) {
        return QStringLiteral("  - the %1 was cut to %2 characters").arg(what).arg(n)
               + (n < 150 ? QStringLiteral(" at a NUL character") : QString());
    };
    const auto description = [this](const char* item) { return fieldOf("items", item, "ItemDescription"); };
    const auto reasonAt = [this](const char* period) {
        return db().scalar(QStringLiteral("SELECT forReason FROM bookings WHERE Period = ?"), {period}).toString();
    };
    struct Case {
        QString record;   // the record's line, and the cut's line right under it
        QString cut;
        QString stored;   // what was written, and what should be
        QString wanted;
    };
    const Case cases[] = {
        {"* Adding User NEWBIE", cut("full name of user NEWBIE", 2), fieldOf("Users", "NEWBIE", "FullName"), "ab"},
        {"* Overwriting User OLD", cut("full name of user OLD", 2), fieldOf("Users", "OLD", "FullName"), "xy"},
        {"* Adding Item Room 1", cut("description of item Room 1", 3), description("Room 1"), "abc"},
        {"* Adding Item Lab", cut("description of item Lab", 150), description("Lab"), x150},
        {"* Overwriting Item Projector", cut("description of item Projector", 2), description("Projector"), "pq"},
        {"* Overwriting Item Screen", cut("description of item Screen", 150), description("Screen"), x150},
        {"* Overwriting Booking " + day + "BS Room 1", cut("reason of booking record 1", 3), reasonAt("1"), "new"},
        {"* Overwriting Booking " + day + "FM Room 1", cut("reason of booking record 2", 150), reasonAt("2"), x150},
        {"* Adding Booking " + day + "P2 Room 1", cut("reason of booking record 3", 2), reasonAt("4"), "mn"},
        {"* Adding Booking " + day + "P3 Room 1", cut("reason of booking record 4", 150), reasonAt("5"), x150},
    };
    QStringList lines = logLines();
    for (const Case& c : cases) {
        const qsizetype at = lines.indexOf(c.record);
        ASSERT_GE(at, 0) << c.record.toStdString();
        EXPECT_EQ(lines.value(at + 1), c.cut) << c.record.toStdString();
        EXPECT_EQ(c.stored, c.wanted) << c.record.toStdString();
    }
    // The booking refused for its unknown user wrote no reason: no cut.
    EXPECT_EQ(lines.filter(QStringLiteral(" was cut ")).size(), qsizetype(std::size(cases)));
    EXPECT_EQ(lines.last(), QStringLiteral("1 records were refused and not imported"));

    // Kept items and ignored bookings write nothing, so nothing is cut.
    openForm();
    toStep(5);
    form->invprecedence->setItemIndex(1);
    form->bookingprecedence->setItemIndex(1);
    run();
    lines = logLines();
    EXPECT_TRUE(lines.contains(QStringLiteral("* Item Screen already exists in Tavrell and will not be overwritten")));
    EXPECT_TRUE(lines.contains("* Ignoring Booking " + day + "FM Room 1 as this item already exists in Version 5.0"));
    EXPECT_TRUE(lines.filter(QStringLiteral("item")).filter(QStringLiteral(" was cut ")).isEmpty());
    EXPECT_TRUE(lines.filter(QStringLiteral("booking record")).filter(QStringLiteral(" was cut ")).isEmpty());
}

// A record whose write the database refuses is undone alone and logged as
// refused; the run goes on to its end and lets the users back in.
TEST_F(WizardTest, ARecordTheDatabaseRefusesIsRefusedAndTheRunGoesOn)
{
    addItem(QStringLiteral("LAB"), 5, QStringLiteral("KEEPER"));
    db().exec(QStringLiteral("CREATE TRIGGER keep_lab BEFORE UPDATE ON items WHEN NEW.ItemName = 'Lab' "
                             "BEGIN SELECT RAISE(ABORT, 'the lab stays as it is'); END"));
    db().exec(QStringLiteral("CREATE TRIGGER no_second BEFORE INSERT ON bookings WHEN NEW.Period = '2' "
                             "BEGIN SELECT RAISE(ABORT, 'nothing is booked in the second period'); END"));
    write(LegacyInstall{{},
                        {item4(QStringLiteral("K1"), QStringLiteral("Lab")), item4(QStringLiteral("R1"), QStringLiteral("Room 1"))},
                        {booking4(QStringLiteral("R1"), QStringLiteral("BS")), booking4(QStringLiteral("R1"), QStringLiteral("FM"))},
                        {},
                        false});
    run();
    EXPECT_TRUE(ui.alerts.isEmpty());
    expectRow("items", QStringLiteral("LAB"), {{"ItemName", "LAB"}, {"Manager", "KEEPER"}, {"minSecurity", "5"}});
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM bookings")), 1);
    const QStringList lines = logLines();
    EXPECT_TRUE(lines.contains(
        QStringLiteral("  - Item \"Lab\" was not imported: the database refused it (the lab stays as it is)")));
    EXPECT_TRUE(lines.contains(QStringLiteral("  - Booking ") + FormatShortDate(QDate(2026, 3, 5))
                               + QStringLiteral(" FM Room 1 was not imported: the database refused it (nothing is "
                                                "booked in the second period)")));
    EXPECT_EQ(lines.last(), QStringLiteral("2 records were refused and not imported"));
    EXPECT_EQ(systemRow(), QStringLiteral("0/0/Importing Data from Tavrell 4.0/ADMIN"));
}

// A file that cannot grow any more is no record's refusal, whether the
// write that met it threw or a data routine answered it as a refusal: the
// run stops there and the users stay locked out.
TEST_F(WizardTest, AFileThatCannotGrowStopsTheRun)
{
    LegacyInstall in;
    for (int i = 0; i < 60; ++i)
        in.items.push_back(item4(QStringLiteral("K%1").arg(i), QStringLiteral("Item %1").arg(i), QString(150, 'd')));
    for (int i = 0; i < 240; ++i)
        in.bookings.push_back(booking4(QStringLiteral("K%1").arg(i % 60), Legacy::PeriodCodes.at(i / 60),
                                       QStringLiteral("TEACH"), QString(150, 'r')));
    for (int i = 0; i < 300; ++i)
        in.categories << QStringLiteral("Category %1 ").arg(i) + QString(36, 'c');
    write(in);
    for (const QString& file : {Legacy::CategoryFileName, Legacy::InventoryFileName, Legacy::BookingFileName}) {
        SCOPED_TRACE(file.toStdString());
        QSqlQuery(db().handle()).exec(QStringLiteral("PRAGMA max_page_count = 1000000"));
        openForm();
        ui.alerts.clear();
        form->afterRecord = [&](const QString& at, int record) {
            if (at == file && record == 1) {
                QSqlQuery q(db().handle());
                q.exec(QStringLiteral("PRAGMA page_count"));
                q.next();
                QSqlQuery(db().handle()).exec(QStringLiteral("PRAGMA max_page_count = %1").arg(q.value(0).toInt()));
            }
        };
        run();
        ASSERT_EQ(ui.alerts, QStringList({"database or disk is full"}));
        const QStringList lines = logLines();
        EXPECT_TRUE(lines.filter(QStringLiteral("refused")).isEmpty()) << lines.filter("refused").join('|').toStdString();
        EXPECT_TRUE(lines.last().startsWith(QStringLiteral("Import stopped at record ")));
        EXPECT_TRUE(lines.last().endsWith(QStringLiteral(" of %1: database or disk is full").arg(file)));
        EXPECT_EQ(systemRow(), QStringLiteral("1/1/Importing Data from Tavrell 4.0/ADMIN"));
    }
}

TEST(WizardTimeLeft, RoundsHalfToEven)
{
    EXPECT_EQ(TSelbrinFrm::TimeLeftText(3601, 5000, 11250), QStringLiteral("7 min 30 sec remains"));
    EXPECT_EQ(TSelbrinFrm::TimeLeftText(84375, 11249, 11250), QStringLiteral("0 min 2 sec remains"));
    EXPECT_EQ(TSelbrinFrm::TimeLeftText(140625, 11249, 11250), QStringLiteral("0 min 2 sec remains"));
    // Past the bar's maximum (many category lines) nothing remains.
    EXPECT_EQ(TSelbrinFrm::TimeLeftText(3700, 11300, 11250), QStringLiteral("0 min 0 sec remains"));
}
