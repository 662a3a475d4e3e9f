// The base grid: layout, scrolling with frozen fixed cells, current cell and
// selection by mouse and keys, and the in-place edit cycle.
#include "CoolGridBase.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Grid : CoolGridBase {
    using CoolGridBase::CoolGridBase;
    std::vector<std::pair<int, int>> drawn;
    std::vector<std::pair<int, int>> edits;
    void drawCell(QPainter& p, int c, int r, const QRect& rect, DrawState s) override
    {
        drawn.emplace_back(c, r);
        CoolGridBase::drawCell(p, c, r, rect, s);
    }
    void endCellEdit(int c, int r) override { edits.emplace_back(c, r); }
    using CoolGridBase::postEndCellEdit;
};

// A grid of 8 x 6 cells of 50 x 20 shown whole in its viewport.
void layout(CoolGridBase& g, int cols = 8, int rows = 6)
{
    g.setFrameShape(QFrame::NoFrame);
    g.setScrollBars(CoolGridBase::ScrollStyle::None);
    g.setColCount(cols);
    g.setRowCount(rows);
    g.setDefaultColWidth(50);
    g.setDefaultRowHeight(20);
    g.resize(cols * 51, rows * 21);
    g.show();
    QApplication::processEvents();
}

QPoint centre(CoolGridBase& g, int c, int r) { return g.cellRect(c, r).center(); }

} // namespace

TEST(CoolGridBase, DefaultSizeResetsEveryColumnAndRow)
{
    Grid g;
    layout(g);
    g.setColWidth(3, 120);
    g.setRowHeight(2, 60);
    EXPECT_EQ(g.colWidth(3), 120);
    g.setDefaultColWidth(40);
    g.setDefaultRowHeight(18);
    EXPECT_EQ(g.colWidth(3), 40);
    EXPECT_EQ(g.rowHeight(2), 18);
    // Out-of-range sizes are ignored, reads answer 0.
    g.setColWidth(99, 10);
    g.setRowHeight(-1, 10);
    EXPECT_EQ(g.colWidth(99), 0);
}

TEST(CoolGridBase, CellRectAndMouseToCellAgree)
{
    Grid g;
    layout(g);
    EXPECT_EQ(g.cellRect(0, 0), QRect(0, 0, 50, 20));
    EXPECT_EQ(g.cellRect(2, 3), QRect(102, 63, 50, 20));
    EXPECT_EQ(g.mouseToCell(QPoint(110, 70)), QPoint(2, 3));
    EXPECT_TRUE(g.cellRect(8, 0).isEmpty());
    EXPECT_TRUE(g.cellRect(-1, 0).isEmpty());
    EXPECT_EQ(g.mouseToCell(QPoint(1000, 1000)), QPoint(-1, -1));
    // Any coordinates may be invalidated.
    g.invalidateCell(0, 12);
    g.invalidateCell(-5, 99);
}

TEST(CoolGridBase, FixedCellsStayWhileScrolling)
{
    Grid g;
    layout(g, 8, 20);
    g.resize(8 * 51, 6 * 21);
    QApplication::processEvents();
    g.setTopRow(5);
    EXPECT_EQ(g.topRow(), 5);
    EXPECT_EQ(g.cellRect(0, 0), QRect(0, 0, 50, 20));          // fixed row stays
    EXPECT_EQ(g.cellRect(1, 5).top(), 21);                       // row 5 right under it
    EXPECT_TRUE(g.cellRect(1, 3).isEmpty());                     // scrolled out
    // Moving the current cell below the view scrolls it into sight.
    g.setCurrent(1, 19);
    EXPECT_FALSE(g.cellRect(1, 19).isEmpty());
    EXPECT_EQ(g.topRow(), 15);
    // Every visible cell, fixed ones included, goes through drawCell.
    g.drawn.clear();
    g.viewport()->repaint();
    EXPECT_NE(std::find(g.drawn.begin(), g.drawn.end(), std::make_pair(0, 0)), g.drawn.end());
    EXPECT_NE(std::find(g.drawn.begin(), g.drawn.end(), std::make_pair(3, 19)), g.drawn.end());
    EXPECT_EQ(std::find(g.drawn.begin(), g.drawn.end(), std::make_pair(3, 5)), g.drawn.end());
}

