#pragma once
// What every client test starts from: a fresh database, the program's end
// caught instead of ending the test, a clean report log, the program folder
// in the test's own folder, and a main window with its dialogs' script.
#include "DataFixture.h"
#include "ProgramEnd.h"
#include "ReportLog.h"
#include "UiScript.h"
#include "mainfrm.h"

#include <QFile>

#include <memory>

class ClientFixture : public DataFixture {
protected:
    void SetUp() override
    {
        DataFixture::SetUp();
        ResetProgramEnd();
        SetEndProgramSeam([this] { ++programEnds; });
        ResetReportLog();
        AppFolder = dir.path() + QLatin1Char('/');
    }

    // Subclasses let go of their own windows first.
    void TearDown() override
    {
        ui.reset();
        SetDM(dm.get());
        win.reset();
        ResetProgramEnd();
        ResetReportLog();
        DataFixture::TearDown();
    }

    void writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    int programEnds = 0;
    std::unique_ptr<Tmainfrm> win;
    std::unique_ptr<UiScript> ui = std::make_unique<UiScript>();
};
