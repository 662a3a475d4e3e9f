#include "CoolInplaceEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

TCoolOptions ExclusiveSkinOptions(TCoolOptions stored, TCoolOptions wanted)
{
    if (wanted.Contains(ocPaintTransparently) && stored.Contains(ocPaintWallpaper))
        wanted.Exclude(ocPaintWallpaper);
    else if (wanted.Contains(ocPaintWallpaper) && stored.Contains(ocPaintTransparently))
        wanted.Exclude(ocPaintTransparently);
    return wanted;
}

TCoolInplaceEdit::TCoolInplaceEdit(CoolGridBase* grid)
    : InplaceEdit(grid), m_images([this](TCoolImages*) { viewport()->update(); })
{
    // The background is painted by the editor itself, under the text.
    viewport()->setAutoFillBackground(false);
    ApplyColors();
}

TCoolInplaceEdit::~TCoolInplaceEdit() = default;

void TCoolInplaceEdit::ApplyColors()
{
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::transparent);
    setPalette(pal);
    viewport()->update();
}

void TCoolInplaceEdit::SetBorderPen(const QPen& pen)
{
    m_borderPen = pen;
    viewport()->update();
}

void TCoolInplaceEdit::SetBordersTrColor(TColor c)
{
    if (c == m_bordersTrColor)
        return;
    m_bordersTrColor = c;
    viewport()->update();
}

void TCoolInplaceEdit::SetCoolImages(TCoolImages* images)
{
    if (images == m_images.Get())
        return;
    m_images.Set(images, this, [this] { viewport()->update(); });
    viewport()->update();
}

void TCoolInplaceEdit::SetEdgeBorders(TEdgeBorders e)
{
    if (e == m_edgeBorders)
        return;
    m_edgeBorders = e;
    viewport()->update();
}

void TCoolInplaceEdit::SetIdWallpaper(int id)
{
    if (id == m_idWallpaper)
        return;
    m_idWallpaper = id;
    viewport()->update();
}

CoolBitmap& TCoolInplaceEdit::Wallpaper()
{
    if (!m_wallpaper) {
        m_wallpaper = std::make_unique<CoolBitmap>();
        m_wallpaper->OnChange = [this](CoolBitmap*) { viewport()->update(); };
    }
    return *m_wallpaper;
}

void TCoolInplaceEdit::SetWallpaper(const CoolBitmap& bitmap)
{
    Wallpaper().Assign(bitmap);
    viewport()->update();
}

void TCoolInplaceEdit::SetOptions(TCoolOptions o)
{
    if (o == m_options)
        return;
    m_options = ExclusiveSkinOptions(m_options, o);
    ApplyColors();
    update();
}

void TCoolInplaceEdit::SetTextAlign(TAlignment a)
{
    m_textAlign = a;
    setAlignment(a == taRightJustify ? Qt::AlignRight : a == taCenter ? Qt::AlignHCenter : Qt::AlignLeft);
}

void TCoolInplaceEdit::SetTransparencyLevel(std::uint8_t level)
{
    if (level == m_transparencyLevel)
        return;
    m_transparencyLevel = level;
    viewport()->update();
}

void TCoolInplaceEdit::SetColor(TColor c)
{
    m_color = c;
    viewport()->update();
}

bool TCoolInplaceEdit::HasWallpaper() const
{
    return ::HasWallpaper(m_images.Get(), m_idWallpaper, m_wallpaper.get());
}

bool TCoolInplaceEdit::Skinned() const
{
    return m_options.Contains(ocPaintTransparently)
        || (m_options.Contains(ocPaintWallpaper) && HasWallpaper());
}

void TCoolInplaceEdit::MessageBeep()
{
    ++m_beeps;
    QApplication::beep();
}

