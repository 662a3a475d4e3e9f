#include "Pause.h"

#include <QThread>

namespace {
std::function<void(int)>& source()
{
    static std::function<void(int)> s;
    return s;
}
} // namespace

void PauseFor(int ms)
{
    if (source())
        source()(ms);
    else
        QThread::msleep(static_cast<unsigned long>(ms));
}

void SetPauseSource(std::function<void(int)> s) { source() = std::move(s); }
