#include "StatusWindows.h"
#include "Utilities.h"

#include "CoolCtrls.h"
#include "CoolTools.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QTimer>

namespace {
int g_eventsHeld = 0;

void pumpEvents()
{
    if (g_eventsHeld == 0)
        QCoreApplication::processEvents();
}
} // namespace

WindowEventsHeld::WindowEventsHeld() { ++g_eventsHeld; }

WindowEventsHeld::~WindowEventsHeld() { --g_eventsHeld; }

// ------------------------------------------------------------------ progress

void StatusProgress::begin(int s)
{
    steps = qMax(0, s);
    gauge = 0;
    ticks = 0;
    lastShown = NoEstimate;
    timeLeft.clear();
}

int StatusProgress::percent() const
{
    return steps > 0 ? static_cast<int>(static_cast<long long>(gauge) * 100 / steps) : 0;
}

bool StatusProgress::step()
{
    gauge = qMin(gauge + 1, steps);
    long long estimate = lastShown;
    if (ticks > 50) {
        const int p = percent();
        estimate = RoundHalfEven(ticks / 10.0 / (p + 1) * (100 - p));
    }
    if (estimate >= lastShown)
        return false;
    timeLeft = QString::number(estimate) + QStringLiteral(" Seconds Left");
    lastShown = estimate;
    return true;
}

TStatusFrm::TStatusFrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("StatusFrm"));
    setWindowTitle(QStringLiteral("Status"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(315, 101);
    // A key or the window manager must not end the window mid-run: that
    // would also give the other windows their input back.
    setProgramClosedOnly(true);

    Frames = new TCoolImages(this);
    Frames->setObjectName(QStringLiteral("Frames"));
    LoadProgressAnimation(*Frames);
    AniMate = new TCoolAnimate(this);
    AniMate->setObjectName(QStringLiteral("AniMate"));
    AniMate->move(8, 8);
    AniMate->SetInterval(120);
    AniMate->SetTransparent(true);
    AniMate->SetCoolImages(Frames);
    AniMate->SetAutoSize(true);

    // The texts stand right of the animation.
    const int left = qMax(56, AniMate->x() + AniMate->width() + 8);
    const int textWidth = width() - left - 9;
    statuslabel = new QLabel(this);
    statuslabel->setObjectName(QStringLiteral("statuslabel"));
    statuslabel->setGeometry(left, 10, textWidth, 20);
    statuslabel->setTextFormat(Qt::PlainText);
    gauge = new QProgressBar(this);
    gauge->setObjectName(QStringLiteral("gauge"));
    gauge->setGeometry(left, 38, textWidth, 20);
    gauge->setTextVisible(true);
    TimeLeft = new QLabel(this);
    TimeLeft->setObjectName(QStringLiteral("TimeLeft"));
    TimeLeft->setGeometry(left, 66, textWidth, 20);
    StatusTimer = new QTimer(this);
    StatusTimer->setObjectName(QStringLiteral("StatusTimer"));
    StatusTimer->setInterval(100);
    connect(StatusTimer, &QTimer::timeout, this, &TStatusFrm::StatusTimerTimer);
}

void TStatusFrm::StatusTimerTimer() { progress.tick(); }

void TStatusFrm::showProgress()
{
    // A bar of range 0..0 would show a busy animation: no steps shows empty.
    gauge->setRange(0, qMax(progress.steps, 1));
    gauge->setValue(progress.gauge);
    TimeLeft->setText(progress.timeLeft);
}

void TStatusFrm::paintEvent(QPaintEvent* event)
{
    TFormBase::paintEvent(event);
    QPainter p(this);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

TStatusFrm* StatusForm()
{
    return SharedForm<TStatusFrm>();
}

void StatusBegin(const QString& text, int steps)
{
    TStatusFrm* f = StatusForm();
    f->progress.begin(steps);
    f->showProgress();
    f->statuslabel->setText(text);
    CentreOnScreen(f);
    f->show();
    f->raise();
    f->AniMate->SetActive(true);
    f->StatusTimer->start();
    pumpEvents();
}

void StatusStep()
{
    TStatusFrm* f = StatusForm();
    f->progress.step();
    f->showProgress();
    pumpEvents();
}

void StatusEnd()
{
    TStatusFrm* f = StatusForm();
    f->AniMate->SetActive(false);
    f->StatusTimer->stop();
    f->hide();
}

// ------------------------------------------------------------------ splash

std::vector<int> SplashSlideOut(int windowWidth, int labelWidth, double& step)
{
    std::vector<int> out;
    long long x = windowWidth / 2 - labelWidth / 2;
    while (x > -labelWidth) {
        out.push_back(static_cast<int>(x));
        x -= RoundHalfEven(step);
        step *= 1.01;
    }
    return out;
}

std::vector<int> SplashSlideIn(int windowWidth, int labelWidth, double step)
{
    std::vector<int> out;
    const long long target = windowWidth / 2 - labelWidth / 2;
    long long x = windowWidth;
    while (x > target) {
        out.push_back(static_cast<int>(x));
        const long long move = RoundHalfEven(step);
        if (move <= 0) {
            // The text would never arrive: it comes to rest on the centre.
            out.push_back(static_cast<int>(target));
            break;
        }
        x -= move;
        step /= 1.01;
    }
    return out;
}

TSplashFrm::TSplashFrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("SplashFrm"));
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    setFixedSize(400, 300);
    setProgramClosedOnly(true);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 400, 300);
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap(QStringLiteral(":/data/pictures/splash.png")));
    version = new QLabel(QStringLiteral("Version 5"), this);
    version->setObjectName(QStringLiteral("version"));
    version->adjustSize();
    version->move(400 - 8 - version->width(), 300 - 8 - version->height());
    maker = new QLabel(QStringLiteral("Corvant Applications"), this);
    maker->setObjectName(QStringLiteral("maker"));
    maker->adjustSize();
    maker->move(8, 300 - 8 - maker->height());
    statuslabel = new QLabel(this);
    statuslabel->setObjectName(QStringLiteral("statuslabel"));
    statuslabel->setTextFormat(Qt::PlainText);
    statuslabel->move(0, 251);
}

TSplashFrm* SplashForm()
{
    return SharedForm<TSplashFrm>();
}

void ShowSplash()
{
    TSplashFrm* f = SplashForm();
    f->statuslabel->setText(QStringLiteral("Starting up...."));
    f->statuslabel->adjustSize();
    f->statuslabel->move((f->statuslabel->width() - f->width()) / 2, 251);
    CentreOnScreen(f);
    f->show();
}

void HideSplash() { SplashForm()->hide(); }

void SplashStatus(const QString& text)
{
    TSplashFrm* f = SplashForm();
    QLabel* label = f->statuslabel;
    if (QFile::exists(QStringLiteral("FastLoad.tmp"))) {
        label->setText(text);
        label->adjustSize();
        return;
    }
    const int y = label->y();
    double step = 1e-9;
    for (const int x : SplashSlideOut(f->width(), label->width(), step)) {
        label->move(x, y);
        pumpEvents();
    }
    label->move(f->width(), y);
    label->setText(text);
    label->adjustSize();
    for (const int x : SplashSlideIn(f->width(), label->width(), step + 0.5)) {
        label->move(x, y);
        pumpEvents();
    }
}
