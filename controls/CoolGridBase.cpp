#include "CoolGridBase.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <QTextOption>
#include <algorithm>

// ------------------------------------------------------------ end of edit

QEvent::Type EndCellEditEvent::eventType()
{
    static const QEvent::Type type =
        static_cast<QEvent::Type>(QEvent::registerEventType(QEvent::User + 0x194));
    return type;
}

// ---------------------------------------------------------------- editor

InplaceEdit::InplaceEdit(CoolGridBase* grid)
    : QPlainTextEdit(grid ? grid->viewport() : nullptr), m_grid(grid)
{
    setFrameShape(QFrame::NoFrame);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    document()->setDocumentMargin(1);
    hide();
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_settingText)
            change();
    });
}

void InplaceEdit::setText(const QString& text)
{
    m_settingText = true;
    setPlainText(text);
    m_settingText = false;
}

void InplaceEdit::setAlignment(Qt::Alignment a)
{
    m_alignment = a;
    QTextOption opt = document()->defaultTextOption();
    opt.setAlignment(a);
    document()->setDefaultTextOption(opt);
}

void InplaceEdit::change()
{
    if (m_grid)
        m_grid->editorChanged();
}

void InplaceEdit::keyPressEvent(QKeyEvent* e)
{
    if (m_grid && m_grid->editorKey(e))
        return;
    keyPress(e);
}

void InplaceEdit::keyPress(QKeyEvent* e)
{
    QPlainTextEdit::keyPressEvent(e);
}

void InplaceEdit::focusInEvent(QFocusEvent* e)
{
    QPlainTextEdit::focusInEvent(e);
    // All text is selected unless the focus came with the mouse button held
    // on the editor.
    if (m_autoSelect && !(e->reason() == Qt::MouseFocusReason
                          && (QApplication::mouseButtons() & Qt::LeftButton)))
        selectAll();
}

// ----------------------------------------------------------------- grid

CoolGridBase::CoolGridBase(QWidget* parent) : QAbstractScrollArea(parent)
{
    m_color = palette().color(QPalette::Base);
    m_fixedColor = palette().color(QPalette::Button);
    m_options = GridOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect);
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::StyledPanel);
    viewport()->setMouseTracking(true);
    resizeCells(5, 5);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
        if (!m_syncingBars)
            setTopRow(v + m_fixedRows);
    });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
        if (!m_syncingBars)
            setLeftCol(v + m_fixedCols);
    });
    setScrollBars(ScrollStyle::Both);
}

CoolGridBase::~CoolGridBase() = default;

void CoolGridBase::resizeCells(int cols, int rows)
{
    m_colWidths.resize(static_cast<size_t>(cols), m_defaultColWidth);
    m_rowHeights.resize(static_cast<size_t>(rows), m_defaultRowHeight);
    m_cells.resize(static_cast<size_t>(cols));
    for (auto& column : m_cells)
        column.resize(rows);
}

void CoolGridBase::setColCount(int n)
{
    n = std::max(n, 1);
    if (n == colCount())
        return;
    resizeCells(n, rowCount());
    if (m_fixedCols >= n)
        m_fixedCols = n - 1;
    if (m_editorMode && m_col >= n)
        hideEditor();
    m_col = std::clamp(m_col, m_fixedCols, n - 1);
    m_anchorCol = std::clamp(m_anchorCol, m_fixedCols, n - 1);
    m_leftCol = std::clamp(m_leftCol, m_fixedCols, std::max(m_fixedCols, maxLeftCol()));
    scheduleScrollBarUpdate();
    viewport()->update();
}

void CoolGridBase::setRowCount(int n)
{
    n = std::max(n, 1);
    if (n == rowCount())
        return;
    resizeCells(colCount(), n);
    if (m_fixedRows >= n)
        m_fixedRows = n - 1;
    if (m_editorMode && m_row >= n)
        hideEditor();
    m_row = std::clamp(m_row, m_fixedRows, n - 1);
    m_anchorRow = std::clamp(m_anchorRow, m_fixedRows, n - 1);
    m_topRow = std::clamp(m_topRow, m_fixedRows, std::max(m_fixedRows, maxTopRow()));
    scheduleScrollBarUpdate();
    viewport()->update();
}

