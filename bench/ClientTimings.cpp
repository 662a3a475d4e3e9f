#include "ClientTimings.h"

#include "CoolCtrlsDB.h"
#include "Database.h"
#include "Forms.h"
#include "Gates.h"
#include "Lookups.h"
#include "Session.h"
#include "adminvfrm.h"
#include "mainfrm.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QListWidget>

#include <algorithm>
#include <cstdio>

namespace {
double msSince(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }
} // namespace

void RunClientTimings(const QString& path, const QString& user, const QString& item)
{
    // Another client, to change Users between two reads.
    Database other;
    other.open(path);
    other.exec(QStringLiteral("UPDATE Users SET canFlushBookings = 1, canModifyItems = 1, accesslevel = 200 "
                              "WHERE username = ?"),
               {user});
    // The flushed item is offered in the main window's list.
    other.exec(QStringLiteral("UPDATE items SET isAvailable = 1 WHERE ItemName = ?"), {item});
    const QString category =
        other.scalar(QStringLiteral("SELECT Catergory FROM items WHERE ItemName = ?"), {item}).toString();
    const QString previousUser = CurrentUser;
    CurrentUser = user;

    Tmainfrm w;
    w.data.connectTo(path);
    w.data.openTables();
    SetDM(&w.data);
    w.InitMainWindow();

    // Opening the item manager, then clicks in its list.
    Tadminvfrm* f = AdminvForm();
    QElapsedTimer t;
    t.start();
    f->FormShow();
    const double openMs = msSince(t);
    const int rows = f->ItemsList.rowCountLoaded();
    double clickMs = 0;
    const int clicks = 20;
    for (int i = 0; i < clicks; ++i) {
        f->ItemsList.setRecNo(1 + (i * 97) % std::max(1, rows));
        t.start();
        f->DBItemsListClick();
        clickMs = std::max(clickMs, msSince(t));
    }

    // A gated click's right read, quiet and just after another client's change.
    double gateMs = 0, gateAfterMs = 0;
    for (int i = 0; i < clicks; ++i) {
        t.start();
        PassGate(UserCanModifyItems);
        gateMs = std::max(gateMs, msSince(t));
        other.exec(QStringLiteral("UPDATE Users SET LastComputer = ? WHERE username = ?"),
                   {QStringLiteral("PC%1").arg(i), user});
        t.start();
        PassGate(UserCanModifyItems);
        gateAfterMs = std::max(gateAfterMs, msSince(t));
    }

    // Flushing one item's bookings, the sheet re-read included.
    w.DisplayCatergory->setCurrentIndex(w.DisplayCatergory->findText(category));
    w.DisplayCatergoryClick();
    for (int i = 0; i < w.DBitemlist->count(); ++i)
        if (w.DBitemlist->item(i)->text() == item)
            w.DBitemlist->setCurrentRow(i);
    const int before = other.scalar(QStringLiteral("SELECT count(*) FROM bookings WHERE ItemBooked = ?"), {item}).toInt();
    ModalSeam::pushResult(mrOk);   // "Yes" to the warning
    t.start();
    w.FlushAllBookings1Click();
    const double flushMs = msSince(t);
    ModalSeam::reset();
    const int after = other.scalar(QStringLiteral("SELECT count(*) FROM bookings WHERE ItemBooked = ?"), {item}).toInt();
    if (after != 0 || w.SelectedItem() != item)
        std::printf("warning: the flush left %d of %d bookings of %s\n", after, before, qPrintable(item));

    std::printf("item manager open:   %9.1f ms (%d items; target < 50 ms)\n", openMs, rows);
    std::printf("item list click:     %9.1f ms at most (target < 50 ms)\n", clickMs);
    std::printf("gated right read:    %9.2f ms at most, %.2f ms after another client's change (target < 50 ms)\n",
                gateMs, gateAfterMs);
    std::printf("flush of one item:   %9.1f ms for %d bookings of %s (target < 500 ms)\n", flushMs, before,
                qPrintable(item));
    SetDM(nullptr);
    CurrentUser = previousUser;
}
