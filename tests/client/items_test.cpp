// The item manager and the add-item dialog: the list's order, the details
// gate, the checks of Apply, Rename and Delete in their order, the add
// dialog's enabling and the whole adding of an item.
#include "MainFixture.h"

#include "Bookings.h"
#include "DbError.h"
#include "Lookups.h"
#include "SpinEdit.h"
#include "TestSupport.h"
#include "addinvfrm.h"
#include "adminvfrm.h"
#include "catfrm.h"
#include "lookupcatfrm.h"
#include "lookupuserfrm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

namespace {

namespace M = ItemMessages;
const QString Denied = QStringLiteral("Access Denied. You are not allowed to use this function");

class Items : public MainFixture {
protected:
    void SetUp() override
    {
        MainFixture::SetUp();
        if (HasFailure())
            return;
        for (const char* c : {"Miscellaneous", "Rooms"})
            db().exec(QStringLiteral("INSERT INTO catergories (CaterGoryName) VALUES (?)"), {QString::fromLatin1(c)});
        addItem(QStringLiteral("SCREEN"), 10, QStringLiteral("BOB"), QStringLiteral("Rooms"));
        addItem(QStringLiteral("PROJECTOR"), 1, QStringLiteral("BOB"));
        addItem(QStringLiteral("VAULT"), 11, QStringLiteral("BOB"));
        addItem(QStringLiteral("apple"), 1, QStringLiteral("BOB"));
        db().exec(QStringLiteral("UPDATE items SET Circulated = 1, BarCode = '*1234567890*' WHERE ItemName = 'SCREEN'"));
        setRight(true);
        win->InitMainWindow();
    }

    void setRight(bool on)
    {
        second().ADOConnection.exec(QStringLiteral("UPDATE Users SET canModifyItems = ? WHERE username = 'BOB'"),
                                    {on ? 1 : 0});
    }

    // Opens the manager from the menu and runs the body inside it.
    void inManager(const std::function<void(Tadminvfrm&)>& body)
    {
        ui->answer([body](QDialog& d) {
            body(static_cast<Tadminvfrm&>(d));
            return mrOk;
        });
        win->EditItems1->trigger();
        EXPECT_TRUE(ui->answers.empty());
    }

    static QStringList listed(Tadminvfrm& f)
    {
        QStringList names;
        for (int r = 0; r < f.ItemsList.rowCountLoaded(); ++r)
            names << f.DBItemsList->DisplayText(r, 0);
        return names;
    }
    static void pick(Tadminvfrm& f, const QString& name)
    {
        const QStringList names = listed(f);
        const int rec = names.indexOf(name) + 1;
        ASSERT_GT(rec, 0) << name.toStdString();
        TDBCoolGrid* g = f.DBItemsList;
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->cellRect(0, g->RowOfRecord(rec)).center());
    }
    static void typeLevel(TSpinEdit* spin, const QString& text)
    {
        spin->setFocus();
        spin->selectAll();
        QTest::keyClick(spin, Qt::Key_Delete);
        QTest::keyClicks(spin, text);
    }
    static void click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
    // The window system hides the window and shows it again by itself.
    static void minimizeAndRestore(QWidget& w)
    {
        w.setWindowState(Qt::WindowMinimized);
        w.setWindowState(Qt::WindowNoState);
    }

    QString itemField(const QString& item, const char* field)
    {
        return db().scalar(QStringLiteral("SELECT %1 FROM items WHERE ItemName = ?").arg(QLatin1String(field)), {item})
            .toString();
    }
    // "*", the installation's id, six digits not starting with 0, "*".
    bool isBarcode(const QString& code)
    {
        const QString installId = DM().ConfigTable.asString(QStringLiteral("InstallID"));
        return QRegularExpression(QStringLiteral("^\\*%1[1-9][0-9]{5}\\*$").arg(installId)).match(code).hasMatch();
    }
};

