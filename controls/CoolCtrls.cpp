#include "CoolCtrls.h"

#include <QEvent>
#include <QKeySequence>
#include <QPainter>
#include <QShowEvent>

#include <algorithm>
#include <stdexcept>

// ---------------------------------------------------------------------------
// Change links and the collection
// ---------------------------------------------------------------------------

TCoolChangeLink::~TCoolChangeLink()
{
    if (m_images)
        m_images->UnRegisterChanges(this);
}

void TCoolChangeLink::Change()
{
    if (OnChange)
        OnChange(m_images);
}

TImageItem::TImageItem(TImages* collection)
    : m_collection(collection)
{
}

void TImageItem::PictureChanged()
{
    m_bitmap.SetImage(m_picture.isNull() ? QImage()
                                         : m_picture.convertToFormat(QImage::Format_RGB32));
    if (m_collection && m_collection->Owner())
        m_collection->Owner()->Change();
}

void TImageItem::SetPicture(const QImage& picture)
{
    m_picture = picture;
    PictureChanged();
}

bool TImageItem::LoadPicture(const QString& fileName)
{
    const QImage img(fileName);
    if (!img.isNull())
        SetPicture(img);
    return !img.isNull();
}

void TImageItem::Assign(const TPersistent& source)
{
    if (auto* item = dynamic_cast<const TImageItem*>(&source)) {
        SetPicture(item->m_picture);
        return;
    }
    TPersistent::Assign(source);
}

TImages::TImages(TCoolImages* owner)
    : m_owner(owner)
{
}

TImages::~TImages() = default;

TImageItem* TImages::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return m_items[std::size_t(index)].get();
}

TImageItem* TImages::Add()
{
    m_items.push_back(std::make_unique<TImageItem>(this));
    return m_items.back().get();
}

void TImages::Delete(int index)
{
    TImageItem* item = Items(index);
    item->PictureChanged();
    // The handler may have changed the collection; find the item again.
    auto it = std::find_if(m_items.begin(), m_items.end(),
                           [item](const auto& p) { return p.get() == item; });
    if (it != m_items.end())
        m_items.erase(it);
}

void TImages::Clear()
{
    m_items.clear();
}

TCoolImages::TCoolImages(QObject* owner)
    : QObject(owner)
    , m_images(std::make_unique<TImages>(this))
{
}

TCoolImages::~TCoolImages()
{
    while (!m_links.empty())
        UnRegisterChanges(m_links.back());
    m_images.reset();   // no link is left to hear of it
}

void TCoolImages::RegisterChanges(TCoolChangeLink* link)
{
    if (!link || IsRegistered(link))
        return;
    if (link->m_images && link->m_images != this)
        link->m_images->UnRegisterChanges(link);
    link->m_images = this;
    m_links.push_back(link);
}

void TCoolImages::UnRegisterChanges(TCoolChangeLink* link)
{
    auto it = std::find(m_links.begin(), m_links.end(), link);
    if (it == m_links.end())
        return;
    link->m_images = nullptr;
    m_links.erase(it);
}

bool TCoolImages::IsRegistered(const TCoolChangeLink* link) const
{
    return std::find(m_links.begin(), m_links.end(), link) != m_links.end();
}

void TCoolImages::Change()
{
    // A link's handler may unregister links; each is told only while it is
    // still registered.
    const std::vector<TCoolChangeLink*> links = m_links;
    for (TCoolChangeLink* link : links)
        if (IsRegistered(link))
            link->Change();
}

const CoolBitmap* ChooseWallpaper(const TCoolImages* images, int index, const CoolBitmap* own)
{
    if (images && index >= 0 && index <= images->Images().Count() - 1) {
        const CoolBitmap& b = images->Images().Items(index)->Bitmap();
        if (!b.Empty())
            return &b;
    }
    if (own && !own->Empty())
        return own;
    return nullptr;
}

bool HasWallpaper(const TCoolImages* images, int index, const CoolBitmap* own)
{
    return ChooseWallpaper(images, index, own) != nullptr;
}

CoolImagesRef::CoolImagesRef(std::function<void(TCoolImages*)> onChange)
{
    m_link.OnChange = std::move(onChange);
}

CoolImagesRef::~CoolImagesRef()
{
    QObject::disconnect(m_gone);
}

void CoolImagesRef::Set(TCoolImages* images, QObject* context, std::function<void()> onGone)
{
    QObject::disconnect(m_gone);
    if (m_images)
        m_images->UnRegisterChanges(&m_link);
    m_images = images;
    if (images) {
        images->RegisterChanges(&m_link);
        m_gone = QObject::connect(images, &QObject::destroyed, context,
                                  [this, onGone = std::move(onGone)] {
                                      m_images = nullptr;
                                      if (onGone)
                                          onGone();
                                  });
    }
}

