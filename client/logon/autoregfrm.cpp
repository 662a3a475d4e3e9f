#include "autoregfrm.h"
#include "Accounts.h"
#include "Alerts.h"
#include "DataModule.h"
#include "DbError.h"
#include "LogonLook.h"
#include "LogonMessages.h"
#include "Text.h"
#include "Utilities.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
// The widths of the user's name and full name in the file.
constexpr int UserNameWidth = 10;
constexpr int FullNameWidth = 50;
} // namespace

Tautoregfrm::Tautoregfrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("autoregfrm"));
    setWindowTitle(QStringLiteral("Automatic Registration"));
    setFixedSize(557, 356);
    ApplyLogonLook(this);

    Label1 = new QLabel(QStringLiteral("Welcome to the Tavrell. Because this is the first time you have used the "
                                       "Tavrell, certain information will be required before you can continue. "),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(16, 16, 529, 65);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Image1 = LogonPicture(this, QStringLiteral(":/client/pictures/register.png"), 368, 112, 177, 193);
    username = LogonEdit(this, "username", QStringLiteral("What is your username?"), 16, 112, 345);
    fullname = LogonEdit(this, "fullname", QStringLiteral("What is your Full Name?"), 16, 168, 345);
    pass1 = LogonEdit(this, "pass1", QStringLiteral("Please enter a password:"), 16, 224, 345, true);
    pass2 = LogonEdit(this, "pass2", QStringLiteral("Please confirm that password:"), 16, 280, 345, true);
    fullname->setMaxLength(FullNameWidth);

    Button1 = new QPushButton(QStringLiteral("Register New Account"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(16, 320, 225, 25);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Cancel Registration"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(248, 320, 225, 25);
    Button2->setAutoDefault(false);
    MakeLogonButtonsFlat(this);
    connect(Button1, &QPushButton::clicked, this, &Tautoregfrm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tautoregfrm::Button2Click);
}

void Tautoregfrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    CentreOnScreen(this);
    FormShow();
}

void Tautoregfrm::FormShow()
{
    if (username->isReadOnly())
        fullname->setFocus();
    else
        username->setFocus();
}

void Tautoregfrm::Button1Click()
{
    const QString typed = pass1->text();
    if (username->text().isEmpty())
        ShowAlert(LogonMessages::UsernameBlank);
    else if (Text::characters(username->text()) > UserNameWidth)
        ShowAlert(LogonMessages::UsernameTooLong);
    else if (fullname->text().isEmpty())
        ShowAlert(LogonMessages::FullNameMissing);
    else if (typed.isEmpty())
        ShowAlert(LogonMessages::PasswordEmpty);
    else if (Text::characters(typed) < 5)
        ShowAlert(LogonMessages::PasswordTooShort);
    else if (Text::characters(typed) > 20)
        ShowAlert(LogonMessages::PasswordTooLong);
    else if (typed != pass2->text())
        ShowAlert(LogonMessages::NoMatch);
    else if (!RegisterAccount(username->text(), fullname->text(), typed))
        ShowAlert(LogonMessages::CannotCreate);
    else
        done(mrOk);
}

void Tautoregfrm::Button2Click() { done(mrCancel); }

Tautoregfrm* AutoRegForm() { return SharedForm<Tautoregfrm>(); }

int ShowAutoRegistration(bool nameEditable)
{
    Tautoregfrm* f = AutoRegForm();
    if (nameEditable) {
        f->username->clear();
        f->username->setMaxLength(UserNameWidth);
        f->username->setReadOnly(false);
    } else {
        // The system's own name is shown whole, never cut to fit: a name
        // too long to register is refused with its own message.
        f->username->setMaxLength(32767);
        f->username->setText(GetWindowsUserName());
        f->username->setReadOnly(true);
    }
    return f->showModal();
}
