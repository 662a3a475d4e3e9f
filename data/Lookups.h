#pragma once
#include <QDateTime>
#include <QHash>
#include <QString>

// Look-ups and rights. Each look-up re-reads its table and leaves it
// standing on the row it found; the getters read from that row. Record
// numbers count from 1; -1 means "not found".

// Users
int FindUser(const QString& name);
QString UserFullName(const QString& name);
int UserAccessLevel(const QString& name);
bool OutranksUser(const QString& name);
bool UserCanMakeBookings(const QString& name);
bool UserCanModifyBookings(const QString& name);
bool UserCanMakePermanentBookings(const QString& name);
bool UserCanFlushBookings(const QString& name);
bool UserCanModifyItems(const QString& name);
bool UserCanModifyCategories(const QString& name);
bool UserCanAdministerUsers(const QString& name);
bool UserCanModifyPeriod(const QString& name);
bool UserCanForceShutdown(const QString& name);
bool UserIsAdministrator(const QString& name);
bool UserCanOverrideBookingLimit(const QString& name);
bool UserMustGivePassword(const QString& name);
bool CurrentUserExpired();

// Categories and items
int FindCategory(const QString& name);
int FindItem(const QString& name);
bool IsItemManager(const QString& user, const QString& item);
bool CanUseItem(const QString& item);
bool AddItem(const QString& name, const QString& manager, const QString& category, int minSecurity);
// A barcode for an item: "*", the installation's number, a random number
// from 100000 to 999998 and "*".
QString NewBarCode(const QString& installId);

// Periods
int HighestPeriodOrder();
int FindPeriod(const QString& name);
int PeriodOrderOf(const QString& name);
QString PeriodNameAt(int order);
QDateTime PeriodStartTime(int order);
int CurrentPeriodOrder();

// The orders of the periods as the file holds them now, read once: for
// work that maps many period names in one go (the weekly sheet). Answers as
// PeriodOrderOf would for each name.
class PeriodOrders {
public:
    static PeriodOrders read();
    int of(const QString& name) const;

private:
    QHash<QString, int> m_orders;   // upper-cased name -> order of its first row
};

// The start time of an order that has no row: 1 January 1899, midnight.
QDateTime NoPeriodStartTime();
