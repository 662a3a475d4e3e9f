// The frame animation: its clock, the walk through the frames, placement and
// the see-through frames.
#include "CoolTools.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

QImage frame(int w, int h, QRgb c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

QRgb at(const QImage& img, int x, int y)
{
    return img.pixel(x, y) | 0xFF000000u;
}

const QRgb green = qRgb(0, 160, 0);

// A form with a plain green background.
std::unique_ptr<QWidget> greenForm()
{
    auto form = std::make_unique<QWidget>();
    QPalette pal = form->palette();
    pal.setColor(QPalette::Window, QColor(green));
    form->setPalette(pal);
    form->setAutoFillBackground(true);
    form->resize(100, 100);
    return form;
}

} // namespace

TEST(CoolAnimateClock, ArmedOnlyWithIntervalActiveAndCollection)
{
    TCoolImages images;
    images.Images().Add()->SetPicture(frame(4, 4, qRgb(1, 1, 1)));
    TCoolAnimate a;
    EXPECT_EQ(a.Interval(), 200u);
    EXPECT_EQ(a.size(), QSize(100, 100));
    a.SetActive(true);
    EXPECT_FALSE(a.TimerArmed());   // no collection
    a.SetCoolImages(&images);
    EXPECT_TRUE(a.TimerArmed());
    a.SetInterval(0);
    EXPECT_FALSE(a.TimerArmed());
    a.SetInterval(120);
    EXPECT_TRUE(a.TimerArmed());
    a.SetCoolImages(nullptr);
    EXPECT_FALSE(a.TimerArmed());
    EXPECT_EQ(images.LinkCount(), 0);
    a.SetCoolImages(&images);
    a.SetActive(false);
    EXPECT_FALSE(a.TimerArmed());
}

TEST(CoolAnimateClock, ACollectionChangeStopsTheAnimation)
{
    TCoolImages images;
    TImageItem* item = images.Images().Add();
    item->SetPicture(frame(4, 4, qRgb(1, 1, 1)));
    TCoolAnimate a;
    a.SetCoolImages(&images);
    a.SetActive(true);
    images.Images().Add();   // adding tells nobody
    EXPECT_TRUE(a.Active());
    item->SetPicture(frame(6, 6, qRgb(2, 2, 2)));
    EXPECT_FALSE(a.Active());
    EXPECT_FALSE(a.TimerArmed());
    a.SetActive(true);
    images.Images().Delete(1);
    EXPECT_FALSE(a.Active());
}

TEST(CoolAnimateFrames, WalksRoundAndSkipsEmptyPictures)
{
    TCoolImages images;
    for (int i = 0; i < 3; ++i)
        images.Images().Add()->SetPicture(frame(4, 4, qRgb(i, i, i)));
    TCoolAnimate a;
    a.SetCoolImages(&images);
    std::vector<int> walk;
    for (int i = 0; i < 4; ++i) {
        walk.push_back(a.CurrentFrame());
        a.Tick();
    }
    EXPECT_EQ(walk, (std::vector<int>{0, 1, 2, 0}));

    // Stopping and starting continues from the same frame.
    a.SetActive(true);
    a.SetActive(false);
    a.SetActive(true);
    EXPECT_EQ(a.CurrentFrame(), 1);

    TCoolImages one;
    one.Images().Add()->SetPicture(frame(4, 4, qRgb(1, 1, 1)));
    TCoolAnimate b;
    b.SetCoolImages(&one);
    b.Tick();
    b.Tick();
    EXPECT_EQ(b.CurrentFrame(), 0);

    // An empty picture still counts as a frame.
    TCoolImages gaps;
    gaps.Images().Add()->SetPicture(frame(4, 4, qRgb(1, 1, 1)));
    gaps.Images().Add();
    TCoolAnimate c;
    c.SetCoolImages(&gaps);
    c.Tick();
    EXPECT_EQ(c.CurrentFrame(), 1);
    c.Tick();
    EXPECT_EQ(c.CurrentFrame(), 0);
}

TEST(CoolAnimateFrames, AShrunkenCollectionStartsAgainAtTheFirstFrame)
{
    TCoolImages images;
    for (int i = 0; i < 4; ++i)
        images.Images().Add()->SetPicture(frame(4 + i, 4, qRgb(i, i, i)));
    TCoolAnimate a;
    a.SetAutoSize(true);
    a.SetCoolImages(&images);
    a.Tick();
    a.Tick();
    a.Tick();
    ASSERT_EQ(a.CurrentFrame(), 3);
    images.Images().Delete(3);
    images.Images().Delete(2);
    int w = 1, h = 1;
    EXPECT_TRUE(a.CanAutoSize(w, h));   // no frame at the old index: no change
    EXPECT_EQ(QSize(w, h), QSize(1, 1));
    EXPECT_NO_THROW(a.Tick());
    EXPECT_EQ(a.CurrentFrame(), 1);
}

