#include "LegacyGenerator.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtEndian>

#include <cstring>
#include <stdexcept>

namespace LegacyGen {

namespace {

QByteArray blank(int size) { return QByteArray(size, Filler); }

void putFlag(QByteArray& record, int offset, bool on, char yes)
{
    record[offset] = on ? yes : char(0);
}

template <typename Record, typename Encode>
QByteArray wholeFile(const std::vector<Record>& records, int count, int size, Encode encode,
                     Legacy::Slot marker)
{
    QByteArray out;
    out.reserve(qsizetype(count) * size);
    for (int i = 0; i < count; ++i) {
        if (i < int(records.size())) {
            out += encode(records[size_t(i)]);
        } else {
            QByteArray unused = blank(size);
            putSlot(unused, marker, Legacy::NoneMarker);
            out += unused;
        }
    }
    return out;
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(data) != data.size())
        throw std::runtime_error(QStringLiteral("cannot write %1: %2").arg(path, f.errorString()).toStdString());
}

// Texts with some of Windows-1252's own letters.
QString word(QRandomGenerator& r, int minLength, int maxLength)
{
    static const QString letters =
        QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789  \u00e9\u00fc\u20ac\u201c");
    const int n = minLength + int(r.bounded(maxLength - minLength + 1));
    QString s;
    for (int i = 0; i < n; ++i)
        s += letters.at(int(r.bounded(int(letters.size()))));
    return s;
}

} // namespace

double dateValue(const QDateTime& at)
{
    const qint64 days = QDate(1899, 12, 30).daysTo(at.date());
    return double(days) + at.time().msecsSinceStartOfDay() / 86400000.0;
}

void putSlot(QByteArray& record, Legacy::Slot slot, const QString& text)
{
    const QByteArray bytes = Legacy::encode(text).left(slot.capacity);
    record[slot.offset] = char(bytes.size());
    std::memcpy(record.data() + slot.offset + 1, bytes.constData(), size_t(bytes.size()));
    for (int i = int(bytes.size()); i < slot.capacity; ++i)
        record[slot.offset + 1 + i] = Filler;
}

void putDouble(QByteArray& record, int offset, double value)
{
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    qToLittleEndian(bits, record.data() + offset);
}

QByteArray userRecord(const LegacyUser& u, char yes)
{
    namespace F = Legacy::UserField;
    QByteArray r = blank(Legacy::UserSize);
    putSlot(r, F::Name, u.userName);
    putSlot(r, F::FullName, u.fullName);
    putSlot(r, F::Password, u.password);
    putFlag(r, F::Student, u.isStudent, yes);
    putFlag(r, F::Staff, u.isStaff, yes);
    putFlag(r, F::Administrator, u.isAdministrator, yes);
    r[F::Level] = char(u.level & 0xff);
    return r;
}

QByteArray itemRecord(const LegacyItem& i, char yes)
{
    namespace F = Legacy::ItemField;
    QByteArray r = blank(Legacy::ItemSize);
    putSlot(r, F::Key, i.key);
    putSlot(r, F::Name, i.name);
    putSlot(r, F::Description, i.description);
    putSlot(r, F::Category, i.category);
    putFlag(r, F::StudentsMayBook, i.studentsMayBook, yes);
    putFlag(r, F::Available, i.available, yes);
    putSlot(r, F::Manager, i.manager);
    return r;
}

QByteArray bookingRecord(const LegacyBooking& b)
{
    namespace F = Legacy::BookingField;
    QByteArray r = blank(Legacy::BookingSize);
    putSlot(r, F::Key, b.key);
    putDouble(r, F::Date, b.date);
    putSlot(r, F::Period, b.period);
    putSlot(r, F::BookedBy, b.bookedBy);
    putSlot(r, F::BookedOn, b.bookedOn);
    putSlot(r, F::Reason, b.reason);
    return r;
}

QByteArray userFile(const std::vector<LegacyUser>& users)
{
    return wholeFile(users, Legacy::UserCount, Legacy::UserSize,
                     [](const LegacyUser& u) { return userRecord(u); }, Legacy::UserField::Name);
}

QByteArray inventoryFile(const std::vector<LegacyItem>& items)
{
    return wholeFile(items, Legacy::ItemCount, Legacy::ItemSize,
                     [](const LegacyItem& i) { return itemRecord(i); }, Legacy::ItemField::Name);
}

QByteArray bookingFile(const std::vector<LegacyBooking>& bookings)
{
    return wholeFile(bookings, Legacy::BookingCount, Legacy::BookingSize, bookingRecord,
                     Legacy::BookingField::Key);
}

