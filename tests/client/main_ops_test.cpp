// Booking and cancelling a selection of the sheet, the menu and toolbar
// entries with their rights gates, and input blocked while a run goes on.
#include "MainFixture.h"

#include "DbError.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace {

class MainOps : public MainFixture {
protected:
    void SetUp() override
    {
        MainFixture::SetUp();
        if (HasFailure())
            return;
        addItem(QStringLiteral("PROJECTOR"));
        addItem(QStringLiteral("SCREEN"));
        win->InitMainWindow();
    }
    int bookings(const QString& where = QStringLiteral("1"))
    {
        return count(QStringLiteral("SELECT count(*) FROM bookings WHERE ") + where);
    }
    const QDate monday{2026, 3, 2};
};

TEST_F(MainOps, BookingASelectionWalksColumnByColumnAndReports)
{
    ui->answer([](QDialog& d) {
        EXPECT_EQ(d.findChild<QLabel*>(QStringLiteral("questionLabel"))->text(),
                  QStringLiteral("Enter a valid reason for booking:"));
        d.findChild<QLineEdit*>(QStringLiteral("question"))->setText(QStringLiteral("<b>physics</b>"));
        return mrOk;
    });
    select(4, 2, 5, 3);   // Thursday and Friday, periods 2 and 3
    win->ToolButton1->click();

    EXPECT_TRUE(ui->alerts.isEmpty());
    QSqlQuery q = db().prepare(QStringLiteral(
        "SELECT Date, Period, BookedBy, forReason, isPermanent FROM bookings ORDER BY \"Index\""));
    ASSERT_TRUE(q.exec());
    QStringList rows;
    while (q.next())
        rows << q.value(0).toString().left(10) + " " + q.value(1).toString() + " " + q.value(2).toString() + " "
                    + q.value(3).toString() + " " + q.value(4).toString();
    EXPECT_EQ(rows, (QStringList{"2026-03-05 2 BOB <b>physics</b> 0", "2026-03-05 3 BOB <b>physics</b> 0",
                                 "2026-03-06 2 BOB <b>physics</b> 0", "2026-03-06 3 BOB <b>physics</b> 0"}));
    EXPECT_EQ(cell(4, 2), QStringLiteral("BOB\r<b>physics</"));
    EXPECT_EQ(cell(5, 3), QStringLiteral("BOB\r<b>physics</"));

    const QString report = reportText();
    EXPECT_TRUE(report.contains(QStringLiteral("<h1>Booking Report</h1><p>BOB</p>")));
    EXPECT_TRUE(report.contains(QStringLiteral("*** Item: PROJECTOR ***<br>\n*** To be booked by: BOB ***<br>\n"
                                               "*** For Reason: &lt;b&gt;physics&lt;/b&gt; ***<br>\n<br>\n")));
    EXPECT_TRUE(report.endsWith(QStringLiteral("<p>end of report</p></body></html>\n")));
    EXPECT_FALSE(StatusForm()->isVisible());
    EXPECT_FALSE(win->RunActive());
}

TEST_F(MainOps, AnEmptyReasonBooksNothingAndLeavesTheReportAlone)
{
    writeFile(QStringLiteral("reports/BOB.htm"), "earlier report");
    select(4, 2, 4, 2);
    answerText(QString());
    win->BookSelection();
    ui->answer(mrCancel);
    win->BookSelection();
    EXPECT_EQ(ui->alerts, QStringList(2, QStringLiteral(
        "You must provide a reason for the booking, otherwise the system cannot book an item")));
    EXPECT_EQ(bookings(), 0);
    EXPECT_EQ(reportText(), QStringLiteral("earlier report"));
}