void CoolGridBase::setFixedCols(int n)
{
    n = std::clamp(n, 0, colCount() - 1);
    // Whatever stood on the first scrolling column moves with it, also when
    // fewer columns are fixed; nothing stays inside the fixed ones.
    const auto follow = [old = m_fixedCols, n](int& v) { v = (v == old || v < n) ? n : v; };
    m_fixedCols = n;
    follow(m_col);
    follow(m_anchorCol);
    follow(m_leftCol);
    scheduleScrollBarUpdate();
    viewport()->update();
}

void CoolGridBase::setFixedRows(int n)
{
    n = std::clamp(n, 0, rowCount() - 1);
    const auto follow = [old = m_fixedRows, n](int& v) { v = (v == old || v < n) ? n : v; };
    m_fixedRows = n;
    follow(m_row);
    follow(m_anchorRow);
    follow(m_topRow);
    scheduleScrollBarUpdate();
    viewport()->update();
}

void CoolGridBase::setDefaultColWidth(int w)
{
    m_defaultColWidth = w;
    std::fill(m_colWidths.begin(), m_colWidths.end(), w);
    sizesChanged();
}

void CoolGridBase::setDefaultRowHeight(int h)
{
    m_defaultRowHeight = h;
    std::fill(m_rowHeights.begin(), m_rowHeights.end(), h);
    sizesChanged();
}

int CoolGridBase::colWidth(int col) const
{
    return col >= 0 && col < colCount() ? m_colWidths[static_cast<size_t>(col)] : 0;
}

int CoolGridBase::rowHeight(int row) const
{
    return row >= 0 && row < rowCount() ? m_rowHeights[static_cast<size_t>(row)] : 0;
}

void CoolGridBase::setColWidth(int col, int w)
{
    if (col < 0 || col >= colCount() || m_colWidths[static_cast<size_t>(col)] == w)
        return;
    m_colWidths[static_cast<size_t>(col)] = w;
    sizesChanged();
}

void CoolGridBase::setRowHeight(int row, int h)
{
    if (row < 0 || row >= rowCount() || m_rowHeights[static_cast<size_t>(row)] == h)
        return;
    m_rowHeights[static_cast<size_t>(row)] = h;
    sizesChanged();
}

