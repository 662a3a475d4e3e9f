#include "Lookups.h"
#include "Bookings.h"
#include "Clock.h"
#include "DataModule.h"
#include "DateValue.h"
#include "DbError.h"
#include "Random.h"
#include "Session.h"
#include "Text.h"

#include <QMap>
#include <QSqlQuery>

namespace {

bool userFlag(const QString& name, const char* field)
{
    if (FindUser(name) == -1)
        return false;
    return DM().UserTable.asBoolean(QLatin1String(field));
}

// Stands the table on the first row whose field equals the name without
// regard to case and answers its record number; -1 when there is none. The
// look-up goes through the file's index and reads the row afresh; a file
// without that index has its table read again and searched. The walks
// (categories, periods) end at the end of the table when they find nothing.
enum class Miss { StayPut, AtEnd };
int findRow(Dataset& table, const QString& field, const QString& name, Miss miss = Miss::StayPut)
{
    if (!table.isActive())
        table.open();
    if (!table.locatesByIndex(field))
        table.requery();
    if (table.locate(field, name))
        return table.recNo();
    if (miss == Miss::AtEnd) {
        table.last();
        table.next();
    }
    return -1;
}

bool findPeriodRow(int order)
{
    return DM().PeriodsTable.findFirst(
        [order](const RowRef& row) { return row.asInteger(QStringLiteral("order")) == order; });
}

const QString kNoPeriod = QStringLiteral("[NONE]");

} // namespace

// ------------------------------------------------------------------ users

int FindUser(const QString& name)
{
    return findRow(DM().UserTable, QStringLiteral("username"), name);
}

QString UserFullName(const QString& name)
{
    return FindUser(name) == -1 ? QString() : DM().UserTable.asString(QStringLiteral("FullName"));
}

int UserAccessLevel(const QString& name)
{
    return FindUser(name) == -1 ? -1 : DM().UserTable.asInteger(QStringLiteral("accesslevel"));
}

bool OutranksUser(const QString& name)
{
    const int theirs = UserAccessLevel(name);
    const int mine = UserAccessLevel(CurrentUser);
    return theirs < mine;
}

bool UserCanMakeBookings(const QString& n) { return userFlag(n, "canMakeBookings"); }
bool UserCanModifyBookings(const QString& n) { return userFlag(n, "canModifyBookings"); }
bool UserCanMakePermanentBookings(const QString& n) { return userFlag(n, "canMakePermanentBookings"); }
bool UserCanFlushBookings(const QString& n) { return userFlag(n, "canFlushBookings"); }
bool UserCanModifyItems(const QString& n) { return userFlag(n, "canModifyItems"); }
bool UserCanModifyCategories(const QString& n) { return userFlag(n, "canModifyCatergories"); }
bool UserCanAdministerUsers(const QString& n) { return userFlag(n, "canAdministerUsers"); }
bool UserCanModifyPeriod(const QString& n) { return userFlag(n, "canModifyPeriod"); }
bool UserCanForceShutdown(const QString& n) { return userFlag(n, "canForceShutdown"); }
bool UserIsAdministrator(const QString& n) { return userFlag(n, "isAdministrator"); }
bool UserCanOverrideBookingLimit(const QString& n) { return userFlag(n, "canOverrideBookingLimit"); }
bool UserMustGivePassword(const QString& n) { return userFlag(n, "ForcePassword"); }

bool CurrentUserExpired()
{
    if (FindUser(CurrentUser) == -1)
        return false;
    Dataset& t = DM().UserTable;
    if (!t.asBoolean(QStringLiteral("Expires")))
        return false;
    return Clock::today() > t.asDateTime(QStringLiteral("ExpiresOn")).date();
}

// ------------------------------------------------------ categories, items

int FindCategory(const QString& name)
{
    return findRow(DM().catergoriestable, QStringLiteral("CaterGoryName"), name, Miss::AtEnd);
}

int FindItem(const QString& name)
{
    return findRow(DM().itemstable, QStringLiteral("ItemName"), name);
}

bool IsItemManager(const QString& user, const QString& item)
{
    const bool admin = Text::upper(user) == QLatin1String("ADMIN");
    if (FindItem(item) == -1)
        return admin;
    return Text::upper(DM().itemstable.asString(QStringLiteral("Manager"))) == Text::upper(user) || admin;
}

bool CanUseItem(const QString& item)
{
    if (FindItem(item) == -1)
        return false;
    const int needed = DM().itemstable.asInteger(QStringLiteral("minSecurity"));
    return UserAccessLevel(CurrentUser) >= needed;
}

