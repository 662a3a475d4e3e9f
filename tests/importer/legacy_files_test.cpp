// The 4.x files: record layouts, clamps, dates, category lines, the lock
// protocol and the readers.
#include "IoError.h"
#include "LegacyFiles.h"
#include "LegacyGenerator.h"
#include "lockfrm.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <thread>
#include <tuple>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void writeBytes(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

class LegacyFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        LegacySeams::setProgramFolder(dir.path() + QLatin1Char('/'));
        LegacySeams::setPause([this](int) { ++pauses; if (onPause) onPause(); });
    }
    void TearDown() override
    {
        LegacySeams::setProgramFolder(QString());
        LegacySeams::setPause(nullptr);
        LockForm()->hide();
        LegacyTables() = TLegacyTables();
    }
    QString file(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    int pauses = 0;
    std::function<void()> onPause;
};

} // namespace

TEST(LegacyFormat, RecordsReadBackEveryFieldAtItsOffset)
{
    const LegacyUser u{QStringLiteral("JSMITH"), QStringLiteral("Jos\u00e9 Smith \u20ac"), QStringLiteral("PassWord12"),
                       false, true, true, 255};
    const auto userFields = [](const LegacyUser& x) {
        return std::tie(x.userName, x.fullName, x.password, x.isStudent, x.isStaff, x.isAdministrator, x.level);
    };
    for (const char yes : {char(0x01), char(0xFF)}) {
        const QByteArray rec = LegacyGen::userRecord(u, yes);
        ASSERT_EQ(rec.size(), Legacy::UserSize);
        EXPECT_EQ(rec.at(40 + 1 + 10), LegacyGen::Filler);   // junk after the password's text
        EXPECT_EQ(rec.at(54), yes);
        const LegacyUser back = ParseUserRecord(rec);
        EXPECT_EQ(userFields(back), userFields(u)) << int(yes);
    }

    const LegacyItem i{QStringLiteral("ROOM1"), QStringLiteral("Room One"), QString(255, QLatin1Char('d')),
                       QStringLiteral("Rooms"), true, false, QStringLiteral("MANAGER")};
    const auto itemFields = [](const LegacyItem& x) {
        return std::tie(x.key, x.name, x.description, x.category, x.studentsMayBook, x.available, x.manager);
    };
    const LegacyItem ib = ParseItemRecord(LegacyGen::itemRecord(i, char(0xFF)));
    EXPECT_EQ(itemFields(ib), itemFields(i));

    const LegacyBooking b{QStringLiteral("ROOM1"), 46086.5, QStringLiteral("P1"), QStringLiteral("JSMITH"),
                          QStringLiteral("01/03/2026"), QStringLiteral("Year 9 \u201cscience\u201d")};
    const auto bookingFields = [](const LegacyBooking& x) {
        return std::make_tuple(x.key, x.day(), x.period, x.bookedBy, x.bookedOn, x.reason);
    };
    EXPECT_EQ(bookingFields(ParseBookingRecord(LegacyGen::bookingRecord(b))), bookingFields(b));
    EXPECT_EQ(b.day(), QDate(2026, 3, 5));
}

TEST(LegacyFormat, TextIsWindows1252AndSlotLengthsAreClamped)
{
    QByteArray rec(Legacy::UserSize, char(0xCC));
    // Raw bytes: 0x80 is the euro sign, 0xE9 an e with acute accent.
    rec[0] = 2;
    rec[1] = char(0x80);
    rec[2] = char(0xE9);
    EXPECT_EQ(ParseUserRecord(rec).userName, QStringLiteral("\u20ac\u00e9"));

    struct Case {
        int length;
        int expected;
    };
    // A full slot, an empty one, and damaged lengths above the capacity.
    for (const Case c : {Case{8, 8}, Case{0, 0}, Case{9, 8}, Case{255, 8}}) {
        QByteArray r(Legacy::UserSize, 'x');
        r[0] = char(c.length);
        r.replace(1, 12, "ABCDEFGH\x03" "ful");   // the full name's own slot right after it
        const LegacyUser u = ParseUserRecord(r);
        EXPECT_EQ(u.userName, QStringLiteral("ABCDEFGH").left(c.expected)) << c.length;
        EXPECT_EQ(u.fullName, QStringLiteral("ful"));
    }
    // The last slot of a record never reads past its end.
    QByteArray item(Legacy::ItemSize, char(0xCC));
    item[Legacy::ItemField::Manager.offset] = char(250);
    EXPECT_EQ(ParseItemRecord(item).manager.size(), 22);
    EXPECT_EQ(Legacy::readSlot(QByteArrayView("\x05" "ab"), Legacy::Slot{0, 12}), QStringLiteral("ab"));
}

