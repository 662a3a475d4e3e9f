// The programs' top-level error handler and the check for a usable display,
// which every program runs before it shows a window.
#include "DbError.h"
#include "DisplayCheck.h"
#include "IoError.h"
#include "TavrellApplication.h"
#include "UiScript.h"

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
