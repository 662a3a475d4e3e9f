#include "Bookings.h"
#include "Clock.h"
#include "DataModule.h"
#include "DateValue.h"
#include "DbError.h"
#include "Lookups.h"
#include "Random.h"
#include "Text.h"

#include <QSqlQuery>

std::function<void()> PlaceBookingAfterFindHook;

void WriteBookingSlot(Dataset& q, const QString& item, const QDateTime& date, const QString& period,
                      const QString& bookedFor, const QString& reason)
{
    const QDateTime now = Clock::now();
    q.setValue(QStringLiteral("itembooked"), item);
    q.setValue(QStringLiteral("date"), date.date());
    q.setValue(QStringLiteral("period"), period);
    q.setValue(QStringLiteral("bookedby"), bookedFor);
    q.setValue(QStringLiteral("forReason"), reason);
    q.setValue(QStringLiteral("bookedondate"), now.date());
    q.setValue(QStringLiteral("bookedontime"), now.time());
}

namespace {

// The may-change rule of a found booking: the acting user outranks its
// booker, is its booker, or manages the item.
bool mayChange(const QString& bookedBy, const QString& item)
{
    return OutranksUser(bookedBy) || Text::upper(bookedBy) == Text::upper(CurrentUser)
           || IsItemManager(CurrentUser, item);
}

void writeBookingFields(Dataset& q, const QString& item, const QDateTime& date, const QString& period,
                        const QString& bookedFor, const QString& reason, const QString& authCode,
                        bool isPermanent)
{
    WriteBookingSlot(q, item, date, period, bookedFor, reason);
    q.setValue(QStringLiteral("authcode"), authCode);
    q.setValue(QStringLiteral("isPermanent"), isPermanent);
}

void fail(BookingResultCode code, const QString& message)
{
    LastBookingResult.code = code;
    LastBookingResult.message = message;
}

void noteExisting(Dataset& q)
{
    LastBookingResult.existingBookedBy = q.asString(QStringLiteral("bookedby"));
    LastBookingResult.existingReason = q.asString(QStringLiteral("forReason"));
}

} // namespace

QString NewAuthCode()
{
    QString code;
    for (int i = 0; i < 6; ++i)
        code += QChar(static_cast<char16_t>(Random::next(255)));
    return code;
}

bool CombineAuthCodes(const QString& a, const QString& b, QString& result)
{
    if (a.size() < 6 || b.size() < 6)
        return false;
    QString r;
    for (int i = 0; i < 6; ++i)
        r += QChar(static_cast<char16_t>(a.at(i).unicode() ^ b.at(i).unicode()));
    result = r;
    return true;
}

int FindBooking(const QString& item, const QString& period, const QDateTime& date)
{
    Dataset& q = DM().BookQuery;
    q.close();
    q.setSql({QStringLiteral("select *"), QStringLiteral("from bookings"),
              QStringLiteral("where period = :period and date = :date and itembooked = :item")});
    q.setParam(QStringLiteral("period"), period);
    q.setParam(QStringLiteral("date"), date.date());
    q.setParam(QStringLiteral("item"), item);
    q.open();
    q.first();
    if (q.isEmpty())
        return -1;
    return Text::upper(q.asString(QStringLiteral("itembooked"))) == Text::upper(item) ? 1 : -1;
}

void DeleteAllBookingsOfItem(const QString& item)
{
    DataModule& dm = DM();
    dm.BookQuery.close();
    dm.ADOConnection.exec(QStringLiteral("DELETE FROM bookings WHERE ItemBooked = ?"), {item});
}

bool GetBookingInfo(const QString& item, const QString& period, const QDateTime& date,
                    QString& bookedBy, QString& reason, QDateTime& bookedOnDate,
                    QDateTime& bookedOnTime, int& index, bool& isPermanent)
{
    if (FindBooking(item, period, date) == -1)
        return false;
    Dataset& q = DM().BookQuery;
    bookedBy = q.asString(QStringLiteral("bookedby"));
    reason = q.asString(QStringLiteral("forreason"));
    bookedOnDate = q.asDateTime(QStringLiteral("bookedondate"));
    bookedOnTime = q.asDateTime(QStringLiteral("bookedontime"));
    index = q.asInteger(QStringLiteral("index"));
    isPermanent = q.asBoolean(QStringLiteral("isPermanent"));
    return true;
}

bool DeleteBooking(const QString& item, const QString& period, const QDateTime& date)
{
    DataModule& dm = DM();
    try {
        WriteTransaction tx(dm.ADOConnection);
        // A refusal writes nothing: it ends the transaction without failing
        // any transaction around it.
        if (FindBooking(item, period, date) == -1 || !mayChange(dm.BookQuery.asString(QStringLiteral("bookedby")), item)) {
            tx.commit();
            return false;
        }
        dm.BookQuery.deleteCurrent();
        tx.commit();
        return true;
    } catch (const DbError&) {
        return false;
    }
}

bool AlterBooking(const QString& item, const QString& period, const QString& newBookedBy,
                  const QString& reason, const QDateTime& date)
{
    DataModule& dm = DM();
    Dataset& q = dm.BookQuery;
    try {
        WriteTransaction tx(dm.ADOConnection);
        if (FindBooking(item, period, date) == -1 || !mayChange(q.asString(QStringLiteral("bookedby")), item)) {
            tx.commit();
            return false;
        }
        q.edit();
        q.setValue(QStringLiteral("Bookedby"), newBookedBy);
        q.setValue(QStringLiteral("forreason"), reason);
        q.post();
        tx.commit();
        return true;
    } catch (const DbError&) {
        q.cancel();
        return false;
    }
}

