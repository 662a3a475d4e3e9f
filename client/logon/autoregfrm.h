#pragma once
#include "Forms.h"

class QLabel;
class QLineEdit;
class QPushButton;

// Self-registration: a new account that takes the template user's level,
// expiry, type and rights.
class Tautoregfrm : public TFormBase {
    Q_OBJECT
public:
    explicit Tautoregfrm(QWidget* parent = nullptr);
    QLabel* Label1;
    QLabel* Image1;
    QLineEdit* username;
    QLineEdit* fullname;
    QLineEdit* pass1;
    QLineEdit* pass2;
    QPushButton* Button1;   // "Register New Account"
    QPushButton* Button2;   // "Cancel Registration"

    void FormShow();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;
};

Tautoregfrm* AutoRegForm();

// Shows the registration dialog: with nameEditable the name is emptied and
// may be typed, otherwise it is the operating-system user's name, fixed.
// Answers the dialog's result (1 when an account was made).
int ShowAutoRegistration(bool nameEditable);
