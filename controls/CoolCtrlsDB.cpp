#include "CoolCtrlsDB.h"

#include "DbError.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int IndicatorWidth = 11;
}

TDBCoolGrid::TDBCoolGrid(QWidget* parent) : CoolSkinnedGrid(parent), m_titleFont(font())
{
    m_dbOptions = dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines | dgTabs
        | dgConfirmDelete | dgCancelOnExit;
    ApplyOptions();
    LinkChanged();
}

TDBCoolGrid::~TDBCoolGrid()
{
    for (const auto& c : m_links)
        disconnect(c);
}

// ------------------------------------------------------------ the link

void TDBCoolGrid::SetDataSource(DataSource* source)
{
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (source)
        connect(source, &DataSource::dataSetChanged, this, &TDBCoolGrid::Relink);
    Relink();
}

void TDBCoolGrid::Relink()
{
    for (const auto& c : m_links)
        disconnect(c);
    m_links.clear();
    m_linked = m_source ? m_source->dataSet() : nullptr;
    if (Dataset* ds = m_linked) {
        auto relayout = [this] {
            if (m_syncing) {
                // The grid itself is moving the record; lay out afterwards.
                QMetaObject::invokeMethod(this, &TDBCoolGrid::LinkChanged, Qt::QueuedConnection);
                return;
            }
            LinkChanged();
        };
        m_links.push_back(connect(ds, &Dataset::dataChanged, this, relayout));
        m_links.push_back(connect(ds, &Dataset::stateChanged, this, relayout));
        m_links.push_back(connect(ds, &Dataset::currentChanged, this, [this] {
            if (!m_syncing)
                FollowCurrent();
            viewport()->update();
        }));
        m_links.push_back(connect(ds, &QObject::destroyed, this, &TDBCoolGrid::LinkChanged, Qt::QueuedConnection));
    }
    LinkChanged();
}

Dataset* TDBCoolGrid::LinkedDataset() const
{
    Dataset* ds = m_linked;
    return ds && ds->isActive() ? ds : nullptr;
}

bool TDBCoolGrid::LinkActive() const
{
    return LinkedDataset() != nullptr;
}

int TDBCoolGrid::CurrentDataRow() const
{
    Dataset* ds = LinkedDataset();
    if (!ds)
        return -1;
    if (ds->state() == Dataset::State::Insert)
        return m_records;   // the pending new record shows as the last row
    return ds->recNo() - 1;
}

void TDBCoolGrid::LinkChanged()
{
    if (m_syncing)
        return;
    m_syncing = true;
    Dataset* ds = LinkedDataset();
    m_records = 0;
    QStringList fields;
    if (ds) {
        try {
            m_records = ds->rowCountLoaded();   // may read the rows now
            fields = ds->fieldNames();
        } catch (const DbError&) {
            m_records = 0;
        }
    }
    QStringList before;
    for (const TColumn& c : m_columns)
        before << c.FieldName;
    const int colsBefore = colCount();
    if (m_columnsDefault && fields != before) {
        std::vector<TColumn> cols;
        for (const QString& f : fields) {
            TColumn c;
            c.FieldName = f;
            c.Font = Font();
            c.Color = Color();
            cols.push_back(c);
        }
        m_columns = cols;
        m_widthsPending = true;
    }
    m_fieldIndex.assign(m_columns.size(), -1);
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (ds && ds->hasField(m_columns[i].FieldName))
            m_fieldIndex[i] = ds->fieldIndex(m_columns[i].FieldName);

    const int dataRows = m_records + (ds && ds->state() == Dataset::State::Insert ? 1 : 0);
    setColCount(IndicatorOffset() + std::max<int>(1, int(m_columns.size())));
    setRowCount(TitleOffset() + std::max(1, dataRows));
    setFixedCols(IndicatorOffset());
    setFixedRows(TitleOffset());
    // Column widths are set when the columns change, not on every change
    // of the data, so that a width the user dragged stays.
    if (m_widthsPending || colCount() != colsBefore) {
        if (IndicatorOffset())
            setColWidth(0, IndicatorWidth);
        for (size_t i = 0; i < m_columns.size(); ++i)
            setColWidth(IndicatorOffset() + int(i),
                        m_columns[i].Width >= 0 ? m_columns[i].Width : defaultColWidth());
        m_widthsPending = false;
    }
    m_syncing = false;
    FollowCurrent();
    viewport()->update();
}