TEST(LegacyFormat, DatesAreLittleEndianDaysSince1899)
{
    struct Vector {
        double value;
        const char* bytes;
        QDate day;
    };
    const Vector vectors[] = {
        {46086.0, "\x00\x00\x00\x00\xc0\x80\xe6\x40", QDate(2026, 3, 5)},
        {46086.5, "\x00\x00\x00\x00\xd0\x80\xe6\x40", QDate(2026, 3, 5)},
        {36526.0, "\x00\x00\x00\x00\xc0\xd5\xe1\x40", QDate(2000, 1, 1)},
        {0.0, "\x00\x00\x00\x00\x00\x00\x00\x00", QDate(1899, 12, 30)},
    };
    for (const Vector& v : vectors) {
        QByteArray rec(Legacy::BookingSize, char(0xCC));
        LegacyGen::putDouble(rec, Legacy::BookingField::Date, v.value);
        EXPECT_EQ(rec.mid(16, 8), QByteArray(v.bytes, 8)) << v.value;
        EXPECT_EQ(Legacy::readDouble(rec, 16), v.value);
        EXPECT_EQ(Legacy::dayOf(v.value), v.day);
    }
    EXPECT_EQ(LegacyGen::dateValue(QDateTime(QDate(2026, 3, 5), QTime(12, 0))), 46086.5);
    for (const double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(), 1e300, -1e300, 3e6})
        EXPECT_FALSE(Legacy::dayOf(bad).isValid()) << bad;
}

TEST(LegacyFormat, CategoryLinesAndLockTexts)
{
    for (const auto& [text, lines] : std::initializer_list<std::pair<const char*, QStringList>>{
             {"Rooms\r\nLaptops\r\n", {"Rooms", "Laptops"}}, {"Rooms\nLaptops\n", {"Rooms", "Laptops"}},
             {"Rooms\r\n\r\nLaptops", {"Rooms", "", "Laptops"}}, {"\xe9t\xe9\r\n", {QStringLiteral("\u00e9t\u00e9")}},
             {"", {}}})
        EXPECT_EQ(ParseCategoryText(text), lines) << text;
    // A line longer than a stored name keeps the name's width and an ellipsis.
    const QByteArray fifty(50, 'n'), cut = fifty + "\xe2\x80\xa6";
    for (const auto& [text, lines] : std::initializer_list<std::pair<QByteArray, QStringList>>{
             {fifty + "\r\n", {fifty}}, {fifty + "x\r\nA", {cut, "A"}}, {fifty + "xy", {cut}},
             {fifty + QByteArray(500, 'x') + "\r\n\r\n", {cut, ""}}}) {
        EXPECT_EQ(ParseCategoryText(text), lines) << text.size();
        // Fed byte by byte, the same lines.
        CategoryLines pieces;
        for (const char c : text)
            pieces.add(QByteArrayView(&c, 1));
        EXPECT_EQ(pieces.take(), lines) << text.size();
    }
    EXPECT_EQ(LegacyGen::categoryFile({"A", "", "B"}), QByteArray("A\r\n\r\nB\r\n"));

    // The lock states themselves are read through the files below.
    using S = LegacyGen::LockState;
    EXPECT_EQ(LegacyGen::lockText(S::Released, 123456), QByteArray("123456\r\n05/03/2026\r\n14:22:01\r\n"));
    EXPECT_TRUE(IsLockText("LOCK\nmore"));
    EXPECT_FALSE(IsLockText("XLOCK\r\n"));
}

