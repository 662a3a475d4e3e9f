// The category editor and the category picker: the delete rule, pending
// edits across moves and closes, and what the picker hands back.
#include "MainFixture.h"

#include "DBEdit.h"
#include "DbError.h"
#include "Lookups.h"
#include "catfrm.h"
#include "lookupcatfrm.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

namespace {

class Categories : public MainFixture {
protected:
    void SetUp() override
    {
        MainFixture::SetUp();
        if (HasFailure())
            return;
        db().exec(QStringLiteral("INSERT INTO catergories (CaterGoryName, Description) VALUES "
                                 "('Miscellaneous', 'Anything else'), ('Rooms', 'Teaching rooms')"));
        db().exec(QStringLiteral("UPDATE Users SET canModifyCatergories = 1 WHERE username = 'BOB'"));
        win->InitMainWindow();
    }

    // The categories as stored: "name=description", in the order made.
    QStringList stored()
    {
        QStringList rows;
        Dataset& t = second().catergoriestable;
        t.requery();
        for (t.first(); !t.eof(); t.next())
            rows << t.asString(QStringLiteral("CaterGoryName")) + "=" + t.asString(QStringLiteral("Description"));
        return rows;
    }

    // Opens the editor from the menu and runs the body inside it.
    void inEditor(const std::function<void(Tcatfrm&)>& body)
    {
        ui->answer([body](QDialog& d) {
            body(static_cast<Tcatfrm&>(d));
            return mrOk;
        });
        win->EditCatergories1->trigger();
        EXPECT_TRUE(ui->answers.empty());
    }

