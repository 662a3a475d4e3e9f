#include "Alerts.h"
#include "Clock.h"
#include "CoolTools.h"
#include "ReportLog.h"
#include "Session.h"
#include "SmallDialogs.h"
#include "StatusWindows.h"
#include "UiScript.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

int clickButton(QDialog& d, const char* name)
{
    QTest::mouseClick(d.findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
    return mrClosed;
}
int pressEscape(QDialog& d)
{
    QTest::keyClick(&d, Qt::Key_Escape);
    return mrClosed;
}
int closeByFrame(QDialog& d)
{
    d.close();
    return 99;
}

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ResetSession();
        ResetReportLog();
        ModalSeam::reset();
        AppFolder = dir.path() + QLatin1Char('/');
        CurrentUser = QStringLiteral("BOB");
        QDir(dir.path()).mkdir(QStringLiteral("reports"));
        for (const char* f : {"header.htm", "footer.htm", "reportlogo.jpg"})
            QFile::copy(QStringLiteral(TAVRELL_REPORTS_DIR "/") + QLatin1String(f),
                        AppFolder + QStringLiteral("reports/") + QLatin1String(f));
        ReportsEnabled = ReportFilesPresent();
        ASSERT_TRUE(ReportsEnabled);
    }
    void TearDown() override
    {
        ModalSeam::reset();
        ResetReportLog();
        ResetSession();
    }

    void writeReport(const QString& line)
    {
        ReportBegin(QStringLiteral("Report ") + line, QStringLiteral("BOB"));
        ReportLine(line);
        ReportEnd();
    }

    QTemporaryDir dir;
};

} // namespace

// ------------------------------------------------------------------ question and input

TEST_F(DialogsTest, QuestionIsYesOnlyForYes)
{
    UiScript ui;
    ui.answer([](QDialog& d) { return clickButton(d, "Button1"); });
    EXPECT_TRUE(AskQuestion(QStringLiteral("Delete <b>it</b>?")));
    EXPECT_EQ(QuestionForm()->question->text(), QStringLiteral("Delete <b>it</b>?"));
    EXPECT_EQ(QuestionForm()->question->textFormat(), Qt::PlainText);
    ui.answer([](QDialog& d) { return clickButton(d, "Button2"); });
    EXPECT_FALSE(AskQuestion(QStringLiteral("q")));
    ui.answer(pressEscape);
    EXPECT_FALSE(AskQuestion(QStringLiteral("q")));
    ui.answer(closeByFrame);
    EXPECT_FALSE(AskQuestion(QStringLiteral("q")));
    EXPECT_TRUE(QuestionForm()->Button1->isDefault());
    EXPECT_EQ(QuestionForm()->windowTitle(), QStringLiteral("Tavrell"));
}

TEST_F(DialogsTest, TheRealModalLoopGivesTheSameResults)
{
    const auto viaLoop = [](std::function<void(QDialog&)> act) {
        return [act](QDialog& d) {
            QTimer::singleShot(0, &d, [&d, act] { act(d); });
            return d.exec();
        };
    };
    UiScript ui;
    ui.answer(viaLoop([](QDialog& d) { clickButton(d, "Button1"); }));
    EXPECT_TRUE(AskQuestion(QStringLiteral("q")));
    ui.answer(viaLoop([](QDialog& d) { pressEscape(d); }));
    EXPECT_EQ(InputText(QStringLiteral("p"), QStringLiteral("dflt")), QStringLiteral("dflt"));
    ui.answer(viaLoop([](QDialog& d) { d.close(); }));
    EXPECT_FALSE(AskQuestion(QStringLiteral("q")));
}

TEST_F(DialogsTest, InputGivesTheTypedTextOnlyForOk)
{
    UiScript ui;
    bool accepted = true;
    ui.answer([](QDialog& d) { return clickButton(d, "Button2"); });
    EXPECT_EQ(InputText(QStringLiteral("Reason:"), QStringLiteral("General Maintenance"), &accepted),
              QStringLiteral("General Maintenance"));
    EXPECT_FALSE(accepted);
    ui.answer([](QDialog& d) {
        auto* edit = d.findChild<QLineEdit*>(QStringLiteral("question"));
        EXPECT_EQ(d.focusWidget(), edit);
        edit->clear();
        return clickButton(d, "Button1");
    });
    EXPECT_EQ(InputText(QStringLiteral("Reason:"), QStringLiteral("General Maintenance"), &accepted), QString());
    EXPECT_TRUE(accepted);
    ui.answer([](QDialog& d) {
        d.findChild<QLineEdit*>(QStringLiteral("question"))->setText(QStringLiteral("typed"));
        return pressEscape(d);
    });
    EXPECT_EQ(InputText(QStringLiteral("Reason:"), QStringLiteral("dflt")), QStringLiteral("dflt"));
    ui.answer(closeByFrame);
    EXPECT_EQ(InputText(QStringLiteral("Reason:"), QStringLiteral("dflt")), QStringLiteral("dflt"));
    EXPECT_EQ(InputForm()->questionLabel->text(), QStringLiteral("Reason:"));
}

