// The period grid that booking dialogs embed, and the user picker.
#include "CoolCtrlsDB.h"
#include "DataFixture.h"
#include "UiScript.h"
#include "lookupuserfrm.h"
#include "periodselectorfrm.h"

#include <QCheckBox>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

class PeriodGrid : public DataFixture {
protected:
    void SetUp() override
    {
        DataFixture::SetUp();
        host = std::make_unique<QDialog>();
        host->resize(400, 500);
        label5 = new QLabel(QStringLiteral("Periods"), host.get());
        label5->setGeometry(20, 40, 100, 16);
        host->show();
    }
    void TearDown() override
    {
        // The grid outlives the dialogs it was embedded in.
        PeriodSelectorForm()->setParent(nullptr);
        host.reset();
        DataFixture::TearDown();
    }

    void namePeriods(const QStringList& names)
    {
        db().exec(QStringLiteral("DELETE FROM periods"));
        for (int i = 0; i < names.size(); ++i)
            db().exec(QStringLiteral("INSERT INTO periods (period, \"order\", StartTime) VALUES (?, ?, '09:00:00')"),
                      {names.at(i), i + 1});
    }
    static QStringList eight()
    {
        return {"Reg", "P1", "P2", "P3", "Lunch", "P4", "P5", "P6"};
    }

    Tperiodselectorfrm* embed() { return EmbedPeriodSelector(host.get(), label5); }

    static void clickLabel(QLabel* l) { QTest::mouseClick(l, Qt::LeftButton); }

    static QStringList ticked(Tperiodselectorfrm* g)
    {
        QStringList t;
        for (int d = 1; d <= 5; ++d)
            for (int k = 1; k <= 12; ++k)
                if (g->Box(d, k)->isChecked())
                    t << g->Box(d, k)->objectName();
        return t;
    }

    std::unique_ptr<QDialog> host;
    QLabel* label5 = nullptr;
};

TEST_F(PeriodGrid, ShowsOneRowPerPeriodUnderTheHostsLabel)
{
    struct Case {
        int periods;
        int height;
    };
    for (const Case c : {Case{8, 226}, Case{12, 322}, Case{0, 34}, Case{3, 106}}) {
        SCOPED_TRACE(c.periods);
        QStringList names;
        for (int i = 1; i <= c.periods; ++i)
            names << QStringLiteral("N%1").arg(i);
        namePeriods(names);
        Tperiodselectorfrm* g = embed();
        EXPECT_EQ(g->parentWidget(), host.get());
        EXPECT_TRUE(g->isVisible());
        EXPECT_EQ(g->pos(), QPoint(20, 56));
        EXPECT_EQ(g->height(), c.height);
        for (int k = 1; k <= 12; ++k) {
            EXPECT_EQ(g->Box(1, k)->isVisible(), k <= c.periods) << k;
            EXPECT_EQ(g->Box(5, k)->isVisible(), k <= c.periods) << k;
            EXPECT_EQ(g->findChild<QLabel*>(QStringLiteral("p%1lbl").arg(k))->text(),
                      k <= c.periods ? names.at(k - 1) : QString());
        }
    }
}

TEST_F(PeriodGrid, TickBoxesStandOutFromTheBlueFaceTickedOrNot)
{
    namePeriods(eight());
    Tperiodselectorfrm* g = embed();
    const auto luma = [](QRgb c) { return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000; };
    const int face = luma(g->palette().color(QPalette::Window).rgb());
    QCheckBox* b = g->Box(3, 5);
    ASSERT_TRUE(b->isVisible());
    // An empty box: its inside is far from the grid's face, so it is seen at all.
    const QImage empty = b->grab().toImage();
    const QRgb inside = empty.pixel(empty.width() / 2, empty.height() / 2);
    EXPECT_GT(std::abs(luma(inside) - face), 100);
    // A ticked box: its tick is far from the box's inside.
    b->setChecked(true);
    const QImage ticked = b->grab().toImage();
    int tickPixels = 0;
    for (int y = 0; y < ticked.height(); ++y)
        for (int x = 0; x < ticked.width(); ++x)
            if (empty.pixel(x, y) == inside && std::abs(luma(ticked.pixel(x, y)) - luma(inside)) > 100)
                ++tickPixels;
    EXPECT_GE(tickPixels, 6);
    // The place and size of each box are left as they were.
    EXPECT_EQ(b->geometry(), QRect(104, 32 + 4 * 24, 17, 17));
}