void TCoolInplaceEdit::keyPressEvent(QKeyEvent* e)
{
    // Every key sets the Ctrl+Enter flag anew; the shift state must be
    // exactly Ctrl.
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    m_ctrlEnter = enter && (e->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
    InplaceEdit::keyPressEvent(e);
}

void TCoolInplaceEdit::keyPress(QKeyEvent* e)
{
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if (enter) {
        // The character of an Enter key is a carriage return, or a line
        // feed while Ctrl is held. A carriage return the grid left in place,
        // and whatever Ctrl+Enter brings, never reach the text.
        const bool carriageReturn = !(e->modifiers() & Qt::ControlModifier);
        if (carriageReturn || m_ctrlEnter) {
            MessageBeep();
            e->accept();
            return;
        }
        // Any other Enter (Ctrl+Shift) brings a line feed: a line break.
        insertPlainText(QStringLiteral("\n"));
        e->accept();
        return;
    }
    InplaceEdit::keyPress(e);
}

void TCoolInplaceEdit::change()
{
    viewport()->update();
    InplaceEdit::change();
}

void TCoolInplaceEdit::PaintEdges(QPainter& p) const
{
    if (m_edgeBorders.Empty())
        return;
    const int l = 0, t = 0, r = viewport()->width(), b = viewport()->height();
    auto line = [&](TEdgeBorder e) {
        switch (e) {
        case ebTop: p.drawLine(l, t + 1, r, t + 1); break;
        case ebLeft: p.drawLine(l + 1, t, l + 1, b); break;
        case ebRight: p.drawLine(r - 1, t, r - 1, b); break;
        case ebBottom: p.drawLine(l, b - 1, r, b - 1); break;
        }
    };
    if (m_bordersTrColor != clNone) {
        p.setPen(QPen(ColorToQColor(m_bordersTrColor, palette()), 2));
        for (TEdgeBorder e : {ebTop, ebLeft, ebRight, ebBottom})
            line(e);
    }
    p.setPen(m_borderPen);
    for (TEdgeBorder e : {ebTop, ebLeft, ebRight, ebBottom})
        if (m_edgeBorders.Contains(e))
            line(e);
}

void TCoolInplaceEdit::paintEvent(QPaintEvent* e)
{
    {
        QPainter p(viewport());
        const QRect all = viewport()->rect();
        if (m_options.Contains(ocPaintTransparently))
            PaintParentBackground(ClimbParents(this, m_transparencyLevel), p, true);
        else if (m_options.Contains(ocPaintWallpaper) && HasWallpaper())
            DrawWallpaper(p, ChooseWallpaper(m_images.Get(), m_idWallpaper, m_wallpaper.get())->Image(), all,
                          m_options.Contains(ocStretchWallpaper), SRCCOPY);
        else
            p.fillRect(all, ColorToQColor(m_color, palette()));
    }
    InplaceEdit::paintEvent(e);
    QPainter p(viewport());
    PaintEdges(p);
    if (m_options.Contains(ocFlatBorder))
        DrawFlatBorder(p, this, hasFocus() || m_hot);
}

void TCoolInplaceEdit::focusInEvent(QFocusEvent* e)
{
    InplaceEdit::focusInEvent(e);
    viewport()->update();
}

void TCoolInplaceEdit::focusOutEvent(QFocusEvent* e)
{
    InplaceEdit::focusOutEvent(e);
    viewport()->update();
}

void TCoolInplaceEdit::enterEvent(QEnterEvent* e)
{
    InplaceEdit::enterEvent(e);
    if (m_options.Contains(ocFlatBorder) && !IsCoolControl(QApplication::focusWidget())) {
        m_hot = true;
        viewport()->update();
    }
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TCoolInplaceEdit::leaveEvent(QEvent* e)
{
    InplaceEdit::leaveEvent(e);
    if (m_options.Contains(ocFlatBorder) && !IsCoolControl(QApplication::focusWidget())) {
        m_hot = false;
        viewport()->update();
    }
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TCoolInplaceEdit::moveEvent(QMoveEvent* e)
{
    InplaceEdit::moveEvent(e);
    viewport()->update();
}
