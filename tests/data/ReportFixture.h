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
        QDir(dir.path()).mkdir(QStringLiteral("reports"));
        writeReportFile(QStringLiteral("header.htm"), "~TITLE~|~USER~\r\n");
        writeReportFile(QStringLiteral("footer.htm"), "END\r\n");
        writeReportFile(QStringLiteral("reportlogo.jpg"), "jpeg");
        ReportsEnabled = true;
        ui.emplace();
    }
    void TearDown() override
    {
        ui.reset();
        ResetReportLog();
        DataFixture::TearDown();
    }

    void writeReportFile(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.path() + QStringLiteral("/reports/") + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    bool reportExists() const { return QFile::exists(ReportFilePath()); }
    QByteArray reportBytes() const
    {
        QFile f(ReportFilePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    // The report's lines without their CRLF ends.
    QStringList reportLines() const
    {
        QStringList lines = QString::fromUtf8(reportBytes()).split(QStringLiteral("\r\n"));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }
    // The viewer, when shown, is dismissed at once.
    void expectViewer() { ui->answer(mrOk); }

    std::optional<UiScript> ui;
};