TEST_F(PeriodGrid, WeekdayLettersInvertTheirColumnInPeriodOrder)
{
    namePeriods(eight());
    Tperiodselectorfrm* g = embed();
    clickLabel(g->findChild<QLabel*>(QStringLiteral("Label1")));
    EXPECT_EQ(g->Selection(1), eight());
    EXPECT_EQ(g->MonSel->count(), 8);
    EXPECT_EQ(SelectedPeriodCount, 8);

    // Inverted, not set: Monday 1 and 2 ticked, "M" leaves 3..8.
    embed();
    g->Box(1, 1)->setChecked(true);
    g->Box(1, 2)->setChecked(true);
    g->Label1Click();
    EXPECT_EQ(g->Selection(1), eight().mid(2));
    EXPECT_EQ(SelectedPeriodCount, 6);

    // The two "T"s: Label2 is Tuesday, Label4 Thursday.
    embed();
    clickLabel(g->findChild<QLabel*>(QStringLiteral("Label2")));
    EXPECT_EQ(g->Selection(2).size(), 8);
    EXPECT_TRUE(g->Selection(4).isEmpty());
    clickLabel(g->findChild<QLabel*>(QStringLiteral("Label4")));
    EXPECT_EQ(g->Selection(4).size(), 8);
    clickLabel(g->findChild<QLabel*>(QStringLiteral("Label5")));
    EXPECT_EQ(g->Selection(5), g->Selection(4));
    EXPECT_EQ(SelectedPeriodCount, 24);
    // Saturday and Sunday have no list.
    EXPECT_TRUE(g->Selection(6).isEmpty());
    EXPECT_TRUE(g->Selection(7).isEmpty());
}

TEST_F(PeriodGrid, PeriodNamesInvertTheirRowAndBoxesKeepTheListsInOrder)
{
    namePeriods(eight());
    Tperiodselectorfrm* g = embed();
    QLabel* p3 = g->findChild<QLabel*>(QStringLiteral("p3lbl"));
    clickLabel(p3);
    for (int d = 1; d <= 5; ++d)
        EXPECT_EQ(g->Selection(d), QStringList{"P2"}) << d;
    EXPECT_EQ(SelectedPeriodCount, 5);
    clickLabel(p3);
    EXPECT_TRUE(ticked(g).isEmpty());
    EXPECT_EQ(SelectedPeriodCount, 0);

    // Clicks in any order: the lists come in period order.
    QTest::mouseClick(g->Box(2, 3), Qt::LeftButton);
    QTest::mouseClick(g->Box(5, 5), Qt::LeftButton);
    QTest::mouseClick(g->Box(5, 1), Qt::LeftButton);
    EXPECT_EQ(g->TueSel->count(), 1);
    EXPECT_EQ(g->Selection(2), QStringList{"P2"});
    EXPECT_EQ(g->Selection(5), (QStringList{"Reg", "Lunch"}));
    for (int d : {1, 3, 4})
        EXPECT_TRUE(g->Selection(d).isEmpty()) << d;
    EXPECT_EQ(SelectedPeriodCount, 3);

    // A change made by the program counts as well.
    g->findChild<QCheckBox*>(QStringLiteral("wp8"))->setChecked(true);
    EXPECT_EQ(g->Selection(3), QStringList{"P6"});
    EXPECT_EQ(SelectedPeriodCount, 4);
}

