#pragma once
// A fresh database with the report log switched on in a temporary program
// folder: the header template is "~TITLE~|~USER~", the footer "END", the
// logged-on user BOB. Dialogs are answered by the script; the report viewer
// is dismissed unseen.
#include "DataFixture.h"
#include "ReportLog.h"
#include "UiScript.h"

#include <QDir>
#include <QFile>

#include <optional>

// The report templates of these tests in the program folder's "reports".
inline void WriteTestReportTemplates(const QString& programFolder)
{
    QDir(programFolder).mkpath(QStringLiteral("reports"));
    const std::pair<const char*, QByteArray> files[] = {
        {"header.htm", "~TITLE~|~USER~\r\n"}, {"footer.htm", "END\r\n"}, {"reportlogo.jpg", "jpeg"}};
    for (const auto& [name, bytes] : files) {
        QFile f(programFolder + QStringLiteral("/reports/") + QLatin1String(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
}

// The logged-on user's report: its bytes ("<missing>" when there is no
// file), and its lines without their CRLF ends.
inline QByteArray ReportBytes()
{
    QFile f(ReportFilePath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
inline QStringList ReportLines()
{
    QStringList lines = QString::fromUtf8(ReportBytes()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

class ReportFixture : public DataFixture {
protected:
    void SetUp() override
    {
        DataFixture::SetUp();
        if (HasFailure())
            return;
        ResetReportLog();
        AppFolder = dir.path() + QLatin1Char('/');
        CurrentUser = QStringLiteral("BOB");
        WriteTestReportTemplates(dir.path());
        ReportsEnabled = true;
        ui.emplace();
    }
    void TearDown() override
    {
        ui.reset();
        ResetReportLog();
        DataFixture::TearDown();
    }

    bool reportExists() const { return QFile::exists(ReportFilePath()); }
    QByteArray reportBytes() const { return ReportBytes(); }
    QStringList reportLines() const { return ReportLines(); }
    // The viewer, when shown, is dismissed at once.
    void expectViewer() { ui->answer(mrOk); }

    std::optional<UiScript> ui;
};
