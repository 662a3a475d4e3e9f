// The data-aware grid over a real database file: it follows its dataset,
// moves the dataset's current record when the user picks a row, and paints
// without moving it.
#include "CoolCtrlsDB.h"
#include "Database.h"
#include "GridTestSupport.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using gridtest::grab;
using gridtest::inkBox;

namespace {

struct DBGridFixture : ::testing::Test {
    QTemporaryDir dir;
    Database db;
    Dataset* ds = nullptr;
    DataSource* source = nullptr;
    QWidget win;
    TDBCoolGrid* grid = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        const QString path = dir.filePath("data.mdb");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.close();
        db.open(path);
        db.exec(R"(CREATE TABLE "catergories" ("CaterGoryName" TEXT, "Description" TEXT, "Items" INTEGER))");
        const QList<QVariantList> rows = {{"Miscellaneous", "Anything else", 1},
                                          {"Rooms", "Teaching rooms", 22},
                                          {"Laptops", "Trolley of laptops", 333},
                                          {"Projectors", "Portable projectors", 4}};
        for (const auto& r : rows)
            db.exec(R"(INSERT INTO "catergories" VALUES (?, ?, ?))", r);
        ds = new Dataset(&db, &win);
        ds->setTableName("catergories");
        ds->open();
        source = new DataSource(ds, &win);
        grid = new TDBCoolGrid(&win);
        grid->setObjectName("DBCoolGrid1");
        grid->setFrameShape(QFrame::NoFrame);
        grid->setScrollBars(CoolGridBase::ScrollStyle::None);
        grid->SetColor(clWhite);
        grid->setDefaultColWidth(120);
        grid->setDefaultRowHeight(22);
        grid->resize(420, 200);
        win.resize(420, 200);
        grid->SetOptions(dgTitles | dgRowLines | dgRowSelect);
        grid->SetDataSource(source);
        win.show();
        QApplication::processEvents();
    }
    void TearDown() override { ds->close(); }

    QRect dataCell(int dataCol, int recNo) { return grid->cellRect(grid->IndicatorOffset() + dataCol, grid->RowOfRecord(recNo)); }
};

} // namespace

TEST_F(DBGridFixture, ShowsTitlesAndOneRowPerRecord)
{
    EXPECT_EQ(grid->rowCount(), 5);   // title row and four records
    EXPECT_EQ(grid->colCount(), 3);   // no indicator column
    EXPECT_EQ(grid->fixedRows(), 1);
    EXPECT_EQ(grid->fixedCols(), 0);
    EXPECT_EQ(grid->DisplayText(2, 0), "Laptops");
    EXPECT_EQ(grid->DisplayText(1, 2), "22");
    const QImage img = grab(*grid);
    EXPECT_FALSE(inkBox(img, grid->cellRect(0, 0)).isEmpty());   // a title

    // With the indicator the data columns move one to the right.
    grid->SetOptions(grid->Options() | dgIndicator);
    EXPECT_EQ(grid->colCount(), 4);
    EXPECT_EQ(grid->colWidth(0), 11);
}

TEST_F(DBGridFixture, WithoutIndicatorTheFirstColumnShows)
{
    // Set up as a dialog does: columns, then the data source, then options
    // without the indicator, with more columns than fit.
    TDBCoolGrid g(&win);
    g.setFrameShape(QFrame::NoFrame);
    g.resize(300, 150);
    std::vector<TColumn> cols(2);
    cols[0].FieldName = "CaterGoryName";
    cols[0].Width = 200;
    cols[1].FieldName = "Description";
    cols[1].Width = 200;
    g.SetColumns(cols);
    g.SetDataSource(source);
    g.SetOptions(dgTitles | dgColLines | dgRowLines | dgRowSelect);
    g.show();
    QApplication::processEvents();
    EXPECT_EQ(g.fixedCols(), 0);
    EXPECT_EQ(g.leftCol(), 0);
    EXPECT_EQ(g.col(), 0);
    EXPECT_EQ(g.cellRect(0, 1).left(), 0);
    EXPECT_FALSE(inkBox(grab(g), g.cellRect(0, 1)).isEmpty());   // "Miscellaneous"
}

TEST_F(DBGridFixture, PaintingDoesNotMoveTheCurrentRecord)
{
    ds->setRecNo(2);
    ds->edit();
    ds->setValue("Description", "pending change");
    QSignalSpy moved(ds, &Dataset::currentChanged);
    QSignalSpy states(ds, &Dataset::stateChanged);
    gridtest::focus(*grid);
    const QImage img = grab(*grid);
    grid->viewport()->repaint();
    EXPECT_EQ(ds->recNo(), 2);
    EXPECT_EQ(moved.count(), 0);
    EXPECT_EQ(states.count(), 0);
    EXPECT_EQ(ds->state(), Dataset::State::Edit);
    // The row being changed shows its pending text; the others their own.
    EXPECT_EQ(grid->DisplayText(1, 1), "pending change");
    EXPECT_EQ(grid->DisplayText(3, 1), "Portable projectors");
    EXPECT_FALSE(inkBox(img, dataCell(0, 4)).isEmpty());
    ds->cancel();
}

