// Colours in their stored form, the text helper, shadowed text, the option set
// and the small control routines.
#include "CoolTools.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

QImage blank(int w, int h, QColor fill = Qt::white)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

int countPixels(const QImage& img, QRgb colour, const QRect& area = QRect())
{
    const QRect r = area.isNull() ? img.rect() : area;
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += (img.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return n;
}

QFont testFont()
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(14);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

} // namespace

TEST(CoolColour, StoredColoursAreBlueGreenRed)
{
    EXPECT_EQ(ColorToQColor(9783808), QColor(0, 74, 149));
    EXPECT_EQ(ColorToQColor(11793915), QColor(251, 245, 179));
    EXPECT_EQ(ColorToQColor(255), QColor(255, 0, 0));
    EXPECT_EQ(ColorToQColor(clBlue), QColor(0, 0, 255));
    EXPECT_EQ(QColorToColor(QColor(0, 74, 149)), 9783808u);
    EXPECT_EQ(RGBToColor(qRgb(251, 245, 179)), 11793915u);
}

TEST(CoolColour, SystemColoursComeFromThePalette)
{
    QPalette pal;
    pal.setColor(QPalette::Button, QColor(1, 2, 3));
    pal.setColor(QPalette::Highlight, QColor(4, 5, 6));
    pal.setColor(QPalette::Light, QColor(7, 8, 9));
    pal.setColor(QPalette::Dark, QColor(10, 11, 12));
    EXPECT_EQ(ColorToQColor(0xFF00000F, pal), QColor(1, 2, 3));
    EXPECT_EQ(ColorToQColor(clHighlight, pal), QColor(4, 5, 6));
    EXPECT_EQ(ColorToQColor(clBtnHighlight, pal), QColor(7, 8, 9));
    EXPECT_EQ(ColorToQColor(clBtnShadow, pal), QColor(10, 11, 12));
    EXPECT_TRUE(IsSystemColor(clBtnFace));
    EXPECT_FALSE(IsSystemColor(clWhite));
    EXPECT_EQ(ColorToQColor(clBtnFace), QGuiApplication::palette().color(QPalette::Button));
}

TEST(CoolColour, NoneAndDefaultDrawNothing)
{
    EXPECT_FALSE(ColorToQColor(clNone).isValid());
    EXPECT_FALSE(ColorToQColor(clDefault).isValid());
    EXPECT_EQ(clNone, 0x1FFFFFFFu);
    EXPECT_EQ(clDefault, 0x20000000u);

    QImage img = blank(40, 20);
    QPainter p(&img);
    p.setFont(testFont());
    QRect r(0, 0, 40, 20);
    DrawShadowText(p, r, spLeftTop, QStringLiteral("MM"), DT_LEFT, clNone, clNone, 1);
    p.end();
    EXPECT_EQ(countPixels(img, qRgb(255, 255, 255)), 40 * 20);
}

TEST(CoolText, LineBreaksAreNormalised)
{
    EXPECT_EQ(NormalizeLineBreaks(QStringLiteral("a\rb\r\nc\nd\r")), QStringLiteral("a\nb\nc\nd\n"));

    const QFont f = testFont();
    const int line = QFontMetrics(f).height();
    const QRect one = CoolCalcRect(f, QRect(0, 0, 200, 0), QStringLiteral("user"), DT_WORDBREAK);
    const QRect cr = CoolCalcRect(f, QRect(0, 0, 200, 0), QStringLiteral("user\rreason"), DT_WORDBREAK);
    const QRect crlf = CoolCalcRect(f, QRect(0, 0, 200, 0), QStringLiteral("user\r\nreason"), DT_WORDBREAK);
    EXPECT_GE(one.height(), line);
    EXPECT_EQ(cr.height(), 2 * one.height());
    EXPECT_EQ(crlf, cr);

    // The second line is drawn below the first, not as a blank in one line.
    QImage img = blank(200, 3 * line);
    QPainter p(&img);
    p.setFont(f);
    p.setPen(Qt::black);
    QRect r(0, 0, 200, 3 * line);
    CoolDrawText(p, r, QStringLiteral("user\rreason"), DT_WORDBREAK);
    p.end();
    EXPECT_GT(countPixels(img, qRgb(255, 255, 255), QRect(0, line, 200, line)), 0);
    EXPECT_LT(countPixels(img, qRgb(255, 255, 255), QRect(0, line, 200, line)), 200 * line);
}

