#pragma once
#include <QDateTime>
#include <QString>

// Writes one item's week (Monday to Friday, a row per period, who booked
// each slot and why) into the logged-on user's report and shows it in the
// report viewer. An item that does not exist writes and shows nothing.
void BookingSheetReport(const QString& item, const QDateTime& date);