TEST_F(MainOps, TakingOverIsReportedAndAHigherRankedBookingFails)
{
    addUser({QStringLiteral("LOW"), 5});
    addUser({QStringLiteral("HIGH"), 50});
    db().exec(QStringLiteral("UPDATE Users SET canModifyBookings = 1 WHERE username = 'BOB'"));
    addBooking(QStringLiteral("PROJECTOR"), monday.addDays(3), QStringLiteral("2"), QStringLiteral("LOW"), QStringLiteral("low's"));
    win->RefreshSheet();

    select(4, 2, 4, 2);
    answerText(QStringLiteral("mine"));
    win->BookSelection();
    EXPECT_TRUE(ui->alerts.isEmpty());
    EXPECT_EQ(bookings(QStringLiteral("BookedBy = 'BOB'")), 1);
    EXPECT_TRUE(reportText().contains(QStringLiteral("(1) Booking overwrote an existing booking")));
    EXPECT_TRUE(reportText().contains(QStringLiteral("Existing: LOW-low's")));

    addBooking(QStringLiteral("PROJECTOR"), monday.addDays(3), QStringLiteral("3"), QStringLiteral("HIGH"), QStringLiteral("high's"));
    select(4, 3, 4, 4);
    answerText(QStringLiteral("mine too"));
    win->BookSelection();
    EXPECT_EQ(ui->alerts, QStringList{QStringLiteral("Some or all of your bookings failed to be made")});
    EXPECT_TRUE(reportText().contains(QStringLiteral("(-3) Booking Failed. Not Enough Access to replace existing booking")));
    EXPECT_EQ(bookings(QStringLiteral("BookedBy = 'HIGH'")), 1);
    EXPECT_EQ(cell(4, 4), QStringLiteral("BOB\rmine too"));
    EXPECT_EQ(cell(4, 3), QStringLiteral("HIGH\rhigh's"));
}

TEST_F(MainOps, CancellingASelection)
{
    addUser({QStringLiteral("HIGH"), 50});
    addBooking(QStringLiteral("PROJECTOR"), monday.addDays(3), QStringLiteral("2"), QStringLiteral("BOB"));
    addBooking(QStringLiteral("PROJECTOR"), monday.addDays(3), QStringLiteral("3"), QStringLiteral("BOB"));
    addBooking(QStringLiteral("PROJECTOR"), monday.addDays(4), QStringLiteral("2"), QStringLiteral("HIGH"));
    win->RefreshSheet();

    select(4, 2, 4, 3);
    ui->answer(mrCancel);   // "No"
    win->CancelSelection();
    EXPECT_EQ(bookings(), 3);
    EXPECT_TRUE(ui->alerts.isEmpty());

    // A selection over an empty cell and a booking BOB may not change: his
    // own bookings go, the other stays, and the message shows.
    select(4, 2, 5, 4);
    ui->answer(mrOk);
    win->findChild<QToolButton*>(QStringLiteral("ToolButton3"))->click();
    EXPECT_EQ(ui->alerts, QStringList{QStringLiteral("Cannot cancel all bookings selected.")});
    EXPECT_EQ(bookings(), 1);
    EXPECT_EQ(bookings(QStringLiteral("BookedBy = 'HIGH'")), 1);
    EXPECT_EQ(cell(4, 2), QString());
    EXPECT_EQ(cell(5, 2), QStringLiteral("HIGH\rlesson"));
}

TEST_F(MainOps, WithoutAnItemNothingReachesTheEngine)
{
    int calls = 0;
    PlaceBookingAfterFindHook = [&] { ++calls; };
    win->DBitemlist->clear();
    select(4, 2, 4, 2);
    win->BookSelection();
    win->CancelSelection();
    EXPECT_EQ(ui->alerts, QStringList(2, QStringLiteral("No Items in Database, Add Some Items")));
    EXPECT_EQ(ui->shown.size(), 2);   // no reason prompt, no question
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(bookings(), 0);
}

TEST_F(MainOps, InputToTheWindowIsBlockedWhileARunGoesOn)
{
    ASSERT_EQ(win->SelectedItem(), QStringLiteral("PROJECTOR"));
    QListWidget* list = win->DBitemlist;
    const QRect second = list->visualItemRect(list->item(1));
    int cells = 0;
    PlaceBookingAfterFindHook = [&] {
        ++cells;
        EXPECT_TRUE(win->RunActive());
        // A click on another item and a press of "Book" arrive mid-run.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
        win->ToolButton1->click();
    };
    select(4, 2, 4, 3);
    answerText(QStringLiteral("blocked"));
    win->BookSelection();
    EXPECT_EQ(cells, 2);
    EXPECT_EQ(win->SelectedItem(), QStringLiteral("PROJECTOR"));
    EXPECT_EQ(bookings(QStringLiteral("ItemBooked = 'PROJECTOR'")), 2);
    EXPECT_EQ(bookings(QStringLiteral("ItemBooked = 'SCREEN'")), 0);
    EXPECT_FALSE(win->RunActive());

    // Afterwards the list takes clicks again.
    PlaceBookingAfterFindHook = nullptr;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(win->SelectedItem(), QStringLiteral("SCREEN"));
}

