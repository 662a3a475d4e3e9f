#pragma once
#include "Forms.h"

#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class TSpinEdit;

namespace ItemMessages {
inline const QString UnknownUser = QStringLiteral("Unknown User - Make sure you typed the username");
inline const QString UnknownCategory = QStringLiteral("Unknown Category");
inline const QString NameTaken = QStringLiteral(
    "Item Name already in Tavrell. Choose a different name to call your item");
inline const QString RankRestricts = QStringLiteral(
    "Your Security level restricts you from being able to do this function on that user");
inline const QString RenamePrompt = QStringLiteral("Give the item a new name");
inline const QString ConfirmDelete = QStringLiteral("Are you sure?");
inline const QString AddFailed = QStringLiteral("Unable to add item");
inline const QString BadName = QStringLiteral("An item name must have between 1 and 50 characters");
inline const QString ItemGone = QStringLiteral("Item no longer exists - Another user may have deleted it");
// What was not done when another program held the file.
inline const QString NotChanged = QStringLiteral("the item was not changed");
inline const QString NotDeleted = QStringLiteral("the item was not deleted");
} // namespace ItemMessages

// The add-item dialog: a new item's name, manager, category and the lowest
// security level that may book it. "Add Item" closes it only once the
// manager and the category exist and the name is free.
class Taddinvfrm : public TFormBase {
    Q_OBJECT
public:
    explicit Taddinvfrm(QWidget* parent = nullptr);

    QLineEdit* itemname;
    QLineEdit* managedby;
    QPushButton* Button1;      // ">" beside managedby
    QLineEdit* catergory;
    QPushButton* Button9;      // ">" beside catergory
    QLabel* Label2;
    TSpinEdit* accesslevel;    // 1..200
    QPushButton* additembtn;   // "Add Item"
    QPushButton* Button3;      // "Cancel"

    // "Add Item" is enabled exactly when the three edits hold text and the
    // spin edit holds a number from 1 to 200.
    void AddItemDialogValidate();

    void FormShow();
    void itemnameChange();
    void managedbyChange();
    void catergoryChange();
    void accesslevelChange();
    void additembtnClick();
    void Button1Click();
    void Button9Click();
    void Button3Click();

protected:
    void showEvent(QShowEvent* event) override;
};

Taddinvfrm* AddInvForm();

// The "Manage By" and "Catergory" pickers of both item dialogs: a name picked
// replaces the edit's text, a cancelled picker leaves it.
void PickManagerInto(QLineEdit* edit);
void PickCategoryInto(QLineEdit* edit);
// The first checks of both item dialogs: the manager is a user, then the
// category exists; false after the message of the first that fails.
bool ManagerAndCategoryKnown(const QLineEdit* manager, const QLineEdit* category);
