#include "CoolUtils.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWidget>

#include <algorithm>

// ---------------------------------------------------------------------------
// Colours
// ---------------------------------------------------------------------------

bool IsSystemColor(TColor c)
{
    return (c & 0xFF000000u) == clSystemColor;
}

static QColor systemColor(unsigned index, const QPalette& pal)
{
    switch (index) {
    case 0: return pal.color(QPalette::Button);              // scroll bar
    case 1: return pal.color(QPalette::Window);              // desktop
    case 2: return pal.color(QPalette::Highlight);           // active caption
    case 3: return QColor(128, 128, 128);                    // inactive caption
    case 4: return pal.color(QPalette::Window);              // menu
    case 5: return pal.color(QPalette::Base);                // window
    case 6: return pal.color(QPalette::Shadow);              // window frame
    case 7: return pal.color(QPalette::WindowText);          // menu text
    case 8: return pal.color(QPalette::WindowText);          // window text
    case 9: return pal.color(QPalette::HighlightedText);     // caption text
    case 10: return pal.color(QPalette::Window);             // active border
    case 11: return pal.color(QPalette::Window);             // inactive border
    case 12: return pal.color(QPalette::Mid);                // application workspace
    case 13: return pal.color(QPalette::Highlight);
    case 14: return pal.color(QPalette::HighlightedText);
    case 15: return pal.color(QPalette::Button);             // button face
    case 16: return pal.color(QPalette::Dark);               // button shadow
    case 17: return pal.color(QPalette::Disabled, QPalette::WindowText);
    case 18: return pal.color(QPalette::ButtonText);
    case 19: return QColor(212, 208, 200);                   // inactive caption text
    case 20: return pal.color(QPalette::Light);              // button highlight
    case 21: return pal.color(QPalette::Shadow);             // 3D dark shadow
    case 22: return pal.color(QPalette::Midlight);           // 3D light
    case 23: return pal.color(QPalette::ToolTipText);
    case 24: return pal.color(QPalette::ToolTipBase);
    case 26: return pal.color(QPalette::Link);               // hot light
    case 27: return pal.color(QPalette::Highlight);          // gradient active caption
    case 28: return QColor(128, 128, 128);                   // gradient inactive caption
    case 29: return pal.color(QPalette::Highlight);          // menu highlight
    case 30: return pal.color(QPalette::Window);             // menu bar
    default: return QColor(0, 0, 0);
    }
}