// ---------------------------------------------------------------------------
// Timer
// ---------------------------------------------------------------------------

TThreadTimer::TThreadTimer(QObject* parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        // The tick may free the control, and this timer with it.
        const QPointer<TThreadTimer> alive(this);
        DoTimer();
        if (alive && m_enabled && !m_timer.isActive())
            Arm();
    });
}

TThreadTimer::~TThreadTimer()
{
    m_enabled = false;
    m_timer.stop();
}

void TThreadTimer::Arm()
{
    m_timer.start(int(m_interval));
}

void TThreadTimer::SetEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (enabled)
        Arm();
    else
        m_timer.stop();
}

void TThreadTimer::SetInterval(std::uint16_t interval)
{
    if (interval == m_interval)
        return;
    m_interval = interval;
    if (m_timer.isActive())
        Arm();
}

void TThreadTimer::DoTimer()
{
    // A copy: the handler may free this timer.
    if (const auto handler = OnTimer)
        handler(this);
}

// ---------------------------------------------------------------------------
// Scrolling text
// ---------------------------------------------------------------------------

TCoolScrollingText::TCoolScrollingText(QWidget* parent)
    : QWidget(parent)
    , m_images([this](TCoolImages*) { Invalidate(); })
    , m_timer(std::make_unique<TThreadTimer>())
{
    m_glyph.OnChange = [this](TGlyph*) { Invalidate(); };
    m_timer->OnTimer = [this](TThreadTimer*) { Tick(); };
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAutoFillBackground(false);
    resize(97, 15);
}

TCoolScrollingText::~TCoolScrollingText()
{
    m_destroying = true;
    m_timer.reset();   // stops the clock before anything else goes
    m_glyph.OnChange = nullptr;
}

void TCoolScrollingText::Invalidate()
{
    ++m_repaints;
    update();
}

void TCoolScrollingText::Loaded()
{
    m_loaded = true;
    AdjustBounds();
    ResetPosition(false);
    UpdateTimer();
}

void TCoolScrollingText::SetName(const QString& name)
{
    QString text = Text();
    while (!text.isEmpty() && (text.back().isSpace()))
        text.chop(1);
    const bool follows = !objectName().isEmpty() && text == objectName();
    setObjectName(name);
    if (follows)
        SetStrings(QStringList{name});
}

QString TCoolScrollingText::Text() const
{
    QString t;
    for (const QString& line : m_strings)
        t += line + QLatin1String("\r\n");
    return t;
}

void TCoolScrollingText::StringsChanged()
{
    Invalidate();
    AdjustBounds();
    UpdateAccelerator();
}

void TCoolScrollingText::SetStrings(const QStringList& lines)
{
    m_strings = lines;
    StringsChanged();
}

void TCoolScrollingText::UpdateTimer()
{
    if (IsDesigning(this))
        return;
    // The clock counts in 16 bits; a longer interval is held at its maximum.
    m_timer->SetInterval(std::uint16_t(std::min<std::uint32_t>(m_interval, 0xFFFF)));
    m_timer->SetEnabled(m_active);
}

void TCoolScrollingText::SetActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    UpdateTimer();
    Invalidate();
}

void TCoolScrollingText::SetInterval(std::uint32_t interval)
{
    if (interval == m_interval)
        return;
    m_interval = interval;
    UpdateTimer();
    Invalidate();
}

void TCoolScrollingText::SetAlignment(TAlignment a)
{
    if (StoreChanged(m_alignment, a))
        Invalidate();
}

void TCoolScrollingText::SetScrollDirection(TScrollDirection d)
{
    if (!StoreChanged(m_direction, d))
        return;
    if (d == sdLeftToRight || d == sdRightToLeft)
        m_alignment = taLeftJustify;
    Invalidate();
}

void TCoolScrollingText::SetShadowColor(TColor c)
{
    if (!StoreChanged(m_shadowColor, c))
        return;
    m_simpleView = false;
    Invalidate();
}

void TCoolScrollingText::SetShadowSize(std::uint8_t size)
{
    if (!StoreChanged(m_shadowSize, size))
        return;
    m_simpleView = false;
    Invalidate();
}

void TCoolScrollingText::SetShadowPos(TShadowPosition pos)
{
    if (!StoreChanged(m_shadowPos, pos))
        return;
    m_simpleView = false;
    Invalidate();
}

