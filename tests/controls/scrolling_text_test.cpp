// The scrolling text: entry positions, the walk and wrap in each direction,
// setters, the extent, drawing and the clock.
#include "CoolCtrls.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <gtest/gtest.h>

namespace {

QFont testFont()
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(16);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

QRgb at(const QImage& img, int x, int y)
{
    return img.pixel(x, y) | 0xFF000000u;
}

int count(const QImage& img, QRgb c)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += at(img, x, y) == (c | 0xFF000000u);
    return n;
}

struct Fixture {
    QWidget form;
    TCoolScrollingText* text;
    Fixture()
    {
        QPalette pal = form.palette();
        pal.setColor(QPalette::Window, QColor(0, 160, 0));
        form.setPalette(pal);
        form.setAutoFillBackground(true);
        form.resize(300, 100);
        text = new TCoolScrollingText(&form);
        text->setFont(testFont());
        text->setGeometry(10, 10, 60, 25);
        text->SetStrings({QStringLiteral("Hello")});
    }
};

} // namespace

TEST(CoolScrollingText, Defaults)
{
    TCoolScrollingText t;
    EXPECT_EQ(t.size(), QSize(97, 15));
    EXPECT_EQ(t.Interval(), 25u);
    EXPECT_EQ(t.ScrollDirection(), sdRightToLeft);
    EXPECT_EQ(t.ShadowColor(), clBtnHighlight);
    EXPECT_EQ(t.ShadowSize(), 1);
    EXPECT_EQ(t.ShadowPos(), spLeftTop);
    EXPECT_TRUE(t.ShowAccelChar());
    EXPECT_FALSE(t.Active());
    EXPECT_EQ(t.idWallpaper(), -1);
    EXPECT_TRUE(t.Strings().isEmpty());
    EXPECT_FALSE(t.Timer().Enabled());
}

TEST(CoolScrollingText, EntryPositionsByDirection)
{
    Fixture f;
    const struct {
        TScrollDirection d;
        QPoint p;
    } cases[] = {{sdRightToLeft, {60, 0}}, {sdLeftToRight, {-60, 0}}, {sdTopToBottom, {0, -25}},
                 {sdBottomToTop, {0, 25}}};
    for (const auto& c : cases) {
        f.text->SetScrollDirection(c.d);
        f.text->ResetPosition(false);
        EXPECT_EQ(QPoint(f.text->X(), f.text->Y()), c.p) << int(c.d);
        f.text->ResetPosition(true);
        EXPECT_EQ(QPoint(f.text->X(), f.text->Y()), QPoint(0, 0));
    }
    f.text->SetScrollDirection(sdRightToLeft);
    f.text->Loaded();
    EXPECT_EQ(f.text->X(), 60);
    SetDesigning(f.text, true);
    f.text->ResetPosition(false);
    EXPECT_EQ(QPoint(f.text->X(), f.text->Y()), QPoint(0, 0));
}

TEST(CoolScrollingText, ACodeBuiltControlEntersFromItsEdgeWhenFirstShown)
{
    // Built in code, with no loading step: the first text still comes in
    // from the right edge of the control's final size, not from (0, 0).
    Fixture f;
    f.text->SetActive(true);
    f.text->setGeometry(10, 10, 120, 25);
    f.form.show();
    EXPECT_EQ(QPoint(f.text->X(), f.text->Y()), QPoint(120, 0));
    // Showing again later does not move the text back.
    f.text->Tick();
    f.text->hide();
    f.text->show();
    EXPECT_EQ(f.text->X(), 119);
}

TEST(CoolScrollingText, RightToLeftWrapsOnceTheTextHasLeft)
{
    Fixture f;
    f.text->SetShadowSize(0);
    f.text->ResetPosition(false);
    int scrolled = 0;
    bool seen = true;
    f.text->OnTextScrolled = [&](QObject* sender, bool& initial) {
        EXPECT_EQ(sender, f.text);
        seen = initial;
        ++scrolled;
    };
    const int extent = f.text->TextExtent().width();
    ASSERT_GT(extent, 20);
    for (int i = 0; i < 60 + extent; ++i)
        f.text->Tick();
    EXPECT_EQ(f.text->X(), -extent);
    EXPECT_EQ(scrolled, 0);
    f.text->Tick();
    EXPECT_EQ(scrolled, 1);
    EXPECT_FALSE(seen);
    EXPECT_EQ(f.text->X(), 60);

    // A handler that asks for the initial position parks the text at (0, 0).
    f.text->OnTextScrolled = [](QObject*, bool& initial) { initial = true; };
    for (int i = 0; i < 60 + extent + 1; ++i)
        f.text->Tick();
    EXPECT_EQ(QPoint(f.text->X(), f.text->Y()), QPoint(0, 0));
}

