#pragma once
// The main window over a school with three items, six periods and a user
// who may make permanent bookings and cancel in mass; helpers that read the
// bookings back and tick the period grid.
#include "MainFixture.h"

#include "BookingRuns.h"
#include "Utilities.h"
#include "periodselectorfrm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSqlQuery>

class BookingsFixture : public MainFixture {
protected:
    void SetUp() override
    {
        MainFixture::SetUp();
        if (HasFailure())
            return;
        db().exec(QStringLiteral("UPDATE Users SET canMakePermanentBookings = 1, canFlushBookings = 1, "
                                 "canModifyBookings = 1 WHERE username = 'BOB'"));
        addUser({QStringLiteral("ANN"), 5});
        addUser({QStringLiteral("BOSS"), 100});
        addItem(QStringLiteral("PROJECTOR"));
        addItem(QStringLiteral("SCREEN"));
        addItem(QStringLiteral("laptop"));
        win->InitMainWindow();
    }

    // "date period item bookedby reason permanent" of every booking, in
    // date, period and item order.
    QStringList rows(const QString& where = QStringLiteral("1"))
    {
        QSqlQuery q = db().prepare(QStringLiteral("SELECT Date, Period, ItemBooked, BookedBy, forReason, isPermanent "
                                                  "FROM bookings WHERE ")
                                   + where + QStringLiteral(" ORDER BY Date, Period, ItemBooked"));
        EXPECT_TRUE(q.exec());
        QStringList out;
        while (q.next())
            out << QStringList{q.value(0).toString().left(10), q.value(1).toString(), q.value(2).toString(),
                               q.value(3).toString(), q.value(4).toString(), q.value(5).toString()}
                       .join(QLatin1Char(' '));
        return out;
    }
    int bookings(const QString& where = QStringLiteral("1"))
    {
        return count(QStringLiteral("SELECT count(*) FROM bookings WHERE ") + where);
    }

    // Ticks boxes of the grid: day 1..5 and period orders.
    static void tick(int day, std::initializer_list<int> orders)
    {
        for (int o : orders)
            PeriodSelectorForm()->Box(day, o)->click();
    }

    static WeekdayPeriods periods(std::initializer_list<std::pair<int, QStringList>> days)
    {
        WeekdayPeriods p;
        for (const auto& [day, names] : days)
            p[day - 1] = names;
        return p;
    }

    const QDate monday{2026, 3, 2};   // the week of the frozen today, Wednesday 4 March
};
