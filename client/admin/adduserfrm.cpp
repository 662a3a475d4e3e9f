#include "adduserfrm.h"

#include "LogonLook.h"
#include "SmallDialogs.h"
#include "Text.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

Tadduserfrm::Tadduserfrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("adduserfrm"));
    setWindowTitle(QStringLiteral("Add User"));
    setFixedSize(360, 196);

    auto edit = [this](const char* name, const QString& caption, int top, int maxLength) {
        auto* label = new QLabel(caption, this);
        label->setGeometry(8, top + 3, 124, 18);
        auto* e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        e->setGeometry(136, top, 216, 24);
        e->setMaxLength(maxLength);
        label->setBuddy(e);
        connect(e, &QLineEdit::textChanged, this, &Tadduserfrm::AddUserDialogValidate);
        return e;
    };
    username = edit("username", QStringLiteral("Username:"), 8, 10);
    fullname = edit("fullname", QStringLiteral("Fullname:"), 40, 50);
    pass1 = edit("pass1", QStringLiteral("Password:"), 72, 20);
    pass2 = edit("pass2", QStringLiteral("Confirm Password:"), 104, 20);
    MaskPassword(pass1);
    MaskPassword(pass2);

    pwmatch = new QLabel(this);
    pwmatch->setObjectName(QStringLiteral("pwmatch"));
    pwmatch->setGeometry(136, 132, 216, 18);

    createbtn = new QPushButton(QStringLiteral("Create User"), this);
    createbtn->setObjectName(QStringLiteral("createbtn"));
    createbtn->setGeometry(136, 160, 105, 27);
    createbtn->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(247, 160, 105, 27);
    Button2->setAutoDefault(false);
    connect(createbtn, &QPushButton::clicked, this, &Tadduserfrm::createbtnClick);
    connect(Button2, &QPushButton::clicked, this, &Tadduserfrm::Button2Click);
}

void Tadduserfrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    CentreOver(this, MainWindow());
    FormShow();
}

void Tadduserfrm::FormShow()
{
    for (QLineEdit* e : {username, fullname, pass1, pass2})
        e->clear();
    createbtn->setEnabled(false);
    AddUserDialogValidate();
    username->setFocus();
}

void Tadduserfrm::AddUserDialogValidate()
{
    const bool filled = !username->text().isEmpty() && !fullname->text().isEmpty() && !pass1->text().isEmpty()
                        && !pass2->text().isEmpty();
    const bool agree = Text::upper(pass1->text()) == Text::upper(pass2->text());
    createbtn->setEnabled(filled && agree);
    if (pass1->text().isEmpty() || pass2->text().isEmpty() || !agree)
        pwmatch->setText(QStringLiteral("Passwords do not match"));
    else
        pwmatch->setText(QStringLiteral("Passwords Match"));
}

void Tadduserfrm::createbtnClick()
{
    if (createbtn->isEnabled())
        done(mrOk);
}

void Tadduserfrm::Button2Click() { done(mrCancel); }

Tadduserfrm* AddUserForm() { return SharedForm<Tadduserfrm>(); }