TEST_F(DialogsTest, AHeadlessModalWithNoAnswerIsAnErrorNotAHang)
{
    EXPECT_THROW(AskQuestion(QStringLiteral("q")), std::logic_error);
    ModalSeam::pushResult(mrOk);
    EXPECT_TRUE(AskQuestion(QStringLiteral("q")));
}

// ------------------------------------------------------------------ message box

TEST_F(DialogsTest, AlertLayoutWithAndWithoutReport)
{
    struct Seen {
        QString text;
        int ok;
        bool view;
        int viewLeft;
    };
    std::vector<Seen> seen;
    ModalSeam::setRunner([&](QDialog& d) {
        auto& a = static_cast<Talertfrm&>(d);
        seen.push_back({a.Msg->text(), a.Button1->x(), a.Button2->isVisible(), a.Button2->x()});
        return pressEscape(d);
    });
    ShowAlert(QStringLiteral("plain"));
    ShowAlertWithReport(QStringLiteral("with"), true);
    ShowAlertWithReport(QStringLiteral("without"), false);
    ReportsEnabled = false;
    ShowAlertWithReport(QStringLiteral("reports off"), true);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].ok, 216);
    EXPECT_FALSE(seen[0].view);
    EXPECT_EQ(seen[1].ok, 152);
    EXPECT_TRUE(seen[1].view);
    EXPECT_EQ(seen[1].viewLeft, 296);
    EXPECT_EQ(seen[2].ok, 216);
    EXPECT_FALSE(seen[2].view);
    EXPECT_EQ(seen[3].ok, 216);
    EXPECT_FALSE(seen[3].view);
    EXPECT_EQ(seen[3].text, QStringLiteral("reports off"));
    Talertfrm* a = AlertForm();
    EXPECT_EQ(a->size(), QSize(464, 120));
    EXPECT_EQ(a->Msg->geometry(), QRect(120, 8, 337, 81));
    EXPECT_EQ(a->windowTitle(), QStringLiteral("Tavrell"));
}

TEST_F(DialogsTest, EscapeOnTheAlertIsOk)
{
    int result = 0;
    ModalSeam::setRunner([&](QDialog& d) {
        pressEscape(d);
        result = d.result();
        return result;
    });
    ShowAlert(QStringLiteral("x"));
    EXPECT_EQ(result, mrOk);
}

TEST_F(DialogsTest, AnAlertOverAnAlertKeepsTheFirstText)
{
    QStringList texts;
    QStringList firstAfter;
    ModalSeam::setRunner([&](QDialog& d) {
        auto& a = static_cast<Talertfrm&>(d);
        texts << a.Msg->text();
        if (texts.size() == 1) {
            ShowAlert(QStringLiteral("second"));   // a timer's notice
            firstAfter << a.Msg->text() << QString::number(a.isVisible());
        }
        return clickButton(d, "Button1");
    });
    ShowAlert(QStringLiteral("first"));
    EXPECT_EQ(texts, (QStringList{QStringLiteral("first"), QStringLiteral("second")}));
    EXPECT_EQ(firstAfter, (QStringList{QStringLiteral("first"), QStringLiteral("1")}));
}

TEST_F(DialogsTest, ViewReportShowsTheViewerThenClosesWithOk)
{
    writeReport(QStringLiteral("line A"));
    int alertResult = 0;
    QString viewed;
    ModalSeam::setRunner([&](QDialog& d) {
        if (auto* v = qobject_cast<Treporterfrm*>(&d)) {
            viewed = v->web->toPlainText();
            QTest::mouseClick(v->DisMissReportBtn, Qt::LeftButton);
            EXPECT_EQ(v->result(), mrCancel);
            return mrCancel;
        }
        clickButton(d, "Button2");
        alertResult = d.result();
        return alertResult;
    });
    ShowAlertWithReport(QStringLiteral("Some bookings failed"), true);
    EXPECT_TRUE(viewed.contains(QStringLiteral("line A"))) << viewed.toStdString();
    EXPECT_EQ(alertResult, mrOk);
}

