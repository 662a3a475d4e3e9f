#pragma once
#include "Dataset.h"
#include "Forms.h"

#include <QString>
#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class TDBCoolGrid;
class TSpinEdit;

// The item manager: every item by name, and the details of the one the
// items table stands on, editable by users whose level reaches the item's.
class Tadminvfrm : public TFormBase {
    Q_OBJECT
public:
    explicit Tadminvfrm(QWidget* parent = nullptr);

    QGroupBox* GroupBox1;        // "Inventory"
    TDBCoolGrid* DBItemsList;    // the item names, ignoring letter case in their order
    QGroupBox* DetailsGRp;       // "Details"
    QLineEdit* description;
    QLineEdit* managedby;
    QPushButton* Button1;        // ">" beside managedby
    QLineEdit* catergory;
    QPushButton* Button9;        // ">" beside catergory
    QLabel* Label2;
    TSpinEdit* accesslevel;      // 1..200
    QCheckBox* available;
    QCheckBox* circulated;       // hidden
    QGroupBox* circulatedgrp;    // hidden
    QLabel* barcode;
    QPushButton* Button2;        // "Regenerate Barcode"
    QPushButton* Button3;        // "Overide Barcode"
    QLabel* Label1;
    QPushButton* Button4;        // "Apply Changes"
    QPushButton* Button5;        // "Add Item"
    QPushButton* Button6;        // "Rename Item"
    QPushButton* Button7;        // "Delete Item"
    QPushButton* Button8;        // "Close "

    // The item names in the list's order, on the shared connection.
    Dataset ItemsList;
    DataSource ItemsListSource;

    // Fills the details from the row the items table stands on; they can be
    // changed only when the logged-on user's level reaches the item's.
    void LoadItemDetails();

    void FormShow();
    void DBItemsListClick();
    void circulatedClick();
    void Button1Click();
    void Button2Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void Button8Click();
    void Button9Click();

    // Every close re-reads the main window's lists.
    void done(int result) override;

    // Reads the list again and highlights the item the items table stands
    // on (the first one when it stands on none).
    void ShowList();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The shown item's two checks before Rename and Delete (its name in
    // name); false after the message of the first that fails. With the item
    // shown just deleted here and the list not read since, the list is read
    // and false answered: the user chooses again from what it shows.
    bool MayChangeShownItem(QString& name);
    // Stands the items table on the shown item again, after a prompt during
    // which another client may have deleted it; a deleted item is said to be
    // gone and the list read again (false then).
    bool FindShownItem(const QString& name);
    // The list read again, with the details of its first item.
    void ShowFirstItem();
    // The details boxes filled from the row the items table stands on.
    void ShowItemFields();
    // Runs a change of the shown item; change answers whether it wrote
    // something the list must show. When another program held the file past
    // the wait before anything was written, that is said in the booking
    // commands' words (notDone says what was not done) and the boxes show
    // the stored values again. A write that landed is shown (ShowChange); a
    // file held by then leaves the window as it last read it, says nothing,
    // and the list is read again a moment later.
    void ChangeShownItem(const QString& notDone, const std::function<bool()>& change);
    // The list read again after a change made here, the shown item
    // highlighted; with none shown, or the shown one gone, the first item
    // and its details. The boxes of an item still shown keep what is typed.
    void ShowChange();
    // Runs while a change made here is not yet shown in the list.
    QTimer* m_reread = nullptr;
    bool m_following = false;
    // The item whose details are shown: what Apply, Rename and Delete act
    // on, whatever the look-ups in between did to the items table.
    QString m_shownItem;
};

Tadminvfrm* AdminvForm();

// The add-item dialog and what follows it: the item is added and its
// details shown.
void AddItemFlow();