TEST_F(LegacyFilesTest, IsLockedLooksInTheProgramFolderWhateverTheNameCase)
{
    LegacySeams::setProgramFolder(QString());
    EXPECT_EQ(LegacyProgramFolder(), QCoreApplication::applicationDirPath() + QLatin1Char('/'));
    LegacySeams::setProgramFolder(dir.path() + QLatin1Char('/'));

    EXPECT_FALSE(IsLocked('U'));   // missing
    using S = LegacyGen::LockState;
    for (const auto& [state, locked] : std::vector<std::pair<S, bool>>{
             {S::Empty, false}, {S::Released, false}, {S::LowerCase, false}, {S::TrailingBlank, false},
             {S::Locked, true}, {S::LockedBare, true}}) {
        LegacyGen::writeLock(dir.path(), 'B', state);
        EXPECT_EQ(IsLocked('B'), locked) << int(state);
    }
    EXPECT_FALSE(IsLocked('I'));
    writeBytes(file("INVENT.LCK"), "LOCK\r\n");
    EXPECT_TRUE(IsLocked('I'));
    EXPECT_GT(pauses, 0);   // every look pauses, a successful one too
}

TEST_F(LegacyFilesTest, ReaderWaitsWhileLockedWithTheWaitWindowShown)
{
    LegacyInstall in = LegacyGen::generate(3, 5, 4, 6);
    LegacyGen::writeInstall(dir.path(), in);
    LegacyGen::writeLock(dir.path(), 'U', LegacyGen::LockState::Locked);
    bool shownWhileLocked = false;
    onPause = [&] {
        if (pauses == 4) {
            shownWhileLocked = LockForm()->isVisible();
            LegacyGen::writeLock(dir.path(), 'U', LegacyGen::LockState::Released);
        }
    };
    ReadUserFile(dir.path());
    EXPECT_TRUE(shownWhileLocked);
    EXPECT_FALSE(LockForm()->isVisible());
    // It cannot be closed and stays above the program; its picture is shipped.
    EXPECT_EQ(LockForm()->windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
              Qt::WindowStaysOnTopHint);
    EXPECT_EQ(LockForm()->Image1->pixmap().size(), QSize(81, 81));
    ASSERT_EQ(LegacyTables().users.size(), size_t(Legacy::UserCount));
    EXPECT_EQ(LegacyTables().users[0].userName, in.users[0].userName);
    EXPECT_EQ(LegacyTables().users[4].password, in.users[4].password);
    EXPECT_EQ(LegacyTables().users[5].userName, Legacy::NoneMarker);
}

TEST_F(LegacyFilesTest, TheWaitWindowGoesWhenTheLockCannotBeRead)
{
    LegacyGen::writeInstall(dir.path(), LegacyGen::generate(3, 5, 4, 6));
    LegacyGen::writeLock(dir.path(), 'U', LegacyGen::LockState::Locked);
    bool shownWhileLocked = false;
    // The look at the lock gives up, as it does on a file it cannot read.
    onPause = [&] {
        if (pauses == 4) {
            shownWhileLocked = LockForm()->isVisible();
            throw IoError(QStringLiteral("The Tavrell 4.x lock file \"user.lck\" cannot be read"));
        }
    };
    EXPECT_THROW(ReadUserFile(dir.path()), IoError);
    EXPECT_TRUE(shownWhileLocked);
    EXPECT_FALSE(LockForm()->isVisible());
}

