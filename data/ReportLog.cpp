#include "ReportLog.h"
#include "Clock.h"
#include "IoError.h"
#include "Text.h"
#include "Utilities.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool ReportsEnabled = false;
bool BookingFailureSeen = false;

namespace {

QString reportTitle;
QString reportUser;

const QByteArray lineEnd("\r\n");

// Expands one template line held as bytes: everything outside tokens is
// copied byte for byte, whatever its encoding; the values go in as UTF-8.
QByteArray expandLine(const QByteArray& line)
{
    QByteArray out;
    out.reserve(line.size());
    qsizetype tokenStart = -1;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line.at(i);
        if (tokenStart < 0) {
            if (c == '~')
                tokenStart = i + 1;
            else
                out += c;
        } else if (c == '~') {
            const QString token = QString::fromUtf8(line.mid(tokenStart, i - tokenStart));
            out += ReportTemplateField(Text::upper(token).trimmed()).toUtf8();
            tokenStart = -1;
        }
    }
    return out;
}

QString describe(const QFile& f, const char* what)
{
    return QStringLiteral("Unable to %1 report file \"%2\": %3")
        .arg(QLatin1String(what), QDir::toNativeSeparators(f.fileName()), f.errorString());
}

// Reads a template's lines, without their line ends.
QList<QByteArray> templateLines(const QString& name)
{
    QFile in(ReportsFolder() + name);
    if (!in.open(QIODevice::ReadOnly))
        throw IoError(describe(in, "read"));
    const QByteArray all = in.readAll();
    if (in.error() != QFileDevice::NoError)
        throw IoError(describe(in, "read"));
    QList<QByteArray> lines = all.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();   // the end of the last line, not another line
    for (QByteArray& l : lines)
        if (l.endsWith('\r'))
            l.chop(1);
    return lines;
}

void writeLines(const QList<QByteArray>& lines, QIODevice::OpenMode mode)
{
    QFile out(ReportFilePath());
    if (!out.open(mode | QIODevice::WriteOnly))
        throw IoError(describe(out, "write"));
    QByteArray bytes;
    for (const QByteArray& l : lines)
        bytes += l + lineEnd;
    if (out.write(bytes) != bytes.size() || !out.flush())
        throw IoError(describe(out, "write"));
    out.close();
    if (out.error() != QFileDevice::NoError)
        throw IoError(describe(out, "write"));
}

void appendLine(const QString& text)
{
    if (ReportsEnabled)
        writeLines({text.toUtf8()}, QIODevice::Append);
}

void writeTemplate(const QString& name, QIODevice::OpenMode mode)
{
    QList<QByteArray> lines = templateLines(name);
    for (QByteArray& l : lines)
        l = expandLine(l);
    writeLines(lines, mode);
}

} // namespace

QString ReportsFolder() { return AppFolder + QStringLiteral("reports/"); }

QString ReportFilePath() { return ReportsFolder() + SafeFileName(CurrentUser) + QStringLiteral(".htm"); }

bool ReportFilesPresent()
{
    for (const char* name : {"header.htm", "footer.htm", "reportlogo.jpg"})
        if (!QFileInfo(ReportsFolder() + QLatin1String(name)).isFile())
            return false;
    return true;
}

void ReportBegin(const QString& title, const QString& user)
{
    reportTitle = title;
    reportUser = user;
    if (ReportsEnabled)
        writeTemplate(QStringLiteral("header.htm"), QIODevice::Truncate);
}

void ReportLine(const QString& text, bool stamped)
{
    if (stamped) {
        appendLine(FormatDateTime(Clock::now()) + QStringLiteral(" : ") + text);
    } else {
        appendLine(text + QStringLiteral("<br>"));
    }
}

void ReportRaw(const QString& html) { appendLine(html); }

void ReportEnd()
{
    if (ReportsEnabled)
        writeTemplate(QStringLiteral("footer.htm"), QIODevice::Append);
}

ReportScope::~ReportScope()
{
    if (m_ended)
        return;
    try {
        ReportEnd();
    } catch (...) {
    }
}

void ReportScope::end()
{
    m_ended = true;
    ReportEnd();
}

QString ExpandReportTemplate(const QString& line) { return QString::fromUtf8(expandLine(line.toUtf8())); }

QString ReportTemplateField(const QString& token)
{
    if (token == QLatin1String("TITLE"))
        return reportTitle;
    if (token == QLatin1String("USER"))
        return reportUser;
    if (token == QLatin1String("DATE"))
        return FormatShortDate(Clock::today());
    if (token == QLatin1String("TIME"))
        return FormatLongTime(Clock::timeNow());
    return QString();
}

void ReportBookingResult(BookingResultCode code)
{
    if (code == 0)
        return;
    BookingFailureSeen = true;
    const TLastBookingResult& r = LastBookingResult;
    ReportLine(QStringLiteral("(%1) ").arg(r.code) + HtmlEscape(r.message));
    ReportLine(QStringLiteral("Date: ") + FormatShortDate(r.date.date()) + QStringLiteral(", Period: ")
               + HtmlEscape(r.period));
    if (code == 1 || code == -2 || code == -3)
        ReportLine(QStringLiteral("Existing: ") + HtmlEscape(r.existingBookedBy) + QLatin1Char('-')
                   + HtmlEscape(r.existingReason));
}

void ResetReportLog()
{
    ReportsEnabled = false;
    BookingFailureSeen = false;
    reportTitle.clear();
    reportUser.clear();
}
