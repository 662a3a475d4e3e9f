#include "Seeding.h"
#include "Accounts.h"
#include "Clock.h"
#include "DataModule.h"
#include "DbError.h"
#include "Lookups.h"

#include <QRegularExpression>

const DefaultPeriod DefaultPeriods[12] = {
    {"BS", 1, "12:00 am"}, {"FM", 2, "8:50 am"},   {"P1", 3, "9:00 am"},   {"P2", 4, "9:40 am"},
    {"P3", 5, "10:20 am"}, {"FB", 6, "11:00 am"},  {"P4", 7, "11:50 am"},  {"P5", 8, "12:30 pm"},
    {"SB", 9, "1:10 pm"},  {"P6", 10, "1:40 pm"},  {"P7", 11, "2:20 pm"},  {"AS", 12, "3:00 pm"},
};

QTime ParseClockTime(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d{1,2}):(\\d{2})\\s*([aApP][mM])\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return QTime();
    const int hour = m.captured(1).toInt();
    const int minute = m.captured(2).toInt();
    if (hour < 1 || hour > 12 || minute > 59)
        return QTime();
    const bool pm = m.captured(3).at(0).toLower() == QLatin1Char('p');
    return QTime((hour % 12) + (pm ? 12 : 0), minute);
}

namespace {

// Makes one user row inside the open transaction and, when it can be found
// again, gives it its values. A row that cannot be found again is never
// "found" on another user's row: the step fails and nothing is kept.
template <typename Values>
SeedResult seedUser(const QString& name, const QString& fullName, const QString& password, Values values)
{
    Database& db = DM().ADOConnection;
    try {
        WriteTransaction tx(db);
        if (FindUser(name) != -1)
            return SeedResult::Present;
        AddUser(name, fullName, password);
        if (FindUser(name) == -1)
            return SeedResult::Failed;
        Dataset& t = DM().UserTable;
        t.edit();
        try {
            values(t);
            t.post();
        } catch (...) {
            t.cancel();
            throw;
        }
        tx.commit();
        return SeedResult::Created;
    } catch (const DbError&) {
        return SeedResult::Failed;
    }
}

} // namespace

SeedResult SeedAdministrator()
{
    return seedUser(AdminName, AdminFullName, AdminInitialPassword, [](Dataset& t) {
        t.setValue(QStringLiteral("accesslevel"), 250);
        for (const char* flag :
             {"canAdministerUsers", "canRunMaintaince", "canModifyBookings", "canMakePermanentBookings",
              "canFlushBookings", "canModifyItems", "canModifyCatergories", "canForceShutdown",
              "forcepassword", "canMakeBookings", "isstaff", "canModifyPeriod", "isAdministrator"})
            t.setValue(QLatin1String(flag), true);
    });
}

SeedResult SeedProfileUser()
{
    return seedUser(ProfileUserName, ProfileFullName, ProfileInitialPassword, [](Dataset& t) {
        t.setValue(QStringLiteral("expireson"), Clock::now());
        t.setValue(QStringLiteral("hide"), true);
    });
}

SeedResult SeedPeriods()
{
    Database& db = DM().ADOConnection;
    WriteTransaction tx(db);
    if (db.scalar(QStringLiteral("SELECT count(*) FROM periods")).toInt() > 0)
        return SeedResult::Present;
    for (const DefaultPeriod& p : DefaultPeriods)
        db.exec(QStringLiteral("INSERT INTO periods (period, \"order\", StartTime) VALUES (?, ?, ?)"),
                {QLatin1String(p.name), p.order,
                 ParseClockTime(QLatin1String(p.startTime)).toString(QStringLiteral("HH:mm:ss"))});
    tx.commit();
    return SeedResult::Created;
}

SeedResult SeedMiscellaneous()
{
    Database& db = DM().ADOConnection;
    try {
        WriteTransaction tx(db);
        if (db.scalar(QStringLiteral("SELECT count(*) FROM catergories WHERE CaterGoryName = ?"),
                      {MiscellaneousName})
                .toInt()
            > 0)
            return SeedResult::Present;
        db.exec(QStringLiteral("INSERT INTO catergories (CaterGoryName, Description) VALUES (?, ?)"),
                {MiscellaneousName, MiscellaneousDescription});
        tx.commit();
        return SeedResult::Created;
    } catch (const DbError&) {
        return SeedResult::Failed;
    }
}