TEST_F(DBGridFixture, GridAndDatasetShareTheCurrentRecord)
{
    gridtest::focus(*grid);
    // Clicking a row makes its record current.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, dataCell(1, 3).center());
    EXPECT_EQ(ds->recNo(), 3);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(ds->recNo(), 4);
    QTest::keyClick(grid, Qt::Key_Up);
    QTest::keyClick(grid, Qt::Key_Up);
    EXPECT_EQ(ds->recNo(), 2);

    // A move of the dataset selects the grid row.
    ds->first();
    EXPECT_EQ(grid->row(), grid->RowOfRecord(1));
    ds->last();
    EXPECT_EQ(grid->row(), grid->RowOfRecord(4));

    // A new record shows as a new last row until it is cancelled.
    ds->append();
    EXPECT_EQ(grid->rowCount(), 6);
    EXPECT_EQ(grid->row(), 5);
    ds->setValue("CaterGoryName", "Cameras");
    EXPECT_EQ(grid->DisplayText(4, 0), "Cameras");
    ds->cancel();
    EXPECT_EQ(grid->rowCount(), 5);

    // A posted change shows in the row.
    ds->setRecNo(1);
    ds->edit();
    ds->setValue("CaterGoryName", "Misc");
    ds->post();
    EXPECT_EQ(grid->DisplayText(0, 0), "Misc");
    EXPECT_EQ(grid->row(), grid->RowOfRecord(1));

    // An appended and posted record becomes a row of its own.
    ds->appendRecord({"Cameras", "Video cameras", 5});
    EXPECT_EQ(grid->rowCount(), 6);
    EXPECT_EQ(grid->DisplayText(4, 0), "Cameras");
}

TEST_F(DBGridFixture, TextOffsetsAndAlignment)
{
    grid->SetColumns({TColumn{"CaterGoryName", "Category", grid->font(), clWhite, taLeftJustify, 150},
                      TColumn{"Items", "Items", grid->font(), clWhite, taRightJustify, 80}});
    EXPECT_EQ(grid->colCount(), 2);
    EXPECT_EQ(grid->colWidth(0), 150);
    ds->setRecNo(1);
    const QImage img = grab(*grid);   // not focused: no highlight
    const QRect left = dataCell(0, 3);
    const QRect ink = inkBox(img, left);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left() - left.left(), 2);
    EXPECT_LE(ink.left() - left.left(), 4);
    EXPECT_GE(ink.top() - left.top(), 2);
    const QRect right = dataCell(1, 3);
    const QRect ink2 = inkBox(img, right);
    ASSERT_FALSE(ink2.isEmpty());
    const int gap = right.right() - ink2.right();   // pixels after the last ink
    EXPECT_GE(gap, 3);
    EXPECT_LE(gap, 5);
}

TEST_F(DBGridFixture, WholeRowHighlightOnlyWhileFocused)
{
    ds->setRecNo(2);
    const QRgb highlight = ColorToQColor(clHighlight, grid->palette()).rgb();
    gridtest::focus(*grid);
    ASSERT_TRUE(grid->hasFocus());
    QImage img = grab(*grid);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(img.pixel(dataCell(c, 2).right() - 1, dataCell(c, 2).bottom() - 1), highlight) << c;
    EXPECT_EQ(img.pixel(dataCell(0, 3).right() - 1, dataCell(0, 3).bottom() - 1), qRgb(255, 255, 255));

    // The focus goes elsewhere (the dialog's edits): no highlight.
    QWidget other(&win);
    other.setFocusPolicy(Qt::StrongFocus);
    other.show();
    other.setFocus();
    QApplication::processEvents();
    img = grab(*grid);
    EXPECT_EQ(img.pixel(dataCell(0, 2).right() - 1, dataCell(0, 2).bottom() - 1), qRgb(255, 255, 255));
    // Unless the selection is always shown.
    grid->SetOptions(grid->Options() | dgAlwaysShowSelection);
    img = grab(*grid);
    EXPECT_EQ(img.pixel(dataCell(0, 2).right() - 1, dataCell(0, 2).bottom() - 1), highlight);
}