void TDBCoolGrid::FollowCurrent()
{
    const int dataRow = CurrentDataRow();
    if (dataRow < 0)
        return;
    m_syncing = true;
    focusCell(std::max(col(), IndicatorOffset()), TitleOffset() + dataRow, true);
    m_syncing = false;
}

bool TDBCoolGrid::selectCell(int col, int row)
{
    if (!CoolSkinnedGrid::selectCell(col, row))
        return false;
    Dataset* ds = LinkedDataset();
    const int dataRow = row - TitleOffset();
    if (!m_syncing && ds && dataRow >= 0 && dataRow < m_records && dataRow != CurrentDataRow()) {
        // A click or a key on a row makes its record the current one.
        m_syncing = true;
        try {
            ds->setRecNo(dataRow + 1);
        } catch (const DbError&) {
        }
        m_syncing = false;
    }
    return true;
}

// ------------------------------------------------------------- options

void TDBCoolGrid::SetOptions(TDBGridOptions o)
{
    if (o == m_dbOptions)
        return;
    const bool layout = (o ^ m_dbOptions) & (dgTitles | dgIndicator);
    m_dbOptions = o;
    ApplyOptions();
    if (layout) {
        m_widthsPending = true;
        LinkChanged();
    }
}

void TDBCoolGrid::ApplyOptions()
{
    GridOptions g;
    if (m_dbOptions & dgColLines)
        g |= goVertLine | goFixedVertLine;
    if (m_dbOptions & dgRowLines)
        g |= goHorzLine | goFixedHorzLine;
    if (m_dbOptions & dgEditing)
        g |= goEditing;
    if (m_dbOptions & dgAlwaysShowEditor)
        g |= goAlwaysShowEditor;
    if (m_dbOptions & dgTabs)
        g |= goTabs;
    if (m_dbOptions & dgColumnResize)
        g |= goColSizing;
    if (m_dbOptions & dgRowSelect)
        g |= goRowSelect;
    setOptions(g);
}

void TDBCoolGrid::SetColumns(const std::vector<TColumn>& columns)
{
    m_columns = columns;
    m_columnsDefault = columns.empty();
    m_widthsPending = true;
    LinkChanged();
}

void TDBCoolGrid::SetTitleFont(const TFont& f)
{
    m_titleFont = f;
    viewport()->update();
}

void TDBCoolGrid::EndUpdate()
{
    if (m_updateLock > 0 && --m_updateLock == 0)
        viewport()->update();
}

// ------------------------------------------------------------ painting

QString TDBCoolGrid::DisplayText(int dataRow, int dataCol) const
{
    Dataset* ds = LinkedDataset();
    if (!ds || !ValidDataCol(dataCol) || m_fieldIndex[size_t(dataCol)] < 0)
        return {};
    const QString& field = m_columns[size_t(dataCol)].FieldName;
    // The current record while it is being changed shows its pending values;
    // every other row is read where it stands, the cursor staying put.
    const auto state = ds->state();
    if ((state == Dataset::State::Insert && dataRow == m_records)
        || (state == Dataset::State::Edit && dataRow == ds->recNo() - 1))
        return ds->asString(field);
    if (dataRow < 0 || dataRow >= m_records)
        return {};
    return RowRef(*ds, dataRow).asString(field);
}

bool TDBCoolGrid::GridFocused() const
{
    return hasFocus() || (Editor() && Editor()->hasFocus());
}

bool TDBCoolGrid::HighlightCell(int, int, const QString&, DrawState state) const
{
    return state.testFlag(gdSelected) && (m_dbOptions.testFlag(dgAlwaysShowSelection) || GridFocused())
        && (m_updateLock == 0 || m_dbOptions.testFlag(dgRowSelect));
}

