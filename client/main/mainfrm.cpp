#include "mainfrm.h"

#include "Accounts.h"
#include "Alerts.h"
#include "Bookings.h"
#include "Clock.h"
#include "CoolCtrls.h"
#include "CoolGrid.h"
#include "CoolUtils.h"
#include "DbError.h"
#include "Lookups.h"
#include "ProgramEnd.h"
#include "ReportLog.h"
#include "Session.h"
#include "SheetReport.h"
#include "SmallDialogs.h"
#include "StatusWindows.h"
#include "Utilities.h"
#include "adminvfrm.h"
#include "admusersfrm.h"
#include "catfrm.h"
#include "setperfrm.h"
#include "defaultrightsfrm.h"
#include "logincfgfrm.h"
#include "otheroptionsfrm.h"
#include "printlistbookingsfrm.h"
#include "usagestatsfrm.h"
#include "usersonlinefrm.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QTextCharFormat>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

namespace {

constexpr TColor WindowColour = 9783808;    // RGB 0, 74, 149
constexpr TColor TextColour = 11793915;     // RGB 251, 245, 179
constexpr TColor CalendarTitle = 4194304;   // RGB 0, 0, 64
constexpr TColor MarkerColour = 255;        // red
constexpr int HighestSheetOrder = 12;
constexpr int ListWidth = 217;
// The calendar's frame is as tall as the window's default size leaves it.
constexpr int CalendarHeight = 224;
// The most characters a booking's reason holds in the file.
constexpr int ReasonWidth = 150;

const char* const DayHeaders[] = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};

// A booking's two lines are written at size 8; where a column is too narrow
// for them (wide letters, a wrap at a blank) the size steps down, no lower
// than 6, so the text keeps its two lines and the row its height: a cell that
// wrapped would heighten its row and push the day's last periods off the
// sheet, which has no scroll bars.
void FitBookingFont(TFont& font, const QString& text, int width)
{
    constexpr int Largest = 8;
    constexpr int Smallest = 6;
    for (int size = Largest; size >= Smallest; --size) {
        font.setPointSize(size);
        const QRect whole = CoolCalcRect(font, QRect(0, 0, 1 << 20, 0), text, DT_WORDBREAK | DT_CALCRECT);
        const QRect wrapped = CoolCalcRect(font, QRect(0, 0, width, 0), text, DT_WORDBREAK | DT_CALCRECT);
        if (wrapped.height() <= whole.height() && wrapped.width() <= width)
            return;
    }
}

QFont windowFont(int pixels)
{
    // The application's family, bold, at the size asked for.
    QFont f = QApplication::font();
    f.setBold(true);
    f.setPixelSize(pixels);
    return f;
}

// The client area behind every control: the window colour and, when the
// start-up loaded one, the background picture stretched over it.
class MainBackground : public QWidget {
public:
    explicit MainBackground(Tmainfrm* owner) : QWidget(owner), m_owner(owner) {}

protected:
    // The window's resize reaches the controls through here, once the
    // client area has its new size.
    void resizeEvent(QResizeEvent*) override { m_owner->FormResize(); }
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), ColorToQColor(WindowColour));
        if (!m_owner->bg.isNull())
            p.drawPixmap(rect(), m_owner->bg);
    }

private:
    Tmainfrm* m_owner;
};

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text = QString())
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    // Labels show stored texts (names, reasons) as they are, never as markup.
    l->setTextFormat(Qt::PlainText);
    return l;
}

} // namespace

MainRun::MainRun(Tmainfrm& w, const QString& caption, int steps) : m_w(w), m_busyStart(Database::busyFailures())
{
    if (m_w.m_runDepth++ == 0)
        qApp->installEventFilter(&m_w);
    try {
        StatusBegin(caption, steps);
    } catch (...) {
        leave();
        throw;
    }
}

MainRun::~MainRun()
{
    if (m_reportOpen) {
        try {
            ReportEnd();
        } catch (...) {
            // The report is a record only; its failure must not hide the
            // error that ended the run.
        }
    }
    StatusEnd();
    leave();
}

void MainRun::beginReport(const QString& title, const QString& user)
{
    ReportBegin(title, user);
    m_reportOpen = true;
}

void MainRun::endReport()
{
    m_reportOpen = false;
    ReportEnd();
}

bool MainRun::lockedOut() const { return Database::busyFailures() != m_busyStart; }

void MainRun::leave()
{
    if (--m_w.m_runDepth == 0)
        qApp->removeEventFilter(&m_w);
}

Tmainfrm* MainForm() { return qobject_cast<Tmainfrm*>(MainWindow()); }

// ------------------------------------------------------------------ window

Tmainfrm::Tmainfrm(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("mainfrm"));
    setWindowTitle(MainMessages::Caption);
    if (!HasDM())
        SetDM(&data);

    QPalette pal = palette();
    pal.setColor(QPalette::Window, ColorToQColor(WindowColour));
    pal.setColor(QPalette::WindowText, ColorToQColor(TextColour));
    setPalette(pal);
    setFont(windowFont(16));

    buildControls();
    buildMenu();
    buildToolBar();

    ForceShutdownWatchDog = new QTimer(this);
    ForceShutdownWatchDog->setObjectName(QStringLiteral("ForceShutdownWatchDog"));
    ForceShutdownWatchDog->setInterval(5000);
    connect(ForceShutdownWatchDog, &QTimer::timeout, this, &Tmainfrm::ForceShutdownWatchDogTimer);
    ShutDownTimer = new QTimer(this);
    ShutDownTimer->setObjectName(QStringLiteral("ShutDownTimer"));
    ShutDownTimer->setInterval(10000);
    connect(ShutDownTimer, &QTimer::timeout, this, &Tmainfrm::ShutDownTimerTimer);
    ColourNowTimer = new QTimer(this);
    ColourNowTimer->setObjectName(QStringLiteral("ColourNowTimer"));
    ColourNowTimer->setInterval(60000);
    connect(ColourNowTimer, &QTimer::timeout, this, &Tmainfrm::ColourNowTimerTimer);

    resize(855, 584 + menuBar()->sizeHint().height());
    CentreOnScreen(this);
    placeControls();
    LayoutSheet();
}

