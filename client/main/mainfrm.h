#pragma once
#include "DataModule.h"
#include "DbError.h"
#include "Gates.h"
#include "Utilities.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QMainWindow>
#include <QPixmap>
#include <QPoint>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QCalendarWidget;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QMenuBar;
class QTimer;
class QToolBar;
class QToolButton;
class TCoolScrollingText;
class TCoolStringGrid;

// Fills a list with the available items of the category, sorted ignoring
// letter case; nothing is selected.
void FillItemList(QListWidget& list, const QString& category);

// One booking slot of the sheet: a period name and a day.
struct SheetSlot {
    QString period;
    QDateTime date;
};

namespace MainMessages {
inline const QString Caption = QStringLiteral("Tavrell Lite");
inline const QString NoItems = QStringLiteral("No Items in Database, Add Some Items");
inline const QString NoBooking = QStringLiteral("No booking made");
inline const QString ReasonPrompt = QStringLiteral("Enter a valid reason for booking:");
inline const QString NoReason = QStringLiteral(
    "You must provide a reason for the booking, otherwise the system cannot book an item");
inline const QString BookingsFailed = QStringLiteral("Some or all of your bookings failed to be made");
inline const QString ConfirmCancel = QStringLiteral("Are you sure you want to delete all the selected bookings?");
inline const QString CancelFailed = QStringLiteral("Cannot cancel all bookings selected.");
inline const QString FlushWarning = QStringLiteral(
    "Warning: This will permanently delete any bookings for this item. Do you want to continue?");
inline const QString Maintenance = QStringLiteral(
    "Maintenance is now run by an external program. Run QVKMAINT.EXE from the command prompt");
inline const QString& AccessDenied = GateDenial::General;
// What a command says when another program held the file past the wait:
// what was not done, in the command's own words.
inline QString InUseByAnotherProgram(const QString& notDone)
{
    return QStringLiteral("The database is in use by another program, so %1. Try again in a moment").arg(notDone);
}
inline const QString BookingsBusy = InUseByAnotherProgram(QStringLiteral("some or all of your bookings were not made"));
inline const QString CancelBusy =
    InUseByAnotherProgram(QStringLiteral("some or all of the selected bookings were not cancelled"));
inline const QString FlushBusy = InUseByAnotherProgram(QStringLiteral("the bookings were not deleted"));
// A cell's line in the booking report when the file was held.
inline const QString CellNotBooked = QStringLiteral("Not booked: the database is in use by another program");
} // namespace MainMessages

// The client's main window: category and item choice, the month calendar,
// the weekly sheet of the chosen item with its information line, the menu
// and toolbar, and the timers that keep a running client in step with the
// shared database. It owns the data module of the client; the start-up
// creates it hidden, connects `data`, starts the shutdown watch, and after
// log-on calls InitMainWindow and shows it. Closing it marks the user
// offline and ends the program.
class Tmainfrm : public QMainWindow {
    Q_OBJECT
public:
    explicit Tmainfrm(QWidget* parent = nullptr);
    ~Tmainfrm() override;

    // The connection and datasets of the client (installed as DM() by the
    // constructor when no other data module is installed).
    DataModule data;

    // The stretched background picture (none until the start-up loads it).
    QPixmap bg;
    void setBackgroundPicture(const QPixmap& picture);

    // ---- controls
    QLabel* Label1 = nullptr;
    QComboBox* DisplayCatergory = nullptr;
    QLabel* Label2 = nullptr;
    QListWidget* DBitemlist = nullptr;
    TCoolScrollingText* desclabel = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* mondayof = nullptr;
    QFrame* Shape1 = nullptr;
    QCalendarWidget* SelectDate = nullptr;
    QFrame* Shape2 = nullptr;
    TCoolStringGrid* Sheet = nullptr;
    QGroupBox* InfoPanel = nullptr;
    QLabel* bookedby = nullptr;
    QLabel* forreason = nullptr;
    QLabel* bookedon = nullptr;
    QLabel* Bookingindex = nullptr;
    QLabel* infopermanent = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QToolButton* ToolButton1 = nullptr;   // "Book"
    QToolButton* ToolButton2 = nullptr;   // "Change"
    QToolButton* ToolButton7 = nullptr;   // "Move"
    QToolButton* ToolButton3 = nullptr;   // "Cancel"
    QAction* ToolButton4 = nullptr;       // separator
    QToolButton* ToolButton5 = nullptr;   // "Find Spare"
    QToolButton* ToolButton6 = nullptr;   // "My Bookings"

