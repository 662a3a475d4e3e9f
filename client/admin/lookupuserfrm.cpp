#include "lookupuserfrm.h"

#include "CoolCtrlsDB.h"
#include "DataModule.h"
#include "SmallDialogs.h"

#include <QPushButton>

Tlookupuserfrm::Tlookupuserfrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("lookupuserfrm"));
    setWindowTitle(QStringLiteral("Lookup User"));
    setFixedSize(330, 300);

    DBUserList = new TDBCoolGrid(this);
    DBUserList->setObjectName(QStringLiteral("DBUserList"));
    DBUserList->setGeometry(8, 8, 314, 250);
    DBUserList->SetOptions(dgTitles | dgColLines | dgRowLines | dgRowSelect | dgAlwaysShowSelection);
    DBUserList->setScrollBars(CoolGridBase::ScrollStyle::Vertical);
    TColumn user;
    user.FieldName = QStringLiteral("username");
    user.Title = QStringLiteral("Username");
    user.Width = 100;
    TColumn full;
    full.FieldName = QStringLiteral("FullName");
    full.Title = QStringLiteral("Full Name");
    full.Width = 190;
    DBUserList->SetColumns({user, full});

    Button1 = new QPushButton(QStringLiteral("Select"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(160, 266, 75, 25);
    Button1->setDefault(true);
    cancelbtn = new QPushButton(QStringLiteral("Cancel"), this);
    cancelbtn->setObjectName(QStringLiteral("cancelbtn"));
    cancelbtn->setGeometry(247, 266, 75, 25);
    cancelbtn->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &Tlookupuserfrm::Button1Click);
    connect(cancelbtn, &QPushButton::clicked, this, &Tlookupuserfrm::cancelbtnClick);
}

void Tlookupuserfrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    CentreOver(this, MainWindow());
    FormShow();
}

void Tlookupuserfrm::FormShow() { DBUserList->setFocus(); }

void Tlookupuserfrm::Button1Click() { done(mrOk); }

void Tlookupuserfrm::cancelbtnClick() { done(mrCancel); }

Tlookupuserfrm* LookupUserForm() { return SharedForm<Tlookupuserfrm>(); }

void PickUser(bool hideCancel, QString& name)
{
    name.clear();
    Tlookupuserfrm* f = LookupUserForm();
    f->cancelbtn->setVisible(!hideCancel);

    // Read afresh at every showing, so the picker starts on the first user
    // in name order.
    Dataset& users = DM().NonHiddenUsers;
    users.close();
    users.open();
    users.first();
    f->UsersSource.setDataSet(&users);
    f->DBUserList->SetDataSource(&f->UsersSource);

    const int result = f->showModal();
    // Only "Select" picks: Cancel, Escape and the frame's close pick nobody.
    if (result == mrOk)
        name = users.asString(QStringLiteral("username"));
}
