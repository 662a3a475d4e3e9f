#pragma once
#include "Forms.h"

class QPushButton;
class TRadioGroup;

// How the choice of "Authentication Process" maps onto the two stored
// log-on flags, both ways.
int AuthenticationIndex(bool autoLogin, bool promptPassword);
void AuthenticationFlags(int index, bool& autoLogin, bool& promptPassword);

// The log-on rules: how users log on and whether newcomers may sign up.
class Tlogincfgfrm : public TFormBase {
    Q_OBJECT
public:
    explicit Tlogincfgfrm(QWidget* parent = nullptr);

    TRadioGroup* Authentication;
    TRadioGroup* NewUser;
    QPushButton* Button1;   // "Ok"
    QPushButton* Button2;   // "Cancel"

    void FormShow();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;
};

Tlogincfgfrm* LoginCfgForm();