bool AddItem(const QString& name, const QString& manager, const QString& category, int minSecurity)
{
    DataModule& dm = DM();
    Dataset& t = dm.itemstable;
    try {
        // The barcode carries this installation's number; without the
        // configuration row there is none to give.
        if (dm.ConfigTable.isEmpty())
            throw DbError(QStringLiteral("The configuration row is missing."));
        const QString installId = dm.ConfigTable.asString(QStringLiteral("InstallID"));
        t.insert();
        t.setValue(QStringLiteral("ItemName"), Text::upper(name));
        t.setValue(QStringLiteral("Manager"), Text::upper(manager));
        t.setValue(QStringLiteral("Catergory"), category);
        t.setValue(QStringLiteral("minSecurity"), minSecurity);
        t.setValue(QStringLiteral("BarCode"), NewBarCode(installId));
        t.setValue(QStringLiteral("AuthCode"), NewAuthCode());
        t.post();
        return true;
    } catch (const DbError&) {
        t.cancel();
        return false;
    }
}

QString NewBarCode(const QString& installId)
{
    return QStringLiteral("*") + installId + QString::number(Random::next(899999) + 100000) + QStringLiteral("*");
}

// ---------------------------------------------------------------- periods

int HighestPeriodOrder()
{
    // Reads the periods again when the file's changed (the names and start
    // times read by order afterwards come from that read).
    Dataset& t = DM().PeriodsTable;
    t.refresh();
    int highest = 0;
    const int n = t.recordCount();
    for (int i = 0; i < n; ++i) {
        const RowRef row(t, i);
        if (!row.asString(QStringLiteral("period")).isEmpty())
            highest = std::max(highest, row.asInteger(QStringLiteral("order")));
    }
    return highest;
}

int FindPeriod(const QString& name)
{
    return findRow(DM().PeriodsTable, QStringLiteral("period"), name, Miss::AtEnd);
}

int PeriodOrderOf(const QString& name)
{
    return FindPeriod(name) == -1 ? -1 : DM().PeriodsTable.asInteger(QStringLiteral("order"));
}

PeriodOrders PeriodOrders::read()
{
    // A statement of its own: the periods table is not moved.
    PeriodOrders o;
    QSqlQuery& q = DM().ADOConnection.cachedQuery(
        QStringLiteral("SELECT period, \"order\" FROM periods ORDER BY rowid"));
    const bool ok = q.exec();
    Database::check(q, ok);
    while (q.next()) {
        const QString key = Text::upper(q.value(0).toString());
        if (!o.m_orders.contains(key))
            o.m_orders.insert(key, q.value(1).toInt());
    }
    q.finish();
    return o;
}

int PeriodOrders::of(const QString& name) const
{
    return m_orders.value(Text::upper(name), -1);
}

QString PeriodNameAt(int order)
{
    if (!findPeriodRow(order))
        return kNoPeriod;
    return DM().PeriodsTable.asString(QStringLiteral("period"));
}

QDateTime NoPeriodStartTime()
{
    return QDateTime(QDate(1899, 1, 1), QTime(0, 0));
}

QDateTime PeriodStartTime(int order)
{
    try {
        if (!findPeriodRow(order))
            return NoPeriodStartTime();
        return DM().PeriodsTable.asDateTime(QStringLiteral("StartTime"));
    } catch (const DbError&) {
        return NoPeriodStartTime();
    }
}

int CurrentPeriodOrder()
{
    // Read through a statement of its own: the colouring timer runs this
    // while a dialog may be editing the periods table. An order counts by
    // its first row; an order without a row, or whose row has no name, is
    // no period and never in progress (a period someone named "[NONE]"
    // still is one).
    QSqlQuery& q = DM().ADOConnection.cachedQuery(
        QStringLiteral("SELECT period, \"order\", StartTime FROM periods ORDER BY rowid"));
    const bool ok = q.exec();
    Database::check(q, ok);
    QMap<int, std::pair<bool, QTime>> periods;   // order -> named, start time
    int highest = 0;
    while (q.next()) {
        const bool named = !q.value(0).toString().isEmpty();
        const int order = q.value(1).toInt();
        if (named)
            highest = std::max(highest, order);
        if (!periods.contains(order))
            periods.insert(order, {named, DateValue::parse(q.value(2).toString()).time()});
    }
    q.finish();
    const QTime now = Clock::timeNow();
    int result = -1;
    for (int a = 1; a <= highest; ++a) {
        const auto it = periods.constFind(a);
        if (it != periods.constEnd() && it->first && now > it->second)
            result = a;
    }
    return result;
}