TEST_F(MainOps, AnErrorMidRunStillClosesTheProgressWindowAndTheReport)
{
    int cells = 0;
    // After the first cell the periods table goes away: the next cell's
    // look-up fails with a database error that travels up.
    PlaceBookingAfterFindHook = [&] {
        if (++cells == 1)
            win->data.ADOConnection.exec(QStringLiteral("ALTER TABLE periods RENAME TO periods_gone"));
    };
    select(4, 2, 4, 3);
    answerText(QStringLiteral("doomed"));
    EXPECT_THROW(win->BookSelection(), DbError);
    EXPECT_FALSE(StatusForm()->isVisible());
    EXPECT_FALSE(win->RunActive());
    EXPECT_TRUE(reportText().endsWith(QStringLiteral("<p>end of report</p></body></html>\n")));
    EXPECT_EQ(bookings(), 1);
}

TEST_F(MainOps, FlushIsGatedByTheRightReadAtEachUse)
{
    addBooking(QStringLiteral("PROJECTOR"), monday, QStringLiteral("1"), QStringLiteral("BOB"));
    addBooking(QStringLiteral("PROJECTOR"), QDate(2025, 1, 6), QStringLiteral("1"), QStringLiteral("ANN"));
    addBooking(QStringLiteral("SCREEN"), monday, QStringLiteral("1"), QStringLiteral("BOB"));
    win->RefreshSheet();

    win->FlushAllBookings1->trigger();   // no right: silent, nothing asked
    EXPECT_TRUE(ui->shown.isEmpty());
    EXPECT_EQ(bookings(), 3);

    second().ADOConnection.exec(QStringLiteral("UPDATE Users SET canFlushBookings = 1 WHERE username = 'BOB'"));
    ui->answer([](QDialog& d) {
        EXPECT_EQ(d.findChild<QLabel*>(QStringLiteral("question"))->text(),
                  QStringLiteral("Warning: This will permanently delete any bookings for this item. Do you want to continue?"));
        return mrCancel;
    });
    win->FlushAllBookings1->trigger();
    EXPECT_EQ(bookings(), 3);
    ui->answer(mrOk);
    win->FlushAllBookings1->trigger();
    EXPECT_EQ(bookings(), 1);
    EXPECT_EQ(bookings(QStringLiteral("ItemBooked = 'SCREEN'")), 1);
    EXPECT_EQ(cell(1, 1), QString());

    second().ADOConnection.exec(QStringLiteral("UPDATE Users SET canFlushBookings = 0 WHERE username = 'BOB'"));
    addBooking(QStringLiteral("PROJECTOR"), monday, QStringLiteral("2"), QStringLiteral("BOB"));
    const int shown = ui->shown.size();
    win->FlushAllBookings1->trigger();
    EXPECT_EQ(ui->shown.size(), shown);
    EXPECT_EQ(bookings(), 2);
}

