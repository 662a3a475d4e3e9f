#pragma once
// The string grid both skinned grids stand on: a scroll area that lays out
// fixed and scrolling rows and columns itself, keeps a current cell and one
// rectangle of selection, hosts an in-place editor over the current cell and
// draws every visible cell, fixed ones included, through one virtual routine.
#include <QAbstractScrollArea>
#include <QColor>
#include <QEvent>
#include <QFlags>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <vector>

class CoolGridBase;

// The grid's own notice that a cell was edited ("WM_USER + 0x194"). It is
// posted to the grid, so it is handled from the event loop once the edit
// that caused it has returned.
class EndCellEditEvent : public QEvent {
public:
    static constexpr int MessageId = 0x0400 + 0x194;   // WM_USER + 0x194
    static QEvent::Type eventType();
    EndCellEditEvent(int col, int row) : QEvent(eventType()), m_col(col), m_row(row) {}
    int col() const { return m_col; }
    int row() const { return m_row; }

private:
    int m_col;
    int m_row;
};

// One selection: columns left..right and rows top..bottom, inclusive.
struct GridRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool contains(int col, int row) const
    {
        return col >= left && col <= right && row >= top && row <= bottom;
    }
    int cellCount() const { return (right - left + 1) * (bottom - top + 1); }
    bool operator==(const GridRect&) const = default;
};

// The base in-place editor: a multi-line plain text edit (cell texts may
// hold line breaks) that hands Enter, Escape and Tab to its grid.
class InplaceEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit InplaceEdit(CoolGridBase* grid);
    CoolGridBase* grid() const { return m_grid; }

    QString text() const { return toPlainText(); }
    void setText(const QString& text);
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment a);
    // Select all text when the editor takes the keyboard focus.
    bool autoSelect() const { return m_autoSelect; }
    void setAutoSelect(bool on) { m_autoSelect = on; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    // A key the grid did not take: the editor's own handling.
    virtual void keyPress(QKeyEvent* e);
    // The text changed (typing, paste, or a text set by the grid).
    virtual void change();

private:
    CoolGridBase* m_grid;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    bool m_autoSelect = true;
    bool m_settingText = false;
};

class CoolGridBase : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum GridOption : quint32 {
        goFixedVertLine = 0x1,
        goFixedHorzLine = 0x2,
        goVertLine = 0x4,
        goHorzLine = 0x8,
        goRangeSelect = 0x10,
        goDrawFocusSelected = 0x20,
        goRowSelect = 0x40,
        goAlwaysShowEditor = 0x80,
        goEditing = 0x100,
        goTabs = 0x200,
        goColSizing = 0x400,
    };
    Q_DECLARE_FLAGS(GridOptions, GridOption)

    enum DrawStateFlag { gdSelected = 0x1, gdFocused = 0x2, gdFixed = 0x4 };
    Q_DECLARE_FLAGS(DrawState, DrawStateFlag)

    enum class ScrollStyle { None, Horizontal, Vertical, Both };

    static constexpr int GridLineWidth = 1;
    // The room a line takes between two columns (rows): none when neither
    // fixed nor scrolling cells have vertical (horizontal) lines.
    int vertLineWidth() const { return (m_options & (goFixedVertLine | goVertLine)) ? GridLineWidth : 0; }
    int horzLineWidth() const { return (m_options & (goFixedHorzLine | goHorzLine)) ? GridLineWidth : 0; }

    explicit CoolGridBase(QWidget* parent = nullptr);
    ~CoolGridBase() override;

    // ---- geometry
    int colCount() const { return static_cast<int>(m_colWidths.size()); }
    int rowCount() const { return static_cast<int>(m_rowHeights.size()); }
    void setColCount(int n);
    void setRowCount(int n);
    int fixedCols() const { return m_fixedCols; }
    int fixedRows() const { return m_fixedRows; }
    void setFixedCols(int n);
    void setFixedRows(int n);
    int defaultColWidth() const { return m_defaultColWidth; }
    int defaultRowHeight() const { return m_defaultRowHeight; }
    // Setting a default size gives every column (row) that size.
    void setDefaultColWidth(int w);
    void setDefaultRowHeight(int h);
    int colWidth(int col) const;
    int rowHeight(int row) const;
    // Out-of-range indexes are ignored.
    void setColWidth(int col, int w);
    void setRowHeight(int row, int h);

    ScrollStyle scrollBars() const { return m_scrollBars; }
    void setScrollBars(ScrollStyle s);
    int topRow() const { return m_topRow; }
    int leftCol() const { return m_leftCol; }
    void setTopRow(int row);
    void setLeftCol(int col);
    // Viewport rectangle of a cell; empty when the cell is out of the grid
    // or scrolled out of sight.
    QRect cellRect(int col, int row) const;
    // Cell under a viewport point, (-1, -1) when none.
    QPoint mouseToCell(const QPoint& pos) const;
    // Repaints one cell. Any coordinates are accepted; a cell outside the
    // grid or out of sight repaints nothing.
    void invalidateCell(int col, int row);

    // ---- content
    QString cells(int col, int row) const;
    void setCells(int col, int row, const QString& text);
    // Empties one column's texts.
    void clearCol(int col);
    void moveColumn(int from, int to);
    void moveRow(int from, int to);

    // ---- colours (the font is the widget's font)
    QColor color() const { return m_color; }
    void setColor(const QColor& c);
    QColor fixedColor() const { return m_fixedColor; }
    void setFixedColor(const QColor& c);
    // The colour cell texts are drawn in: the palette's text colour here.
    virtual QColor fontColor() const;

    // ---- state
    int col() const { return m_col; }
    int row() const { return m_row; }
    void setCol(int col) { focusCell(col, m_row, true); }
    void setRow(int row) { focusCell(m_col, row, true); }
    // Makes a cell current; it becomes the whole selection.
    void setCurrent(int col, int row) { focusCell(col, row, true); }
    GridRect selection() const;
    void setSelection(const GridRect& r);
    GridOptions options() const { return m_options; }
    void setOptions(GridOptions o);

    // ---- editing
    bool editorMode() const { return m_editorMode; }
    void setEditorMode(bool on);
    InplaceEdit* inplaceEditor() const { return m_editor; }

    // ---- events
    // Fired after a cell's drawing, with the painter still set up for it.
    std::function<void(QPainter&, int col, int row, const QRect&, DrawState)> onDrawCell;
    // Asked before a cell becomes current; clearing the flag refuses it.
    std::function<void(int col, int row, bool& canSelect)> onSelectCell;