    // ---- menu
    QMenuBar* MainMenu1 = nullptr;
    QMenu* Bookings1 = nullptr;            // "Item"
    QAction* Bookitem1 = nullptr;
    QAction* MoveBooking1 = nullptr;
    QAction* AlterSelectedPeriods1 = nullptr;
    QAction* CancelSelectedPeriods1 = nullptr;
    QAction* CreateaPermanentBooking1 = nullptr;
    QAction* FlushAllBookings1 = nullptr;
    QAction* ReplicateCurrentSheetAcrossmanyfutureweeks1 = nullptr;
    QAction* CancelBookinswithCriteria1 = nullptr;
    QAction* Printselectedsheet1 = nullptr;
    QAction* Printmybookings1 = nullptr;
    QAction* ExitSystem1 = nullptr;
    QMenu* Find1 = nullptr;
    QAction* Findwhenselecteditemisspare1 = nullptr;
    QMenu* View1 = nullptr;
    QAction* ViewalistofitemsIbooked1 = nullptr;
    QMenu* User1 = nullptr;
    QAction* ChangePassword1 = nullptr;
    QMenu* Administrator1 = nullptr;
    QAction* EditCatergories1 = nullptr;
    QAction* EditItems1 = nullptr;
    QAction* EditUsers1 = nullptr;
    QAction* AutoLoginRegistration1 = nullptr;
    QAction* DefaultRightsforNewUsers1 = nullptr;
    QAction* SetupPeriods1 = nullptr;
    QAction* Maintanence1 = nullptr;
    QAction* OtherConfigurationOptions1 = nullptr;
    QAction* DisplayUsageStatistics1 = nullptr;
    QAction* ForceLogoff1 = nullptr;
    QAction* ListPeopleOnline1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* CommandLineOptions1 = nullptr;
    QAction* AboutTavrell1 = nullptr;

    // The help entries open dialogs of the start-up; they show once the
    // start-up has handed them over.
    void SetHelpDialogs(std::function<void()> commandLineOptions, std::function<void()> about);

    // ---- timers (all created stopped)
    QTimer* ForceShutdownWatchDog = nullptr;   // 5000 ms
    QTimer* ShutDownTimer = nullptr;           // 10000 ms
    QTimer* ColourNowTimer = nullptr;          // 60000 ms

    // ---- the sheet's routines
    // The slot of a cell of the shown week.
    SheetSlot CellToSlot(int col, int row) const;
    // The Index of the booking the sheet shows in a cell, 0 when it shows
    // none.
    qint64 ShownBooking(int col, int row) const { return m_shownBookings.value(QPoint(col, row)); }
    void LayoutSheet();
    void ColourNow();
    void RefreshSheet();
    void InitMainWindow();
    void ShowCellInfo();
    void BookSelection();
    void CancelSelection();
    // Changes the booked-by user and reason of the selection's bookings.
    void AlterSelection();

    // The selected item of the whole client ("" when the list is empty).
    QString SelectedItem() const;
    // Refills the item list from the chosen category and selects its first
    // entry.
    void fillItemList();
    // The selected item and the selection a run works on; with no item it
    // says so and answers false.
    bool selectionToWorkOn(QString& item, int& left, int& top, int& right, int& bottom);
    // The Monday of the week the sheet shows.
    QDate ShownMonday() const { return m_shownMonday; }
    // True while a booking, cancelling or refreshing run is going on (input
    // to the window is blocked meanwhile).
    bool RunActive() const { return m_runDepth > 0; }

    // ---- event handlers
    void DisplayCatergoryClick();
    void DBItemListClick();
    void SelectDateClick();
    void SheetClick();
    void ForceShutdownWatchDogTimer();
    void ShutDownTimerTimer();
    void ColourNowTimerTimer();
    bool FormCloseQuery();
    void FormClose();
    void FormResize();

