#include "selbrinfrm.h"
#include "Alerts.h"
#include "BrowseIt.h"
#include "DataModule.h"
#include "DbError.h"
#include "ImportData.h"
#include "InstallSettings.h"
#include "LegacyFiles.h"
#include "Lookups.h"
#include "RadioGroup.h"
#include "Session.h"
#include "TavrellApplication.h"
#include "Utilities.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <cmath>

namespace {

const QString InvalidFiftyFolder = QStringLiteral("The folder specified for Tavrell 5.0 is invalid.");
const QString CorruptInstall = QStringLiteral("This install of Tavrell 4.x is corrupt");
const QString NotApplicable = QStringLiteral("N/A");
constexpr int ProgressMaximum = 11250;
// How often, at most, the log's new lines are put into the window.
constexpr int LogInterval = 100;

QPlainTextEdit* memo(QWidget* parent, const char* name, const QStringList& lines, const QRect& at)
{
    auto* m = new QPlainTextEdit(parent);
    m->setObjectName(QLatin1String(name));
    m->setPlainText(lines.join(QLatin1Char('\n')));
    m->setReadOnly(true);
    m->setEnabled(false);
    // Disabled, yet as readable as any text.
    QPalette palette = m->palette();
    palette.setColor(QPalette::Disabled, QPalette::Text, palette.color(QPalette::Active, QPalette::Text));
    m->setPalette(palette);
    m->setFrameShape(QFrame::NoFrame);
    m->setGeometry(at);
    return m;
}

QStringList blankLines(int n) { return QStringList(n, QString()); }

QLabel* label(QWidget* parent, const QString& text, const QRect& at)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(at);
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, const QRect& at)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(at);
    return b;
}

} // namespace

