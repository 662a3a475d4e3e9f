#pragma once
#include "Session.h"

#include <QDateTime>
#include <QString>
#include <functional>

class Dataset;

// The booking engine: every booking any dialog makes goes through
// PlaceBooking; around it stand the routines that find, read, change and
// delete one booking, the date rule and the authcodes.

namespace BookingMessages {
inline const QString UnknownItem = QStringLiteral(
    "Item specified is unknown to the booking system. Check you have supplied correct item name");
inline const QString UnknownUser = QStringLiteral("Unknown User - Make sure you typed the username");
inline const QString UnknownPeriod = QStringLiteral(
    "The period specified is unknown. Make sure you have typed the period correctly");
inline const QString NoReason = QStringLiteral(
    "No description provided for Booking. Cannot book items without a description");
inline const QString LowAccess = QStringLiteral("Booking Failed. Not enough access to book the selected item");
inline const QString CannotBook = QStringLiteral("User Cannot Make Bookings");
inline const QString DateRule = QStringLiteral(
    "Booking falls on a date in the past or outside of the maximum days in advance limit");
inline const QString AuthFailure = QStringLiteral(
    "Combined Authcode Failure: User or Item information is corrupt.");
inline const QString SlotTaken = QStringLiteral("Booking Failed. FORCE was FALSE and Existing Booking Found");
inline const QString CannotReplace = QStringLiteral(
    "Booking Failed. Not Enough Access to replace existing booking");
inline const QString Overwrote = QStringLiteral("Booking overwrote an existing booking");
inline const QString DatabaseProblem = QStringLiteral("Unknown Error Occured. Possible database problem");
} // namespace BookingMessages

// Authcodes: six characters with codes 0..254.
QString NewAuthCode();
bool CombineAuthCodes(const QString& a, const QString& b, QString& result);

// Finds the booking of a slot: 1 (BookQuery stands on it) or -1.
// Fills the pending row of a booking dataset with what a booking states:
// the slot, who it is for and why, and when it was made (now). The authcode
// and the permanent flag are the caller's.
void WriteBookingSlot(Dataset& q, const QString& item, const QDateTime& date, const QString& period,
                      const QString& bookedFor, const QString& reason);

int FindBooking(const QString& item, const QString& period, const QDateTime& date);
// Deletes every booking of the item.
void DeleteAllBookingsOfItem(const QString& item);
bool GetBookingInfo(const QString& item, const QString& period, const QDateTime& date,
                    QString& bookedBy, QString& reason, QDateTime& bookedOnDate,
                    QDateTime& bookedOnTime, int& index, bool& isPermanent);
bool DeleteBooking(const QString& item, const QString& period, const QDateTime& date);
bool AlterBooking(const QString& item, const QString& period, const QString& newBookedBy,
                  const QString& reason, const QDateTime& date);
bool BookingDateAllowed(const QString& user, const QString& period, const QDateTime& date);

BookingResultCode PlaceBooking(const QString& item, const QString& period, const QString& bookedFor,
                               const QDateTime& date, const QString& reason, bool force,
                               const QString& actingUser, bool isPermanent);

// One booking of an item's week, as the weekly sheet shows it.
struct WeekBooking {
    int day = 0;       // 0 for the Monday .. 6
    int order = -1;    // the order of its period; -1 when the period is unknown
    QString period;
    QString bookedBy;
    QString reason;
    qint64 index = 0;   // the row's Index
};
// The item's bookings of the seven days from monday, read in one prepared
// query (no dataset moves).
QList<WeekBooking> ReadItemWeek(const QString& item, const QDate& monday);

// Test seam: runs inside PlaceBooking's write transaction, after the slot
// look-up and before the write.
extern std::function<void()> PlaceBookingAfterFindHook;