TEST_F(Items, TheListIgnoresLetterCaseAndTheDetailsFollowTheLevel)
{
    inManager([&](Tadminvfrm& f) {
        EXPECT_EQ(listed(f), (QStringList{"apple", "PROJECTOR", "SCREEN", "VAULT"}));
        EXPECT_EQ(f.DBItemsList->rowCount(), 4);   // no title row
        // Opens on the first in the list's order, the table standing on it.
        EXPECT_EQ(DM().itemstable.asString(QStringLiteral("ItemName")), QStringLiteral("apple"));
        EXPECT_TRUE(f.DetailsGRp->isEnabled());

        pick(f, QStringLiteral("SCREEN"));   // level 10 = BOB's
        EXPECT_EQ(f.catergory->text(), QStringLiteral("Rooms"));
        EXPECT_EQ(f.managedby->text(), QStringLiteral("BOB"));
        EXPECT_EQ(f.accesslevel->value(), 10);
        EXPECT_TRUE(f.available->isChecked());
        EXPECT_TRUE(f.circulated->isChecked());
        EXPECT_FALSE(f.circulated->isVisibleTo(&f));
        EXPECT_FALSE(f.circulatedgrp->isVisibleTo(&f));
        EXPECT_EQ(f.barcode->text(), QStringLiteral("*1234567890*"));
        EXPECT_TRUE(f.DetailsGRp->isEnabled());
        EXPECT_TRUE(f.Button4->isEnabled());

        pick(f, QStringLiteral("VAULT"));   // level 11: above BOB's
        EXPECT_FALSE(f.DetailsGRp->isEnabled());
        EXPECT_FALSE(f.Button4->isEnabled());
        EXPECT_EQ(DM().itemstable.asString(QStringLiteral("ItemName")), QStringLiteral("VAULT"));
        // Rename and Delete answer with the level, before the right.
        setRight(false);
        click(f.Button6);
        click(f.Button7);
        EXPECT_EQ(ui->alerts, QStringList(2, M::RankRestricts));

        // A logged-on user whose row is gone can change nothing.
        pick(f, QStringLiteral("PROJECTOR"));
        EXPECT_TRUE(f.DetailsGRp->isEnabled());
        second().ADOConnection.exec(QStringLiteral("UPDATE Users SET username = 'BOBBY' WHERE username = 'BOB'"));
        f.LoadItemDetails();
        EXPECT_FALSE(f.DetailsGRp->isEnabled());
        second().ADOConnection.exec(QStringLiteral("UPDATE Users SET username = 'BOB' WHERE username = 'BOBBY'"));

        // The list deletes nothing by itself.
        f.DBItemsList->setFocus();
        QTest::keyClick(f.DBItemsList, Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM items")), 4);
        click(f.Button8);
    });
    EXPECT_EQ(ui->alerts.size(), 2);
}

TEST_F(Items, ApplyChecksManagerThenCategoryAndStoresAsTyped)
{
    inManager([&](Tadminvfrm& f) {
        pick(f, QStringLiteral("SCREEN"));
        f.description->setText(QStringLiteral("Pull-down screen"));
        f.managedby->setText(QStringLiteral("nobody"));
        f.catergory->setText(QStringLiteral("nowhere"));
        click(f.Button4);
        f.managedby->setText(QStringLiteral("bob"));
        click(f.Button4);
        EXPECT_EQ(ui->alerts, (QStringList{M::UnknownUser, M::UnknownCategory}));
        EXPECT_EQ(itemField(QStringLiteral("SCREEN"), "ItemDescription"), QString());

        // An add refused for a name in use, then cancelled, leaves Apply on
        // the item shown (the name's look-up moved the items table).
        ui->answer([&](QDialog& d) {
            auto& a = static_cast<Taddinvfrm&>(d);
            a.itemname->setText(QStringLiteral("vault"));
            a.managedby->setText(QStringLiteral("BOB"));
            a.catergory->setText(QStringLiteral("Rooms"));
            click(a.additembtn);
            click(a.Button3);
            return mrOk;
        });
        click(f.Button5);
        EXPECT_EQ(ui->alerts.last(), M::NameTaken);
        ui->alerts.removeLast();

        f.catergory->setText(QStringLiteral("miscellaneous"));
        typeLevel(f.accesslevel, QStringLiteral("250"));
        f.available->setChecked(false);
        click(f.Button4);
        EXPECT_EQ(f.accesslevel->value(), 200);
        click(f.Button8);
    });
    EXPECT_EQ(ui->alerts.size(), 2);
    // As typed; the hidden circulation controls carried flag and barcode through.
    for (const auto& [field, value] : {std::pair("ItemDescription", "Pull-down screen"), std::pair("Manager", "bob"),
                                       std::pair("Catergory", "miscellaneous"), std::pair("minSecurity", "200"),
                                       std::pair("isAvailable", "0"), std::pair("Circulated", "1"),
                                       std::pair("BarCode", "*1234567890*")})
        EXPECT_EQ(itemField(QStringLiteral("SCREEN"), field), QLatin1String(value)) << field;
    EXPECT_EQ(itemField(QStringLiteral("VAULT"), "Manager"), QStringLiteral("BOB"));
    // Closing re-read the main window: SCREEN is no longer offered.
    EXPECT_TRUE(win->DBitemlist->findItems(QStringLiteral("SCREEN"), Qt::MatchExactly).isEmpty());
}

TEST_F(Items, RenameChecksInOrderAndKeepsTheCaseTyped)
{
    addBooking(QStringLiteral("PROJECTOR"), QDate(2026, 3, 2), QStringLiteral("1"), QStringLiteral("BOB"));
    inManager([&](Tadminvfrm& f) {
        pick(f, QStringLiteral("PROJECTOR"));
        // A minimize and restore keep the list and what the commands act on.
        minimizeAndRestore(f);
        EXPECT_EQ(listed(f), (QStringList{"apple", "PROJECTOR", "SCREEN", "VAULT"}));
        setRight(false);
        click(f.Button6);
        EXPECT_EQ(ui->alerts, QStringList{Denied});
        setRight(true);

        // A character outside the Basic Multilingual Plane: two UTF-16 units.
        const QString smile = QString::fromUcs4(U"\U0001F600");
        struct Case {
            QString typed;
            QString message;   // empty: none
        };
        const Case cases[] = {
            {"PROJECTOR", QString()},                  // the same name: nothing
            {"projector", M::NameTaken},               // letter case alone
            {"Screen", M::NameTaken},                  // another item
            {"", M::BadName},                          // nobody could pick it
            {"123456789012345678901234567890123456789012345678901", M::BadName},
            {smile.repeated(51), M::BadName},
        };
        for (const Case& c : cases) {
            ui->alerts.clear();
            answerText(c.typed);
            click(f.Button6);
            EXPECT_EQ(ui->alerts, c.message.isEmpty() ? QStringList() : QStringList{c.message}) << c.typed.toStdString();
            EXPECT_EQ(itemField(QStringLiteral("PROJECTOR"), "ItemName"), QStringLiteral("PROJECTOR"))
                << c.typed.toStdString();
        }
        // Cancel gives the old name back: nothing happens.
        ui->alerts.clear();
        ui->answer(mrCancel);
        click(f.Button6);
        EXPECT_TRUE(ui->alerts.isEmpty());

        // The refused names moved nothing: the rename is still the shown item's.
        EXPECT_EQ(f.description->text(), QString());
        // Fifty characters outside the Basic Multilingual Plane fit the column.
        const QString wide = smile.repeated(50);
        answerText(wide);
        click(f.Button6);
        EXPECT_TRUE(ui->alerts.isEmpty());
        EXPECT_EQ(itemField(wide, "ItemName"), wide);
        answerText(QStringLiteral("Projector Two"));
        click(f.Button6);
        EXPECT_TRUE(ui->alerts.isEmpty());
        EXPECT_EQ(listed(f), (QStringList{"apple", "Projector Two", "SCREEN", "VAULT"}));
        EXPECT_EQ(f.DBItemsList->row(), f.DBItemsList->RowOfRecord(2));
        EXPECT_EQ(DM().itemstable.asString(QStringLiteral("ItemName")), QStringLiteral("Projector Two"));
        click(f.Button8);
    });
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM items WHERE ItemName = 'Projector Two'")), 1);
    // Bookings keep the old name.
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM bookings WHERE ItemBooked = 'PROJECTOR'")), 1);
}

TEST_F(Items, DeleteAsksAndLeavesTheBookings)
{
    addBooking(QStringLiteral("PROJECTOR"), QDate(2026, 3, 2), QStringLiteral("1"), QStringLiteral("BOB"));
    db().exec(QStringLiteral("UPDATE items SET minSecurity = 1"));
    inManager([&](Tadminvfrm& f) {
        pick(f, QStringLiteral("PROJECTOR"));
        minimizeAndRestore(f);
        setRight(false);
        click(f.Button7);
        EXPECT_EQ(ui->alerts, QStringList{Denied});
        setRight(true);
        ui->answer([](QDialog& q) {
            EXPECT_EQ(q.findChild<QLabel*>(QStringLiteral("question"))->text(), M::ConfirmDelete);
            return mrCancel;
        });
        click(f.Button7);
        EXPECT_EQ(listed(f).size(), 4);

        ui->answer(mrOk);
        click(f.Button7);
        EXPECT_EQ(listed(f), (QStringList{"apple", "SCREEN", "VAULT"}));
        EXPECT_EQ(DM().itemstable.asString(QStringLiteral("ItemName")), QStringLiteral("apple"));
        EXPECT_EQ(f.DBItemsList->row(), f.DBItemsList->RowOfRecord(1));

        // Deleting every item leaves the details disabled.
        for (int i = 0; i < 3; ++i) {
            ui->answer(mrOk);
            click(f.Button7);
        }
        EXPECT_TRUE(listed(f).isEmpty());
        EXPECT_FALSE(f.DetailsGRp->isEnabled());
        click(f.Button8);
    });
    EXPECT_EQ(ui->alerts.size(), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM bookings WHERE ItemBooked = 'PROJECTOR'")), 1);
    EXPECT_EQ(win->DBitemlist->count(), 0);
}

TEST_F(Items, TheAddDialogIsEnabledOnlyWithEveryFieldAndALevelInRange)
{
    struct Case {
        const char* name;
        const char* manager;
        const char* category;
        const char* level;
        bool enabled;
    };
    const Case cases[] = {
        {"LAB", "BOB", "Rooms", "1", true},    {"LAB", "BOB", "Rooms", "200", true},
        {"LAB", "BOB", "Rooms", "", false},    {"LAB", "BOB", "Rooms", "0", false},
        {"LAB", "BOB", "Rooms", "201", false}, {"", "BOB", "Rooms", "5", false},
        {"LAB", "", "Rooms", "5", false},      {"LAB", "BOB", "", "5", false},
    };
    ui->answer([&](QDialog& d) {
        auto& f = static_cast<Taddinvfrm&>(d);
        EXPECT_FALSE(f.additembtn->isEnabled());
        EXPECT_EQ(f.accesslevel->value(), 1);
        for (const Case& c : cases) {
            f.itemname->setText(QString::fromLatin1(c.name));
            f.managedby->setText(QString::fromLatin1(c.manager));
            f.catergory->setText(QString::fromLatin1(c.category));
            typeLevel(f.accesslevel, QString::fromLatin1(c.level));
            EXPECT_EQ(f.additembtn->isEnabled(), c.enabled) << c.name << "/" << c.manager << "/" << c.category
                                                             << "/" << c.level;
        }
        typeLevel(f.accesslevel, QStringLiteral("7"));
        click(f.Button3);
        return mrOk;
    });
    AddItemFlow();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM items")), 4);

    // Shown again: the three edits are empty, the level stays.
    ui->answer([&](QDialog& d) {
        auto& f = static_cast<Taddinvfrm&>(d);
        EXPECT_EQ(f.itemname->text(), QString());
        EXPECT_EQ(f.managedby->text(), QString());
        EXPECT_EQ(f.catergory->text(), QString());
        EXPECT_EQ(f.accesslevel->rawText(), QStringLiteral("7"));
        EXPECT_FALSE(f.additembtn->isEnabled());
        d.close();
        return mrOk;
    });
    AddItemFlow();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM items")), 4);
}

TEST_F(Items, AddingAnItemFromTheManagerToTheMainWindow)
{
    inManager([&](Tadminvfrm& f) {
        ui->answer([&](QDialog& d) {
            auto& a = static_cast<Taddinvfrm&>(d);
            // Manager and category through their pickers: Cancel keeps the
            // field, Select fills it.
            a.managedby->setText(QStringLiteral("kept"));
            ui->answer(mrCancel);
            click(a.Button1);
            EXPECT_EQ(a.managedby->text(), QStringLiteral("kept"));
            ui->answer([](QDialog& p) {
                EXPECT_EQ(p.objectName(), QStringLiteral("lookupuserfrm"));
                return mrOk;
            });
            click(a.Button1);
            EXPECT_EQ(a.managedby->text(), QStringLiteral("BOB"));
            FindCategory(QStringLiteral("Rooms"));
            ui->answer(mrOk);
            click(a.Button9);
            EXPECT_EQ(a.catergory->text(), QStringLiteral("Rooms"));

            // The checks in order, the dialog staying open.
            a.itemname->setText(QStringLiteral("Screen"));
            a.managedby->setText(QStringLiteral("nobody"));
            a.catergory->setText(QStringLiteral("nowhere"));
            click(a.additembtn);
            a.managedby->setText(QStringLiteral("bob"));
            click(a.additembtn);
            a.catergory->setText(QStringLiteral("rooms"));
            click(a.additembtn);
            EXPECT_EQ(ui->alerts, (QStringList{M::UnknownUser, M::UnknownCategory, M::NameTaken}));
            EXPECT_TRUE(a.isVisible());
            a.itemname->setText(QStringLiteral("Lab one"));
            typeLevel(a.accesslevel, QStringLiteral("5"));
            click(a.additembtn);
            EXPECT_FALSE(a.isVisible());
            return mrCancel;   // the button's own result counts
        });
        click(f.Button5);
        EXPECT_EQ(listed(f), (QStringList{"apple", "LAB ONE", "PROJECTOR", "SCREEN", "VAULT"}));
        EXPECT_EQ(f.DBItemsList->row(), f.DBItemsList->RowOfRecord(2));
        EXPECT_EQ(f.catergory->text(), QStringLiteral("rooms"));
        EXPECT_EQ(f.managedby->text(), QStringLiteral("BOB"));
        EXPECT_EQ(f.accesslevel->value(), 5);
        EXPECT_TRUE(f.DetailsGRp->isEnabled());
        EXPECT_FALSE(f.available->isChecked());   // not offered until marked
        f.available->setChecked(true);
        click(f.Button4);
        click(f.Button8);
    });
    EXPECT_EQ(ui->alerts.size(), 3);
    const QString barcode = itemField(QStringLiteral("LAB ONE"), "BarCode");
    EXPECT_TRUE(isBarcode(barcode)) << barcode.toStdString();
    EXPECT_NE(barcode.mid(barcode.size() - 7, 6), QStringLiteral("999999"));
    EXPECT_EQ(itemField(QStringLiteral("LAB ONE"), "AuthCode").size(), 6);

    // The main window offers it in its category, and it can be booked.
    win->DisplayCatergory->setCurrentIndex(win->DisplayCatergory->findText(QStringLiteral("rooms"), Qt::MatchFixedString));
    win->DisplayCatergoryClick();
    ASSERT_FALSE(win->DBitemlist->findItems(QStringLiteral("LAB ONE"), Qt::MatchExactly).isEmpty());
    win->DBitemlist->setCurrentItem(win->DBitemlist->findItems(QStringLiteral("LAB ONE"), Qt::MatchExactly).first());
    win->Sheet->setSelection({4, 1, 4, 1});   // Thursday, first period
    answerText(QStringLiteral("lesson"));
    win->Bookitem1->trigger();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM bookings WHERE ItemBooked = 'LAB ONE'")), 1);
}

TEST_F(Items, AnItemTheFileRefusesIsReported)
{
    inManager([&](Tadminvfrm& f) {
        pick(f, QStringLiteral("VAULT"));
        ui->answer([&](QDialog& d) {
            auto& a = static_cast<Taddinvfrm&>(d);
            a.itemname->setText(QStringLiteral("Late"));
            a.managedby->setText(QStringLiteral("BOB"));
            a.catergory->setText(QStringLiteral("Rooms"));
            click(a.additembtn);
            // Another client takes the name between the check and the add.
            second().ADOConnection.exec(QStringLiteral("INSERT INTO items (ItemName, minSecurity) VALUES ('LATE', 1)"));
            return mrOk;
        });
        click(f.Button5);
        EXPECT_EQ(ui->alerts, QStringList{M::AddFailed});
        // The details show the row the table stands on.
        EXPECT_EQ(DM().itemstable.asString(QStringLiteral("ItemName")), f.ItemsList.asString(QStringLiteral("ItemName")));
        click(f.Button8);
    });
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM items WHERE ItemName = 'LATE'")), 1);

    // Without the right "Add Item" is refused.
    inManager([&](Tadminvfrm& f) {
        setRight(false);
        click(f.Button5);
        click(f.Button8);
    });
    EXPECT_EQ(ui->alerts.last(), Denied);
}

TEST_F(Items, RegenerateBarcodeChangesOnlyTheHiddenLabel)
{
    Random::seed(7);
    inManager([&](Tadminvfrm& f) {
        pick(f, QStringLiteral("SCREEN"));
        f.Button2Click();
        EXPECT_TRUE(isBarcode(f.barcode->text()));
        EXPECT_EQ(itemField(QStringLiteral("SCREEN"), "BarCode"), QStringLiteral("*1234567890*"));
        click(f.Button8);
    });
}

TEST_F(Items, AChangeThatFailedOnALockedFileIsNotWrittenLater)
{
    inManager([&](Tadminvfrm& f) {
        pick(f, QStringLiteral("PROJECTOR"));
        // Another program holds the file while Rename and Apply write.
        Database holder;
        holder.open(path);
        holder.exec(QStringLiteral("BEGIN IMMEDIATE"));
        {
            // Said as the booking commands say it; the boxes show what is stored.
            NoLockWait fast(DM().ADOConnection);
            answerText(QStringLiteral("Locked out"));
            f.Button6Click();
            f.description->setText(QStringLiteral("locked out"));
            f.Button4Click();
            EXPECT_EQ(ui->alerts, QStringList(2, MainMessages::InUseByAnotherProgram(M::NotChanged)));
            EXPECT_TRUE(ui->alerts.first().endsWith(QLatin1String("Try again in a moment")));
            EXPECT_EQ(f.description->text(), itemField(QStringLiteral("PROJECTOR"), "ItemDescription"));
        }
        holder.exec(QStringLiteral("ROLLBACK"));
        // Nothing waits to be written by the next move of the items table.
        EXPECT_EQ(DM().itemstable.state(), Dataset::State::Browse);
        EXPECT_NE(FindItem(QStringLiteral("apple")), -1);
        click(f.Button8);
    });
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM items WHERE ItemName = 'Locked out' "
                                   "OR ItemDescription = 'locked out'")),
              0);
    EXPECT_EQ(itemField(QStringLiteral("PROJECTOR"), "ItemName"), QStringLiteral("PROJECTOR"));
}

