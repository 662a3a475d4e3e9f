#include "ImportRun.h"
#include "Accounts.h"
#include "Bookings.h"
#include "DataModule.h"
#include "DbError.h"
#include "ImportData.h"
#include "IoError.h"
#include "LegacyFiles.h"
#include "Lookups.h"
#include "Random.h"
#include "TavrellApplication.h"
#include "Text.h"
#include "Utilities.h"

#include <QFile>

#include <limits>

namespace {

const QString LockOutReason = QStringLiteral("Importing Data from Tavrell 4.0");
constexpr int BatchSize = 200;
// The widest description and reason the 5.0 tables hold.
constexpr int WidestText = 150;

} // namespace

// A 4.x text as its 5.0 column can hold it. A NUL character is damage in
// the 4.x file (the 5.0 tables refuse it): the text is cut at it, as a
// slot's length past its capacity is cut to the capacity.
struct ImportRun::Fitted {
    QString text;
    int cutTo = -1;   // the length it was cut to, -1 when it stands whole
    bool atNul = false;
};

ImportRun::Fitted ImportRun::fitted(QString text, int width)
{
    Fitted f;
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0 && nul <= width) {
        text.truncate(nul);
        f.cutTo = int(nul);
        f.atNul = true;
    } else if (text.size() > width) {
        text.truncate(width);
        f.cutTo = width;
    }
    f.text = text;
    return f;
}

// Says how a text was cut, once it has been written.
void ImportRun::noteCut(const Fitted& text, const QString& what)
{
    if (text.cutTo < 0)
        return;
    log(QStringLiteral("  - the %1 was cut to %2 characters").arg(what).arg(text.cutTo)
        + (text.atNul ? QStringLiteral(" at a NUL character") : QString()));
}

// The import's writes, committed every BatchSize records. Each record is a
// write scope of its own inside the batch, so that it can be undone alone.
// A batch whose commit fails (or whose transaction the engine ended) is
// lost whole; `lost` hears which records it held.
class ImportRun::Batch {
public:
    using Lost = std::function<void(const QString& file, int first, int last)>;
    Batch(Database& db, Lost lost) : m_db(db), m_lost(std::move(lost)) {}
    ~Batch() { abandon(); }

    void beginRecord(const QString& file, int record)
    {
        if (!m_open) {
            m_db.begin();
            m_open = true;
            m_file = file;
            m_first = record;
        }
        m_db.begin();
        m_inRecord = true;
        m_last = record;
    }
    // Undoes the current record's writes, and only them.
    void dropRecord()
    {
        if (m_inRecord) {
            m_inRecord = false;
            m_db.rollback();
        }
    }
    // Keeps the current record (unless it was dropped) and commits a full
    // batch.
    void endRecord()
    {
        if (m_inRecord) {
            m_inRecord = false;
            m_db.commit();
        }
        if (++m_records >= BatchSize)
            commit();
    }
    void commit()
    {
        m_records = 0;
        if (!m_open)
            return;
        dropRecord();
        m_open = false;
        try {
            m_db.commit();
        } catch (...) {
            m_lost(m_file, m_first, m_last);
            throw;
        }
    }

private:
    void abandon()
    {
        try {
            dropRecord();
            if (m_open) {
                m_open = false;
                m_db.rollback();
            }
        } catch (...) {
        }
    }

    Database& m_db;
    Lost m_lost;
    bool m_open = false;
    bool m_inRecord = false;
    QString m_file;
    int m_first = 0;
    int m_last = 0;
    int m_records = 0;
};

ImportRun::ImportRun(ImportChoices choices) : m_choices(std::move(choices)), m_db(DM().ADOConnection) {}

ImportRun::~ImportRun() = default;

void ImportRun::step()
{
    ++m_position;
    if (progress)
        progress(m_position);
}

void ImportRun::stopOnFileError() const
{
    // An error of the file (full, unreadable, held) since the record began,
    // also one that a data routine caught itself.
    if (DbError::fileErrors() != m_fileErrorsAtRecord)
        throw DbError::lastFileError();
}

void ImportRun::refused(const QString& what)
{
    // A data routine that answered no because of an error of the file was
    // refused by no rule: the run stops on that error.
    stopOnFileError();
    ++m_refusals;
    log(QStringLiteral("  - ") + what);
}

