#pragma once
#include "CoolCtrlsDB.h"
#include "Forms.h"

#include <QString>
#include <functional>

class QLabel;
class QPushButton;
class TDBEdit;

namespace CategoryMessages {
inline const QString Caption = QStringLiteral("Edit Catergories");
inline const QString Explanation = QStringLiteral(
    "Categories allow you to sort your items into groups. Eg. You could create a Category called computer rooms "
    "and place all of those computer room items into the group. Then when searching for bookings, you can search "
    "the entire category instead of just the individual items. ");
inline const QString SystemCategory = QStringLiteral("Miscellaneous");
inline const QString CannotDeleteSystem = QStringLiteral(
    "Cannot Delete the Miscellaneous Category. It is a system category.");
inline const QString ConfirmDelete = QStringLiteral("Do you wish to delete this category?");
inline const QString DeleteFailed = QStringLiteral("Unable to Delete Category");
} // namespace CategoryMessages

// A data grid that asks its owner before the current record moves away
// from a pending change; the owner may settle the change or keep the row.
class TPendingGuardGrid : public TDBCoolGrid {
    Q_OBJECT
public:
    using TDBCoolGrid::TDBCoolGrid;
    // Answers true when the move may go on.
    std::function<bool()> OnBeforeMove;

protected:
    bool selectCell(int col, int row) override;
};

// The category editor: every category in a grid, the current one in two
// edits; a change stays pending until it is saved or cancelled, and is
// settled before the current row moves and when the editor closes.
class Tcatfrm : public TFormBase {
    Q_OBJECT
public:
    explicit Tcatfrm(QWidget* parent = nullptr);

    QLabel* Label1;
    TPendingGuardGrid* DBCoolGrid1;
    TDBEdit* DBEdit1;        // CaterGoryName
    TDBEdit* DBEdit2;        // Description
    QPushButton* Button1;    // "Add"
    QPushButton* Button2;    // "Delete"
    QPushButton* Button3;    // "Cancel Changes"
    QPushButton* Button5;    // "Save Changes"
    QPushButton* Button4;    // "Close"

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();

    // Settles the pending change: a changed row is posted, a new row nothing
    // was typed into is dropped. When the file refuses the post, its error is
    // shown, the change stays pending and the answer is false.
    bool SettlePending();
    // Whether the pending change differs from the row as stored.
    bool PendingChanged();

    // Every close settles the pending change first (a refused post keeps the
    // editor open) and then re-reads the main window's lists.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

Tcatfrm* CatForm();
