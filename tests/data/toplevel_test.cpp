// The programs' top-level error handler, their title, and the check for a
// usable display, which every program runs before it shows a window.
#include "DbError.h"
#include "DisplayCheck.h"
#include "IoError.h"
#include "TavrellApplication.h"
#include "UiScript.h"

#include <QGuiApplication>
#include <QProcess>
#include <gtest/gtest.h>

TEST(TopLevelHandler, ShowsTheErrorAndGoesOn)
{
    UiScript ui;
    EXPECT_FALSE(RunShowingErrors([] { throw DbError(QStringLiteral("disk I/O error")); }));
    EXPECT_FALSE(RunShowingErrors([] { throw std::runtime_error("plain failure"); }));
    EXPECT_FALSE(RunShowingErrors([] { throw IoError(QString::fromUtf8("Cannot write \"/tmp/Zoë.htm\"")); }));
    EXPECT_TRUE(RunShowingErrors([] {}));
    EXPECT_EQ(ui.alerts, (QStringList{QStringLiteral("disk I/O error"), QStringLiteral("plain failure"),
                                      QString::fromUtf8("Cannot write \"/tmp/Zoë.htm\"")}));
}

TEST(DisplayCheck, OnlyAPlatformWithAScreenWillDo)
{
    // The default platform: an X or a Wayland display.
    EXPECT_FALSE(DisplayUsable(QString(), false, false));
    EXPECT_TRUE(DisplayUsable(QString(), true, false));
    EXPECT_TRUE(DisplayUsable(QString(), false, true));
    // Named platforms need their own kind of display.
    EXPECT_FALSE(DisplayUsable(QStringLiteral("xcb"), false, true));
    EXPECT_TRUE(DisplayUsable(QStringLiteral("xcb"), true, false));
    EXPECT_FALSE(DisplayUsable(QStringLiteral("wayland"), true, false));
    EXPECT_TRUE(DisplayUsable(QStringLiteral("wayland;xcb"), true, false));
    // No screen a person sees: the dialogs could never be answered.
    EXPECT_FALSE(DisplayUsable(QStringLiteral("offscreen"), true, true));
    EXPECT_FALSE(DisplayUsable(QStringLiteral("minimal:enable_fonts"), true, true));
    // A platform that brings its own screen.
    EXPECT_TRUE(DisplayUsable(QStringLiteral("vnc:size=800x600"), false, false));
}

TEST(DisplayCheck, EveryProgramWithoutADisplaySaysWhatTheClientSays)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    for (const QString& program : {QStringLiteral("plaxon"), QStringLiteral("morvane"), QStringLiteral("selbrin")}) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TAVRELL_PROGRAM_DIR "/") + program, QStringList());
        ASSERT_TRUE(p.waitForFinished(60000)) << program.toStdString();
        EXPECT_EQ(p.exitCode(), 2) << program.toStdString();
        EXPECT_EQ(p.readAllStandardError().toStdString(),
                  program.toStdString()
                      + ": no display found (DISPLAY is not set, or the windowing platform has no screen); run it "
                        "in a desktop session, or over ssh -X from one\n");
    }
}

TEST(ApplicationTitle, NamesTheProgramWithoutAddingToCaptions)
{
    // Qt appends a display name, once one is set, to every window's caption;
    // the title must not set one, so a display name still follows the
    // application's name afterwards.
    const QString before = QCoreApplication::applicationName();
    const QString title = QStringLiteral("QVK Database Extender");
    SetApplicationTitle(title);
    EXPECT_EQ(QCoreApplication::applicationName().toStdString(), title.toStdString());
    QCoreApplication::setApplicationName(title + QStringLiteral(" later"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName().toStdString(), (title + QStringLiteral(" later")).toStdString());
    QCoreApplication::setApplicationName(before);
}
