// The skinned string grid as the weekly sheet uses it: per-cell colours and
// fonts, centred headers, line breaks, the selection look, self-sizing, the
// wallpaper rules and the edit cycle.
#include "CoolGrid.h"
#include "GridTestSupport.h"

#include <QApplication>
#include <QPaintEvent>
#include <QRegion>
#include <QTest>
#include <gtest/gtest.h>

using gridtest::grab;
using gridtest::inkBands;
using gridtest::inkBox;

namespace {

constexpr TColor SheetFixedColor = 9783808;   // RGB 0, 74, 149
const QStringList Days = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};

// The sheet's set-up: font and colours first, then the geometry and the
// header texts.
void makeSheet(TCoolStringGrid& g, int rows = 9)
{
    g.setFrameShape(QFrame::NoFrame);
    g.setScrollBars(CoolGridBase::ScrollStyle::None);
    QFont f = g.font();
    f.setPixelSize(16);
    f.setBold(true);
    g.setFont(f);
    g.SetColor(clWhite);
    g.SetFixedColor(SheetFixedColor);
    g.SetFixedTextAlign(taCenter);
    g.setOptions(CoolGridBase::goFixedVertLine | CoolGridBase::goFixedHorzLine | CoolGridBase::goVertLine
                 | CoolGridBase::goHorzLine | CoolGridBase::goRangeSelect | CoolGridBase::goDrawFocusSelected);
    g.setColCount(8);
    g.setRowCount(rows);
    g.setDefaultColWidth(90);
    g.setDefaultRowHeight(40);
    g.resize(8 * 91, rows * 41);
    g.setCells(0, 0, "Day/Period");
    for (int c = 1; c <= 7; ++c)
        g.setCells(c, 0, Days.at(c - 1));
    for (int r = 1; r < rows; ++r)
        g.setCells(0, r, QString("P%1").arg(r));
    g.show();
    QApplication::processEvents();
}

QRgb at(const QImage& img, const QRect& cell) { return img.pixel(cell.left() + 1, cell.bottom() - 1); }

} // namespace

TEST(CoolStringGrid, CellColourRecordsAndTheirDefaults)
{
    TCoolStringGrid g;
    makeSheet(g);
    // Without a record: the fixed colour for fixed cells, else the colour;
    // asking creates nothing.
    EXPECT_EQ(g.GetCellColor(0, 3), SheetFixedColor);
    EXPECT_EQ(g.GetCellColor(2, 3), clWhite);
    EXPECT_FALSE(g.GetCellReadOnly(2, 3));
    EXPECT_FALSE(g.GetCellShowWallpaper(2, 3));
    EXPECT_EQ(g.CellRecordCount(), 0);

    g.SetCellColor(3, 0, clRed);
    EXPECT_EQ(g.GetCellColor(3, 0), clRed);
    // GetCellFont makes the record, which then answers the colour.
    g.GetCellFont(1, 1);
    EXPECT_TRUE(g.HasCellAttributes(1, 1));
    EXPECT_EQ(g.GetCellColor(1, 1), clWhite);
    EXPECT_TRUE(g.GetCellShowWallpaper(1, 1));

    // Records snapshot the grid: fixed ones take the fixed colour and the
    // fixed alignment, and later grid changes do not reach them.
    TCellWrapper* fixed = g.CellAttributes(0, 5);
    EXPECT_EQ(fixed->Color, SheetFixedColor);
    EXPECT_EQ(fixed->Alignment, taCenter);
    EXPECT_EQ(g.GetCellAlignment(4, 4), taLeftJustify);
    const int px = g.font().pixelSize();
    QFont bigger = g.font();
    bigger.setPixelSize(30);
    g.setFont(bigger);
    EXPECT_EQ(g.GetCellFont(1, 1).pixelSize(), px);

    // ClearCells empties the texts and keeps the records.
    g.setCells(4, 4, "x");
    g.ClearCells();
    EXPECT_EQ(g.cells(4, 4), "");
    EXPECT_EQ(g.cells(0, 0), "");
    EXPECT_TRUE(g.HasCellAttributes(3, 0));
}

