// The main window's weekly sheet: the week's dates, the layout of headers,
// the filling from the database, the markers of the current day and period,
// the information line and the navigation between categories, items and
// weeks.
#include "MainFixture.h"

#include "CoolCtrls.h"
#include "Lookups.h"
#include "Utilities.h"
#include "../controls/GridTestSupport.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QTest>
#include <QToolButton>

namespace {

constexpr TColor Red = 255;
constexpr TColor Fixed = 9783808;

class MainSheet : public MainFixture {
protected:
    void SetUp() override
    {
        MainFixture::SetUp();
        if (HasFailure())
            return;
        addItem(QStringLiteral("PROJECTOR"));
        setDescription(QStringLiteral("PROJECTOR"), QStringLiteral("The hall projector"));
    }
    const QDate monday{2026, 3, 2};   // the frozen today is Wednesday 4 March 2026

    // Periods 7 to 12 after the fixture's six, the last with a short name.
    static QString periodName(int order)
    {
        return order == 12 ? QStringLiteral("AS") : (order > 6 ? QStringLiteral("P%1").arg(order) : QString::number(order));
    }
    void addPeriodsUpToTwelve()
    {
        for (int i = 7; i <= 12; ++i)
            db().exec(QStringLiteral("INSERT INTO periods (period, \"order\", StartTime) VALUES (?, ?, ?)"),
                      {periodName(i), i, QTime(12, 0).addSecs(i * 600).toString(QStringLiteral("HH:mm:ss"))});
    }
};

TEST_F(MainSheet, CellToSlotNamesThePeriodAndTheDayOfTheShownWeek)
{
    win->InitMainWindow();
    SheetSlot s = win->CellToSlot(1, 2);
    EXPECT_EQ(s.period, QStringLiteral("2"));
    EXPECT_EQ(s.date.date(), monday);
    s = win->CellToSlot(7, 9);
    EXPECT_EQ(s.period, QStringLiteral("[NONE]"));
    EXPECT_EQ(s.date.date(), QDate(2026, 3, 8));
}

TEST_F(MainSheet, LayoutWritesHeadersAndSizesTheSheet)
{
    win->InitMainWindow();
    EXPECT_EQ(win->Sheet->rowCount(), 7);
    EXPECT_EQ(win->Sheet->colCount(), 8);
    EXPECT_EQ(cell(0, 0), QStringLiteral("Day/Period"));
    const QStringList days{"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};
    for (int c = 1; c <= 7; ++c)
        EXPECT_EQ(cell(c, 0), days[c - 1]);
    for (int r = 1; r <= 6; ++r)
        EXPECT_EQ(cell(0, r), QString::number(r));
    EXPECT_EQ(win->Sheet->defaultColWidth(), int(RoundHalfEven(win->Sheet->width() / 8.5)));
    EXPECT_EQ(win->Sheet->defaultRowHeight(), int(RoundHalfEven(win->Sheet->height() / 7.45)));

    // A name at order 10 with 7 to 9 unnamed gives 11 rows, empty headers between.
    db().exec(QStringLiteral("INSERT INTO periods (period, \"order\", StartTime) VALUES ('LATE', 10, '16:00:00')"));
    win->LayoutSheet();
    EXPECT_EQ(win->Sheet->rowCount(), 11);
    EXPECT_EQ(cell(0, 10), QStringLiteral("LATE"));
    EXPECT_EQ(cell(0, 9), QString());
}

TEST_F(MainSheet, InitSelectsTheFirstCategoryItemTodayAndTheCurrentPeriod)
{
    addItem(QStringLiteral("beta"));
    addItem(QStringLiteral("Alpha"));
    addItem(QStringLiteral("Zed"));
    addItem(QStringLiteral("BOARD"), 1, QString(), QStringLiteral("Art"));
    addItem(QStringLiteral("GONE"), 1, QString(), QStringLiteral("aardvark"));
    db().exec(QStringLiteral("UPDATE items SET isAvailable = 0 WHERE ItemName = 'GONE'"));
    addBooking(QStringLiteral("Alpha"), QDate(2026, 3, 4), QStringLiteral("2"), QStringLiteral("BOB"), QStringLiteral("maths"));

    EXPECT_FALSE(win->ColourNowTimer->isActive());
    win->InitMainWindow();
    EXPECT_TRUE(win->ColourNowTimer->isActive());
    win->InitMainWindow();
    EXPECT_TRUE(win->ColourNowTimer->isActive());

    // Categories of every item (unavailable ones included), case-insensitive order.
    ASSERT_EQ(win->DisplayCatergory->count(), 3);
    EXPECT_EQ(win->DisplayCatergory->itemText(0), QStringLiteral("aardvark"));
    EXPECT_EQ(win->DisplayCatergory->itemText(1), QStringLiteral("Art"));
    EXPECT_EQ(win->DisplayCatergory->currentText(), QStringLiteral("aardvark"));
    // The first category has no available item: the list stays empty.
    EXPECT_EQ(win->DBitemlist->count(), 0);
    EXPECT_EQ(win->SelectedItem(), QString());

    win->DisplayCatergory->setCurrentIndex(2);
    win->DisplayCatergoryClick();
    QStringList names;
    for (int i = 0; i < win->DBitemlist->count(); ++i)
        names << win->DBitemlist->item(i)->text();
    EXPECT_EQ(names, (QStringList{"Alpha", "beta", "PROJECTOR", "Zed"}));
    EXPECT_EQ(win->SelectedItem(), QStringLiteral("Alpha"));
    EXPECT_EQ(cell(3, 2), QStringLiteral("BOB\rmaths"));

    EXPECT_EQ(win->SelectDate->selectedDate(), QDate(2026, 3, 4));
    EXPECT_EQ(win->ShownMonday(), monday);
    EXPECT_EQ(win->mondayof->text(), FormatShortDate(monday));
}

TEST_F(MainSheet, InitPutsTheCurrentCellOnTodayAndThePeriodThatHasStarted)
{
    addBooking(QStringLiteral("PROJECTOR"), QDate(2026, 3, 4), QStringLiteral("2"), QStringLiteral("BOB"), QStringLiteral("maths"));
    win->InitMainWindow();
    EXPECT_EQ(win->Sheet->col(), 3);
    EXPECT_EQ(win->Sheet->row(), 2);   // 09:30: period 2 began at 09:00
    EXPECT_EQ(win->Sheet->selection(), (GridRect{3, 2, 3, 2}));
    EXPECT_EQ(win->bookedby->text(), QStringLiteral("Booked by: BOB Full"));
    EXPECT_EQ(win->desclabel->Strings(), QStringList{QStringLiteral("The hall projector")});
}

TEST_F(MainSheet, RefreshShowsTheWeeksBookingsOfTheSelectedItem)
{
    const QString item = QStringLiteral("PROJECTOR");
    addItem(QStringLiteral("SCREEN"));
    addBooking(item, monday, QStringLiteral("1"), QStringLiteral("BOB"), QStringLiteral("short"));
    addBooking(item, monday.addDays(4), QStringLiteral("6"), QStringLiteral("ANN"), QStringLiteral("a very long reason indeed"));
    addBooking(QStringLiteral("projector"), monday.addDays(6), QStringLiteral("3"), QStringLiteral("CY"), QStringLiteral("twelve chars"));
    addBooking(QStringLiteral("SCREEN"), monday, QStringLiteral("2"), QStringLiteral("BOB"));
    addBooking(item, monday.addDays(7), QStringLiteral("1"), QStringLiteral("BOB"));
    addBooking(item, monday.addDays(-1), QStringLiteral("1"), QStringLiteral("BOB"));
    addBooking(item, monday.addDays(1), QStringLiteral("GONE"), QStringLiteral("BOB"));
    win->InitMainWindow();

    EXPECT_EQ(cell(1, 1), QStringLiteral("BOB\rshort"));
    EXPECT_EQ(cell(5, 6), QStringLiteral("ANN\ra very long "));
    EXPECT_EQ(cell(7, 3), QStringLiteral("CY\rtwelve chars"));
    EXPECT_EQ(win->Sheet->GetCellFont(1, 1).pointSize(), 8);
    int filled = 0;
    for (int c = 1; c <= 7; ++c)
        for (int r = 1; r <= 6; ++r)
            filled += cell(c, r).isEmpty() ? 0 : 1;
    EXPECT_EQ(filled, 3);

    // A booking made by another client shows after the next refresh; one
    // deleted there is gone.
    second().ADOConnection.exec(QStringLiteral("DELETE FROM bookings WHERE BookedBy = 'ANN'"));
    addBooking(item, monday.addDays(1), QStringLiteral("4"), QStringLiteral("DEE"), QStringLiteral("new"));
    win->RefreshSheet();
    EXPECT_EQ(cell(2, 4), QStringLiteral("DEE\rnew"));
    EXPECT_EQ(cell(5, 6), QString());
}

TEST_F(MainSheet, ItemsWhoseNamesLookLikeSqlShowTheirBookings)
{
    for (const QString& name : {QStringLiteral("DATE"), QStringLiteral("A\"B"), QStringLiteral("O'BRIEN")}) {
        addItem(name);
        addBooking(name, monday.addDays(1), QStringLiteral("3"), QStringLiteral("BOB"), name);
    }
    win->InitMainWindow();
    for (int i = 0; i < win->DBitemlist->count(); ++i) {
        const QString name = win->DBitemlist->item(i)->text();
        if (name == QStringLiteral("PROJECTOR"))
            continue;
        win->DBitemlist->setCurrentRow(i);   // runs DBItemListClick
        EXPECT_EQ(cell(2, 3), QStringLiteral("BOB\r") + name) << name.toStdString();
    }
}

TEST_F(MainSheet, BookingsOutsideTheSheetsRowsAreNotWrittenIntoHeaders)
{
    db().exec(QStringLiteral("INSERT INTO periods (period, \"order\", StartTime) VALUES ('ZERO', 0, '07:00:00')"));
    db().exec(QStringLiteral("INSERT INTO periods (period, \"order\", StartTime) VALUES ('HIGH', 14, '18:00:00')"));
    addBooking(QStringLiteral("PROJECTOR"), monday, QStringLiteral("ZERO"), QStringLiteral("BOB"));
    addBooking(QStringLiteral("PROJECTOR"), monday, QStringLiteral("HIGH"), QStringLiteral("BOB"));
    win->InitMainWindow();
    // Order 0 has no row of its own: the day header stays.
    EXPECT_EQ(cell(1, 0), QStringLiteral("MON"));
    // Order 14 makes the sheet 15 rows high; its header stays empty (only
    // orders up to 12 are named on the sheet) and its booking shows there.
    ASSERT_EQ(win->Sheet->rowCount(), 15);
    EXPECT_EQ(cell(0, 14), QString());
    EXPECT_EQ(cell(1, 14), QStringLiteral("BOB\rlesson"));
    for (int r = 1; r < 14; ++r)
        EXPECT_EQ(cell(1, r), QString()) << r;
}

TEST_F(MainSheet, ColourNowMarksTodayAndTheCurrentPeriodOnlyInTheCurrentWeek)
{
    win->InitMainWindow();
    auto reds = [this] {
        QStringList out;
        for (int c = 1; c <= 7; ++c)
            if (win->Sheet->GetCellColor(c, 0) == Red)
                out << cell(c, 0);
        for (int r = 1; r <= 12; ++r)
            if (win->Sheet->GetCellColor(0, r) == Red)
                out << QStringLiteral("row %1").arg(r);
        return out;
    };
    EXPECT_EQ(reds(), (QStringList{"WED", "row 2"}));
    EXPECT_EQ(win->Sheet->GetCellColor(1, 0), Fixed);

    // Another week: nothing red, and back again.
    win->SelectDate->setSelectedDate(QDate(2026, 3, 12));
    EXPECT_EQ(win->ShownMonday(), QDate(2026, 3, 9));
    EXPECT_TRUE(reds().isEmpty());
    win->SelectDate->setSelectedDate(QDate(2026, 3, 3));
    EXPECT_EQ(reds(), (QStringList{"WED", "row 2"}));

    // Before the first period began, the first period's row; a Saturday.
    Clock::freeze(QDateTime(QDate(2026, 3, 7), QTime(7, 0)));
    win->ColourNowTimerTimer();
    EXPECT_EQ(reds(), (QStringList{"SAT", "row 1"}));
    // Late in the day: the last period that has started.
    Clock::freeze(QDateTime(QDate(2026, 3, 7), QTime(23, 0)));
    win->ColourNowTimerTimer();
    EXPECT_EQ(reds(), (QStringList{"SAT", "row 6"}));
}

TEST_F(MainSheet, ShowCellInfoDescribesTheTopLeftCellOfTheSelection)
{
    db().exec(QStringLiteral("INSERT INTO bookings (ItemBooked, Date, Period, BookedBy, forReason, BookedOnDate, "
                             "BookedOnTime, isPermanent, AuthCode) VALUES ('PROJECTOR', '2026-03-05', '4', 'BOB', "
                             "'chemistry practical', '2026-02-20', '13:05:07', 1, 'x')"));
    const int index = count(QStringLiteral("SELECT max(\"Index\") FROM bookings"));
    addBooking(QStringLiteral("PROJECTOR"), QDate(2026, 3, 6), QStringLiteral("4"), QStringLiteral("NOBODY"));
    win->InitMainWindow();

    select(4, 4, 5, 5);
    win->SheetClick();
    EXPECT_EQ(win->bookedby->text(), QStringLiteral("Booked by: BOB Full"));
    EXPECT_EQ(win->Bookingindex->text(), QStringLiteral("Index: %1").arg(index));
    EXPECT_EQ(win->forreason->text(), QStringLiteral("For Reason: chemistry practical"));
    EXPECT_EQ(win->bookedon->text(), QStringLiteral("Booked On: ") + FormatShortDate(QDate(2026, 2, 20)) + " "
                                         + FormatLongTime(QTime(13, 5, 7)));
    EXPECT_EQ(win->infopermanent->text(), QStringLiteral("Booking Type: Permanent"));

    select(5, 4, 5, 4);   // a user nobody knows
    win->SheetClick();
    EXPECT_EQ(win->bookedby->text(), QStringLiteral("Booked by: "));
    EXPECT_EQ(win->infopermanent->text(), QStringLiteral("Booking Type: Normal"));

    select(2, 1, 2, 1);
    win->SheetClick();
    EXPECT_EQ(win->bookedby->text(), QStringLiteral("No booking made"));
    EXPECT_EQ(win->bookedby->palette().color(QPalette::WindowText), QColor(251, 245, 179));
    EXPECT_EQ(win->Bookingindex->text(), QString());
    EXPECT_EQ(win->infopermanent->text(), QString());

    // No item at all: the red notice, and the booking type keeps its text.
    win->infopermanent->setText(QStringLiteral("kept"));
    win->DBitemlist->clear();
    win->ShowCellInfo();
    EXPECT_EQ(win->bookedby->text(), QStringLiteral("No Items in Database, Add Some Items"));
    EXPECT_EQ(win->bookedby->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(win->infopermanent->text(), QStringLiteral("kept"));
}

TEST_F(MainSheet, AnotherDayOfTheShownWeekDoesNotReReadAnotherWeekDoes)
{
    win->InitMainWindow();
    addBooking(QStringLiteral("PROJECTOR"), monday.addDays(3), QStringLiteral("5"), QStringLiteral("BOB"), QStringLiteral("late"));
    win->SelectDate->setSelectedDate(QDate(2026, 3, 8));   // Sunday of the same week
    EXPECT_EQ(cell(4, 5), QString());
    EXPECT_EQ(win->mondayof->text(), FormatShortDate(monday));

    addBooking(QStringLiteral("PROJECTOR"), QDate(2026, 2, 24), QStringLiteral("1"), QStringLiteral("BOB"), QStringLiteral("past"));
    win->SelectDate->setSelectedDate(QDate(2026, 2, 26));
    EXPECT_EQ(win->ShownMonday(), QDate(2026, 2, 23));
    EXPECT_EQ(win->mondayof->text(), FormatShortDate(QDate(2026, 2, 23)));
    EXPECT_EQ(cell(2, 1), QStringLiteral("BOB\rpast"));
    EXPECT_EQ(cell(4, 5), QString());
}

TEST_F(MainSheet, ACategoryWithoutAvailableItemsLeavesTheSheetAsItWas)
{
    addItem(QStringLiteral("HIDDEN"), 1, QString(), QStringLiteral("Art"));
    db().exec(QStringLiteral("UPDATE items SET isAvailable = 0 WHERE ItemName = 'HIDDEN'"));
    addBooking(QStringLiteral("PROJECTOR"), monday, QStringLiteral("1"), QStringLiteral("BOB"), QStringLiteral("kept"));
    win->InitMainWindow();
    ASSERT_EQ(win->DisplayCatergory->currentText(), QStringLiteral("Art"));
    win->DisplayCatergory->setCurrentIndex(1);
    win->DisplayCatergoryClick();
    EXPECT_EQ(win->SelectedItem(), QStringLiteral("PROJECTOR"));
    EXPECT_EQ(cell(1, 1), QStringLiteral("BOB\rkept"));

    win->DisplayCatergory->setCurrentIndex(0);
    win->DisplayCatergoryClick();
    EXPECT_EQ(win->DBitemlist->count(), 0);
    EXPECT_EQ(cell(1, 1), QStringLiteral("BOB\rkept"));
}

TEST_F(MainSheet, ResizeReLaysOutAndReColoursWithoutReReading)
{
    win->InitMainWindow();
    addBooking(QStringLiteral("PROJECTOR"), monday, QStringLiteral("1"), QStringLiteral("BOB"));
    win->Sheet->SetCellColor(3, 0, Fixed);
    const int width = win->Sheet->width();
    win->resize(1100, 760);
    EXPECT_GT(win->Sheet->width(), width);
    EXPECT_EQ(win->Sheet->defaultColWidth(), int(RoundHalfEven(win->Sheet->width() / 8.5)));
    EXPECT_EQ(win->Sheet->GetCellColor(3, 0), Red);
    EXPECT_EQ(cell(1, 1), QString());
    // The sheet is anchored on all sides, the information line under it.
    EXPECT_EQ(win->InfoPanel->geometry().top() > win->Shape2->geometry().bottom(), true);
    EXPECT_EQ(win->Shape2->geometry().right(), win->centralWidget()->width() - 9);
}

TEST_F(MainSheet, WindowCarriesTheControlsTimersAndLookOfTheClient)
{
    EXPECT_EQ(win->windowTitle(), QStringLiteral("Tavrell Lite"));
    for (const char* name : {"Label1", "DisplayCatergory", "Label2", "DBitemlist", "desclabel", "Label3",
                             "mondayof", "Shape1", "SelectDate", "Shape2", "Sheet", "InfoPanel", "bookedby",
                             "forreason", "bookedon", "Bookingindex", "infopermanent", "ToolBar1"})
        EXPECT_NE(win->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(win->Label1->text(), QStringLiteral("Choose Category:"));
    EXPECT_EQ(win->Label3->text(), QStringLiteral("Week beginning:"));
    EXPECT_EQ(win->InfoPanel->title(), QStringLiteral("Enter Information"));
    EXPECT_EQ(win->DBitemlist->width(), 217);
    EXPECT_EQ(win->DBitemlist->height(), 217);
    EXPECT_EQ(win->centralWidget()->size(), QSize(855, 584));
    EXPECT_EQ(win->palette().color(QPalette::Window), QColor(0, 74, 149));
    EXPECT_EQ(win->palette().color(QPalette::WindowText), QColor(251, 245, 179));
    EXPECT_TRUE(win->font().bold());
    EXPECT_EQ(win->font().pixelSize(), 16);
    EXPECT_EQ(win->Sheet->FixedColor(), Fixed);
    EXPECT_EQ(win->Sheet->fixedCols(), 1);
    EXPECT_EQ(win->Sheet->fixedRows(), 1);

    // Timers: made stopped (the utilities never start them), with their intervals.
    EXPECT_FALSE(win->ForceShutdownWatchDog->isActive());
    EXPECT_FALSE(win->ShutDownTimer->isActive());
    EXPECT_FALSE(win->ColourNowTimer->isActive());
    EXPECT_EQ(win->ForceShutdownWatchDog->interval(), 5000);
    EXPECT_EQ(win->ShutDownTimer->interval(), 10000);
    EXPECT_EQ(win->ColourNowTimer->interval(), 60000);
}

TEST_F(MainSheet, WindowStartsCentredAndLeavesNoDataModuleBehind)
{
    SetDM(dm.get());
    auto other = std::make_unique<Tmainfrm>();
    const QRect area = other->screen()->availableGeometry();
    // Centred where it fits; wider or taller than the screen, its top-left
    // corner stays on it (the caption and menu can still be reached).
    const QRect g = other->geometry();
    if (g.width() <= area.width())
        EXPECT_LE(std::abs(g.center().x() - area.center().x()), 1);
    else
        EXPECT_EQ(g.left(), area.left());
    if (g.height() <= area.height())
        EXPECT_LE(std::abs(g.center().y() - area.center().y()), 1);
    else
        EXPECT_EQ(g.top(), area.top());

    // A window whose data module the routines use takes it along when it goes.
    SetDM(&other->data);
    other.reset();
    EXPECT_FALSE(HasDM());
}

} // namespace

namespace {

// Renders the window with a few bookings to a picture when asked for
// (TAVRELL_MAIN_SNAPSHOT names the file), for looking at the layout.
TEST_F(MainSheet, SnapshotWhenAskedFor)
{
    const QString file = qEnvironmentVariable("TAVRELL_MAIN_SNAPSHOT");
    if (file.isEmpty())
        GTEST_SKIP();
    addItem(QStringLiteral("LAPTOP TROLLEY"));
    addBooking(QStringLiteral("LAPTOP TROLLEY"), monday, QStringLiteral("1"), QStringLiteral("BOB"), QStringLiteral("assembly practice"));
    addBooking(QStringLiteral("LAPTOP TROLLEY"), monday.addDays(3), QStringLiteral("4"), QStringLiteral("ANN"), QStringLiteral("film"));
    win->InitMainWindow();
    win->Sheet->setSelection({4, 4, 5, 5});
    win->ShowCellInfo();
    ASSERT_TRUE(win->grab().save(file));
}

} // namespace

namespace {

// A left click with the mouse on row `row` of the item list.
void clickItemRow(QListWidget* list, int row)
{
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

} // namespace

TEST_F(MainSheet, ClickingTheSelectedItemAgainShowsWhatOthersBookedMeanwhile)
{
    const QString item = QStringLiteral("PROJECTOR");
    addItem(QStringLiteral("SCREEN"));
    win->InitMainWindow();
    QListWidget* list = win->DBitemlist;
    ASSERT_EQ(win->SelectedItem(), item);
    EXPECT_EQ(cell(2, 4), QString());

    // Another client books; a click on the item that is already selected
    // re-reads the week.
    addBooking(item, monday.addDays(1), QStringLiteral("4"), QStringLiteral("DEE"), QStringLiteral("other"));
    clickItemRow(list, list->currentRow());
    EXPECT_EQ(win->SelectedItem(), item);
    EXPECT_EQ(cell(2, 4), QStringLiteral("DEE\rother"));

    // And a deletion there disappears at the next click.
    second().ADOConnection.exec(QStringLiteral("DELETE FROM bookings WHERE BookedBy = 'DEE'"));
    clickItemRow(list, list->currentRow());
    EXPECT_EQ(cell(2, 4), QString());

    // A click on another item shows that item's week.
    addBooking(QStringLiteral("SCREEN"), monday, QStringLiteral("2"), QStringLiteral("EVE"), QStringLiteral("screen"));
    const int screen = list->row(list->findItems(QStringLiteral("SCREEN"), Qt::MatchExactly).value(0));
    clickItemRow(list, screen);
    EXPECT_EQ(win->SelectedItem(), QStringLiteral("SCREEN"));
    EXPECT_EQ(cell(1, 2), QStringLiteral("EVE\rscreen"));
}


TEST_F(MainSheet, TheHeadersStayFixedWhenTheWindowWasLaidOutBeforeTheDatabaseOpened)
{
    // As at start-up: the window is created, and sized, before its data
    // module has a connection; the sheet is laid out then with no periods.
    win.reset();
    win = std::make_unique<Tmainfrm>();
    SetDM(&win->data);
    win->show();
    win->resize(win->width() + 40, win->height() + 30);
    QCoreApplication::processEvents();
    win->data.connectTo(path);
    win->data.openTables();
    addBooking(QStringLiteral("PROJECTOR"), monday, QStringLiteral("1"), QStringLiteral("DEE"), QStringLiteral("first"));
    addBooking(QStringLiteral("PROJECTOR"), monday.addDays(1), QStringLiteral("1"), QStringLiteral("DEE"), QStringLiteral("second"));
    win->InitMainWindow();

    TCoolStringGrid* sheet = win->Sheet;
    EXPECT_EQ(sheet->fixedRows(), 1);
    EXPECT_EQ(sheet->fixedCols(), 1);

    // A press on a day header is no click on a cell: the current cell stays.
    QWidget* vp = sheet->viewport();
    QTest::mouseClick(vp, Qt::LeftButton, Qt::NoModifier, sheet->cellRect(1, 1).center());
    ASSERT_EQ(sheet->selection(), (GridRect{1, 1, 1, 1}));
    QTest::mouseClick(vp, Qt::LeftButton, Qt::NoModifier, sheet->cellRect(2, 0).center());
    EXPECT_EQ(sheet->selection(), (GridRect{1, 1, 1, 1}));
    EXPECT_EQ(win->bookedby->text(), QStringLiteral("Booked by: "));   // DEE has no account

    // A drag from a cell up over the headers selects cells only, and the
    // information line describes the selection's top-left cell.
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, sheet->cellRect(2, 2).center());
    for (const QPoint& p : {sheet->cellRect(2, 0).center(), sheet->cellRect(1, 0).center()}) {
        QMouseEvent move(QEvent::MouseMove, p, vp->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &move);
    }
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, sheet->cellRect(1, 0).center());
    EXPECT_EQ(sheet->selection(), (GridRect{1, 1, 2, 2}));
    EXPECT_EQ(win->bookedby->text(), QStringLiteral("Booked by: "));
    EXPECT_EQ(win->forreason->text(), QStringLiteral("For Reason: first"));
}

TEST_F(MainSheet, AnItemDeletedElsewhereShowsNoDescriptionAndNoBookings)
{
    addItem(QStringLiteral("SCREEN"));
    setDescription(QStringLiteral("SCREEN"), QStringLiteral("The pull-down screen"));
    addBooking(QStringLiteral("PROJECTOR"), monday, QStringLiteral("1"), QStringLiteral("BOB"), QStringLiteral("x"));
    win->InitMainWindow();
    ASSERT_EQ(win->SelectedItem(), QStringLiteral("PROJECTOR"));
    EXPECT_EQ(win->desclabel->Strings(), QStringList{QStringLiteral("The hall projector")});
    EXPECT_EQ(cell(1, 1), QStringLiteral("BOB\rx"));

    // Another client deletes the selected item (its bookings stay behind).
    second().ADOConnection.exec(QStringLiteral("DELETE FROM items WHERE ItemName = 'PROJECTOR'"));
    win->RefreshSheet();
    EXPECT_TRUE(win->desclabel->Strings().isEmpty());
    EXPECT_EQ(cell(1, 1), QString());
    EXPECT_EQ(cell(0, 1), QStringLiteral("1"));   // the sheet is still laid out
}

TEST_F(MainSheet, StoredTextsShowAsTheyAreNeverAsMarkup)
{
    db().exec(QStringLiteral("INSERT INTO bookings (ItemBooked, Date, Period, BookedBy, forReason, BookedOnDate, "
                             "BookedOnTime, isPermanent, AuthCode) VALUES ('PROJECTOR', '2026-03-05', '4', 'BOB', "
                             "'<h1>Exam</h1>', '2026-02-20', '13:05:07', 0, 'x')"));
    db().exec(QStringLiteral("UPDATE Users SET FullName = '<i>Bob</i>' WHERE username = 'BOB'"));
    win->InitMainWindow();
    select(4, 4, 4, 4);
    win->SheetClick();
    EXPECT_EQ(win->forreason->text(), QStringLiteral("For Reason: <h1>Exam</h1>"));
    for (QLabel* l : win->findChildren<QLabel*>())
        EXPECT_EQ(l->textFormat(), Qt::PlainText) << l->objectName().toStdString();
    // Drawn as plain text the reason is a single line of label height.
    EXPECT_LE(win->forreason->sizeHint().height(), 20);
    EXPECT_EQ(win->bookedby->text(), QStringLiteral("Booked by: <i>Bob</i>"));
}

TEST_F(MainSheet, HeadersAreDrawnInTheirFontsColourAndWrapLikeAnyCell)
{
    win->InitMainWindow();
    win->Sheet->viewport()->repaint();
    const QImage img = win->Sheet->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // The brightest ink of a header is the window's text colour.
    auto brightest = [&img](const QRect& r) {
        QRgb best = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (qRed(img.pixel(x, y)) + qGreen(img.pixel(x, y)) > qRed(best) + qGreen(best))
                    best = img.pixel(x, y);
        return best;
    };
    EXPECT_EQ(brightest(win->Sheet->cellRect(1, 0)), qRgb(251, 245, 179));
    EXPECT_EQ(brightest(win->Sheet->cellRect(0, 3)), qRgb(251, 245, 179));
    EXPECT_EQ(win->Sheet->GetCellFont(4, 0).Color, TColor(11793915));
    // A header too wide for its column wraps, as any cell of the sheet does.
    win->Sheet->setColWidth(0, 40);
    win->Sheet->viewport()->repaint();
    const QImage narrow = win->Sheet->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(gridtest::inkBands(narrow, win->Sheet->cellRect(0, 0)), 2);
    EXPECT_FALSE(win->Sheet->onDrawCell);
}

TEST_F(MainSheet, AtTheDefaultSizeABookedWeekShowsAllTwelvePeriods)
{
    // Twelve periods, the last with a short name, and a two-line booking in
    // every cell of the week; some reasons of twelve characters run wider
    // than the column (wide letters, a blank to wrap at), and Sunday's user
    // has a ten-letter name.
    addPeriodsUpToTwelve();
    addUser({QStringLiteral("MWMWMWMWMW"), 10});
    const QStringList reasons{QStringLiteral("Year 9 science"), QStringLiteral("Form 3 maths"),
                              QStringLiteral("Mock exam wk"), QStringLiteral("MOCK EXAM W2")};
    for (int d = 0; d < 7; ++d)
        for (int p = 1; p <= 12; ++p)
            addBooking(QStringLiteral("PROJECTOR"), monday.addDays(d), periodName(p),
                       d == 6 ? QStringLiteral("MWMWMWMWMW") : QStringLiteral("ADMIN"), reasons[(d + p) % reasons.size()]);
    win->InitMainWindow();
    QApplication::processEvents();
    win->Sheet->viewport()->repaint();
    ASSERT_EQ(win->Sheet->rowCount(), 13);
    EXPECT_EQ(cell(6, 12), QStringLiteral("ADMIN\rForm 3 maths"));
    EXPECT_EQ(cell(6, 10), QStringLiteral("ADMIN\rMOCK EXAM W2"));
    EXPECT_EQ(cell(6, 11), QStringLiteral("ADMIN\rYear 9 scien"));
    const QImage img = win->Sheet->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int r = 1; r <= 12; ++r) {
        // No cell wraps into a third line, so no row grows past the sheet.
        EXPECT_EQ(win->Sheet->rowHeight(r), win->Sheet->defaultRowHeight()) << "row " << r;
        const QRect header = win->Sheet->cellRect(0, r);
        ASSERT_FALSE(header.isEmpty()) << "row " << r << " is out of sight";
        EXPECT_LE(header.bottom(), win->Sheet->viewport()->height() - 1) << r;
        EXPECT_FALSE(gridtest::inkBox(img, header).isEmpty()) << r;
        // A booked cell shows its two lines, no more.
        for (int c = 1; c <= 7; ++c)
            EXPECT_EQ(gridtest::inkBands(img, win->Sheet->cellRect(c, r)), 2) << c << "," << r;
    }
    for (int c = 1; c <= 7; ++c)
        EXPECT_EQ(win->Sheet->colWidth(c), win->Sheet->defaultColWidth()) << "column " << c;
}

TEST_F(MainSheet, TheCalendarKeepsItsSizeAtTheBottomLeft)
{
    win->InitMainWindow();
    EXPECT_EQ(win->Shape1->geometry(), QRect(8, 356, 217, 224));
    win->resize(1100, 800);
    QApplication::processEvents();
    const int h = win->centralWidget()->height();
    EXPECT_EQ(win->Shape1->size(), QSize(217, 224));
    EXPECT_EQ(win->Shape1->geometry().bottom(), h - 5);
    EXPECT_EQ(win->Shape1->x(), 8);
    // The month's button has room for the longest name and its arrow.
    auto* month = win->SelectDate->findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
    ASSERT_NE(month, nullptr);
    month->setText(QStringLiteral("September"));
    EXPECT_GE(month->sizeHint().width(), QFontMetrics(month->font()).horizontalAdvance(month->text()) + 14);
}
