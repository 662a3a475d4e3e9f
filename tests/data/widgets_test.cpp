// The spin edit and the radio group the forms share.
#include "RadioGroup.h"
#include "SpinEdit.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

TEST(SpinEdit, KeepsWhatWasTypedAndClampsOnlyWhenAsked)
{
    TSpinEdit e;
    e.setRange(1, 200);
    e.setMaxLength(3);
    e.show();
    e.setFocus();

    struct Case {
        const char* typed;
        QString shown;    // after typing
        int value;
        int clamped;
    };
    const Case cases[] = {
        {"250", "250", 250, 200}, {"0", "0", 0, 1},     {"1", "1", 1, 1},   {"200", "200", 200, 200},
        {"2x5", "25", 25, 25},    {"12345", "123", 123, 123}, {"", "", 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        e.edit()->clear();
        QTest::keyClicks(e.edit(), QLatin1String(c.typed));
        EXPECT_EQ(e.rawText(), c.shown);
        EXPECT_EQ(e.value(), c.value);
        e.clampValue();
        EXPECT_EQ(e.value(), c.clamped);
        EXPECT_EQ(e.rawText(), QString::number(c.clamped));
    }
}

TEST(SpinEdit, ArrowsStepWithinTheRangeAndReportTheValue)
{
    TSpinEdit e;
    e.setRange(1, 200);
    QSignalSpy changed(&e, &TSpinEdit::valueChanged);
    e.setValue(199);
    e.stepBy(1);
    EXPECT_EQ(e.value(), 200);
    e.stepBy(1);
    EXPECT_EQ(e.value(), 200);
    e.setValue(250);   // out of range, shown as given
    EXPECT_EQ(e.rawText(), QStringLiteral("250"));
    e.stepBy(-1);
    EXPECT_EQ(e.value(), 200);
    e.setValue(1);
    e.stepBy(-5);
    EXPECT_EQ(e.value(), 1);
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_EQ(changed.last().at(0).toInt(), 1);
}

TEST(RadioGroup, ChoosesOneItemOrNone)
{
    TRadioGroup g;
    g.resize(200, 60);
    g.setColumns(2);
    g.setItems({QStringLiteral("Staff"), QStringLiteral("Student")});
    g.show();
    ASSERT_EQ(g.count(), 2);
    EXPECT_EQ(g.itemIndex(), -1);

    // Two columns: the items stand side by side.
    EXPECT_LT(g.button(0)->x(), g.button(1)->x());
    EXPECT_EQ(g.button(0)->y(), g.button(1)->y());

    QSignalSpy clicks(&g, &TRadioGroup::clicked);
    g.setItemIndex(1);
    EXPECT_EQ(g.itemIndex(), 1);
    EXPECT_TRUE(clicks.isEmpty());   // set by the form, not chosen by the user
    g.setItemIndex(0);
    EXPECT_EQ(g.itemIndex(), 0);
    EXPECT_FALSE(g.button(1)->isChecked());

    g.setItemIndex(-1);
    EXPECT_EQ(g.itemIndex(), -1);
    EXPECT_FALSE(g.button(0)->isChecked());
    EXPECT_FALSE(g.button(1)->isChecked());

    // Still exclusive after showing no choice.
    QTest::mouseClick(g.button(1), Qt::LeftButton, {}, QPoint(5, g.button(1)->height() / 2));
    EXPECT_EQ(g.itemIndex(), 1);
    EXPECT_EQ(clicks.size(), 1);
    g.setItemIndex(0);
    EXPECT_FALSE(g.button(1)->isChecked());
    EXPECT_EQ(g.itemIndex(), 0);
}
