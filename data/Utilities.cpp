#include "Utilities.h"
#include "HostInfo.h"

#include <QLocale>

#include <cfenv>
#include <cmath>

QString DayNameOf(const QDate& date)
{
    static const char* const names[] = {"Monday", "Tuesday", "Wednesday", "Thursday",
                                        "Friday", "Saturday", "Sunday"};
    const int d = date.dayOfWeek();   // 1 = Monday
    return d >= 1 && d <= 7 ? QString::fromLatin1(names[d - 1]) : QString();
}

void SplitQuotedLine(const QString& line, QChar delimiter, QString& f1, QString& f2, QString& f3,
                     QString& f4, QString& f5)
{
    QString fields[5];
    int n = 0;
    bool quoting = false;
    for (const QChar c : line) {
        if (c == QLatin1Char('"'))
            quoting = !quoting;
        else if (c == delimiter && !quoting)
            ++n;
        else if (n < 5)
            fields[n] += c;
    }
    f1 = fields[0];
    f2 = fields[1];
    f3 = fields[2];
    f4 = fields[3];
    f5 = fields[4];
}

QString GetWindowsUserName()
{
    const QString name = HostInfo::userName();
    // The name had to fit a buffer of 128 bytes with its closing zero.
    return name.toLocal8Bit().size() < 128 ? name : QString();
}

void GetHostAndAddress(QString& host, QString& address)
{
    const HostInfo::HostAddress found = HostInfo::hostAndAddress();
    host = found.host;
    address = found.address;
}

QString GetLocalAddress()
{
    QString host, address;
    GetHostAndAddress(host, address);
    return address;
}

long long RoundHalfEven(double v)
{
    const int mode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(v);
    std::fesetround(mode);
    return static_cast<long long>(r);
}

QDate MondayOf(const QDate& date)
{
    if (!date.isValid())
        return date;
    return date.addDays(1 - date.dayOfWeek());
}

QString FormatShortDate(const QDate& date)
{
    return QLocale().toString(date, QLocale::ShortFormat);
}

namespace {
// The locale's long time form without its time-zone part ("t"), which a
// time of day does not have.
QString longTimeFormat()
{
    const QString format = QLocale().timeFormat(QLocale::LongFormat);
    QString kept;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('t'))
            kept += c;
    }
    return kept.simplified();
}
} // namespace

QString FormatLongTime(const QTime& time)
{
    return QLocale().toString(time, longTimeFormat());
}

QTime ParseTimeText(const QString& text)
{
    const QString typed = text.simplified();
    if (typed.isEmpty())
        return QTime();
    // The form the programs write first, then the usual typed forms; "am"
    // and "pm" in either case, with or without a blank before them.
    QTime t = QLocale().toTime(typed, longTimeFormat());
    if (t.isValid())
        return t;
    t = QLocale().toTime(typed, QLocale::ShortFormat);
    if (t.isValid())
        return t;
    QString upper = typed.toUpper();
    if (upper.endsWith(QLatin1String("AM")) || upper.endsWith(QLatin1String("PM"))) {
        upper.insert(upper.size() - 2, QLatin1Char(' '));
        upper = upper.simplified();
    }
    static const char* const forms[] = {"h:mm:ss AP", "h:mm AP", "h AP", "H:mm:ss", "H:mm"};
    const QLocale c = QLocale::c();
    for (const char* form : forms) {
        t = c.toTime(upper, QLatin1String(form));
        if (t.isValid())
            return t;
    }
    return QTime();
}

QString FormatDateTime(const QDateTime& dateTime)
{
    return FormatShortDate(dateTime.date()) + QLatin1Char(' ') + FormatLongTime(dateTime.time());
}

QString HtmlEscape(const QString& text)
{
    return text.toHtmlEscaped();
}

QString SafeFileName(const QString& name)
{
    static const QString unsafe = QStringLiteral("/\\:*?\"<>|");
    QString safe;
    safe.reserve(name.size());
    for (const QChar c : name)
        safe += (c.unicode() < 32 || c.unicode() == 127 || unsafe.contains(c)) ? QLatin1Char('_') : c;
    bool onlyDots = true;
    for (const QChar c : safe)
        onlyDots = onlyDots && c == QLatin1Char('.');
    if (onlyDots)
        safe.fill(QLatin1Char('_'), qMax<qsizetype>(safe.size(), 1));
    return safe;
}
