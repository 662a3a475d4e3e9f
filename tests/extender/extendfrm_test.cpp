// The extender's dialog and backdrop: what they show, Browse, and what the
// buttons do with each way a run ends.
#include "BrowseIt.h"
#include "DataModule.h"
#include "ExtendRun.h"
#include "InstallSettings.h"
#include "OldDatabase.h"
#include "Session.h"
#include "UiScript.h"
#include "extendfrm.h"
#include "extenderbgfrm.h"

#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace M = ExtenderMessages;

class ExtendFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(store.isValid() && install.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, store.path());
        ResetSession();
        AppFolder = QStringLiteral("/opt/extender/");
        ASSERT_TRUE(InstallSettings::writeInstallFolder(install.path()));
        form = std::make_unique<Textendfrm>(dm);
        form->setBackdrop(&backdrop);
    }
    void TearDown() override
    {
        form.reset();
        ResetSession();
    }

    // Shows the dialog as the program does, and answers it with runner.
    int showForm(const std::function<void(Textendfrm&)>& runner)
    {
        ui.answer([&](QDialog&) {
            runner(*form);
            return mrClosed;
        });
        return ModalSeam::exec(*form);
    }

    QTemporaryDir store;
    QTemporaryDir install;
    UiScript ui;
    DataModule dm;
    Textenderbgfrm backdrop;
    std::unique_ptr<Textendfrm> form;
};

TEST_F(ExtendFormTest, ShowsItsControlsAndTheProposedFolderOverTheBackdrop)
{
    showForm([&](Textendfrm& f) {
        EXPECT_EQ(f.Edit1->text(), install.path());
        EXPECT_TRUE(f.Button3->isDefault());
        EXPECT_FALSE(f.Label3->isVisible());
        // The caption ends before the edit box, whole.
        EXPECT_LT(f.Label2->geometry().right(), f.Edit1->x());
        EXPECT_LE(QFontMetrics(f.Label2->font()).horizontalAdvance(f.Label2->text()), f.Label2->width());
        // The backdrop covers the screen with its picture, behind the dialog.
        EXPECT_TRUE(backdrop.isVisible());
        EXPECT_TRUE(backdrop.windowState() & Qt::WindowMaximized);
        EXPECT_EQ(backdrop.geometry(), f.screen()->geometry());
        EXPECT_EQ(backdrop.Image1->geometry(), backdrop.rect());
        EXPECT_EQ(backdrop.Image1->pixmap().size(), QSize(800, 600));
    });
}

TEST_F(ExtendFormTest, BrowseKeepsTheProposedFolderUntilOneIsChosen)
{
    QTemporaryDir other;
    ASSERT_TRUE(other.isValid());
    showForm([&](Textendfrm& f) {
        // Cancelled before any choice: the proposal stays.
        ui.answer(mrCancel);
        f.Button1Click();
        EXPECT_EQ(f.Edit1->text(), install.path());
        // A choice replaces it; a later cancel keeps the choice.
        ui.answer([&](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), QStringLiteral("Locate the folder that the Tavrell is installed"));
            static_cast<QFileDialog&>(d).setDirectory(other.path());
            return mrOk;
        });
        QTest::mouseClick(f.Button1, Qt::LeftButton);
        EXPECT_EQ(f.Edit1->text(), other.path());
        f.Edit1->setText(QStringLiteral("typed"));
        ui.answer(mrCancel);
        f.Button1Click();
        EXPECT_EQ(f.Edit1->text(), other.path());
    });
}

TEST_F(ExtendFormTest, ExtendClosesTheDialogOnceDoneOrWhenThereIsNoDatabase)
{
    // No database: the dialog closes (the program ends) after the messages.
    EXPECT_EQ(showForm([&](Textendfrm& f) { QTest::mouseClick(f.Button3, Qt::LeftButton); }), mrClosed);
    EXPECT_EQ(ui.alerts, (QStringList{M::DataMissing, M::MustTerminate}));

    // An older database: raised, then "Done!" and the dialog closes with OK.
    CreateOldDatabaseFile(QDir(install.path()).filePath(QStringLiteral("data.mdb")), QStringLiteral("5B"));
    ui.alerts.clear();
    EXPECT_EQ(showForm([&](Textendfrm& f) {
                  QTest::keyClick(f.Edit1, Qt::Key_Return);   // Extend is the default button
              }),
              mrOk);
    EXPECT_EQ(ui.alerts, QStringList{M::Completed});
    EXPECT_EQ(form->Label3->text(), M::Done);
}

TEST_F(ExtendFormTest, AfterAFailureOnlyExtendStaysAndCloseEnds)
{
    const QString path = QDir(install.path()).filePath(QStringLiteral("data.mdb"));
    CreateOldDatabaseFile(path, QStringLiteral("5B"));
    {
        Database db;
        db.open(path);
        db.exec(QStringLiteral("ALTER TABLE config ADD COLUMN enableBookingLimit INTEGER NOT NULL DEFAULT 0"));
    }
    showForm([&](Textendfrm& f) {
        QTest::mouseClick(f.Button3, Qt::LeftButton);
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(ui.alerts.size(), 1);
        EXPECT_EQ(f.Label3->text(), M::Extending);
        EXPECT_FALSE(f.Button1->isEnabled() || f.Button2->isEnabled());
        EXPECT_TRUE(f.Button3->isEnabled());
    });
    // "Close" on a fresh dialog ends it as Cancel.
    Textendfrm fresh(dm);
    ui.answer([&](QDialog&) {
        QTest::mouseClick(fresh.Button2, Qt::LeftButton);
        return mrClosed;
    });
    EXPECT_EQ(ModalSeam::exec(fresh), mrCancel);
}

TEST_F(ExtendFormTest, ClosingTheDialogEndsTheProgramWithTheBackdropShown)
{
    EndProgramWhenClosed(*form);
    form->show();
    ASSERT_TRUE(backdrop.isVisible());
    QTimer::singleShot(0, form.get(), [this] { QTest::mouseClick(form->Button2, Qt::LeftButton); });
    // A loop that did not end would be ended here with another code.
    QTimer::singleShot(5000, [] { QCoreApplication::exit(7); });
    EXPECT_EQ(QApplication::exec(), 0);
    backdrop.hide();
}
