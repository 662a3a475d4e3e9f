#pragma once
#include "Dataset.h"
#include "Forms.h"

#include <QString>

class QPushButton;
class TDBCoolGrid;

// The user picker: every listed user by name, with "Select" and "Cancel".
class Tlookupuserfrm : public TFormBase {
    Q_OBJECT
public:
    explicit Tlookupuserfrm(QWidget* parent = nullptr);

    TDBCoolGrid* DBUserList;   // user name and full name, whole rows
    QPushButton* Button1;      // "Select"
    QPushButton* cancelbtn;    // "Cancel"
    DataSource UsersSource;

    void FormShow();
    void Button1Click();
    void cancelbtnClick();

protected:
    void showEvent(QShowEvent* event) override;
};

Tlookupuserfrm* LookupUserForm();

// Lets the user pick a user; name is the picked user's name, or empty when
// the picker was cancelled or closed. With hideCancel the picker offers no
// "Cancel".
void PickUser(bool hideCancel, QString& name);
