#include "logincfgfrm.h"

#include "DataModule.h"
#include "LogOn.h"
#include "RadioGroup.h"
#include "SmallDialogs.h"

#include <QPushButton>

int AuthenticationIndex(bool autoLogin, bool promptPassword)
{
    if (!autoLogin)
        return 2;
    return promptPassword ? 1 : 0;
}

void AuthenticationFlags(int index, bool& autoLogin, bool& promptPassword)
{
    autoLogin = index == 0 || index == 1;
    promptPassword = index == 1;
}

Tlogincfgfrm::Tlogincfgfrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("logincfgfrm"));
    setWindowTitle(QStringLiteral("Login Configuration"));
    setFixedSize(489, 233);

    Authentication = new TRadioGroup(this);
    Authentication->setObjectName(QStringLiteral("Authentication"));
    Authentication->setTitle(QStringLiteral("Authentication Process"));
    Authentication->setItems({QStringLiteral("&Automatically logon using Windows username and password"),
                              QStringLiteral("&Logon using Windows username but prompt for local DB password"),
                              QStringLiteral("&Prompt for username and password from local DB")});
    Authentication->setGeometry(8, 8, 473, 97);

    NewUser = new TRadioGroup(this);
    NewUser->setObjectName(QStringLiteral("NewUser"));
    NewUser->setTitle(QStringLiteral("New User Registration"));
    NewUser->setItems({QStringLiteral("&Allow new users to automatically sign up"),
                       QStringLiteral("&New users cannot sign up automatically")});
    NewUser->setGeometry(8, 112, 473, 73);

    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(320, 198, 75, 25);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(404, 198, 75, 25);
    Button2->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &Tlogincfgfrm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tlogincfgfrm::Button2Click);
}

void Tlogincfgfrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    CentreOver(this, MainWindow());
    FormShow();
}

void Tlogincfgfrm::FormShow()
{
    const LogonRules rules = ReadLogonRules();
    Authentication->setItemIndex(AuthenticationIndex(rules.AutoLogin, rules.PromptPassword));
    NewUser->setItemIndex(rules.AutoRegister ? 0 : 1);
}

void Tlogincfgfrm::Button1Click()
{
    bool autoLogin = false;
    bool promptPassword = false;
    AuthenticationFlags(Authentication->itemIndex(), autoLogin, promptPassword);
    Dataset& config = DM().ConfigTable;
    EditAndPost(config, [&] {
        config.setValue(QStringLiteral("AutoLogin"), autoLogin);
        config.setValue(QStringLiteral("PromptPassword"), promptPassword);
        config.setValue(QStringLiteral("AutoRegister"), NewUser->itemIndex() == 0);
    });
    done(mrOk);
}

void Tlogincfgfrm::Button2Click() { done(mrCancel); }

Tlogincfgfrm* LoginCfgForm() { return SharedForm<Tlogincfgfrm>(); }
