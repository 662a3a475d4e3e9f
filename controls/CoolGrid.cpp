#include "CoolGrid.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

// ===================================================== shared grid skin

namespace {
// Heights of the caption bar, normal and small, as the classic window
// metrics give them.
constexpr int CaptionBarHeight = 19;
constexpr int SmallCaptionBarHeight = 15;
} // namespace

CoolSkinnedGrid::CoolSkinnedGrid(QWidget* parent)
    : CoolGridBase(parent), m_images([this](TCoolImages*) {
          RefreshFrame();
          viewport()->update();
      })
{
    setColor(ColorToQColor(m_colorValue, palette()));
    setFixedColor(ColorToQColor(m_fixedColorValue, palette()));
    setMouseTracking(true);
}

CoolSkinnedGrid::~CoolSkinnedGrid() = default;

void CoolSkinnedGrid::SetFont(const TFont& f)
{
    m_fontColorValue = f.Color;
    setFont(f);
    viewport()->update();
}

QColor CoolSkinnedGrid::fontColor() const
{
    return FontTextColor(Font(), palette());
}

void CoolSkinnedGrid::SetColor(TColor c)
{
    m_colorValue = c;
    setColor(ColorToQColor(c, palette()));
}

void CoolSkinnedGrid::SetFixedColor(TColor c)
{
    m_fixedColorValue = c;
    setFixedColor(ColorToQColor(c, palette()));
}

void CoolSkinnedGrid::changeEvent(QEvent* e)
{
    CoolGridBase::changeEvent(e);
    if (e->type() == QEvent::PaletteChange) {
        // System colours follow the palette.
        setColor(ColorToQColor(m_colorValue, palette()));
        setFixedColor(ColorToQColor(m_fixedColorValue, palette()));
        if (m_exOptions.Contains(ocPaintTransparently))
            viewport()->update();
    } else if (e->type() == QEvent::EnabledChange) {
        viewport()->update();
    }
}

CoolBitmap& CoolSkinnedGrid::ownBitmap(std::unique_ptr<CoolBitmap>& slot, bool frame)
{
    if (!slot) {
        slot = std::make_unique<CoolBitmap>();
        slot->OnChange = [this, frame](CoolBitmap*) {
            if (frame)
                RefreshFrame();
            viewport()->update();
        };
    }
    return *slot;
}

void CoolSkinnedGrid::SetCaptionColor(TColor c)
{
    if (c == m_captionColor)
        return;
    m_captionColor = c;
    RefreshFrame();
}

void CoolSkinnedGrid::SetCaptionTextColor(TColor c)
{
    if (c == m_captionTextColor)
        return;
    m_captionTextColor = c;
    RefreshFrame();
}

void CoolSkinnedGrid::SetCaptionWallpaper(const CoolBitmap& b)
{
    CaptionWallpaper().Assign(b);
    RefreshFrame();
}

void CoolSkinnedGrid::SetWallpaper(const CoolBitmap& b)
{
    Wallpaper().Assign(b);
    viewport()->update();
}

void CoolSkinnedGrid::SetSelWallpaper(const CoolBitmap& b)
{
    SelWallpaper().Assign(b);
    viewport()->update();
}

void CoolSkinnedGrid::SetCoolImages(TCoolImages* images)
{
    if (images == m_images.Get())
        return;
    m_images.Set(images, this, [this] {
        RefreshFrame();
        viewport()->update();
    });
    viewport()->update();
    RefreshFrame();
}

void CoolSkinnedGrid::SetExOptions(TCoolOptions o)
{
    if (o == m_exOptions)
        return;
    m_exOptions = ExclusiveSkinOptions(m_exOptions, o);
    // The caption strip above the cells comes and goes with the options.
    setViewportMargins(0, CaptionHeight(), 0, 0);
    RefreshFrame();
    viewport()->update();
}

void CoolSkinnedGrid::SetIdCaptionWallpaper(int id)
{
    if (id == m_idCaptionWallpaper)
        return;
    m_idCaptionWallpaper = id;
    RefreshFrame();
}

void CoolSkinnedGrid::SetIdSelWallpaper(int id)
{
    if (id == m_idSelWallpaper)
        return;
    m_idSelWallpaper = id;
    viewport()->update();
}

void CoolSkinnedGrid::SetIdWallpaper(int id)
{
    if (id == m_idWallpaper)
        return;
    m_idWallpaper = id;
    viewport()->update();
}

void CoolSkinnedGrid::SetTransparencyLevel(std::uint8_t level)
{
    if (level == m_transparencyLevel)
        return;
    m_transparencyLevel = level;
    viewport()->update();
}

