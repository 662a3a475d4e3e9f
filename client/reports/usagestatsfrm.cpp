#include "usagestatsfrm.h"

#include "Alerts.h"
#include "Clock.h"
#include "DataModule.h"
#include "DateValue.h"
#include "ReportLog.h"
#include "Session.h"
#include "StatusWindows.h"
#include "Utilities.h"
#include "mainfrm.h"

#include <stdexcept>

#include <utility>

Tusagestatsfrm::Tusagestatsfrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("usagestatsfrm"));
    query.setObjectName(QStringLiteral("query"));
}

Tusagestatsfrm* UsageStatsForm() { return SharedForm<Tusagestatsfrm>(); }

namespace {

using Params = std::initializer_list<std::pair<const char*, QVariant>>;

// Replaces the query's statement and opens it.
Dataset& runQuery(const QStringList& lines, Params params = {})
{
    Dataset& q = UsageStatsForm()->query;
    q.close();
    q.setDatabase(&DM().ADOConnection);
    q.setBaseTable(QString());
    q.setSql(lines);
    for (const auto& [name, value] : params)
        q.setParam(QLatin1String(name), value);
    q.open();
    q.first();
    return q;
}

QString total(Dataset& q, const QString& column = QStringLiteral("Total"))
{
    return QString::number(q.asInteger(column));
}

// A field's text, escaped: dates in the short date form, followed by the
// time of day when they hold one; an empty field is empty text.
QString fieldText(Dataset& q, const QString& field, bool isDate = false)
{
    const QString text = q.asString(field);
    if (!isDate || text.isEmpty())
        return HtmlEscape(text);
    const QDateTime dt = DateValue::parse(text);
    return dt.time() == QTime(0, 0) ? FormatShortDate(dt.date()) : FormatDateTime(dt);
}

// The users of the query, at most limit of them (-1: all): name, last
// log-on and computer.
void userLines(Dataset& q, int limit)
{
    ReportRaw(QStringLiteral("<b><u>User, Date/Time, Computer</b></u><br>"));
    for (int n = 0; !q.eof() && n != limit; q.next(), ++n)
        ReportRaw(fieldText(q, QStringLiteral("username")) + QLatin1Char(',')
                  + fieldText(q, QStringLiteral("lastconnected"), true) + QLatin1Char(',')
                  + fieldText(q, QStringLiteral("LastComputer")) + QStringLiteral("<br>"));
}

// The ranked rows of a top ten: name and count.
void rankLines(Dataset& q, const QString& heading, const QString& field)
{
    ReportRaw(heading);
    for (int n = 0; !q.eof() && n < 10; q.next(), ++n)
        ReportRaw(fieldText(q, field) + QLatin1Char(',') + total(q, QStringLiteral("acount")) + QStringLiteral("<br>"));
}

} // namespace

