// The image collection, its items and the change links.
#include "CoolTools.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

QImage frame(int w, int h, QRgb c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

struct Recorder {
    std::vector<std::pair<int, TCoolImages*>> calls;
    std::function<void(TCoolImages*)> handler(int id)
    {
        return [this, id](TCoolImages* s) { calls.emplace_back(id, s); };
    }
};

} // namespace

TEST(CoolLinks, RegisterChangeAndUnregister)
{
    TCoolImages images;
    Recorder rec;
    TCoolChangeLink a, b, stranger;
    a.OnChange = rec.handler(1);
    b.OnChange = rec.handler(2);
    images.RegisterChanges(&a);
    images.RegisterChanges(&b);
    EXPECT_EQ(a.Images(), &images);
    images.Change();
    ASSERT_EQ(rec.calls.size(), 2u);
    EXPECT_EQ(rec.calls[0], std::make_pair(1, &images));
    EXPECT_EQ(rec.calls[1], std::make_pair(2, &images));

    images.UnRegisterChanges(&stranger);   // unknown: nothing happens
    EXPECT_EQ(images.LinkCount(), 2);
    images.UnRegisterChanges(&a);
    EXPECT_EQ(a.Images(), nullptr);
    rec.calls.clear();
    images.Change();
    ASSERT_EQ(rec.calls.size(), 1u);
    EXPECT_EQ(rec.calls[0].first, 2);
}

TEST(CoolLinks, RegisteringTwiceOrElsewhereLeavesNoStaleEntry)
{
    auto first = std::make_unique<TCoolImages>();
    TCoolImages second;
    Recorder rec;
    {
        TCoolChangeLink link;
        link.OnChange = rec.handler(1);
        first->RegisterChanges(&link);
        first->RegisterChanges(&link);   // already there: ignored
        EXPECT_EQ(first->LinkCount(), 1);
        first->Change();
        EXPECT_EQ(rec.calls.size(), 1u);

        second.RegisterChanges(&link);   // moves from the first collection
        EXPECT_EQ(first->LinkCount(), 0);
        EXPECT_EQ(second.LinkCount(), 1);
        EXPECT_EQ(link.Images(), &second);
    }
    // The link is gone; neither collection may call it.
    EXPECT_EQ(second.LinkCount(), 0);
    first->Change();
    second.Change();
    first.reset();
    EXPECT_EQ(rec.calls.size(), 1u);
}

TEST(CoolLinks, FreeingTheCollectionTellsNoLink)
{
    auto images = std::make_unique<TCoolImages>();
    Recorder rec;
    TCoolChangeLink a, b;
    a.OnChange = rec.handler(1);
    b.OnChange = rec.handler(2);
    images->RegisterChanges(&a);
    images->RegisterChanges(&b);
    images->Images().Add()->SetPicture(frame(2, 2, qRgb(1, 1, 1)));
    rec.calls.clear();
    images.reset();
    EXPECT_TRUE(rec.calls.empty());
    EXPECT_EQ(a.Images(), nullptr);
    EXPECT_EQ(b.Images(), nullptr);
}

TEST(CoolLinks, AHandlerMayUnregisterAnotherLink)
{
    TCoolImages images;
    TCoolChangeLink a, b;
    int bCalls = 0;
    a.OnChange = [&](TCoolImages* s) { s->UnRegisterChanges(&b); };
    b.OnChange = [&](TCoolImages*) { ++bCalls; };
    images.RegisterChanges(&a);
    images.RegisterChanges(&b);
    images.Change();
    EXPECT_EQ(bCalls, 0);
}

TEST(CoolImageItems, PictureRefreshesTheBitmapAndNotifiesOnce)
{
    TCoolImages images;
    int calls = 0;
    TCoolChangeLink link;
    link.OnChange = [&](TCoolImages*) { ++calls; };
    images.RegisterChanges(&link);
    TImageItem* item = images.Images().Add();
    EXPECT_EQ(calls, 0);   // adding tells nobody
    EXPECT_TRUE(item->Bitmap().Empty());
    item->SetPicture(frame(5, 3, qRgb(9, 8, 7)));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(item->Bitmap().Width(), 5);
    EXPECT_EQ(item->Bitmap().Image().pixel(0, 0), qRgb(9, 8, 7));

    TImageItem* copy = images.Images().Add();
    copy->Assign(*item);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(copy->Bitmap().Image(), item->Bitmap().Image());
    EXPECT_THROW(copy->Assign(CoolBitmap()), EConvertError);
    EXPECT_EQ(copy->Bitmap().Width(), 5);
}

TEST(CoolImageItems, DeletingNotifiesBeforeRemoval)
{
    TCoolImages images;
    images.Images().Add()->SetPicture(frame(2, 2, qRgb(1, 1, 1)));
    images.Images().Add()->SetPicture(frame(2, 2, qRgb(2, 2, 2)));
    std::vector<int> countsSeen;
    TCoolChangeLink link;
    link.OnChange = [&](TCoolImages* s) { countsSeen.push_back(s->Images().Count()); };
    images.RegisterChanges(&link);
    images.Images().Delete(0);
    ASSERT_EQ(countsSeen, std::vector<int>{2});
    EXPECT_EQ(images.Images().Count(), 1);
    EXPECT_EQ(images.Images().Items(0)->Bitmap().Image().pixel(0, 0), qRgb(2, 2, 2));
    EXPECT_THROW(images.Images().Items(1), std::out_of_range);
    EXPECT_THROW(images.Images().Items(-1), std::out_of_range);
    EXPECT_THROW(images.Images().Delete(5), std::out_of_range);
}

TEST(CoolImageItems, LoadsTheProgressFrames)
{
    TCoolImages images;
    LoadProgressAnimation(images);
    ASSERT_EQ(images.Images().Count(), ProgressAnimationFrames);
    QImage previous;
    for (int i = 0; i < images.Images().Count(); ++i) {
        const CoolBitmap& b = images.Images().Items(i)->Bitmap();
        ASSERT_FALSE(b.Empty()) << i;
        EXPECT_EQ(b.Width(), 32);
        EXPECT_EQ(b.Height(), 32);
        EXPECT_EQ(b.TransparentColor(), clFuchsia);
        EXPECT_NE(b.Image(), previous) << i;
        previous = b.Image();
    }
}

TEST(CoolImageItems, ControlsAndCollectionDieInEitherOrder)
{
    for (int order = 0; order < 2; ++order) {
        auto* form = new QWidget;
        TCoolImages* images = nullptr;
        TCoolAnimate* ani = nullptr;
        TCoolScrollingText* text = nullptr;
        if (order == 0)
            images = new TCoolImages(form);
        ani = new TCoolAnimate(form);
        text = new TCoolScrollingText(form);
        if (order == 1)
            images = new TCoolImages(form);
        images->Images().Add()->SetPicture(frame(4, 4, qRgb(1, 1, 1)));
        ani->SetCoolImages(images);
        text->SetCoolImages(images);
        EXPECT_EQ(images->LinkCount(), 2);
        ani->SetActive(true);
        text->SetActive(true);
        delete form;   // children go in creation order
    }
    // A collection freed before its control leaves the control without one.
    auto* form = new QWidget;
    auto* images = new TCoolImages(form);
    auto* ani = new TCoolAnimate(form);
    ani->SetCoolImages(images);
    delete images;
    EXPECT_EQ(ani->CoolImages(), nullptr);
    ani->Tick();
    delete form;
}