QString ImportRun::mapPeriod(const QString& code) const
{
    const qsizetype k = Legacy::PeriodCodes.indexOf(code);
    return k < 0 ? QString() : m_choices.periods[size_t(k)];
}

void ImportRun::lockOut()
{
    DM().SystemTable.open();
    DenyLogin(LockOutReason);
    log(QStringLiteral("Disabling Tavrell Login"));
    if (wait)
        wait(5);
    SetForceShutdown(LockOutReason, QStringLiteral("ADMIN"));
    log(QStringLiteral("Forcing Users in Tavrell to Logoff"));
    if (wait)
        wait(5);
}

ImportRun::Outcome ImportRun::run()
{
    m_position = 1;
    m_refusals = 0;
    m_stoppedAt.clear();
    m_error.clear();
    Batch batch(m_db, [this](const QString& file, int first, int last) {
        const int records = last - first + 1;
        log((records == 1 ? QStringLiteral("The last record was lost")
                          : QStringLiteral("The last %1 records were lost").arg(records))
            + QStringLiteral(": the file holds nothing of this run from record %1 of %2 on").arg(first).arg(file));
    });
    m_batch = &batch;
    Outcome outcome = Outcome::Completed;
    try {
        lockOut();
        ImportCategories();
        ImportUsers();
        ImportInventory();
        ImportBookings();
        log(QStringLiteral("Import Complete"));
        log(QStringLiteral("Please run Maintenance program in Tavrell 5.0"));
        log(QStringLiteral("Reinstating Login"));
        ClearForceShutdown();
        AllowLogin();
        log(QStringLiteral("%1 records were refused and not imported").arg(m_refusals));
    } catch (const Stopped&) {
        outcome = Outcome::Stopped;
    } catch (const std::exception& e) {
        m_error = ErrorText(e);
    } catch (...) {
        m_error = QStringLiteral("An unknown error occurred");
    }
    m_batch = nullptr;
    if (m_error.isEmpty())
        return outcome;
    log(QStringLiteral("Import stopped") + m_stoppedAt + QStringLiteral(": ") + m_error);
    return Outcome::Failed;
}

template <typename Body>
void ImportRun::eachRecord(const QString& file, int count, Body body)
{
    for (int i = 0; i < count; ++i) {
        const int record = i + 1;
        step();
        if (stopRequested && stopRequested()) {
            m_stoppedAt = QStringLiteral(" before record %1 of %2").arg(record).arg(file);
            m_batch->commit();
            log(QStringLiteral("Import stopped by closing the wizard before record %1 of %2").arg(record).arg(file));
            throw Stopped{};
        }
        m_record.clear();
        try {
            m_batch->beginRecord(file, record);
            bool kept = true;
            m_fileErrorsAtRecord = DbError::fileErrors();
            try {
                body(i);
                // An error of the file that a data routine caught and
                // answered as a refusal is still the file's.
                stopOnFileError();
            } catch (const DbError& e) {
                // The database refused one of the record's writes: the
                // record alone is undone and the run goes on, unless the
                // error is the file's (full, unreadable, held) or the
                // engine ended the whole transaction with it.
                if (!e.refusesRecord() || m_db.transactionLost())
                    throw;
                m_batch->dropRecord();
                refused((m_record.isEmpty() ? QStringLiteral("Record %1 of %2").arg(record).arg(file) : m_record)
                        + QStringLiteral(" was not imported: the database refused it (%1)").arg(e.text()));
                kept = false;
            }
            if (kept && afterRecord)
                afterRecord(file, record);
            m_batch->endRecord();
        } catch (...) {
            // What the batch holds before this record stays, if the file
            // still takes it; the error is the one to report either way.
            m_stoppedAt = QStringLiteral(" at record %1 of %2").arg(record).arg(file);
            try {
                m_batch->commit();
            } catch (...) {
            }
            throw;
        }
    }
    m_stoppedAt = QStringLiteral(" at the end of %1").arg(file);
    m_batch->commit();
    m_stoppedAt.clear();
}