TEST(CoolText, FormatFlagsMapToQt)
{
    EXPECT_EQ(DrawTextFlagsToQt(DT_LEFT | DT_NOPREFIX), int(Qt::AlignLeft | Qt::AlignTop));
    EXPECT_EQ(DrawTextFlagsToQt(DT_CENTER | DT_WORDBREAK | DT_NOPREFIX),
              int(Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap));
    EXPECT_EQ(DrawTextFlagsToQt(DT_RIGHT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX),
              int(Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine));
    EXPECT_TRUE(DrawTextFlagsToQt(DT_NOCLIP) & Qt::TextDontClip);
    EXPECT_TRUE(DrawTextFlagsToQt(DT_EXPANDTABS) & Qt::TextExpandTabs);
    EXPECT_TRUE(DrawTextFlagsToQt(DT_LEFT) & Qt::TextShowMnemonic);

    // "&" is measured as a character only with DT_NOPREFIX.
    const QFont f = testFont();
    const QRect literal = CoolCalcRect(f, QRect(0, 0, 100, 0), QStringLiteral("A&B"), DT_NOPREFIX);
    const QRect mnemonic = CoolCalcRect(f, QRect(0, 0, 100, 0), QStringLiteral("A&B"), 0);
    EXPECT_GT(literal.width(), mnemonic.width());

    // Word wrap keeps the width and grows the height.
    const QRect wrapped = CoolCalcRect(f, QRect(5, 7, 40, 0), QStringLiteral("one two three four"),
                                       DT_WORDBREAK);
    EXPECT_EQ(wrapped.topLeft(), QPoint(5, 7));
    EXPECT_LE(wrapped.width(), 40);
    EXPECT_GT(wrapped.height(), QFontMetrics(f).height());
}

TEST(CoolText, ShadowMovesTheCallersRectangle)
{
    QImage img = blank(60, 40);
    QPainter p(&img);
    const QRect start(10, 10, 30, 20);
    const struct {
        TShadowPosition pos;
        QPoint moved;
    } cases[] = {{spLeftTop, {13, 13}}, {spLeftBottom, {13, 10}}, {spRightBottom, {10, 10}},
                 {spRightTop, {10, 13}}};
    for (const auto& c : cases) {
        QRect r = start;
        DrawShadowText(p, r, c.pos, QStringLiteral("x"), DT_LEFT, clBlack, clWhite, 3);
        EXPECT_EQ(r.topLeft(), c.moved) << int(c.pos);
        EXPECT_EQ(r.size(), start.size());
    }
}

TEST(CoolText, TextColourWinsOverTheShadow)
{
    const QRgb text = qRgb(255, 0, 0), shadow = qRgb(0, 0, 255);
    const auto draw = [&](TShadowPosition pos, int size) {
        QImage img = blank(60, 30);
        QPainter p(&img);
        p.setFont(testFont());
        QRect r(0, 0, 60, 30);
        DrawShadowText(p, r, pos, QStringLiteral("MW"), DT_LEFT, RGBToColor(text),
                       RGBToColor(shadow), size);
        return img;
    };
    const QImage same = draw(spLeftTop, 0);
    EXPECT_GT(countPixels(same, text), 0);
    EXPECT_EQ(countPixels(same, shadow), 0);
    // With a shift the shadow shows beside the text.
    EXPECT_GT(countPixels(draw(spRightBottom, 2), shadow), 0);
}