QColor ColorToQColor(TColor c, const QPalette& palette)
{
    if (c == clNone || c == clDefault)
        return QColor();
    if (IsSystemColor(c))
        return systemColor(c & 0xFFu, palette);
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

QColor ColorToQColor(TColor c)
{
    return ColorToQColor(c, QGuiApplication::palette());
}

TColor RGBToColor(QRgb rgb)
{
    return TColor(qRed(rgb)) | (TColor(qGreen(rgb)) << 8) | (TColor(qBlue(rgb)) << 16);
}

TColor QColorToColor(const QColor& c)
{
    return RGBToColor(c.rgb());
}

QRgb ColorToRGB(TColor c, const QPalette& palette)
{
    const QColor q = ColorToQColor(c, palette);
    return q.isValid() ? q.rgb() : qRgb(0, 0, 0);
}

QRgb ColorToRGB(TColor c)
{
    return ColorToRGB(c, QGuiApplication::palette());
}

QColor FontTextColor(const TFont& font, const QPalette& palette)
{
    if (font.Color == clWindowText)
        return palette.color(QPalette::Text);
    return ColorToQColor(font.Color, palette);
}

void SetFontSize(QFont& font, int size)
{
    if (size > 0)
        font.setPointSize(size);
    else if (size < 0)
        font.setPixelSize(-size);
}

void SetFontHeight(QFont& font, int height)
{
    SetFontSize(font, -height);
}

// ---------------------------------------------------------------------------
// Text
// ---------------------------------------------------------------------------

QString NormalizeLineBreaks(const QString& text)
{
    QString s = text;
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

int DrawTextFlagsToQt(unsigned format)
{
    int f = 0;
    if (format & DT_CENTER)
        f |= Qt::AlignHCenter;
    else if (format & DT_RIGHT)
        f |= Qt::AlignRight;
    else
        f |= Qt::AlignLeft;
    if (format & DT_SINGLELINE) {
        f |= Qt::TextSingleLine;
        if (format & DT_VCENTER)
            f |= Qt::AlignVCenter;
        else if (format & DT_BOTTOM)
            f |= Qt::AlignBottom;
        else
            f |= Qt::AlignTop;
    } else {
        f |= Qt::AlignTop;
        if (format & DT_WORDBREAK)
            f |= Qt::TextWordWrap;
    }
    if (format & DT_EXPANDTABS)
        f |= Qt::TextExpandTabs;
    if (format & DT_NOCLIP)
        f |= Qt::TextDontClip;
    if (!(format & DT_NOPREFIX))
        f |= Qt::TextShowMnemonic;
    return f;
}

static QRect calcRect(const QFontMetrics& fm, const QRect& rect, const QString& text,
                      unsigned format)
{
    int flags = DrawTextFlagsToQt(format);
    flags &= ~(Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask);
    flags |= Qt::AlignLeft | Qt::AlignTop;
    const bool wrap = (format & DT_WORDBREAK) && !(format & DT_SINGLELINE);
    const QRect box(0, 0, wrap ? std::max(rect.width(), 1) : 0, 0);
    const QRect br = fm.boundingRect(box, flags, NormalizeLineBreaks(text));
    return QRect(rect.left(), rect.top(), br.width(), br.height());
}

int CoolDrawText(QPainter& p, QRect& rect, const QString& text, unsigned format)
{
    if (format & DT_CALCRECT) {
        rect = calcRect(p.fontMetrics(), rect, text, format);
        return rect.height();
    }
    QRect drawn;
    p.drawText(rect, DrawTextFlagsToQt(format), NormalizeLineBreaks(text), &drawn);
    return drawn.height();
}

QRect CoolCalcRect(const QFont& font, const QRect& rect, const QString& text, unsigned format)
{
    return calcRect(QFontMetrics(font), rect, text, format);
}

void DrawShadowText(QPainter& p, QRect& rect, TShadowPosition position, const QString& text,
                    unsigned format, TColor textColor, TColor shadowColor, int size,
                    const QPalette& palette)
{
    QRect s = rect;
    switch (position) {
    case spLeftTop: rect.translate(size, size); break;
    case spLeftBottom: rect.translate(size, 0); s.translate(0, size); break;
    case spRightBottom: s.translate(size, size); break;
    case spRightTop: rect.translate(0, size); s.translate(size, 0); break;
    }
    const QPen oldPen = p.pen();
    const QColor shadow = ColorToQColor(shadowColor, palette);
    if (shadow.isValid() || (format & DT_CALCRECT)) {
        p.setPen(shadow);
        CoolDrawText(p, s, text, format);
    }
    const QColor fore = ColorToQColor(textColor, palette);
    if (fore.isValid() || (format & DT_CALCRECT)) {
        p.setPen(fore);
        CoolDrawText(p, rect, text, format);
    }
    p.setPen(oldPen);
}

void DrawShadowText(QPainter& p, QRect& rect, TShadowPosition position, const QString& text,
                    unsigned format, TColor textColor, TColor shadowColor, int size)
{
    DrawShadowText(p, rect, position, text, format, textColor, shadowColor, size,
                   QGuiApplication::palette());
}

void DrawDisabledText(QPainter& p, QRect& rect, const QString& text, unsigned format,
                      const QPalette& palette)
{
    DrawShadowText(p, rect, spRightBottom, text, format, clBtnShadow, clBtnHighlight, 1, palette);
}

// ---------------------------------------------------------------------------
// Bitmaps
// ---------------------------------------------------------------------------

void TPersistent::Assign(const TPersistent& source)
{
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2")
                            .arg(source.ClassName(), ClassName())
                            .toStdString());
}

CoolBitmap::CoolBitmap(const QImage& image)
    : m_image(image)
{
}

void CoolBitmap::Changed()
{
    if (OnChange)
        OnChange(this);
}

void CoolBitmap::SetImage(const QImage& image)
{
    m_image = image;
    Changed();
}

void CoolBitmap::SetSize(int width, int height)
{
    QImage img(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    img.fill(Qt::white);
    m_image = img;
    Changed();
}

bool CoolBitmap::LoadFromFile(const QString& fileName)
{
    QImage img;
    if (!img.load(fileName))
        return false;
    SetImage(img);
    return true;
}

void CoolBitmap::Clear()
{
    SetImage(QImage());
}

void CoolBitmap::Assign(const TPersistent& source)
{
    if (auto* b = dynamic_cast<const CoolBitmap*>(&source)) {
        m_transparent = b->m_transparent;
        m_mode = b->m_mode;
        SetImage(b->m_image);
        return;
    }
    TPersistent::Assign(source);
}

TColor CoolBitmap::TransparentColor() const
{
    if (m_mode == tmFixed && m_transparent != clDefault)
        return m_transparent;
    if (Empty())
        return clDefault;
    return RGBToColor(m_image.pixel(0, m_image.height() - 1));
}

void CoolBitmap::SetTransparentColor(TColor c)
{
    if (c == m_transparent && m_mode == tmFixed)
        return;
    m_transparent = c;
    m_mode = c == clDefault ? tmAuto : tmFixed;
    Changed();
}

void CoolBitmap::SetTransparentMode(TTransparentMode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    if (mode == tmAuto)
        m_transparent = clDefault;
    else if (m_transparent == clDefault)
        m_transparent = TransparentColor();
    Changed();
}

QImage MaskedImage(const QImage& image, QRgb transparent)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent & 0x00FFFFFFu;
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            line[x] = (line[x] & 0x00FFFFFFu) == key ? 0u : (line[x] | 0xFF000000u);
    }
    return out;
}

