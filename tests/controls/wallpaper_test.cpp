// Wallpapers tiled, stretched, inverted and clipped; the choice rule; bitmaps
// with a transparent colour; bevels, the flat border and see-through painting.
#include "CoolCtrls.h"

#include <QGuiApplication>
#include <QPainter>
#include <QStyle>
#include <QScrollArea>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace {

const QRgb quad[4] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)};

// 16 x 16 with four 8 x 8 quadrants of different colours.
QImage pattern()
{
    QImage img(16, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            img.setPixel(x, y, quad[(y / 8) * 2 + x / 8]);
    return img;
}

QImage canvas(int w, int h, QRgb fill = qRgb(255, 255, 255))
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

QRgb rgb(const QImage& img, int x, int y)
{
    return img.pixel(x, y) | 0xFF000000u;
}

} // namespace

TEST(CoolWallpaper, TilesFromTheTopLeftAndCutsAtTheEdges)
{
    QImage img = canvas(48, 24);
    QPainter p(&img);
    DrawWallpaper(p, pattern(), QRect(0, 0, 40, 20), false);
    p.end();
    const QImage pat = pattern();
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 48; ++x) {
            const QRgb want = (x < 40 && y < 20) ? rgb(pat, x % 16, y % 16) : qRgb(255, 255, 255);
            ASSERT_EQ(rgb(img, x, y), want) << x << "," << y;
        }
}

TEST(CoolWallpaper, TilingStartsAtTheRectanglesCorner)
{
    QImage img = canvas(40, 40);
    QPainter p(&img);
    DrawWallpaper(p, pattern(), QRect(5, 3, 30, 30), false);
    p.end();
    EXPECT_EQ(rgb(img, 5, 3), quad[0]);
    EXPECT_EQ(rgb(img, 13, 3), quad[1]);
    EXPECT_EQ(rgb(img, 21, 3), quad[0]);
    EXPECT_EQ(rgb(img, 4, 3), qRgb(255, 255, 255));
}

TEST(CoolWallpaper, StretchAndInvert)
{
    QImage img = canvas(40, 20);
    QPainter p(&img);
    DrawWallpaper(p, pattern(), QRect(0, 0, 40, 20), true);
    p.end();
    EXPECT_EQ(rgb(img, 0, 0), quad[0]);
    EXPECT_EQ(rgb(img, 39, 0), quad[1]);
    EXPECT_EQ(rgb(img, 0, 19), quad[2]);
    EXPECT_EQ(rgb(img, 39, 19), quad[3]);
    EXPECT_EQ(rgb(img, 19, 9), quad[0]);
    EXPECT_EQ(rgb(img, 20, 10), quad[3]);

    QImage inv = canvas(16, 16);
    QPainter pi(&inv);
    DrawWallpaper(pi, pattern(), QRect(0, 0, 16, 16), false, NOTSRCCOPY);
    pi.end();
    EXPECT_EQ(rgb(inv, 0, 0), qRgb(0, 255, 255));
    EXPECT_EQ(rgb(inv, 15, 15), qRgb(0, 0, 255));
}

TEST(CoolWallpaper, EmptyPictureOrRectangleDrawsNothing)
{
    QImage img = canvas(20, 20);
    QPainter p(&img);
    DrawWallpaper(p, QImage(), QRect(0, 0, 20, 20), false);
    DrawWallpaper(p, QImage(0, 5, QImage::Format_RGB32), QRect(0, 0, 20, 20), false);
    DrawWallpaper(p, pattern(), QRect(0, 0, 0, 20), false);
    DrawWallpaperClipped(p, QImage(), QRect(0, 0, 20, 20), QRect(0, 0, 5, 5), false);
    p.end();
    EXPECT_EQ(img, canvas(20, 20));
}

TEST(CoolWallpaper, ClippedCellsFormOnePicture)
{
    QImage img = canvas(48, 32);
    QPainter p(&img);
    const QRect client(0, 0, 48, 32);
    const QRect cell(20, 10, 10, 10);
    DrawWallpaperClipped(p, pattern(), client, cell, false);
    EXPECT_FALSE(p.hasClipping());
    p.end();
    const QImage pat = pattern();
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 48; ++x) {
            const QRgb want = cell.contains(x, y) ? rgb(pat, x % 16, y % 16) : qRgb(255, 255, 255);
            ASSERT_EQ(rgb(img, x, y), want) << x << "," << y;
        }
}

TEST(CoolWallpaper, ClipEqualToRectLeavesThePaintersClipAlone)
{
    QImage img = canvas(32, 32);
    QPainter p(&img);
    p.setClipRect(QRect(0, 0, 8, 8));
    DrawWallpaperClipped(p, pattern(), QRect(0, 0, 32, 32), QRect(0, 0, 32, 32), false);
    EXPECT_EQ(p.clipBoundingRect().toRect(), QRect(0, 0, 8, 8));
    p.end();
    EXPECT_EQ(rgb(img, 7, 7), quad[0]);
    EXPECT_EQ(rgb(img, 9, 0), qRgb(255, 255, 255));
}

