#pragma once
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>

class Dataset;
class Tmainfrm;

namespace BookingRunMessages {
inline const QString NoItem = QStringLiteral("No item selected. Please choose an item from the list.");
inline const QString NoDescription = QStringLiteral(
    "No description provided for Booking. Cannot book items without a description");
inline const QString PastFrom = QStringLiteral("You cannot book items on dates occuring before today.");
inline const QString UntilBeforeFrom = QStringLiteral("You cannot have an until date that occurs before a from date.");
inline const QString NoPeriods = QStringLiteral("No periods selected");
inline const QString OverwriteQuestion = QStringLiteral(
    "This procedure will automatically overwrite any bookings that you are allowed to overwrite. Do you wish to "
    "conitnue?");
inline const QString SomeFailed = QStringLiteral(
    "Some or all of the bookings failed. View the report for more information");
inline const QString PermanentComplete = QStringLiteral("Permanent Booking Complete");
inline const QString SevenDays = QStringLiteral("You must have a minimum of 7 days difference between both dates.");
inline const QString ReplicationComplete = QStringLiteral("Replication Complete");
inline const QString ReplacedEmpty = QStringLiteral("The Following Booking was replaced with an empty Booking");
inline const QString NotReplacedEmpty = QStringLiteral(
    "The Following Booking could not be replaced with an empty Booking");
inline const QString PlacementFailed = QStringLiteral("Some or all your bookings failed");
inline const QString Placed = QStringLiteral("Bookings Placed");
inline const QString CannotAlter = QStringLiteral("Cannot alter all bookings selected");
inline const QString SelectOne = QStringLiteral("You must select one item to continue");
inline const QString CannotMove = QStringLiteral("Cannot move all bookings selected");
inline const QString Complete = QStringLiteral("Complete");
} // namespace BookingRunMessages

// The periods ticked for each weekday, Monday to Friday, in period order.
using WeekdayPeriods = std::array<QStringList, 5>;

// How long one write transaction of a permanent booking or replication
// runs before it is committed, in milliseconds (tests set 0: every day is
// committed).
extern int RunBatchMs;

// Books the item on the ticked periods of every Monday to Friday from `from`
// to `to` as permanent bookings, overwriting what the user may overwrite;
// reports every result and ends with the closing message. The bookings of
// whole days share one write transaction, committed after RunBatchMs and
// at the end; window events run, and other clients get the file, only
// between two. A database error ends the run (what was placed before it
// stays, the report names the first slot not stored and why) and goes on
// to the caller.
void PermanentBookingRun(Tmainfrm& w, const QString& item, const QString& bookedFor, const QString& reason,
                         const QDate& from, const QDate& to, const WeekdayPeriods& periods);

// Copies the item's bookings of every day from `from` to `to` - 7 onto the
// day a week later (with repEmpty, an empty source slot also empties its
// target), reports, and ends with the closing message. False, after its
// message, when the dates are less than seven days apart.
bool ReplicationRun(Tmainfrm& w, const QString& item, const QDate& from, const QDate& to, bool repEmpty);

// One free slot found by the vacancy search; it is placed from these
// fields, never from its text.
struct FreeSlot {
    QString item;
    QString period;
    QDate date;
    bool ticked = false;
    // "Monday,<short date>,<period>,<item>".
    QString text() const;
};

// The free slots of the items on the ticked periods of every Monday to
// Friday from `from` to `to`, in item, day and period order. tickedCount is
// the number of ticks of the period grid (the progress estimate).
QList<FreeSlot> VacancySearch(Tmainfrm& w, const QStringList& items, const QDate& from, const QDate& to,
                              const WeekdayPeriods& periods, int tickedCount);

// Places the ticked slots as ordinary bookings that replace nothing,
// reports, and ends with the closing message.
void PlaceFreeSlots(Tmainfrm& w, const QList<FreeSlot>& found, const QString& bookedFor, const QString& reason);

// Moves the bookings of the old item in the sheet's cells (left..right,
// top..bottom) onto the new item, each cell in one transaction: a cell
// moves the booking the sheet showed there (under its period's present
// name, whatever row that period has now). A cell whose placement is
// refused, overwrote a booking, or whose old booking cannot be deleted
// stays on the old item only, and a booking the sheet showed that is no
// longer the old item's on that day is not moved either. Re-reads the sheet; says "Cannot move all bookings selected"
// when a cell was not moved. Answers the cells not moved.
int MoveSelection(Tmainfrm& w, const QString& oldItem, const QString& newItem, int left, int top, int right,
                  int bottom);

// What the mass cancel matches.
struct MassCancelCriteria {
    enum Type { AnyType = 0, NormalOnly = 1, PermanentOnly = 2 };
    QString item;
    QDate from;
    QDate to;
    bool thisUser = false;
    QString user;
    bool likeReason = false;
    QString reason;
    int type = AnyType;
    QStringList periods;   // period names; an empty list matches nothing
};

// Finds the matching bookings through the query and deletes them, last to
// first, in one transaction, during which no window event runs; says
// "Complete" and re-reads the sheet (not when the program is ending).
// Answers the number deleted.
int MassCancelRun(Tmainfrm& w, Dataset& query, const MassCancelCriteria& c);
