#include "ProgramEnd.h"

#include "Session.h"

#include <QCoreApplication>

// ProgramEnding itself lives with the other process-wide values (Session),
// where the shared dialog loops read it too.

namespace {
std::function<void()>& endSeam()
{
    static std::function<void()> seam;
    return seam;
}
} // namespace

void EndProgram()
{
    ProgramEnding = true;
    if (endSeam())
        endSeam()();
    else
        QCoreApplication::exit(0);
}

void SetEndProgramSeam(std::function<void()> seam) { endSeam() = std::move(seam); }

void ResetProgramEnd()
{
    ProgramEnding = false;
    endSeam() = nullptr;
}