void CoolGridBase::setScrollBars(ScrollStyle s)
{
    m_scrollBars = s;
    const bool h = s == ScrollStyle::Horizontal || s == ScrollStyle::Both;
    const bool v = s == ScrollStyle::Vertical || s == ScrollStyle::Both;
    setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(v ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    updateScrollBars();
}

int CoolGridBase::fixedWidth() const
{
    int w = 0;
    for (int c = 0; c < m_fixedCols; ++c)
        w += colWidth(c) + vertLineWidth();
    return w;
}

int CoolGridBase::fixedHeight() const
{
    int h = 0;
    for (int r = 0; r < m_fixedRows; ++r)
        h += rowHeight(r) + horzLineWidth();
    return h;
}

int CoolGridBase::maxTopRow() const
{
    const int avail = viewport()->height() - fixedHeight();
    int used = 0;
    int top = rowCount();
    while (top > m_fixedRows) {
        used += rowHeight(top - 1) + horzLineWidth();
        if (used > avail && top < rowCount())
            break;
        --top;
        if (used > avail)
            break;
    }
    return std::max(top, m_fixedRows);
}

int CoolGridBase::maxLeftCol() const
{
    const int avail = viewport()->width() - fixedWidth();
    int used = 0;
    int left = colCount();
    while (left > m_fixedCols) {
        used += colWidth(left - 1) + vertLineWidth();
        if (used > avail && left < colCount())
            break;
        --left;
        if (used > avail)
            break;
    }
    return std::max(left, m_fixedCols);
}

void CoolGridBase::updateScrollBars()
{
    m_scrollUpdatePending = false;
    m_syncingBars = true;
    const int maxTop = std::max(maxTopRow(), m_fixedRows);
    const int maxLeft = std::max(maxLeftCol(), m_fixedCols);
    verticalScrollBar()->setRange(0, maxTop - m_fixedRows);
    verticalScrollBar()->setPageStep(std::max(1, int(visibleRows().size()) - m_fixedRows));
    horizontalScrollBar()->setRange(0, maxLeft - m_fixedCols);
    horizontalScrollBar()->setPageStep(1);
    m_syncingBars = false;
    // The viewport may have changed size: keep the top-left in range.
    if (m_topRow > maxTop)
        setTopRow(maxTop);
    if (m_leftCol > maxLeft)
        setLeftCol(maxLeft);
    m_syncingBars = true;
    verticalScrollBar()->setValue(m_topRow - m_fixedRows);
    horizontalScrollBar()->setValue(m_leftCol - m_fixedCols);
    m_syncingBars = false;
    placeEditor();
}

void CoolGridBase::sizesChanged()
{
    // Inside a paint only the sizes change: the editor and the scroll bars
    // follow from the event loop, and the paint under way shows the cells.
    scheduleScrollBarUpdate();
    if (m_inPaint) {
        m_sizedInPaint = true;
        return;
    }
    placeEditor();
    viewport()->update();
}

void CoolGridBase::scheduleScrollBarUpdate()
{
    // Scroll bars may show or hide and resize the viewport, which must not
    // happen from inside a paint: the update runs from the event loop.
    if (m_scrollUpdatePending)
        return;
    m_scrollUpdatePending = true;
    QMetaObject::invokeMethod(this, &CoolGridBase::updateScrollBars, Qt::QueuedConnection);
}

void CoolGridBase::setTopRow(int row)
{
    row = std::clamp(row, m_fixedRows, std::max(m_fixedRows, maxTopRow()));
    if (row == m_topRow)
        return;
    m_topRow = row;
    m_syncingBars = true;
    verticalScrollBar()->setValue(row - m_fixedRows);
    m_syncingBars = false;
    placeEditor();
    viewport()->update();
    topLeftChanged();
    emit topLeftMoved();
}

void CoolGridBase::setLeftCol(int col)
{
    col = std::clamp(col, m_fixedCols, std::max(m_fixedCols, maxLeftCol()));
    if (col == m_leftCol)
        return;
    m_leftCol = col;
    m_syncingBars = true;
    horizontalScrollBar()->setValue(col - m_fixedCols);
    m_syncingBars = false;
    placeEditor();
    viewport()->update();
    topLeftChanged();
    emit topLeftMoved();
}

void CoolGridBase::scrollContentsBy(int, int)
{
    // Scrolling is by whole rows and columns, driven by the bars' values.
}

QRect CoolGridBase::cellRect(int col, int row) const
{
    if (col < 0 || col >= colCount() || row < 0 || row >= rowCount())
        return {};
    int x = 0;
    if (col < m_fixedCols) {
        for (int c = 0; c < col; ++c)
            x += colWidth(c) + vertLineWidth();
    } else if (col >= m_leftCol) {
        x = fixedWidth();
        for (int c = m_leftCol; c < col; ++c)
            x += colWidth(c) + vertLineWidth();
    } else {
        return {};
    }
    int y = 0;
    if (row < m_fixedRows) {
        for (int r = 0; r < row; ++r)
            y += rowHeight(r) + horzLineWidth();
    } else if (row >= m_topRow) {
        y = fixedHeight();
        for (int r = m_topRow; r < row; ++r)
            y += rowHeight(r) + horzLineWidth();
    } else {
        return {};
    }
    if (x >= viewport()->width() || y >= viewport()->height())
        return {};
    return QRect(x, y, colWidth(col), rowHeight(row));
}

std::vector<int> CoolGridBase::visibleCols() const
{
    std::vector<int> out;
    const int width = viewport()->width();
    int x = 0;
    for (int c = 0; c < m_fixedCols && x < width; ++c) {
        out.push_back(c);
        x += colWidth(c) + vertLineWidth();
    }
    for (int c = m_leftCol; c < colCount() && x < width; ++c) {
        out.push_back(c);
        x += colWidth(c) + vertLineWidth();
    }
    return out;
}

std::vector<int> CoolGridBase::visibleRows() const
{
    std::vector<int> out;
    const int height = viewport()->height();
    int y = 0;
    for (int r = 0; r < m_fixedRows && y < height; ++r) {
        out.push_back(r);
        y += rowHeight(r) + horzLineWidth();
    }
    for (int r = m_topRow; r < rowCount() && y < height; ++r) {
        out.push_back(r);
        y += rowHeight(r) + horzLineWidth();
    }
    return out;
}

QPoint CoolGridBase::mouseToCell(const QPoint& pos) const
{
    for (int c : visibleCols()) {
        const QRect cr = cellRect(c, m_fixedRows > 0 ? 0 : m_topRow);
        if (pos.x() >= cr.left() && pos.x() <= cr.right() + vertLineWidth()) {
            for (int r : visibleRows()) {
                const QRect rr = cellRect(c, r);
                if (pos.y() >= rr.top() && pos.y() <= rr.bottom() + horzLineWidth())
                    return {c, r};
            }
            return {-1, -1};
        }
    }
    return {-1, -1};
}

void CoolGridBase::invalidateCell(int col, int row)
{
    const QRect r = cellRect(col, row);
    if (!r.isEmpty())
        viewport()->update(r);
}

QString CoolGridBase::cells(int col, int row) const
{
    if (col < 0 || col >= colCount() || row < 0 || row >= rowCount())
        return {};
    return m_cells[static_cast<size_t>(col)].at(row);
}

void CoolGridBase::setCells(int col, int row, const QString& text)
{
    if (col < 0 || col >= colCount() || row < 0 || row >= rowCount())
        return;
    m_cells[static_cast<size_t>(col)][row] = text;
    invalidateCell(col, row);
}

void CoolGridBase::clearCol(int col)
{
    if (col < 0 || col >= colCount())
        return;
    for (QString& s : m_cells[static_cast<size_t>(col)])
        s.clear();
    viewport()->update();
}

void CoolGridBase::moveColumn(int from, int to)
{
    if (from == to || from < 0 || to < 0 || from >= colCount() || to >= colCount())
        return;
    auto move = [from, to](auto& v) {
        auto item = std::move(v[static_cast<size_t>(from)]);
        v.erase(v.begin() + from);
        v.insert(v.begin() + to, std::move(item));
    };
    move(m_colWidths);
    move(m_cells);
    columnMoved(from, to);
    viewport()->update();
}

void CoolGridBase::moveRow(int from, int to)
{
    if (from == to || from < 0 || to < 0 || from >= rowCount() || to >= rowCount())
        return;
    const int rowFrom = from;
    const int rowTo = to;
    auto item = m_rowHeights[static_cast<size_t>(from)];
    m_rowHeights.erase(m_rowHeights.begin() + from);
    m_rowHeights.insert(m_rowHeights.begin() + to, item);
    for (auto& column : m_cells)
        column.move(rowFrom, rowTo);
    rowMoved(from, to);
    viewport()->update();
}

void CoolGridBase::setColor(const QColor& c)
{
    if (m_color == c)
        return;
    m_color = c;
    viewport()->update();
}

void CoolGridBase::setFixedColor(const QColor& c)
{
    if (m_fixedColor == c)
        return;
    m_fixedColor = c;
    viewport()->update();
}

QColor CoolGridBase::fontColor() const
{
    return palette().color(QPalette::Text);
}

GridRect CoolGridBase::selection() const
{
    if (m_options & goRowSelect)
        return {m_fixedCols, std::min(m_anchorRow, m_row), colCount() - 1, std::max(m_anchorRow, m_row)};
    if (m_options & goRangeSelect)
        return {std::min(m_anchorCol, m_col), std::min(m_anchorRow, m_row),
                std::max(m_anchorCol, m_col), std::max(m_anchorRow, m_row)};
    return {m_col, m_row, m_col, m_row};
}

void CoolGridBase::setSelection(const GridRect& r)
{
    const int maxCol = colCount() - 1;
    const int maxRow = rowCount() - 1;
    m_anchorCol = std::clamp(r.left, m_fixedCols, maxCol);
    m_anchorRow = std::clamp(r.top, m_fixedRows, maxRow);
    m_col = std::clamp(r.right, m_fixedCols, maxCol);
    m_row = std::clamp(r.bottom, m_fixedRows, maxRow);
    viewport()->update();
}

void CoolGridBase::setOptions(GridOptions o)
{
    if (o == m_options)
        return;
    const GridOptions lines = goFixedVertLine | goVertLine | goFixedHorzLine | goHorzLine;
    const bool linesChanged = (o & lines) != (m_options & lines);
    m_options = o;
    if (linesChanged)
        sizesChanged();
    if (m_editorMode && (!(o & goEditing) || (o & goRowSelect)))
        hideEditor();
    if ((o & goAlwaysShowEditor) && (o & goEditing))
        showEditor();
    viewport()->update();
}

// ------------------------------------------------------------- current

bool CoolGridBase::selectCell(int col, int row)
{
    bool ok = true;
    if (onSelectCell)
        onSelectCell(col, row, ok);
    return ok;
}

void CoolGridBase::focusCell(int col, int row, bool moveAnchor)
{
    if (m_fixedCols >= colCount() || m_fixedRows >= rowCount())
        return;
    col = std::clamp(col, m_fixedCols, colCount() - 1);
    row = std::clamp(row, m_fixedRows, rowCount() - 1);
    const bool moved = col != m_col || row != m_row;
    if (moved) {
        if (!selectCell(col, row))
            return;
        if (m_editorMode)
            hideEditor();
        m_col = col;
        m_row = row;
    }
    if (moveAnchor) {
        m_anchorCol = col;
        m_anchorRow = row;
    }
    makeVisible(col, row);
    viewport()->update();
    if (moved) {
        emit clicked();
        if ((m_options & goAlwaysShowEditor) && (m_options & goEditing))
            showEditor();
    }
}

void CoolGridBase::makeVisible(int col, int row)
{
    if (row >= m_fixedRows) {
        if (row < m_topRow) {
            setTopRow(row);
        } else {
            int top = m_topRow;
            const int avail = viewport()->height() - fixedHeight();
            auto bottomOf = [&](int t) {
                int y = 0;
                for (int r = t; r <= row; ++r)
                    y += rowHeight(r) + horzLineWidth();
                return y;
            };
            while (top < row && bottomOf(top) > avail)
                ++top;
            setTopRow(top);
        }
    }
    if (col >= m_fixedCols) {
        if (col < m_leftCol) {
            setLeftCol(col);
        } else {
            int left = m_leftCol;
            const int avail = viewport()->width() - fixedWidth();
            auto rightOf = [&](int l) {
                int x = 0;
                for (int c = l; c <= col; ++c)
                    x += colWidth(c) + vertLineWidth();
                return x;
            };
            while (left < col && rightOf(left) > avail)
                ++left;
            setLeftCol(left);
        }
    }
}

void CoolGridBase::moveSelectionTo(int col, int row, bool extend)
{
    if (extend && !(m_options & goRangeSelect) && !(m_options & goRowSelect))
        extend = false;
    focusCell(col, row, !extend);
}

// -------------------------------------------------------------- editing

bool CoolGridBase::canEditShow() const
{
    return (m_options & goEditing) && !(m_options & goRowSelect) && m_col >= m_fixedCols
        && m_row >= m_fixedRows && m_col < colCount() && m_row < rowCount();
}

QString CoolGridBase::getEditText(int col, int row)
{
    return cells(col, row);
}

void CoolGridBase::setEditText(int col, int row, const QString& text)
{
    setCells(col, row, text);
}

InplaceEdit* CoolGridBase::createEditor()
{
    return new InplaceEdit(this);
}

void CoolGridBase::showEditor()
{
    if (m_editorMode || !canEditShow())
        return;
    if (!m_editor)
        m_editor = createEditor();
    m_editorMode = true;
    const QString text = getEditText(m_col, m_row);
    m_editOriginal = text;
    m_editor->setText(text);
    placeEditor();
    m_editor->show();
    m_editor->setFocus(Qt::OtherFocusReason);
}

void CoolGridBase::hideEditor()
{
    if (!m_editorMode)
        return;
    updateText();
    m_editorMode = false;
    const bool hadFocus = m_editor && m_editor->hasFocus();
    if (m_editor)
        m_editor->hide();
    if (hadFocus)
        setFocus(Qt::OtherFocusReason);
    viewport()->update();
}

void CoolGridBase::setEditorMode(bool on)
{
    if (on)
        showEditor();
    else
        hideEditor();
}

void CoolGridBase::updateText()
{
    if (m_editorMode && m_editor)
        setEditText(m_col, m_row, m_editor->text());
}

void CoolGridBase::editorChanged()
{
    updateText();
}

void CoolGridBase::placeEditor()
{
    if (!m_editorMode || !m_editor)
        return;
    const QRect r = cellRect(m_col, m_row);
    if (r.isEmpty()) {
        m_editor->hide();
        return;
    }
    m_editor->setGeometry(r);
    if (!m_editor->isVisible())
        m_editor->show();
}

bool CoolGridBase::editorKey(QKeyEvent* e)
{
    const auto mods = e->modifiers() & ~Qt::KeypadModifier;
    switch (e->key()) {
    case Qt::Key_Escape:
        if (m_editor)
            m_editor->setText(m_editOriginal);
        hideEditor();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (mods != Qt::NoModifier)
            return false;
        if (m_options & goAlwaysShowEditor) {
            updateText();
            if (m_editor)
                m_editor->selectAll();
        } else {
            hideEditor();
        }
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if ((e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab) && !(m_options & goTabs))
            return false;
        hideEditor();
        keyPressEvent(e);
        return true;
    default:
        return false;
    }
}

void CoolGridBase::postEndCellEdit(int col, int row)
{
    QCoreApplication::postEvent(this, new EndCellEditEvent(col, row));
}

void CoolGridBase::endCellEdit(int, int) {}
void CoolGridBase::topLeftChanged() {}
void CoolGridBase::columnMoved(int, int) {}
void CoolGridBase::rowMoved(int, int) {}
void CoolGridBase::measureCells(const std::vector<int>&, const std::vector<int>&) {}
void CoolGridBase::paintFrame(QPainter&) {}

// ------------------------------------------------------------- painting

void CoolGridBase::drawCell(QPainter& p, int col, int row, const QRect& rect, DrawState state)
{
    QColor back = p.brush().color();
    QColor text = p.pen().color();
    if (state == DrawState(gdSelected)
        || (state == (gdSelected | gdFocused)
            && (m_options & (goDrawFocusSelected | goRowSelect)))) {
        back = palette().color(QPalette::Highlight);
        text = palette().color(QPalette::HighlightedText);
    }
    p.fillRect(rect, back);
    p.setPen(text);
    p.drawText(rect.adjusted(2, 2, -2, -2), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               cells(col, row));
    if (onDrawCell)
        onDrawCell(p, col, row, rect, state);
}

void CoolGridBase::paintCells(QPainter& p)
{
    const auto cols = visibleCols();
    const auto rows = visibleRows();
    const QRect all = viewport()->rect();
    p.fillRect(all, m_color);

    const GridRect sel = selection();
    const bool focused = hasFocus() || (m_editor && m_editor->hasFocus());
    const QColor fixedLine = palette().color(QPalette::Dark);
    const QColor line(192, 192, 192);
    const int vw = vertLineWidth();
    const int hw = horzLineWidth();

    for (int r : rows) {
        for (int c : cols) {
            const QRect rect = cellRect(c, r);
            if (rect.isEmpty())
                continue;
            DrawState state;
            const bool fixed = isFixedCell(c, r);
            if (fixed) {
                state |= gdFixed;
            } else {
                if (sel.contains(c, r))
                    state |= gdSelected;
                if (focused && c == m_col && r == m_row)
                    state |= gdFocused;
            }
            // A cell without its own line reaches over the line's place, so
            // that neighbouring cells meet (a highlighted row stays whole).
            const bool vert = fixed ? (m_options & goFixedVertLine) : (m_options & goVertLine);
            const bool horz = fixed ? (m_options & goFixedHorzLine) : (m_options & goHorzLine);
            const QRect drawn = rect.adjusted(0, 0, vert ? 0 : vw, horz ? 0 : hw);
            p.save();
            p.setClipRect(drawn);
            p.setBrush(fixed ? m_fixedColor : m_color);
            p.setPen(fontColor());
            p.setFont(font());
            drawCell(p, c, r, drawn, state);
            p.restore();

            // Grid lines to the right and below the cell.
            const QColor lc = fixed ? fixedLine : line;
            if (vert)
                p.fillRect(QRect(rect.right() + 1, rect.top(), vw, rect.height() + hw), lc);
            if (horz)
                p.fillRect(QRect(rect.left(), rect.bottom() + 1, rect.width() + vw, hw), lc);
        }
    }

    if (focused && !m_editorMode && !(m_options & goRowSelect)
        && !(m_options & goDrawFocusSelected)) {
        const QRect fr = cellRect(m_col, m_row);
        if (!fr.isEmpty()) {
            QStyleOptionFocusRect opt;
            opt.initFrom(this);
            opt.rect = fr;
            opt.backgroundColor = m_color;
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &opt, &p, this);
        }
    }
}

