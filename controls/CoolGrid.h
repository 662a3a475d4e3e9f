#pragma once
// The skinned string grid (the booking sheet) and what it shares with the
// data-aware grid: wallpapers, see-through cells, the caption bar, the flat
// border and the end-of-edit notification.
#include "CoolCtrls.h"
#include "CoolGridBase.h"
#include "CoolInplaceEdit.h"

#include <QFont>
#include <functional>
#include <memory>
#include <vector>

// Called from the end-of-edit notice with the edited cell; the handler may
// change the sizes the cell's column and row take.
using TEndCellEditingEvent =
    std::function<void(QObject* Sender, int ACol, int ARow, int& CellWidth, int& CellHeight)>;

// The skin both grids share. The caption bar is a strip above the cells;
// the flat border is drawn over the frame.
class CoolSkinnedGrid : public CoolGridBase {
    Q_OBJECT
public:
    explicit CoolSkinnedGrid(QWidget* parent = nullptr);
    ~CoolSkinnedGrid() override;

    // Grid colours in the stored form; system colours follow the palette.
    TColor Color() const { return m_colorValue; }
    void SetColor(TColor c);
    TColor FixedColor() const { return m_fixedColorValue; }
    void SetFixedColor(TColor c);

    // The grid's font with the colour of its text (the widget's font is the
    // same face and size).
    TFont Font() const { return TFont(font(), m_fontColorValue); }
    void SetFont(const TFont& f);
    QColor fontColor() const override;

    TColor CaptionColor() const { return m_captionColor; }
    void SetCaptionColor(TColor c);
    TColor CaptionTextColor() const { return m_captionTextColor; }
    void SetCaptionTextColor(TColor c);
    CoolBitmap& CaptionWallpaper() { return ownBitmap(m_captionWallpaper, true); }
    void SetCaptionWallpaper(const CoolBitmap& b);
    CoolBitmap& Wallpaper() { return ownBitmap(m_wallpaper, false); }
    void SetWallpaper(const CoolBitmap& b);
    CoolBitmap& SelWallpaper() { return ownBitmap(m_selWallpaper, false); }
    void SetSelWallpaper(const CoolBitmap& b);
    TCoolImages* CoolImages() const { return m_images.Get(); }
    void SetCoolImages(TCoolImages* images);
    TCoolOptions ExOptions() const { return m_exOptions; }
    void SetExOptions(TCoolOptions o);
    int idCaptionWallpaper() const { return m_idCaptionWallpaper; }
    void SetIdCaptionWallpaper(int id);
    int idSelWallpaper() const { return m_idSelWallpaper; }
    void SetIdSelWallpaper(int id);
    int idWallpaper() const { return m_idWallpaper; }
    void SetIdWallpaper(int id);
    int TransparencyLevel() const { return m_transparencyLevel; }
    void SetTransparencyLevel(std::uint8_t level);
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& text);

    bool HasWallpaper() const;
    bool HasSelWallpaper() const;
    bool HasCaptionWallpaper() const;
    // Height of the caption strip above the cells (0 without a caption).
    int CaptionHeight() const;
    QRect CaptionRect() const;
    // Measures and paints the frame and the caption bar again.
    void RefreshFrame();
    // The cell editor, made on first use.
    TCoolInplaceEdit* Editor() const { return static_cast<TCoolInplaceEdit*>(inplaceEditor()); }

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnPaint;
    TEndCellEditingEvent OnEndCellEditing;

    TCCAboutBox About;

protected:
    InplaceEdit* createEditor() override;
    void endCellEdit(int col, int row) override;
    void topLeftChanged() override;
    void paintFrame(QPainter& p) override;
    void paintEvent(QPaintEvent* e) override;
    bool event(QEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void changeEvent(QEvent* e) override;

    // The picture the choice rule gives, or none.
    const CoolBitmap* WallpaperPicture() const;
    const CoolBitmap* SelWallpaperPicture() const;
    // Draws a picture over the whole viewport, shown only inside rect.
    void DrawWallpaperInCell(QPainter& p, const CoolBitmap& picture, const QRect& rect, bool stretch,
                             std::uint32_t rop) const;
    // The background of a selected cell: the inverted wallpaper, the
    // selection wallpaper, or the selection colour, as the options say.
    void PaintSelectedBackground(QPainter& p, const QRect& rect, const QColor& selection) const;
    // The parent's look behind a cell (see-through).
    void PaintSeeThrough(QPainter& p, const QRect& rect);
    // Prepares the editor before an edit: the grid's colour and font, its
    // options without the flat border, no wallpaper.
    void PrepareEditor();
    // The grid's text start when an edit began.
    QString m_editStart;

private:
    CoolBitmap& ownBitmap(std::unique_ptr<CoolBitmap>& slot, bool frame);
    bool captionDragArea(const QPoint& pos) const;

    TColor m_colorValue = clWindow;
    TColor m_fixedColorValue = clBtnFace;
    TColor m_fontColorValue = clWindowText;
    TCoolOptions m_exOptions{ocNoCaption};
    TColor m_captionColor = clInactiveCaption;
    TColor m_captionTextColor = clInactiveCaptionText;
    std::unique_ptr<CoolBitmap> m_wallpaper;
    std::unique_ptr<CoolBitmap> m_selWallpaper;
    std::unique_ptr<CoolBitmap> m_captionWallpaper;
    CoolImagesRef m_images;
    int m_idWallpaper = -1;
    int m_idSelWallpaper = -1;
    int m_idCaptionWallpaper = -1;
    std::uint8_t m_transparencyLevel = 0;
    QString m_caption;
    bool m_hot = false;
    bool m_dragging = false;
    QPoint m_dragOffset;
};

