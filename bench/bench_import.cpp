#include "bench_import.h"
#include "Accounts.h"
#include "DataModule.h"
#include "Forms.h"
#include "LegacyGenerator.h"
#include "Session.h"
#include "selbrinfrm.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>

double BenchImport(const QString& databasePath, bool small)
{
    {
        Database db;
        db.open(databasePath);
        db.exec(QStringLiteral("INSERT INTO Users (username, accesslevel, password, AuthCode) VALUES ('ADMIN', 250, ?, 'abcdef')"),
                {Scramble(QStringLiteral("BENCH"))});
        db.exec(QStringLiteral("INSERT INTO Users (username, accesslevel, canMakeBookings, AuthCode) VALUES (?, 5, 1, 'abcdef')"),
                {ProfileUserName});
    }
    QTemporaryDir legacy;
    const LegacyInstall in = small ? LegacyGen::generate(1, 20, 100, 1000)
                                   : LegacyGen::generate(1, Legacy::UserCount, Legacy::ItemCount, Legacy::BookingCount);
    LegacyGen::writeInstall(legacy.path(), in);

    // A message box would wait for a click: print it instead.
    bool failed = false;
    ModalSeam::setRunner([&](QDialog& d) {
        std::fprintf(stderr, "bench_data: the import showed a message (%s)\n", qPrintable(d.objectName()));
        failed = true;
        return mrOk;
    });
    DataModule dm;
    SetDM(&dm);
    TSelbrinFrm wizard;
    wizard.sleeper = [](int) {};
    wizard.db50path->setText(QFileInfo(databasePath).absolutePath());
    wizard.pass->setText(QStringLiteral("bench"));
    wizard.db40path->setText(legacy.path());

    QElapsedTimer t;
    t.start();
    wizard.step = 5;
    wizard.NextBtnClick();
    wizard.NextBtnClick();
    const double seconds = t.nsecsElapsed() / 1e9;
    ModalSeam::reset();
    SetDM(nullptr);
    if (failed || wizard.CloseBtn->text() != QStringLiteral("Finish")) {
        const QStringList lines = wizard.status->toPlainText().split(QLatin1Char('\n'));
        std::fprintf(stderr, "bench_data: the import did not finish; its log ends: %s\n", qPrintable(lines.last()));
        return -1;
    }
    std::printf("import of %zu users, %zu items, %zu bookings: %d refused\n", in.users.size(), in.items.size(),
                in.bookings.size(), wizard.refusals());
    return seconds;
}