// ---------------------------------------------------------------------------
// Wallpapers, bevels
// ---------------------------------------------------------------------------

// The picture as the raster operation copies it: opaque, inverted for
// NOTSRCCOPY.
static QImage ropSource(const QImage& bitmap, std::uint32_t rop)
{
    QImage img = bitmap.hasAlphaChannel() ? bitmap.convertToFormat(QImage::Format_RGB32) : bitmap;
    if (rop == NOTSRCCOPY) {
        img = img.convertToFormat(QImage::Format_RGB32);
        img.invertPixels(QImage::InvertRgb);
    }
    return img;
}

void DrawWallpaper(QPainter& p, const QImage& bitmap, const QRect& rect, bool stretch,
                   std::uint32_t rop)
{
    const int bw = bitmap.width(), bh = bitmap.height();
    if (bw <= 0 || bh <= 0 || rect.width() <= 0 || rect.height() <= 0)
        return;   // an empty picture would never advance the tiling
    const QImage img = ropSource(bitmap, rop);
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    if (stretch) {
        p.drawImage(rect, img);
    } else {
        const int right = RightOf(rect), bottom = BottomOf(rect);
        for (int y = rect.top(); y < bottom; y += bh) {
            const int h = std::min(bh, bottom - y);
            for (int x = rect.left(); x < right; x += bw) {
                const int w = std::min(bw, right - x);
                p.drawImage(QRect(x, y, w, h), img, QRect(0, 0, w, h));
            }
        }
    }
    p.restore();
}

void DrawWallpaperClipped(QPainter& p, const QImage& bitmap, const QRect& rect,
                          const QRect& clipRect, bool stretch, std::uint32_t rop)
{
    if (clipRect == rect) {
        DrawWallpaper(p, bitmap, rect, stretch, rop);
        return;
    }
    p.save();
    p.setClipRect(clipRect, Qt::ReplaceClip);
    DrawWallpaper(p, bitmap, rect, stretch, rop);
    p.restore();
}

void DrawTransparentBitmap(QPainter& dst, const QImage& src, const QRect& dstRect,
                           const QRect& srcRect, TColor transparentColor)
{
    if (srcRect.isEmpty() || dstRect.isEmpty() || src.isNull())
        return;
    const QImage piece = MaskedImage(src.copy(srcRect), ColorToRGB(transparentColor));
    dst.save();
    dst.setRenderHint(QPainter::SmoothPixmapTransform, false);
    dst.setCompositionMode(QPainter::CompositionMode_SourceOver);
    dst.drawImage(dstRect, piece);
    dst.restore();
}

void FrameRect(QPainter& p, const QRect& r, const QColor& color)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), color);
    p.fillRect(QRect(r.left(), BottomOf(r) - 1, r.width(), 1), color);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height()), color);
    p.fillRect(QRect(RightOf(r) - 1, r.top(), 1, r.height()), color);
}

