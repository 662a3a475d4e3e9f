#include "ProgramEnd.h"

#include <QCoreApplication>

bool ProgramEnding = false;

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
