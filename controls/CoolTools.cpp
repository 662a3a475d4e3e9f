#include "CoolTools.h"

#include <QPainter>
#include <QTimerEvent>
#include <QtGlobal>

#include <exception>

TCoolAnimate::TCoolAnimate(QWidget* parent)
    : QWidget(parent)
    , m_images([this](TCoolImages*) { CollectionChanged(); })
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAutoFillBackground(false);
    resize(100, 100);
}

TCoolAnimate::~TCoolAnimate()
{
    m_active = false;
    m_timer.stop();
}

void TCoolAnimate::UpdateTimer()
{
    m_timer.stop();
    if (m_interval != 0 && m_active && m_images.Get())
        m_timer.start(int(std::min<std::uint32_t>(m_interval, 0x7FFFFFFF)), this);
}

void TCoolAnimate::SetActive(bool active)
{
    if (!StoreChanged(m_active, active))
        return;
    UpdateTimer();
    update();
}

void TCoolAnimate::SetBevelInner(TBevelCut b)
{
    if (StoreChanged(m_bevelInner, b))
        update();
}

void TCoolAnimate::SetBevelOuter(TBevelCut b)
{
    if (StoreChanged(m_bevelOuter, b))
        update();
}

void TCoolAnimate::SetCoolImages(TCoolImages* images)
{
    // When the collection goes, only the reference is dropped; the ticks then
    // do nothing.
    m_images.Set(images, this, nullptr);
    UpdateTimer();
}

void TCoolAnimate::SetInterval(std::uint32_t interval)
{
    if (StoreChanged(m_interval, interval))
        UpdateTimer();
}

void TCoolAnimate::SetAutoSize(bool v)
{
    if (StoreChanged(m_autoSize, v))
        AdjustSize();
}

void TCoolAnimate::CollectionChanged()
{
    SetActive(false);
    AdjustSize();
}

bool TCoolAnimate::CanAutoSize(int& newWidth, int& newHeight) const
{
    const TCoolImages* images = m_images.Get();
    if (!m_autoSize || !images)
        return true;
    const TImages& items = images->Images();
    // A frame index beyond a shrunken collection counts as no frame.
    if (m_frame < 0 || m_frame >= items.Count())
        return true;
    const CoolBitmap& f = items.Items(m_frame)->Bitmap();
    if (f.Width() > 0 && f.Height() > 0) {
        if (m_align == alNone || m_align == alLeft || m_align == alRight)
            newWidth = f.Width();
        if (m_align == alNone || m_align == alTop || m_align == alBottom)
            newHeight = f.Height();
    }
    return true;
}

void TCoolAnimate::AdjustSize()
{
    int w = width(), h = height();
    if (CanAutoSize(w, h) && (w != width() || h != height()))
        resize(w, h);
}

void TCoolAnimate::Tick()
{
    TCoolImages* images = m_images.Get();
    if (!images)
        return;
    const TImages& items = images->Images();
    if (m_frame >= items.Count() || m_frame < 0)
        m_frame = 0;   // the collection shrank under the index
    try {
        if (items.Count() > 0) {
            const CoolBitmap& f = items.Items(m_frame)->Bitmap();
            if (!f.Empty()) {
                m_shown = f.Image();
                m_shownTransparent = f.TransparentColor();
                update();
            }
        }
        m_frame = m_frame < items.Count() - 1 ? m_frame + 1 : 0;
    } catch (const std::exception& e) {
        // A tick never shows a message; the frame is tried again next time.
        if (!m_tickFailed)
            qWarning("Animation frame %d could not be shown: %s", m_frame, e.what());
        m_tickFailed = true;
    }
}

void TCoolAnimate::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timer.timerId())
        Tick();
    else
        QWidget::timerEvent(event);
}

void TCoolAnimate::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QRect r = rect();
    // The frame sits one pixel up and left of the exact centre.
    if (!m_shown.isNull() && !(m_transparent && !parentWidget())) {
        const QPoint at((width() - m_shown.width()) / 2 - 1, (height() - m_shown.height()) / 2 - 1);
        if (m_transparent)
            DrawTransparentBitmap(p, m_shown, QRect(at, m_shown.size()), m_shown.rect(),
                                  m_shownTransparent);
        else
            p.drawImage(at, m_shown);
    }
    if (IsDesigning(this)) {
        p.setPen(QPen(Qt::black, 0, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    const unsigned edge = BevelEdge(m_bevelInner, m_bevelOuter);
    if (edge != 0)
        DrawEdge(p, r, edge, BF_RECT, palette());
}

// Resources of a static library must be registered by hand.
static void initAnimationResources()
{
    Q_INIT_RESOURCE(animation);
}

void LoadProgressAnimation(TCoolImages& images)
{
    initAnimationResources();
    for (int i = 1; i <= ProgressAnimationFrames; ++i) {
        TImageItem* item = images.Images().Add();
        item->LoadPicture(QStringLiteral(":/cool/animation/frame%1.bmp")
                              .arg(i, 2, 10, QLatin1Char('0')));
    }
}