void DrawFocusRect(QPainter& p, const QRect& r)
{
    p.save();
    QPen pen(Qt::black, 0, Qt::DotLine);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.restore();
}

// One ring of an edge: the top and left lines in one colour, then the bottom
// and right lines in the other, drawn over the corners.
static void edgeRing(QPainter& p, const QRect& r, unsigned flags, const QColor& topLeft,
                     const QColor& bottomRight)
{
    const int l = r.left(), t = r.top(), rr = RightOf(r), b = BottomOf(r);
    if (flags & BF_TOP)
        p.fillRect(RectLTRB(l, t, rr, t + 1), topLeft);
    if (flags & BF_LEFT)
        p.fillRect(RectLTRB(l, t, l + 1, b), topLeft);
    if (flags & BF_BOTTOM)
        p.fillRect(RectLTRB(l, b - 1, rr, b), bottomRight);
    if (flags & BF_RIGHT)
        p.fillRect(RectLTRB(rr - 1, t, rr, b), bottomRight);
}

static void shrinkSides(QRect& r, unsigned flags)
{
    AdjustRectSides(r, (flags & BF_LEFT) ? 1 : 0, (flags & BF_TOP) ? 1 : 0,
                    (flags & BF_RIGHT) ? -1 : 0, (flags & BF_BOTTOM) ? -1 : 0);
}

void DrawEdge(QPainter& p, QRect& rect, unsigned edge, unsigned flags, const QPalette& palette)
{
    QRect r = rect;
    const auto c = [&](TColor col) { return ColorToQColor(col, palette); };
    if (edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER)) {
        if (edge & BDR_RAISEDOUTER)
            edgeRing(p, r, flags, c(cl3DLight), c(cl3DDkShadow));
        else
            edgeRing(p, r, flags, c(clBtnShadow), c(clBtnHighlight));
        shrinkSides(r, flags);
    }
    if (edge & (BDR_RAISEDINNER | BDR_SUNKENINNER)) {
        if (edge & BDR_RAISEDINNER)
            edgeRing(p, r, flags, c(clBtnHighlight), c(clBtnShadow));
        else
            edgeRing(p, r, flags, c(cl3DDkShadow), c(cl3DLight));
        shrinkSides(r, flags);
    }
    if (flags & BF_ADJUST)
        rect = r;
}

unsigned BevelEdge(TBevelCut inner, TBevelCut outer)
{
    unsigned e = 0;
    if (inner == bvLowered)
        e |= BDR_SUNKENINNER;
    else if (inner == bvRaised)
        e |= BDR_RAISEDINNER;
    if (outer == bvLowered)
        e |= BDR_SUNKENOUTER;
    else if (outer == bvRaised)
        e |= BDR_RAISEDOUTER;
    return e;
}

// ---------------------------------------------------------------------------
// Controls
// ---------------------------------------------------------------------------

QWidget* ClimbParents(QWidget* control, int levels)
{
    QWidget* c = control;
    for (int i = 0; c && i < levels; ++i) {
        if (!c->parentWidget())
            break;
        c = c->parentWidget();
    }
    return c;
}

