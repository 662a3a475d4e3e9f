#pragma once
// The data-aware skinned grid: one row per record of a dataset, one column
// per field, with the string grid's skin. The grid and the dataset share
// one current record; painting reads every row's text without moving it.
#include "CoolGrid.h"
#include "Dataset.h"

#include <QPointer>
#include <functional>
#include <vector>

class TDBCoolGrid;

// One shown column: the field it shows and its look.
struct TColumn {
    QString FieldName;
    QString Title;          // the field name when empty
    TFont Font;
    TColor Color = clWindow;
    TAlignment Alignment = taLeftJustify;
    int Width = -1;         // the default column width when negative
};

enum TDBGridOption : quint32 {
    dgEditing = 0x1,
    dgAlwaysShowEditor = 0x2,
    dgTitles = 0x4,
    dgIndicator = 0x8,
    dgColumnResize = 0x10,
    dgColLines = 0x20,
    dgRowLines = 0x40,
    dgTabs = 0x80,
    dgRowSelect = 0x100,
    dgAlwaysShowSelection = 0x200,
    dgConfirmDelete = 0x400,
    dgCancelOnExit = 0x800,
};
Q_DECLARE_FLAGS(TDBGridOptions, TDBGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDBGridOptions)

using TDrawColumnCellEvent =
    std::function<void(QPainter&, const QRect&, int DataCol, const TColumn&, CoolGridBase::DrawState)>;
using TDrawDataCellEvent =
    std::function<void(QPainter&, const QRect&, const QString& FieldName, CoolGridBase::DrawState)>;

class TDBCoolGrid : public CoolSkinnedGrid {
    Q_OBJECT
public:
    explicit TDBCoolGrid(QWidget* parent = nullptr);
    ~TDBCoolGrid() override;

    DataSource* dataSource() const { return m_source; }
    void SetDataSource(DataSource* source);
    // The dataset shown, when the data source names an open one.
    Dataset* LinkedDataset() const;
    bool LinkActive() const;

    TDBGridOptions Options() const { return m_dbOptions; }
    void SetOptions(TDBGridOptions o);
    int IndicatorOffset() const { return m_dbOptions.testFlag(dgIndicator) ? 1 : 0; }
    int TitleOffset() const { return m_dbOptions.testFlag(dgTitles) ? 1 : 0; }

    // Columns: given ones, or (while none are given) one per field.
    const std::vector<TColumn>& Columns() const { return m_columns; }
    void SetColumns(const std::vector<TColumn>& columns);
    bool ColumnsDefault() const { return m_columnsDefault; }
    TFont TitleFont() const { return m_titleFont; }
    void SetTitleFont(const TFont& f);
    bool DefaultDrawing() const { return m_defaultDrawing; }
    void SetDefaultDrawing(bool on) { m_defaultDrawing = on; viewport()->update(); }

    // Suspends repainting while many changes are made.
    void BeginUpdate() { ++m_updateLock; }
    void EndUpdate();
    int UpdateLock() const { return m_updateLock; }

    // The display text of a column of a data row (0 = first record),
    // read without moving the dataset's current record.
    QString DisplayText(int dataRow, int dataCol) const;
    // The grid row that shows a record (1 = first record).
    int RowOfRecord(int recNo) const { return TitleOffset() + recNo - 1; }

    // Writes a cell's text over whatever background the cell has.
    static void WriteCellText(QPainter& p, const QRect& r, int dx, int dy, const QString& text,
                              TAlignment alignment, bool rightToLeft);

    TDrawDataCellEvent OnDrawDataCell;
    TDrawColumnCellEvent OnDrawColumnCell;
    // Asked before Ctrl+Delete deletes the current record (with
    // dgConfirmDelete); true deletes. Unset, a message box asks.
    std::function<bool(const QString& question)> OnConfirmDelete;

protected:
    void drawCell(QPainter& p, int col, int row, const QRect& rect, DrawState state) override;
    bool selectCell(int col, int row) override;
    bool canEditShow() const override;
    QString getEditText(int col, int row) override;
    void setEditText(int col, int row, const QString& text) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    // Whether a data cell's text takes the highlight colours.
    virtual bool HighlightCell(int dataCol, int dataRow, const QString& value, DrawState state) const;

private:
    void Relink();
    void LinkChanged();
    void FollowCurrent();
    void ApplyOptions();
    void DrawTitleOrIndicator(QPainter& p, int col, int row, const QRect& rect);
    bool ValidDataCol(int dataCol) const { return dataCol >= 0 && dataCol < int(m_columns.size()); }
    bool GridFocused() const;
    // The current record as a data row, the pending new record included.
    int CurrentDataRow() const;

    QPointer<DataSource> m_source;
    QPointer<Dataset> m_linked;
    std::vector<QMetaObject::Connection> m_links;
    TDBGridOptions m_dbOptions;
    std::vector<TColumn> m_columns;
    std::vector<int> m_fieldIndex;   // per column; -1 when the field is unknown
    bool m_columnsDefault = true;
    bool m_widthsPending = true;
    TFont m_titleFont;
    bool m_defaultDrawing = true;
    int m_updateLock = 0;
    int m_records = 0;
    bool m_syncing = false;
    const TColor m_selectionColor = clHighlight;
};