TEST_F(PeriodGrid, EachShowingStartsCleanWithTheNamesOfThatMoment)
{
    namePeriods(eight());
    Tperiodselectorfrm* g = embed();
    g->Label3Click();
    ASSERT_EQ(SelectedPeriodCount, 8);

    // Showing the host again does not reset the grid by itself...
    host->hide();
    host->show();
    EXPECT_EQ(SelectedPeriodCount, 8);

    // ...embedding it in another dialog does, and reads the names afresh.
    second().ADOConnection.exec(QStringLiteral("UPDATE periods SET period = 'Form' WHERE \"order\" = 1"));
    QDialog other;
    auto* otherLabel = new QLabel(&other);
    otherLabel->setGeometry(8, 100, 60, 20);
    other.show();
    EXPECT_EQ(EmbedPeriodSelector(&other, otherLabel), g);
    EXPECT_EQ(g->parentWidget(), &other);
    EXPECT_EQ(g->pos(), QPoint(8, 120));
    EXPECT_TRUE(ticked(g).isEmpty());
    for (int d = 1; d <= 5; ++d)
        EXPECT_TRUE(g->Selection(d).isEmpty());
    EXPECT_EQ(SelectedPeriodCount, 0);
    EXPECT_EQ(g->findChild<QLabel*>(QStringLiteral("p1lbl"))->text(), QStringLiteral("Form"));
    g->setParent(nullptr);
}

// ------------------------------------------------------------------ user picker

class UserPicker : public DataFixture {
protected:
    void SetUp() override
    {
        DataFixture::SetUp();
        for (const char* n : {"TOM", "ANNA", "BOB"})
            addUser({QLatin1String(n), 10});
        db().exec(QStringLiteral("INSERT INTO Users (username, Hide) VALUES (?, 1)"), {ProfileUserName});
    }
    QString pick(UiScript::Answer a)
    {
        ui.answer(std::move(a));
        QString name = QStringLiteral("unchanged");
        PickUser(false, name);
        return name;
    }
    UiScript ui;
};

TEST_F(UserPicker, OnlySelectPicksAndEachShowingStartsOnTheFirstUser)
{
    QStringList listed;
    EXPECT_EQ(pick([&](QDialog& d) {
                  auto* grid = d.findChild<TDBCoolGrid*>(QStringLiteral("DBUserList"));
                  EXPECT_TRUE(d.findChild<QPushButton*>(QStringLiteral("cancelbtn"))->isVisible());
                  for (int r = 0; r < grid->LinkedDataset()->rowCountLoaded(); ++r)
                      listed << grid->DisplayText(r, 0);
                  EXPECT_EQ(grid->DisplayText(0, 1), QStringLiteral("ANNA Full"));
                  return mrCancel;
              }),
              QString());
    // The hidden template user is never offered.
    EXPECT_EQ(listed, (QStringList{"ANNA", "BOB", "TOM"}));

    auto moveTo = [](QDialog& d, int row) {
        auto* grid = d.findChild<TDBCoolGrid*>(QStringLiteral("DBUserList"));
        grid->setRow(row + grid->TitleOffset());
    };
    // Each showing starts on the first user; moved, only Select or OK picks.
    struct Step {
        int row;                               // -1: not moved
        std::function<void(QDialog&)> leave;   // none: OK
        const char* picked;
    };
    const Step steps[] = {
        {2, [](QDialog& d) { QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton); },
         "TOM"},
        {-1, nullptr, "ANNA"},
        {1, [](QDialog& d) { d.close(); }, ""},
        {1, [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }, ""},
        {1, nullptr, "BOB"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.picked);
        EXPECT_EQ(pick([&](QDialog& d) {
                      if (step.row >= 0)
                          moveTo(d, step.row);
                      if (!step.leave)
                          return mrOk;
                      step.leave(d);
                      return mrClosed;
                  }),
                  QLatin1String(step.picked));
    }
}

} // namespace