// ------------------------------------------------------------------ viewer

TEST_F(DialogsTest, ViewerShowsTheNewestReportAndNothingWhenReportsAreOff)
{
    QString seen;
    ModalSeam::setRunner([&](QDialog& d) {
        seen = static_cast<Treporterfrm&>(d).web->toPlainText();
        return mrCancel;
    });
    writeReport(QStringLiteral("report A"));
    ShowReportViewer();
    EXPECT_TRUE(seen.contains(QStringLiteral("report A")));
    writeReport(QStringLiteral("report B"));
    ShowReportViewer();
    EXPECT_TRUE(seen.contains(QStringLiteral("report B")));
    EXPECT_FALSE(seen.contains(QStringLiteral("report A")));
    ReportsEnabled = false;
    ShowReportViewer();
    EXPECT_EQ(seen, QString());
    EXPECT_EQ(ReporterForm()->windowTitle(), QStringLiteral("Results Report"));
}

TEST_F(DialogsTest, SaveCopiesTheReportBytesAndPrintWritesAPdf)
{
    writeReport(QStringLiteral("to keep <i>exactly</i>"));
    QFile src(ReportFilePath());
    ASSERT_TRUE(src.open(QIODevice::ReadOnly));
    const QByteArray bytes = src.readAll();
    const QString target = dir.filePath(QStringLiteral("saved.htm"));
    const QString pdf = dir.filePath(QStringLiteral("printed.pdf"));

    UiScript ui;
    ui.answer([&](QDialog& d) {
        auto& viewer = static_cast<Treporterfrm&>(d);
        ui.answer([&](QDialog& fd) {
            static_cast<QFileDialog&>(fd).selectFile(target);
            return int(QDialog::Accepted);
        });
        QTest::mouseClick(viewer.ToolButton1, Qt::LeftButton);
        ui.answer([&](QDialog& pd) {
            QPrinter* printer = static_cast<QPrintDialog&>(pd).printer();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            return int(QDialog::Accepted);
        });
        QTest::mouseClick(viewer.ToolButton2, Qt::LeftButton);
        return mrCancel;
    });
    ShowReportViewer();
    QFile saved(target);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), bytes);
    QFile printed(pdf);
    ASSERT_TRUE(printed.open(QIODevice::ReadOnly));
    EXPECT_TRUE(printed.readAll().startsWith("%PDF"));
    EXPECT_TRUE(ui.alerts.isEmpty());
}

TEST_F(DialogsTest, APrintThatCannotStartIsSaid)
{
    writeReport(QStringLiteral("to print"));
    UiScript ui;
    ui.answer([&](QDialog& d) {
        ui.answer([&](QDialog& pd) {
            QPrinter* printer = static_cast<QPrintDialog&>(pd).printer();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(dir.filePath(QStringLiteral("no such folder/printed.pdf")));
            return int(QDialog::Accepted);
        });
        QTest::mouseClick(static_cast<Treporterfrm&>(d).ToolButton2, Qt::LeftButton);
        return mrCancel;
    });
    ShowReportViewer();
    EXPECT_EQ(ui.alerts, QStringList{QStringLiteral("Unable to print the report")});
}

TEST_F(DialogsTest, WithReportsOffSaveStoresTheEmptyPageNotAnOldReport)
{
    writeReport(QStringLiteral("an earlier run's report"));
    ReportsEnabled = false;
    const QString target = dir.filePath(QStringLiteral("saved.htm"));
    QString shown = QStringLiteral("<not shown>");
    UiScript ui;
    ui.answer([&](QDialog& d) {
        auto& viewer = static_cast<Treporterfrm&>(d);
        shown = viewer.web->toPlainText();
        ui.answer([&](QDialog& fd) {
            static_cast<QFileDialog&>(fd).selectFile(target);
            return int(QDialog::Accepted);
        });
        QTest::mouseClick(viewer.ToolButton1, Qt::LeftButton);
        return mrCancel;
    });
    ShowReportViewer();
    EXPECT_EQ(shown, QString());
    QFile saved(target);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_FALSE(saved.readAll().contains("earlier run"));
    EXPECT_TRUE(ui.alerts.isEmpty());
}