TEST_F(Items, ARenameOrDeleteThatLandedIsNotSaidUndoneWhenTheFileIsHeldAsTheListIsReadAgain)
{
    struct Case {
        const char* item;
        QPushButton* Tadminvfrm::*button;
        const char* typed;   // the new name; none: the delete's question
        QStringList listed;
        const char* appliedTo;   // the item a following Apply changes
    };
    const Case cases[] = {
        {"PROJECTOR", &Tadminvfrm::Button6, "Projector Two", {"apple", "Projector Two", "SCREEN", "VAULT"},
         "Projector Two"},
        {"SCREEN", &Tadminvfrm::Button7, nullptr, {"apple", "Projector Two", "VAULT"}, "apple"},
    };
    inManager([&](Tadminvfrm& f) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.item);
            ui->alerts.clear();
            pick(f, QLatin1String(c.item));
            Database holder;
            holder.setBusyTimeout(50);
            holder.open(path);
            {
                NoLockWait fast(DM().ADOConnection);
                // Another program takes the file as the list is read again after the write.
                testsupport::OnStatementStart held(DM().ADOConnection.rawHandle(), "BEGIN", 1, [&] {
                    EXPECT_NO_THROW(holder.exec(QStringLiteral("BEGIN EXCLUSIVE")));
                });
                if (c.typed)
                    answerText(QLatin1String(c.typed));
                else
                    ui->answer(mrOk);
                click(f.*c.button);
                EXPECT_TRUE(held.fired());
            }
            EXPECT_TRUE(ui->alerts.isEmpty()) << ui->alerts.join(QLatin1Char('|')).toStdString();
            EXPECT_NE(listed(f), c.listed) << "the list as last read";
            holder.exec(QStringLiteral("ROLLBACK"));
            EXPECT_EQ(itemField(QLatin1String(c.item), "ItemName"), QString());
            // The window catches up at the next tick once the file is free,
            // and acts on what it shows.
            auto* reread = f.findChild<QTimer*>(QStringLiteral("reread"));
            ASSERT_TRUE(reread && reread->isActive());
            QMetaObject::invokeMethod(reread, "timeout");
            EXPECT_EQ(listed(f), c.listed);
            EXPECT_FALSE(reread->isActive());
            f.description->setText(QStringLiteral("applied"));
            click(f.Button4);
            EXPECT_TRUE(ui->alerts.isEmpty()) << ui->alerts.join(QLatin1Char('|')).toStdString();
            EXPECT_EQ(itemField(QLatin1String(c.appliedTo), "ItemDescription"), QStringLiteral("applied"));
        }
        click(f.Button8);
    });
}

