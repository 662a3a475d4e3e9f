// The skinned cell editor: its Enter rules, its options and its edge lines.
#include "CoolGrid.h"
#include "GridTestSupport.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct EditorFixture : ::testing::Test {
    TCoolStringGrid grid;
    TCoolInplaceEdit* ed = nullptr;
    void SetUp() override
    {
        grid.setOptions(grid.options() | CoolGridBase::goEditing);
        grid.setDefaultColWidth(80);
        grid.setDefaultRowHeight(40);
        grid.resize(400, 300);
        grid.setCells(1, 1, "text");
        gridtest::focus(grid);
        grid.setCurrent(1, 1);
        QTest::keyClick(&grid, Qt::Key_F2);
        ed = grid.Editor();
        ASSERT_NE(ed, nullptr);
        ASSERT_TRUE(grid.editorMode());
        ed->moveCursor(QTextCursor::End);
    }
};

} // namespace

TEST_F(EditorFixture, EnterNeverReachesTheText)
{
    // Shift+Enter: a carriage return the grid left in place is refused.
    QTest::keyClick(ed, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(ed->text(), "text");
    EXPECT_EQ(ed->Beeps(), 1);
    // Ctrl+Enter: no line break, one beep.
    QTest::keyClick(ed, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(ed->text(), "text");
    EXPECT_EQ(ed->Beeps(), 2);
    // Ctrl+Shift+Enter is not the Ctrl+Enter rule: a line break goes in.
    QTest::keyClick(ed, Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(ed->text(), "text\n");
    EXPECT_EQ(ed->Beeps(), 2);
    // Ordinary characters pass.
    QTest::keyClicks(ed, "ab");
    EXPECT_EQ(ed->text(), "text\nab");
    EXPECT_EQ(grid.cells(1, 1), "text\nab");
    // A plain Enter ends the edit (the grid takes it), without a beep.
    QTest::keyClick(ed, Qt::Key_Return);
    EXPECT_FALSE(grid.editorMode());
    EXPECT_EQ(ed->Beeps(), 2);
    EXPECT_EQ(grid.cells(1, 1), "text\nab");
}

TEST_F(EditorFixture, OptionsExcludeEachOtherAndSkinNeedsAPicture)
{
    ed->SetOptions({ocPaintWallpaper});
    EXPECT_FALSE(ed->Skinned());   // no picture to show
    ed->SetOptions({ocPaintWallpaper, ocPaintTransparently});
    EXPECT_EQ(ed->Options(), (TCoolOptions{ocPaintTransparently}));
    EXPECT_TRUE(ed->Skinned());
    ed->SetOptions({ocPaintTransparently, ocPaintWallpaper});
    EXPECT_EQ(ed->Options(), (TCoolOptions{ocPaintWallpaper}));
    ed->SetOptions({});
    ed->SetOptions({ocPaintWallpaper, ocPaintTransparently});
    EXPECT_EQ(ed->Options(), (TCoolOptions{ocPaintWallpaper, ocPaintTransparently}));
    QImage pic(8, 8, QImage::Format_RGB32);
    pic.fill(qRgb(1, 2, 3));
    ed->SetOptions({ocPaintWallpaper});
    ed->Wallpaper().SetImage(pic);
    EXPECT_TRUE(ed->Skinned());
    const QImage img = ed->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(img.pixel(img.width() - 3, img.height() - 3), qRgb(1, 2, 3));
}

TEST_F(EditorFixture, EdgeLines)
{
    ed->clear();
    ed->SetColor(clWhite);
    auto red = [](const QImage& img) {
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) == qRgb(255, 0, 0))
                    return true;
        return false;
    };
    ed->SetBordersTrColor(clRed);
    QImage img = ed->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_FALSE(red(img));   // no edges: the colour shows nowhere

    ed->SetBordersTrColor(clNone);
    ed->SetBorderPen(QPen(QColor(0, 0, 255), 1));
    ed->SetEdgeBorders({ebTop});
    img = ed->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(img.pixel(img.width() / 2, 1), qRgb(0, 0, 255));
    EXPECT_NE(img.pixel(1, img.height() / 2), qRgb(0, 0, 255));
    EXPECT_NE(img.pixel(img.width() / 2, img.height() - 1), qRgb(0, 0, 255));
}

TEST_F(EditorFixture, TextAlignAndAutoSelect)
{
    ed->SetTextAlign(taRightJustify);
    EXPECT_EQ(ed->alignment(), Qt::AlignRight);
    EXPECT_EQ(ed->document()->defaultTextOption().alignment(), Qt::AlignRight);
    ed->SetTextAlign(taCenter);
    EXPECT_EQ(ed->alignment(), Qt::AlignHCenter);
    // Keyboard focus selects the whole text.
    grid.setFocus();
    ed->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(ed->textCursor().selectedText(), "text");
}
