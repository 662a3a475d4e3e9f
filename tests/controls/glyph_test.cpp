// The glyph, its state images and the shared cache of image lists.
#include "CoolUtils.h"

#include <QGuiApplication>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

CoolBitmap solid(int w, int h, QRgb c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return CoolBitmap(img);
}

// An olive square with a black 4 x 4 block at (2, 2).
CoolBitmap blackOnOlive()
{
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(qRgb(128, 128, 0));
    for (int y = 2; y < 6; ++y)
        for (int x = 2; x < 6; ++x)
            img.setPixel(x, y, qRgb(0, 0, 0));
    return CoolBitmap(img);
}

QRgb palRgb(TColor c)
{
    return ColorToRGB(c, QGuiApplication::palette()) | 0xFF000000u;
}

class GlyphTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(GlyphCache(), nullptr); }
    void TearDown() override { EXPECT_EQ(GlyphCache(), nullptr); }
};

} // namespace

TEST_F(GlyphTest, NumberOfImagesFollowsTheBitmapsShape)
{
    TGlyph g;
    int changes = 0;
    g.OnChange = [&](TGlyph*) { ++changes; };
    CoolBitmap b40 = solid(40, 20, qRgb(1, 1, 1));
    g.SetGlyph(&b40);
    EXPECT_EQ(g.NumGlyphs(), 2);
    EXPECT_GT(changes, 0);
    CoolBitmap b30 = solid(30, 20, qRgb(1, 1, 1));
    g.SetGlyph(&b30);
    EXPECT_EQ(g.NumGlyphs(), 2);   // not a multiple: kept
    CoolBitmap b100 = solid(100, 20, qRgb(1, 1, 1));
    g.SetGlyph(&b100);
    EXPECT_EQ(g.NumGlyphs(), 1);   // five images are too many
    CoolBitmap b80 = solid(80, 20, qRgb(1, 1, 1));
    g.SetGlyph(&b80);
    EXPECT_EQ(g.NumGlyphs(), 4);
    g.SetNumGlyphs(0);
    EXPECT_EQ(g.NumGlyphs(), 4);
}

TEST_F(GlyphTest, ListSlotsAreReused)
{
    TGlyphList list(4, 4);
    const CoolBitmap img = solid(4, 4, qRgb(1, 2, 3));
    EXPECT_EQ(list.AddMasked(img, clNone), 0);
    EXPECT_EQ(list.AddMasked(img, clNone), 1);
    EXPECT_EQ(list.AddMasked(img, clNone), 2);
    list.Delete(1);
    EXPECT_EQ(list.Count(), 2);
    list.Delete(1);   // not in use: nothing changes
    list.Delete(17);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.AddMasked(img, clNone), 1);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Capacity(), 3);
}

TEST_F(GlyphTest, MaskColourBecomesTransparent)
{
    TGlyphList list(8, 8);
    const int slot = list.AddMasked(blackOnOlive(), clOlive);
    const QImage& img = list.ImageAt(slot);
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
    EXPECT_EQ(img.pixel(3, 3), qRgba(0, 0, 0, 255));
    // clDefault takes the bitmap's own transparent colour (bottom-left pixel).
    const int slot2 = list.AddMasked(blackOnOlive(), clDefault);
    EXPECT_EQ(qAlpha(list.ImageAt(slot2).pixel(7, 0)), 0);
}

TEST_F(GlyphTest, CacheSharesOneListPerSize)
{
    TGlyphCache cache;
    auto a = cache.GetList(16, 16);
    auto b = cache.GetList(16, 16);
    auto c = cache.GetList(16, 8);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_EQ(cache.ListCount(), 2);
    a->AddMasked(solid(16, 16, qRgb(1, 1, 1)), clNone);
    cache.ReturnList(a);
    EXPECT_EQ(cache.ListCount(), 2);   // still in use
    a->Delete(0);
    cache.ReturnList(a);
    cache.ReturnList(c);
    EXPECT_TRUE(cache.Empty());
}

TEST_F(GlyphTest, AListGivenUpByTheCacheStaysAliveForItsHolders)
{
    TGlyphCache cache;
    auto held = cache.GetList(8, 8);   // taken, nothing added yet
    std::weak_ptr<TGlyphList> watch = held;
    auto other = cache.GetList(8, 8);
    cache.ReturnList(other);   // count 0: the cache gives it up
    other.reset();
    EXPECT_TRUE(cache.Empty());
    ASSERT_FALSE(watch.expired());
    EXPECT_EQ(held->AddMasked(solid(8, 8, qRgb(1, 1, 1)), clNone), 0);
    held.reset();
    EXPECT_TRUE(watch.expired());
}

