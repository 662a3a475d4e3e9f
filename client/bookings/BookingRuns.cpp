#include "BookingRuns.h"

#include "Alerts.h"
#include "Bookings.h"
#include "CoolGrid.h"
#include "DataModule.h"
#include "DateValue.h"
#include "Lookups.h"
#include "ReportLog.h"
#include "Session.h"
#include "StatusWindows.h"
#include "TavrellApplication.h"
#include "Utilities.h"
#include "mainfrm.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <climits>
#include <memory>
#include <optional>

namespace M = BookingRunMessages;

int RunBatchMs = 100;

namespace {

QDateTime dayOf(const QDate& d) { return QDateTime(d, QTime(0, 0)); }

// Where a run stands: the day, and the period, whose writes come next.
struct RunSlot {
    QDate date;
    QString period;
};

// The writes of a long run in a series of transactions (a commit per
// booking would cost the run dearly), each committed once it has run about
// a tenth of a second (so that the progress window's timer, which counts
// tenths, keeps its count while no window event runs) and at the end.
// While one is open no window event runs. Between two the run lets them
// run, then leaves the file free for long enough that another client
// waiting for it tries once: that client gets its turn before the run
// goes on.
class RunBatches {
public:
    explicit RunBatches(Database& db) : m_db(db) {}
    RunBatches(const RunBatches&) = delete;
    RunBatches& operator=(const RunBatches&) = delete;

    // The writes that follow are for the slot (a whole day without a
    // period); opens a transaction unless one is open.
    void at(const QDate& day, const QString& period = QString())
    {
        m_at = {day, period};
        if (m_tx)
            return;
        m_firstOpen = m_at;
        m_held.emplace();
        m_tx = std::make_unique<WriteTransaction>(m_db);
        m_sinceBegin.start();
    }
    // After a step of the run: commits when the transaction has run its time.
    void step()
    {
        if (m_tx && m_sinceBegin.elapsed() >= RunBatchMs)
            commit();
    }
    void commit()
    {
        if (!m_tx)
            return;
        store();
        QCoreApplication::processEvents();
        Database::letWaitingClientsIn();
    }
    // After an error: stores what the open transaction still holds, and
    // says in the report from which slot on nothing was stored, and why.
    void reportLoss(const QString& why)
    {
        RunSlot from = m_lost ? m_firstOpen : m_at;
        if (m_tx) {
            try {
                store();
            } catch (...) {
                from = m_firstOpen;
            }
        }
        m_held.reset();
        try {
            ReportLine(QStringLiteral("*** Nothing from ") + FormatShortDate(from.date)
                       + (from.period.isEmpty() ? QString() : QStringLiteral(", period ") + HtmlEscape(from.period))
                       + QStringLiteral(" on was stored: ") + HtmlEscape(why) + QStringLiteral(" ***"));
        } catch (...) {
            // The error that ended the run is the one to show.
        }
    }

private:
    void store()
    {
        std::unique_ptr<WriteTransaction> tx = std::move(m_tx);
        m_lost = true;
        tx->commit();
        m_lost = false;
        m_held.reset();
    }

    Database& m_db;
    std::optional<WindowEventsHeld> m_held;
    std::unique_ptr<WriteTransaction> m_tx;
    RunSlot m_at;
    RunSlot m_firstOpen;
    bool m_lost = false;
    QElapsedTimer m_sinceBegin;
};

// Walks a run in batches; after an error what can be stored is stored, the
// slots lost are named with the reason, and the error goes on.
template <class Walk>
void walkInBatches(Walk walk)
{
    RunBatches batches(DM().ADOConnection);
    try {
        walk(batches);
        batches.commit();
    } catch (const std::exception& e) {
        batches.reportLoss(ErrorText(e));
        throw;
    } catch (...) {
        batches.reportLoss(QStringLiteral("An unknown error occurred"));
        throw;
    }
}

void reportHeading(const QString& item, const QString& bookedFor, const QString& reason)
{
    ReportLine(QStringLiteral("*** Item: ") + HtmlEscape(item) + QStringLiteral(" ***"));
    ReportLine(QStringLiteral("*** To be booked by: ") + HtmlEscape(bookedFor) + QStringLiteral(" ***"));
    ReportLine(QStringLiteral("*** For Reason: ") + HtmlEscape(reason) + QStringLiteral(" ***"));
    ReportLine(QString());
}

// The periods ticked for the day's weekday (none at the weekend).
const QStringList& periodsOfDay(const WeekdayPeriods& periods, const QDate& day)
{
    static const QStringList none;
    const int wd = day.dayOfWeek();
    return wd >= 1 && wd <= 5 ? periods[wd - 1] : none;
}

} // namespace

