#include "logonfrm.h"
#include "Accounts.h"
#include "Alerts.h"
#include "LogOn.h"
#include "LogonLook.h"
#include "LogonMessages.h"
#include "Lookups.h"
#include "Pause.h"
#include "Session.h"
#include "Utilities.h"
#include "autoregfrm.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

Tlogonfrm::Tlogonfrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("logonfrm"));
    setWindowTitle(QStringLiteral("Tavrell Logon"));
    setFixedSize(365, 195);
    ApplyLogonLook(this);

    Image1 = LogonPicture(this, QStringLiteral(":/client/pictures/logon.png"), 8, 32, 129, 129);
    username = LogonEdit(this, "username", QStringLiteral("Username:"), 144, 32, 209);
    password = LogonEdit(this, "password", QStringLiteral("Password:"), 144, 88, 209, true);

    Button1 = new QPushButton(QStringLiteral("Logon"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(144, 128, 97, 25);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Exit"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(248, 128, 97, 25);
    Button2->setAutoDefault(false);
    newuserbtn = new QPushButton(QStringLiteral("I'm a &new user"), this);
    newuserbtn->setObjectName(QStringLiteral("newuserbtn"));
    newuserbtn->setGeometry(144, 160, 201, 25);
    newuserbtn->setAutoDefault(false);
    MakeLogonButtonsFlat(this);

    connect(Button1, &QPushButton::clicked, this, &Tlogonfrm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tlogonfrm::Button2Click);
    connect(newuserbtn, &QPushButton::clicked, this, &Tlogonfrm::newuserbtnClick);
}

void Tlogonfrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    CentreOnScreen(this);
    FormShow();
}

void Tlogonfrm::FormShow()
{
    username->setFocus();
    const LogonRules rules = ReadLogonRules();
    newuserbtn->setVisible(rules.AutoRegister);
    const QString osName = GetWindowsUserName();
    if (!rules.PromptPassword && !UserMustGivePassword(osName)) {
        username->clear();
        username->setReadOnly(false);
    } else {
        username->setText(osName);
        username->setReadOnly(true);
        password->setFocus();
    }
}

void Tlogonfrm::Button1Click()
{
    if (username->text().isEmpty()) {
        ShowAlert(LogonMessages::UsernameEmpty);
    } else if (password->text().isEmpty()) {
        ShowAlert(LogonMessages::PasswordEmpty);
    } else if (CheckPassword(username->text(), password->text())) {
        done(mrOk);
    } else {
        PauseFor(500);
        ShowAlert(LogonMessages::Incorrect);
    }
}

void Tlogonfrm::Button2Click() { done(mrCancel); }

void Tlogonfrm::newuserbtnClick() { ShowAutoRegistration(true); }

Tlogonfrm* LogonForm() { return SharedForm<Tlogonfrm>(); }