TEST(CoolGridBase, MouseDragSelectsOneRectangle)
{
    Grid g;
    layout(g);
    QSignalSpy clicks(&g, &CoolGridBase::clicked);
    QTest::mousePress(g.viewport(), Qt::LeftButton, {}, centre(g, 2, 1));
    QTest::mouseMove(g.viewport(), centre(g, 3, 2));
    QTest::mouseMove(g.viewport(), centre(g, 4, 3));
    QTest::mouseRelease(g.viewport(), Qt::LeftButton, {}, centre(g, 4, 3));
    EXPECT_EQ(g.selection(), (GridRect{2, 1, 4, 3}));
    EXPECT_EQ(g.col(), 4);
    EXPECT_EQ(g.row(), 3);
    EXPECT_GE(clicks.count(), 1);

    // Dragging back up and left of the anchor keeps one rectangle.
    QTest::mousePress(g.viewport(), Qt::LeftButton, {}, centre(g, 4, 4));
    QTest::mouseMove(g.viewport(), centre(g, 2, 2));
    QTest::mouseRelease(g.viewport(), Qt::LeftButton, {}, centre(g, 2, 2));
    EXPECT_EQ(g.selection(), (GridRect{2, 2, 4, 4}));

    // A press on a fixed cell selects nothing.
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, centre(g, 0, 3));
    EXPECT_EQ(g.selection(), (GridRect{2, 2, 4, 4}));

    // Without range selection a drag only moves the current cell.
    g.setOptions(g.options() & ~CoolGridBase::goRangeSelect);
    QTest::mousePress(g.viewport(), Qt::LeftButton, {}, centre(g, 1, 1));
    QTest::mouseMove(g.viewport(), centre(g, 3, 3));
    QTest::mouseRelease(g.viewport(), Qt::LeftButton, {}, centre(g, 3, 3));
    EXPECT_EQ(g.selection(), (GridRect{1, 1, 1, 1}));
}

TEST(CoolGridBase, EveryPressOnACellIsAClick)
{
    // The sheet's information line follows the clicks: a press on the
    // current cell, which collapses a range to that cell, is a click too.
    Grid g;
    layout(g);
    QTest::mousePress(g.viewport(), Qt::LeftButton, {}, centre(g, 2, 2));
    QTest::mouseMove(g.viewport(), centre(g, 4, 4));
    QTest::mouseRelease(g.viewport(), Qt::LeftButton, {}, centre(g, 4, 4));
    ASSERT_EQ(g.selection(), (GridRect{2, 2, 4, 4}));
    QSignalSpy clicks(&g, &CoolGridBase::clicked);
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, centre(g, 4, 4));
    EXPECT_EQ(g.selection(), (GridRect{4, 4, 4, 4}));
    EXPECT_EQ(clicks.count(), 1);
    // A press that moves the current cell clicks once, not twice.
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, centre(g, 1, 1));
    EXPECT_EQ(clicks.count(), 2);
    // A press on a fixed cell is no click on a cell.
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, centre(g, 0, 3));
    EXPECT_EQ(clicks.count(), 2);
}

