// Setting up the periods of the day: the rewrite of the table, the names
// carried over into the bookings, and what keeps a save whole.
#include "DbError.h"
#include "MainFixture.h"
#include "Lookups.h"
#include "Utilities.h"
#include "setperfrm.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>

#include <algorithm>
#include <cmath>

namespace {

namespace M = SetPeriodsMessages;

class SetPeriods : public MainFixture {
protected:
    void SetUp() override
    {
        MainFixture::SetUp();
        db().exec(QStringLiteral("DELETE FROM periods"));
        addItem(QStringLiteral("Hall"));
        addItem(QStringLiteral("Lab"));
        f = SetPeriodsForm();
    }

    void setPeriods(const QStringList& names)
    {
        second().ADOConnection.exec(QStringLiteral("DELETE FROM periods"));
        for (int i = 0; i < names.size(); ++i)
            second().ADOConnection.exec(
                QStringLiteral("INSERT INTO periods (period, \"order\", StartTime) VALUES (?, ?, ?)"),
                {names.at(i), i + 1, QTime(8, 0).addSecs(i * 3600).toString(QStringLiteral("HH:mm:ss"))});
    }
    // Every period as stored: "name@order@HH:mm:ss", in the order of the rows.
    QStringList periods()
    {
        QStringList rows;
        QSqlQuery q = db().prepare(QStringLiteral("SELECT period, \"order\", StartTime FROM periods ORDER BY rowid"));
        q.exec();
        while (q.next())
            rows << q.value(0).toString() + "@" + q.value(1).toString() + "@" + q.value(2).toString();
        return rows;
    }
    // Every booking's period, in the order they were made.
    QStringList bookings()
    {
        QStringList rows;
        QSqlQuery q = db().prepare(QStringLiteral("SELECT Period FROM bookings ORDER BY \"Index\""));
        q.exec();
        while (q.next())
            rows << q.value(0).toString();
        return rows;
    }
    void book(const QStringList& periodNames, const QString& item = QStringLiteral("Hall"))
    {
        for (const QString& p : periodNames)
            addBooking(item, QDate(2026, 3, 2), p, QStringLiteral("BOB"));
    }

    // Opens the dialog, types the names (null: leave as shown) and saves.
    // Answers whether the dialog closed with OK.
    bool save(const QStringList& names = {})
    {
        f->setResult(mrClosed);
        f->FormShow();
        for (int k = 0; k < names.size(); ++k)
            if (!names.at(k).isNull())
                f->PerName[k]->setText(names.at(k));
        f->Button1Click();
        return f->result() == mrOk;
    }
    bool saveAgain()
    {
        f->setResult(mrClosed);
        f->Button1Click();
        return f->result() == mrOk;
    }