// ------------------------------------------------------------------ permanent

void PermanentBookingRun(Tmainfrm& w, const QString& item, const QString& bookedFor, const QString& reason,
                         const QDate& from, const QDate& to, const WeekdayPeriods& periods)
{
    BookingFailureSeen = false;
    const QString user = CurrentUser;
    {
        MainRun run(w, QStringLiteral("Creating Permanent Booking"), int(from.daysTo(to)));
        run.beginReport(QStringLiteral("Permanent Booking Report"), HtmlEscape(user));
        reportHeading(item, bookedFor, reason);
        walkInBatches([&](RunBatches& batches) {
            for (QDate d = from; d <= to && !ProgramEnding; d = d.addDays(1)) {
                batches.at(d);
                for (const QString& period : periodsOfDay(periods, d)) {
                    batches.at(d, period);
                    const BookingResultCode code =
                        PlaceBooking(item, period, bookedFor, dayOf(d), reason, true, user, true);
                    ReportBookingResult(code);
                    if (ProgramEnding)
                        break;
                }
                StatusStep();
                batches.step();
            }
        });
        if (ProgramEnding)
            return;
        run.endReport();
    }
    ShowAlertWithReport(BookingFailureSeen ? M::SomeFailed : M::PermanentComplete, true);
}

// ------------------------------------------------------------------ replication

bool ReplicationRun(Tmainfrm& w, const QString& item, const QDate& from, const QDate& to, bool repEmpty)
{
    if (from.daysTo(to) < 7) {
        ShowAlert(M::SevenDays);
        return false;
    }
    const QString user = CurrentUser;
    int failures = 0;
    {
        MainRun run(w, QStringLiteral("Replicating Bookings"), int(from.daysTo(to)));
        run.beginReport(QStringLiteral("Replicate Bookings"), HtmlEscape(user));
        ReportLine(QStringLiteral("*** From :") + FormatShortDate(from) + QStringLiteral(" ***"));
        ReportLine(QStringLiteral("*** To   :") + FormatShortDate(to) + QStringLiteral(" ***"));
        ReportLine(QString());
        Dataset& found = DM().BookQuery;
        walkInBatches([&](RunBatches& batches) {
            const QDate lastSource = to.addDays(-7);
            for (QDate d = from; d <= lastSource && !ProgramEnding; d = d.addDays(1)) {
                const QDate target = d.addDays(7);
                batches.at(target);
                const int periods = HighestPeriodOrder();
                for (int i = 1; i <= periods && !ProgramEnding; ++i) {
                    const QString p = PeriodNameAt(i);
                    batches.at(target, p);
                    if (FindBooking(item, p, dayOf(d)) == 1) {
                        const QString by = found.asString(QStringLiteral("bookedby"));
                        const QString reason = found.asString(QStringLiteral("forreason"));
                        const bool permanent = found.asBoolean(QStringLiteral("isPermanent"));
                        const BookingResultCode code =
                            PlaceBooking(item, p, by, dayOf(target), reason, true, user, permanent);
                        ReportBookingResult(code);
                        if (code < 0)
                            ++failures;
                    } else if (repEmpty && FindBooking(item, p, dayOf(target)) == 1) {
                        const QString by = found.asString(QStringLiteral("bookedby"));
                        const QString reason = found.asString(QStringLiteral("forreason"));
                        const bool deleted = DeleteBooking(item, p, dayOf(target));
                        if (!deleted)
                            ++failures;
                        ReportLine(deleted ? M::ReplacedEmpty : M::NotReplacedEmpty);
                        ReportLine(QStringLiteral("Date: ") + FormatShortDate(target) + QStringLiteral(" Period: ")
                                   + HtmlEscape(p) + QStringLiteral(" User: ") + HtmlEscape(by));
                        ReportLine(QStringLiteral("Reason: ") + HtmlEscape(reason));
                    }
                }
                StatusStep();
                batches.step();
            }
        });
        if (ProgramEnding)
            return true;
        run.endReport();
    }
    if (failures > 0)
        ShowAlertWithReport(M::SomeFailed, true);
    else
        ShowAlertWithReport(M::ReplicationComplete, true);
    return true;
}

