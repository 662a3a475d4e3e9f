// The one main of every test binary. It creates the process's one
// QApplication (offscreen unless TAVRELL_TEST_DISPLAY is set) and runs
// GoogleTest, or, when started as "<binary> --child <mode> args...", runs
// the named child mode instead (used by tests that need several processes).
#include "TestSupport.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>

#ifdef TAVRELL_LSAN_SUPPRESSIONS
// The leak check's suppressions (leaks inside the system libraries Qt
// loads), wherever the binary is started from: ctest, by hand or a child.
extern "C" const char* __lsan_default_options()
{
    return "suppressions=" TAVRELL_LSAN_SUPPRESSIONS;
}
#endif

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("TAVRELL_TEST_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    // The programs keep their installation folder in the user's settings.
    // Tests get settings of their own, so that they neither read what a
    // real client stored (and open its database) nor overwrite it; child
    // processes share their parent's.
    QTemporaryDir settingsHome;
    if (qEnvironmentVariableIsEmpty("TAVRELL_TEST_SETTINGS")) {
        qputenv("XDG_CONFIG_HOME", settingsHome.path().toLocal8Bit());
        qputenv("TAVRELL_TEST_SETTINGS", "1");
    }

    if (argc >= 3 && std::strcmp(argv[1], "--child") == 0) {
        QCoreApplication app(argc, argv);
        QStringList args;
        for (int i = 3; i < argc; ++i)
            args << QString::fromLocal8Bit(argv[i]);
        return testsupport::runChildMode(QString::fromLocal8Bit(argv[2]), args);
    }

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