void ImportRun::ImportCategories()
{
    DataModule& dm = DM();
    dm.catergoriestable.open();
    log(QStringLiteral("Importing Catergories"));
    step();
    const QString path = FindFileNoCase(m_choices.legacyFolder, Legacy::CategoryFileName);
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::ReadOnly))
        throw IoError(QStringLiteral("The Tavrell 4.x file \"%1\" cannot be read: %2")
                          .arg(Legacy::CategoryFileName, path.isEmpty() ? QStringLiteral("the file is missing")
                                                                        : f.errorString()));
    const QStringList lines = ReadCategoryText(f);
    eachRecord(Legacy::CategoryFileName, int(lines.size()), [&](int i) {
        const QString& line = lines.at(i);
        if (FindCategory(line) != -1)
            return;
        m_record = QStringLiteral("Catergory \"%1\"").arg(line);
        log(QStringLiteral("Adding Catergory ") + line);
        if (!AddCategory(line, QStringLiteral("Transferred from Tavrell 4.x")))
            refused(QStringLiteral("Catergory \"%1\" was not added: the database refused it").arg(line));
    });
}

void ImportRun::ImportUsers()
{
    DataModule& dm = DM();
    Dataset& t = dm.UserTable;
    t.open();
    const bool overwrite = m_choices.overwriteUsers;
    log(QStringLiteral("Importing Users"));
    step();
    ReadUserFile(m_choices.legacyFolder);
    const std::vector<LegacyUser> users = LegacyTables().users;
    eachRecord(Legacy::UserFileName, int(users.size()), [&](int i) {
        const LegacyUser& u = users[size_t(i)];
        // Unused and blank records; the 5.0 administrator is never replaced.
        if (u.userName == Legacy::NoneMarker || u.userName.isEmpty()
            || Text::sameName(u.userName, QStringLiteral("ADMIN")))
            return;
        m_record = QStringLiteral("User \"%1\"").arg(u.userName);
        // Its slot is narrower than the column: only a NUL cuts it.
        const Fitted fullName = fitted(u.fullName, std::numeric_limits<int>::max());
        // 5.0 levels of users lie in 1..200; above lies the administrator's.
        const int level = std::min(u.level, 200);
        const auto setRights = [&](bool withPassword) {
            FindUser(u.userName);
            EditAndPost(t, [&] {
                if (withPassword) {
                    t.setValue(QStringLiteral("password"), Scramble(u.password));
                    t.setValue(QStringLiteral("fullname"), fullName.text);
                }
                t.setValue(QStringLiteral("accesslevel"), level);
                t.setValue(QStringLiteral("isStudent"), u.isStudent);
                t.setValue(QStringLiteral("isStaff"), u.isStaff);
                t.setValue(QStringLiteral("isAdministrator"), u.isAdministrator);
            });
        };
        QString stored;
        if (FindUser(u.userName) == -1) {
            if (!AddUser(u.userName, fullName.text, u.password)) {
                refused(QStringLiteral("User \"%1\" was not added: the database refused it").arg(u.userName));
                return;
            }
            FindUser(u.userName);
            stored = t.asString(QStringLiteral("username"));
            log(QStringLiteral("* Adding User ") + stored);
            ApplyProfileToUser(stored);
            MarkUserOffline(stored);
            setRights(false);
        } else if (overwrite) {
            stored = t.asString(QStringLiteral("username"));
            log(QStringLiteral("* Overwriting User ") + stored);
            ApplyProfileToUser(stored);
            MarkUserOffline(stored);
            setRights(true);
        } else {
            log(QStringLiteral("* User ") + t.asString(QStringLiteral("username"))
                + QStringLiteral(" already exists in Tavrell and will not be overwritten"));
            return;
        }
        noteCut(fullName, QStringLiteral("full name of user ") + stored);
    });
}