TEST(CoolGridBase, KeysMoveAndExtendSkippingFixedCells)
{
    Grid g;
    layout(g);
    g.setFocus();
    QSignalSpy clicks(&g, &CoolGridBase::clicked);
    g.setCurrent(1, 1);
    clicks.clear();
    QTest::keyClick(&g, Qt::Key_Left);     // column 0 is fixed
    QTest::keyClick(&g, Qt::Key_Up);       // row 0 is fixed
    EXPECT_EQ(g.col(), 1);
    EXPECT_EQ(g.row(), 1);
    EXPECT_EQ(clicks.count(), 0);
    QTest::keyClick(&g, Qt::Key_Right);
    QTest::keyClick(&g, Qt::Key_Down);
    EXPECT_EQ(g.selection(), (GridRect{2, 2, 2, 2}));
    EXPECT_EQ(clicks.count(), 2);           // keys move the cell like clicks
    QTest::keyClick(&g, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&g, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(g.selection(), (GridRect{2, 2, 3, 3}));
    QTest::keyClick(&g, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(g.selection(), (GridRect{7, 5, 7, 5}));
    QTest::keyClick(&g, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(g.selection(), (GridRect{1, 1, 1, 1}));
    // A refused cell stays unselected.
    g.onSelectCell = [](int c, int, bool& ok) { ok = c != 2; };
    QTest::keyClick(&g, Qt::Key_Right);
    EXPECT_EQ(g.col(), 1);
}

TEST(CoolGridBase, RowSelectSpansAllColumns)
{
    Grid g;
    layout(g);
    g.setOptions(g.options() | CoolGridBase::goRowSelect);
    g.setCurrent(3, 2);
    EXPECT_EQ(g.selection(), (GridRect{1, 2, 7, 2}));
}

TEST(CoolGridBase, EditorWritesBackAndEndsOnEnter)
{
    Grid g;
    layout(g);
    g.setOptions(g.options() | CoolGridBase::goEditing);
    g.setCells(2, 2, "old");
    g.setCurrent(2, 2);
    g.setFocus();
    QTest::keyClick(&g, Qt::Key_F2);
    ASSERT_TRUE(g.editorMode());
    InplaceEdit* ed = g.inplaceEditor();
    ASSERT_NE(ed, nullptr);
    EXPECT_EQ(ed->geometry(), g.cellRect(2, 2));
    EXPECT_EQ(ed->text(), "old");
    QTest::keyClicks(ed, "new");            // all text was selected first
    EXPECT_EQ(g.cells(2, 2), "new");
    QTest::keyClick(ed, Qt::Key_Return);
    EXPECT_FALSE(g.editorMode());
    EXPECT_EQ(g.cells(2, 2), "new");

    // Escape puts the text back.
    QTest::keyClick(&g, Qt::Key_F2);
    QTest::keyClicks(ed, "xyz");
    QTest::keyClick(ed, Qt::Key_Escape);
    EXPECT_FALSE(g.editorMode());
    EXPECT_EQ(g.cells(2, 2), "new");

    // Typing on the grid opens the editor with that character.
    QTest::keyClicks(&g, "q");
    EXPECT_TRUE(g.editorMode());
    EXPECT_EQ(g.cells(2, 2), "q");
}

TEST(CoolGridBase, EndOfEditIsPostedNotSent)
{
    Grid g;
    layout(g);
    g.postEndCellEdit(3, 4);
    EXPECT_TRUE(g.edits.empty());
    QApplication::processEvents();
    ASSERT_EQ(g.edits.size(), 1u);
    EXPECT_EQ(g.edits[0], std::make_pair(3, 4));
    EXPECT_EQ(EndCellEditEvent::MessageId, 0x594);
}

TEST(CoolGridBase, MoveColumnAndRowCarryTextsAndSizes)
{
    Grid g;
    layout(g);
    g.setCells(2, 1, "two");
    g.setColWidth(2, 77);
    g.moveColumn(2, 5);
    EXPECT_EQ(g.cells(5, 1), "two");
    EXPECT_EQ(g.colWidth(5), 77);
    EXPECT_EQ(g.colWidth(2), 50);
    g.setCells(1, 2, "row");
    g.moveRow(2, 4);
    EXPECT_EQ(g.cells(1, 4), "row");
    EXPECT_EQ(g.cells(1, 2), "");
}

TEST(CoolGridBase, FirstScrollingCellFollowsTheFixedCountsBothWays)
{
    Grid g;
    layout(g);
    g.setFixedCols(0);
    g.setFixedRows(0);
    EXPECT_EQ(g.leftCol(), 0);
    EXPECT_EQ(g.topRow(), 0);
    EXPECT_EQ(g.col(), 0);
    EXPECT_EQ(g.row(), 0);
    EXPECT_EQ(g.selection(), (GridRect{0, 0, 0, 0}));
    EXPECT_EQ(g.cellRect(0, 0), QRect(0, 0, 50, 20));
    EXPECT_EQ(g.mouseToCell(QPoint(5, 5)), QPoint(0, 0));
    // Fixed again: nothing current or on top stays inside the fixed cells.
    g.setFixedCols(2);
    g.setFixedRows(1);
    EXPECT_EQ(g.leftCol(), 2);
    EXPECT_EQ(g.col(), 2);
    EXPECT_EQ(g.topRow(), 1);
    EXPECT_EQ(g.row(), 1);
    // A current cell further on keeps its place when fewer are fixed.
    g.setCurrent(5, 4);
    g.setFixedCols(1);
    EXPECT_EQ(g.col(), 5);
    EXPECT_EQ(g.leftCol(), 1);
}

TEST(CoolGridBase, CellsMeetWhenLinesAreOff)
{
    Grid g;
    layout(g);
    g.setOptions(CoolGridBase::goRowSelect);
    QApplication::processEvents();
    // Without lines the columns sit side by side and the rows one under the other.
    EXPECT_EQ(g.cellRect(2, 3), QRect(100, 60, 50, 20));
    g.setCurrent(1, 2);
    const QRgb highlight = g.palette().color(QPalette::Highlight).rgb();
    const QImage img = g.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect first = g.cellRect(1, 2);
    const QRect last = g.cellRect(7, 2);
    // The highlighted row is one band: no stripe between its cells.
    for (int x = first.left(); x <= last.right(); ++x)
        ASSERT_EQ(img.pixel(x, first.bottom() - 1), highlight) << x;
    // Lines on: a line again between the cells and the cells one apart.
    g.setOptions(CoolGridBase::goRowSelect | CoolGridBase::goVertLine | CoolGridBase::goHorzLine);
    QApplication::processEvents();
    EXPECT_EQ(g.cellRect(2, 3), QRect(102, 63, 50, 20));
    const QImage lined = g.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect cell = g.cellRect(1, 2);
    EXPECT_NE(lined.pixel(cell.right() + 1, cell.bottom() - 1), highlight);
}