Tmainfrm::~Tmainfrm()
{
    if (m_runDepth > 0)
        qApp->removeEventFilter(this);
    if (MainWindow() == this)
        SetMainWindow(nullptr);
    // The data routines must not reach a data module that is gone.
    if (HasDM() && &DM() == &data)
        SetDM(nullptr);
}

void Tmainfrm::setBackgroundPicture(const QPixmap& picture)
{
    bg = picture;
    centralWidget()->update();
}

void Tmainfrm::buildControls()
{
    auto* client = new MainBackground(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(client);

    Label1 = makeLabel(client, "Label1", QStringLiteral("Choose Category:"));
    DisplayCatergory = new QComboBox(client);
    DisplayCatergory->setObjectName(QStringLiteral("DisplayCatergory"));
    connect(DisplayCatergory, &QComboBox::activated, this, [this] {
        if (!RunActive())
            DisplayCatergoryClick();
    });
    Label2 = makeLabel(client, "Label2", QStringLiteral("Items"));

    DBitemlist = new QListWidget(client);
    DBitemlist->setObjectName(QStringLiteral("DBitemlist"));
    DBitemlist->setUniformItemSizes(true);
    DBitemlist->setSelectionMode(QAbstractItemView::SingleSelection);
    // Every click on the list re-reads the sheet, also one on the item that
    // is already selected: that is how a user sees what other clients have
    // booked meanwhile. A change of the current row by the keyboard or by the
    // program re-reads it too; a click that changed the row re-reads once.
    connect(DBitemlist, &QListWidget::currentRowChanged, this, [this] {
        if (m_filling || RunActive())
            return;
        if (m_listPressed)
            m_listPressServed = true;
        DBItemListClick();
    });
    DBitemlist->viewport()->installEventFilter(this);

    desclabel = new TCoolScrollingText(client);
    desclabel->setObjectName(QStringLiteral("desclabel"));
    desclabel->SetTransparent(true);
    desclabel->SetShadowSize(0);
    desclabel->SetFontColor(TextColour);
    desclabel->SetActive(true);

    Label3 = makeLabel(client, "Label3", QStringLiteral("Week beginning:"));
    mondayof = makeLabel(client, "mondayof");
    mondayof->setAlignment(Qt::AlignCenter);

    Shape1 = new QFrame(client);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::Box);
    SelectDate = new QCalendarWidget(Shape1);
    SelectDate->setObjectName(QStringLiteral("SelectDate"));
    SelectDate->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    SelectDate->setFont(windowFont(10));
    {
        QPalette cp = SelectDate->palette();
        cp.setColor(QPalette::Base, ColorToQColor(WindowColour));
        cp.setColor(QPalette::Window, ColorToQColor(WindowColour));
        cp.setColor(QPalette::Text, ColorToQColor(TextColour));
        cp.setColor(QPalette::WindowText, ColorToQColor(TextColour));
        cp.setColor(QPalette::AlternateBase, ColorToQColor(WindowColour));
        SelectDate->setPalette(cp);
        QTextCharFormat days;
        days.setForeground(ColorToQColor(TextColour));
        for (int d = Qt::Monday; d <= Qt::Sunday; ++d)
            SelectDate->setWeekdayTextFormat(Qt::DayOfWeek(d), days);
        QTextCharFormat head;
        head.setForeground(ColorToQColor(TextColour));
        head.setBackground(ColorToQColor(CalendarTitle));
        SelectDate->setHeaderTextFormat(head);
        // The title's buttons keep the title's colours when hovered or
        // pressed (only a frame shows), and the month button leaves room for
        // its drop-down arrow after the month's name.
        SelectDate->setStyleSheet(QStringLiteral(
            "#qt_calendar_navigationbar { background-color: rgb(0, 0, 64); }"
            "#qt_calendar_navigationbar QToolButton { color: rgb(251, 245, 179); background-color: rgb(0, 0, 64);"
            " border: 1px solid transparent; padding: 1px 3px; }"
            "#qt_calendar_navigationbar QToolButton:hover { border-color: rgb(251, 245, 179); }"
            "#qt_calendar_navigationbar QToolButton:pressed { background-color: rgb(0, 74, 149); }"
            "QToolButton#qt_calendar_monthbutton { padding-right: 14px; }"
            "QToolButton#qt_calendar_monthbutton::menu-indicator { subcontrol-origin: padding;"
            " subcontrol-position: right center; right: 2px; }"
            "#qt_calendar_calendarview { background-color: rgb(0, 74, 149); color: rgb(251, 245, 179); }"));
    }
    connect(SelectDate, &QCalendarWidget::selectionChanged, this, [this] {
        if (!m_filling && !RunActive())
            SelectDateClick();
    });

    Shape2 = new QFrame(client);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    Shape2->setFrameShape(QFrame::Box);
    Sheet = new TCoolStringGrid(Shape2);
    Sheet->setObjectName(QStringLiteral("Sheet"));
    Sheet->setFixedCols(1);
    Sheet->setFixedRows(1);
    Sheet->setColCount(8);
    Sheet->setCursor(Qt::PointingHandCursor);
    Sheet->setOptions(CoolGridBase::goFixedVertLine | CoolGridBase::goFixedHorzLine | CoolGridBase::goVertLine
                      | CoolGridBase::goHorzLine | CoolGridBase::goRangeSelect
                      | CoolGridBase::goDrawFocusSelected);
    Sheet->setScrollBars(CoolGridBase::ScrollStyle::None);
    Sheet->SetFixedTextAlign(taCenter);
    Sheet->SetFixedColor(WindowColour);
    Sheet->SetColor(clWhite);
    {
        QPalette sp = Sheet->palette();
        sp.setColor(QPalette::Text, Qt::black);
        Sheet->setPalette(sp);
    }
    Sheet->SetFont(TFont(windowFont(12), clBlack));
    // The headers' fonts carry the window's text colour; their records are
    // made now, with the sheet's font, for every header the sheet can have.
    for (int c = 0; c <= 7; ++c)
        Sheet->GetCellFont(c, 0).Color = TextColour;
    for (int r = 1; r <= HighestSheetOrder; ++r)
        Sheet->GetCellFont(0, r).Color = TextColour;
    connect(Sheet, &CoolGridBase::clicked, this, [this] {
        if (!RunActive())
            SheetClick();
    });

    InfoPanel = new QGroupBox(QStringLiteral("Enter Information"), client);
    InfoPanel->setObjectName(QStringLiteral("InfoPanel"));
    InfoPanel->setFont(windowFont(11));
    bookedby = makeLabel(InfoPanel, "bookedby");
    forreason = makeLabel(InfoPanel, "forreason");
    bookedon = makeLabel(InfoPanel, "bookedon");
    Bookingindex = makeLabel(InfoPanel, "Bookingindex");
    infopermanent = makeLabel(InfoPanel, "infopermanent");

    ToolBar1 = new QToolBar(client);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setIconSize(QSize(32, 32));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar1->setMovable(false);
    ToolBar1->setFont(windowFont(11));
}

