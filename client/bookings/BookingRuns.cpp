#include "BookingRuns.h"

#include "Alerts.h"
#include "Bookings.h"
#include "CoolGrid.h"
#include "DataModule.h"
#include "Lookups.h"
#include "ReportLog.h"
#include "Session.h"
#include "StatusWindows.h"
#include "Utilities.h"
#include "mainfrm.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <climits>
#include <memory>

namespace M = BookingRunMessages;

namespace {

QDateTime dayOf(const QDate& d) { return QDateTime(d, QTime(0, 0)); }

// The bookings of whole days share one write transaction, committed about
// every quarter second and at the end, so that other clients never wait
// long and a run does not pay for a commit per booking.
class DayBatch {
public:
    explicit DayBatch(Database& db) : m_db(db) {}
    DayBatch(const DayBatch&) = delete;
    DayBatch& operator=(const DayBatch&) = delete;

    void beginDay(const QDate& day)
    {
        if (m_tx)
            return;
        m_tx = std::make_unique<WriteTransaction>(m_db);
        m_firstOpenDay = day;
        m_sinceCommit.start();
    }
    void endDay()
    {
        if (m_tx && m_sinceCommit.elapsed() >= CommitEveryMs)
            commit();
    }
    void commit()
    {
        if (!m_tx)
            return;
        std::unique_ptr<WriteTransaction> tx = std::move(m_tx);
        m_lost = true;
        tx->commit();
        m_lost = false;
    }
    // After an error: stores what the open transaction still holds. Answers
    // the first day that could not be stored (invalid when nothing was lost).
    QDate salvage()
    {
        if (m_tx) {
            try {
                commit();
            } catch (...) {
            }
        }
        return m_lost ? m_firstOpenDay : QDate();
    }

private:
    static constexpr int CommitEveryMs = 250;
    Database& m_db;
    std::unique_ptr<WriteTransaction> m_tx;
    QDate m_firstOpenDay;
    bool m_lost = false;
    QElapsedTimer m_sinceCommit;
};

// A run that a database error ended: what could be stored is stored, and
// the report's last line names the first day that was lost.
void salvageAfterError(DayBatch& batch)
{
    const QDate lost = batch.salvage();
    if (!lost.isValid())
        return;
    try {
        ReportLine(QStringLiteral("*** Nothing from ") + FormatShortDate(lost)
                   + QStringLiteral(" on was stored: the database ended the run ***"));
    } catch (...) {
        // The error that ended the run is the one to show.
    }
}

// Walks the days of a run with their bookings batched; after an error what
// can be stored is stored, the day lost named, and the error goes on.
template <class Walk>
void walkInDayBatches(Walk walk)
{
    DayBatch batch(DM().ADOConnection);
    try {
        walk(batch);
        batch.commit();
    } catch (...) {
        salvageAfterError(batch);
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
        walkInDayBatches([&](DayBatch& batch) {
            for (QDate d = from; d <= to && !ProgramEnding; d = d.addDays(1)) {
                batch.beginDay(d);
                for (const QString& period : periodsOfDay(periods, d)) {
                    const BookingResultCode code =
                        PlaceBooking(item, period, bookedFor, dayOf(d), reason, true, user, true);
                    ReportBookingResult(code);
                    QCoreApplication::processEvents();
                    if (ProgramEnding)
                        break;
                }
                StatusStep();
                QCoreApplication::processEvents();
                batch.endDay();
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
        walkInDayBatches([&](DayBatch& batch) {
            const QDate lastSource = to.addDays(-7);
            for (QDate d = from; d <= lastSource && !ProgramEnding; d = d.addDays(1)) {
                batch.beginDay(d);
                const QDate target = d.addDays(7);
                const int periods = HighestPeriodOrder();
                for (int i = 1; i <= periods && !ProgramEnding; ++i) {
                    const QString p = PeriodNameAt(i);
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
                batch.endDay();
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
        // One item's look-ups share a read lock; other clients can write
        // between items.
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

int MoveSelection(Tmainfrm& w, const QString& oldItem, const QString& newItem, int left, int top, int right,
                  int bottom)
{
    Database& db = DM().ADOConnection;
    Dataset& found = DM().BookQuery;
    const QString user = CurrentUser;
    int notMoved = 0;
    for (int c = left; c <= right && !ProgramEnding; ++c) {
        for (int r = top; r <= bottom && !ProgramEnding; ++r) {
            // The cell's slot is read, its placement and deletion made, in
            // one transaction: a period save by another client comes before
            // or after the whole cell.
            WriteTransaction tx(db);
            DM().PeriodsTable.refresh();
            const SheetSlot slot = w.CellToSlot(c, r);
            if (FindBooking(oldItem, slot.period, slot.date) != 1) {
                // The sheet showed a booking here that is not where it
                // was (its period was renamed or moved meanwhile, say).
                if (!w.Sheet->cells(c, r).isEmpty())
                    ++notMoved;
                continue;
            }
            const QString reason = found.asString(QStringLiteral("forreason"));
            const bool permanent = found.asBoolean(QStringLiteral("isPermanent"));
            const QString by = found.asString(QStringLiteral("bookedby"));
            const BookingResultCode code =
                PlaceBooking(newItem, slot.period, by, slot.date, reason, true, user, permanent);
            // Code 1 means the new item was booked meanwhile: that booking
            // is not overwritten by a move.
            if (code == 0 && DeleteBooking(oldItem, slot.period, slot.date))
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
        // The program ending stops the run; what it deleted stays deleted.
        for (; deleted < rows && !ProgramEnding; ++deleted) {
            q.deleteCurrent();
            StatusStep();
        }
        tx.commit();
        q.close();
    }
    if (ProgramEnding)
        return deleted;
    ShowAlert(M::Complete);
    w.RefreshSheet();
    return deleted;
}