TEST(CoolWallpaper, ChoiceRule)
{
    TCoolImages images;
    TImageItem* full = images.Images().Add();
    full->SetPicture(pattern());
    images.Images().Add();   // empty picture
    CoolBitmap own(canvas(4, 4, qRgb(1, 2, 3)));
    const CoolBitmap none;

    EXPECT_EQ(ChooseWallpaper(&images, 0, &own), &full->Bitmap());
    EXPECT_EQ(ChooseWallpaper(&images, -1, &own), &own);
    EXPECT_EQ(ChooseWallpaper(&images, 1, &own), &own);   // empty entry
    EXPECT_EQ(ChooseWallpaper(&images, 2, &own), &own);   // index == Count
    EXPECT_EQ(ChooseWallpaper(nullptr, 0, &own), &own);
    EXPECT_EQ(ChooseWallpaper(&images, 1, &none), nullptr);
    EXPECT_EQ(ChooseWallpaper(&images, 5, nullptr), nullptr);
    EXPECT_TRUE(HasWallpaper(&images, 0, nullptr));
    EXPECT_FALSE(HasWallpaper(&images, 1, &none));
}

TEST(CoolBitmapTest, TransparentColourAndAssign)
{
    QImage img = canvas(4, 4, qRgb(10, 20, 30));
    img.setPixel(0, 3, qRgb(128, 128, 0));
    CoolBitmap b(img);
    EXPECT_EQ(b.TransparentMode(), tmAuto);
    EXPECT_EQ(b.TransparentColor(), clOlive);   // the bottom-left pixel
    int changes = 0;
    b.OnChange = [&](CoolBitmap*) { ++changes; };
    b.SetTransparentColor(clRed);
    EXPECT_EQ(b.TransparentMode(), tmFixed);
    EXPECT_EQ(b.TransparentColor(), clRed);
    EXPECT_EQ(changes, 1);

    CoolBitmap copy;
    copy.Assign(b);
    EXPECT_EQ(copy.Image(), b.Image());
    EXPECT_EQ(copy.TransparentColor(), clRed);
    TImages items(nullptr);
    EXPECT_THROW(copy.Assign(*items.Add()), EConvertError);
}

