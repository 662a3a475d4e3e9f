// The vacancy search and the placement of its results.
#include "BookingsFixture.h"

#include "findbookingfrm.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>

namespace {

class Find : public BookingsFixture {
protected:
    void TearDown() override
    {
        FindBookingForm()->hide();
        SearchResultsForm()->hide();
        BookingsFixture::TearDown();
    }
    TFindBookingFrm* open()
    {
        TFindBookingFrm* f = FindBookingForm();
        f->show();
        f->searchcat->setChecked(false);
        return f;
    }
    static QStringList texts(const QList<FreeSlot>& found)
    {
        QStringList t;
        for (const FreeSlot& s : found)
            t << s.text();
        return t;
    }
    static QString line(const QDate& d, const char* period, const char* item)
    {
        return DayNameOf(d) + "," + FormatShortDate(d) + "," + period + "," + item;
    }
};

TEST_F(Find, ChecksRunInOrderAndNoTickedPeriodIsSilent)
{
    TFindBookingFrm* f = open();
    f->bookedby->setText(QStringLiteral("nobody"));
    f->Button2->click();
    f->bookedby->setText(QStringLiteral("ann"));
    f->Button2->click();
    f->searchcat->setChecked(true);   // no item needed then
    f->Button2->click();
    f->desc->setText(QStringLiteral("x"));
    f->fromdate->setDate(QDate(2026, 3, 3));
    f->Button2->click();
    f->fromdate->setDate(QDate(2026, 3, 4));
    f->todate->setDate(QDate(2026, 3, 3));
    f->Button2->click();
    EXPECT_EQ(ui->alerts, (QStringList{"Unknown User - Make sure you typed the username",
                                       "No item selected. Please choose an item from the list.",
                                       "No description provided for Booking. Cannot book items without a description",
                                       "You cannot book items on dates occuring before today.",
                                       "You cannot have an until date that occurs before a from date."}));
    ui->alerts.clear();
    f->todate->setDate(QDate(2026, 3, 4));
    f->Button2->click();   // no period ticked: nothing at all
    EXPECT_TRUE(ui->alerts.isEmpty());
    EXPECT_EQ(ui->shown.size(), 5);
    EXPECT_TRUE(f->isVisible());
}

TEST_F(Find, SearchListsFreeWeekdaySlotsInItemDayPeriodOrder)
{
    // SCREEN's Monday period 1 is booked under another letter case; today's
    // passed period 1 is still listed.
    addBooking(QStringLiteral("screen"), QDate(2026, 3, 9), QStringLiteral("1"), QStringLiteral("ANN"));
    const QList<FreeSlot> found =
        VacancySearch(*win, {QStringLiteral("SCREEN"), QStringLiteral("laptop")}, QDate(2026, 3, 4), QDate(2026, 3, 9),
                      periods({{1, {"1", "2"}}, {3, {"1"}}}), 3);
    EXPECT_EQ(texts(found), (QStringList{line(QDate(2026, 3, 4), "1", "SCREEN"), line(QDate(2026, 3, 9), "2", "SCREEN"),
                                         line(QDate(2026, 3, 4), "1", "laptop"), line(QDate(2026, 3, 9), "1", "laptop"),
                                         line(QDate(2026, 3, 9), "2", "laptop")}));
    EXPECT_TRUE(found.first().text().startsWith(QStringLiteral("Wednesday,")));
    EXPECT_TRUE(VacancySearch(*win, {QStringLiteral("SCREEN")}, QDate(2026, 3, 7), QDate(2026, 3, 8),
                              periods({{1, {"1"}}}), 1)
                    .isEmpty());   // a weekend
    EXPECT_FALSE(StatusForm()->isVisible());
}

TEST_F(Find, TheDialogSearchesShowsTheResultsAndPlacesTheTickedLines)
{
    TFindBookingFrm* f = open();
    f->DBitemlist->setCurrentRow(1);   // PROJECTOR
    f->desc->setText(QStringLiteral("debate"));
    f->bookedby->setText(QStringLiteral("ANN"));
    f->todate->setDate(QDate(2026, 3, 5));
    tick(4, {2, 3});
    addBooking(QStringLiteral("PROJECTOR"), QDate(2026, 3, 5), QStringLiteral("3"), QStringLiteral("BOB"));
    ui->answer([](QDialog& d) {
        auto& r = static_cast<TSearchResultsFrm&>(d);
        EXPECT_EQ(r.results->count(), 1);
        EXPECT_EQ(r.results->item(0)->checkState(), Qt::Unchecked);
        r.Button1->click();   // Select All
        r.Button3->click();   // Place Bookings
        return r.result();
    });
    f->Button2->click();
    EXPECT_EQ(ui->alerts, QStringList(QStringLiteral("Bookings Placed")));
    EXPECT_EQ(rows(QStringLiteral("BookedBy = 'ANN'")), QStringList(QStringLiteral("2026-03-05 2 PROJECTOR ANN debate 0")));
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(f->result(), mrOk);
    EXPECT_TRUE(reportText().contains(QStringLiteral("<h1>Search Booking Placement</h1>")));
}

TEST_F(Find, CancellingTheResultsClosesTheSearchToo)
{
    TFindBookingFrm* f = open();
    f->searchcat->setChecked(true);
    f->desc->setText(QStringLiteral("x"));
    f->todate->setDate(QDate(2026, 3, 4));
    tick(3, {6});
    ui->answer([](QDialog& d) {
        auto& r = static_cast<TSearchResultsFrm&>(d);
        EXPECT_EQ(r.results->count(), 3);   // every item of the category
        r.Button4->click();
        return r.result();
    });
    f->Button2->click();
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(f->result(), mrOk);
    EXPECT_EQ(bookings(), 0);
}

TEST_F(Find, PlacementUsesTheSlotsItFoundAndReportsRefusals)
{
    addItem(QStringLiteral("A,B"));
    addItem(QStringLiteral("A"));
    TSearchResultsFrm* r = SearchResultsForm();
    const QDate thu(2026, 3, 5);
    r->setResults({{QStringLiteral("A,B"), QStringLiteral("2"), thu, false},
                   {QStringLiteral("SCREEN"), QStringLiteral("3"), thu, false},
                   {QStringLiteral("SCREEN"), QStringLiteral("4"), thu, false}},
                  QStringLiteral("BOB"), QStringLiteral("club"));
    EXPECT_EQ(r->results->item(0)->text(), DayNameOf(thu) + "," + FormatShortDate(thu) + ",2,A,B");
    r->show();
    r->Button1->click();
    r->results->item(2)->setCheckState(Qt::Unchecked);
    // The second slot was booked by another client meanwhile.
    addBooking(QStringLiteral("SCREEN"), thu, QStringLiteral("3"), QStringLiteral("ANN"));
    r->Button3->click();
    EXPECT_EQ(rows(QStringLiteral("BookedBy = 'BOB'")), QStringList(QStringLiteral("2026-03-05 2 A,B BOB club 0")));
    EXPECT_EQ(bookings(QStringLiteral("ItemBooked = 'A'")), 0);
    EXPECT_EQ(ui->alerts, QStringList(QStringLiteral("Some or all your bookings failed")));
    EXPECT_TRUE(reportText().contains(QStringLiteral("(-2) Booking Failed. FORCE was FALSE and Existing Booking Found")));
    EXPECT_FALSE(r->isVisible());

    // Nothing ticked: nothing placed, and this run's own outcome is told.
    ui->alerts.clear();
    PlaceFreeSlots(*win, {{QStringLiteral("SCREEN"), QStringLiteral("5"), thu, false}}, QStringLiteral("BOB"),
                   QStringLiteral("club"));
    EXPECT_EQ(ui->alerts, QStringList(QStringLiteral("Bookings Placed")));
    EXPECT_EQ(bookings(), 2);
}

} // namespace
