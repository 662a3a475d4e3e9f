#include "DateValue.h"

namespace DateValue {

QDate zeroDate() { return QDate(1899, 12, 30); }
QDateTime zeroDateTime() { return QDateTime(zeroDate(), QTime(0, 0)); }

QString dateText(const QDate& d)
{
    return d.isValid() ? d.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

QString timeText(const QTime& t)
{
    return t.isValid() ? t.toString(QStringLiteral("HH:mm:ss")) : QString();
}

QString dateTimeText(const QDateTime& dt)
{
    if (!dt.isValid())
        return QString();
    const QTime t = dt.time();
    if (t.hour() == 0 && t.minute() == 0 && t.second() == 0)
        return dateText(dt.date());
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QDateTime parse(const QString& text)
{
    const QString s = text.trimmed();
    if (s.isEmpty())
        return zeroDateTime();
    if (s.size() == 10) {
        const QDate d = QDate::fromString(s, QStringLiteral("yyyy-MM-dd"));
        if (d.isValid())
            return QDateTime(d, QTime(0, 0));
    }
    if (s.size() == 8 || s.size() == 5) {
        QTime t = QTime::fromString(s, s.size() == 8 ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm"));
        if (t.isValid())
            return QDateTime(zeroDate(), t);
    }
    if (s.size() >= 19) {
        QString head = s.left(19);
        head[10] = QLatin1Char(' ');
        const QDateTime dt = QDateTime::fromString(head, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (dt.isValid())
            return dt;
    }
    if (s.size() == 16) {
        QString head = s;
        head[10] = QLatin1Char(' ');
        const QDateTime dt = QDateTime::fromString(head, QStringLiteral("yyyy-MM-dd HH:mm"));
        if (dt.isValid())
            return dt;
    }
    return zeroDateTime();
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