TEST(CoolScrollingText, VerticalAndLeftToRightWraps)
{
    Fixture f;
    f.text->SetScrollDirection(sdTopToBottom);
    f.text->ResetPosition(false);
    int scrolled = 0;
    f.text->OnTextScrolled = [&](QObject*, bool&) { ++scrolled; };
    for (int i = 0; i < 50; ++i)
        f.text->Tick();
    EXPECT_EQ(f.text->Y(), 25);   // wraps at the control's height
    EXPECT_EQ(scrolled, 0);
    f.text->Tick();
    EXPECT_EQ(scrolled, 1);
    EXPECT_EQ(f.text->Y(), -25);

    f.text->SetScrollDirection(sdBottomToTop);
    f.text->ResetPosition(false);
    const int h = f.text->TextExtent().height();
    for (int i = 0; i < 25 + h; ++i)
        f.text->Tick();
    EXPECT_EQ(f.text->Y(), -h);
    f.text->Tick();
    EXPECT_EQ(f.text->Y(), 25);

    f.text->SetScrollDirection(sdLeftToRight);
    f.text->ResetPosition(false);
    for (int i = 0; i < 120; ++i)
        f.text->Tick();
    EXPECT_EQ(f.text->X(), 60);
    f.text->Tick();
    EXPECT_EQ(f.text->X(), -60);
}

TEST(CoolScrollingText, Setters)
{
    Fixture f;
    f.text->SetScrollDirection(sdTopToBottom);
    f.text->SetAlignment(taCenter);
    f.text->SetScrollDirection(sdLeftToRight);
    EXPECT_EQ(f.text->Alignment(), taLeftJustify);

    f.text->SetSimpleView(true);
    f.text->SetShadowColor(clRed);
    EXPECT_FALSE(f.text->SimpleView());
    f.text->SetSimpleView(true);
    f.text->SetShadowSize(3);
    EXPECT_FALSE(f.text->SimpleView());
    f.text->SetSimpleView(true);
    f.text->SetShadowPos(spRightTop);
    EXPECT_FALSE(f.text->SimpleView());

    f.text->SetNumGlyphs(3);
    EXPECT_EQ(f.text->NumGlyphs(), 2);

    const int before = f.text->RepaintRequests();
    f.text->SetShadowPos(spRightTop);
    f.text->SetTransparent(false);
    f.text->SetInterval(25);
    f.text->SetAlignment(taLeftJustify);
    f.text->SetIdWallpaper(-1);
    EXPECT_EQ(f.text->RepaintRequests(), before);
    f.text->SetTransparent(true);
    EXPECT_EQ(f.text->RepaintRequests(), before + 1);
}

TEST(CoolScrollingText, ExtentIncludesShadowAndGlyph)
{
    Fixture f;
    const QRect plain = CoolCalcRect(testFont(), f.text->rect(), QStringLiteral("Hello\r\n "),
                                     DT_NOPREFIX | DT_EXPANDTABS);
    f.text->SetShadowSize(3);
    QRect e = f.text->TextExtent();
    EXPECT_EQ(e.topLeft(), QPoint(3, 3));   // spLeftTop: the text sits 3 further in
    EXPECT_EQ(e.size(), plain.size());
    f.text->SetShadowPos(spRightBottom);
    EXPECT_EQ(f.text->TextExtent().topLeft(), QPoint(0, 0));

    QImage g(40, 50, QImage::Format_RGB32);
    g.fill(qRgb(128, 128, 0));
    f.text->SetGlyph(CoolBitmap(g));   // 40 x 50: one image
    e = f.text->TextExtent();
    EXPECT_EQ(RightOf(e), plain.width() + 40 + 2);
    EXPECT_EQ(BottomOf(e), 50);

    // Several lines wrap in the control's width.
    Fixture two;
    two.text->SetStrings({"one", "two"});
    EXPECT_GE(two.text->TextExtent().height(), 2 * QFontMetrics(testFont()).height());
}

