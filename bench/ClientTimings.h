#pragma once
#include <QString>

// Timings of the client's administration commands on the generated file:
// opening the item manager and a click in its list, flushing one item's
// bookings, and a gated command's right read (also just after another
// client changed Users). Prints one line per figure.
void RunClientTimings(const QString& path, const QString& user, const QString& item);