TEST(CoolStringGrid, ColouringACellOutsideTheGridDoesNothingHarmful)
{
    TCoolStringGrid g;
    makeSheet(g, 9);
    // The main window colours period headers up to row 12 on a smaller sheet.
    for (int r = 1; r <= 12; ++r)
        g.SetCellColor(0, r, SheetFixedColor);
    g.SetCellColor(0, 12, clRed);
    g.SetCellColor(-3, 40, clRed);
    const QImage img = grab(g);
    EXPECT_EQ(at(img, g.cellRect(0, 8)), qRgb(0, 74, 149));
    EXPECT_EQ(g.GetCellColor(0, 12), clRed);   // kept for when the row exists
    g.setRowCount(13);
    g.setDefaultRowHeight(20);
    const QImage img2 = grab(g);
    EXPECT_EQ(at(img2, g.cellRect(0, 12)), qRgb(255, 0, 0));
}

TEST(CoolStringGrid, RedMarkersOnTheHeadersShowOnTheSheet)
{
    TCoolStringGrid g;
    makeSheet(g);
    g.SetCellColor(3, 0, clRed);   // today's day header
    g.SetCellColor(0, 4, clRed);   // the current period's header
    const QImage img = grab(g);
    EXPECT_EQ(at(img, g.cellRect(3, 0)), qRgb(255, 0, 0));
    EXPECT_EQ(at(img, g.cellRect(0, 4)), qRgb(255, 0, 0));
    EXPECT_EQ(at(img, g.cellRect(2, 0)), qRgb(0, 74, 149));
    EXPECT_EQ(at(img, g.cellRect(0, 3)), qRgb(0, 74, 149));
    EXPECT_EQ(at(img, g.cellRect(5, 5)), qRgb(255, 255, 255));
    // Painting reads records, it never makes them.
    EXPECT_EQ(g.CellRecordCount(), 2);
}

TEST(CoolStringGrid, HeadersAreCentredAndCellTextStartsInsideTheMargins)
{
    TCoolStringGrid g;
    makeSheet(g);
    g.setCells(2, 3, "ADMIN");
    const QImage img = grab(g);
    const QRect head = g.cellRect(1, 0);
    const QRect ink = inkBox(img, head);
    ASSERT_FALSE(ink.isEmpty());
    const int leftGap = ink.left() - head.left();
    const int rightGap = head.right() - ink.right();
    EXPECT_LE(std::abs(leftGap - rightGap), 3) << leftGap << " " << rightGap;

    // A data cell's text is left-aligned, starting 2 pixels in.
    const QRect cell = g.cellRect(2, 3);
    const QRect ink2 = inkBox(img, cell);
    ASSERT_FALSE(ink2.isEmpty());
    EXPECT_GE(ink2.left() - cell.left(), 2);
    EXPECT_LE(ink2.left() - cell.left(), 4);
    EXPECT_GE(ink2.top() - cell.top(), 2);
}

TEST(CoolStringGrid, CarriageReturnInABookingShowsOnTwoLines)
{
    TCoolStringGrid g;
    makeSheet(g);
    g.setCells(2, 2, "ADMIN\rLesson");
    g.setCells(3, 2, "ADMIN\r\nLesson");
    g.setCells(4, 2, "AD Les");
    const QImage img = grab(g);
    EXPECT_EQ(inkBands(img, g.cellRect(2, 2)), 2);
    EXPECT_EQ(inkBands(img, g.cellRect(3, 2)), 2);
    EXPECT_EQ(inkBands(img, g.cellRect(4, 2)), 1);
}

TEST(CoolStringGrid, PerCellFontSizeIsUsed)
{
    TCoolStringGrid g;
    makeSheet(g);
    g.setCells(2, 2, "ADMIN");
    g.setCells(3, 2, "ADMIN");
    g.GetCellFont(3, 2).setPointSize(8);
    g.viewport()->update();
    const QImage img = grab(g);
    const QRect big = inkBox(img, g.cellRect(2, 2));
    const QRect small = inkBox(img, g.cellRect(3, 2));
    ASSERT_FALSE(big.isEmpty());
    ASSERT_FALSE(small.isEmpty());
    EXPECT_LT(small.width(), big.width());
    EXPECT_LT(small.height(), big.height());
}