// ------------------------------------------------------------------ vacancies

QString FreeSlot::text() const
{
    return DayNameOf(date) + QLatin1Char(',') + FormatShortDate(date) + QLatin1Char(',') + period + QLatin1Char(',')
        + item;
}

QList<FreeSlot> VacancySearch(Tmainfrm& w, const QStringList& items, const QDate& from, const QDate& to,
                              const WeekdayPeriods& periods, int tickedCount)
{
    QList<FreeSlot> found;
    const qint64 estimate = from.daysTo(to) * items.size() * (tickedCount / 5);
    MainRun run(w, QStringLiteral("Searching"), int(std::min<qint64>(estimate, INT_MAX)));
    for (const QString& item : items) {
        {
            // One item's look-ups share a read lock, and no window event
            // runs while it is held; other clients can write between items.
            WindowEventsHeld held;
            ReadTransaction reads(DM().ADOConnection);
            for (QDate d = from; d <= to; d = d.addDays(1)) {
                for (const QString& p : periodsOfDay(periods, d)) {
                    if (ProgramEnding)
                        return found;
                    if (FindBooking(item, p, dayOf(d)) == -1)
                        found.append({item, p, d, false});
                    StatusStep();
                }
            }
        }
        QCoreApplication::processEvents();
    }
    return found;
}

void PlaceFreeSlots(Tmainfrm& w, const QList<FreeSlot>& found, const QString& bookedFor, const QString& reason)
{
    BookingFailureSeen = false;
    const QString user = CurrentUser;
    bool busy = false;
    {
        MainRun run(w, QStringLiteral("Placing Bookings"), int(found.size()));
        run.beginReport(QStringLiteral("Search Booking Placement"), HtmlEscape(user));
        for (const FreeSlot& s : found) {
            // A file held by another program stops the placement at the
            // line that found it so (each line would wait for it again).
            if (ProgramEnding || run.lockedOut())
                break;
            if (s.ticked) {
                const BookingResultCode code =
                    PlaceBooking(s.item, s.period, bookedFor, dayOf(s.date), reason, false, user, false);
                ReportBookingResult(code);
            }
            StatusStep();
        }
        if (ProgramEnding)
            return;
        run.endReport();
        busy = run.lockedOut();
    }
    if (busy)
        ShowAlertWithReport(MainMessages::BookingsBusy, true);
    else if (BookingFailureSeen)
        ShowAlertWithReport(M::PlacementFailed, true);
    else
        ShowAlert(M::Placed);
}

// ------------------------------------------------------------------ move

namespace {

// The period the booking of that Index now has, when it is still the
// item's booking of that day; empty otherwise.
QString ShownBookingPeriod(Database& db, qint64 index, const QString& item, const QDateTime& date)
{
    return db.scalar(QStringLiteral("SELECT Period FROM bookings WHERE \"Index\" = ? AND ItemBooked = ? AND Date = ?"),
                     {index, item, DateValue::dateText(date.date())})
        .toString();
}

} // namespace

