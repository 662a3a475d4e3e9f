#pragma once
#include <QDateTime>
#include <functional>

// The one clock of the process. Tests replace it to stand at an exact moment.
namespace Clock {

QDateTime now();
QDate today();
QTime timeNow();

// Replace the clock; an empty function restores the system clock.
void setSource(std::function<QDateTime()> source);
// Convenience: freeze the clock at one moment.
void freeze(const QDateTime& at);
void reset();

} // namespace Clock