TEST_F(GlyphTest, CacheLivesWhileGlyphsNeedIt)
{
    {
        TGlyph a;
        ASSERT_NE(GlyphCache(), nullptr);
        CoolBitmap bmp = blackOnOlive();
        a.SetGlyph(&bmp);
        {
            TGlyph b;
            b.SetGlyph(&bmp);
            EXPECT_GE(b.CreateStateImage(1), 0);
            EXPECT_GE(a.CreateStateImage(1), 0);
            EXPECT_EQ(a.GlyphList(), b.GlyphList());
            EXPECT_EQ(a.GlyphList()->Count(), 2);
        }
        ASSERT_NE(GlyphCache(), nullptr);
        EXPECT_EQ(GlyphCache()->ListCount(), 1);
        EXPECT_EQ(a.GlyphList()->Count(), 1);
    }
    // the fixture checks the cache is gone
}

TEST_F(GlyphTest, BitmapChangeDropsBothStateImages)
{
    TGlyph g;
    CoolBitmap bmp = blackOnOlive();
    g.SetGlyph(&bmp);
    EXPECT_GE(g.CreateStateImage(0), 0);
    EXPECT_GE(g.CreateStateImage(1), 0);
    auto list = g.GlyphList();
    EXPECT_EQ(list->Count(), 2);
    QImage blue = blackOnOlive().Image();
    blue.setPixel(3, 3, qRgb(0, 0, 255));
    CoolBitmap other(blue);
    g.SetGlyph(&other);
    EXPECT_EQ(g.Index(0), -1);
    EXPECT_EQ(g.Index(1), -1);
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(g.GlyphList(), nullptr);

    QImage canvas(20, 20, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter p(&canvas);
    g.Draw(p, QPoint(0, 0), 1, true, clNone);
    p.end();
    EXPECT_NE(g.Index(1), -1);
    EXPECT_EQ(g.Index(0), -1);   // only the state drawn is built
    EXPECT_EQ(canvas.pixel(3, 3) | 0xFF000000u, qRgb(0, 0, 255));
}

TEST_F(GlyphTest, EnabledImageLeavesOutTheTransparentColour)
{
    TGlyph g;
    CoolBitmap bmp = blackOnOlive();
    g.SetGlyph(&bmp);
    EXPECT_EQ(g.TransparentColor(), clOlive);
    QImage canvas(10, 10, QImage::Format_RGB32);
    canvas.fill(qRgb(255, 255, 255));
    QPainter p(&canvas);
    g.Draw(p, QPoint(1, 1), 1, true, clNone);
    p.end();
    EXPECT_EQ(canvas.pixel(1, 1) | 0xFF000000u, qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(4, 4) | 0xFF000000u, qRgb(0, 0, 0));
}

TEST_F(GlyphTest, DisabledLookIsEngraved)
{
    TGlyph g;
    CoolBitmap bmp = blackOnOlive();
    g.SetGlyph(&bmp);
    const int slot = g.CreateStateImage(0);
    ASSERT_GE(slot, 0);
    const QImage& img = g.GlyphList()->ImageAt(slot);
    EXPECT_EQ(img.pixel(2, 2), palRgb(clBtnShadow));
    EXPECT_EQ(img.pixel(5, 5), palRgb(clBtnShadow));
    EXPECT_EQ(img.pixel(6, 6), palRgb(clBtnHighlight));   // shape + (1, 1)
    EXPECT_EQ(img.pixel(6, 3), palRgb(clBtnHighlight));
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);                 // face is left out
}

TEST_F(GlyphTest, SecondImageIsRecolouredForTheDisabledState)
{
    QImage img(8, 4, QImage::Format_RGB32);
    img.fill(qRgb(128, 128, 0));
    img.setPixel(4, 0, qRgb(255, 255, 255));
    img.setPixel(5, 0, qRgb(128, 128, 128));
    img.setPixel(6, 0, qRgb(10, 20, 30));
    CoolBitmap bmp(img);
    TGlyph g;
    g.SetGlyph(&bmp);
    ASSERT_EQ(g.NumGlyphs(), 2);
    const int slot = g.CreateStateImage(0);
    ASSERT_GE(slot, 0);
    const QImage& d = g.GlyphList()->ImageAt(slot);
    EXPECT_EQ(d.pixel(0, 0), palRgb(clBtnHighlight));
    EXPECT_EQ(d.pixel(1, 0), palRgb(clBtnShadow));
    EXPECT_EQ(d.pixel(2, 0), qRgb(10, 20, 30));
}

TEST_F(GlyphTest, ImagesNarrowerThanAPixelDrawNothing)
{
    TGlyph g;
    CoolBitmap bmp = solid(3, 20, qRgb(0, 0, 0));
    g.SetGlyph(&bmp);
    g.SetNumGlyphs(4);   // 3 div 4 = 0 pixels wide
    EXPECT_EQ(g.CreateStateImage(1), -1);
    EXPECT_EQ(g.CreateStateImage(0), -1);
    QImage canvas(10, 10, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter p(&canvas);
    g.Draw(p, QPoint(0, 0), 1, false, clRed);
    p.end();
    EXPECT_EQ(canvas.pixel(0, 0) | 0xFF000000u, qRgb(255, 255, 255));
    TGlyph empty;
    EXPECT_EQ(empty.CreateStateImage(1), -1);
}
