#pragma once
#include <QDateTime>
#include <QString>
#include <functional>

class Dataset;

// The importer's own data routines: the log-in flags of the control row,
// its password check, the category insert and the booking writer that
// stands in for the client's booking engine. The importer acts as the user
// in CurrentUser (Session.h), which the wizard sets to "ADMIN" once that
// account's password has been given.

// denylogin := yes with the reason; user and forceshutdown stay.
void DenyLogin(const QString& reason);
// denylogin := no; the reason stays.
void AllowLogin();
// forceshutdown := no; reason and user stay.
void ClearForceShutdown();

// The password matches the user's stored one without regard to letter
// case; no for an unknown user.
bool ImportCheckPassword(const QString& name, const QString& password);

// A new category with its description; no (and nothing left pending) when
// the database refuses it.
bool AddCategory(const QString& name, const QString& description);

// Books the item for the user as the 4.x file says: item, user and period
// must exist and a reason be given (checked in that order); no rights, date
// rule or authcode apply. A taken slot is replaced only with overwrite, and
// only when the acting user outranks its booker or is its booker. The row
// gets no authcode and is not permanent. No for every refusal of these
// rules. A database error, inserting or replacing, travels on with the
// engine's reason; an insert it stopped leaves nothing pending.
bool ImportPlaceBooking(const QString& item, const QString& period, const QString& bookedFor,
                        bool overwrite, const QString& reason, const QDateTime& date);