void CoolSkinnedGrid::SetCaption(const QString& text)
{
    m_caption = text;
    RefreshFrame();
}

const CoolBitmap* CoolSkinnedGrid::WallpaperPicture() const
{
    return ChooseWallpaper(m_images.Get(), m_idWallpaper, m_wallpaper.get());
}

const CoolBitmap* CoolSkinnedGrid::SelWallpaperPicture() const
{
    return ChooseWallpaper(m_images.Get(), m_idSelWallpaper, m_selWallpaper.get());
}

bool CoolSkinnedGrid::HasWallpaper() const { return WallpaperPicture() != nullptr; }
bool CoolSkinnedGrid::HasSelWallpaper() const { return SelWallpaperPicture() != nullptr; }

bool CoolSkinnedGrid::HasCaptionWallpaper() const
{
    return ::HasWallpaper(m_images.Get(), m_idCaptionWallpaper, m_captionWallpaper.get());
}

int CoolSkinnedGrid::CaptionHeight() const
{
    if (m_exOptions.Contains(ocNoCaption))
        return 0;
    return m_exOptions.Contains(ocSmallCaption) ? SmallCaptionBarHeight : CaptionBarHeight;
}

QRect CoolSkinnedGrid::CaptionRect() const
{
    const int h = CaptionHeight();
    if (h == 0)
        return {};
    const int fw = frameWidth();
    return QRect(fw, fw, width() - 2 * fw, h - 1);
}

void CoolSkinnedGrid::RefreshFrame()
{
    update();
}