TEST(CoolStringGrid, SelectionLook)
{
    TCoolStringGrid g;
    makeSheet(g);
    const QRgb highlight = ColorToQColor(clHighlight, g.palette()).rgb();
    g.setSelection(GridRect{2, 2, 3, 3});
    gridtest::focus(g);
    ASSERT_TRUE(g.hasFocus());
    QImage img = grab(g);
    // Selected cells, the focused current cell included (goDrawFocusSelected).
    EXPECT_EQ(at(img, g.cellRect(2, 2)), highlight);
    EXPECT_EQ(at(img, g.cellRect(3, 3)), highlight);
    EXPECT_EQ(at(img, g.cellRect(4, 3)), qRgb(255, 255, 255));

    // Without the option a focused current cell is drawn as not selected.
    g.setOptions(g.options() & ~CoolGridBase::goDrawFocusSelected);
    img = grab(g);
    EXPECT_EQ(at(img, g.cellRect(3, 3)), qRgb(255, 255, 255));
    EXPECT_EQ(at(img, g.cellRect(2, 2)), highlight);

    // A fixed cell with a red record stays red under any selection.
    g.SetCellColor(0, 2, clRed);
    g.setOptions(g.options() | CoolGridBase::goRowSelect);
    img = grab(g);
    EXPECT_EQ(at(img, g.cellRect(0, 3)), qRgb(0, 74, 149));
    EXPECT_EQ(at(img, g.cellRect(0, 2)), qRgb(255, 0, 0));
    EXPECT_EQ(at(img, g.cellRect(6, 3)), highlight);

    // A data cell with its own colour takes the selection colour when selected.
    g.setOptions(g.options() & ~CoolGridBase::goRowSelect);
    g.SetCellColor(2, 2, clYellow);
    g.SetSelColor(clLime);
    img = grab(g);
    EXPECT_EQ(at(img, g.cellRect(2, 2)), qRgb(0, 255, 0));
}

TEST(CoolStringGrid, ColumnsAndRowsGrowToFitTheirTextAndNeverShrink)
{
    TCoolStringGrid g;
    makeSheet(g);
    const QString word = "ABCDEFGHIJKLMNOPQRSTUV";   // one unbreakable word
    g.setCells(2, 2, word);
    // measured in the width the text is drawn in: the cell less its margins
    const int drawWidth = 90 - g.CellMarginLeft() + g.CellMarginRight();
    const QRect need = CoolCalcRect(g.font(), QRect(0, 0, drawWidth, 0), word, DT_WORDBREAK | DT_CALCRECT);
    ASSERT_GT(need.width(), 90);
    grab(g);
    EXPECT_EQ(g.colWidth(2), need.width() + 10);
    EXPECT_EQ(g.rowHeight(2), 40);

    // A text of more lines than the row holds raises the row.
    g.setCells(4, 4, "one two three four five six seven eight nine ten eleven twelve");
    const QRect lines = CoolCalcRect(g.font(), QRect(0, 0, drawWidth, 0), g.cells(4, 4), DT_WORDBREAK | DT_CALCRECT);
    ASSERT_GT(lines.height(), 40);
    grab(g);
    EXPECT_EQ(g.rowHeight(4), lines.height() + 10);
    EXPECT_EQ(g.colWidth(4), 90);

    // Shorter texts do not shrink anything.
    g.setCells(2, 2, "A");
    g.setCells(4, 4, "B");
    grab(g);
    EXPECT_EQ(g.colWidth(2), need.width() + 10);
    EXPECT_EQ(g.rowHeight(4), lines.height() + 10);

    // A new default size (the sheet's re-layout) brings them back.
    g.setDefaultColWidth(90);
    g.setDefaultRowHeight(40);
    EXPECT_EQ(g.colWidth(2), 90);
    EXPECT_EQ(g.rowHeight(4), 40);

    // A two-line booking in its small font fits a 40-pixel row.
    g.setCells(5, 5, "ADMIN\rLesson");
    g.GetCellFont(5, 5).setPointSize(8);
    grab(g);
    EXPECT_EQ(g.rowHeight(5), 40);
}