TEST_F(LegacyFilesTest, ReadersFindFilesWhateverTheirNameCase)
{
    const LegacyInstall in = LegacyGen::generate(4, 3, 7, 20);
    writeBytes(file("user.ibd"), LegacyGen::userFile(in.users));
    writeBytes(file("Invent.IBD"), LegacyGen::inventoryFile(in.items));
    writeBytes(file("BOOKING.ibd"), LegacyGen::bookingFile(in.bookings));
    ReadUserFile(dir.path());
    ReadInventoryFile(dir.path());
    ReadBookingFile(dir.path());
    EXPECT_EQ(LegacyTables().users[2].fullName, in.users[2].fullName);
    EXPECT_EQ(LegacyTables().items[6].description, in.items[6].description.left(255));
    EXPECT_EQ(LegacyTables().items[7].name, Legacy::NoneMarker);
    EXPECT_EQ(LegacyTables().bookings[19].reason, in.bookings[19].reason);
    EXPECT_EQ(LegacyTables().bookings[20].key, Legacy::NoneMarker);
    EXPECT_EQ(LegacyTables().bookings.size(), size_t(Legacy::BookingCount));
}

TEST_F(LegacyFilesTest, ShortOrMissingDataFileEndsInAnErrorNamingIt)
{
    writeBytes(file("USER.IBD"), QByteArray(Legacy::UserSize * Legacy::UserCount - 1, 'x'));
    try {
        ReadUserFile(dir.path());
        FAIL() << "no error";
    } catch (const IoError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("USER.IBD"))) << e.text().toStdString();
    }
    EXPECT_GE(pauses, LegacySeams::ReadTries - 1);
    EXPECT_THROW(ReadBookingFile(dir.path()), IoError);
    EXPECT_FALSE(LegacyFileProblem(dir.path(), QStringLiteral("user.ibd"), 11600).isEmpty());
    EXPECT_TRUE(LegacyFileProblem(dir.path(), QStringLiteral("user.ibd"), 11599).isEmpty());
    EXPECT_FALSE(LegacyFileProblem(dir.path(), QStringLiteral("cat.ibd"), 0).isEmpty());
}