void TDBCoolGrid::WriteCellText(QPainter& p, const QRect& r, int dx, int dy, const QString& text,
                                TAlignment alignment, bool rightToLeft)
{
    if (p.layoutDirection() == Qt::RightToLeft && !rightToLeft) {
        if (alignment == taLeftJustify)
            alignment = taRightJustify;
        else if (alignment == taRightJustify)
            alignment = taLeftJustify;
    }
    const QFontMetrics fm(p.font());
    const int width = fm.horizontalAdvance(text);
    const int right = r.left() + r.width();
    int x = r.left() + dx;
    if (alignment == taRightJustify)
        x = right - width - 3;
    else if (alignment == taCenter)
        x = r.left() + r.width() / 2 - width / 2;
    p.save();
    p.setClipRect(r, Qt::IntersectClip);
    p.drawText(QRect(x, r.top() + dy, std::max(width, 1) + 1, fm.height()),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    p.restore();
}

void TDBCoolGrid::DrawTitleOrIndicator(QPainter& p, int col, int row, const QRect& rect)
{
    p.fillRect(rect, fixedColor());
    if (m_dbOptions.testFlag(dgTitles) && row == 0) {
        const int dataCol = col - IndicatorOffset();
        if (!ValidDataCol(dataCol))
            return;
        const TColumn& c = m_columns[size_t(dataCol)];
        p.setFont(m_titleFont);
        // Window text on the title's button face is the button's text colour.
        p.setPen(m_titleFont.Color == clWindowText ? palette().color(QPalette::ButtonText)
                                                   : ColorToQColor(m_titleFont.Color, palette()));
        WriteCellText(p, rect, 2, 2, c.Title.isEmpty() ? c.FieldName : c.Title, taLeftJustify, false);
        return;
    }
    // The indicator: an arrow at the current record, a star at a new one,
    // a bar while the current record is being changed.
    Dataset* ds = LinkedDataset();
    if (!ds || row - TitleOffset() != CurrentDataRow())
        return;
    p.setPen(palette().color(QPalette::ButtonText));
    p.setBrush(palette().color(QPalette::ButtonText));
    const QPoint c = rect.center();
    switch (ds->state()) {
    case Dataset::State::Insert:
        p.drawText(rect, Qt::AlignCenter, QStringLiteral("*"));
        break;
    case Dataset::State::Edit:
        p.drawLine(c.x(), c.y() - 4, c.x(), c.y() + 4);
        break;
    default: {
        QPainterPath arrow;
        arrow.moveTo(c.x() - 2, c.y() - 4);
        arrow.lineTo(c.x() + 2, c.y());
        arrow.lineTo(c.x() - 2, c.y() + 4);
        arrow.closeSubpath();
        p.fillPath(arrow, palette().color(QPalette::ButtonText));
        break;
    }
    }
}

void TDBCoolGrid::drawCell(QPainter& p, int col, int row, const QRect& rect, DrawState state)
{
    const QPalette& pal = palette();
    // Titles and the indicator look as a plain data grid draws them.
    if ((state.testFlag(gdFixed) && col < IndicatorOffset()) || (m_dbOptions.testFlag(dgTitles) && row == 0)) {
        DrawTitleOrIndicator(p, col, row, rect);
        return;
    }
    const int dataRow = row - TitleOffset();
    const int dataCol = col - IndicatorOffset();
    if (!ValidDataCol(dataCol)) {
        // The columns changed since this cell was laid out.
        p.fillRect(rect, p.brush());
        return;
    }
    const TColumn& column = m_columns[size_t(dataCol)];
    p.setFont(column.Font);

    const bool focused = GridFocused();
    const bool highlighted = (state & (gdSelected | gdFocused)) && (focused || m_dbOptions.testFlag(dgAlwaysShowSelection));
    const TCoolOptions ex = ExOptions();
    const bool stretch = ex.Contains(ocStretchWallpaper);
    QColor brush;
    if (!highlighted) {
        brush = color();
        if (ex.Contains(ocPaintTransparently)) {
            PaintSeeThrough(p, rect);
        } else if (ex.Contains(ocPaintWallpaper) && HasWallpaper()) {
            DrawWallpaperInCell(p, *WallpaperPicture(), rect, stretch, SRCCOPY);
        } else {
            brush = ColorToQColor(column.Color, pal);
            p.fillRect(rect, brush);
        }
    } else {
        brush = ColorToQColor(m_selectionColor, pal);
        PaintSelectedBackground(p, rect, brush);
    }

    if (!LinkActive()) {
        p.fillRect(rect, brush);
        return;
    }
    // The text is read where the row stands; the current record stays.
    const QString value = DisplayText(dataRow, dataCol);
    QColor textColor = FontTextColor(column.Font, pal);
    if (HighlightCell(dataCol, dataRow, value, state))
        textColor = ColorToQColor(clHighlightText, pal);
    if (m_defaultDrawing) {
        p.setPen(textColor);
        WriteCellText(p, rect, 2, 2, value, column.Alignment, false);
    }
    if (m_columnsDefault && OnDrawDataCell)
        OnDrawDataCell(p, rect, column.FieldName, state);
    if (OnDrawColumnCell)
        OnDrawColumnCell(p, rect, dataCol, column, state);
    if (m_defaultDrawing && state.testFlag(gdSelected) && (m_dbOptions.testFlag(dgAlwaysShowSelection) || focused)
        && !m_dbOptions.testFlag(dgRowSelect) && m_updateLock == 0 && hasFocus())
        DrawFocusRect(p, rect);
}

// ------------------------------------------------------------- editing

bool TDBCoolGrid::canEditShow() const
{
    const int dataCol = col() - IndicatorOffset();
    return CoolSkinnedGrid::canEditShow() && LinkActive() && ValidDataCol(dataCol)
        && m_fieldIndex[size_t(dataCol)] >= 0;
}

QString TDBCoolGrid::getEditText(int col, int row)
{
    const QString result = DisplayText(row - TitleOffset(), col - IndicatorOffset());
    m_editStart = result;
    PrepareEditor();
    if (TCoolInplaceEdit* ed = Editor(); ed && HasWallpaper() && ExOptions().Contains(ocPaintWallpaper))
        ed->Wallpaper().Assign(*WallpaperPicture());   // the whole picture
    return result;
}

void TDBCoolGrid::setEditText(int col, int row, const QString& text)
{
    Q_UNUSED(row);
    Dataset* ds = LinkedDataset();
    const int dataCol = col - IndicatorOffset();
    // The column may have gone since the edit began.
    if (m_syncing || !ds || !ValidDataCol(dataCol) || m_fieldIndex[size_t(dataCol)] < 0)
        return;
    const QString& field = m_columns[size_t(dataCol)].FieldName;
    try {
        if (ds->state() == Dataset::State::Browse && ds->asString(field) == text)
            return;   // nothing changed: the record stays as it is
        if (ds->state() == Dataset::State::Browse)
            ds->edit();
        ds->setValue(field, text);
        if (ds->asString(field) != m_editStart)
            postEndCellEdit(col, row);
    } catch (const DbError&) {
        // A dataset that cannot be changed keeps its value.
    }
}

// ------------------------------------------------------ record commands

void TDBCoolGrid::keyPressEvent(QKeyEvent* e)
{
    Dataset* ds = LinkedDataset();
    if (ds && e->key() == Qt::Key_Delete && (e->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier
        && !editorMode()) {
        // Ctrl+Delete deletes the current record, after a question when asked.
        if (ds->isEmpty() && ds->state() != Dataset::State::Insert)
            return;
        if (m_dbOptions.testFlag(dgConfirmDelete)) {
            const QString question = QStringLiteral("Delete record?");
            const bool yes = OnConfirmDelete
                ? OnConfirmDelete(question)
                : QMessageBox::question(this, QApplication::applicationName(), question) == QMessageBox::Yes;
            if (!yes)
                return;
        }
        try {
            ds->deleteCurrent();
        } catch (const DbError& err) {
            QMessageBox::warning(this, QApplication::applicationName(), err.text());
        }
        return;
    }
    CoolSkinnedGrid::keyPressEvent(e);
}

void TDBCoolGrid::focusOutEvent(QFocusEvent* e)
{
    CoolSkinnedGrid::focusOutEvent(e);
    // Leaving the grid drops a new record nothing has been written into yet.
    Dataset* ds = LinkedDataset();
    if (!m_dbOptions.testFlag(dgCancelOnExit) || !ds || ds->state() != Dataset::State::Insert)
        return;
    if (Editor() && QApplication::focusWidget() == Editor())
        return;
    const QStringList fields = ds->fieldNames();
    for (const QString& f : fields)
        if (ds->value(f).isValid())
            return;
    ds->cancel();
}