    static void type(TDBEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    static void clickRow(Tcatfrm& f, int recNo)
    {
        TDBCoolGrid* g = f.DBCoolGrid1;
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->cellRect(0, g->RowOfRecord(recNo)).center());
    }
    static void click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
};

TEST_F(Categories, DeleteRefusesTheSystemCategoryAndAsksForEveryOther)
{
    inEditor([&](Tcatfrm& f) {
        Dataset& t = DM().catergoriestable;
        // The system category: by the button and by the grid's delete key,
        // refused without a question.
        clickRow(f, 1);
        EXPECT_EQ(f.DBEdit1->text(), QStringLiteral("Miscellaneous"));
        click(f.Button2);
        f.DBCoolGrid1->setFocus();
        QTest::keyClick(f.DBCoolGrid1, Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(ui->alerts, QStringList(2, CategoryMessages::CannotDeleteSystem));

        // A pending rename does not make the stored system category deletable.
        type(f.DBEdit1, QStringLiteral("Other"));
        click(f.Button2);
        EXPECT_EQ(ui->alerts.size(), 3);
        click(f.Button3);
        EXPECT_EQ(f.DBEdit1->text(), QStringLiteral("Miscellaneous"));

        // Any other category is asked about: No keeps it, Yes deletes it,
        // also through the grid's key.
        clickRow(f, 2);
        ui->answer(mrCancel);
        click(f.Button2);
        EXPECT_EQ(t.recordCount(), 2);
        ui->answer([](QDialog& q) {
            EXPECT_EQ(q.findChild<QLabel*>(QStringLiteral("question"))->text(), CategoryMessages::ConfirmDelete);
            return mrOk;
        });
        f.DBCoolGrid1->setFocus();
        QTest::keyClick(f.DBCoolGrid1, Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(t.recordCount(), 1);
        EXPECT_EQ(ui->alerts.size(), 3);
        click(f.Button4);
    });
    EXPECT_EQ(stored(), QStringList{"Miscellaneous=Anything else"});

    // The test is exact and heeds letter case: another spelling goes.
    second().ADOConnection.exec(QStringLiteral("UPDATE catergories SET CaterGoryName = 'miscellaneous'"));
    inEditor([&](Tcatfrm& f) {
        ui->answer(mrOk);
        click(f.Button2);
        click(f.Button4);
    });
    EXPECT_TRUE(stored().isEmpty());
}

TEST_F(Categories, DeleteWithNothingToDeleteSaysSo)
{
    db().exec(QStringLiteral("DELETE FROM catergories"));
    inEditor([&](Tcatfrm& f) {
        click(f.Button2);
        EXPECT_EQ(ui->alerts, QStringList{CategoryMessages::DeleteFailed});
        // Typing into an empty table writes nothing anywhere.
        type(f.DBEdit1, QStringLiteral("X"));
        EXPECT_EQ(DM().catergoriestable.state(), Dataset::State::Browse);
        click(f.Button4);
    });
    EXPECT_TRUE(stored().isEmpty());
}

TEST_F(Categories, AddSaveAndCancelChanges)
{
    inEditor([&](Tcatfrm& f) {
        // Add, type, Cancel Changes: nothing.
        click(f.Button1);
        type(f.DBEdit1, QStringLiteral("Labs"));
        click(f.Button3);
        EXPECT_EQ(DM().catergoriestable.recordCount(), 2);
        // Add, type, Save Changes: stored.
        click(f.Button1);
        EXPECT_EQ(f.DBEdit1->text(), QString());
        type(f.DBEdit1, QStringLiteral("Labs"));
        type(f.DBEdit2, QStringLiteral("Science labs"));
        click(f.Button5);
        EXPECT_EQ(stored().last(), QStringLiteral("Labs=Science labs"));
        // An edit cancelled shows and keeps the stored values.
        clickRow(f, 2);
        type(f.DBEdit2, QStringLiteral("changed"));
        click(f.Button3);
        EXPECT_EQ(f.DBEdit2->text(), QStringLiteral("Teaching rooms"));
        // Widths of the schema.
        EXPECT_EQ(std::pair(f.DBEdit1->maxLength(), f.DBEdit2->maxLength()), std::pair(50, 150));
        click(f.Button4);
    });
    EXPECT_EQ(stored(), (QStringList{"Miscellaneous=Anything else", "Rooms=Teaching rooms", "Labs=Science labs"}));
}

TEST_F(Categories, PendingEditsAreSettledWhenTheRowMovesAndWhenTheEditorCloses)
{
    // A category that items name appears in the main window after the close.
    second().ADOConnection.exec(
        QStringLiteral("INSERT INTO items (ItemName, Catergory, minSecurity, isAvailable) VALUES ('LAB1', 'Labs', 1, 1)"));
    inEditor([&](Tcatfrm& f) {
        // An edit left pending survives a click on another row: it is posted.
        clickRow(f, 2);
        type(f.DBEdit2, QStringLiteral("All rooms"));
        clickRow(f, 1);
        EXPECT_EQ(f.DBEdit1->text(), QStringLiteral("Miscellaneous"));
        EXPECT_EQ(stored().at(1), QStringLiteral("Rooms=All rooms"));

        // A new row nothing was typed into is dropped by the move.
        click(f.Button1);
        clickRow(f, 2);
        EXPECT_EQ(DM().catergoriestable.recordCount(), 2);
        EXPECT_EQ(f.DBEdit1->text(), QStringLiteral("Rooms"));

        // A name the file refuses (unique without regard to case): the error
        // is shown and the row does not move.
        type(f.DBEdit1, QStringLiteral("MISCELLANEOUS"));
        clickRow(f, 1);
        ASSERT_EQ(ui->alerts.size(), 1);
        EXPECT_EQ(DM().catergoriestable.recNo(), 2);
        EXPECT_EQ(DM().catergoriestable.state(), Dataset::State::Edit);
        // Save Changes leaves the refusal to the program's error display;
        // the change stays for correction.
        EXPECT_THROW(f.Button5Click(), DbError);
        EXPECT_EQ(f.DBEdit1->text(), QStringLiteral("MISCELLANEOUS"));
        // Close cannot settle it either: the editor stays open.
        click(f.Button4);
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(ui->alerts.size(), 2);
        f.close();
        EXPECT_TRUE(f.isVisible());

        // Corrected, the close posts it.
        type(f.DBEdit1, QStringLiteral("Labs"));
        click(f.Button4);
        EXPECT_FALSE(f.isVisible());
    });
    EXPECT_EQ(stored(), (QStringList{"Miscellaneous=Anything else", "Labs=All rooms"}));
    EXPECT_GE(win->DisplayCatergory->findText(QStringLiteral("Labs")), 0);

    // The frame's close settles too, and re-reads the main window.
    second().ADOConnection.exec(QStringLiteral("UPDATE items SET Catergory = 'Rooms' WHERE ItemName = 'LAB1'"));
    inEditor([&](Tcatfrm& f) {
        clickRow(f, 2);
        type(f.DBEdit1, QStringLiteral("Rooms"));
        f.close();
        EXPECT_FALSE(f.isVisible());
    });
    EXPECT_EQ(stored().at(1), QStringLiteral("Rooms=All rooms"));
    EXPECT_EQ(win->DisplayCatergory->findText(QStringLiteral("Labs")), -1);
    EXPECT_GE(win->DisplayCatergory->findText(QStringLiteral("Rooms")), 0);
}

TEST_F(Categories, ThePickerOpensWhereTheTableStandsAndOnlySelectPicks)
{
    QString name = QStringLiteral("unchanged");
    FindCategory(QStringLiteral("rooms"));
    ui->answer([](QDialog& d) {
        auto& f = static_cast<Tlookupcatfrm&>(d);
        EXPECT_TRUE(f.cancelbtn->isVisibleTo(&f));
        EXPECT_EQ(f.DBCatList->row(), f.DBCatList->RowOfRecord(2));
        QTest::mouseClick(f.DBCatList->viewport(), Qt::LeftButton, {},
                          f.DBCatList->cellRect(0, f.DBCatList->RowOfRecord(1)).center());
        QTest::mouseClick(f.Button1, Qt::LeftButton);
        return mrCancel;   // the button's own result counts
    });
    PickCategory(false, name);
    EXPECT_EQ(name, QStringLiteral("Miscellaneous"));

    // Cancel, Escape and the frame all leave the name empty; a caller keeps
    // its field then.
    const std::function<void(QDialog&)> leaves[] = {
        [](QDialog& d) { QTest::mouseClick(static_cast<Tlookupcatfrm&>(d).cancelbtn, Qt::LeftButton); },
        [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](QDialog& d) { d.close(); },
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        name = QStringLiteral("unchanged");
        ui->answer([&, i](QDialog& d) {
            leaves[i](d);
            return mrOk;
        });
        PickCategory(i == 2, name);
        EXPECT_EQ(name, QString());
    }
    EXPECT_FALSE(LookupCatForm()->cancelbtn->isVisibleTo(LookupCatForm()));

    // The picker only picks: its grid deletes nothing.
    ui->answer([](QDialog& d) {
        auto& f = static_cast<Tlookupcatfrm&>(d);
        f.DBCatList->setFocus();
        QTest::keyClick(f.DBCatList, Qt::Key_Delete, Qt::ControlModifier);
        return mrCancel;
    });
    PickCategory(false, name);
    EXPECT_EQ(stored().size(), 2);
}

} // namespace