void CoolSkinnedGrid::paintFrame(QPainter& p)
{
    const QRect r = CaptionRect();
    if (!r.isEmpty()) {
        if (m_exOptions.Contains(ocPaintCaptionWallpaper)) {
            // Stretched over the bar; nothing at all without a picture.
            if (const CoolBitmap* pic =
                    ChooseWallpaper(m_images.Get(), m_idCaptionWallpaper, m_captionWallpaper.get()))
                DrawWallpaper(p, pic->Image(), r, true, SRCCOPY);
        } else {
            p.fillRect(r, ColorToQColor(m_captionColor, palette()));
        }
        QFont f = QApplication::font();
        f.setBold(true);
        if (m_exOptions.Contains(ocSmallCaption))
            f.setPointSizeF(f.pointSizeF() * 0.85);
        p.setFont(f);
        p.setPen(ColorToQColor(m_captionTextColor, palette()));
        QRect t = r.translated(2, 0);
        CoolDrawText(p, t, m_caption, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    if (m_exOptions.Contains(ocFlatBorder))
        DrawFlatBorder(p, this, m_hot || hasFocus());
}

void CoolSkinnedGrid::paintEvent(QPaintEvent* e)
{
    CoolGridBase::paintEvent(e);
    if (OnPaint)
        OnPaint(this);
}

bool CoolSkinnedGrid::captionDragArea(const QPoint& pos) const
{
    return CaptionRect().contains(pos) && !m_exOptions.Contains(ocNoDragUsingCaption);
}

bool CoolSkinnedGrid::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::MouseButtonPress: {
        auto* me = static_cast<QMouseEvent*>(e);
        const QPoint pos = me->position().toPoint();
        if (me->button() == Qt::LeftButton && captionDragArea(pos)) {
            // The caption bar moves the grid inside its parent.
            m_dragging = true;
            m_dragOffset = pos;
            return true;
        }
        break;
    }
    case QEvent::MouseMove:
        if (m_dragging) {
            auto* me = static_cast<QMouseEvent*>(e);
            move(mapToParent(me->position().toPoint()) - m_dragOffset);
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (m_dragging) {
            m_dragging = false;
            return true;
        }
        break;
    case QEvent::MouseButtonDblClick:
        // Double-clicking the caption bar does nothing.
        if (CaptionRect().contains(static_cast<QMouseEvent*>(e)->position().toPoint()))
            return true;
        break;
    case QEvent::Move:
        viewport()->update();
        break;
    default:
        break;
    }
    return CoolGridBase::event(e);
}

void CoolSkinnedGrid::enterEvent(QEnterEvent* e)
{
    CoolGridBase::enterEvent(e);
    if (!IsCoolControl(QApplication::focusWidget())) {
        m_hot = true;
        if (m_exOptions.Contains(ocFlatBorder))
            update();
    }
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void CoolSkinnedGrid::leaveEvent(QEvent* e)
{
    CoolGridBase::leaveEvent(e);
    if (!IsCoolControl(QApplication::focusWidget())) {
        m_hot = false;
        if (m_exOptions.Contains(ocFlatBorder))
            update();
    }
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void CoolSkinnedGrid::focusInEvent(QFocusEvent* e)
{
    CoolGridBase::focusInEvent(e);
    if (m_exOptions.Contains(ocFlatBorder))
        update();
}

void CoolSkinnedGrid::focusOutEvent(QFocusEvent* e)
{
    CoolGridBase::focusOutEvent(e);
    if (m_exOptions.Contains(ocFlatBorder))
        update();
}

InplaceEdit* CoolSkinnedGrid::createEditor()
{
    return new TCoolInplaceEdit(this);
}

void CoolSkinnedGrid::PrepareEditor()
{
    TCoolInplaceEdit* ed = Editor();
    if (!ed)
        return;
    ed->SetColor(m_colorValue);
    ed->setFont(font());
    ed->SetOptions(m_exOptions.Without(ocFlatBorder));
    ed->Wallpaper().Clear();
}

void CoolSkinnedGrid::endCellEdit(int col, int row)
{
    if (editorMode())
        return;
    // The notice was posted earlier: the grid may have lost that column or
    // row since.
    auto exists = [this](int c, int r) { return c >= 0 && c < colCount() && r >= 0 && r < rowCount(); };
    if (!exists(col, row))
        return;
    int w = defaultColWidth();
    int h = defaultRowHeight();
    if (OnEndCellEditing)
        OnEndCellEditing(this, col, row, w, h);
    if (!exists(col, row))
        return;
    setColWidth(col, w);
    setRowHeight(row, h);
}

void CoolSkinnedGrid::topLeftChanged()
{
    if ((m_exOptions.Contains(ocPaintWallpaper) && HasWallpaper()) || m_exOptions.Contains(ocPaintTransparently))
        viewport()->update();
}

void CoolSkinnedGrid::DrawWallpaperInCell(QPainter& p, const CoolBitmap& picture, const QRect& rect,
                                          bool stretch, std::uint32_t rop) const
{
    // Anchored to the cells' area, so that the cells show one picture.
    DrawWallpaperClipped(p, picture.Image(), viewport()->rect(), rect, stretch, rop);
}

void CoolSkinnedGrid::PaintSelectedBackground(QPainter& p, const QRect& rect, const QColor& selection) const
{
    const TCoolOptions ex = ExOptions();
    if (ex.Contains(ocInvertWallpaperAsSelect) && HasWallpaper())
        DrawWallpaperInCell(p, *WallpaperPicture(), rect, ex.Contains(ocStretchWallpaper), NOTSRCCOPY);
    else if (ex.Contains(ocPaintSelWallpaper) && HasSelWallpaper())
        DrawWallpaperInCell(p, *SelWallpaperPicture(), rect, true, SRCCOPY);
    else
        p.fillRect(rect, selection);
}

void CoolSkinnedGrid::PaintSeeThrough(QPainter& p, const QRect& rect)
{
    PaintParentBackgroundClipped(ClimbParents(this, m_transparencyLevel), p, rect, true);
}

// ======================================================== string grid

TCellWrapper::TCellWrapper(int ACol, int ARow, const TCoolStringGrid& AGrid)
    : Font(AGrid.Font()),
      Color(ACol < AGrid.fixedCols() || ARow < AGrid.fixedRows() ? AGrid.FixedColor() : AGrid.Color()),
      Col(ACol),
      Row(ARow)
{
}

TCoolStringGrid::TCoolStringGrid(QWidget* parent) : CoolSkinnedGrid(parent) {}

TCoolStringGrid::~TCoolStringGrid() = default;

TCellWrapper* TCoolStringGrid::FindCell(int ACol, int ARow) const
{
    for (const auto& c : m_cells)
        if (c->Col == ACol && c->Row == ARow)
            return c.get();
    return nullptr;
}

TCellWrapper* TCoolStringGrid::CreateCell(int ACol, int ARow)
{
    auto cell = std::make_unique<TCellWrapper>(ACol, ARow, *this);
    const bool fixed = ACol < fixedCols() || ARow < fixedRows();
    cell->Alignment = fixed ? m_fixedTextAlign : m_textAlign;
    m_cells.push_back(std::move(cell));
    return m_cells.back().get();
}

TCellWrapper* TCoolStringGrid::CellAttributes(int ACol, int ARow)
{
    if (TCellWrapper* c = FindCell(ACol, ARow))
        return c;
    return CreateCell(ACol, ARow);
}

TColor TCoolStringGrid::GetCellColor(int ACol, int ARow) const
{
    if (const TCellWrapper* c = FindCell(ACol, ARow))
        return c->Color;
    return ACol < fixedCols() || ARow < fixedRows() ? FixedColor() : Color();
}

void TCoolStringGrid::SetCellColor(int ACol, int ARow, TColor Value)
{
    CellAttributes(ACol, ARow)->Color = Value;
    invalidateCell(ACol, ARow);   // nothing for a cell outside the grid
}

bool TCoolStringGrid::GetCellReadOnly(int ACol, int ARow) const
{
    const TCellWrapper* c = FindCell(ACol, ARow);
    return c && c->ReadOnly;
}

bool TCoolStringGrid::GetCellShowWallpaper(int ACol, int ARow) const
{
    const TCellWrapper* c = FindCell(ACol, ARow);
    return c && c->ShowWallpaper;
}

TFont& TCoolStringGrid::GetCellFont(int ACol, int ARow)
{
    return CellAttributes(ACol, ARow)->Font;
}

TAlignment TCoolStringGrid::GetCellAlignment(int ACol, int ARow)
{
    return CellAttributes(ACol, ARow)->Alignment;
}

void TCoolStringGrid::ClearCells()
{
    for (int c = 0; c < colCount(); ++c)
        clearCol(c);
}

#define COOL_REPAINT_SETTER(name, member)          \
    void TCoolStringGrid::name(decltype(member) v) \
    {                                              \
        if (v == member)                           \
            return;                                \
        member = v;                                \
        viewport()->update();                      \
    }
COOL_REPAINT_SETTER(SetCellMarginTop, m_marginTop)
COOL_REPAINT_SETTER(SetCellMarginLeft, m_marginLeft)
COOL_REPAINT_SETTER(SetCellMarginRight, m_marginRight)
COOL_REPAINT_SETTER(SetCellMarginBottom, m_marginBottom)
COOL_REPAINT_SETTER(SetFixedTextAlign, m_fixedTextAlign)
COOL_REPAINT_SETTER(SetTextAlign, m_textAlign)
COOL_REPAINT_SETTER(SetInnerCellsBevel, m_innerBevel)
COOL_REPAINT_SETTER(SetOuterCellsBevel, m_outerBevel)
COOL_REPAINT_SETTER(SetSelColor, m_selColor)
#undef COOL_REPAINT_SETTER

unsigned TCoolStringGrid::TextFormat(TAlignment a) const
{
    switch (a) {
    case taRightJustify: return DT_WORDBREAK | DT_RIGHT;
    case taCenter: return DT_WORDBREAK | DT_CENTER;
    default: return DT_WORDBREAK;
    }
}

void TCoolStringGrid::measureCells(const std::vector<int>& cols, const std::vector<int>& rows)
{
    // A text that does not fit widens its column or heightens its row to the
    // text's size plus 10 pixels; nothing here ever shrinks. A second round
    // sees the sizes the first one set, as the next paint would.
    for (int round = 0; round < 3; ++round) {
        bool grown = false;
        for (int r : rows) {
            for (int c : cols) {
                const QString text = cells(c, r);
                if (text.isEmpty())
                    continue;
                const TCellWrapper* cw = FindCell(c, r);
                const TAlignment align =
                    cw ? cw->Alignment : (isFixedCell(c, r) ? m_fixedTextAlign : m_textAlign);
                // Measured in the width the text is drawn in (the cell less
                // its margins), so a wrapped text never loses its last line.
                const int drawWidth = std::max(1, colWidth(c) - m_marginLeft + m_marginRight);
                const QRect m = CoolCalcRect(cw ? cw->Font : font(), QRect(0, 0, drawWidth, 0), text,
                                             TextFormat(align) | DT_CALCRECT);
                if (colWidth(c) < m.width()) {
                    setColWidth(c, m.width() + 10);
                    grown = true;
                }
                if (rowHeight(r) < m.height()) {
                    setRowHeight(r, m.height() + 10);
                    grown = true;
                }
            }
        }
        if (!grown)
            break;
    }
}

void TCoolStringGrid::drawCell(QPainter& p, int col, int row, const QRect& rect, DrawState state)
{
    const QPalette& pal = palette();
    QColor brush = p.brush().color();
    QColor textColor = p.pen().color();
    const bool fixed = state == DrawState(gdFixed);

    // 1. The cell's own look, when it has one.
    TAlignment align;
    if (const TCellWrapper* cw = FindCell(col, row)) {
        brush = ColorToQColor(cw->Color, pal);
        p.setFont(cw->Font);
        textColor = FontTextColor(cw->Font, pal);
        align = cw->Alignment;
    } else {
        align = fixed ? m_fixedTextAlign : m_textAlign;
    }
    const unsigned format = TextFormat(align);

    // 3. Selection: the whole state is compared, not single members.
    const bool selected = state == DrawState(gdSelected)
        || (state == (gdSelected | gdFocused) && (options() & (goDrawFocusSelected | goRowSelect)));
    if (selected) {
        textColor = ColorToQColor(clHighlightText, pal);
        brush = ColorToQColor(m_selColor, pal);
    }

    // 4. Background.
    const TCoolOptions ex = ExOptions();
    const bool stretch = ex.Contains(ocStretchWallpaper);
    if (selected) {
        PaintSelectedBackground(p, rect, brush);
    } else if (!fixed && ex.Contains(ocPaintTransparently)) {
        PaintSeeThrough(p, rect);
    } else if (!fixed && ex.Contains(ocPaintWallpaper) && HasWallpaper()
               && (!HasCellAttributes(col, row) || GetCellShowWallpaper(col, row))) {
        DrawWallpaperInCell(p, *WallpaperPicture(), rect, stretch, SRCCOPY);
    } else {
        p.fillRect(rect, brush);
    }

    // 5. Bevel around every cell but the fixed ones.
    if (!fixed) {
        if (const unsigned edge = BevelEdge(m_innerBevel, m_outerBevel)) {
            QRect r = rect;
            DrawEdge(p, r, edge, BF_RECT, pal);
        }
    }

    // 7.-9. Text inside the margins, over whatever background was drawn.
    QRect t = rect;
    AdjustRectSides(t, m_marginLeft, m_marginTop, m_marginRight, m_marginBottom);
    if (isEnabled()) {
        p.setPen(textColor);
        CoolDrawText(p, t, cells(col, row), format);
    } else {
        DrawDisabledText(p, t, cells(col, row), format, pal);
    }

    // 10.-11.
    p.setFont(font());
    if (onDrawCell)
        onDrawCell(p, col, row, rect, state);
}

bool TCoolStringGrid::selectCell(int col, int row)
{
    const bool result = CoolSkinnedGrid::selectCell(col, row);
    m_canEdit = true;
    if (HasCellAttributes(col, row) && (options() & (goEditing | goAlwaysShowEditor)))
        m_canEdit = !GetCellReadOnly(col, row);
    return result;
}

bool TCoolStringGrid::canEditShow() const
{
    return CoolSkinnedGrid::canEditShow() && m_canEdit;
}

QString TCoolStringGrid::getEditText(int col, int row)
{
    const QString result = CoolSkinnedGrid::getEditText(col, row);
    m_editStart = result;
    PrepareEditor();
    TCoolInplaceEdit* ed = Editor();
    if (!ed)
        return result;
    if (HasCellAttributes(col, row) && !GetCellShowWallpaper(col, row)) {
        ed->SetColor(GetCellColor(col, row));
        ed->setFont(GetCellFont(col, row));
    } else if (HasWallpaper() && ExOptions().Contains(ocPaintWallpaper)) {
        // The editor shows exactly the piece of wallpaper under the cell.
        QImage whole(viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        whole.fill(Qt::transparent);
        {
            QPainter p(&whole);
            DrawWallpaper(p, WallpaperPicture()->Image(), whole.rect(), ExOptions().Contains(ocStretchWallpaper),
                          SRCCOPY);
        }
        ed->Wallpaper().SetImage(whole.copy(cellRect(col, row)));
    }
    return result;
}

void TCoolStringGrid::setEditText(int col, int row, const QString& text)
{
    CoolSkinnedGrid::setEditText(col, row, text);
    if (cells(col, row) != m_editStart)
        postEndCellEdit(col, row);
}

void TCoolStringGrid::columnMoved(int from, int to)
{
    for (auto& c : m_cells) {
        if (c->Col == from)
            c->Col = to;
        else if (from < c->Col && c->Col <= to)
            --c->Col;
        else if (to <= c->Col && c->Col < from)
            ++c->Col;
    }
    CoolSkinnedGrid::columnMoved(from, to);
}

void TCoolStringGrid::rowMoved(int from, int to)
{
    for (auto& c : m_cells) {
        if (c->Row == from)
            c->Row = to;
        else if (from < c->Row && c->Row <= to)
            --c->Row;
        else if (to <= c->Row && c->Row < from)
            ++c->Row;
    }
    CoolSkinnedGrid::rowMoved(from, to);
}