void Tmainfrm::buildMenu()
{
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    MainMenu1->setFont(QApplication::font());
    MainMenu1->setAutoFillBackground(true);
    {
        // The platform's ordinary menu colours, not the window's: every
        // colour is set on the bar itself, for a palette merely equal to the
        // application's would let the window's dark blue through.
        const QPalette app = QApplication::palette();
        QPalette mp;
        for (int g = 0; g < QPalette::NColorGroups; ++g)
            for (int r = 0; r < QPalette::NColorRoles; ++r) {
                const auto group = QPalette::ColorGroup(g);
                const auto role = QPalette::ColorRole(r);
                mp.setColor(group, role, app.color(group, role));
            }
        MainMenu1->setPalette(mp);
    }
    auto entry = [this](QMenu* menu, const char* name, const QString& caption, void (Tmainfrm::*handler)()) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, [this, handler] {
            if (!RunActive())
                (this->*handler)();
        });
        return a;
    };
    auto menu = [this](const char* name, const QString& caption) {
        QMenu* m = MainMenu1->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };

    Bookings1 = menu("Bookings1", QStringLiteral("Item"));
    Bookitem1 = entry(Bookings1, "Bookitem1", QStringLiteral("Book Item"), &Tmainfrm::Bookitem1Click);
    MoveBooking1 = entry(Bookings1, "MoveBooking1", QStringLiteral("&Move Booking"), &Tmainfrm::MoveBooking1Click);
    AlterSelectedPeriods1 = entry(Bookings1, "AlterSelectedPeriods1", QStringLiteral("Alter Booking"),
                                  &Tmainfrm::AlterSelectedPeriods1Click);
    CancelSelectedPeriods1 = entry(Bookings1, "CancelSelectedPeriods1", QStringLiteral("Cancel Booking"),
                                   &Tmainfrm::CancelSelectedPeriods1Click);
    Bookings1->addSeparator();
    CreateaPermanentBooking1 = entry(Bookings1, "CreateaPermanentBooking1", QStringLiteral("Create a Permanent Booking"),
                                     &Tmainfrm::CreateaPermanentBooking1Click);
    FlushAllBookings1 = entry(Bookings1, "FlushAllBookings1", QStringLiteral("Flush All Bookings"),
                              &Tmainfrm::FlushAllBookings1Click);
    ReplicateCurrentSheetAcrossmanyfutureweeks1 =
        entry(Bookings1, "ReplicateCurrentSheetAcrossmanyfutureweeks1", QStringLiteral("Replicate Booking Sheet"),
              &Tmainfrm::ReplicateCurrentSheetAcrossmanyfutureweeks1Click);
    CancelBookinswithCriteria1 = entry(Bookings1, "CancelBookinswithCriteria1",
                                       QStringLiteral("Cancel Bookings with Criteria"),
                                       &Tmainfrm::CancelBookinswithCriteria1Click);
    Bookings1->addSeparator();
    Printselectedsheet1 = entry(Bookings1, "Printselectedsheet1", QStringLiteral("Print selected sheet"),
                                &Tmainfrm::Printselectedsheet1Click);
    Printmybookings1 = entry(Bookings1, "Printmybookings1", QStringLiteral("Print a list of bookings by a user"),
                             &Tmainfrm::Printmybookings1Click);
    Bookings1->addSeparator();
    ExitSystem1 = entry(Bookings1, "ExitSystem1", QStringLiteral("Exit System"), &Tmainfrm::ExitSystem1Click);

    Find1 = menu("Find1", QStringLiteral("Find"));
    Findwhenselecteditemisspare1 = entry(Find1, "Findwhenselecteditemisspare1", QStringLiteral("Find Vacancy"),
                                         &Tmainfrm::Findwhenselecteditemisspare1Click);

    View1 = menu("View1", QStringLiteral("View"));
    ViewalistofitemsIbooked1 = entry(View1, "ViewalistofitemsIbooked1", QStringLiteral("View a list of items I booked"),
                                     &Tmainfrm::ViewalistofitemsIbooked1Click);

    User1 = menu("User1", QStringLiteral("User"));
    ChangePassword1 = entry(User1, "ChangePassword1", QStringLiteral("Change Password"),
                            &Tmainfrm::ChangePassword1Click);

    Administrator1 = menu("Administrator1", QStringLiteral("Administration"));
    EditCatergories1 = entry(Administrator1, "EditCatergories1", QStringLiteral("Categories"),
                             &Tmainfrm::EditCatergories1Click);
    EditItems1 = entry(Administrator1, "EditItems1", QStringLiteral("Items"), &Tmainfrm::EditItems1Click);
    EditUsers1 = entry(Administrator1, "EditUsers1", QStringLiteral("Users"), &Tmainfrm::EditUsers1Click);
    Administrator1->addSeparator();
    AutoLoginRegistration1 = entry(Administrator1, "AutoLoginRegistration1",
                                   QStringLiteral("Auto Login/New User Registration"),
                                   &Tmainfrm::AutoLoginRegistration1Click);
    DefaultRightsforNewUsers1 = entry(Administrator1, "DefaultRightsforNewUsers1",
                                      QStringLiteral("Default Rights for New Users"),
                                      &Tmainfrm::DefaultRightsforNewUsers1Click);
    SetupPeriods1 = entry(Administrator1, "SetupPeriods1", QStringLiteral("Setup Periods"),
                          &Tmainfrm::SetupPeriods1Click);
    Administrator1->addSeparator();
    Maintanence1 = entry(Administrator1, "Maintanence1", QStringLiteral("Run Maintanence"),
                         &Tmainfrm::Maintanence1Click);
    OtherConfigurationOptions1 = entry(Administrator1, "OtherConfigurationOptions1",
                                       QStringLiteral("Other Configuration Options"),
                                       &Tmainfrm::OtherConfigurationOptions1Click);
    Administrator1->addSeparator();
    DisplayUsageStatistics1 = entry(Administrator1, "DisplayUsageStatistics1", QStringLiteral("Display Usage Statistics"),
                                    &Tmainfrm::DisplayUsageStatistics1Click);
    Administrator1->addSeparator();
    ForceLogoff1 = entry(Administrator1, "ForceLogoff1", QStringLiteral("Force Logoff"), &Tmainfrm::ForceLogoff1Click);
    ListPeopleOnline1 = entry(Administrator1, "ListPeopleOnline1", QStringLiteral("List People Online"),
                              &Tmainfrm::ListPeopleOnline1Click);

    Help1 = menu("Help1", QStringLiteral("Help"));
    CommandLineOptions1 = Help1->addAction(QStringLiteral("Command Line Options"));
    CommandLineOptions1->setObjectName(QStringLiteral("CommandLineOptions1"));
    connect(CommandLineOptions1, &QAction::triggered, this, [this] {
        if (!RunActive() && m_commandLineOptions)
            m_commandLineOptions();
    });
    AboutTavrell1 = Help1->addAction(QStringLiteral("About Tavrell"));
    AboutTavrell1->setObjectName(QStringLiteral("AboutTavrell1"));
    connect(AboutTavrell1, &QAction::triggered, this, [this] {
        if (!RunActive() && m_about)
            m_about();
    });
    CommandLineOptions1->setVisible(false);
    AboutTavrell1->setVisible(false);
    Help1->menuAction()->setVisible(false);
}