TSelbrinFrm::TSelbrinFrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("SelbrinFrm"));
    setWindowTitle(QStringLiteral("Import Wizard"));
    setFixedSize(554, 371);

    static const char* const partNames[] = {"part1", "part2", "part3", "part4", "part5", "part6", "part7"};
    static const char* const captions[] = {"Welcome",
                                           "Step 1: Locate Tavrell 5.0 Program",
                                           "Step 2: Login as Administrator",
                                           "Step 3: Import location",
                                           "Step 4: Import Options",
                                           "Step 5: Period Alignment",
                                           "Importing"};
    for (int i = 0; i < 7; ++i) {
        parts[size_t(i)] = new QGroupBox(QString::fromLatin1(captions[i]), this);
        parts[size_t(i)]->setObjectName(QLatin1String(partNames[i]));
        parts[size_t(i)]->setGeometry(0, 0, 554, 328);
    }
    const QRect memoArea(8, 20, 537, 300);

    // Step 1
    memo(parts[0], "Memo1",
         QStringList{QStringLiteral("This wizard will guide you through step by step the importing of "),
                     QStringLiteral("data from Tavrell 4.0, 4.1 or 4.2 to version "),
                     QStringLiteral("5.0. Please make sure the following has been done prior to "),
                     QStringLiteral("running this wizard:"), QString(),
                     QStringLiteral("* A full data integrity check has been done of the Version 4.x "),
                     QStringLiteral("database."), QStringLiteral("* Nobody is using Tavrell 4.x"),
                     QStringLiteral("* Tavrell 5.0 has been setup "), QStringLiteral("* Nobody is using Tavrell 5.0")},
         memoArea);

    // Step 2
    memo(parts[1], "Memo2",
         QStringList{QStringLiteral("This program will attempt to locate where tavrell 5.0 is "),
                     QStringLiteral("located. It may display the UNC path (that is the full network path, not the drive "),
                     QStringLiteral("mapped path) to the program. "), QString(),
                     QStringLiteral("If this is wrong, then please locate the folder where Tavrell "),
                     QStringLiteral("5.0 is by pressing the "), QStringLiteral("Browse button.")}
             + blankLines(6) + QStringList{QStringLiteral("When everything is right click '>'")},
         memoArea);
    db50path = new QLineEdit(parts[1]);
    db50path->setObjectName(QStringLiteral("db50path"));
    db50path->setGeometry(16, 150, 521, 21);
    Button4 = button(parts[1], "Button4", QStringLiteral("Browse"), QRect(462, 178, 75, 25));

    // Step 3
    memo(parts[2], "Memo3",
         QStringList{QStringLiteral("Please enter the password of the \"ADMIN\" account of Tavrell 5.0")}
             + blankLines(4) + QStringList{QStringLiteral("When everything is right click '>'")},
         memoArea);
    pass = new QLineEdit(parts[2]);
    pass->setObjectName(QStringLiteral("pass"));
    pass->setEchoMode(QLineEdit::Password);
    pass->setGeometry(16, 52, 169, 21);

    // Step 4
    memo(parts[3], "Memo4",
         QStringList{QStringLiteral("Please specify the location of Tavrell 4.x")} + blankLines(10)
             + QStringList{QStringLiteral("When everything is right click '>'")},
         memoArea);
    db40path = new QLineEdit(parts[3]);
    db40path->setObjectName(QStringLiteral("db40path"));
    db40path->setGeometry(16, 52, 521, 21);
    Button5 = button(parts[3], "Button5", QStringLiteral("Browse"), QRect(462, 80, 75, 25));

    // Step 5
    QPlainTextEdit* memo5 = memo(parts[4], "Memo5", {}, memoArea);
    const auto group = [this](const char* name, const QString& first, const QString& second, int top) {
        auto* g = new TRadioGroup(parts[4]);
        g->setObjectName(QLatin1String(name));
        g->setItems({first, second});
        g->setItemIndex(0);
        g->setGeometry(16, top, 521, 66);
        return g;
    };
    userprecedence = group("userprecedence", QStringLiteral("Overwrite users in QVK 5.0"),
                           QStringLiteral("Do not overwrite users in QVK 5.0"), 44);
    bookingprecedence = group("bookingprecedence", QStringLiteral("Overwrite Bookings in QVK 5.0"),
                              QStringLiteral("Do not Overwrite Bookings in QVK 5.0"), 116);
    invprecedence = group("invprecedence", QStringLiteral("Overwrite Inventory in QVK 5.0"),
                          QStringLiteral("Do not Overwrite Inventory in QVK 5.0"), 188);
    {
        // The closing line stands at the memo's foot, right under the three
        // groups however tall the font's lines are, and never past the memo.
        const QFontMetricsF metrics(memo5->font());
        const qreal margin = memo5->document()->documentMargin();
        const int groupsFoot = invprecedence->geometry().bottom() - memoArea.top();
        const int below = int(std::ceil((groupsFoot + 1 - margin) / metrics.lineSpacing()));
        const int lastFitting = int((memoArea.height() - 2 * margin) / metrics.lineSpacing()) - 1;
        const int line = std::max(1, std::min(below, lastFitting));
        memo5->setPlainText((QStringList{QStringLiteral("When Importing ")} + blankLines(line - 1)
                             + QStringList{QStringLiteral("When everything is right click '>'")})
                                .join(QLatin1Char('\n')));
    }

    // Step 6
    memo(parts[5], "Memo6",
         QStringList{QStringLiteral("Tavrell 4.0 has set periods that version 5.0 may or may not "),
                     QStringLiteral("have. Please specify what periods you want to import on and what periods in "),
                     QStringLiteral("version 4.0 align with version 5.0")},
         QRect(8, 20, 537, 52));
    label(parts[5], QStringLiteral("Ver 4.0"), QRect(16, 76, 60, 16));
    label(parts[5], QStringLiteral("Import"), QRect(76, 76, 50, 16));
    label(parts[5], QStringLiteral("to this Ver 5.0 Period"), QRect(140, 76, 200, 16));
    constexpr int rowTop = 94;
    constexpr int rowHeight = 17;
    for (int k = 0; k < 12; ++k) {
        const QString code = Legacy::PeriodCodes.at(k);
        label(parts[5], code, QRect(24, rowTop + k * rowHeight, 40, rowHeight));
        auto* box = new QCheckBox(parts[5]);
        box->setObjectName(QStringLiteral("Import") + code);
        box->setGeometry(86, rowTop + k * rowHeight, 20, rowHeight);
        importBoxes[size_t(k)] = box;
    }
    ImportPeriodList = new QListWidget(parts[5]);
    ImportPeriodList->setObjectName(QStringLiteral("ImportPeriodList"));
    ImportPeriodList->setGeometry(140, rowTop - 2, 200, 12 * rowHeight + 4);
    ImportPeriodList->setUniformItemSizes(true);
    ImportPeriodList->setStyleSheet(QStringLiteral("QListWidget::item { height: %1px; }").arg(rowHeight));
    for (int k = 1; k <= 12; ++k)
        ImportPeriodList->addItem(QString::number(k));
    Button1 = button(parts[5], "Button1", QStringLiteral("Move Period Up"), QRect(360, 120, 130, 25));
    Button2 = button(parts[5], "Button2", QStringLiteral("Move Period Down"), QRect(360, 152, 130, 25));
    label(parts[5], QStringLiteral("When everything looks right click >"), QRect(16, 304, 300, 16));

    // Step 7
    status = new QPlainTextEdit(parts[6]);
    status->setObjectName(QStringLiteral("status"));
    status->setReadOnly(true);
    status->setGeometry(8, 20, 537, 276);
    progress = new QProgressBar(parts[6]);
    progress->setObjectName(QStringLiteral("progress"));
    progress->setGeometry(8, 302, 537, 18);
    progress->setTextVisible(false);

    // The button box
    BtnGrpBox = new QGroupBox(this);
    BtnGrpBox->setObjectName(QStringLiteral("BtnGrpBox"));
    BtnGrpBox->setGeometry(0, 328, 554, 43);
    CloseBtn = button(BtnGrpBox, "CloseBtn", QStringLiteral("&Close"), QRect(8, 11, 75, 25));
    timeleft = label(BtnGrpBox, QStringLiteral("Time Left:"), QRect(96, 15, 270, 17));
    timeleft->setObjectName(QStringLiteral("timeleft"));
    timeleft->hide();
    BackBtn = button(BtnGrpBox, "BackBtn", QStringLiteral("<"), QRect(388, 11, 75, 25));
    NextBtn = button(BtnGrpBox, "NextBtn", QStringLiteral(">"), QRect(470, 11, 75, 25));
    NextBtn->setDefault(true);
    // Return anywhere in the wizard means ">".
    for (QPushButton* b : {Button1, Button2, Button4, Button5, CloseBtn, BackBtn})
        b->setAutoDefault(false);

    browse50 = new TBrowseIt(this);
    browse50->setObjectName(QStringLiteral("browse50"));
    browse40 = new TBrowseIt(this);
    browse40->setObjectName(QStringLiteral("browse40"));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);

    connect(NextBtn, &QPushButton::clicked, this, &TSelbrinFrm::NextBtnClick);
    connect(BackBtn, &QPushButton::clicked, this, &TSelbrinFrm::BackBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, &TSelbrinFrm::CloseBtnClick);
    connect(Button4, &QPushButton::clicked, this, &TSelbrinFrm::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TSelbrinFrm::Button5Click);
    connect(Button1, &QPushButton::clicked, this, &TSelbrinFrm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TSelbrinFrm::Button2Click);
    connect(Timer1, &QTimer::timeout, this, &TSelbrinFrm::Timer1Timer);
    // Closing the wizard closes the backdrop, which ends the program.
    connect(this, &QDialog::finished, this, [this] {
        if (backdrop)
            backdrop->close();
    });
}