signals:
    // The current cell moved (mouse, keys or code), like a click on it.
    void clicked();
    void topLeftMoved();

protected:
    // Draws one cell. The painter comes with its brush (grid or fixed
    // colour), its font (the grid's) and its pen (the text colour) set.
    virtual void drawCell(QPainter& p, int col, int row, const QRect& rect, DrawState state);
    // Runs at the start of each paint, before any cell is drawn, over the
    // cells that the paint will show; sizes may change here.
    virtual void measureCells(const std::vector<int>& cols, const std::vector<int>& rows);
    virtual bool selectCell(int col, int row);
    virtual bool canEditShow() const;
    virtual QString getEditText(int col, int row);
    virtual void setEditText(int col, int row, const QString& text);
    virtual InplaceEdit* createEditor();
    virtual void topLeftChanged();
    virtual void columnMoved(int from, int to);
    virtual void rowMoved(int from, int to);
    // The posted end-of-edit notice arrived.
    virtual void endCellEdit(int col, int row);
    // Paints what lies outside the cells: the widget's own frame area.
    virtual void paintFrame(QPainter& p);

    void postEndCellEdit(int col, int row);
    // The visible scrolling columns and rows, fixed ones first.
    std::vector<int> visibleCols() const;
    std::vector<int> visibleRows() const;
    bool isFixedCell(int col, int row) const { return col < m_fixedCols || row < m_fixedRows; }
    // Moves the current cell (and the selection anchor when asked).
    void focusCell(int col, int row, bool moveAnchor);
    void showEditor();
    void hideEditor();
    // Writes the editor's text back to the cell.
    void updateText();
    // Paint helper that draws the cells into a painter (also used to render
    // the grid into an image).
    void paintCells(QPainter& p);

    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    friend class InplaceEdit;
    // Called by the editor; true when the grid took the key.
    bool editorKey(QKeyEvent* e);
    void editorChanged();

    void updateScrollBars();
    void scheduleScrollBarUpdate();
    void sizesChanged();
    int fixedWidth() const;
    int fixedHeight() const;
    int maxTopRow() const;
    int maxLeftCol() const;
    void makeVisible(int col, int row);
    void moveSelectionTo(int col, int row, bool extend);
    void placeEditor();
    void resizeCells(int cols, int rows);
    int colBorderAt(const QPoint& pos) const;

    std::vector<int> m_colWidths;
    std::vector<int> m_rowHeights;
    std::vector<QStringList> m_cells;   // [col][row]
    int m_fixedCols = 1;
    int m_fixedRows = 1;
    int m_defaultColWidth = 64;
    int m_defaultRowHeight = 24;
    ScrollStyle m_scrollBars = ScrollStyle::Both;
    int m_topRow = 1;
    int m_leftCol = 1;
    QColor m_color;
    QColor m_fixedColor;
    GridOptions m_options;
    int m_col = 1;
    int m_row = 1;
    int m_anchorCol = 1;
    int m_anchorRow = 1;
    bool m_dragging = false;
    int m_sizingCol = -1;
    int m_sizingStart = 0;
    int m_sizingOrigin = 0;
    bool m_editorMode = false;
    bool m_inPaint = false;
    bool m_sizedInPaint = false;   // a size grew while a paint measured
    bool m_scrollUpdatePending = false;
    bool m_syncingBars = false;
    InplaceEdit* m_editor = nullptr;
    QString m_editOriginal;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(CoolGridBase::GridOptions)
Q_DECLARE_OPERATORS_FOR_FLAGS(CoolGridBase::DrawState)