TEST(CoolBitmapTest, TransparentPixelsLeaveTheDestination)
{
    QImage src = canvas(4, 4, qRgb(255, 0, 255));
    src.setPixel(1, 1, qRgb(0, 0, 255));
    QImage dst = canvas(8, 8, qRgb(0, 255, 0));
    QPainter p(&dst);
    DrawTransparentBitmap(p, src, QRect(0, 0, 4, 4), src.rect(), clFuchsia);
    DrawTransparentBitmap(p, src, QRect(0, 4, 8, 4), QRect(0, 0, 4, 2), clFuchsia);   // scaled
    p.end();
    EXPECT_EQ(rgb(dst, 0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(rgb(dst, 1, 1), qRgb(0, 0, 255));
    EXPECT_EQ(rgb(dst, 2, 2), qRgb(0, 255, 0));
    // The source's 4 x 2 strip doubled in width: pixel (1,1) covers x 2..3, y 6..7.
    EXPECT_EQ(rgb(dst, 2, 6), qRgb(0, 0, 255));
    EXPECT_EQ(rgb(dst, 3, 7), qRgb(0, 0, 255));
    EXPECT_EQ(rgb(dst, 1, 6), qRgb(0, 255, 0));
    EXPECT_EQ(rgb(dst, 4, 6), qRgb(0, 255, 0));
}

TEST(CoolBevel, EdgesUseThePalettesLightAndShadow)
{
    const QPalette pal = QGuiApplication::palette();
    const auto c = [&](TColor col) { return ColorToRGB(col, pal) | 0xFF000000u; };
    QImage img = canvas(10, 10, qRgb(1, 2, 3));
    QPainter p(&img);
    QRect r(0, 0, 10, 10);
    DrawEdge(p, r, BDR_RAISEDOUTER | BDR_RAISEDINNER, BF_RECT | BF_ADJUST, pal);
    p.end();
    EXPECT_EQ(r, QRect(2, 2, 6, 6));
    EXPECT_EQ(rgb(img, 0, 0), c(cl3DLight));
    EXPECT_EQ(rgb(img, 9, 9), c(cl3DDkShadow));
    EXPECT_EQ(rgb(img, 1, 1), c(clBtnHighlight));
    EXPECT_EQ(rgb(img, 8, 8), c(clBtnShadow));
    EXPECT_EQ(rgb(img, 5, 5), qRgb(1, 2, 3));

    QImage sunk = canvas(10, 10, qRgb(1, 2, 3));
    QPainter ps(&sunk);
    QRect rs(0, 0, 10, 10);
    DrawEdge(ps, rs, BevelEdge(bvNone, bvLowered), BF_RECT, pal);
    ps.end();
    EXPECT_EQ(rs, QRect(0, 0, 10, 10));   // no BF_ADJUST
    EXPECT_EQ(rgb(sunk, 0, 5), c(clBtnShadow));
    EXPECT_EQ(rgb(sunk, 9, 5), c(clBtnHighlight));
    EXPECT_EQ(rgb(sunk, 1, 1), qRgb(1, 2, 3));
    EXPECT_EQ(BevelEdge(bvLowered, bvRaised), unsigned(BDR_SUNKENINNER | BDR_RAISEDOUTER));
    EXPECT_EQ(BevelEdge(bvSpace, bvSpace), 0u);
}

TEST(CoolFlatBorder, PlainControlGetsAWindowColourFrame)
{
    QWidget w;
    w.resize(20, 20);
    const QPalette& pal = w.palette();
    const auto c = [&](TColor col) { return ColorToRGB(col, pal) | 0xFF000000u; };
    QImage img = canvas(20, 20, qRgb(1, 2, 3));
    QPainter p(&img);
    DrawFlatBorder(p, &w, false);
    p.end();
    EXPECT_EQ(rgb(img, 0, 0), c(clBtnFace));
    EXPECT_EQ(rgb(img, 1, 1), c(clBtnFace));
    EXPECT_EQ(rgb(img, 2, 2), c(clWindow));
    EXPECT_EQ(rgb(img, 17, 17), c(clWindow));
    EXPECT_EQ(rgb(img, 3, 3), qRgb(1, 2, 3));

    QImage hot = canvas(20, 20, qRgb(1, 2, 3));
    QPainter ph(&hot);
    DrawFlatBorder(ph, &w, true);
    ph.end();
    EXPECT_EQ(rgb(hot, 0, 0), c(clBtnShadow));
    EXPECT_EQ(rgb(hot, 19, 19), c(clBtnHighlight));
}

TEST(CoolFlatBorder, ScrollAreaGetsCornerStripsAndNoWindowFrame)
{
    QScrollArea area;
    area.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    area.resize(100, 80);
    area.show();
    ASSERT_TRUE(area.verticalScrollBar()->isVisible());
    const QPalette& pal = area.palette();
    const QRgb face = ColorToRGB(clBtnFace, pal) | 0xFF000000u;
    const int cy = area.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &area);
    QImage img = canvas(100, 80, qRgb(1, 2, 3));
    QPainter p(&img);
    DrawFlatBorder(p, &area, false);
    p.end();
    // The frames leave the rectangle (1, 1, 99, 79) for the strips.
    EXPECT_EQ(rgb(img, 99 - cy, 77), face);   // vertical bar's strip
    EXPECT_EQ(rgb(img, 98 - cy, 77), qRgb(1, 2, 3));
    EXPECT_EQ(rgb(img, 97, 79 - cy), face);   // horizontal bar's strip
    EXPECT_EQ(rgb(img, 97, 78 - cy), qRgb(1, 2, 3));
    EXPECT_EQ(rgb(img, 2, 2), qRgb(1, 2, 3));
    EXPECT_EQ(rgb(img, 50, 77), qRgb(1, 2, 3));
}

namespace {
// A parent whose left half is blue and right half yellow.
class HalvesWidget : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(QRect(0, 0, width() / 2, height()), QColor(0, 0, 255));
        p.fillRect(QRect(width() / 2, 0, width() - width() / 2, height()), QColor(255, 255, 0));
    }
};
} // namespace

TEST(CoolSeeThrough, PaintsTheParentsLookAtTheControlsPlace)
{
    HalvesWidget parent;
    parent.resize(100, 40);
    auto* child = new QWidget(&parent);
    child->setGeometry(40, 10, 20, 20);   // straddles the middle at x = 50
    QImage img = canvas(20, 20, qRgb(1, 2, 3));
    QPainter p(&img);
    PaintParentBackground(ClimbParents(child, 0), p);
    p.end();
    EXPECT_EQ(rgb(img, 0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(rgb(img, 9, 19), qRgb(0, 0, 255));
    EXPECT_EQ(rgb(img, 10, 0), qRgb(255, 255, 0));
    EXPECT_EQ(rgb(img, 19, 19), qRgb(255, 255, 0));

    QImage clipped = canvas(20, 20, qRgb(1, 2, 3));
    QPainter pc(&clipped);
    PaintParentBackgroundClipped(child, pc, QRect(12, 0, 4, 4));
    pc.end();
    EXPECT_EQ(rgb(clipped, 12, 0), qRgb(255, 255, 0));
    EXPECT_EQ(rgb(clipped, 16, 0), qRgb(1, 2, 3));
    EXPECT_EQ(rgb(clipped, 0, 0), qRgb(1, 2, 3));
}

TEST(CoolSeeThrough, WithoutAParentNothingIsPainted)
{
    QWidget top;
    top.resize(20, 20);
    QImage img = canvas(20, 20, qRgb(1, 2, 3));
    QPainter p(&img);
    PaintParentBackground(&top, p);
    PaintParentBackground(ClimbParents(&top, 3), p);
    PaintParentBackground(nullptr, p);
    p.end();
    EXPECT_EQ(img, canvas(20, 20, qRgb(1, 2, 3)));
}
