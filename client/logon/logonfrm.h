#pragma once
#include "Forms.h"

class QLabel;
class QLineEdit;
class QPushButton;

// The log-on dialog: a name and a password checked against the accounts,
// and, when the configuration allows it, the way to register.
class Tlogonfrm : public TFormBase {
    Q_OBJECT
public:
    explicit Tlogonfrm(QWidget* parent = nullptr);
    QLabel* Image1;
    QLineEdit* username;
    QLineEdit* password;
    QPushButton* Button1;      // "Logon"
    QPushButton* Button2;      // "Exit"
    QPushButton* newuserbtn;   // "I'm a &new user"

    void FormShow();
    void Button1Click();
    void Button2Click();
    void newuserbtnClick();

protected:
    void showEvent(QShowEvent* event) override;
};

Tlogonfrm* LogonForm();