void TCoolScrollingText::SetSimpleView(bool v)
{
    if (StoreChanged(m_simpleView, v))
        Invalidate();
}

void TCoolScrollingText::SetShowAccelChar(bool v)
{
    if (StoreChanged(m_showAccelChar, v))
        Invalidate();
}

void TCoolScrollingText::SetTransparent(bool v)
{
    if (StoreChanged(m_transparent, v))
        Invalidate();
}

void TCoolScrollingText::SetStretched(bool v)
{
    if (StoreChanged(m_stretched, v))
        Invalidate();
}

void TCoolScrollingText::SetIdWallpaper(int id)
{
    if (StoreChanged(m_idWallpaper, id))
        Invalidate();
}

void TCoolScrollingText::SetColor(TColor c)
{
    if (StoreChanged(m_color, c))
        Invalidate();
}

void TCoolScrollingText::SetFontColor(TColor c)
{
    if (StoreChanged(m_fontColor, c))
        Invalidate();
}

void TCoolScrollingText::SetAutoSize(bool v)
{
    if (StoreChanged(m_autoSize, v))
        AdjustBounds();
}

void TCoolScrollingText::SetCoolImages(TCoolImages* images)
{
    m_images.Set(images, this, [this] { SetCoolImages(nullptr); });
    Invalidate();
}

CoolBitmap& TCoolScrollingText::Wallpaper()
{
    if (!m_wallpaper) {
        m_wallpaper = std::make_unique<CoolBitmap>();
        m_wallpaper->OnChange = [this](CoolBitmap*) { Invalidate(); };
    }
    return *m_wallpaper;
}

void TCoolScrollingText::SetWallpaper(const CoolBitmap& bitmap)
{
    Wallpaper().Assign(bitmap);
    Invalidate();
}

void TCoolScrollingText::SetGlyph(const CoolBitmap& bitmap)
{
    m_glyph.SetGlyph(&bitmap);
    AdjustBounds();
    Invalidate();
}

void TCoolScrollingText::SetNumGlyphs(int n)
{
    n = std::min(n, 2);
    if (n == m_glyph.NumGlyphs())
        return;
    m_glyph.SetNumGlyphs(n);
    Invalidate();
}

void TCoolScrollingText::SetFocusControl(QWidget* control)
{
    m_focusControl = control;
    UpdateAccelerator();
}

void TCoolScrollingText::UpdateAccelerator()
{
    const QKeySequence seq = QKeySequence::mnemonic(Text());
    if (!m_focusControl || seq.isEmpty()) {
        delete m_accel;
        m_accel = nullptr;
        return;
    }
    if (!m_accel) {
        m_accel = new QShortcut(this);
        m_accel->setContext(Qt::WindowShortcut);
        connect(m_accel, &QShortcut::activated, this, [this] {
            const QKeySequence s = m_accel->key();
            if (!s.isEmpty())
                DialogChar(QChar(s[0].key()));
        });
    }
    m_accel->setKey(seq);
}

bool TCoolScrollingText::DialogChar(QChar key)
{
    if (!m_focusControl || !isEnabled() || !m_showAccelChar)
        return false;
    const QKeySequence seq = QKeySequence::mnemonic(Text());
    if (seq.isEmpty() || QChar(seq[0].key()).toUpper() != key.toUpper())
        return false;
    if (!m_focusControl->isEnabled() || m_focusControl->focusPolicy() == Qt::NoFocus)
        return false;
    m_focusControl->setFocus(Qt::ShortcutFocusReason);
    return true;
}

void TCoolScrollingText::ResetPosition(bool atOrigin)
{
    if (atOrigin || IsDesigning(this)) {
        m_x = 0;
        m_y = 0;
    } else {
        switch (m_direction) {
        case sdBottomToTop: m_x = 0; m_y = height(); break;
        case sdTopToBottom: m_x = 0; m_y = -height(); break;
        case sdLeftToRight: m_x = -width(); m_y = 0; break;
        case sdRightToLeft: m_x = width(); m_y = 0; break;
        }
    }
    Invalidate();
}