void CoolGridBase::paintEvent(QPaintEvent* e)
{
    if (e && !viewport()->rect().intersects(e->rect()))
        return;
    // Sizes are settled before anything is drawn.
    m_inPaint = true;
    m_sizedInPaint = false;
    measureCells(visibleCols(), visibleRows());
    m_inPaint = false;
    // A paint of part of the grid (one cell whose text changed) that grew a
    // column or a row moved every cell beyond it: the rest of the grid is
    // painted again too.
    if (m_sizedInPaint && e && !QRegion(viewport()->rect()).subtracted(e->region()).isEmpty())
        viewport()->update();
    QPainter p(viewport());
    paintCells(p);
}

bool CoolGridBase::event(QEvent* e)
{
    if (e->type() == EndCellEditEvent::eventType()) {
        const auto* ev = static_cast<EndCellEditEvent*>(e);
        endCellEdit(ev->col(), ev->row());
        return true;
    }
    if (e->type() == QEvent::Paint) {
        // The scroll area's own surface (the margins around the viewport).
        const bool done = QAbstractScrollArea::event(e);
        QPainter p(this);
        paintFrame(p);
        return done;
    }
    if (e->type() == QEvent::FontChange || e->type() == QEvent::PaletteChange)
        viewport()->update();
    return QAbstractScrollArea::event(e);
}

