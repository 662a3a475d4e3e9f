#include "ImportData.h"
#include "Accounts.h"
#include "Bookings.h"
#include "DataModule.h"
#include "DbError.h"
#include "Lookups.h"
#include "Session.h"
#include "Text.h"

namespace {

// Changes the control row as it is in the file now; nothing is caught.
void changeControlRow(const std::function<void(Dataset&)>& change)
{
    Dataset& t = DM().SystemTable;
    t.requery();
    t.first();
    EditAndPost(t, [&] { change(t); });
}

} // namespace

void DenyLogin(const QString& reason)
{
    changeControlRow([&](Dataset& t) {
        t.setValue(QStringLiteral("denylogin"), true);
        t.setValue(QStringLiteral("reason"), reason);
    });
}

void AllowLogin()
{
    changeControlRow([](Dataset& t) { t.setValue(QStringLiteral("denylogin"), false); });
}

void ClearForceShutdown()
{
    changeControlRow([](Dataset& t) { t.setValue(QStringLiteral("forceshutdown"), false); });
}

bool ImportCheckPassword(const QString& name, const QString& password)
{
    if (FindUser(name) == -1)
        return false;
    const QString stored = DM().UserTable.asString(QStringLiteral("password"));
    return Text::upper(Unscramble(stored)) == Text::upper(password);
}

bool AddCategory(const QString& name, const QString& description)
{
    Dataset& t = DM().catergoriestable;
    try {
        t.insert();
        t.setValue(QStringLiteral("catergoryname"), name);
        t.setValue(QStringLiteral("description"), description);
        t.post();
        return true;
    } catch (const DbError&) {
        t.cancel();
        return false;
    }
}

bool ImportPlaceBooking(const QString& item, const QString& period, const QString& bookedFor,
                        bool overwrite, const QString& reason, const QDateTime& date)
{
    if (FindItem(item) == -1 || FindUser(bookedFor) == -1 || FindPeriod(period) == -1 || reason.isEmpty())
        return false;
    DataModule& dm = DM();
    Dataset& q = dm.BookQuery;
    // Written straight through the slot's query, which holds at most the
    // one row, rather than through the whole bookings table.
    if (FindBooking(item, period, date) == -1) {
        try {
            q.insert();
            WriteBookingSlot(q, item, date, period, bookedFor, reason);
            q.post();
            return true;
        } catch (const DbError&) {
            // Nothing stays pending; the engine's reason goes on to the
            // caller.
            q.cancel();
            dm.BookingsTable.cancel();
            throw;
        }
    }
    if (!overwrite)
        return false;
    const QString existing = q.asString(QStringLiteral("bookedby"));
    if (!(OutranksUser(existing) || Text::upper(existing) == Text::upper(CurrentUser)))
        return false;
    // OutranksUser moved nothing in BookQuery: the slot's row is still current.
    EditAndPost(q, [&] { WriteBookingSlot(q, item, date, period, bookedFor, reason); });
    return true;
}
