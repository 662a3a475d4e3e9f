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

namespace {

const QString LockOutReason = QStringLiteral("Importing Data from Tavrell 4.0");
constexpr int BatchSize = 200;
// The widest description and reason the 5.0 tables hold.
constexpr int WidestText = 150;

} // namespace

// The import's writes, committed every BatchSize records. Each record is a
// write scope of its own inside the batch: a record that fails leaves
// nothing behind, and the records before it stay.
class ImportRun::Batch {
public:
    explicit Batch(Database& db) : m_db(db) {}
    ~Batch()
    {
        if (m_open) {
            try { m_db.rollback(); } catch (...) {}
        }
    }
    void beginRecord()
    {
        if (!m_open) {
            m_db.begin();
            m_open = true;
        }
        m_db.begin();
    }
    void endRecord()
    {
        m_db.commit();
        if (++m_records >= BatchSize)
            commit();
    }
    void dropRecord() { m_db.rollback(); }
    void commit()
    {
        m_records = 0;
        if (m_open) {
            m_open = false;
            m_db.commit();
        }
    }

private:
    Database& m_db;
    bool m_open = false;
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

void ImportRun::refused(const QString& what)
{
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
    Batch batch(m_db);
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
        step();
        if (stopRequested && stopRequested()) {
            m_batch->commit();
            log(QStringLiteral("Import stopped by closing the wizard before record %1 of %2").arg(i + 1).arg(file));
            throw Stopped{};
        }
        m_batch->beginRecord();
        try {
            body(i);
            if (afterRecord)
                afterRecord(file, i + 1);
        } catch (...) {
            // What the batch holds before this record stays, unless the
            // engine has ended the transaction itself.
            try {
                m_batch->dropRecord();
                m_batch->commit();
            } catch (...) {
            }
            m_stoppedAt = QStringLiteral(" at record %1 of %2").arg(i + 1).arg(file);
            throw;
        }
        // Storing the record (and the batch it completes) can fail too,
        // when the engine ended the transaction or the file stayed held:
        // the log then names this record as where the run stopped.
        try {
            m_batch->endRecord();
        } catch (...) {
            m_stoppedAt = QStringLiteral(" at record %1 of %2").arg(i + 1).arg(file);
            throw;
        }
    }
    try {
        m_batch->commit();
    } catch (...) {
        m_stoppedAt = QStringLiteral(" at the end of %1").arg(file);
        throw;
    }
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
    const QStringList lines = ParseCategoryText(f.readAll());
    eachRecord(Legacy::CategoryFileName, int(lines.size()), [&](int i) {
        const QString& line = lines.at(i);
        if (FindCategory(line) != -1)
            return;
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
        // 5.0 levels of users lie in 1..200; above lies the administrator's.
        const int level = std::min(u.level, 200);
        const auto setRights = [&](bool withPassword) {
            FindUser(u.userName);
            EditAndPost(t, [&] {
                if (withPassword) {
                    t.setValue(QStringLiteral("password"), Scramble(u.password));
                    t.setValue(QStringLiteral("fullname"), u.fullName);
                }
                t.setValue(QStringLiteral("accesslevel"), level);
                t.setValue(QStringLiteral("isStudent"), u.isStudent);
                t.setValue(QStringLiteral("isStaff"), u.isStaff);
                t.setValue(QStringLiteral("isAdministrator"), u.isAdministrator);
            });
        };
        if (FindUser(u.userName) == -1) {
            if (!AddUser(u.userName, u.fullName, u.password)) {
                refused(QStringLiteral("User \"%1\" was not added: the database refused it").arg(u.userName));
                return;
            }
            FindUser(u.userName);
            const QString stored = t.asString(QStringLiteral("username"));
            log(QStringLiteral("* Adding User ") + stored);
            ApplyProfileToUser(stored);
            MarkUserOffline(stored);
            setRights(false);
        } else if (overwrite) {
            const QString stored = t.asString(QStringLiteral("username"));
            log(QStringLiteral("* Overwriting User ") + stored);
            ApplyProfileToUser(stored);
            MarkUserOffline(stored);
            setRights(true);
        } else {
            log(QStringLiteral("* User ") + t.asString(QStringLiteral("username"))
                + QStringLiteral(" already exists in Tavrell and will not be overwritten"));
        }
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
        QString description = item.description;
        if (description.size() > WidestText) {
            description.truncate(WidestText);
            log(QStringLiteral("  - the description of item %1 was cut to %2 characters").arg(item.name).arg(WidestText));
        }
        if (FindItem(item.name) == -1) {
            log(QStringLiteral("* Adding Item ") + item.name);
            if (!AddItem(item.name, item.manager, item.category, 1)) {
                refused(QStringLiteral("Item \"%1\" was not added: the database refused it").arg(item.name));
                return;
            }
            FindItem(item.name);
            EditAndPost(t, [&] {
                t.setValue(QStringLiteral("itemdescription"), description);
                t.setValue(QStringLiteral("isAvailable"), item.available);
                t.setValue(QStringLiteral("canStudentBook"), item.studentsMayBook);
            });
        } else if (overwrite) {
            dm.ConfigTable.first();
            const QString barcode = QStringLiteral("*") + dm.ConfigTable.asString(QStringLiteral("installid"))
                                    + QString::number(100000 + Random::next(899999)) + QStringLiteral("*");
            EditAndPost(t, [&] {
                t.setValue(QStringLiteral("Itemname"), item.name);
                t.setValue(QStringLiteral("itemdescription"), description);
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
        }
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
        QString reason = b.reason;
        if (reason.size() > WidestText) {
            reason.truncate(WidestText);
            log(QStringLiteral("  - the reason of booking record %1 was cut to %2 characters").arg(i + 1).arg(WidestText));
        }
        const QDateTime at(day, QTime(0, 0));
        bool placed = false;
        if (FindBooking(item, period, at) == -1) {
            log(QStringLiteral("* Adding Booking ") + when);
            placed = ImportPlaceBooking(item, period, b.bookedBy, false, reason, at);
        } else if (overwrite) {
            log(QStringLiteral("* Overwriting Booking ") + when);
            placed = ImportPlaceBooking(item, period, b.bookedBy, true, reason, at);
        } else {
            log(QStringLiteral("* Ignoring Booking ") + when
                + QStringLiteral(" as this item already exists in Version 5.0"));
            return;
        }
        if (!placed)
            refused(QStringLiteral("not imported: unknown item, user or period, no reason, or a booking it may "
                                   "not replace"));
    });
}