void CoolGridBase::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    updateScrollBars();
    placeEditor();
}

// ---------------------------------------------------------------- input

int CoolGridBase::colBorderAt(const QPoint& pos) const
{
    if (!(m_options & goColSizing) || m_fixedRows == 0)
        return -1;
    if (pos.y() >= fixedHeight())
        return -1;
    for (int c : visibleCols()) {
        const QRect r = cellRect(c, 0);
        if (std::abs(pos.x() - (r.right() + 1)) <= 2)
            return c;
    }
    return -1;
}

void CoolGridBase::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(e);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const QPoint pos = e->position().toPoint();
    const int border = colBorderAt(pos);
    if (border >= 0) {
        m_sizingCol = border;
        m_sizingStart = pos.x();
        m_sizingOrigin = colWidth(border);
        return;
    }
    const QPoint cell = mouseToCell(pos);
    if (cell.x() < 0 || isFixedCell(cell.x(), cell.y()))
        return;
    const bool extend = (e->modifiers() & Qt::ShiftModifier) != 0;
    if (m_editorMode)
        hideEditor();
    const QPoint before(m_col, m_row);
    moveSelectionTo(cell.x(), cell.y(), extend);
    m_dragging = (m_options & (goRangeSelect | goRowSelect)) != 0;
    // A press that left the current cell where it was (the current cell
    // itself, or a move that was refused) is a click all the same: it may
    // have collapsed a range to one cell.
    if (QPoint(m_col, m_row) == before)
        emit clicked();
}

