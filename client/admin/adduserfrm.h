#pragma once
#include "Forms.h"

class QLabel;
class QLineEdit;
class QPushButton;

// The new user's name, full name and password, typed twice.
class Tadduserfrm : public TFormBase {
    Q_OBJECT
public:
    explicit Tadduserfrm(QWidget* parent = nullptr);

    QLineEdit* username;
    QLineEdit* fullname;
    QLineEdit* pass1;
    QLineEdit* pass2;
    QLabel* pwmatch;
    QPushButton* createbtn;   // "Create User"
    QPushButton* Button2;     // "Cancel"

    void FormShow();
    void createbtnClick();
    void Button2Click();
    // "Create User" only for four filled edits and passwords that agree
    // (without regard to letter case).
    void AddUserDialogValidate();

protected:
    void showEvent(QShowEvent* event) override;
};

Tadduserfrm* AddUserForm();