namespace {

// A FIFO in the folder, with a writer that counts every open for reading
// (a reader's open blocks until a writer comes, then sees an empty file).
struct CountedFifo {
    explicit CountedFifo(const QString& path)
        : m_path(QFile::encodeName(path)), m_made(::mkfifo(m_path.constData(), 0644) == 0)
    {
        if (m_made)
            m_writer = std::thread([this] {
                while (!m_stop)
                    if (const int fd = ::open(m_path.constData(), O_WRONLY); fd >= 0) {
                        m_opens += m_stop ? 0 : 1;
                        ::close(fd);
                    }
            });
    }
    ~CountedFifo()
    {
        if (!m_made)
            return;
        m_stop = true;
        // A reader of our own lets the writer's last open through.
        const int fd = ::open(m_path.constData(), O_RDONLY | O_NONBLOCK);
        m_writer.join();
        ::close(fd);
        ::unlink(m_path.constData());
    }
    QByteArray m_path;
    bool m_made;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_opens{0};
    std::thread m_writer;
};

// The peak resident memory of the process in KiB (VmHWM); -1 when unknown.
qint64 peakResidentKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

TEST_F(LegacyFilesTest, FifosNamedLikeTheFilesCountAsMissing)
{
    // A data file: missing for the check and the reader. A lock file: a
    // missing lock is released. Either way the FIFO is never opened.
    struct Case {
        const char* name;
        bool lock;
    } const cases[] = {{"USER.IBD", false}, {"user.Ibd", false}, {"booking.lck", true}, {"BOOKING.LCK", true}};
    const LegacyInstall in = LegacyGen::generate(2, 2, 2, 2);
    writeBytes(file("Booking.IBD"), LegacyGen::bookingFile(in.bookings));
    for (const Case& c : cases) {
        CountedFifo fifo(file(c.name));
        ASSERT_TRUE(fifo.m_made) << c.name;
        if (c.lock) {
            EXPECT_FALSE(IsLocked('B')) << c.name;
            ReadBookingFile(dir.path());
            EXPECT_EQ(LegacyTables().bookings[1].key, in.bookings[1].key) << c.name;
        } else {
            EXPECT_EQ(LegacyFileProblem(dir.path(), QStringLiteral("user.ibd"), 0),
                      QStringLiteral("\"user.ibd\" is missing"))
                << c.name;
            try {
                ReadUserFile(dir.path());
                ADD_FAILURE() << c.name << ": no error";
            } catch (const IoError& e) {
                EXPECT_TRUE(e.text().endsWith(QStringLiteral("the file is missing"))) << e.text().toStdString();
            }
        }
        EXPECT_EQ(fifo.m_opens, 0) << c.name;
    }
}

// Neither a huge line nor a flood of lines is ever held whole: the line is
// cut, and the flood refused once it passes the most lines a category file
// can hold.
TEST_F(LegacyFilesTest, AHugeCategoryLineIsNeverHeldWhole)
{
    constexpr int Megabytes = 64;
    const QByteArray mega(1 << 20, 'x');
    struct Case {
        const char* name;
        std::function<void(QFile&)> fill;
        QStringList lines;   // none: refused
        qint64 boundKiB;     // the most the peak may grow (the sanitizers' allocator included)
    };
    const Case cases[] = {
        {"a line of 64 MiB",
         [&](QFile& f) {
             f.write("Rooms\r\n");
             for (int i = 0; i < Megabytes; ++i)
                 f.write(mega);
             f.write("\r\nLaptops\r\n");
         },
         {QStringLiteral("Rooms"), QString(50, QLatin1Char('x')) + QChar(0x2026), QStringLiteral("Laptops")},
         Megabytes * 1024 / 16},
        // The limit is the same whether the last line has its line break or not.
        {"10,001 lines, the last one ended", [](QFile& f) { f.write(QByteArray("C\r\n").repeated(10001)); }, {},
         16 * 1024},
        {"10,001 lines, the last one not ended",
         [](QFile& f) { f.write(QByteArray("C\r\n").repeated(10000) + "C"); }, {}, 16 * 1024},
        {"10,000 lines, the last one not ended",
         [](QFile& f) { f.write(QByteArray("C\r\n").repeated(9999) + "C"); },
         QStringList(10000, QStringLiteral("C")), 16 * 1024},
        {"8 Mi empty lines", [](QFile& f) { f.write(QByteArray(8 << 20, '\n')); }, {}, 16 * 1024},
    };
    for (const Case& c : cases) {
        QFile f(file("CAT.IBD"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        c.fill(f);
        f.close();

        // Measured from here: the peak is reset to what the process holds now.
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
            GTEST_SKIP() << "the peak resident memory cannot be reset here";
        clear.close();
        const qint64 before = peakResidentKiB();
        ASSERT_GT(before, 0);

        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        if (c.lines.isEmpty())
            EXPECT_THROW(ReadCategoryText(f), IoError) << c.name;
        else
            EXPECT_EQ(ReadCategoryText(f), c.lines) << c.name;
        const qint64 grown = peakResidentKiB() - before;
        EXPECT_LT(grown, c.boundKiB) << grown << " KiB for " << c.name;
    }
    EXPECT_EQ(CategoryFileProblem(dir.path()),
              QStringLiteral("The Tavrell 4.x file \"CAT.IBD\" holds more than 10000 lines: it is damaged"));
}

TEST_F(LegacyFilesTest, ItemKeyToNameMatchesKeysIgnoringCase)
{
    const LegacyItem a{QStringLiteral("ROOM1"), QStringLiteral("Room One"), {}, {}, false, false, {}};
    const LegacyItem b{QStringLiteral("room1"), QStringLiteral("Second"), {}, {}, false, false, {}};
    LegacyGen::writeInstall(dir.path(), LegacyInstall{{}, {a, b}, {}, {}, false});
    ReadInventoryFile(dir.path());
    EXPECT_EQ(ItemKeyToName(QStringLiteral("room1")), QStringLiteral("Room One"));
    EXPECT_EQ(ItemKeyToName(QStringLiteral("ROOM2")), QString());
}
