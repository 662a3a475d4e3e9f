#pragma once
// The frame animation: the pictures of a collection shown in turn on a timer,
// centred in the control.
#include "CoolCtrls.h"

#include <QBasicTimer>

class TCoolAnimate : public QWidget {
    Q_OBJECT
public:
    explicit TCoolAnimate(QWidget* parent = nullptr);
    ~TCoolAnimate() override;

    bool Active() const { return m_active; }
    void SetActive(bool active);
    TBevelCut BevelInner() const { return m_bevelInner; }
    void SetBevelInner(TBevelCut b);
    TBevelCut BevelOuter() const { return m_bevelOuter; }
    void SetBevelOuter(TBevelCut b);
    TCoolImages* CoolImages() const { return m_images.Get(); }
    void SetCoolImages(TCoolImages* images);
    std::uint32_t Interval() const { return m_interval; }
    void SetInterval(std::uint32_t interval);
    // Frames are laid over the parent's look, their transparent colour left
    // out. Changing it repaints nothing.
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool v) { m_transparent = v; }
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool v);
    TAlign Align() const { return m_align; }
    void SetAlign(TAlign a) { m_align = a; }

    // The index of the next frame to show.
    int CurrentFrame() const { return m_frame; }
    // True while the clock runs.
    bool TimerArmed() const { return m_timer.isActive(); }
    // One step of the clock: show the current frame and move on.
    void Tick();
    // The size the frame asks for; always true.
    bool CanAutoSize(int& newWidth, int& newHeight) const;
    // Resizes the control when AutoSize is on and a frame gives a size.
    void AdjustSize();

    TCCAboutBox About;

protected:
    void timerEvent(QTimerEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void UpdateTimer();
    void CollectionChanged();

    bool m_active = false;
    CoolImagesRef m_images;
    std::uint32_t m_interval = 200;
    int m_frame = 0;
    TBevelCut m_bevelInner = bvNone;
    TBevelCut m_bevelOuter = bvNone;
    bool m_transparent = false;
    bool m_autoSize = false;
    TAlign m_align = alNone;
    QBasicTimer m_timer;
    QImage m_shown;   // the frame the last tick showed
    TColor m_shownTransparent = clDefault;
    bool m_tickFailed = false;
};

// Fills the collection with the progress window's 19 animation frames.
void LoadProgressAnimation(TCoolImages& images);
constexpr int ProgressAnimationFrames = 19;