TEST(CoolStringGrid, AWrappedTextKeepsItsLastLine)
{
    // A text that wraps to one line more in the drawing width (the cell less
    // its margins) than in the whole cell width gets a row for every line.
    TCoolStringGrid g;
    makeSheet(g);
    const int drawWidth = 90 - g.CellMarginLeft() + g.CellMarginRight();
    QString text;
    for (int n = 1; n < 400 && text.isEmpty(); ++n) {
        QString candidate = QString("W").repeated(n / 10) + " " + QString("i").repeated(n % 10 + 1);
        const QRect whole = CoolCalcRect(g.font(), QRect(0, 0, 90, 0), candidate, DT_WORDBREAK | DT_CALCRECT);
        const QRect drawn = CoolCalcRect(g.font(), QRect(0, 0, drawWidth, 0), candidate, DT_WORDBREAK | DT_CALCRECT);
        if (drawn.height() > whole.height() && whole.width() <= 90 && drawn.width() <= drawWidth) {
            text = candidate + "\rx\ry";
        }
    }
    ASSERT_FALSE(text.isEmpty()) << "no text wraps differently in the two widths";
    g.setCells(3, 3, text);
    grab(g);
    const QRect drawn = CoolCalcRect(g.font(), QRect(0, 0, drawWidth, 0), text, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_GE(g.rowHeight(3) - g.CellMarginTop(), drawn.height());
}

// Paints of the grid's viewport, as their rectangles.
class PaintWatch : public QObject {
public:
    QRegion painted;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
};

TEST(CoolStringGrid, ACellThatGrowsItsColumnRepaintsTheCellsItMoved)
{
    TCoolStringGrid g;
    makeSheet(g);
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    PaintWatch watch;
    g.viewport()->installEventFilter(&watch);
    // Writing one cell repaints that cell; its text widens the column and
    // so moves every column to its right, which must be painted again.
    g.setCells(2, 2, "ABCDEFGHIJKLMNOPQRSTUV");
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    g.viewport()->removeEventFilter(&watch);
    ASSERT_GT(g.colWidth(2), 90);
    EXPECT_TRUE(QRegion(g.cellRect(7, 5)).subtracted(watch.painted).isEmpty());
    EXPECT_TRUE(QRegion(g.cellRect(3, 0)).subtracted(watch.painted).isEmpty());
}

TEST(CoolStringGrid, WallpaperRules)
{
    QWidget win;
    TCoolStringGrid g(&win);
    makeSheet(g);
    win.resize(g.size());
    // A 2-colour striped picture: vertical stripes 8 pixels wide.
    QImage pic(16, 16, QImage::Format_RGB32);
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 16; ++y)
            pic.setPixel(x, y, x < 8 ? qRgb(200, 0, 0) : qRgb(0, 0, 200));
    g.Wallpaper().SetImage(pic);
    g.SetExOptions({ocNoCaption, ocPaintWallpaper});
    g.SetCellColor(4, 4, clLime);
    g.CellAttributes(4, 4)->ShowWallpaper = false;
    g.setSelection(GridRect{6, 6, 6, 6});
    QImage img = grab(g);
    // Tiles are anchored to the grid, not to each cell.
    const QRect c = g.cellRect(2, 2);
    for (int x = c.left(); x < c.left() + 20; ++x)
        EXPECT_EQ(img.pixel(x, c.top() + 5), pic.pixel(x % 16, (c.top() + 5) % 16)) << x;
    EXPECT_EQ(at(img, g.cellRect(4, 4)), qRgb(0, 255, 0));   // its own colour
    EXPECT_EQ(at(img, g.cellRect(0, 2)), qRgb(0, 74, 149));  // fixed: no wallpaper

    // Inverted wallpaper as the selection look.
    g.SetExOptions({ocNoCaption, ocPaintWallpaper, ocInvertWallpaperAsSelect});
    img = grab(g);
    const QRect s = g.cellRect(6, 6);
    const QRgb under = pic.pixel((s.left() + 3) % 16, (s.top() + 3) % 16);
    EXPECT_EQ(img.pixel(s.left() + 3, s.top() + 3), qRgb(255 - qRed(under), 255 - qGreen(under), 255 - qBlue(under)));
}