TEST(CoolScrollingText, AmpersandIsDrawnAsTyped)
{
    Fixture f;
    f.text->SetStrings({QStringLiteral("A&&B")});
    f.text->SetShadowSize(0);
    const int literal = f.text->TextExtent().width();
    f.text->SetShowAccelChar(false);
    const int mnemonic = f.text->TextExtent().width();
    EXPECT_GT(literal, mnemonic);
}

TEST(CoolScrollingText, TransparentShowsTheParentAndOpaqueFillsItsColour)
{
    Fixture f;
    f.text->SetStrings({});
    f.text->SetTransparent(true);
    QImage img = f.form.grab(QRect(10, 10, 60, 25)).toImage();
    EXPECT_EQ(count(img, qRgb(0, 160, 0)), 60 * 25);

    f.text->SetTransparent(false);
    f.text->SetColor(clRed);
    img = f.form.grab(QRect(10, 10, 60, 25)).toImage();
    EXPECT_EQ(count(img, qRgb(255, 0, 0)), 60 * 25);
}

TEST(CoolScrollingText, TextColourShadowAndDisabledLook)
{
    Fixture f;
    f.text->SetTransparent(true);
    f.text->SetFontColor(11793915);
    f.text->SetShadowColor(clBlue);
    f.text->SetShadowSize(1);
    f.text->ResetPosition(true);
    QImage img = f.form.grab(QRect(10, 10, 60, 25)).toImage();
    EXPECT_GT(count(img, qRgb(251, 245, 179)), 0);
    EXPECT_GT(count(img, qRgb(0, 0, 255)), 0);

    f.text->SetShadowSize(0);   // shadow under the text: invisible
    img = f.form.grab(QRect(10, 10, 60, 25)).toImage();
    EXPECT_GT(count(img, qRgb(251, 245, 179)), 0);
    EXPECT_EQ(count(img, qRgb(0, 0, 255)), 0);

    QPalette pal = f.text->palette();
    pal.setColor(QPalette::Light, QColor(200, 0, 0));
    pal.setColor(QPalette::Dark, QColor(0, 0, 200));
    f.text->setPalette(pal);
    f.text->setEnabled(false);
    img = f.form.grab(QRect(10, 10, 60, 25)).toImage();
    EXPECT_EQ(count(img, qRgb(251, 245, 179)), 0);
    EXPECT_GT(count(img, qRgb(200, 0, 0)), 0);
    EXPECT_GT(count(img, qRgb(0, 0, 200)), 0);
}

TEST(CoolScrollingText, WallpaperFromTheCollection)
{
    Fixture f;
    f.text->SetStrings({});
    TCoolImages images;
    QImage blue(8, 8, QImage::Format_RGB32);
    blue.fill(qRgb(0, 0, 255));
    images.Images().Add()->SetPicture(blue);
    f.text->SetCoolImages(&images);
    f.text->SetIdWallpaper(0);
    QImage img = f.form.grab(QRect(10, 10, 60, 25)).toImage();
    EXPECT_EQ(count(img, qRgb(0, 0, 255)), 60 * 25);
    const int before = f.text->RepaintRequests();
    images.Change();
    EXPECT_GT(f.text->RepaintRequests(), before);
}

TEST(CoolScrollingText, TimerIntervalIsClampedAndFollowsActive)
{
    Fixture f;
    f.text->SetActive(true);
    EXPECT_TRUE(f.text->Timer().Enabled());
    EXPECT_TRUE(f.text->Timer().Armed());
    EXPECT_EQ(f.text->Timer().Interval(), 25);
    f.text->SetInterval(70000);
    EXPECT_EQ(f.text->Timer().Interval(), 65535);
    EXPECT_EQ(f.text->Timer().PendingInterval(), 65535);
    f.text->SetInterval(40);
    EXPECT_EQ(f.text->Timer().PendingInterval(), 40);

    // A tick from the clock moves the text.
    f.text->ResetPosition(false);
    f.text->Timer().DoTimer();
    EXPECT_EQ(f.text->X(), 59);

    f.text->SetActive(false);
    EXPECT_FALSE(f.text->Timer().Armed());
    SetDesigning(f.text, true);
    f.text->SetActive(true);
    EXPECT_FALSE(f.text->Timer().Armed());   // never at design time
}