    Tsetperfrm* f = nullptr;
};

TEST_F(SetPeriods, ChangedNamesAreCarriedIntoTheBookingsAsOneMapping)
{
    struct Case {
        const char* what;
        QStringList before;     // the periods
        QStringList booked;     // one booking of the same item and day each
        QStringList typed;      // null entries stay as shown
        QStringList after;      // the bookings' periods
    };
    const QString keep;
    const Case cases[] = {
        {"rename, any letter case of the old name", {"P1", "P2", "P3"}, {"P1", "P2", "P3"}, {keep, "XY"},
         {"P1", "XY", "P3"}},
        {"exchange", {"A", "B", "C"}, {"A", "B", "C"}, {"B", "A"}, {"B", "A", "C"}},
        {"shift along", {"A", "B", "C"}, {"A", "B", "C"}, {"X", "A", "B"}, {"X", "A", "B"}},
        {"ring and chain", {"A", "B", "C", "D"}, {"A", "B", "C", "D"}, {"B", "C", "A", "X"}, {"B", "C", "A", "X"}},
        {"letter case alone", {"p1", "p2"}, {"p1", "p2"}, {"P1"}, {"P1", "p2"}},
        {"last slot cleared", {"A", "B", "C"}, {"A", "B", "C"}, {keep, keep, ""}, {"A", "B", ""}},
        {"quotes in names", {"A", "B"}, {"A", "B"}, {"a\"b'c", "it's"}, {"a\"b'c", "it's"}},
        {"after the first blank", {"A", "B", "C", "D"}, {"A", "B", "C", "D"}, {keep, "", keep, "E"},
         {"A", "", "C", "E"}},
        {"unchanged", {"A", "B"}, {"A", "B"}, {}, {"A", "B"}},
        {"two old names alike but for letter case: the first slot's pair counts", {"A", "Q", "a"}, {"A"},
         {"X", keep, "Y"}, {"X"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        db().exec(QStringLiteral("DELETE FROM bookings"));
        setPeriods(c.before);
        book(c.booked);
        ui->alerts.clear();
        EXPECT_TRUE(save(c.typed));
        EXPECT_TRUE(ui->alerts.isEmpty()) << ui->alerts.join(' ').toStdString();
        EXPECT_EQ(bookings(), c.after);
    }

    // A chain that ends in an exchange, names after the first blank: each
    // old name still gets its own new one.
    db().exec(QStringLiteral("DELETE FROM bookings"));
    setPeriods({"Q", "B", "C", "D", "E"});
    addItem(QStringLiteral("Gym"));
    addBooking(QStringLiteral("Hall"), QDate(2026, 3, 2), QStringLiteral("B"), QStringLiteral("BOB"));
    addBooking(QStringLiteral("Hall"), QDate(2026, 3, 2), QStringLiteral("C"), QStringLiteral("BOB"));
    addBooking(QStringLiteral("Lab"), QDate(2026, 3, 2), QStringLiteral("D"), QStringLiteral("BOB"));
    addBooking(QStringLiteral("Gym"), QDate(2026, 3, 2), QStringLiteral("E"), QStringLiteral("BOB"));
    EXPECT_TRUE(save({keep, "", "D", "E", "D"}));
    EXPECT_EQ(bookings(), (QStringList{"", "D", "E", "D"}));
    EXPECT_EQ(periods(), QStringList{"Q@1@08:00:00"});

    // Bookings written in another letter case follow too, on every item;
    // other periods' bookings stay.
    db().exec(QStringLiteral("DELETE FROM bookings"));
    setPeriods({"P1", "P2"});
    book({"P2", "P1"});
    book({"p2"}, QStringLiteral("Lab"));
    addBooking(QStringLiteral("Lab"), QDate(2026, 3, 3), QStringLiteral("p2"), QStringLiteral("BOB"));
    EXPECT_TRUE(save({keep, "XY"}));
    EXPECT_EQ(bookings(), (QStringList{"XY", "P1", "XY", "XY"}));
}

TEST_F(SetPeriods, TheDayEndsAtTheFirstBlankName)
{
    setPeriods({"1", "2", "3", "4", "5"});
    EXPECT_TRUE(save({"A", "B", "", "D", "E"}));
    EXPECT_EQ(periods(), (QStringList{"A@1@08:00:00", "B@2@09:00:00"}));
    EXPECT_EQ(HighestPeriodOrder(), 2);
    // Times are stored as read from the edits.
    f->FormShow();
    f->PerTime[0]->setText(QStringLiteral("9:40"));
    f->PerTime[1]->setText(QStringLiteral("12:00 PM"));
    f->PerName[2]->setText(QStringLiteral("C"));
    f->PerTime[2]->setText(QStringLiteral("1:10:00 pm"));
    EXPECT_TRUE(saveAgain());
    EXPECT_EQ(periods(), (QStringList{"A@1@09:40:00", "B@2@12:00:00", "C@3@13:10:00"}));
}

TEST_F(SetPeriods, RefusedSavesStoreNothingAndKeepTheDialogOpen)
{
    setPeriods({"A", "B", "C"});
    book({"A", "B", "C"});
    const QStringList stored = periods();

    // The first name blank, also right after "Clear All Names".
    EXPECT_FALSE(save({""}));
    f->Button3Click();
    EXPECT_FALSE(saveAgain());
    EXPECT_EQ(ui->alerts, (QStringList{M::FirstNameBlank, M::FirstNameBlank}));

    // A time that is no time of day, in a slot that would be stored.
    ui->alerts.clear();
    f->FormShow();
    f->PerName[0]->setText(QStringLiteral("X"));
    f->PerTime[1]->setText(QStringLiteral("25:99"));
    EXPECT_FALSE(saveAgain());
    EXPECT_EQ(ui->alerts, QStringList{M::BadTime.arg(2).arg("25:99")});

    // Two stored slots of one name in any letter case.
    ui->alerts.clear();
    EXPECT_FALSE(save({"X", "x"}));
    EXPECT_EQ(ui->alerts, QStringList{M::SameName.arg("x").arg(1).arg(2)});

    EXPECT_EQ(periods(), stored);
    EXPECT_EQ(bookings(), (QStringList{"A", "B", "C"}));

    // A bad time after the first blank does not count.
    ui->alerts.clear();
    f->FormShow();
    f->PerName[1]->clear();
    f->PerTime[2]->setText(QStringLiteral("never"));
    EXPECT_TRUE(saveAgain());
    EXPECT_TRUE(ui->alerts.isEmpty());
    EXPECT_EQ(periods(), QStringList{"A@1@08:00:00"});
}

TEST_F(SetPeriods, AFailureAnywhereUndoesTheWholeSave)
{
    setPeriods({"A", "B", "C"});
    book({"A", "B", "C"});
    // An orphaned booking of a period no slot names any more, in the slot
    // that a rename would fill.
    addBooking(QStringLiteral("Lab"), QDate(2026, 3, 2), QStringLiteral("Z"), QStringLiteral("BOB"));
    addBooking(QStringLiteral("Lab"), QDate(2026, 3, 2), QStringLiteral("A"), QStringLiteral("BOB"));
    const QStringList stored = periods();
    const QStringList booked = bookings();

    // The table refuses an insert half way.
    db().exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON periods WHEN NEW.period = 'BOOM' "
                             "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END"));
    EXPECT_FALSE(save({"X", "Y", "BOOM"}));
    ASSERT_EQ(ui->alerts.size(), 1);
    EXPECT_TRUE(ui->alerts.at(0).startsWith(M::SaveFailed.arg(QString()).trimmed()));
    EXPECT_TRUE(ui->alerts.at(0).contains(QLatin1String("refused by the test")));
    EXPECT_EQ(periods(), stored);
    EXPECT_EQ(bookings(), booked);
    db().exec(QStringLiteral("DROP TRIGGER refuse"));

    // A rename that would put two bookings into one slot.
    ui->alerts.clear();
    EXPECT_FALSE(save({"Z"}));
    EXPECT_EQ(ui->alerts, QStringList{M::Collision});
    EXPECT_EQ(periods(), stored);
    EXPECT_EQ(bookings(), booked);

    // The dialog is still usable: the same save without the clash works.
    ui->alerts.clear();
    db().exec(QStringLiteral("DELETE FROM bookings WHERE Period = 'Z'"));
    EXPECT_TRUE(save({"Z"}));
    EXPECT_EQ(periods().at(0), QStringLiteral("Z@1@08:00:00"));
}

TEST_F(SetPeriods, ASaveOverAnotherClientsChangeIsRefused)
{
    setPeriods({"A", "B"});
    book({"A", "B"});
    f->setResult(mrClosed);
    f->FormShow();
    f->PerName[0]->setText(QStringLiteral("X"));
    // Another administrator renames B meanwhile.
    second().ADOConnection.exec(QStringLiteral("UPDATE periods SET period = 'C' WHERE period = 'B'"));
    second().ADOConnection.exec(QStringLiteral("UPDATE bookings SET Period = 'C' WHERE Period = 'B'"));
    f->Button1Click();
    EXPECT_NE(f->result(), mrOk);
    EXPECT_EQ(ui->alerts, QStringList{M::Stale});
    EXPECT_EQ(periods(), (QStringList{"A@1@08:00:00", "C@2@09:00:00"}));
    EXPECT_EQ(bookings(), (QStringList{"A", "C"}));
    // Opened again, it saves.
    EXPECT_TRUE(save({"X"}));
    EXPECT_EQ(bookings(), (QStringList{"X", "C"}));
}

TEST_F(SetPeriods, OpeningShowsTheTableAndNothingOldInSlotsWithoutARow)
{
    db().exec(QStringLiteral("INSERT INTO periods (period, \"order\", StartTime) VALUES "
                             "('Reg', 1, '08:45:00'), ('P1', 2, '13:05:30'), ('Odd', 13, '10:00:00'), "
                             "('Zero', 0, '10:00:00')"));
    f->FormShow();
    f->PerName[5]->setText(QStringLiteral("typed"));
    f->PerTime[5]->setText(QStringLiteral("junk"));
    f->FormShow();
    EXPECT_EQ(f->PerName[0]->text(), QStringLiteral("Reg"));
    EXPECT_EQ(f->PerTime[0]->text(), FormatLongTime(QTime(8, 45)));
    EXPECT_EQ(f->PerTime[1]->text(), FormatLongTime(QTime(13, 5, 30)));
    for (int k = 2; k < Tsetperfrm::Slots; ++k) {
        EXPECT_TRUE(f->PerName[k]->text().isEmpty()) << k;
        EXPECT_EQ(f->PerTime[k]->text(), QLatin1String(Tsetperfrm::ClearTimes[k])) << k;
    }
    EXPECT_EQ(f->OldNames.mid(0, 3), (QStringList{"Reg", "P1", ""}));
    EXPECT_EQ(f->PerName[0]->maxLength(), 10);

    f->Button3Click();
    for (int k = 0; k < Tsetperfrm::Slots; ++k)
        EXPECT_TRUE(f->PerName[k]->text().isEmpty()) << k;
    EXPECT_EQ(f->PerTime[0]->text(), QStringLiteral("8:00:00 AM"));
    EXPECT_EQ(f->PerTime[6]->text(), QStringLiteral("12:30:00 PM"));
    EXPECT_EQ(f->PerTime[11]->text(), QStringLiteral("3:00:00 PM"));
}

TEST_F(SetPeriods, ARestoreFromMinimizedKeepsWhatWasTyped)
{
    db().exec(QStringLiteral("INSERT INTO periods (period, \"order\", StartTime) VALUES ('Reg', 1, '08:45:00')"));
    f->show();
    ASSERT_EQ(f->PerName[0]->text(), QStringLiteral("Reg"));
    f->PerName[0]->setText(QStringLiteral("typed"));
    // The window system shows the form again by itself: not a new showing.
    f->setWindowState(Qt::WindowMinimized);
    f->setWindowState(Qt::WindowNoState);
    EXPECT_EQ(f->PerName[0]->text(), QStringLiteral("typed"));
    // The program's own next showing starts afresh.
    f->hide();
    f->show();
    EXPECT_EQ(f->PerName[0]->text(), QStringLiteral("Reg"));
    f->hide();
}

// How far apart two colours are for the eye: the ratio of their relative
// luminances, 1 (the same) to 21 (black on white).
double Contrast(const QColor& a, const QColor& b)
{
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST_F(SetPeriods, EveryTextCanBeReadWithoutABackgroundPicture)
{
    // A fresh installation has no "bg.bmp": the explanation and the twelve
    // slot captions stand on the dialog's own window colour.
    const QColor window = f->palette().color(QPalette::Window);
    const QList<QLabel*> labels = f->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 1 + Tsetperfrm::Slots);
    for (QLabel* l : labels)
        EXPECT_GE(Contrast(l->palette().color(QPalette::WindowText), window), 4.5) << l->text().toStdString();
    for (int k = 0; k < Tsetperfrm::Slots; ++k)
        for (QLineEdit* e : {f->PerName[k], f->PerTime[k]})
            EXPECT_GE(Contrast(e->palette().color(QPalette::Text), e->palette().color(QPalette::Base)), 4.5) << k;
    for (QPushButton* b : {f->Button1, f->Button2, f->Button3})
        EXPECT_GE(Contrast(b->palette().color(QPalette::ButtonText), b->palette().color(QPalette::Button)), 4.5)
            << b->text().toStdString();
}

TEST_F(SetPeriods, TheMenuEntrySavesOnOkAndNotOnCancel)
{
    setPeriods({"A", "B"});
    second().ADOConnection.exec(QStringLiteral("UPDATE Users SET canModifyPeriod = 1 WHERE username = 'BOB'"));
    ui->answer([&](QDialog& d) {
        EXPECT_EQ(&d, f);
        EXPECT_EQ(f->PerName[1]->text(), QStringLiteral("B"));
        f->PerName[1]->setText(QStringLiteral("XY"));
        QTest::mouseClick(f->Button1, Qt::LeftButton);
        return mrClosed;
    });
    win->SetupPeriods1->trigger();
    EXPECT_TRUE(ui->alerts.isEmpty());
    EXPECT_EQ(periods(), (QStringList{"A@1@08:00:00", "XY@2@09:00:00"}));

    // Cancel stores nothing.
    ui->answer([&](QDialog&) {
        f->PerName[0]->setText(QStringLiteral("Q"));
        QTest::mouseClick(f->Button2, Qt::LeftButton);
        return mrClosed;
    });
    win->SetupPeriods1->trigger();
    EXPECT_EQ(f->result(), mrCancel);
    EXPECT_EQ(periods(), (QStringList{"A@1@08:00:00", "XY@2@09:00:00"}));
}

} // namespace