TEST_F(MainOps, MenuAndToolbarCarryTheEntriesThatExist)
{
    QStringList menus;
    for (QAction* a : win->MainMenu1->actions())
        if (a->isVisible())
            menus << a->text();
    EXPECT_EQ(menus, (QStringList{"Item", "Find", "View", "User", "Administration"}));
    QStringList items;
    for (QAction* a : win->Bookings1->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->objectName() + "=" + a->text());
    EXPECT_EQ(items, (QStringList{"Bookitem1=Book Item", "MoveBooking1=&Move Booking",
                                  "AlterSelectedPeriods1=Alter Booking", "CancelSelectedPeriods1=Cancel Booking", "-",
                                  "CreateaPermanentBooking1=Create a Permanent Booking",
                                  "FlushAllBookings1=Flush All Bookings",
                                  "ReplicateCurrentSheetAcrossmanyfutureweeks1=Replicate Booking Sheet",
                                  "CancelBookinswithCriteria1=Cancel Bookings with Criteria", "-",
                                  "Printselectedsheet1=Print selected sheet",
                                  "Printmybookings1=Print a list of bookings by a user", "-",
                                  "ExitSystem1=Exit System"}));
    EXPECT_EQ(win->Find1->actions(), QList<QAction*>{win->Findwhenselecteditemisspare1});
    EXPECT_EQ(win->Findwhenselecteditemisspare1->text(), QStringLiteral("Find Vacancy"));
    QStringList tools;
    for (QAction* a : win->ToolBar1->actions())
        tools << (a->isSeparator() ? QStringLiteral("-") : win->ToolBar1->widgetForAction(a)->objectName() + "=" + a->text());
    EXPECT_EQ(tools, (QStringList{"ToolButton1=Book", "ToolButton2=Change", "ToolButton7=Move", "ToolButton3=Cancel", "-",
                                  "ToolButton5=Find Spare", "ToolButton6=My Bookings"}));
    EXPECT_EQ(win->ChangePassword1->text(), QStringLiteral("Change Password"));
    EXPECT_EQ(win->Maintanence1->text(), QStringLiteral("Run Maintanence"));
    EXPECT_EQ(win->ToolButton1->text(), QStringLiteral("Book"));
    EXPECT_EQ(win->ToolButton3->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(win->ToolButton6->text(), QStringLiteral("My Bookings"));
    EXPECT_EQ(win->ToolBar1->iconSize(), QSize(32, 32));

    win->Maintanence1->trigger();
    EXPECT_EQ(ui->alerts, QStringList{QStringLiteral(
        "Maintenance is now run by an external program. Run QVKMAINT.EXE from the command prompt")});

    // The help entries appear once the start-up hands over its dialogs.
    int about = 0, help = 0;
    win->SetHelpDialogs([&] { ++help; }, [&] { ++about; });
    EXPECT_TRUE(win->Help1->menuAction()->isVisible());
    win->AboutTavrell1->trigger();
    win->CommandLineOptions1->trigger();
    EXPECT_EQ(about, 1);
    EXPECT_EQ(help, 1);
}

TEST_F(MainOps, ChangePasswordOpensTheDialogForTheLoggedOnUser)
{
    ui->answer([](QDialog& d) {
        EXPECT_EQ(d.findChild<QLineEdit*>(QStringLiteral("username"))->text(), QStringLiteral("BOB"));
        return mrCancel;
    });
    win->ChangePassword1->trigger();
    EXPECT_EQ(ui->shown.size(), 1);
}

} // namespace

TEST_F(MainOps, TheReasonPromptTakesNoMoreThanTheFileHolds)
{
    int maxLength = 0;
    ui->answer([&](QDialog& d) {
        auto* edit = d.findChild<QLineEdit*>(QStringLiteral("question"));
        maxLength = edit->maxLength();
        QTest::keyClicks(edit, QString(170, QLatin1Char('r')));
        return mrOk;
    });
    select(4, 2, 5, 2);
    win->ToolButton1->click();
    EXPECT_EQ(maxLength, 150);
    EXPECT_TRUE(ui->alerts.isEmpty());
    EXPECT_EQ(bookings(QStringLiteral("length(forReason) = 150")), 2);
    // The prompt is shared: the next use without a limit takes any length.
    bool accepted = false;
    ui->answer([](QDialog& d) {
        EXPECT_EQ(d.findChild<QLineEdit*>(QStringLiteral("question"))->maxLength(), 32767);
        return mrOk;
    });
    InputText(QStringLiteral("Other:"), QString(200, QLatin1Char('d')), &accepted);
    EXPECT_TRUE(accepted);
}

TEST_F(MainOps, TheMenuBarIsDrawnInThePlatformsMenuColours)
{
    QMenuBar* bar = win->MainMenu1;
    const QPalette app = QApplication::palette();
    EXPECT_EQ(bar->palette().color(QPalette::Window), app.color(QPalette::Window));
    EXPECT_EQ(bar->palette().color(QPalette::ButtonText), app.color(QPalette::ButtonText));
    EXPECT_EQ(bar->palette().color(QPalette::WindowText), app.color(QPalette::WindowText));
    // On the screen: not the window's dark blue behind the entries.
    const QImage img = bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int blue = 0;
    for (int x = 0; x < img.width(); ++x)
        blue += QColor(img.pixel(x, img.height() / 2)) == QColor(0, 74, 149) ? 1 : 0;
    EXPECT_EQ(blue, 0);
    EXPECT_NE(QColor(img.pixel(img.width() - 2, 1)), QColor(0, 74, 149));
}
