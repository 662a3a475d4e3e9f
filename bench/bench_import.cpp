#include "bench_import.h"
#include "Accounts.h"
#include "Alerts.h"
#include "DataModule.h"
#include "Forms.h"
#include "LegacyGenerator.h"
#include "Session.h"
#include "selbrinfrm.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

// Counts the paintings of a widget: the shown wizard is to cost what it
// costs on a screen, so its log must really be drawn.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

struct Round {
    double seconds = -1;
    int refusals = 0;
    int paints = 0;
};

// One run of the wizard from its options step to the end of the import,
// over a fresh copy of the database.
Round runWizard(const QString& base, const QString& work, const QString& legacy, bool shown)
{
    QFile::remove(work);
    if (!QFile::copy(base, work))
        return {};
    bool failed = false;
    // A message box would wait for a click: print it instead.
    ModalSeam::setRunner([&](QDialog& d) {
        const auto* alert = qobject_cast<Talertfrm*>(&d);
        std::fprintf(stderr, "bench_data: the import showed a message: %s\n",
                     qPrintable(alert ? alert->Msg->text() : d.objectName()));
        failed = true;
        return mrOk;
    });
    DataModule dm;
    SetDM(&dm);
    Round r;
    {
        TSelbrinFrm wizard;
        wizard.sleeper = [](int) {};
        PaintCounter counter;
        wizard.status->viewport()->installEventFilter(&counter);
        // Showing fills the 5.0 folder from the settings: the entries after it.
        if (shown) {
            wizard.show();
            QApplication::processEvents();
        }
        wizard.db50path->setText(QFileInfo(work).absolutePath());
        wizard.pass->setText(QStringLiteral("bench"));
        wizard.db40path->setText(legacy);
        wizard.step = 5;
        wizard.NextBtnClick();
        QElapsedTimer t;
        t.start();
        wizard.NextBtnClick();
        r.seconds = t.nsecsElapsed() / 1e9;
        r.refusals = wizard.refusals();
        r.paints = counter.paints;
        if (failed || wizard.CloseBtn->text() != QStringLiteral("Finish")) {
            const QStringList lines = wizard.status->toPlainText().split(QLatin1Char('\n'));
            std::fprintf(stderr, "bench_data: the import did not finish; its log ends: %s\n", qPrintable(lines.last()));
            r.seconds = -1;
        }
    }
    ModalSeam::reset();
    SetDM(nullptr);
    return r;
}

} // namespace

ImportTimes BenchImport(const QString& databasePath, bool small)
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
    QTemporaryDir copies;
    const LegacyInstall in = small ? LegacyGen::generate(1, 20, 100, 1000)
                                   : LegacyGen::generate(1, Legacy::UserCount, Legacy::ItemCount, Legacy::BookingCount);
    LegacyGen::writeInstall(legacy.path(), in);
    const QString work = copies.filePath(QStringLiteral("data.mdb"));

    // Hidden and shown in turn, so that noise on the machine hits both alike.
    const int rounds = 3;
    ImportTimes times;
    int refusals = 0;
    for (int i = 0; i < rounds; ++i) {
        const Round h = runWizard(databasePath, work, legacy.path(), false);
        const Round s = runWizard(databasePath, work, legacy.path(), true);
        if (h.seconds < 0 || s.seconds < 0)
            return {};
        times.hiddenS.push_back(h.seconds);
        times.shownS.push_back(s.seconds);
        times.logPaints = s.paints;
        refusals = s.refusals;
    }
    std::printf("import of %zu users, %zu items, %zu bookings: %d refused\n", in.users.size(), in.items.size(),
                in.bookings.size(), refusals);
    return times;
}