void CoolGridBase::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    if (m_sizingCol >= 0) {
        setColWidth(m_sizingCol, std::max(1, m_sizingOrigin + pos.x() - m_sizingStart));
        return;
    }
    if (!(e->buttons() & Qt::LeftButton)) {
        // Over a column border of the title row: the sizing cursor.
        if (colBorderAt(pos) >= 0)
            viewport()->setCursor(Qt::SplitHCursor);
        else if (viewport()->testAttribute(Qt::WA_SetCursor))
            viewport()->unsetCursor();
        return;
    }
    if (!m_dragging)
        return;
    // Keep the point inside the viewport so that dragging past an edge
    // selects up to the last visible cell.
    const QRect vr = viewport()->rect();
    const QPoint clamped(std::clamp(pos.x(), 0, vr.width() - 1), std::clamp(pos.y(), 0, vr.height() - 1));
    QPoint cell = mouseToCell(clamped);
    if (cell.x() < 0) {
        // Past the last cell: the last visible column or row.
        const auto cols = visibleCols();
        const auto rows = visibleRows();
        if (cols.empty() || rows.empty())
            return;
        int c = cols.back();
        int r = rows.back();
        for (int vc : cols)
            if (clamped.x() <= cellRect(vc, rows.front()).right() + vertLineWidth()) {
                c = vc;
                break;
            }
        for (int vrow : rows)
            if (clamped.y() <= cellRect(cols.front(), vrow).bottom() + horzLineWidth()) {
                r = vrow;
                break;
            }
        cell = {c, r};
    }
    const int c = std::max(cell.x(), m_fixedCols);
    const int r = std::max(cell.y(), m_fixedRows);
    if (c != m_col || r != m_row)
        moveSelectionTo(c, r, true);
}