TSelbrinFrm::~TSelbrinFrm() = default;

void TSelbrinFrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    FormShow();
}

void TSelbrinFrm::FormShow()
{
    for (QGroupBox* p : parts)
        p->move(0, 0);
    db50path->setText(InstallSettings::readInstallFolder());
    step = 1;
    ShowStep();
}

void TSelbrinFrm::closeEvent(QCloseEvent* event)
{
    // During the run a close ends the program after the current record.
    if (m_running) {
        m_closeRequested = true;
        event->ignore();
        return;
    }
    TFormBase::closeEvent(event);
}

void TSelbrinFrm::keyPressEvent(QKeyEvent* event)
{
    // Escape during the run stands for closing: the run stops after the
    // current record, rather than the wizard going while it still writes.
    if (m_running && event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_closeRequested = true;
        event->accept();
        return;
    }
    TFormBase::keyPressEvent(event);
}

void TSelbrinFrm::NextBtnClick()
{
    ++step;
    ShowStep();
}

void TSelbrinFrm::BackBtnClick()
{
    --step;
    ShowStep();
}

void TSelbrinFrm::CloseBtnClick()
{
    if (m_running) {
        m_closeRequested = true;
        return;
    }
    done(mrCancel);
}

void TSelbrinFrm::Button4Click()
{
    browse50->Execute(this);
    if (!browse50->Directory.isEmpty())
        db50path->setText(browse50->Directory);
}

