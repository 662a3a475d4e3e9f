#include "DateValue.h"

namespace DateValue {

QDate zeroDate() { return QDate(1899, 12, 30); }
QDateTime zeroDateTime() { return QDateTime(zeroDate(), QTime(0, 0)); }

namespace {
void put(QChar*& p, int v, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        p[i] = QChar(u'0' + v % 10);
        v /= 10;
    }
    p += width;
}
} // namespace

QString dateText(const QDate& d)
{
    if (!d.isValid() || d.year() < 0 || d.year() > 9999)
        return d.isValid() ? d.toString(Qt::ISODate) : QString();
    QString s(10, Qt::Uninitialized);
    QChar* p = s.data();
    put(p, d.year(), 4);
    *p++ = u'-';
    put(p, d.month(), 2);
    *p++ = u'-';
    put(p, d.day(), 2);
    return s;
}

QString timeText(const QTime& t)
{
    if (!t.isValid())
        return QString();
    QString s(8, Qt::Uninitialized);
    QChar* p = s.data();
    put(p, t.hour(), 2);
    *p++ = u':';
    put(p, t.minute(), 2);
    *p++ = u':';
    put(p, t.second(), 2);
    return s;
}

QString dateTimeText(const QDateTime& dt)
{
    if (!dt.isValid())
        return QString();
    const QTime t = dt.time();
    if (t.hour() == 0 && t.minute() == 0 && t.second() == 0)
        return dateText(dt.date());
    return dateText(dt.date()) + QLatin1Char(' ') + timeText(t);
}

namespace {

// Reads n digits at pos; -1 when any is not a digit.
int digits(QStringView s, qsizetype pos, int n)
{
    int v = 0;
    for (int i = 0; i < n; ++i) {
        const char16_t c = s[pos + i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        v = v * 10 + (c - u'0');
    }
    return v;
}

// "yyyy-MM-dd" at pos.
QDate readDate(QStringView s, qsizetype pos)
{
    if (s.size() < pos + 10 || s[pos + 4] != u'-' || s[pos + 7] != u'-')
        return QDate();
    const int y = digits(s, pos, 4), m = digits(s, pos + 5, 2), d = digits(s, pos + 8, 2);
    if (y < 0 || m < 0 || d < 0)
        return QDate();
    return QDate(y, m, d);
}

// "HH:mm" or "HH:mm:ss" at pos, to the end of the text.
QTime readTime(QStringView s, qsizetype pos)
{
    const qsizetype len = s.size() - pos;
    if ((len != 5 && len != 8) || s[pos + 2] != u':' || (len == 8 && s[pos + 5] != u':'))
        return QTime();
    const int h = digits(s, pos, 2), m = digits(s, pos + 3, 2), sec = len == 8 ? digits(s, pos + 6, 2) : 0;
    if (h < 0 || m < 0 || sec < 0)
        return QTime();
    return QTime(h, m, sec);
}

} // namespace

QDateTime parse(const QString& text)
{
    const QStringView s = QStringView(text).trimmed();
    if (s.size() == 10) {
        const QDate d = readDate(s, 0);
        if (d.isValid())
            return QDateTime(d, QTime(0, 0));
    } else if (s.size() == 5 || s.size() == 8) {
        const QTime t = readTime(s, 0);
        if (t.isValid())
            return QDateTime(zeroDate(), t);
    } else if (s.size() >= 16 && (s[10] == u' ' || s[10] == u'T')) {
        const QDate d = readDate(s, 0);
        // seconds may carry a fraction or a zone: only hh:mm[:ss] is read
        const QTime t = readTime(s.left(s.size() >= 19 ? 19 : 16), 11);
        if (d.isValid() && t.isValid())
            return QDateTime(d, t);
    }
    return zeroDateTime();
}

QDate parseDate(const QString& text)
{
    const QStringView s = QStringView(text).trimmed();
    if (s.size() == 10 || (s.size() >= 16 && (s[10] == u' ' || s[10] == u'T'))) {
        const QDate d = readDate(s, 0);
        if (d.isValid())
            return s.size() == 10 ? d : parse(text).date();
    }
    return zeroDate();
}

QVariant toStorage(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::QDate:
        return dateText(v.toDate());
    case QMetaType::QTime:
        return timeText(v.toTime());
    case QMetaType::QDateTime:
        return dateTimeText(v.toDateTime());
    case QMetaType::Bool:
        return v.toBool() ? 1 : 0;
    default:
        return v;
    }
}

} // namespace DateValue