QByteArray categoryFile(const QStringList& names, bool lfLines)
{
    QByteArray out;
    for (const QString& n : names)
        out += Legacy::encode(n) + (lfLines ? QByteArray("\n") : QByteArray("\r\n"));
    return out;
}

QByteArray lockText(LockState state, quint32 token, const QDateTime& at)
{
    switch (state) {
    case LockState::Locked: return QByteArray("LOCK\r\n");
    case LockState::LockedBare: return QByteArray("LOCK");
    case LockState::Empty: return QByteArray();
    case LockState::LowerCase: return QByteArray("lock\r\n");
    case LockState::TrailingBlank: return QByteArray("LOCK \r\n");
    case LockState::Released: break;
    }
    return QByteArray::number(token % 1048576u) + "\r\n" + at.date().toString(QStringLiteral("dd/MM/yyyy")).toLatin1()
           + "\r\n" + at.time().toString(QStringLiteral("HH:mm:ss")).toLatin1() + "\r\n";
}

LegacyInstall generate(quint64 seed, int users, int items, int bookings, int categories)
{
    QRandomGenerator r(quint32(seed ^ (seed >> 32)));
    LegacyInstall in;
    users = std::clamp(users, 0, Legacy::UserCount);
    items = std::clamp(items, 0, Legacy::ItemCount);
    bookings = std::clamp(bookings, 0, Legacy::BookingCount);

    for (int c = 0; c < categories; ++c)
        in.categories += QStringLiteral("Category %1").arg(c + 1);

    for (int u = 0; u < users; ++u) {
        LegacyUser x;
        x.userName = QStringLiteral("USER%1").arg(u + 1, 3, 10, QLatin1Char('0'));
        x.fullName = word(r, 3, 30);
        x.password = word(r, 5, 12).trimmed();
        if (x.password.isEmpty())
            x.password = QStringLiteral("secret");
        x.isStudent = r.bounded(2) == 1;
        x.isStaff = !x.isStudent;
        x.isAdministrator = r.bounded(10) == 0;
        x.level = int(r.bounded(256));
        in.users.push_back(x);
    }
    for (int i = 0; i < items; ++i) {
        LegacyItem x;
        x.key = QStringLiteral("KEY%1").arg(i + 1, 4, 10, QLatin1Char('0'));
        x.name = QStringLiteral("Item %1").arg(i + 1, 4, 10, QLatin1Char('0'));
        x.description = word(r, 0, r.bounded(8) == 0 ? 255 : 120);
        x.category = categories > 0 ? in.categories.at(int(r.bounded(categories))) : QString();
        x.studentsMayBook = r.bounded(2) == 1;
        x.available = r.bounded(5) != 0;
        x.manager = users > 0 ? in.users[size_t(r.bounded(users))].userName : QString();
        in.items.push_back(x);
    }
    // Distinct slots: item by item, then day by day through the periods.
    const QDate first(2026, 1, 5);
    for (int b = 0; b < bookings && items > 0; ++b) {
        LegacyBooking x;
        const int slot = b / items;
        x.key = in.items[size_t(b % items)].key;
        if (r.bounded(3) == 0)
            x.key = x.key.toLower();
        const QDate day = first.addDays(slot / 12);
        x.date = dateValue(QDateTime(day, QTime(0, 0).addSecs(int(r.bounded(86400)))));
        x.period = Legacy::PeriodCodes.at(slot % 12);
        x.bookedBy = users > 0 ? in.users[size_t(r.bounded(users))].userName : QStringLiteral("NOBODY");
        x.bookedOn = day.addDays(-7).toString(QStringLiteral("dd/MM/yyyy"));
        x.reason = word(r, 1, r.bounded(10) == 0 ? 255 : 60);
        in.bookings.push_back(x);
    }
    return in;
}

void writeInstall(const QString& folder, const LegacyInstall& install)
{
    QDir().mkpath(folder);
    const QDir dir(folder);
    writeFile(dir.filePath(Legacy::UserFileName), userFile(install.users));
    writeFile(dir.filePath(Legacy::InventoryFileName), inventoryFile(install.items));
    writeFile(dir.filePath(Legacy::BookingFileName), bookingFile(install.bookings));
    writeFile(dir.filePath(Legacy::CategoryFileName), categoryFile(install.categories, install.lfLines));
}

void writeLock(const QString& folder, char kind, LockState state)
{
    const QString name = kind == 'U' ? Legacy::UserLockName
                         : kind == 'I' ? Legacy::InventoryLockName
                                       : Legacy::BookingLockName;
    writeFile(QDir(folder).filePath(name), lockText(state));
}

} // namespace LegacyGen
