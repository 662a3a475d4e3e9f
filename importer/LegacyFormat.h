#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QStringList>

// The files of a version 4.x installation as the importer reads them: three
// files of fixed-length records (users, inventory, bookings), a text file of
// category names, and the lock files that guard the record files.
//
// Every record field is read from the record's bytes at its offset. A short
// text slot of capacity N takes N+1 bytes: a length byte, then that many
// Windows-1252 characters, then filler that means nothing. A length above
// the slot's capacity (a damaged file) is cut to the capacity, so a slot
// never reads into its neighbour.
namespace Legacy {

inline constexpr int UserCount = 200;
inline constexpr int UserSize = 58;
inline constexpr int ItemCount = 1000;
inline constexpr int ItemSize = 346;
inline constexpr int BookingCount = 10000;
inline constexpr int BookingSize = 312;

// The text in the marker slot of an unused record (letter case counts).
inline const QString NoneMarker = QStringLiteral("[NONE]");

// The file names as the 4.x programs write them; the files are found
// whatever the letter case of their names.
inline const QString UserFileName = QStringLiteral("USER.IBD");
inline const QString InventoryFileName = QStringLiteral("INVENT.IBD");
inline const QString BookingFileName = QStringLiteral("Booking.IBD");
inline const QString CategoryFileName = QStringLiteral("CAT.IBD");
inline const QString UserLockName = QStringLiteral("user.lck");
inline const QString InventoryLockName = QStringLiteral("invent.lck");
inline const QString BookingLockName = QStringLiteral("booking.lck");

// The most characters of a category name that the 5.0 database stores.
inline constexpr int CategoryNameWidth = 50;
// The most lines a category file can hold: the 4.x programs keep at most
// 1000 items, and a file of ten times as many lines is damage, not a list
// of categories.
inline constexpr int CategoryLineLimit = 10000;

// The twelve 4.x period codes in their fixed day order.
inline const QStringList PeriodCodes = {
    QStringLiteral("BS"), QStringLiteral("FM"), QStringLiteral("P1"), QStringLiteral("P2"),
    QStringLiteral("P3"), QStringLiteral("MT"), QStringLiteral("P4"), QStringLiteral("P5"),
    QStringLiteral("LT"), QStringLiteral("P6"), QStringLiteral("P7"), QStringLiteral("AS")};

// Slot layout: offset of the length byte and capacity in characters.
struct Slot {
    int offset;
    int capacity;
};

namespace UserField {
inline constexpr Slot Name{0, 8};
inline constexpr Slot FullName{9, 30};
inline constexpr Slot Password{40, 12};
inline constexpr int Student = 53;
inline constexpr int Staff = 54;
inline constexpr int Administrator = 55;
inline constexpr int Level = 56;
} // namespace UserField

namespace ItemField {
inline constexpr Slot Key{0, 12};
inline constexpr Slot Name{13, 20};
inline constexpr Slot Description{34, 255};
inline constexpr Slot Category{290, 30};
inline constexpr int StudentsMayBook = 321;
inline constexpr int Available = 322;
inline constexpr Slot Manager{323, 22};
} // namespace ItemField

namespace BookingField {
inline constexpr Slot Key{0, 15};
inline constexpr int Date = 16;
inline constexpr Slot Period{24, 2};
inline constexpr Slot BookedBy{27, 8};
inline constexpr Slot BookedOn{36, 10};
inline constexpr Slot Reason{47, 255};
} // namespace BookingField

// Windows-1252 text to Unicode (the platform's own decoder).
QString decode(QByteArrayView bytes);
// Unicode to Windows-1252 (characters it lacks become "?").
QByteArray encode(const QString& text);

// The text of a slot in a record (the record must hold the whole slot).
QString readSlot(QByteArrayView record, Slot slot);
bool readFlag(QByteArrayView record, int offset);

// The whole day of a 4.x date (days since 30 December 1899, the fraction
// being the time of day); an invalid date for a value that is no day
// (not a number, infinite, or outside the years 1..9999).
QDate dayOf(double value);
// The date value of a record at an offset, little-endian.
double readDouble(QByteArrayView record, int offset);

} // namespace Legacy

struct LegacyUser {
    QString userName;
    QString fullName;
    QString password;
    bool isStudent = false;
    bool isStaff = false;
    bool isAdministrator = false;
    int level = 0;   // 0..255
};

struct LegacyItem {
    QString key;
    QString name;
    QString description;
    QString category;
    bool studentsMayBook = false;
    bool available = false;
    QString manager;
};

struct LegacyBooking {
    QString key;
    double date = 0;   // days since 30 December 1899
    QString period;
    QString bookedBy;
    QString bookedOn;  // not imported
    QString reason;

    QDate day() const { return Legacy::dayOf(date); }
};

// One record from its bytes (at least the record's size of them).
LegacyUser ParseUserRecord(QByteArrayView record);
LegacyItem ParseItemRecord(QByteArrayView record);
LegacyBooking ParseBookingRecord(QByteArrayView record);

// The category names of "CAT.IBD": one a line, CRLF or LF; an empty line is
// an empty name; a last line without its line break counts, nothing after
// the final line break does. A line longer than a stored category name can
// be is kept as its first CategoryNameWidth characters and an ellipsis
// (U+2026): still too long to be stored, and short in the log.
QStringList ParseCategoryText(QByteArrayView text);

// The same, fed with the file's bytes piece by piece: of each line no more
// is held than the rule above keeps, however long the line is.
class CategoryLines {
public:
    // maxLines: once more lines than that have ended, the rest is not read
    // (count() then tells the file is over the limit).
    explicit CategoryLines(qsizetype maxLines = -1) : m_maxLines(maxLines) {}
    void add(QByteArrayView bytes);
    // Once every byte has been added: the lines, a last one without its
    // line break included.
    QStringList take();
    // The lines ended so far.
    qsizetype count() const { return m_lines.size(); }

private:
    void endLine();
    QByteArray m_line;
    bool m_cut = false;    // the line goes on beyond what m_line holds
    bool m_open = false;   // a line has begun and not ended
    QStringList m_lines;
    qsizetype m_maxLines;
};

// A lock file's text: locked exactly when its first line is "LOCK".
bool IsLockText(QByteArrayView text);
