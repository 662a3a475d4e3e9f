#include "LegacyFormat.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace Legacy {

QString decode(QByteArrayView bytes)
{
    QStringDecoder decoder("windows-1252");
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

QByteArray encode(const QString& text)
{
    QStringEncoder encoder("windows-1252");
    if (!encoder.isValid())
        return text.toLatin1();
    QByteArray out = encoder.encode(text);
    return out;
}

QString readSlot(QByteArrayView record, Slot slot)
{
    if (slot.offset < 0 || slot.offset >= record.size())
        return QString();
    const int room = static_cast<int>(record.size()) - slot.offset - 1;
    int length = static_cast<unsigned char>(record[slot.offset]);
    length = std::min({length, slot.capacity, room});
    return decode(record.sliced(slot.offset + 1, length));
}

bool readFlag(QByteArrayView record, int offset)
{
    return offset >= 0 && offset < record.size() && record[offset] != 0;
}

double readDouble(QByteArrayView record, int offset)
{
    if (offset < 0 || offset + 8 > record.size())
        return 0;
    const quint64 bits = qFromLittleEndian<quint64>(record.data() + offset);
    double value = 0;
    static_assert(sizeof(value) == sizeof(bits));
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

QDate dayOf(double value)
{
    if (!std::isfinite(value))
        return QDate();
    // Day 1 of year 1 lies 693,593 days before the zero date; 31 December
    // 9999 lies 2,958,465 days after it.
    const double whole = std::trunc(value);
    if (whole < -693593.0 || whole > 2958465.0)
        return QDate();
    return QDate(1899, 12, 30).addDays(static_cast<qint64>(whole));
}

} // namespace Legacy

LegacyUser ParseUserRecord(QByteArrayView r)
{
    namespace F = Legacy::UserField;
    LegacyUser u;
    u.userName = Legacy::readSlot(r, F::Name);
    u.fullName = Legacy::readSlot(r, F::FullName);
    u.password = Legacy::readSlot(r, F::Password);
    u.isStudent = Legacy::readFlag(r, F::Student);
    u.isStaff = Legacy::readFlag(r, F::Staff);
    u.isAdministrator = Legacy::readFlag(r, F::Administrator);
    u.level = F::Level < r.size() ? static_cast<unsigned char>(r[F::Level]) : 0;
    return u;
}

LegacyItem ParseItemRecord(QByteArrayView r)
{
    namespace F = Legacy::ItemField;
    LegacyItem i;
    i.key = Legacy::readSlot(r, F::Key);
    i.name = Legacy::readSlot(r, F::Name);
    i.description = Legacy::readSlot(r, F::Description);
    i.category = Legacy::readSlot(r, F::Category);
    i.studentsMayBook = Legacy::readFlag(r, F::StudentsMayBook);
    i.available = Legacy::readFlag(r, F::Available);
    i.manager = Legacy::readSlot(r, F::Manager);
    return i;
}

LegacyBooking ParseBookingRecord(QByteArrayView r)
{
    namespace F = Legacy::BookingField;
    LegacyBooking b;
    b.key = Legacy::readSlot(r, F::Key);
    b.date = Legacy::readDouble(r, F::Date);
    b.period = Legacy::readSlot(r, F::Period);
    b.bookedBy = Legacy::readSlot(r, F::BookedBy);
    b.bookedOn = Legacy::readSlot(r, F::BookedOn);
    b.reason = Legacy::readSlot(r, F::Reason);
    return b;
}

void CategoryLines::add(QByteArrayView bytes)
{
    // The widest name, one character beyond it and a CR.
    constexpr qsizetype Held = Legacy::CategoryNameWidth + 2;
    while (!bytes.isEmpty() && (m_maxLines < 0 || m_lines.size() <= m_maxLines)) {
        const qsizetype end = bytes.indexOf('\n');
        const QByteArrayView part = end < 0 ? bytes : bytes.first(end);
        const qsizetype kept = std::min(part.size(), Held - m_line.size());
        m_line.append(part.first(kept));
        m_cut = m_cut || kept < part.size();
        m_open = true;
        if (end < 0)
            return;
        endLine();
        bytes = bytes.sliced(end + 1);
    }
}

void CategoryLines::endLine()
{
    if (!m_cut && m_line.endsWith('\r'))
        m_line.chop(1);
    QString name = Legacy::decode(m_line);
    if (m_cut || name.size() > Legacy::CategoryNameWidth) {
        name.truncate(Legacy::CategoryNameWidth);
        name += QChar(0x2026);
    }
    m_lines += name;
    m_line.clear();
    m_cut = false;
    m_open = false;
}

QStringList CategoryLines::take()
{
    if (m_open)
        endLine();
    return std::exchange(m_lines, QStringList());
}

QStringList ParseCategoryText(QByteArrayView text)
{
    CategoryLines lines;
    lines.add(text);
    return lines.take();
}

bool IsLockText(QByteArrayView text)
{
    qsizetype end = text.indexOf('\n');
    QByteArrayView line = end < 0 ? text : text.first(end);
    if (line.endsWith('\r'))
        line.chop(1);
    return line == QByteArrayView("LOCK");
}
