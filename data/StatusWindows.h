#pragma once
#include "Forms.h"

#include <QString>
#include <vector>

class QLabel;
class QProgressBar;
class QTimer;
class TCoolAnimate;
class TCoolImages;

// ------------------------------------------------------------------ progress

// The progress window's arithmetic: the gauge, the tick count and the
// seconds-left estimate, which is only ever shown going down.
class StatusProgress {
public:
    static constexpr long long NoEstimate = 22222222;

    void begin(int steps);
    void tick() { ++ticks; }
    // One step done; true when the estimate text changed.
    bool step();
    // The gauge's whole percent done, 0..100 (0 with no steps).
    int percent() const;

    int steps = 0;
    int gauge = 0;                  // clamped at steps
    int ticks = 0;                  // 100 ms timer ticks since begin
    long long lastShown = NoEstimate;
    QString timeLeft;
};

// The progress window of long runs: animation, task text, gauge and
// seconds-left estimate. While it shows, input to the other windows is
// blocked (a second run cannot start inside the first); timers and painting
// go on.
class TStatusFrm : public TFormBase {
    Q_OBJECT
public:
    explicit TStatusFrm(QWidget* parent = nullptr);
    TCoolImages* Frames;    // the animation's pictures
    TCoolAnimate* AniMate;
    QLabel* statuslabel;
    QProgressBar* gauge;
    QLabel* TimeLeft;
    QTimer* StatusTimer;
    StatusProgress progress;

    // The 100 ms tick (tests call it instead of waiting).
    void StatusTimerTimer();
    // Shows the model's state.
    void showProgress();

protected:
    void paintEvent(QPaintEvent* event) override;
};

TStatusFrm* StatusForm();

void StatusBegin(const QString& text, int steps);
void StatusStep();
void StatusEnd();

// While one lives, the progress window does not let window events run. A
// run holds them while it holds the file in a transaction: an event's
// handler (the shutdown watch's alert, say) could stand on screen with the
// file held for as long as it stays.
class WindowEventsHeld {
public:
    WindowEventsHeld();
    ~WindowEventsHeld();
    WindowEventsHeld(const WindowEventsHeld&) = delete;
    WindowEventsHeld& operator=(const WindowEventsHeld&) = delete;
};

// Begins the progress window and ends it when the scope is left, by an
// error too.
class StatusScope {
public:
    StatusScope(const QString& text, int steps) { StatusBegin(text, steps); }
    ~StatusScope() { StatusEnd(); }
    StatusScope(const StatusScope&) = delete;
    StatusScope& operator=(const StatusScope&) = delete;
};

// ------------------------------------------------------------------ splash

// The left edges the step text takes while it slides off to the left from
// the centre, starting from step; step is left as the slide ends.
std::vector<int> SplashSlideOut(int windowWidth, int labelWidth, double& step);
// The left edges the new text takes while it slides in from the right and
// comes to rest at about the centre. When the shrinking step rounds to no
// movement before the centre, the text is put at the centre.
std::vector<int> SplashSlideIn(int windowWidth, int labelWidth, double step);

class TSplashFrm : public TFormBase {
    Q_OBJECT
public:
    explicit TSplashFrm(QWidget* parent = nullptr);
    QLabel* Image1;
    QLabel* version;
    QLabel* maker;
    QLabel* statuslabel;
};

TSplashFrm* SplashForm();

void ShowSplash();
void HideSplash();
// Shows one start-up step: the old text slides out, the new one in; with
// "FastLoad.tmp" in the current folder only the text changes.
void SplashStatus(const QString& text);