void ImportRun::ImportInventory()
{
    DataModule& dm = DM();
    Dataset& t = dm.itemstable;
    t.open();
    dm.ConfigTable.open();
    log(QStringLiteral("Importing Inventory"));
    ReadInventoryFile(m_choices.legacyFolder);
    const bool overwrite = m_choices.overwriteItems;
    const std::vector<LegacyItem> items = LegacyTables().items;
    eachRecord(Legacy::InventoryFileName, int(items.size()), [&](int i) {
        const LegacyItem& item = items[size_t(i)];
        if (item.name == Legacy::NoneMarker || item.name.isEmpty())
            return;
        m_record = QStringLiteral("Item \"%1\"").arg(item.name);
        const Fitted description = fitted(item.description, WidestText);
        if (FindItem(item.name) == -1) {
            log(QStringLiteral("* Adding Item ") + item.name);
            if (!AddItem(item.name, item.manager, item.category, 1)) {
                refused(QStringLiteral("Item \"%1\" was not added: the database refused it").arg(item.name));
                return;
            }
            FindItem(item.name);
            EditAndPost(t, [&] {
                t.setValue(QStringLiteral("itemdescription"), description.text);
                t.setValue(QStringLiteral("isAvailable"), item.available);
                t.setValue(QStringLiteral("canStudentBook"), item.studentsMayBook);
            });
        } else if (overwrite) {
            dm.ConfigTable.first();
            const QString barcode = QStringLiteral("*") + dm.ConfigTable.asString(QStringLiteral("installid"))
                                    + QString::number(100000 + Random::next(899999)) + QStringLiteral("*");
            EditAndPost(t, [&] {
                t.setValue(QStringLiteral("Itemname"), item.name);
                t.setValue(QStringLiteral("itemdescription"), description.text);
                t.setValue(QStringLiteral("isAvailable"), item.available);
                t.setValue(QStringLiteral("canStudentBook"), item.studentsMayBook);
                t.setValue(QStringLiteral("barcode"), barcode);
                t.setValue(QStringLiteral("manager"), item.manager);
                t.setValue(QStringLiteral("catergory"), item.category);
                t.setValue(QStringLiteral("minsecurity"), 1);
            });
            log(QStringLiteral("* Overwriting Item ") + item.name);
        } else {
            log(QStringLiteral("* Item ") + item.name
                + QStringLiteral(" already exists in Tavrell and will not be overwritten"));
            return;
        }
        noteCut(description, QStringLiteral("description of item ") + item.name);
    });
}

void ImportRun::ImportBookings()
{
    DataModule& dm = DM();
    const QString& folder = m_choices.legacyFolder;
    ReadBookingFile(folder);
    ReadInventoryFile(folder);
    dm.BookingsTable.open();
    log(QStringLiteral("Importing Bookings"));
    ReadBookingFile(folder);
    const bool overwrite = m_choices.overwriteBookings;
    const std::vector<LegacyBooking> bookings = LegacyTables().bookings;
    eachRecord(Legacy::BookingFileName, int(bookings.size()), [&](int i) {
        const LegacyBooking& b = bookings[size_t(i)];
        const QString period = mapPeriod(b.period);
        if (b.key == Legacy::NoneMarker || b.key.isEmpty() || period.isEmpty())
            return;
        const QDate day = b.day();
        if (!day.isValid()) {
            log(QStringLiteral("  - booking record %1 has no valid date and is skipped").arg(i + 1));
            return;
        }
        const QString item = ItemKeyToName(b.key);
        const QString when = FormatShortDate(day) + QLatin1Char(' ') + b.period + QLatin1Char(' ') + item;
        m_record = QStringLiteral("Booking ") + when;
        const Fitted reason = fitted(b.reason, WidestText);
        const QDateTime at(day, QTime(0, 0));
        bool placed = false;
        if (FindBooking(item, period, at) == -1) {
            log(QStringLiteral("* Adding Booking ") + when);
            placed = ImportPlaceBooking(item, period, b.bookedBy, false, reason.text, at);
        } else if (overwrite) {
            log(QStringLiteral("* Overwriting Booking ") + when);
            placed = ImportPlaceBooking(item, period, b.bookedBy, true, reason.text, at);
        } else {
            log(QStringLiteral("* Ignoring Booking ") + when
                + QStringLiteral(" as this item already exists in Version 5.0"));
            return;
        }
        if (!placed) {
            refused(QStringLiteral("not imported: unknown item, user or period, no reason, or a booking it may "
                                   "not replace"));
            return;
        }
        noteCut(reason, QStringLiteral("reason of booking record %1").arg(i + 1));
    });
}
