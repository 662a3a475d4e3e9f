#pragma once
#include <QString>
#include <QTime>

// The default rows a new database lacks. Each step looks for its rows and
// makes them inside one write transaction, so two clients starting at once
// make each row once; a step that finds its rows made meanwhile by another
// client leaves them alone.
enum class SeedResult {
    Present,   // the rows were there: nothing done
    Created,   // made now
    Failed,    // could not be made; nothing of this step was stored
};

// "ADMIN", level 250 with the administrator's rights and a forced password
// change, initial password "wextrap".
SeedResult SeedAdministrator();
// The hidden template user whose values new accounts copy.
SeedResult SeedProfileUser();
// The twelve default periods, when the table has no row at all.
SeedResult SeedPeriods();
// The "Miscellaneous" category. Database errors count as Failed; the
// start-up goes on either way.
SeedResult SeedMiscellaneous();

// The default periods: name, order, start time.
struct DefaultPeriod {
    const char* name;
    int order;
    const char* startTime;   // "h:mm am" / "h:mm pm"
};
extern const DefaultPeriod DefaultPeriods[12];

// "12:00 am" -> 00:00, "12:30 pm" -> 12:30, "1:10 pm" -> 13:10; an invalid
// time for anything else.
QTime ParseClockTime(const QString& text);

inline const QString AdminName = QStringLiteral("ADMIN");
inline const QString AdminFullName = QStringLiteral("Administrator Account");
inline const QString AdminInitialPassword = QStringLiteral("wextrap");
inline const QString ProfileFullName = QStringLiteral("Profile User");
inline const QString ProfileInitialPassword = QStringLiteral(".quorlen");
inline const QString MiscellaneousName = QStringLiteral("Miscellaneous");
inline const QString MiscellaneousDescription = QStringLiteral("Items not in any other catergories");
