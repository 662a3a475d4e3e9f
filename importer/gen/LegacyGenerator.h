#pragma once
#include "LegacyFormat.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

// Writes version 4.x installations byte for byte as the 4.x programs lay
// them out: for tests, for the fuzzer's seeds and for the benchmark. Text
// slots carry junk after their text, yes-flags are written as 0x01 or 0xFF,
// dates as little-endian doubles.

struct LegacyInstall {
    // Up to 200, 1000 and 10000 records; the files are filled up to their
    // full count with unused "[NONE]" records.
    std::vector<LegacyUser> users;
    std::vector<LegacyItem> items;
    std::vector<LegacyBooking> bookings;
    QStringList categories;
    bool lfLines = false;   // "CAT.IBD" lines end in LF instead of CRLF
};

namespace LegacyGen {

inline constexpr char Filler = static_cast<char>(0xCC);

// The 4.x date value of a moment (days since 30 December 1899).
double dateValue(const QDateTime& at);

// Writes a text slot into a record: length byte, text (cut to the slot's
// capacity), filler after it.
void putSlot(QByteArray& record, Legacy::Slot slot, const QString& text);
void putDouble(QByteArray& record, int offset, double value);

// One record; yes-flags are written as the given byte.
QByteArray userRecord(const LegacyUser& u, char yes = 0x01);
QByteArray itemRecord(const LegacyItem& i, char yes = 0x01);
QByteArray bookingRecord(const LegacyBooking& b);

// Whole files: the records given, then unused ones up to the full count.
QByteArray userFile(const std::vector<LegacyUser>& users);
QByteArray inventoryFile(const std::vector<LegacyItem>& items);
QByteArray bookingFile(const std::vector<LegacyBooking>& bookings);
QByteArray categoryFile(const QStringList& names, bool lfLines = false);

// Lock file texts.
enum class LockState {
    Locked,          // "LOCK" and a line break
    LockedBare,      // "LOCK" alone
    Released,        // token, date and time lines
    Empty,
    LowerCase,       // "lock": released
    TrailingBlank,   // "LOCK ": released
};
QByteArray lockText(LockState state, quint32 token = 123456,
                    const QDateTime& at = QDateTime(QDate(2026, 3, 5), QTime(14, 22, 1)));

// A whole installation made from a seed: users, items (their categories,
// managers and descriptions, some longer than 150 characters) and bookings
// on distinct slots between them, with Windows-1252 letters in the texts.
LegacyInstall generate(quint64 seed, int users, int items, int bookings, int categories = 8);

// Writes the four data files into the folder (made when missing). Throws
// std::runtime_error naming the file that could not be written.
void writeInstall(const QString& folder, const LegacyInstall& install);
// Writes a lock file ("user.lck" for 'U', "invent.lck" for 'I',
// "booking.lck" for 'B') into the folder.
void writeLock(const QString& folder, char kind, LockState state);

} // namespace LegacyGen