TEST(CoolAnimateFrames, AutoSizeFollowsTheFrame)
{
    TCoolImages images;
    images.Images().Add()->SetPicture(frame(30, 20, qRgb(1, 1, 1)));
    TCoolAnimate a;
    a.SetCoolImages(&images);
    int w = 64, h = 60;
    a.CanAutoSize(w, h);
    EXPECT_EQ(QSize(w, h), QSize(64, 60));   // AutoSize off
    a.SetAutoSize(true);
    a.CanAutoSize(w, h);
    EXPECT_EQ(QSize(w, h), QSize(30, 20));
    a.SetAlign(alTop);
    w = 64, h = 60;
    a.CanAutoSize(w, h);
    EXPECT_EQ(QSize(w, h), QSize(64, 20));
    a.SetAlign(alLeft);
    w = 64, h = 60;
    a.CanAutoSize(w, h);
    EXPECT_EQ(QSize(w, h), QSize(30, 60));
    // A changed collection resizes the control.
    a.SetAlign(alNone);
    images.Images().Items(0)->SetPicture(frame(12, 14, qRgb(1, 1, 1)));
    EXPECT_EQ(a.size(), QSize(12, 14));
}

TEST(CoolAnimatePixels, FrameSitsOnePixelUpLeftOfTheCentre)
{
    auto form = greenForm();
    TCoolImages images(form.get());
    images.Images().Add()->SetPicture(frame(10, 10, qRgb(255, 0, 0)));
    auto* a = new TCoolAnimate(form.get());
    a->setGeometry(10, 10, 20, 20);
    a->SetCoolImages(&images);
    a->Tick();
    const QImage img = form->grab(QRect(10, 10, 20, 20)).toImage();
    EXPECT_EQ(at(img, 4, 4), qRgb(255, 0, 0));
    EXPECT_EQ(at(img, 13, 13), qRgb(255, 0, 0));
    EXPECT_EQ(at(img, 3, 3), green);
    EXPECT_EQ(at(img, 14, 14), green);
}

TEST(CoolAnimatePixels, LargerFramesAreCentredAndClipped)
{
    QImage big(30, 30, QImage::Format_RGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x)
            big.setPixel(x, y, qRgb(x * 8, y * 8, 100));
    auto form = greenForm();
    TCoolImages images(form.get());
    images.Images().Add()->SetPicture(big);
    auto* a = new TCoolAnimate(form.get());
    a->setGeometry(0, 0, 20, 20);
    a->SetCoolImages(&images);
    a->Tick();
    const QImage img = a->grab().toImage();
    EXPECT_EQ(at(img, 0, 0), qRgb(6 * 8, 6 * 8, 100));   // drawn at (-6, -6)
    EXPECT_EQ(at(img, 19, 19), qRgb(25 * 8, 25 * 8, 100));
}

TEST(CoolAnimatePixels, TransparentColourShowsTheParent)
{
    QImage f = frame(10, 10, qRgb(255, 0, 255));
    f.setPixel(5, 5, qRgb(0, 0, 255));
    auto form = greenForm();
    TCoolImages images(form.get());
    images.Images().Add()->SetPicture(f);
    auto* a = new TCoolAnimate(form.get());
    a->setGeometry(10, 10, 20, 20);
    a->SetCoolImages(&images);
    a->SetTransparent(true);
    a->Tick();
    QImage img = form->grab(QRect(10, 10, 20, 20)).toImage();
    EXPECT_EQ(at(img, 4, 4), green);
    EXPECT_EQ(at(img, 9, 9), qRgb(0, 0, 255));

    // Opaque frames show their transparent colour as it is.
    a->SetTransparent(false);
    a->update();
    img = form->grab(QRect(10, 10, 20, 20)).toImage();
    EXPECT_EQ(at(img, 4, 4), qRgb(255, 0, 255));
}

TEST(CoolAnimatePixels, SeeThroughWithoutAParentDrawsNoFrame)
{
    TCoolImages images;
    images.Images().Add()->SetPicture(frame(10, 10, qRgb(0, 0, 255)));
    TCoolAnimate a;
    a.resize(20, 20);
    a.SetCoolImages(&images);
    a.SetTransparent(true);
    a.Tick();
    const QImage img = a.grab().toImage();
    EXPECT_NE(at(img, 9, 9), qRgb(0, 0, 255));
}

TEST(CoolAnimatePixels, Bevels)
{
    auto form = greenForm();
    auto* a = new TCoolAnimate(form.get());
    a->setGeometry(0, 0, 20, 20);
    a->SetBevelOuter(bvRaised);
    const QImage img = form->grab(QRect(0, 0, 20, 20)).toImage();
    EXPECT_EQ(at(img, 0, 0), ColorToRGB(cl3DLight, a->palette()) | 0xFF000000u);
    EXPECT_EQ(at(img, 19, 19), ColorToRGB(cl3DDkShadow, a->palette()) | 0xFF000000u);
    EXPECT_EQ(at(img, 1, 1), green);
}