void Tmainfrm::SetHelpDialogs(std::function<void()> commandLineOptions, std::function<void()> about)
{
    m_commandLineOptions = std::move(commandLineOptions);
    m_about = std::move(about);
    CommandLineOptions1->setVisible(static_cast<bool>(m_commandLineOptions));
    AboutTavrell1->setVisible(static_cast<bool>(m_about));
    Help1->menuAction()->setVisible(m_commandLineOptions || m_about);
}

namespace {
// The toolbar's pictures, drawn here: a tick for booking, a pencil for
// changing, an arrow for moving, a cross for cancelling and a magnifying
// glass for finding, a listed page for the list of one's bookings.
enum class ToolPicture { Book, Change, Move, Cancel, Find, List };

QIcon toolIcon(ToolPicture picture)
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(ColorToQColor(TextColour));
    p.setPen(QPen(QColor(0, 0, 64), 1));
    p.drawRoundedRect(QRectF(2.5, 2.5, 27, 27), 5, 5);
    const QColor dark(0, 0, 64);
    switch (picture) {
    case ToolPicture::Book:
        p.setPen(QPen(QColor(0, 128, 0), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 17), QPointF(14, 23));
        p.drawLine(QPointF(14, 23), QPointF(24, 9));
        break;
    case ToolPicture::Change:
        p.setPen(QPen(QColor(200, 120, 0), 5, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(11, 21), QPointF(22, 10));
        p.setPen(QPen(dark, 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 24), QPointF(11, 21));
        p.drawLine(QPointF(8, 24), QPointF(12, 23));
        break;
    case ToolPicture::Move: {
        p.setPen(QPen(QColor(0, 74, 149), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(7, 16), QPointF(21, 16));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 74, 149));
        const QPointF head[] = {QPointF(19, 9), QPointF(26, 16), QPointF(19, 23)};
        p.drawPolygon(head, 3);
        break;
    }
    case ToolPicture::Cancel:
        p.setPen(QPen(QColor(192, 0, 0), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(9, 9), QPointF(23, 23));
        p.drawLine(QPointF(23, 9), QPointF(9, 23));
        break;
    case ToolPicture::Find:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(dark, 3));
        p.drawEllipse(QPointF(13.5, 13.5), 6, 6);
        p.setPen(QPen(dark, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(18, 18), QPointF(24, 24));
        break;
    case ToolPicture::List:
        p.setPen(QPen(QColor(0, 0, 128), 2, Qt::SolidLine, Qt::RoundCap));
        for (int y = 10; y <= 22; y += 4)
            p.drawLine(QPointF(9, y), QPointF(23, y));
        break;
    }
    return QIcon(pm);
}
} // namespace

void Tmainfrm::buildToolBar()
{
    auto button = [this](const char* name, const QString& caption, ToolPicture picture, QAction* runs) {
        QAction* a = ToolBar1->addAction(toolIcon(picture), caption);
        connect(a, &QAction::triggered, runs, &QAction::trigger);
        auto* b = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(a));
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoRaise(true);
        return b;
    };
    ToolButton1 = button("ToolButton1", QStringLiteral("Book"), ToolPicture::Book, Bookitem1);
    ToolButton2 = button("ToolButton2", QStringLiteral("Change"), ToolPicture::Change, AlterSelectedPeriods1);
    ToolButton7 = button("ToolButton7", QStringLiteral("Move"), ToolPicture::Move, MoveBooking1);
    ToolButton3 = button("ToolButton3", QStringLiteral("Cancel"), ToolPicture::Cancel, CancelSelectedPeriods1);
    ToolButton4 = ToolBar1->addSeparator();
    ToolButton4->setObjectName(QStringLiteral("ToolButton4"));
    ToolButton5 = button("ToolButton5", QStringLiteral("Find Spare"), ToolPicture::Find,
                         Findwhenselecteditemisspare1);
    ToolButton6 = button("ToolButton6", QStringLiteral("My Bookings"), ToolPicture::List, Printmybookings1);
}