TEST_F(DialogsTest, ASavedReportTakesItsLogoAlongAndLeavesAnExistingOneAlone)
{
    writeReport(QStringLiteral("with logo"));
    QFile logo(ReportsFolder() + QStringLiteral("reportlogo.jpg"));
    ASSERT_TRUE(logo.open(QIODevice::ReadOnly));
    const QByteArray logoBytes = logo.readAll();
    QFile report(ReportFilePath());
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    ASSERT_TRUE(report.readAll().contains("src=\"reportlogo.jpg\""));

    QDir(dir.path()).mkpath(QStringLiteral("elsewhere/kept"));
    const QString target = dir.filePath(QStringLiteral("elsewhere/saved.htm"));
    const QString second = dir.filePath(QStringLiteral("elsewhere/kept/saved.htm"));
    {
        QFile own(dir.filePath(QStringLiteral("elsewhere/kept/reportlogo.jpg")));
        ASSERT_TRUE(own.open(QIODevice::WriteOnly));
        own.write("the user's own picture");
    }
    UiScript ui;
    ui.answer([&](QDialog& d) {
        auto& viewer = static_cast<Treporterfrm&>(d);
        for (const QString& t : {target, second}) {
            ui.answer([t](QDialog& fd) {
                static_cast<QFileDialog&>(fd).selectFile(t);
                return int(QDialog::Accepted);
            });
            QTest::mouseClick(viewer.ToolButton1, Qt::LeftButton);
        }
        return mrCancel;
    });
    ShowReportViewer();
    EXPECT_TRUE(ui.alerts.isEmpty());

    QFile copied(dir.filePath(QStringLiteral("elsewhere/reportlogo.jpg")));
    ASSERT_TRUE(copied.open(QIODevice::ReadOnly));
    EXPECT_EQ(copied.readAll(), logoBytes);
    QFile kept(dir.filePath(QStringLiteral("elsewhere/kept/reportlogo.jpg")));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("the user's own picture"));
    EXPECT_TRUE(QFileInfo(second).isFile());
}

// ------------------------------------------------------------------ progress window

TEST_F(DialogsTest, ProgressWindowCountsTicksAndShowsTheEstimate)
{
    StatusBegin(QStringLiteral("Placing bookings"), 100);
    TStatusFrm* f = StatusForm();
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(f->StatusTimer->isActive());
    EXPECT_EQ(f->StatusTimer->interval(), 100);
    // The test gives the ticks itself: a real one landing in a step's pump
    // on a slow machine would move the estimate.
    f->StatusTimer->stop();
    EXPECT_EQ(f->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(f->statuslabel->text(), QStringLiteral("Placing bookings"));
    EXPECT_EQ(f->size(), QSize(315, 101));
    EXPECT_TRUE(f->AniMate->Active());
    EXPECT_EQ(f->AniMate->Interval(), 120u);
    EXPECT_EQ(f->Frames->Images().Count(), 19);
    EXPECT_EQ(f->AniMate->pos(), QPoint(8, 8));
    EXPECT_LE(f->AniMate->geometry().right(), f->statuslabel->x());
    for (int i = 0; i < 100; ++i)
        f->StatusTimerTimer();
    for (int i = 0; i < 49; ++i)
        StatusStep();
    EXPECT_EQ(f->gauge->value(), 49);
    EXPECT_EQ(f->gauge->maximum(), 100);
    EXPECT_EQ(f->TimeLeft->text(), QStringLiteral("10 Seconds Left"));

    StatusBegin(QStringLiteral("Again"), 20);
    EXPECT_EQ(f->TimeLeft->text(), QString());
    EXPECT_EQ(f->gauge->value(), 0);
    EXPECT_EQ(f->progress.ticks, 0);
    for (int i = 0; i < 25; ++i)
        StatusStep();
    EXPECT_EQ(f->gauge->value(), 20);
    StatusEnd();
    EXPECT_FALSE(f->isVisible());
    EXPECT_FALSE(f->StatusTimer->isActive());
    EXPECT_FALSE(f->AniMate->Active());
}

TEST_F(DialogsTest, TheProgressWindowEndsWhenAnErrorPassesThrough)
{
    try {
        StatusScope status(QStringLiteral("Working"), 3);
        EXPECT_TRUE(StatusForm()->isVisible());
        throw std::runtime_error("disk full");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(StatusForm()->isVisible());
    EXPECT_FALSE(StatusForm()->StatusTimer->isActive());
    EXPECT_FALSE(StatusForm()->AniMate->Active());
}

TEST_F(DialogsTest, OtherWindowsTakeNoInputWhileTheProgressWindowShowsButTimersRun)
{
    QWidget main;
    main.show();
    StatusBegin(QStringLiteral("Working"), 3);
    EXPECT_EQ(QApplication::activeModalWidget(), StatusForm());
    EXPECT_TRUE(StatusForm()->AniMate->TimerArmed());
    int fired = 0;
    QTimer::singleShot(0, &main, [&] { ++fired; });
    StatusStep();
    EXPECT_EQ(fired, 1);
    StatusEnd();
    EXPECT_NE(QApplication::activeModalWidget(), StatusForm());
}

TEST_F(DialogsTest, OnlyStatusEndTakesTheProgressWindowAway)
{
    StatusBegin(QStringLiteral("Working"), 3);
    TStatusFrm* f = StatusForm();
    ASSERT_TRUE(f->isVisible());
    QTest::keyClick(f, Qt::Key_Escape);
    EXPECT_TRUE(f->isVisible());
    QTest::keyClick(f, Qt::Key_Return);
    EXPECT_TRUE(f->isVisible());
    f->close();   // the window manager's close (Alt+F4)
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), f);
    EXPECT_TRUE(f->StatusTimer->isActive());
    StatusEnd();
    EXPECT_FALSE(f->isVisible());
}

