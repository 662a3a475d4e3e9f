#pragma once
#include "Session.h"

#include <QString>

// The report log: one HTML file per logged-on user in the "reports" folder
// under the program folder, started from the header template, written a
// line at a time and closed with the footer template. Read and write
// failures raise IoError.

// Set once by the start-up: the report files are there and reports were not
// switched off. Every write of the log and the "View Report" offer depend
// on it.
extern bool ReportsEnabled;
// Set by ReportBookingResult for every result but 0, whether or not
// reports are written; cleared and read by the booking runs.
extern bool BookingFailureSeen;

// AppFolder + "reports/".
QString ReportsFolder();
// The logged-on user's output file, named from CurrentUser made safe as a
// file name.
QString ReportFilePath();

// True when "header.htm", "footer.htm" and "reportlogo.jpg" all exist.
bool ReportFilesPresent();

// Stores title and user (also while reports are disabled) and starts the
// output file afresh from "header.htm". Callers escape the values they
// build the title from; markup they put in on purpose stays markup.
void ReportBegin(const QString& title, const QString& user);
// One line: text + "<br>", or, stamped, date + " " + time + " : " + text.
void ReportLine(const QString& text, bool stamped = false);
// One line, unchanged.
void ReportRaw(const QString& html);
// Appends "footer.htm".
void ReportEnd();

// One report from its start to its footer: the footer is written when the
// scope is left without end(), by an error too (a failed footer then stays
// quiet, so that it never hides the error).
class ReportScope {
public:
    ReportScope(const QString& title, const QString& user) { ReportBegin(title, user); }
    ~ReportScope();
    void end();
    ReportScope(const ReportScope&) = delete;
    ReportScope& operator=(const ReportScope&) = delete;

private:
    bool m_ended = false;
};

// Token expansion of one template line: text between two "~" signs is a
// token (TITLE, USER, DATE, TIME; anything else is empty); a "~" left open
// drops the rest of the line.
QString ExpandReportTemplate(const QString& line);
QString ReportTemplateField(const QString& token);

// Writes the result held in LastBookingResult into the log (code 0 writes
// nothing); every non-zero code sets BookingFailureSeen.
void ReportBookingResult(BookingResultCode code);

// Back to the start: reports off, no failure seen, no title or user.
void ResetReportLog();