void CoolGridBase::mouseReleaseEvent(QMouseEvent* e)
{
    m_dragging = false;
    m_sizingCol = -1;
    e->accept();
}

void CoolGridBase::mouseDoubleClickEvent(QMouseEvent* e)
{
    const QPoint cell = mouseToCell(e->position().toPoint());
    if (cell.x() == m_col && cell.y() == m_row && (m_options & goEditing))
        showEditor();
    else
        QAbstractScrollArea::mouseDoubleClickEvent(e);
}

void CoolGridBase::keyPressEvent(QKeyEvent* e)
{
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const int visibleScroll = std::max(1, int(visibleRows().size()) - m_fixedRows - 1);
    int c = m_col;
    int r = m_row;
    switch (e->key()) {
    case Qt::Key_Up: --r; break;
    case Qt::Key_Down: ++r; break;
    case Qt::Key_Left: --c; break;
    case Qt::Key_Right: ++c; break;
    case Qt::Key_PageUp: r -= visibleScroll; break;
    case Qt::Key_PageDown: r += visibleScroll; break;
    case Qt::Key_Home:
        c = m_fixedCols;
        if (ctrl)
            r = m_fixedRows;
        break;
    case Qt::Key_End:
        c = colCount() - 1;
        if (ctrl)
            r = rowCount() - 1;
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (!(m_options & goTabs)) {
            QAbstractScrollArea::keyPressEvent(e);
            return;
        }
        if (e->key() == Qt::Key_Backtab || shift) {
            if (--c < m_fixedCols) {
                c = colCount() - 1;
                r = r > m_fixedRows ? r - 1 : rowCount() - 1;
            }
        } else if (++c >= colCount()) {
            c = m_fixedCols;
            r = r + 1 < rowCount() ? r + 1 : m_fixedRows;
        }
        focusCell(c, r, true);
        return;
    case Qt::Key_F2:
        showEditor();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if ((m_options & goEditing) && !(m_options & goAlwaysShowEditor)) {
            setEditorMode(!m_editorMode);
            return;
        }
        QAbstractScrollArea::keyPressEvent(e);
        return;
    default:
        if ((m_options & goEditing) && !e->text().isEmpty() && e->text().at(0).isPrint() && !ctrl) {
            showEditor();
            if (m_editorMode && m_editor) {
                m_editor->selectAll();
                QKeyEvent copy(e->type(), e->key(), e->modifiers(), e->text());
                QCoreApplication::sendEvent(m_editor, &copy);
            }
            return;
        }
        QAbstractScrollArea::keyPressEvent(e);
        return;
    }
    moveSelectionTo(c, r, shift);
}

void CoolGridBase::focusInEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusInEvent(e);
    viewport()->update();
}

void CoolGridBase::focusOutEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusOutEvent(e);
    viewport()->update();
}
