#include "Clock.h"

namespace {
std::function<QDateTime()>& source()
{
    static std::function<QDateTime()> s;
    return s;
}
} // namespace

namespace Clock {

QDateTime now()
{
    return source() ? source()() : QDateTime::currentDateTime();
}

QDate today() { return now().date(); }
QTime timeNow() { return now().time(); }

void setSource(std::function<QDateTime()> s) { source() = std::move(s); }

void freeze(const QDateTime& at)
{
    source() = [at] { return at; };
}

void reset() { source() = nullptr; }

} // namespace Clock