TEST(CoolText, DisabledLookUsesButtonHighlightAndShadow)
{
    QPalette pal;
    pal.setColor(QPalette::Light, QColor(0, 200, 0));
    pal.setColor(QPalette::Dark, QColor(0, 0, 200));
    QImage img = blank(60, 30);
    QPainter p(&img);
    p.setFont(testFont());
    QRect r(0, 0, 60, 30);
    DrawDisabledText(p, r, QStringLiteral("MW"), DT_LEFT, pal);
    p.end();
    EXPECT_EQ(r, QRect(0, 0, 60, 30));
    EXPECT_GT(countPixels(img, qRgb(0, 200, 0)), 0);
    EXPECT_GT(countPixels(img, qRgb(0, 0, 200)), 0);
    // The shadow lies one pixel down-right: the bottom-right-most text pixel
    // has highlight to its lower right.
    int lastX = -1, lastY = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) == 0x0000C8 && x + y > lastX + lastY)
                lastX = x, lastY = y;
    ASSERT_GE(lastX, 0);
    EXPECT_EQ(img.pixel(lastX + 1, lastY + 1) & 0xFFFFFF, 0x00C800u);
}

TEST(CoolOptions, MembersAreBitNumbers)
{
    const TCoolOptions grids{ocNoCaption};
    EXPECT_EQ(grids.Value(), 4096u);
    EXPECT_EQ(TCoolOptions::FromValue(4096), grids);
    EXPECT_EQ(TCoolOptions({ocPaintWallpaper, ocPaintTransparently}).Value(), 1u | (1u << 20));
    EXPECT_EQ(TCoolOptions::FromValue(0xFFFFFFFF).Value(), (1u << 21) - 1);

    TCoolOptions o{ocFlatBorder, ocPaintWallpaper};
    EXPECT_TRUE(o.Contains(ocFlatBorder));
    EXPECT_FALSE(o.Without(ocFlatBorder).Contains(ocFlatBorder));
    EXPECT_TRUE(o.Contains(ocFlatBorder));   // Without leaves the original
    EXPECT_EQ(o.Names(), QStringList({"ocPaintWallpaper", "ocFlatBorder"}));
    bool ok = false;
    EXPECT_EQ(TCoolOptions::FromNames(o.Names(), &ok), o);
    EXPECT_TRUE(ok);
    TCoolOptions::FromNames({"ocNoSuchOption"}, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(CoolOptionName(ocPaintFormSemiTransparently), "ocPaintFormSemiTransparently");
}

TEST(CoolControls, CoolClassNamesAreCaseSensitive)
{
    EXPECT_TRUE(IsCoolClassName("CoolX"));
    EXPECT_TRUE(IsCoolClassName("XCoolY"));
    EXPECT_FALSE(IsCoolClassName("cool"));
    EXPECT_FALSE(IsCoolClassName("XCOOLY"));
    TCoolAnimate a;
    TCoolImages images;
    QWidget plain;
    EXPECT_TRUE(IsCoolControl(&a));
    EXPECT_TRUE(IsCoolControl(&images));
    EXPECT_FALSE(IsCoolControl(&plain));
    EXPECT_FALSE(IsCoolControl(nullptr));
}

TEST(CoolControls, ClimbParentsStopsAtTheTop)
{
    QWidget top;
    auto* mid = new QWidget(&top);
    auto* leaf = new QWidget(mid);
    EXPECT_EQ(ClimbParents(leaf, 0), leaf);
    EXPECT_EQ(ClimbParents(leaf, 1), mid);
    EXPECT_EQ(ClimbParents(leaf, 2), &top);
    EXPECT_EQ(ClimbParents(leaf, 200), &top);
    EXPECT_EQ(ClimbParents(nullptr, 3), nullptr);
}

TEST(CoolControls, SmallRoutines)
{
    QRect r(10, 10, 20, 20);
    AdjustRectSides(r, 1, 2, -3, 4);
    EXPECT_EQ(r, RectLTRB(11, 12, 27, 34));
    EXPECT_EQ(LargerOf(-3, 2), 2);
    QWidget w;
    EXPECT_FALSE(IsDesigning(&w));
    SetDesigning(&w, true);
    EXPECT_TRUE(IsDesigning(&w));
    EXPECT_TRUE(InvalidateArea(&w, QRect(0, 0, 5, 5), true));
    EXPECT_FALSE(InvalidateArea(nullptr, QRect(), false));
}