void TSelbrinFrm::Button5Click()
{
    browse40->Execute(this);
    if (!browse40->Directory.isEmpty())
        db40path->setText(browse40->Directory);
}

void TSelbrinFrm::Button1Click()
{
    const int row = ImportPeriodList->currentRow();
    if (row <= 0 || !ImportPeriodList->currentItem()->isSelected())
        return;
    QListWidgetItem* here = ImportPeriodList->item(row);
    QListWidgetItem* above = ImportPeriodList->item(row - 1);
    const QString text = here->text();
    here->setText(above->text());
    above->setText(text);
    ImportPeriodList->setCurrentRow(row - 1);
}

void TSelbrinFrm::Button2Click()
{
    const int row = ImportPeriodList->currentRow();
    if (row < 0 || row >= ImportPeriodList->count() - 1 || !ImportPeriodList->currentItem()->isSelected())
        return;
    QListWidgetItem* here = ImportPeriodList->item(row);
    QListWidgetItem* below = ImportPeriodList->item(row + 1);
    const QString text = here->text();
    here->setText(below->text());
    below->setText(text);
    ImportPeriodList->setCurrentRow(row + 1);
}

QString TSelbrinFrm::TimeLeftText(int counter, int position, int maximum)
{
    // The run may pass the bar's maximum (a long category file): nothing
    // remains then, rather than a time below zero.
    const long long seconds =
        std::max(0LL, RoundHalfEven(counter / 10.0 / (position + 1) * (maximum - position + 1)));
    return QString::number(seconds / 60) + QStringLiteral(" min ") + QString::number(seconds % 60)
           + QStringLiteral(" sec remains");
}

void TSelbrinFrm::Timer1Timer()
{
    ++tickCounter;
    timeleft->show();
    timeleft->setText(TimeLeftText(tickCounter, m_position, progress->maximum()));
}

// ------------------------------------------------------------------ steps

QString TSelbrinFrm::fiftyDatabase() const
{
    const QString folder = db50path->text();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(QStringLiteral("data.mdb"));
}

void TSelbrinFrm::enterPeriodStep()
{
    const QString fifty = fiftyDatabase();
    if (fifty.isEmpty())
        throw DbError(InvalidFiftyFolder);
    DataModule& dm = DM();
    dm.connectTo(fifty);
    for (Dataset* t : {&dm.itemstable, &dm.BookingsTable, &dm.ConfigTable, &dm.UserTable, &dm.PeriodsTable})
        t->open();
    const int n = HighestPeriodOrder();
    for (int k = 1; k <= 12; ++k) {
        if (k <= n)
            importBoxes[size_t(k - 1)]->setChecked(true);
    }
    ImportPeriodList->clear();
    for (int k = 1; k <= n; ++k)
        ImportPeriodList->addItem(PeriodNameAt(k));
}

