#include "SheetReport.h"

#include "Alerts.h"
#include "Bookings.h"
#include "DataModule.h"
#include "Lookups.h"
#include "ReportLog.h"
#include "Session.h"
#include "StatusWindows.h"
#include "Utilities.h"

namespace {
const char* const WeekDays[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday"};
} // namespace

void BookingSheetReport(const QString& item, const QDateTime& date)
{
    const QDate monday = MondayOf(date.date());
    if (FindItem(item) == -1)
        return;
    Dataset& items = DM().itemstable;
    const QString storedName = items.asString(QStringLiteral("itemname"));
    const QString description = items.asString(QStringLiteral("itemdescription"));

    {
        ReportScope report(QStringLiteral("Booking Sheet for<br>") + HtmlEscape(storedName), HtmlEscape(CurrentUser));
        ReportLine(QStringLiteral("Item description: ") + HtmlEscape(description));
        ReportLine(QStringLiteral("For monday beginning: ") + FormatShortDate(monday));
        ReportRaw(QStringLiteral("<div align=\"center\"> "));
        ReportRaw(QStringLiteral(
            "<table width=\"100%\" border=\"1\" cellpadding=\"0\" cellspacing=\"0\" bordercolor=\"#000000\">"));
        ReportRaw(QStringLiteral("<tr bgcolor=\"#CCCCCC\"> "));
        ReportRaw(QStringLiteral("<td bgcolor=\"#CCCCCC\">&nbsp;</td>"));
        for (const char* day : WeekDays)
            ReportRaw(QStringLiteral("<td bgcolor=\"#CCCCCC\"><div align=\"center\">%1</div></td>")
                          .arg(QLatin1String(day)));
        ReportRaw(QStringLiteral("</tr>"));

        StatusScope status(QStringLiteral("Preparing Print Preview"), HighestPeriodOrder());
        const int periods = HighestPeriodOrder();
        for (int order = 1; order <= periods; ++order) {
            const QString period = PeriodNameAt(order);
            ReportRaw(QStringLiteral("<TR>"));
            ReportRaw(QStringLiteral("<TD bgcolor=\"#CCCCCC\"><div align=\"center\">") + HtmlEscape(period)
                      + QStringLiteral("</div></td>"));
            for (int day = 0; day < 5; ++day) {
                ReportRaw(QStringLiteral("<TD bgcolor=\"#ffffff\">"));
                if (FindBooking(item, period, QDateTime(monday.addDays(day), QTime(0, 0))) == -1) {
                    ReportRaw(QStringLiteral("&nbsp;<br>&nbsp;"));
                } else {
                    Dataset& found = DM().BookQuery;
                    ReportRaw(HtmlEscape(found.asString(QStringLiteral("bookedby"))) + QStringLiteral("<br>")
                              + HtmlEscape(found.asString(QStringLiteral("forreason"))));
                }
                ReportRaw(QStringLiteral("</TD>"));
            }
            ReportRaw(QStringLiteral("</TR>"));
            StatusStep();
        }
        ReportRaw(QStringLiteral("</table></div>"));
        report.end();
    }
    ShowReportViewer();
}