void Tmainfrm::placeControls()
{
    QWidget* client = centralWidget();
    const int w = client->width();
    const int h = client->height();
    const int x = 8;
    const int toolH = ToolBar1->sizeHint().height();

    Label1->setGeometry(x, 4, ListWidth, 20);
    DisplayCatergory->setGeometry(x, 24, ListWidth, 24);
    Label2->setGeometry(x, 50, ListWidth, 20);
    DBitemlist->setGeometry(x, 70, ListWidth, 217);
    desclabel->setGeometry(x, 289, ListWidth, 25);
    Label3->setGeometry(x, 314, ListWidth, 20);
    mondayof->setGeometry(x + 4, 334, 209, 20);
    // The calendar keeps its size at the bottom left; it moves down with a
    // taller window and never rises over the labels above it.
    const int calTop = 356;
    Shape1->setGeometry(x, std::max(calTop, h - 4 - CalendarHeight), ListWidth, CalendarHeight);
    SelectDate->setGeometry(1, 1, Shape1->width() - 2, Shape1->height() - 2);

    // The sheet, the information line under it and the toolbar under that
    // take the rest of the width.
    const int left = x + ListWidth + 10;
    const int right = std::max(100, w - left - 8);
    ToolBar1->setGeometry(left, h - toolH, right, toolH);
    const int infoH = 96;
    const int sheetBottom = h - toolH - infoH - 6;
    Shape2->setGeometry(left, 8, right, std::max(80, sheetBottom - 8));
    Sheet->setGeometry(2, 2, Shape2->width() - 4, Shape2->height() - 4);
    InfoPanel->setGeometry(left, sheetBottom + 2, right, infoH);
    const int half = (InfoPanel->width() - 24) / 2;
    bookedby->setGeometry(10, 20, half, 18);
    Bookingindex->setGeometry(14 + half, 20, half, 18);
    forreason->setGeometry(10, 40, InfoPanel->width() - 20, 18);
    bookedon->setGeometry(10, 60, half, 18);
    infopermanent->setGeometry(14 + half, 60, half, 18);
}

// ------------------------------------------------------------------ sheet

QString Tmainfrm::SelectedItem() const
{
    const QListWidgetItem* it = DBitemlist->currentItem();
    return it ? it->text() : QString();
}

SheetSlot Tmainfrm::CellToSlot(int col, int row) const
{
    const QDate monday = MondayOf(SelectDate->selectedDate());
    return {PeriodNameAt(row), QDateTime(monday.addDays(col - 1), QTime(0, 0))};
}

void Tmainfrm::LayoutSheet()
{
    Sheet->setCells(0, 0, QStringLiteral("Day/Period"));
    Sheet->setRowCount(HasDM() && DM().ADOConnection.isOpen() ? HighestPeriodOrder() + 1 : 1);
    // A sheet of one row (no periods yet, or a layout before the database
    // is open) cannot keep its fixed row; as soon as it has rows again the
    // headers are fixed once more, so they are never selected as cells.
    if (Sheet->rowCount() > 1 && Sheet->fixedRows() != 1)
        Sheet->setFixedRows(1);
    if (HasDM() && DM().ADOConnection.isOpen()) {
        Dataset& t = DM().PeriodsTable;
        if (!t.isActive())
            t.open();
        t.refresh();
        for (t.first(); !t.eof(); t.next()) {
            const int order = t.asInteger(QStringLiteral("order"));
            if (order >= 1 && order <= HighestSheetOrder && order < Sheet->rowCount())
                Sheet->setCells(0, order, t.asString(QStringLiteral("period")));
        }
    }
    Sheet->setColCount(8);
    if (Sheet->fixedCols() != 1)
        Sheet->setFixedCols(1);
    for (int c = 1; c <= 7; ++c)
        Sheet->setCells(c, 0, QString::fromLatin1(DayHeaders[c - 1]));
    sizeSheet();
}

void Tmainfrm::sizeSheet()
{
    Sheet->setDefaultColWidth(int(RoundHalfEven(Sheet->width() / (Sheet->colCount() + 0.5))));
    Sheet->setDefaultRowHeight(int(RoundHalfEven(Sheet->height() / (Sheet->rowCount() + 0.45))));
    fitBookingFonts();
}

void Tmainfrm::fitBookingFonts()
{
    // Fitted to the columns as they are now: the window may have been laid
    // out, or resized, since the cells were written.
    for (int c = 1; c < Sheet->colCount(); ++c) {
        for (int r = 1; r < Sheet->rowCount(); ++r) {
            const QString text = Sheet->cells(c, r);
            if (!text.isEmpty())
                FitBookingFont(Sheet->GetCellFont(c, r), text, bookingWidth(c));
        }
    }
}

int Tmainfrm::bookingWidth(int col) const
{
    // The width a cell's text is drawn in: the column less the cell margins.
    return Sheet->colWidth(col) - Sheet->CellMarginLeft() + Sheet->CellMarginRight();
}

void Tmainfrm::ColourNow()
{
    // The current period is read first: when the file cannot be read now
    // (another program holds it, it is unreachable) the period marked last
    // stays marked, and the next tick reads again. No message: a long outage
    // must not stack a box a minute.
    int order = m_markedPeriodOrder;
    if (HasDM() && DM().ADOConnection.isOpen()) {
        try {
            order = CurrentPeriodOrder();
            m_markedPeriodOrder = order;
        } catch (const DbError&) {
        }
    }
    const TColor fixed = Sheet->FixedColor();
    for (int c = 1; c <= 7; ++c)
        Sheet->SetCellColor(c, 0, fixed);
    for (int r = 1; r <= HighestSheetOrder; ++r)
        Sheet->SetCellColor(0, r, fixed);
    Sheet->viewport()->update();
    const QDate today = Clock::today();
    if (MondayOf(today) != MondayOf(SelectDate->selectedDate()))
        return;
    Sheet->SetCellColor(today.dayOfWeek(), 0, MarkerColour);
    const int o = order;
    const int row = o <= 1 ? 1 : (o <= HighestSheetOrder ? o : HighestSheetOrder);
    Sheet->SetCellColor(0, row, MarkerColour);
}

