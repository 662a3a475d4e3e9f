#pragma once
#include <QDateTime>
#include <QString>
#include <QVariant>

// Dates and times as the database stores them: ISO text in one of three
// shapes, chosen by what the value holds.
//   a whole date            "yyyy-MM-dd"
//   a date with a time      "yyyy-MM-dd HH:mm:ss"
//   a time of day alone     "HH:mm:ss"   (read back on the zero date)
// Texts of one shape sort in time order, and a date bound later compares
// equal to the same date stored earlier.
namespace DateValue {

// The zero date of the original platform's day count: 30 December 1899.
QDate zeroDate();
QDateTime zeroDateTime();

QString dateText(const QDate& d);
QString timeText(const QTime& t);
// A whole date when the time is midnight, otherwise date and time.
QString dateTimeText(const QDateTime& dt);

// Reads any of the three shapes; empty or unreadable text gives the zero
// date-time. A time alone lands on the zero date.
QDateTime parse(const QString& text);
// The date part alone (the zero date for a time alone or unreadable text);
// cheaper than parse when no time is wanted.
QDate parseDate(const QString& text);

// The text to store for a value: QDate, QTime and QDateTime become their
// text, bool becomes 0/1, anything else stays as it is.
QVariant toStorage(const QVariant& v);

} // namespace DateValue