QList<WeekBooking> ReadItemWeek(const QString& item, const QDate& monday)
{
    Database& db = DM().ADOConnection;
    ReadTransaction rt(db);
    const PeriodOrders orders = PeriodOrders::read();
    QSqlQuery& q = db.cachedQuery(QStringLiteral(
        "SELECT Date, Period, BookedBy, forReason, \"Index\" FROM bookings WHERE ItemBooked = ? AND Date >= ? AND Date <= ?"));
    q.bindValue(0, item);
    q.bindValue(1, DateValue::dateText(monday));
    q.bindValue(2, DateValue::dateText(monday.addDays(6)));
    const bool ok = q.exec();
    Database::check(q, ok);
    QList<WeekBooking> week;
    while (q.next()) {
        WeekBooking b;
        b.day = static_cast<int>(monday.daysTo(DateValue::parseDate(q.value(0).toString())));
        b.period = q.value(1).toString();
        b.order = orders.of(b.period);
        b.bookedBy = q.value(2).toString();
        b.reason = q.value(3).toString();
        b.index = q.value(4).toLongLong();
        week.append(std::move(b));
    }
    q.finish();
    return week;
}

bool BookingDateAllowed(const QString& user, const QString& period, const QDateTime& date)
{
    if (UserIsAdministrator(user) || UserCanOverrideBookingLimit(user))
        return true;
    const QDate today = Clock::today();
    const QDate day = date.date();
    if (today > day)
        return false;
    if (day == today && PeriodOrderOf(period) < CurrentPeriodOrder())
        return false;
    Dataset& config = DM().ConfigTable;
    if (!config.asBoolean(QStringLiteral("enableBookingLimit")))
        return true;
    return today.daysTo(day) <= config.asInteger(QStringLiteral("BookingLimitDays"));
}

BookingResultCode PlaceBooking(const QString& item, const QString& period, const QString& bookedFor,
                               const QDateTime& date, const QString& reason, bool force,
                               const QString& actingUser, bool isPermanent)
{
    namespace M = BookingMessages;
    DataModule& dm = DM();
    TLastBookingResult& r = LastBookingResult;
    r.code = 0;
    r.date = date;
    r.period = period;
    r.item = item;
    r.actingUser = actingUser;
    r.bookedFor = bookedFor;
    r.reason = reason;

    if (FindItem(item) == -1) {
        fail(-1, M::UnknownItem);
        return r.code;
    }
    const int minSecurity = dm.itemstable.asInteger(QStringLiteral("minsecurity"));
    const QString itemAuthCode = dm.itemstable.asString(QStringLiteral("authcode"));
    if (FindUser(bookedFor) == -1) {
        fail(-1, M::UnknownUser);
        return r.code;
    }
    if (FindPeriod(period) == -1) {
        fail(-1, M::UnknownPeriod);
        return r.code;
    }
    if (reason.isEmpty()) {
        fail(-1, M::NoReason);
        return r.code;
    }
    if (UserAccessLevel(CurrentUser) < minSecurity) {
        fail(-1, M::LowAccess);
        return r.code;
    }
    if (!UserCanMakeBookings(CurrentUser)) {
        fail(-1, M::CannotBook);
        return r.code;
    }
    if (!isPermanent && !BookingDateAllowed(CurrentUser, period, date)) {
        fail(-1, M::DateRule);
        return r.code;
    }
    // The checks above leave the Users table on the logged-on user's row.
    QString authCode;
    const bool authFailed =
        !CombineAuthCodes(dm.UserTable.asString(QStringLiteral("AuthCode")), itemAuthCode, authCode);
    if (authFailed)
        fail(-1, M::AuthFailure);

    // The slot look-up and the write hold the write lock together, so a
    // second client waits and then finds the slot taken.
    Dataset& q = dm.BookQuery;
    try {
        WriteTransaction tx(dm.ADOConnection);
        const bool taken = FindBooking(item, period, date) == 1;
        if (PlaceBookingAfterFindHook)
            PlaceBookingAfterFindHook();
        if (taken) {
            if (!force) {
                fail(-2, M::SlotTaken);
                noteExisting(q);
                tx.commit();
                return r.code;
            }
            if (!UserCanModifyBookings(actingUser)) {
                fail(-3, M::CannotReplace);
                noteExisting(q);
                tx.commit();
                return r.code;
            }
            const QString existing = q.asString(QStringLiteral("bookedby"));
            if (!(OutranksUser(existing) || Text::upper(existing) == Text::upper(CurrentUser)
                  || IsItemManager(actingUser, item))) {
                fail(-3, M::CannotReplace);
                noteExisting(q);
                tx.commit();
                return r.code;
            }
            if (authFailed) {
                tx.commit();
                return r.code;
            }
            const QString oldBookedBy = existing;
            const QString oldReason = q.asString(QStringLiteral("forReason"));
            q.edit();
            writeBookingFields(q, item, date, period, bookedFor, reason, authCode, isPermanent);
            q.post();
            tx.commit();
            fail(1, M::Overwrote);
            r.existingBookedBy = oldBookedBy;
            r.existingReason = oldReason;
            return r.code;
        }
        if (authFailed) {
            tx.commit();
            return r.code;
        }
        q.insert();
        writeBookingFields(q, item, date, period, bookedFor, reason, authCode, isPermanent);
        q.post();
        tx.commit();
        return r.code;
    } catch (const DbError&) {
        q.cancel();
        dm.BookingsTable.cancel();
        fail(-1, M::DatabaseProblem);
        return r.code;
    }
}