TEST(CoolScrollingText, TimerRearmsAfterEachTickAndStopsWithTheControl)
{
    TThreadTimer timer;
    int ticks = 0;
    timer.OnTimer = [&](TThreadTimer*) { ++ticks; };
    timer.SetInterval(0);
    EXPECT_FALSE(timer.Armed());
    timer.SetEnabled(true);
    ASSERT_TRUE(timer.Armed());
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_GE(ticks, 1);
    EXPECT_TRUE(timer.Armed());
    timer.SetEnabled(false);
    const int seen = ticks;
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks, seen);

    // Destroyed while active with a tick due: nothing runs afterwards.
    auto* form = new QWidget;
    auto* text = new TCoolScrollingText(form);
    text->SetInterval(0);
    text->SetActive(true);
    delete form;
    QCoreApplication::processEvents();

    // A handler that frees the control from its own tick (the text has
    // scrolled out and its window closes): the clock touches nothing after.
    auto* owner = new QWidget;
    auto* gone = new TCoolScrollingText(owner);
    QPointer<QWidget> watch(gone);
    gone->SetStrings({QStringLiteral("x")});
    gone->SetInterval(0);
    gone->SetActive(true);
    gone->OnTextScrolled = [owner](QObject*, bool&) { delete owner; };
    for (int i = 0; i < 500 && watch; ++i)
        QCoreApplication::processEvents();
    EXPECT_TRUE(watch.isNull());
}

TEST(CoolScrollingText, AutoSizeTakesTheExtent)
{
    Fixture f;
    f.text->SetShadowSize(0);
    f.text->SetAutoSize(true);
    const QRect e = f.text->TextExtent();
    EXPECT_EQ(f.text->size(), QSize(RightOf(e), BottomOf(e)));
    EXPECT_EQ(f.text->x(), 10);

    Fixture r;
    r.text->SetShadowSize(0);
    r.text->SetAlignment(taRightJustify);
    const int right = r.text->x() + r.text->width();
    r.text->SetAutoSize(true);
    EXPECT_EQ(r.text->x() + r.text->width(), right);
}

TEST(CoolScrollingText, NameAndAccelerator)
{
    Fixture f;
    f.text->setObjectName(QStringLiteral("label1"));
    f.text->SetStrings({QStringLiteral("label1")});
    f.text->SetName(QStringLiteral("desc"));
    EXPECT_EQ(f.text->Strings(), QStringList{"desc"});
    f.text->SetStrings({QStringLiteral("other")});
    f.text->SetName(QStringLiteral("desclabel"));
    EXPECT_EQ(f.text->Strings(), QStringList{"other"});
    EXPECT_EQ(f.text->objectName(), QStringLiteral("desclabel"));

    auto* edit = new QLineEdit(&f.form);
    f.text->SetStrings({QStringLiteral("&Find")});
    EXPECT_FALSE(f.text->DialogChar(QLatin1Char('f')));   // no focus control yet
    f.text->SetFocusControl(edit);
    EXPECT_TRUE(f.text->DialogChar(QLatin1Char('f')));
    EXPECT_FALSE(f.text->DialogChar(QLatin1Char('x')));
    f.text->setEnabled(false);
    EXPECT_FALSE(f.text->DialogChar(QLatin1Char('f')));
    delete edit;
    f.text->setEnabled(true);
    EXPECT_EQ(f.text->FocusControl(), nullptr);
    EXPECT_FALSE(f.text->DialogChar(QLatin1Char('f')));
}

TEST(ScrollingText, WithoutTextTheClockPaintsNothing)
{
    struct Counting : TCoolScrollingText {
        using TCoolScrollingText::TCoolScrollingText;
        int paints = 0;
        void paintEvent(QPaintEvent* e) override
        {
            ++paints;
            TCoolScrollingText::paintEvent(e);
        }
    };
    QWidget form;
    form.resize(300, 60);
    auto* text = new Counting(&form);
    text->setGeometry(0, 0, 217, 25);
    text->SetActive(true);
    form.show();
    QCoreApplication::processEvents();
    const int x = text->X();
    text->paints = 0;
    for (int i = 0; i < 5; ++i) {
        text->Tick();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(text->paints, 0);
    text->SetStrings({QString()});   // an empty description is no text either
    QCoreApplication::processEvents();
    text->paints = 0;
    text->Tick();
    QCoreApplication::processEvents();
    EXPECT_EQ(text->paints, 0);
    EXPECT_EQ(text->X(), x);
    // With a text the clock moves and paints it again.
    text->SetStrings({QStringLiteral("The hall projector")});
    QCoreApplication::processEvents();
    const int before = text->X();
    text->paints = 0;
    text->Tick();
    QCoreApplication::processEvents();
    EXPECT_GE(text->paints, 1);
    EXPECT_EQ(text->X(), before - 1);
}