    // ---- menu commands
    void Bookitem1Click();
    void MoveBooking1Click();
    void AlterSelectedPeriods1Click();
    void CancelSelectedPeriods1Click();
    void CreateaPermanentBooking1Click();
    void FlushAllBookings1Click();
    void ReplicateCurrentSheetAcrossmanyfutureweeks1Click();
    void CancelBookinswithCriteria1Click();
    void Findwhenselecteditemisspare1Click();
    void ExitSystem1Click();
    void ChangePassword1Click();
    void EditCatergories1Click();
    void EditItems1Click();
    void EditUsers1Click();
    void SetupPeriods1Click();
    void Maintanence1Click();
    void ForceLogoff1Click();
    void ListPeopleOnline1Click();
    void Printselectedsheet1Click();
    void Printmybookings1Click();
    void ViewalistofitemsIbooked1Click();
    void AutoLoginRegistration1Click();
    void DefaultRightsforNewUsers1Click();
    void OtherConfigurationOptions1Click();
    void DisplayUsageStatistics1Click();

    // Starts the shutdown watch (the start-up does, before log-on); a
    // running watch keeps its countdown.
    void StartShutdownWatch();

    // True once the window has been closed (the user is then offline).
    bool Closed() const { return m_closed; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class MainRun;
    void buildControls();
    void buildMenu();
    void buildToolBar();
    void placeControls();
    void showMonday(const QDate& monday);
    // Re-reads the sheet at the end of a run; after the run found the file
    // held by another program, only when it can be read without waiting.
    void refreshAfterRun(bool lockedOut);
    // While the answer lives, the client's statements do not wait for a file
    // another program holds (none without a data module).
    std::unique_ptr<NoLockWait> noLockWait();
    // Column widths and row heights that share the sheet's size out.
    void sizeSheet();
    void fitBookingFonts();
    int bookingWidth(int col) const;
    // The selection when it covers only sheet cells, else false.
    bool sheetSelection(int& left, int& top, int& right, int& bottom) const;

    QDate m_shownMonday;
    QHash<QPoint, qint64> m_shownBookings;
    int m_runDepth = 0;
    bool m_inWatch = false;
    // The period order the sheet marked last (-1 before any was read).
    int m_markedPeriodOrder = -1;
    bool m_closed = false;
    bool m_filling = false;
    // A mouse press on the item list is going on, and whether the change of
    // the current row it caused has already re-read the sheet.
    bool m_listPressed = false;
    bool m_listPressServed = false;
    std::function<void()> m_commandLineOptions;
    std::function<void()> m_about;
};

// The main window the dialogs work with (null before the start-up made it).
Tmainfrm* MainForm();

// One run of the main window or of a dialog over it (refresh, book, cancel,
// the bulk runs): user input to the main window is blocked while it lasts,
// timers go on; the progress window and, when one was begun, the report are
// ended however the run ends, by an error too.
class MainRun {
public:
    MainRun(Tmainfrm& w, const QString& caption, int steps);
    ~MainRun();
    MainRun(const MainRun&) = delete;
    MainRun& operator=(const MainRun&) = delete;

    // Begins the report; the footer follows when the run ends.
    void beginReport(const QString& title, const QString& user);
    // Tells the run a report was begun; the footer follows when it ends.
    void reportBegun() { m_reportOpen = true; }
    // Ends the report now.
    void endReport();

    // The file was found locked by another program since the run began. The
    // statement that found it waited the busy timeout, the one wait of the
    // run: its work stops there, and cells not yet done are left alone.
    bool lockedOut() const;
    // Runs one data call unless the run is locked out; a database error
    // that comes from the locked file ends the call quietly (false), any
    // other travels on.
    template <class Call>
    bool attempt(Call&& call)
    {
        if (lockedOut())
            return false;
        try {
            call();
            return true;
        } catch (const DbError&) {
            if (!lockedOut())
                throw;
            return false;
        }
    }

private:
    void leave();
    Tmainfrm& m_w;
    quint64 m_busyStart;
    bool m_reportOpen = false;
};