TEST_F(DBGridFixture, InactiveLinkPaintsPlainCells)
{
    ds->close();
    QApplication::processEvents();
    EXPECT_FALSE(grid->LinkActive());
    EXPECT_EQ(grid->rowCount(), 2);
    const QImage img = grab(*grid);
    EXPECT_TRUE(inkBox(img, grid->cellRect(0, 1)).isEmpty());
    ds->open();
    EXPECT_EQ(grid->rowCount(), 5);
}

TEST_F(DBGridFixture, WallpaperOnlyUnderDataCells)
{
    QImage pic(8, 8, QImage::Format_RGB32);
    pic.fill(qRgb(10, 200, 30));
    grid->Wallpaper().SetImage(pic);
    grid->SetExOptions({ocNoCaption, ocPaintWallpaper});
    const QImage img = grab(*grid);
    const QRect title = grid->cellRect(1, 0);
    EXPECT_EQ(img.pixel(title.right() - 1, title.bottom() - 1), grid->fixedColor().rgb());
    const QRect cell = dataCell(2, 4);
    EXPECT_EQ(img.pixel(cell.left() + 1, cell.bottom() - 1), qRgb(10, 200, 30));
}

TEST_F(DBGridFixture, EndOfEditIsGuardedAgainstColumnsThatWent)
{
    grid->SetOptions(dgTitles | dgRowLines | dgColLines | dgEditing);
    gridtest::focus(*grid);
    ds->setRecNo(2);
    grid->setCurrent(2, grid->RowOfRecord(2));
    grid->setColWidth(2, 200);
    grid->setRowHeight(2, 50);

    // An unchanged text posts nothing.
    QTest::keyClick(grid, Qt::Key_F2);
    ASSERT_TRUE(grid->editorMode());
    EXPECT_EQ(grid->Editor()->text(), "22");
    QTest::keyClick(grid->Editor(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(grid->colWidth(2), 200);

    // A changed one resets the column and row to the defaults.
    QTest::keyClick(grid, Qt::Key_F2);
    QTest::keyClicks(grid->Editor(), "7");
    QTest::keyClick(grid->Editor(), Qt::Key_Return);
    EXPECT_EQ(ds->asString("Items"), "7");
    QApplication::processEvents();
    EXPECT_EQ(grid->colWidth(2), 120);
    EXPECT_EQ(grid->rowHeight(2), 22);

    // The columns shrink between the notice and its handling.
    grid->setColWidth(1, 99);
    QTest::keyClick(grid, Qt::Key_F2);
    QTest::keyClicks(grid->Editor(), "8");
    QTest::keyClick(grid->Editor(), Qt::Key_Return);
    int calls = 0;
    grid->OnEndCellEditing = [&](QObject*, int, int, int&, int&) { ++calls; };
    grid->SetColumns({TColumn{"CaterGoryName", "", grid->font(), clWhite, taLeftJustify, 99}});
    QApplication::processEvents();
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(grid->colCount(), 1);
    grab(*grid);   // painting with the fewer columns is sound
    ds->cancel();
}

TEST_F(DBGridFixture, CtrlDeleteAsksAndDeletesTheCurrentRecord)
{
    grid->SetOptions(grid->Options() | dgConfirmDelete);
    gridtest::focus(*grid);
    ds->setRecNo(3);
    QStringList asked;
    bool answer = false;
    grid->OnConfirmDelete = [&](const QString& q) {
        asked << q;
        return answer;
    };
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(asked, QStringList{"Delete record?"});
    EXPECT_EQ(ds->recordCount(), 4);
    answer = true;
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(ds->recordCount(), 3);
    EXPECT_EQ(grid->rowCount(), 4);
    EXPECT_EQ(db.scalar(R"(SELECT COUNT(*) FROM "catergories" WHERE "CaterGoryName" = ?)", {"Laptops"}).toInt(), 0);
    // Without the option no question is asked.
    grid->SetOptions(grid->Options() & ~dgConfirmDelete);
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(asked.size(), 2);
    EXPECT_EQ(ds->recordCount(), 2);
}

TEST_F(DBGridFixture, LeavingTheGridDropsAnUntouchedNewRecord)
{
    QWidget other(&win);
    other.setFocusPolicy(Qt::StrongFocus);
    other.show();
    grid->SetOptions(grid->Options() | dgCancelOnExit);
    gridtest::focus(*grid);
    ds->append();
    other.setFocus();
    QApplication::processEvents();
    EXPECT_EQ(ds->state(), Dataset::State::Browse);
    EXPECT_EQ(grid->rowCount(), 5);

    // A new record that holds a value stays pending.
    gridtest::focus(*grid);
    ds->append();
    ds->setValue("CaterGoryName", "Cameras");
    other.setFocus();
    QApplication::processEvents();
    EXPECT_EQ(ds->state(), Dataset::State::Insert);
    ds->cancel();
}