TEST_F(Items, AnItemDeletedWhileRenameOrDeleteAskedIsSaidToBeGone)
{
    inManager([&](Tadminvfrm& f) {
        // Another client deletes the item while the prompt is open.
        const auto deletedMeanwhile = [&](const char* item, const QString& typed) {
            ui->answer([this, item, typed](QDialog& d) {
                second().ADOConnection.exec(QStringLiteral("DELETE FROM items WHERE ItemName = ?"),
                                            {QLatin1String(item)});
                if (auto* text = d.findChild<QLineEdit*>(QStringLiteral("question")))
                    text->setText(typed);
                return mrOk;
            });
        };
        pick(f, QStringLiteral("PROJECTOR"));
        deletedMeanwhile("PROJECTOR", QStringLiteral("Projector Two"));
        EXPECT_NO_THROW(f.Button6Click());
        EXPECT_EQ(ui->alerts, QStringList{M::ItemGone});
        EXPECT_EQ(listed(f), (QStringList{"apple", "SCREEN", "VAULT"}));

        pick(f, QStringLiteral("SCREEN"));
        deletedMeanwhile("SCREEN", QString());
        EXPECT_NO_THROW(f.Button7Click());
        EXPECT_EQ(ui->alerts, QStringList(2, M::ItemGone));
        EXPECT_EQ(listed(f), (QStringList{"apple", "VAULT"}));
        EXPECT_EQ(f.managedby->text(), QStringLiteral("BOB"));
        EXPECT_EQ(DM().itemstable.asString(QStringLiteral("ItemName")), QStringLiteral("apple"));

        EXPECT_NE(FindItem(QStringLiteral("vault")), -1);
        click(f.Button8);
    });
    EXPECT_FALSE(AdminvForm()->isVisible());
    EXPECT_EQ(PlaceBooking(QStringLiteral("apple"), QStringLiteral("1"), QStringLiteral("BOB"),
                           QDateTime(QDate(2026, 3, 5), QTime(0, 0)), QStringLiteral("lesson"), false,
                           QStringLiteral("BOB"), false),
              0);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM bookings WHERE ItemBooked = 'apple'")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM items WHERE ItemName = 'Projector Two'")), 0);
}

TEST_F(Items, ApplyRenameOrDeleteOfAnItemAnotherClientDeletedSaysItIsGone)
{
    inManager([&](Tadminvfrm& f) {
        const struct {
            const char* item;
            QPushButton* button;
        } cases[] = {{"SCREEN", f.Button4}, {"PROJECTOR", f.Button6}, {"apple", f.Button7}};
        for (const auto& c : cases) {
            pick(f, QLatin1String(c.item));
            second().ADOConnection.exec(QStringLiteral("DELETE FROM items WHERE ItemName = ?"), {QLatin1String(c.item)});
            f.description->setText(QStringLiteral("gone"));
            click(c.button);
            EXPECT_EQ(ui->alerts.last(), M::ItemGone) << c.item;
            EXPECT_FALSE(listed(f).contains(QLatin1String(c.item)));
            EXPECT_EQ(f.description->text(), QString()) << "the stored details of the first item";
        }
        EXPECT_EQ(ui->alerts.size(), 3);
        click(f.Button8);
    });
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM items WHERE ItemDescription = 'gone'")), 0);
}

} // namespace