void Tmainfrm::RefreshSheet()
{
    desclabel->SetStrings({});
    const QString item = SelectedItem();
    if (!item.isEmpty()) {
        // An item that is gone (another client deleted it) has no
        // description and no bookings to show.
        const bool found = FindItem(item) != -1;
        if (found)
            desclabel->SetStrings({DM().itemstable.asString(QStringLiteral("itemdescription"))});
        MainRun run(*this, QStringLiteral("Refresh"), 7);
        const QDate monday = MondayOf(SelectDate->selectedDate());
        Sheet->ClearCells();
        m_shownBookings.clear();
        LayoutSheet();
        ColourNow();
        const QList<WeekBooking> week = found ? ReadItemWeek(item, monday) : QList<WeekBooking>();
        const int rows = Sheet->rowCount();
        for (int day = 0; day < 7; ++day) {
            for (const WeekBooking& b : week) {
                // A booking of an unknown period, or of an order the sheet has
                // no row for, is not shown; the header row is never written.
                if (b.day != day || b.order < 1 || b.order >= rows)
                    continue;
                const QString text = b.bookedBy + QLatin1Char('\r') + b.reason.left(12);
                Sheet->setCells(day + 1, b.order, text);
                m_shownBookings.insert(QPoint(day + 1, b.order), b.index);
                FitBookingFont(Sheet->GetCellFont(day + 1, b.order), text, bookingWidth(day + 1));
            }
            StatusStep();
        }
        Sheet->setDefaultRowHeight(int(RoundHalfEven(Sheet->height() / (Sheet->rowCount() + 0.45))));
        Sheet->viewport()->update();
        return;
    }
    Sheet->setDefaultRowHeight(int(RoundHalfEven(Sheet->height() / (Sheet->rowCount() + 0.45))));
}

std::unique_ptr<NoLockWait> Tmainfrm::noLockWait()
{
    return HasDM() ? std::make_unique<NoLockWait>(DM().ADOConnection) : nullptr;
}

void Tmainfrm::refreshAfterRun(bool lockedOut)
{
    if (!lockedOut) {
        RefreshSheet();
        return;
    }
    // The file was held: the sheet is read again only if that can be done at
    // once; else it stays as it was, which shows nothing as booked that the
    // run did not book.
    NoLockWait noWait(DM().ADOConnection);
    try {
        RefreshSheet();
    } catch (const DbError&) {
    }
}

void FillItemList(QListWidget& list, const QString& category)
{
    Dataset& q = DM().DisplayItems;
    q.close();
    q.setParam(QStringLiteral("tmpcatergory"), category);
    q.open();
    q.requery();
    QStringList names;
    for (q.first(); !q.eof(); q.next())
        names << q.asString(QStringLiteral("itemname"));
    q.first();
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    list.clear();
    for (const QString& n : names) {
        auto* it = new QListWidgetItem(n, &list);
        it->setSizeHint(QSize(0, 20));
    }
}

void Tmainfrm::fillItemList()
{
    m_filling = true;
    FillItemList(*DBitemlist, DisplayCatergory->currentText());
    if (DBitemlist->count() > 0)
        DBitemlist->setCurrentRow(0);
    m_filling = false;
}

void Tmainfrm::showMonday(const QDate& monday)
{
    m_shownMonday = monday;
    mondayof->setText(FormatShortDate(monday));
}

void Tmainfrm::InitMainWindow()
{
    if (!ColourNowTimer->isActive())
        ColourNowTimer->start();
    SetMainWindow(this);

    Dataset& cats = DM().ActiveCatergories;
    if (!cats.isActive())
        cats.open();
    cats.requery();
    m_filling = true;
    DisplayCatergory->clear();
    for (cats.first(); !cats.eof(); cats.next())
        DisplayCatergory->addItem(cats.asString(QStringLiteral("catergory")));
    cats.first();
    DisplayCatergory->setCurrentIndex(DisplayCatergory->count() > 0 ? 0 : -1);
    m_filling = false;

    fillItemList();

    m_filling = true;
    SelectDate->setSelectedDate(Clock::today());
    m_filling = false;
    showMonday(MondayOf(SelectDate->selectedDate()));

    if (DBitemlist->count() > 0) {
        RefreshSheet();
        const QDate today = Clock::today();
        const int o = CurrentPeriodOrder();
        const int row = (o >= 1 && o < Sheet->rowCount()) ? o : std::max(Sheet->row(), 1);
        if (Sheet->rowCount() > 1)
            Sheet->setCurrent(today.dayOfWeek(), row);
        ShowCellInfo();
    }
}

bool Tmainfrm::sheetSelection(int& left, int& top, int& right, int& bottom) const
{
    const GridRect s = Sheet->selection();
    left = s.left;
    top = s.top;
    right = s.right;
    bottom = s.bottom;
    return Sheet->rowCount() > 1 && left >= 1 && top >= 1 && right < Sheet->colCount()
        && bottom < Sheet->rowCount() && left <= right && top <= bottom;
}