class TCoolStringGrid;

// The attributes of one cell, made the first time they are asked for. They
// take the grid's font, colour and alignment as they are at that moment, so
// a grid's font and colours are set before its first cell is coloured.
class TCellWrapper {
public:
    TCellWrapper(int ACol, int ARow, const TCoolStringGrid& AGrid);

    TFont Font;
    TColor Color;
    int Col;
    int Row;
    bool ReadOnly = false;
    bool ShowWallpaper = true;
    TAlignment Alignment = taLeftJustify;
};

class TCoolStringGrid : public CoolSkinnedGrid {
    Q_OBJECT
public:
    explicit TCoolStringGrid(QWidget* parent = nullptr);
    ~TCoolStringGrid() override;

    // ---- cell attributes (any coordinates; records for absent cells wait
    // until the cell exists)
    TCellWrapper* FindCell(int ACol, int ARow) const;
    bool HasCellAttributes(int ACol, int ARow) const { return FindCell(ACol, ARow) != nullptr; }
    TCellWrapper* CreateCell(int ACol, int ARow);
    TCellWrapper* CellAttributes(int ACol, int ARow);
    TColor GetCellColor(int ACol, int ARow) const;
    void SetCellColor(int ACol, int ARow, TColor Value);
    bool GetCellReadOnly(int ACol, int ARow) const;
    bool GetCellShowWallpaper(int ACol, int ARow) const;
    // The cell's own font and text colour; change it in place (repaints
    // nothing by itself).
    TFont& GetCellFont(int ACol, int ARow);
    TAlignment GetCellAlignment(int ACol, int ARow);
    // Empties every column's texts; the attribute records stay.
    void ClearCells();
    int CellRecordCount() const { return int(m_cells.size()); }

    int CellMarginTop() const { return m_marginTop; }
    void SetCellMarginTop(int v);
    int CellMarginLeft() const { return m_marginLeft; }
    void SetCellMarginLeft(int v);
    int CellMarginRight() const { return m_marginRight; }
    void SetCellMarginRight(int v);
    int CellMarginBottom() const { return m_marginBottom; }
    void SetCellMarginBottom(int v);
    TAlignment FixedTextAlign() const { return m_fixedTextAlign; }
    void SetFixedTextAlign(TAlignment a);
    TAlignment TextAlign() const { return m_textAlign; }
    void SetTextAlign(TAlignment a);
    TBevelCut InnerCellsBevel() const { return m_innerBevel; }
    void SetInnerCellsBevel(TBevelCut b);
    TBevelCut OuterCellsBevel() const { return m_outerBevel; }
    void SetOuterCellsBevel(TBevelCut b);
    TColor SelColor() const { return m_selColor; }
    void SetSelColor(TColor c);

    // The registered clipboard format "GRID DATA".
    static QString ClipboardFormat() { return QStringLiteral("GRID DATA"); }

protected:
    void drawCell(QPainter& p, int col, int row, const QRect& rect, DrawState state) override;
    void measureCells(const std::vector<int>& cols, const std::vector<int>& rows) override;
    bool selectCell(int col, int row) override;
    bool canEditShow() const override;
    QString getEditText(int col, int row) override;
    void setEditText(int col, int row, const QString& text) override;
    void columnMoved(int from, int to) override;
    void rowMoved(int from, int to) override;

private:
    unsigned TextFormat(TAlignment a) const;

    std::vector<std::unique_ptr<TCellWrapper>> m_cells;
    TAlignment m_textAlign = taLeftJustify;
    TAlignment m_fixedTextAlign = taLeftJustify;
    TBevelCut m_innerBevel = bvNone;
    TBevelCut m_outerBevel = bvNone;
    TColor m_selColor = clHighlight;
    bool m_canEdit = true;
    int m_marginTop = 2;
    int m_marginLeft = 2;
    int m_marginRight = -2;
    int m_marginBottom = -2;
};