int MoveSelection(Tmainfrm& w, const QString& oldItem, const QString& newItem, int left, int top, int right,
                  int bottom)
{
    Database& db = DM().ADOConnection;
    Dataset& found = DM().BookQuery;
    const QString user = CurrentUser;
    int notMoved = 0;
    for (int c = left; c <= right && !ProgramEnding; ++c) {
        for (int r = top; r <= bottom && !ProgramEnding; ++r) {
            // A cell the sheet showed empty moves nothing: whatever its
            // period's name belongs to now may be a booking shown in
            // another row.
            const qint64 shown = w.ShownBooking(c, r);
            if (!shown)
                continue;
            // The cell's booking is read, its placement and deletion made,
            // in one transaction: a period save by another client comes
            // before or after the whole cell. The booking is the one the
            // sheet showed, under its period's present name, whatever row
            // that period has now.
            WriteTransaction tx(db);
            const QDateTime date = w.CellToSlot(c, r).date;
            const QString period = ShownBookingPeriod(db, shown, oldItem, date);
            if (period.isEmpty() || FindBooking(oldItem, period, date) != 1) {
                // A booking the sheet showed that is gone, or no longer on
                // this item and day, is not moved.
                ++notMoved;
                continue;
            }
            const QString reason = found.asString(QStringLiteral("forreason"));
            const bool permanent = found.asBoolean(QStringLiteral("isPermanent"));
            const QString by = found.asString(QStringLiteral("bookedby"));
            const BookingResultCode code =
                PlaceBooking(newItem, period, by, date, reason, true, user, permanent);
            // Code 1 means the new item was booked meanwhile: that booking
            // is not overwritten by a move.
            if (code == 0 && DeleteBooking(oldItem, period, date))
                tx.commit();
            else
                ++notMoved;
        }
    }
    if (ProgramEnding)
        return notMoved;
    w.RefreshSheet();
    if (notMoved > 0)
        ShowAlert(M::CannotMove);
    return notMoved;
}

// ------------------------------------------------------------------ mass cancel

int MassCancelRun(Tmainfrm& w, Dataset& q, const MassCancelCriteria& c)
{
    QStringList sql{QStringLiteral("select *"), QStringLiteral("from bookings"),
                    QStringLiteral("where itembooked = :item"),
                    QStringLiteral("and date <= :todate and date >= :fromdate")};
    if (c.thisUser)
        sql << QStringLiteral("and bookedby = :bookedby");
    // The reason text is looked for literally, anywhere, ignoring case.
    if (c.likeReason)
        sql << QStringLiteral("and instr(upper(forreason), upper(:reason)) > 0");
    if (c.type == MassCancelCriteria::NormalOnly)
        sql << QStringLiteral("and isPermanent = 0");
    else if (c.type == MassCancelCriteria::PermanentOnly)
        sql << QStringLiteral("and isPermanent = 1");
    sql << QStringLiteral("and (");
    if (c.periods.isEmpty())
        sql << QStringLiteral("0 = 1");
    for (int i = 0; i < c.periods.size(); ++i)
        sql << (i == 0 ? QStringLiteral("period = :p%1") : QStringLiteral("or period = :p%1")).arg(i + 1);
    sql << QStringLiteral(")");

    int deleted = 0;
    {
        // One transaction: no window event runs while it holds the file.
        WindowEventsHeld held;
        WriteTransaction tx(DM().ADOConnection);
        q.close();
        q.setBaseTable(QStringLiteral("bookings"));
        q.setSql(sql);
        q.setParam(QStringLiteral("item"), c.item);
        q.setParam(QStringLiteral("todate"), c.to);
        q.setParam(QStringLiteral("fromdate"), c.from);
        if (c.thisUser)
            q.setParam(QStringLiteral("bookedby"), c.user);
        if (c.likeReason)
            q.setParam(QStringLiteral("reason"), c.reason);
        for (int i = 0; i < c.periods.size(); ++i)
            q.setParam(QStringLiteral("p%1").arg(i + 1), c.periods.at(i));
        q.open();
        const int rows = q.recordCount();
        MainRun run(w, QStringLiteral("Cancelling Bookings"), rows);
        q.last();
        for (; deleted < rows; ++deleted) {
            q.deleteCurrent();
            StatusStep();
        }
        tx.commit();
        q.close();
    }
    // The program ending meanwhile is seen now: the cancel is whole, and
    // nothing more is said.
    QCoreApplication::processEvents();
    if (ProgramEnding)
        return deleted;
    ShowAlert(M::Complete);
    w.RefreshSheet();
    return deleted;
}