void Tmainfrm::ShowCellInfo()
{
    const QString item = SelectedItem();
    QPalette pal = bookedby->palette();
    if (item.isEmpty()) {
        bookedby->setText(MainMessages::NoItems);
        pal.setColor(QPalette::WindowText, ColorToQColor(MarkerColour));
        bookedby->setPalette(pal);
        Bookingindex->clear();
        forreason->clear();
        bookedon->clear();
        return;
    }
    const GridRect s = Sheet->selection();
    const SheetSlot slot = CellToSlot(s.left, s.top);
    QString by, reason;
    QDateTime onDate, onTime;
    int index = 0;
    bool permanent = false;
    pal.setColor(QPalette::WindowText, ColorToQColor(TextColour));
    bookedby->setPalette(pal);
    if (s.top >= 1 && GetBookingInfo(item, slot.period, slot.date, by, reason, onDate, onTime, index, permanent)) {
        bookedby->setText(QStringLiteral("Booked by: ") + UserFullName(by));
        Bookingindex->setText(QStringLiteral("Index: ") + QString::number(index));
        forreason->setText(QStringLiteral("For Reason: ") + reason);
        bookedon->setText(QStringLiteral("Booked On: ") + FormatShortDate(onDate.date()) + QLatin1Char(' ')
                          + FormatLongTime(onTime.time()));
        infopermanent->setText(permanent ? QStringLiteral("Booking Type: Permanent")
                                         : QStringLiteral("Booking Type: Normal"));
    } else {
        bookedby->setText(MainMessages::NoBooking);
        Bookingindex->clear();
        forreason->clear();
        bookedon->clear();
        infopermanent->clear();
    }
}

bool Tmainfrm::selectionToWorkOn(QString& item, int& left, int& top, int& right, int& bottom)
{
    item = SelectedItem();
    if (item.isEmpty()) {
        ShowAlert(MainMessages::NoItems);
        return false;
    }
    return sheetSelection(left, top, right, bottom);
}

void Tmainfrm::BookSelection()
{
    QString item;
    int left, top, right, bottom;
    if (!selectionToWorkOn(item, left, top, right, bottom))
        return;
    const QString reason = InputText(MainMessages::ReasonPrompt, QString(), nullptr, ReasonWidth);
    if (ProgramEnding)
        return;
    if (reason.isEmpty()) {
        ShowAlert(MainMessages::NoReason);
        return;
    }
    bool failed = false;
    bool busy = false;
    {
        const QString user = CurrentUser;
        MainRun run(*this, QStringLiteral("Booking Item"), (right - left + 1) * (bottom - top + 1));
        run.beginReport(QStringLiteral("Booking Report"), HtmlEscape(user));
        ReportLine(QStringLiteral("*** Item: ") + HtmlEscape(item) + QStringLiteral(" ***"));
        ReportLine(QStringLiteral("*** To be booked by: ") + HtmlEscape(user) + QStringLiteral(" ***"));
        ReportLine(QStringLiteral("*** For Reason: ") + HtmlEscape(reason) + QStringLiteral(" ***"));
        ReportLine(QString());
        for (int c = left; c <= right && !ProgramEnding; ++c) {
            for (int r = top; r <= bottom && !ProgramEnding; ++r) {
                const SheetSlot slot = CellToSlot(c, r);
                BookingResultCode code = -1;
                run.attempt([&] { code = PlaceBooking(item, slot.period, user, slot.date, reason, true, user, false); });
                if (code != 0 && run.lockedOut()) {
                    // Not booked, for the file was held: said so in the report.
                    LastBookingResult = TLastBookingResult();
                    LastBookingResult.code = code = -1;
                    LastBookingResult.message = MainMessages::CellNotBooked;
                    LastBookingResult.date = slot.date;
                    LastBookingResult.period = slot.period;
                    LastBookingResult.item = item;
                }
                ReportBookingResult(code);
                if (code < 0)
                    failed = true;
                StatusStep();
            }
        }
        if (!ProgramEnding)
            refreshAfterRun(run.lockedOut());
        run.endReport();
        busy = run.lockedOut();
    }
    if (ProgramEnding)
        return;
    if (busy)
        ShowAlertWithReport(MainMessages::BookingsBusy, true);
    else if (failed)
        ShowAlertWithReport(MainMessages::BookingsFailed, true);
}

void Tmainfrm::CancelSelection()
{
    QString item;
    int left, top, right, bottom;
    if (!selectionToWorkOn(item, left, top, right, bottom))
        return;
    const bool yes = AskQuestion(MainMessages::ConfirmCancel);
    if (ProgramEnding || !yes)
        return;
    bool failed = false;
    bool busy = false;
    {
        MainRun run(*this, QStringLiteral("Cancelling Booking"), (right - left + 1) * (bottom - top + 1));
        for (int c = left; c <= right && !ProgramEnding; ++c) {
            for (int r = top; r <= bottom && !ProgramEnding; ++r) {
                const SheetSlot slot = CellToSlot(c, r);
                bool deleted = false;
                run.attempt([&] { deleted = DeleteBooking(item, slot.period, slot.date); });
                if (!deleted || run.lockedOut())
                    failed = true;
                StatusStep();
            }
        }
        if (!ProgramEnding)
            refreshAfterRun(run.lockedOut());
        busy = run.lockedOut();
    }
    if (ProgramEnding)
        return;
    if (busy)
        ShowAlert(MainMessages::CancelBusy);
    else if (failed)
        ShowAlert(MainMessages::CancelFailed);
}

// ------------------------------------------------------------------ handlers

void Tmainfrm::DisplayCatergoryClick()
{
    fillItemList();
    if (DBitemlist->count() > 0) {
        m_filling = true;
        DBitemlist->setCurrentRow(0);
        m_filling = false;
        RefreshSheet();
    }
}

void Tmainfrm::DBItemListClick() { RefreshSheet(); }

void Tmainfrm::SelectDateClick()
{
    const QDate m = MondayOf(SelectDate->selectedDate());
    if (m != m_shownMonday) {
        showMonday(m);
        RefreshSheet();
    }
}

void Tmainfrm::SheetClick() { ShowCellInfo(); }