void PaintParentBackgroundClipped(QWidget* control, QPainter& p, const QRect& rect,
                                  bool useParent)
{
    if (!control || !rect.isValid() || rect.isEmpty())
        return;
    QWidget* parent = control->parentWidget();
    if (!parent)
        return;   // a top-level control has nothing behind it to show
    // The picture is shifted to the place of the widget being painted on when
    // that widget lies inside the parent (a grid's viewport), else to the
    // control's own place.
    QPoint origin = control->pos();
    if (auto* device = dynamic_cast<QWidget*>(p.device()); device && parent->isAncestorOf(device))
        origin = device->mapTo(parent, QPoint(0, 0));

    p.save();
    p.setClipRect(rect, Qt::IntersectClip);
    if (useParent) {
        QImage img(rect.size(), QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        const QRect source = rect.translated(origin);
        parent->render(&img, QPoint(), QRegion(source), QWidget::DrawWindowBackground);
        p.drawImage(rect.topLeft(), img);
    } else {
        p.fillRect(rect, control->palette().brush(control->backgroundRole()));
    }
    p.restore();
}

void PaintParentBackground(QWidget* control, QPainter& p, bool useParent)
{
    if (!control)
        return;
    QRect area = control->rect();
    if (auto* device = dynamic_cast<QWidget*>(p.device()))
        area = device->rect();
    PaintParentBackgroundClipped(control, p, area, useParent);
}

bool IsCoolClassName(const QString& className)
{
    return className.contains(QLatin1String("Cool"), Qt::CaseSensitive);
}

bool IsCoolControl(const QObject* object)
{
    return object && IsCoolClassName(QString::fromLatin1(object->metaObject()->className()));
}

void DrawFlatBorder(QPainter& p, QWidget* control, bool hot)
{
    if (!control)
        return;
    const QPalette& pal = control->palette();
    const QColor face = ColorToQColor(clBtnFace, pal);
    QRect r(0, 0, control->width(), control->height());
    FrameRect(p, r, face);
    AdjustRectSides(r, 1, 1, -1, -1);
    FrameRect(p, r, face);
    if (hot) {
        AdjustRectSides(r, -1, -1, 1, 1);
        DrawEdge(p, r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST, pal);
    }
    if (auto* grid = qobject_cast<QAbstractScrollArea*>(control)) {
        const int cy = control->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, control);
        const bool v = grid->verticalScrollBar() && grid->verticalScrollBar()->isVisible();
        const bool h = grid->horizontalScrollBar() && grid->horizontalScrollBar()->isVisible();
        if (v)
            p.fillRect(RectLTRB(RightOf(r) - cy, BottomOf(r) - 2, RightOf(r), BottomOf(r) - 1), face);
        if (h)
            p.fillRect(RectLTRB(RightOf(r) - 2, BottomOf(r) - cy, RightOf(r) - 1, BottomOf(r)), face);
        return;   // grids get no window-colour frame
    }
    AdjustRectSides(r, 1, 1, -1, -1);
    FrameRect(p, r, ColorToQColor(clWindow, pal));
}

void AdjustRectSides(QRect& rect, int dLeft, int dTop, int dRight, int dBottom)
{
    rect = RectLTRB(rect.left() + dLeft, rect.top() + dTop, RightOf(rect) + dRight,
                    BottomOf(rect) + dBottom);
}

bool InvalidateArea(QWidget* window, const QRect& rect, bool /*erase: Qt always repaints the background*/)
{
    if (!window)
        return false;
    window->update(rect);
    return true;
}

bool IsDesigning(const QObject* component)
{
    return component && component->property("coolDesigning").toBool();
}

void SetDesigning(QObject* component, bool designing)
{
    if (component)
        component->setProperty("coolDesigning", designing);
}

// ---------------------------------------------------------------------------
// Options
// ---------------------------------------------------------------------------

static const char* const optionNames[CoolOptionCount] = {
    "ocPaintWallpaper", "ocStretchWallpaper", "ocPaintSelWallpaper",
    "ocPaintCaptionWallpaper", "ocInvertWallpaperAsSelect", "ocPaintGradiently",
    "ocBevelOnlyIfSel", "ocUseImageList", "ocUseGlyphAssign", "oc3dMDIForm",
    "ocWallpaperForMDIChildren", "ocGradientForMDIChildren", "ocNoCaption", "ocSmallCaption",
    "ocNoMDIChildrensCaptions", "ocDragUsingClientArea", "ocNoDragUsingCaption",
    "ocRoundedForm", "ocFlatBorder", "ocPaintFormSemiTransparently", "ocPaintTransparently",
};

QString CoolOptionName(TCoolOption o)
{
    return int(o) < CoolOptionCount ? QString::fromLatin1(optionNames[o]) : QString();
}

TCoolOptions TCoolOptions::FromValue(std::uint32_t value)
{
    TCoolOptions s;
    s.m_bits = value & ((1u << CoolOptionCount) - 1);
    return s;
}

TCoolOptions TCoolOptions::FromNames(const QStringList& names, bool* ok)
{
    TCoolOptions s;
    bool good = true;
    for (const QString& n : names) {
        int i = 0;
        while (i < CoolOptionCount && n != QLatin1String(optionNames[i]))
            ++i;
        if (i < CoolOptionCount)
            s.Include(TCoolOption(i));
        else
            good = false;
    }
    if (ok)
        *ok = good;
    return s;
}

TCoolOptions& TCoolOptions::Include(TCoolOption o)
{
    m_bits |= 1u << o;
    return *this;
}