// ------------------------------------------------------------------ splash

TEST_F(DialogsTest, SplashStartsOffToTheLeftAndSlidesTheTextToTheCentre)
{
    ShowSplash();
    TSplashFrm* s = SplashForm();
    QLabel* label = s->statuslabel;
    EXPECT_EQ(label->text(), QStringLiteral("Starting up...."));
    EXPECT_EQ(label->x(), (label->width() - 400) / 2);
    EXPECT_EQ(label->y(), 251);
    QTest::keyClick(s, Qt::Key_Escape);   // only HideSplash takes it away
    s->close();
    EXPECT_TRUE(s->isVisible());

    SplashStatus(QStringLiteral("Connecting to the database"));
    EXPECT_EQ(label->text(), QStringLiteral("Connecting to the database"));
    const int target = 200 - label->width() / 2;
    EXPECT_GE(label->x(), target);
    EXPECT_LT(label->x(), target + 10);

    // With the marker file only the text changes.
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(dir.path());
    QFile marker(QStringLiteral("FastLoad.tmp"));
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.close();
    const QPoint before = label->pos();
    SplashStatus(QStringLiteral("Fast"));
    QDir::setCurrent(cwd);
    EXPECT_EQ(label->text(), QStringLiteral("Fast"));
    EXPECT_EQ(label->pos(), before);
    HideSplash();
    EXPECT_FALSE(s->isVisible());
}

// ------------------------------------------------------------------ placing windows

TEST(WindowPlacement, ADialogCentredOverAWindowStaysWhollyOnTheScreen)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case {
        const char* what;
        QRect over;
        QSize dialog;
    };
    const Case cases[] = {
        // A tall dialog over a window at the very top of the screen.
        {"top", QRect(area.topLeft(), QSize(area.width() * 3 / 4, area.height() / 2)), QSize(300, area.height() - 20)},
        {"bottom right", QRect(area.bottomRight() - QPoint(299, 199), QSize(300, 200)), QSize(400, 300)},
        {"top left, wide", QRect(area.topLeft(), QSize(200, 200)), QSize(area.width() - 10, 200)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QWidget over;
        over.setGeometry(c.over);
        over.show();
        QDialog d;
        d.resize(c.dialog);
        CentreOver(&d, &over);
        EXPECT_TRUE(area.contains(QRect(d.pos(), d.size()))) << d.x() << "," << d.y();
    }
    // Over a window in the middle it is still centred on it.
    QWidget over;
    over.setGeometry(QRect(area.center() - QPoint(150, 100), QSize(300, 200)));
    over.show();
    QDialog d;
    d.resize(100, 60);
    CentreOver(&d, &over);
    EXPECT_LE((QRect(d.pos(), d.size()).center() - over.frameGeometry().center()).manhattanLength(), 2);
}

TEST(WindowPlacement, AWindowTallerThanTheScreenKeepsItsCaptionOnIt)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QDialog d;
    d.resize(area.width() + 100, area.height() + 100);
    CentreOnScreen(&d);
    EXPECT_EQ(d.pos(), area.topLeft());
    QWidget over;
    over.setGeometry(QRect(area.topLeft() + QPoint(10, 10), QSize(200, 200)));
    over.show();
    CentreOver(&d, &over);
    EXPECT_EQ(d.pos(), area.topLeft());
}