void GenerateUsageReport()
{
    Tmainfrm* w = MainForm();
    if (!w)
        throw std::logic_error("the usage statistics run over the main window");
    {
        MainRun run(*w, QStringLiteral("Generating Report"), 20);
        run.beginReport(QStringLiteral("Booking System Statistics"), HtmlEscape(CurrentUser));
        DataModule& dm = DM();

        // Bookings
        ReportLine(QStringLiteral("<b>Bookings</b>"));
        StatusStep();
        Dataset* q = &runQuery({QStringLiteral("Select Count(*) as Total"), QStringLiteral("From Bookings;")});
        ReportRaw(QStringLiteral("Total Number of Bookings in System: ") + total(*q) + QStringLiteral("<br>"));
        StatusStep();
        const QDate obsolete = Clock::today().addDays(-dm.ConfigTable.asInteger(QStringLiteral("RemoveObsoleteBookings")));
        q = &runQuery({QStringLiteral("Select Count(*) as Total"), QStringLiteral("From Bookings"),
                       QStringLiteral("Where \"Date\" <= :day;")},
                      {{"day", obsolete}});
        ReportRaw(QStringLiteral("Bookings Considered Obsolete: ") + total(*q) + QStringLiteral("<br>"));
        StatusStep();
        // Only the latest booking is read.
        q = &runQuery({QStringLiteral("Select *"), QStringLiteral("From Bookings"),
                       QStringLiteral("Order by bookedondate DESC, bookedonTime Desc"), QStringLiteral("Limit 1;")});
        ReportRaw(QStringLiteral("Last Booking Made: <br>"));
        ReportRaw(fieldText(*q, QStringLiteral("Itembooked")) + QLatin1Char(','));
        ReportRaw(fieldText(*q, QStringLiteral("BookedBy")) + QLatin1Char(','));
        ReportRaw(fieldText(*q, QStringLiteral("Date"), true) + QLatin1Char(','));
        ReportRaw(fieldText(*q, QStringLiteral("Period")) + QLatin1Char(','));
        ReportRaw(fieldText(*q, QStringLiteral("BookedONdate"), true) + QLatin1Char(','));
        ReportRaw(FormatLongTime(q->asTime(QStringLiteral("BookedonTime"))) + QStringLiteral("<br>"));
        StatusStep();

        // Users
        ReportLine(QStringLiteral("<b>Users</b>"));
        StatusStep();
        q = &runQuery({QStringLiteral("Select Count(username) as Total"), QStringLiteral("From Users")});
        ReportRaw(QStringLiteral("Total Users in System: ") + total(*q) + QStringLiteral("<br>"));
        ReportRaw(QStringLiteral("<I>N.B This includes system users</i><br>"));
        StatusStep();
        ReportRaw(QStringLiteral("<br>Last Ten Users to Logon: <br>"));
        q = &runQuery({QStringLiteral("Select *"), QStringLiteral("From Users"),
                       QStringLiteral("Order by lastconnected DESC, username"), QStringLiteral("Limit 10;")});
        userLines(*q, 10);
        StatusStep();
        ReportRaw(QStringLiteral("<br>Users Currently Online: <br>"));
        q = &runQuery({QStringLiteral("Select *"), QStringLiteral("From Users"), QStringLiteral("Where online = 1;")});
        userLines(*q, -1);
        StatusStep();
        ReportRaw(QStringLiteral("<br>Bookings Breaking AuthCode: <br>"));
        q = &runQuery({QStringLiteral("Select Count(*) as acount"), QStringLiteral("From Bookings"),
                       QStringLiteral("Where AuthCode = :empty;")},
                      {{"empty", QString(QLatin1String(""))}});
        ReportRaw(QStringLiteral("Bookings Breaking AuthCode: ") + total(*q, QStringLiteral("acount"))
                  + QStringLiteral("<br>"));
        StatusStep();
        ReportRaw(QStringLiteral("<br>Top Ten Bookings By User<br>"));
        q = &runQuery({QStringLiteral("select bookedby, count(bookedby) as acount"), QStringLiteral("From Bookings"),
                       QStringLiteral("GROUP BY BookedBY"), QStringLiteral("Order by count(bookedby) DESC, bookedby"),
                       QStringLiteral("Limit 10;")});
        rankLines(*q, QStringLiteral("<b><u>User, Bookings Made</b></u><br>"), QStringLiteral("bookedby"));
        StatusStep();

        // Items
        ReportLine(QStringLiteral("<b>Items</b>"));
        StatusStep();
        q = &runQuery({QStringLiteral("Select Count(itemname) as Total"), QStringLiteral("From items")});
        ReportRaw(QStringLiteral("Total Items in System: ") + total(*q) + QStringLiteral("<br>"));
        StatusStep();
        q = &runQuery({QStringLiteral("Select Count(itemname) as Total"), QStringLiteral("From items"),
                       QStringLiteral("Where isAvailable = 1;")});
        ReportRaw(QStringLiteral("Total Items in System Marked Available to Book: ") + total(*q) + QStringLiteral("<br>"));
        StatusStep();
        ReportRaw(QStringLiteral("<br>Top Ten Most Booked Items<br>"));
        q = &runQuery({QStringLiteral("select ItemBooked, count(ItemBooked) as acount"), QStringLiteral("From Bookings"),
                       QStringLiteral("GROUP BY ItemBooked"), QStringLiteral("Order by count(ItemBooked) DESC, ItemBooked"),
                       QStringLiteral("Limit 10;")});
        rankLines(*q, QStringLiteral("<b><u>Item, Bookings Made</b></u><br>"), QStringLiteral("itembooked"));
        StatusStep();

        // System: the config and control rows where they stand.
        ReportLine(QStringLiteral("<b>System</b>"));
        StatusStep();
        ReportLine(QStringLiteral("Maintenance Last Run: ")
                   + fieldText(dm.ConfigTable, QStringLiteral("lastmaintaincerun"), true));
        StatusStep();
        ReportLine(QStringLiteral("<b>Last System Message</b>"));
        StatusStep();
        ReportLine(QStringLiteral("User: ") + fieldText(dm.SystemTable, QStringLiteral("user")));
        StatusStep();
        ReportLine(QStringLiteral("Message: ") + fieldText(dm.SystemTable, QStringLiteral("reason")));
        StatusStep();
        ReportLine(QStringLiteral("<br><b>Last Booking SubSystem Message (Client Side)</b>"));
        StatusStep();
        const TLastBookingResult& last = LastBookingResult;
        const QDate lastDate = last.date.isValid() ? last.date.date() : DateValue::zeroDate();
        ReportLine(QStringLiteral("Code: ") + QString::number(last.code));
        ReportLine(QStringLiteral("Message: ") + HtmlEscape(last.message));
        ReportLine(QStringLiteral("Details: ") + FormatShortDate(lastDate) + QLatin1Char(',') + HtmlEscape(last.period)
                   + QLatin1Char(',') + HtmlEscape(last.bookedFor) + QLatin1Char(',') + HtmlEscape(last.reason));
        StatusStep();
        run.endReport();
    }
    ShowReportViewer();
}
