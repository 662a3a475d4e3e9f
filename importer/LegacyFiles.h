#pragma once
#include "LegacyFormat.h"

#include <QString>
#include <functional>
#include <vector>

class QIODevice;

// The file layer over a version 4.x installation: the three record files
// read whole into tables in memory (kept for the life of the program; a
// second read overwrites them), the lock protocol of the 4.x clients, and
// the look-up of an item's name by its key.

struct TLegacyTables {
    std::vector<LegacyUser> users = std::vector<LegacyUser>(Legacy::UserCount);
    std::vector<LegacyItem> items = std::vector<LegacyItem>(Legacy::ItemCount);
    std::vector<LegacyBooking> bookings = std::vector<LegacyBooking>(Legacy::BookingCount);
};
TLegacyTables& LegacyTables();

// The running program's folder with its trailing separator (empty when the
// path has none): the 4.x clients keep their lock files beside themselves,
// and the importer looks for them there.
QString LegacyProgramFolder();

// Yes when the kind's lock file ('U' user, 'I' inventory, 'B' booking)
// exists in the program folder and its first line is "LOCK". Each look
// ends with a random pause of up to 99 ms. A lock file that cannot be read
// is tried again a bounded number of times, then an IoError names it.
bool IsLocked(char kind);

// Each waits, with the wait window shown, for as long as the file's lock is
// set, then reads the whole file from the folder into its table. A file
// that cannot be read whole (missing, short, unreadable) is tried again a
// bounded number of times; then an IoError names it.
void ReadUserFile(const QString& folder);
void ReadInventoryFile(const QString& folder);
void ReadBookingFile(const QString& folder);

// The category names of an opened "CAT.IBD" (ParseCategoryText's rule),
// read in pieces so that a huge line is never held whole; an IoError when
// reading fails, or as soon as the file holds more lines than
// Legacy::CategoryLineLimit.
QStringList ReadCategoryText(QIODevice& file);

// The item name (as stored) of the first inventory record whose key equals
// the given one, letter case ignored; empty when no record has the key.
QString ItemKeyToName(const QString& key);

// The path of the folder's regular file of that name whatever its letter
// case (an exact spelling first); empty when the folder holds none (a FIFO
// or a device of that name counts as none).
QString FindFileNoCase(const QString& folder, const QString& name);

// Empty when the folder's data file of that name can be read and holds at
// least minimumSize bytes; otherwise a text saying what is wrong with it.
QString LegacyFileProblem(const QString& folder, const QString& name, qint64 minimumSize);
// The same for the folder's "CAT.IBD", which must also be readable as
// category lines (ReadCategoryText).
QString CategoryFileProblem(const QString& folder);

// Test seams.
namespace LegacySeams {
// The folder the lock files are looked for in (empty: the program's own).
void setProgramFolder(const QString& folder);
// The pause between looks (default: the thread sleeps).
void setPause(std::function<void(int ms)> pause);
// How often a file is tried before its IoError.
inline constexpr int ReadTries = 20;
} // namespace LegacySeams
