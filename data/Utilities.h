#pragma once
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

// General utilities of the programs.

// "Sunday" .. "Saturday", in English whatever the locale.
QString DayNameOf(const QDate& date);

// The Monday on or before the date (a Monday gives itself).
QDate MondayOf(const QDate& date);

// Splits one line at the delimiter into five fields. Double quotes switch
// quoting on and off and are dropped; a delimiter inside quotes belongs to
// the field. Text after the fifth unquoted delimiter is discarded.
void SplitQuotedLine(const QString& line, QChar delimiter, QString& f1, QString& f2, QString& f3,
                     QString& f4, QString& f5);

// The log-on name of the user who runs the program ("" when unreadable).
QString GetWindowsUserName();
// The computer's name and first IPv4 address ("" parts when unknown).
void GetHostAndAddress(QString& host, QString& address);
QString GetLocalAddress();

// Rounds to the nearest whole number, halves to the even neighbour.
long long RoundHalfEven(double v);

// Dates and times in the locale's short date and long time forms; every
// report and read-back of the programs formats through these two.
QString FormatShortDate(const QDate& date);
QString FormatLongTime(const QTime& time);
// A date with its time of day, as the reports show date-time fields:
// the short date, a blank and the long time.
QString FormatDateTime(const QDateTime& dateTime);
// A time of day as people type it: the long time form, "9:40", "12:00 PM",
// "9:40:00 am". An invalid time when the text is none.
QTime ParseTimeText(const QString& text);

// A value from the database or a user, made safe to put into HTML.
QString HtmlEscape(const QString& text);

// A user name made safe as a file name: the characters that a file name
// cannot hold (path separators, wildcards, quotes, control characters) become
// "_", and a name of only dots becomes underscores, so the file always stays
// in its folder. Ordinary names come back unchanged.
QString SafeFileName(const QString& name);