TCoolOptions& TCoolOptions::Exclude(TCoolOption o)
{
    m_bits &= ~(1u << o);
    return *this;
}

TCoolOptions TCoolOptions::Without(TCoolOption o) const
{
    TCoolOptions s = *this;
    return s.Exclude(o);
}

QStringList TCoolOptions::Names() const
{
    QStringList out;
    for (int i = 0; i < CoolOptionCount; ++i)
        if (Contains(TCoolOption(i)))
            out << QString::fromLatin1(optionNames[i]);
    return out;
}

// ---------------------------------------------------------------------------
// Glyphs
// ---------------------------------------------------------------------------

namespace {
std::unique_ptr<TGlyphCache> theGlyphCache;
}

TGlyphCache* GlyphCache()
{
    return theGlyphCache.get();
}

TGlyphList::TGlyphList(int width, int height)
    : m_width(width)
    , m_height(height)
{
}

int TGlyphList::AddMasked(const CoolBitmap& image, TColor maskColor)
{
    std::size_t slot = 0;
    while (slot < m_used.size() && m_used[slot])
        ++slot;
    if (slot >= m_used.size()) {
        m_images.emplace_back();
        m_used.resize(m_images.size(), false);
        slot = m_images.size() - 1;
    }
    m_used[slot] = true;
    const TColor mask = maskColor == clDefault ? image.TransparentColor() : maskColor;
    QImage sized(m_width, m_height, QImage::Format_ARGB32);
    sized.fill(Qt::transparent);
    {
        QPainter p(&sized);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, image.Image());
    }
    m_images[slot] = mask == clNone || mask == clDefault
                         ? sized.convertToFormat(QImage::Format_ARGB32)
                         : MaskedImage(sized, ColorToRGB(mask));
    ++m_count;
    return int(slot);
}

void TGlyphList::Delete(int slot)
{
    if (!InUse(slot))
        return;
    --m_count;
    m_used[std::size_t(slot)] = false;
}

bool TGlyphList::InUse(int slot) const
{
    return slot >= 0 && std::size_t(slot) < m_used.size() && m_used[std::size_t(slot)];
}

std::shared_ptr<TGlyphList> TGlyphCache::GetList(int width, int height)
{
    for (auto it = m_lists.rbegin(); it != m_lists.rend(); ++it)
        if ((*it)->Width() == width && (*it)->Height() == height)
            return *it;
    m_lists.push_back(std::make_shared<TGlyphList>(width, height));
    return m_lists.back();
}

void TGlyphCache::ReturnList(const std::shared_ptr<TGlyphList>& list)
{
    if (!list || list->Count() != 0)
        return;
    m_lists.erase(std::remove(m_lists.begin(), m_lists.end(), list), m_lists.end());
}

TGlyph::TGlyph()
{
    if (!theGlyphCache)
        theGlyphCache = std::make_unique<TGlyphCache>();
    m_bitmap.OnChange = [this](CoolBitmap*) { BitmapChanged(); };
}

TGlyph::~TGlyph()
{
    m_bitmap.OnChange = nullptr;
    Invalidate();
    if (theGlyphCache && theGlyphCache->Empty())
        theGlyphCache.reset();
}

void TGlyph::Invalidate()
{
    for (int& slot : m_indexes) {
        if (slot != -1 && m_list)
            m_list->Delete(slot);
        slot = -1;
    }
    if (theGlyphCache)
        theGlyphCache->ReturnList(m_list);
    m_list.reset();
}

void TGlyph::BitmapChanged()
{
    m_transparent = m_bitmap.TransparentColor();
    Invalidate();
    if (OnChange)
        OnChange(this);
}

void TGlyph::SetGlyph(const CoolBitmap* bitmap)
{
    Invalidate();
    if (bitmap)
        m_bitmap.Assign(*bitmap);
    else
        m_bitmap.Clear();
    if (bitmap && bitmap->Height() > 0) {
        m_transparent = bitmap->TransparentColor();
        if (bitmap->Width() % bitmap->Height() == 0) {
            int n = bitmap->Width() / bitmap->Height();
            if (n > 4)
                n = 1;
            SetNumGlyphs(n);
        }
    }
}

void TGlyph::SetNumGlyphs(int n)
{
    if (n == m_numGlyphs || n <= 0)
        return;
    Invalidate();
    m_numGlyphs = n;
    BitmapChanged();
}