bool Tmainfrm::eventFilter(QObject* watched, QEvent* event)
{
    if (DBitemlist && watched == DBitemlist->viewport() && m_runDepth == 0) {
        if (event->type() == QEvent::MouseButtonPress
            && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            m_listPressed = true;
            m_listPressServed = false;
        } else if (event->type() == QEvent::MouseButtonRelease
                   && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && m_listPressed) {
            m_listPressed = false;
            if (!m_listPressServed && !m_filling)
                DBItemListClick();
        }
    }
    if (m_runDepth > 0 && watched->isWidgetType()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
            if (static_cast<QWidget*>(watched)->window() == this)
                return true;
            break;
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ------------------------------------------------------------------ commands

void Tmainfrm::Bookitem1Click() { BookSelection(); }

void Tmainfrm::CancelSelectedPeriods1Click() { CancelSelection(); }

void Tmainfrm::FlushAllBookings1Click()
{
    if (!PassGate(UserCanFlushBookings, GateDenial::Silent))
        return;
    const QString item = SelectedItem();
    if (item.isEmpty())
        return;
    const bool yes = AskQuestion(MainMessages::FlushWarning);
    if (ProgramEnding || !yes)
        return;
    bool busy = false;
    {
        MainRun run(*this, QStringLiteral("Flushing All Bookings"), 1);
        run.attempt([&] { DeleteAllBookingsOfItem(item); });
        StatusStep();
        busy = run.lockedOut();
    }
    refreshAfterRun(busy);
    if (busy && !ProgramEnding)
        ShowAlert(MainMessages::FlushBusy);
}

void Tmainfrm::ExitSystem1Click() { close(); }

void Tmainfrm::ChangePassword1Click() { ChangePassword(CurrentUser, false); }

void Tmainfrm::EditCatergories1Click()
{
    if (PassGate(UserCanModifyCategories))
        CatForm()->showModal();
}

void Tmainfrm::EditItems1Click()
{
    if (PassGate(UserCanModifyItems))
        AdminvForm()->showModal();
}

void Tmainfrm::EditUsers1Click()
{
    if (PassGate(UserCanAdministerUsers))
        AdmUsersForm()->showModal();
}

void Tmainfrm::SetupPeriods1Click()
{
    // The sheet shows new periods at its next re-read.
    if (PassGate(UserCanModifyPeriod))
        SetPeriodsForm()->showModal();
}

void Tmainfrm::Maintanence1Click() { ShowAlert(MainMessages::Maintenance); }

void Tmainfrm::ForceLogoff1Click()
{
    if (!PassGate(UserCanForceShutdown))
        return;
    ShowUsersOnline(true);
}

void Tmainfrm::ListPeopleOnline1Click() { ShowUsersOnline(false); }

void Tmainfrm::Printselectedsheet1Click()
{
    BookingSheetReport(SelectedItem(), QDateTime(SelectDate->selectedDate(), QTime(0, 0)));
}

void Tmainfrm::Printmybookings1Click() { ShowPrintListBookings(SelectDate->selectedDate()); }

void Tmainfrm::ViewalistofitemsIbooked1Click() { ShowPrintListBookings(SelectDate->selectedDate()); }

void Tmainfrm::AutoLoginRegistration1Click()
{
    if (PassGate(UserIsAdministrator))
        LoginCfgForm()->showModal();
}

void Tmainfrm::DefaultRightsforNewUsers1Click()
{
    if (PassGate(UserIsAdministrator))
        ShowDefaultRights();
}

void Tmainfrm::OtherConfigurationOptions1Click()
{
    if (PassGate(UserIsAdministrator))
        OtherConfigurationOptionsForm()->showModal();
}

void Tmainfrm::DisplayUsageStatistics1Click() { GenerateUsageReport(); }

// ------------------------------------------------------------------ timers

void Tmainfrm::StartShutdownWatch()
{
    if (!ForceShutdownWatchDog->isActive())
        ForceShutdownWatchDog->start();
}

void Tmainfrm::ForceShutdownWatchDogTimer()
{
    // A tick that comes while the previous one still runs (its message box
    // pumps events) does nothing.
    if (m_inWatch || m_closed)
        return;
    m_inWatch = true;
    struct Leave {
        bool& flag;
        ~Leave() { flag = false; }
    } leave{m_inWatch};

    bool force = false;
    QString user, reason;
    try {
        // A tick never waits for a file another program holds.
        NoLockWait noWait(DM().ADOConnection);
        // An empty table reads as flags clear.
        const ShutdownOrder order = ReadShutdownOrder();
        force = order.force;
        user = order.user;
        reason = order.reason;
    } catch (const std::exception&) {
        // Unreadable now (locked, unreachable): no change; the next tick
        // reads again. No message, so an outage stacks no boxes.
        return;
    }
    if (!force || user == CurrentUser)
        return;
    ForceShutdownWatchDog->stop();
    ShutDownTimer->start();
    ShowAlert(QStringLiteral("Forced Shutdown by ") + user + QStringLiteral(". Reason: ") + reason);
    close();
}

void Tmainfrm::ShutDownTimerTimer() { close(); }

void Tmainfrm::ColourNowTimerTimer()
{
    const auto noWait = noLockWait();
    ColourNow();
}

// ------------------------------------------------------------------ closing

bool Tmainfrm::FormCloseQuery() { return true; }

void Tmainfrm::FormClose()
{
    if (m_closed)
        return;
    m_closed = true;
    ForceShutdownWatchDog->stop();
    ShutDownTimer->stop();
    ColourNowTimer->stop();
    try {
        MarkUserOffline(CurrentUser);
    } catch (...) {
        // The window closes whether or not the database took the change.
    }
    // Dialogs still open over the window (a message box, a prompt, the
    // progress window) are taken down with it.
    for (int guard = 0; guard < 32; ++guard) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == this)
            break;
        modal->hide();
    }
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible() && qobject_cast<QDialog*>(w))
            w->hide();
    EndProgram();
}

void Tmainfrm::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void Tmainfrm::FormResize()
{
    placeControls();
    // A resize neither waits for the file nor reports it unreadable: the
    // sheet keeps its rows and headers and only takes the new size.
    const auto noWait = noLockWait();
    try {
        LayoutSheet();
    } catch (const DbError&) {
        sizeSheet();
    }
    ColourNow();
}