void TCoolScrollingText::Tick()
{
    if (m_destroying)
        return;
    // Nothing to show (no text, no glyph): nothing moves and nothing is
    // painted, so an idle control costs nothing between its clock's ticks.
    if (m_glyph.Glyph().Empty() && std::all_of(m_strings.cbegin(), m_strings.cend(),
                                               [](const QString& s) { return s.isEmpty(); }))
        return;
    const QRect e = TextExtent();
    bool wrap = false;
    switch (m_direction) {
    case sdBottomToTop:
        if (m_y > -e.height()) --m_y; else wrap = true;
        break;
    case sdTopToBottom:
        if (m_y < height()) ++m_y; else wrap = true;
        break;
    case sdLeftToRight:
        if (m_x < width()) ++m_x; else wrap = true;
        break;
    case sdRightToLeft:
        if (m_x > -e.width()) --m_x; else wrap = true;
        break;
    }
    if (!wrap) {
        update();
        return;
    }
    bool initial = false;
    // The handler may free the control (a copy of it runs).
    const QPointer<TCoolScrollingText> alive(this);
    if (const auto handler = OnTextScrolled)
        handler(this, initial);
    if (alive && !m_destroying)
        ResetPosition(initial);
}

QRect TCoolScrollingText::TextExtent() const
{
    QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&scratch);
    QRect r = rect();
    unsigned flags = DT_CALCRECT | DT_EXPANDTABS;
    if (m_strings.size() > 1)
        flags |= DT_WORDBREAK;
    DoDrawText(p, r, flags);
    if (!m_glyph.Glyph().Empty()) {
        r.setRight(r.right() + m_glyph.ImageWidth() + 2);
        if (m_glyph.Glyph().Height() > BottomOf(r))
            r.setBottom(m_glyph.Glyph().Height() - 1);
    }
    return r;
}

void TCoolScrollingText::DoDrawText(QPainter& p, QRect& rect, unsigned flags) const
{
    const QString text = Text();
    if (m_showAccelChar)
        flags |= DT_NOPREFIX;
    p.setFont(font());
    const QPalette& pal = palette();
    if (!isEnabled()) {
        DrawDisabledText(p, rect, text, flags, pal);
    } else if (m_simpleView) {
        p.setPen(ColorToQColor(m_fontColor, pal));
        CoolDrawText(p, rect, text + QLatin1Char(' '), flags);
    } else {
        DrawShadowText(p, rect, m_shadowPos, text + QLatin1Char(' '), flags, m_fontColor,
                       m_shadowColor, m_shadowSize, pal);
    }
}

void TCoolScrollingText::DrawContent(QPainter& p) const
{
    const QRect client = rect();
    if (const CoolBitmap* wp = ChooseWallpaper(m_images.Get(), m_idWallpaper, m_wallpaper.get()))
        DrawWallpaper(p, wp->Image(), client, m_stretched, SRCCOPY);
    else if (!m_transparent)
        p.fillRect(client, ColorToQColor(m_color, palette()));

    QRect r = RectLTRB(m_x, m_y, RightOf(client), BottomOf(client));
    if (!m_glyph.Glyph().Empty()) {
        const int gw = m_glyph.ImageWidth();
        // The glyph stands before the text; a right-aligned or centred one is
        // placed by the width of the text.
        const int textWidth = CoolCalcRect(font(), r, Text(), DT_NOPREFIX).width();
        QPoint pos(r.left(), r.top());
        switch (m_alignment) {
        case taLeftJustify:
            r.setLeft(r.left() + gw + 2);
            break;
        case taRightJustify:
            pos.setX(RightOf(r) - textWidth - gw - 2);
            break;
        case taCenter:
            pos.setX(r.width() / 2 - (textWidth + gw + 2) / 2);
            r.setLeft(r.left() + (gw + 2) / 2);
            break;
        }
        m_glyph.Draw(p, pos, isEnabled() ? 1 : 0, true, clNone);
    }
    const unsigned align = m_alignment == taRightJustify ? DT_RIGHT
                           : m_alignment == taCenter     ? DT_CENTER
                                                         : DT_LEFT;
    DoDrawText(p, r, align | DT_NOCLIP);
}

void TCoolScrollingText::AdjustBounds()
{
    if (!m_autoSize || !parentWidget())
        return;
    const QRect r = TextExtent();
    TAlignment a = m_alignment;
    if (layoutDirection() == Qt::RightToLeft && a != taCenter)
        a = a == taLeftJustify ? taRightJustify : taLeftJustify;
    int left = x();
    if (a == taRightJustify)
        left += width() - RightOf(r);
    setGeometry(left, y(), RightOf(r), BottomOf(r));
}

void TCoolScrollingText::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    DrawContent(p);
}

void TCoolScrollingText::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // A control built in code has no loading step of its own: the text
    // enters from its edge the first time the control is shown.
    if (!m_loaded && !event->spontaneous())
        Loaded();
}

void TCoolScrollingText::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        AdjustBounds();
        Invalidate();
    } else if (event->type() == QEvent::EnabledChange) {
        Invalidate();
    }
}