void TSelbrinFrm::ShowStep()
{
    if (step == 6) {
        try {
            enterPeriodStep();
        } catch (const std::exception&) {
            if (HasDM())
                DM().closeAll();
            ShowAlert(InvalidFiftyFolder);
            step = 2;
            ShowStep();
            return;
        }
    }
    // The step's page in front; the others behind it are hidden, so their
    // captions do not show through.
    const int page = std::clamp(step, 1, 7) - 1;
    for (int i = 0; i < 7; ++i)
        parts[size_t(i)]->setVisible(i == page);
    parts[size_t(page)]->raise();
    // Typing goes to the step's own entry.
    if (QLineEdit* entry = step == 2 ? db50path : step == 3 ? pass : step == 4 ? db40path : nullptr)
        entry->setFocus();
    if (step <= 1) {
        step = 1;
        CloseBtn->setEnabled(true);
        NextBtn->setEnabled(true);
        BackBtn->setEnabled(false);
    } else if (step <= 6) {
        CloseBtn->setEnabled(true);
        NextBtn->setEnabled(true);
        BackBtn->setEnabled(true);
    } else {
        step = 7;
        CloseBtn->setEnabled(false);
        NextBtn->setEnabled(false);
        BackBtn->setEnabled(false);
        RunImport();
    }
}

bool TSelbrinFrm::IsPeriodImported(const QString& code) const
{
    const int k = int(Legacy::PeriodCodes.indexOf(code));
    if (k < 0 || !importBoxes[size_t(k)]->isChecked() || k >= ImportPeriodList->count())
        return false;
    // An entry without a name stands for no period in use.
    const QString entry = ImportPeriodList->item(k)->text();
    return entry != NotApplicable && !entry.isEmpty();
}

QString TSelbrinFrm::MapPeriod(const QString& code) const
{
    const int k = int(Legacy::PeriodCodes.indexOf(code));
    if (k < 0 || k >= ImportPeriodList->count())
        return NotApplicable;
    return ImportPeriodList->item(k)->text();
}

// ------------------------------------------------------------------ the run

QString TSelbrinFrm::legacyFolder() const { return db40path->text(); }

// The log's lines reach the window in batches: put in one at a time, a
// shown log would cost several times the import's own work.
void TSelbrinFrm::flushLog()
{
    if (!m_pendingLog.isEmpty()) {
        status->appendPlainText(m_pendingLog.join(QLatin1Char('\n')));
        m_pendingLog.clear();
    }
    m_logFlushed.start();
}