TEST(CoolStringGrid, WallpaperAndSeeThroughExcludeEachOther)
{
    TCoolStringGrid g;
    g.SetExOptions({ocPaintWallpaper});
    g.SetExOptions({ocPaintWallpaper, ocPaintTransparently});
    EXPECT_FALSE(g.ExOptions().Contains(ocPaintWallpaper));
    EXPECT_TRUE(g.ExOptions().Contains(ocPaintTransparently));
    g.SetExOptions({ocPaintTransparently, ocPaintWallpaper, ocStretchWallpaper});
    EXPECT_FALSE(g.ExOptions().Contains(ocPaintTransparently));
    EXPECT_TRUE(g.ExOptions().Contains(ocPaintWallpaper));
    g.SetExOptions({});
    g.SetExOptions({ocPaintWallpaper, ocPaintTransparently});
    EXPECT_TRUE(g.ExOptions().Contains(ocPaintWallpaper));
    EXPECT_TRUE(g.ExOptions().Contains(ocPaintTransparently));
}

TEST(CoolStringGrid, CaptionBarTakesRoomAboveTheCells)
{
    TCoolStringGrid g;
    makeSheet(g);
    EXPECT_EQ(g.viewport()->y(), 0);
    g.SetCaption("Week");
    g.SetExOptions({});
    EXPECT_EQ(g.viewport()->y(), 19);
    g.SetExOptions({ocSmallCaption});
    EXPECT_EQ(g.viewport()->y(), 15);
    g.SetCaptionColor(clRed);
    const QImage img = g.grab().toImage();
    EXPECT_EQ(img.pixel(g.width() - 3, 3), qRgb(255, 0, 0));
    // With the caption-wallpaper option and no picture there is no background.
    g.SetExOptions({ocSmallCaption, ocPaintCaptionWallpaper});
    const QImage img2 = g.grab().toImage();
    EXPECT_NE(img2.pixel(g.width() - 3, 3), qRgb(255, 0, 0));
}

TEST(CoolStringGrid, CaptionBarDragsTheGridUnlessToldNotTo)
{
    QWidget win;
    win.resize(600, 400);
    TCoolStringGrid g(&win);
    g.setGeometry(10, 10, 300, 200);
    g.SetExOptions({});
    win.show();
    QApplication::processEvents();
    QTest::mousePress(&g, Qt::LeftButton, {}, QPoint(50, 5));
    QTest::mouseMove(&g, QPoint(80, 25));
    QTest::mouseRelease(&g, Qt::LeftButton, {}, QPoint(80, 25));
    EXPECT_EQ(g.pos(), QPoint(40, 30));
    // A double click on the bar does nothing.
    QTest::mouseDClick(&g, Qt::LeftButton, {}, QPoint(50, 5));
    EXPECT_EQ(g.pos(), QPoint(40, 30));
    EXPECT_TRUE(g.isVisible());
    g.SetExOptions({ocNoDragUsingCaption});
    QTest::mousePress(&g, Qt::LeftButton, {}, QPoint(50, 5));
    QTest::mouseMove(&g, QPoint(90, 45));
    QTest::mouseRelease(&g, Qt::LeftButton, {}, QPoint(90, 45));
    EXPECT_EQ(g.pos(), QPoint(40, 30));
}

TEST(CoolStringGrid, ReadOnlyCellKeepsTheEditorAway)
{
    TCoolStringGrid g;
    makeSheet(g);
    g.setOptions(g.options() | CoolGridBase::goEditing);
    g.CellAttributes(3, 3)->ReadOnly = true;
    gridtest::focus(g);
    g.setCurrent(3, 3);
    QTest::keyClick(&g, Qt::Key_F2);
    EXPECT_FALSE(g.editorMode());
    g.setCurrent(4, 3);   // no record: editable
    QTest::keyClick(&g, Qt::Key_F2);
    EXPECT_TRUE(g.editorMode());
}