// The dark pixels of an image: those that are neither the transparent colour
// nor light. They make the engraved shape of the disabled look.
static bool isShapePixel(QRgb px, QRgb transparent)
{
    return (px & 0x00FFFFFFu) != (transparent & 0x00FFFFFFu) && qGray(px) < 192;
}

int TGlyph::CreateStateImage(int state)
{
    state &= 1;
    if (m_indexes[state] != -1)
        return m_indexes[state];
    const int iw = ImageWidth();
    const int ih = m_bitmap.Height();
    if (iw <= 0 || ih <= 0)
        return -1;   // nothing to cut an image from
    if (!m_list) {
        if (!theGlyphCache)
            theGlyphCache = std::make_unique<TGlyphCache>();
        m_list = theGlyphCache->GetList(iw, ih);
    }
    const QPalette pal = QGuiApplication::palette();
    const QRgb face = ColorToRGB(clBtnFace, pal);
    const int col = (state ^ 1) < m_numGlyphs ? (state ^ 1) : 1;
    const QRect source(col * iw, 0, iw, ih);
    const QImage src = m_bitmap.Image().convertToFormat(QImage::Format_RGB32);
    const QRgb transparentRgb = ColorToRGB(m_transparent, pal);

    CoolBitmap t;
    int slot = -1;
    if (state == 1) {
        t.SetImage(src.copy(source));
        slot = m_list->AddMasked(t, m_bitmap.TransparentMode() == tmFixed ? m_transparent
                                                                          : clDefault);
    } else {
        QImage img(iw, ih, QImage::Format_RGB32);
        if (m_numGlyphs < 2) {
            // The engraved look made from the one image: its dark shape once in
            // the highlight colour one pixel down-right, once in the shadow
            // colour in place, on the button face.
            img.fill(face);
            const QRgb hi = ColorToRGB(clBtnHighlight, pal);
            const QRgb sh = ColorToRGB(clBtnShadow, pal);
            for (int pass = 0; pass < 2; ++pass) {
                const int d = pass == 0 ? 1 : 0;
                for (int y = 0; y < ih; ++y)
                    for (int x = 0; x < iw; ++x)
                        if (isShapePixel(src.pixel(x, y), transparentRgb) && x + d < iw
                            && y + d < ih)
                            img.setPixel(x + d, y + d, pass == 0 ? hi : sh);
            }
        } else {
            // The second image recoloured: white to highlight, grey to
            // shadow, the transparent colour to button face.
            const QImage piece = src.copy(source);
            img = piece;
            const std::pair<QRgb, QRgb> passes[3] = {
                {qRgb(255, 255, 255), ColorToRGB(clBtnHighlight, pal)},
                {qRgb(128, 128, 128), ColorToRGB(clBtnShadow, pal)},
                {transparentRgb, face},
            };
            for (const auto& [key, brush] : passes)
                for (int y = 0; y < ih; ++y)
                    for (int x = 0; x < iw; ++x)
                        if ((piece.pixel(x, y) & 0x00FFFFFFu) == (key & 0x00FFFFFFu))
                            img.setPixel(x, y, brush);
        }
        t.SetImage(img);
        slot = m_list->AddMasked(t, clDefault);
    }
    m_indexes[state] = slot;
    return slot;
}

void TGlyph::Draw(QPainter& p, QPoint position, int state, bool transparent, TColor color)
{
    if (m_bitmap.Empty())
        return;
    const int i = CreateStateImage(state);
    if (i < 0 || !m_list)
        return;
    const QImage& img = m_list->ImageAt(i);
    const QRect target(position, img.size());
    if (transparent) {
        p.drawImage(position, img);
        if (color != clNone) {
            // Blended half-and-half with the highlight colour, inside the mask.
            QImage tint = img;
            QPainter tp(&tint);
            tp.setCompositionMode(QPainter::CompositionMode_SourceIn);
            tp.fillRect(tint.rect(), ColorToQColor(clHighlight));
            tp.end();
            p.save();
            p.setOpacity(0.5);
            p.drawImage(position, tint);
            p.restore();
        }
    } else {
        const QColor back = ColorToQColor(color);
        if (back.isValid())
            p.fillRect(target, back);
        p.drawImage(position, img);
    }
}