// A wait of the lock-out keeps its length, but the window repaints
// through it, showing the lines logged before it; clicks, keys and closing
// wait for the run, and the time-left estimate does not count the wait.
void TSelbrinFrm::lockOutWait(int seconds)
{
    flushLog();
    const QDeadlineTimer until(std::chrono::seconds{seconds});
    const bool ticking = Timer1->isActive();
    Timer1->stop();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (sleeper)
        sleeper(seconds);
    for (qint64 left; !sleeper && (left = until.remainingTime()) > 0;) {
        QThread::msleep(std::min<qint64>(left, 20));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    if (ticking)
        Timer1->start();
}

ImportChoices TSelbrinFrm::choices() const
{
    ImportChoices c;
    c.legacyFolder = legacyFolder();
    c.overwriteUsers = userprecedence->itemIndex() == 0;
    c.overwriteItems = invprecedence->itemIndex() == 0;
    c.overwriteBookings = bookingprecedence->itemIndex() == 0;
    for (int k = 0; k < 12; ++k) {
        const QString& code = Legacy::PeriodCodes.at(k);
        if (IsPeriodImported(code))
            c.periods[size_t(k)] = MapPeriod(code);
    }
    return c;
}

void TSelbrinFrm::failCheck(const QString& message, int backTo)
{
    ShowAlert(message);
    step = backTo;
    ShowStep();
}

bool TSelbrinFrm::checksPass()
{
    const QString fifty = fiftyDatabase();
    if (fifty.isEmpty() || !QFile::exists(fifty)) {
        failCheck(InvalidFiftyFolder, 2);
        return false;
    }
    DataModule& dm = DM();
    dm.UserTable.open();
    if (FindUser(QStringLiteral("ADMIN")) == -1) {
        failCheck(QStringLiteral("This installation of Tavrell 5.0 has not been setup"), 2);
        return false;
    }
    // Without its control row the clients could not be locked out.
    dm.SystemTable.open();
    dm.SystemTable.requery();
    if (dm.SystemTable.isEmpty()) {
        failCheck(QStringLiteral("This installation of Tavrell 5.0 has no control row, so its users cannot be "
                                 "locked out while importing"),
                  2);
        return false;
    }
    if (!ImportCheckPassword(QStringLiteral("ADMIN"), pass->text())) {
        failCheck(QStringLiteral("Administrator Password supplied is incorrect"), 3);
        return false;
    }
    const QString forty = legacyFolder();
    const std::pair<QString, qint64> files[] = {
        {Legacy::BookingFileName, qint64(Legacy::BookingCount) * Legacy::BookingSize},
        {QStringLiteral("Invent.IBD"), qint64(Legacy::ItemCount) * Legacy::ItemSize},
        {QStringLiteral("user.ibd"), qint64(Legacy::UserCount) * Legacy::UserSize}};
    bool sound = true;
    for (const auto& [name, size] : files)
        sound = sound && LegacyFileProblem(forty, name, size).isEmpty();
    // Read here, before anyone is locked out: a damaged category file is
    // refused in moments rather than imported line by line.
    if (!sound || !CategoryFileProblem(forty).isEmpty()) {
        failCheck(CorruptInstall, 4);
        return false;
    }
    return true;
}

void TSelbrinFrm::RunImport()
{
    progress->setRange(1, ProgressMaximum);
    progress->setValue(1);
    m_position = 1;
    m_refusals = 0;
    progress->repaint();
    try {
        if (!checksPass())
            return;
    } catch (const std::exception& e) {
        // The 5.0 file went away or broke since step 6.
        failCheck(ErrorText(e), 2);
        return;
    }
    // The importer acts as the administrator whose password was given.
    CurrentUser = QStringLiteral("ADMIN");

    tickCounter = 3600;
    Timer1->start();
    m_running = true;
    m_closeRequested = false;
    ImportRun run(choices());
    run.log = [this](const QString& line) { m_pendingLog << line; };
    run.progress = [this](int position) {
        m_position = position;
        progress->setValue(std::min(position, progress->maximum()));
    };
    run.stopRequested = [this] {
        if (m_logFlushed.hasExpired(LogInterval))
            flushLog();
        QCoreApplication::processEvents();
        return m_closeRequested;
    };
    run.wait = [this](int seconds) { lockOutWait(seconds); };
    run.afterRecord = afterRecord;
    m_logFlushed.start();
    const ImportRun::Outcome outcome = run.run();
    flushLog();
    m_refusals = run.refusals();
    m_running = false;
    Timer1->stop();
    if (outcome == ImportRun::Outcome::Stopped) {
        done(mrCancel);
        return;
    }
    CloseBtn->setEnabled(true);
    if (outcome == ImportRun::Outcome::Failed) {
        // The users stay locked out until a client starts with
        // "/ENABLELOGIN"; the wizard can still be closed.
        ShowAlert(run.error());
    } else {
        CloseBtn->setText(QStringLiteral("Finish"));
    }
    if (m_closeRequested)
        done(mrCancel);
}