TEST(CoolStringGrid, EndOfEditCycle)
{
    TCoolStringGrid g;
    makeSheet(g);
    g.setOptions(g.options() | CoolGridBase::goEditing);
    gridtest::focus(g);
    g.setCurrent(2, 2);
    g.setCells(2, 2, "same");
    g.setColWidth(2, 150);
    g.setRowHeight(2, 70);

    int calls = 0;
    bool editorWasOpen = false;
    g.OnEndCellEditing = [&](QObject* sender, int c, int r, int& w, int& h) {
        ++calls;
        editorWasOpen = static_cast<CoolGridBase*>(sender)->editorMode();
        EXPECT_EQ(c, 2);
        EXPECT_EQ(r, 2);
        EXPECT_EQ(w, 90);
        EXPECT_EQ(h, 40);
        w = 120;
        h = 55;
    };

    // An edit that ends with the text unchanged posts nothing.
    QTest::keyClick(&g, Qt::Key_F2);
    QTest::keyClick(g.Editor(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(calls, 0);

    // A changed text: one handler call once the editor has closed.
    QTest::keyClick(&g, Qt::Key_F2);
    QTest::keyClicks(g.Editor(), "other");
    QApplication::processEvents();   // notices posted while typing are dropped
    EXPECT_EQ(calls, 0);
    QTest::keyClick(g.Editor(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(editorWasOpen);
    EXPECT_EQ(g.colWidth(2), 120);
    EXPECT_EQ(g.rowHeight(2), 55);

    // Without a handler the column and row go back to the default sizes.
    g.OnEndCellEditing = nullptr;
    QTest::keyClick(&g, Qt::Key_F2);
    QTest::keyClicks(g.Editor(), "third");
    QTest::keyClick(g.Editor(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(g.colWidth(2), 90);
    EXPECT_EQ(g.rowHeight(2), 40);
}

TEST(CoolStringGrid, EndOfEditForACellThatNoLongerExistsIsIgnored)
{
    TCoolStringGrid g;
    makeSheet(g);
    g.setOptions(g.options() | CoolGridBase::goEditing);
    gridtest::focus(g);
    g.setCurrent(7, 8);
    int calls = 0;
    g.OnEndCellEditing = [&](QObject*, int, int, int&, int&) { ++calls; };
    QTest::keyClick(&g, Qt::Key_F2);
    QTest::keyClicks(g.Editor(), "gone");
    QTest::keyClick(g.Editor(), Qt::Key_Return);
    // The sheet is laid out again with fewer rows and columns before the
    // notice is handled.
    g.setRowCount(5);
    g.setColCount(6);
    QApplication::processEvents();
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(g.rowCount(), 5);
    EXPECT_EQ(g.colCount(), 6);
}

TEST(CoolStringGrid, EditorIsPreparedFromTheGridAndTheCell)
{
    QWidget win;
    TCoolStringGrid g(&win);
    makeSheet(g);
    win.resize(g.size());
    g.setOptions(g.options() | CoolGridBase::goEditing);
    QImage pic(16, 16, QImage::Format_RGB32);
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 16; ++y)
            pic.setPixel(x, y, qRgb(x * 15, y * 15, 100));
    g.Wallpaper().SetImage(pic);
    g.SetExOptions({ocNoCaption, ocPaintWallpaper, ocFlatBorder});
    gridtest::focus(g);

    g.setCurrent(2, 2);
    QTest::keyClick(&g, Qt::Key_F2);
    TCoolInplaceEdit* ed = g.Editor();
    ASSERT_NE(ed, nullptr);
    EXPECT_EQ(ed->Color(), clWhite);
    EXPECT_EQ(ed->font(), g.font());
    EXPECT_FALSE(ed->Options().Contains(ocFlatBorder));
    EXPECT_TRUE(ed->Options().Contains(ocPaintWallpaper));
    // The editor's wallpaper is the piece of the grid's wallpaper under the cell.
    const QRect cell = g.cellRect(2, 2);
    const QImage piece = ed->Wallpaper().Image();
    ASSERT_EQ(piece.size(), cell.size());
    EXPECT_EQ(piece.pixel(0, 0), pic.pixel(cell.left() % 16, cell.top() % 16));
    EXPECT_EQ(piece.pixel(5, 7), pic.pixel((cell.left() + 5) % 16, (cell.top() + 7) % 16));
    QTest::keyClick(ed, Qt::Key_Escape);

    // A cell that hides the wallpaper hands the editor its colour and font.
    g.SetCellColor(3, 3, clYellow);
    g.CellAttributes(3, 3)->ShowWallpaper = false;
    g.GetCellFont(3, 3).setPixelSize(9);
    g.setCurrent(3, 3);
    QTest::keyClick(&g, Qt::Key_F2);
    EXPECT_EQ(ed->Color(), clYellow);
    EXPECT_EQ(ed->font().pixelSize(), 9);
}

TEST(CoolStringGrid, MovingColumnsAndRowsCarriesTheRecords)
{
    TCoolStringGrid g;
    makeSheet(g);
    for (int c = 2; c <= 5; ++c)
        g.CellAttributes(c, 1)->Color = TColor(c);
    g.moveColumn(2, 5);
    EXPECT_EQ(g.GetCellColor(5, 1), TColor(2));
    EXPECT_EQ(g.GetCellColor(2, 1), TColor(3));
    EXPECT_EQ(g.GetCellColor(3, 1), TColor(4));
    EXPECT_EQ(g.GetCellColor(4, 1), TColor(5));
    g.moveColumn(5, 2);
    for (int c = 2; c <= 5; ++c)
        EXPECT_EQ(g.GetCellColor(c, 1), TColor(c));
    for (int r = 2; r <= 5; ++r)
        g.CellAttributes(1, r)->Color = TColor(10 + r);
    g.moveRow(5, 2);
    EXPECT_EQ(g.GetCellColor(1, 2), TColor(15));
    EXPECT_EQ(g.GetCellColor(1, 3), TColor(12));
    EXPECT_EQ(g.GetCellColor(1, 5), TColor(14));
}

TEST(CoolStringGrid, DisabledGridDrawsEmbossedText)
{
    TCoolStringGrid g;
    makeSheet(g);
    g.setCells(2, 2, "ADMIN");
    g.setEnabled(false);
    const QImage img = grab(g);
    const QRect ink = inkBox(img, g.cellRect(2, 2));
    ASSERT_FALSE(ink.isEmpty());
    // Two colours of ink: the highlight copy and the shadow colour on top.
    bool shadow = false;
    const QRgb shadowColour = ColorToQColor(clBtnShadow, g.palette()).rgb();
    for (int y = ink.top(); y <= ink.bottom(); ++y)
        for (int x = ink.left(); x <= ink.right(); ++x)
            shadow = shadow || img.pixel(x, y) == shadowColour;
    EXPECT_TRUE(shadow);
}

namespace {
// The colour of the most saturated-or-darkest ink in a cell: the pixel that
// differs most from the cell's background.
QRgb inkColour(const QImage& img, const QRect& cell)
{
    const QRgb back = img.pixel(cell.left() + 1, cell.top() + 1);
    QRgb best = back;
    int bestD = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x) {
            const QRgb px = img.pixel(x, y);
            const int d = std::abs(qRed(px) - qRed(back)) + std::abs(qGreen(px) - qGreen(back))
                + std::abs(qBlue(px) - qBlue(back));
            if (d > bestD) {
                bestD = d;
                best = px;
            }
        }
    return best;
}
} // namespace

TEST(CoolStringGrid, FontsCarryTheColourTheirTextIsDrawnIn)
{
    TCoolStringGrid g;
    makeSheet(g);
    // The grid's font colour reaches cells without records and records made
    // after it was set; a record's own colour is its own.
    g.SetFont(TFont(g.font(), RGBToColor(qRgb(0, 128, 0))));
    EXPECT_EQ(g.GetCellFont(2, 2).Color, RGBToColor(qRgb(0, 128, 0)));
    g.GetCellFont(1, 0).Color = 11793915;   // the sheet's header text, RGB 251, 245, 179
    g.GetCellFont(3, 3).Color = clRed;
    g.setCells(2, 2, "AB");
    g.setCells(3, 3, "CD");
    g.setCells(4, 4, "EF");
    g.SetFont(TFont(g.font(), clBlue));     // later: no effect on the records made before
    g.viewport()->repaint();
    const QImage img = grab(g);
    EXPECT_EQ(inkColour(img, g.cellRect(1, 0)), qRgb(251, 245, 179));
    EXPECT_EQ(inkColour(img, g.cellRect(2, 2)), qRgb(0, 128, 0));
    EXPECT_EQ(inkColour(img, g.cellRect(3, 3)), qRgb(255, 0, 0));
    EXPECT_EQ(inkColour(img, g.cellRect(4, 4)), qRgb(0, 0, 255));
    // A header without a record follows the grid's font as it is now.
    EXPECT_EQ(inkColour(img, g.cellRect(2, 0)), qRgb(0, 0, 255));
    // Window text, the default, is the palette's colour of text.
    g.SetFont(TFont(g.font()));
    g.viewport()->repaint();
    EXPECT_EQ(inkColour(grab(g), g.cellRect(2, 0)), g.palette().color(QPalette::Text).rgb());
}
