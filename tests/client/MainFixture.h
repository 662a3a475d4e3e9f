#pragma once
// The main window over a fresh database: the window's own data module is the
// client's, the fixture's connection acts as another client. Dialogs are
// answered through the UI script; closing the window raises the end flag
// without leaving the test's event loops.
#include "Alerts.h"
#include "Bookings.h"
#include "CoolGrid.h"
#include "ClientFixture.h"
#include "ProgramEnd.h"
#include "ReportLog.h"
#include "SmallDialogs.h"
#include "StatusWindows.h"
#include "UiScript.h"
#include "mainfrm.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>

class MainFixture : public ClientFixture {
protected:
    void SetUp() override
    {
        ClientFixture::SetUp();
        QDir(dir.path()).mkpath(QStringLiteral("reports"));
        writeFile(QStringLiteral("reports/header.htm"), "<html><body><h1>~TITLE~</h1><p>~USER~</p>\n");
        writeFile(QStringLiteral("reports/footer.htm"), "<p>end of report</p></body></html>\n");
        writeFile(QStringLiteral("reports/reportlogo.jpg"), "logo");
        ReportsEnabled = true;

        addPeriods(6);
        addUser({QStringLiteral("BOB"), 10});
        CurrentUser = QStringLiteral("BOB");
        db().exec(QStringLiteral("UPDATE Users SET Online = 1 WHERE username = 'BOB'"));

        win = std::make_unique<Tmainfrm>();
        win->data.connectTo(path);
        win->data.openTables();
        SetDM(&win->data);
        win->show();
    }

    void TearDown() override
    {
        PlaceBookingAfterFindHook = nullptr;
        StatusEnd();
        ClientFixture::TearDown();
    }

    QString reportText()
    {
        QFile f(ReportFilePath());
        if (!f.open(QIODevice::ReadOnly))
            return QString();
        return QString::fromUtf8(f.readAll()).remove(QLatin1Char('\r'));
    }

    void setDescription(const QString& item, const QString& text)
    {
        db().exec(QStringLiteral("UPDATE items SET ItemDescription = ? WHERE ItemName = ?"), {text, item});
    }

    // The next text prompt is answered with the text and OK.
    void answerText(const QString& text)
    {
        ui->answer([text](QDialog& d) {
            d.findChild<QLineEdit*>(QStringLiteral("question"))->setText(text);
            return mrOk;
        });
    }

    void select(int left, int top, int right, int bottom)
    {
        win->Sheet->setSelection({left, top, right, bottom});
    }

    QString cell(int col, int row) const { return win->Sheet->cells(col, row); }

};
