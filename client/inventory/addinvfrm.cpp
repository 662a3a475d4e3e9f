#include "addinvfrm.h"

#include "Alerts.h"
#include "InventoryCommon.h"
#include "Lookups.h"
#include "SmallDialogs.h"
#include "SpinEdit.h"
#include "lookupcatfrm.h"
#include "lookupuserfrm.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace M = ItemMessages;

namespace {
constexpr int NameWidth = 50;
constexpr int LowestLevel = 1;
constexpr int HighestLevel = 200;
} // namespace

Taddinvfrm::Taddinvfrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("addinvfrm"));
    setWindowTitle(QStringLiteral("Add Item Form"));
    setFixedSize(340, 196);

    itemname = MakeLabelledEdit(this, "itemname", "Label1", QStringLiteral("Item Name:"), {96, 12, 204, 21}, 84,
                                NameWidth);
    managedby = MakeLabelledEdit(this, "managedby", "Label3", QStringLiteral("Managed By:"), {96, 40, 204, 21},
                                 84, NameWidth);
    Button1 = MakeButton(this, "Button1", QStringLiteral(">"), {304, 40, 24, 21});
    catergory = MakeLabelledEdit(this, "catergory", "Label4", QStringLiteral("Catergory:"), {96, 68, 204, 21},
                                 84, NameWidth);
    Button9 = MakeButton(this, "Button9", QStringLiteral(">"), {304, 68, 24, 21});

    Label2 = new QLabel(QStringLiteral("Minimum security user requires to book item:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(12, 100, 316, 16);
    accesslevel = new TSpinEdit(this);
    accesslevel->setObjectName(QStringLiteral("accesslevel"));
    accesslevel->setGeometry(12, 118, 64, 22);
    accesslevel->setRange(LowestLevel, HighestLevel);
    accesslevel->setMaxLength(3);
    accesslevel->setValue(LowestLevel);

    additembtn = MakeButton(this, "additembtn", QStringLiteral("Add Item"), {160, 160, 80, 25});
    additembtn->setDefault(true);
    Button3 = MakeButton(this, "Button3", QStringLiteral("Cancel"), {248, 160, 80, 25});

    connect(itemname, &QLineEdit::textChanged, this, &Taddinvfrm::itemnameChange);
    connect(managedby, &QLineEdit::textChanged, this, &Taddinvfrm::managedbyChange);
    connect(catergory, &QLineEdit::textChanged, this, &Taddinvfrm::catergoryChange);
    connect(accesslevel, &TSpinEdit::valueChanged, this, &Taddinvfrm::accesslevelChange);
    connect(additembtn, &QPushButton::clicked, this, &Taddinvfrm::additembtnClick);
    connect(Button1, &QPushButton::clicked, this, &Taddinvfrm::Button1Click);
    connect(Button9, &QPushButton::clicked, this, &Taddinvfrm::Button9Click);
    connect(Button3, &QPushButton::clicked, this, &Taddinvfrm::Button3Click);
}

void Taddinvfrm::AddItemDialogValidate()
{
    const int level = accesslevel->value();
    additembtn->setEnabled(!itemname->text().isEmpty() && !managedby->text().isEmpty()
                           && !catergory->text().isEmpty() && !accesslevel->rawText().isEmpty()
                           && level >= LowestLevel && level <= HighestLevel);
}

void Taddinvfrm::FormShow()
{
    // The level stays as it was last time.
    itemname->clear();
    managedby->clear();
    catergory->clear();
    additembtn->setEnabled(false);
    AddItemDialogValidate();
    itemname->setFocus();
}

void Taddinvfrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    CentreOver(this, MainWindow());
    FormShow();
}

void Taddinvfrm::itemnameChange() { AddItemDialogValidate(); }
void Taddinvfrm::managedbyChange() { AddItemDialogValidate(); }
void Taddinvfrm::catergoryChange() { AddItemDialogValidate(); }
void Taddinvfrm::accesslevelChange() { AddItemDialogValidate(); }

void Taddinvfrm::additembtnClick()
{
    if (!ManagerAndCategoryKnown(managedby, catergory))
        return;
    if (FindItem(itemname->text()) != -1) {
        ShowAlert(M::NameTaken);
        return;
    }
    done(mrOk);
}

void Taddinvfrm::Button1Click() { PickManagerInto(managedby); }

void Taddinvfrm::Button9Click() { PickCategoryInto(catergory); }

void Taddinvfrm::Button3Click() { done(mrCancel); }

Taddinvfrm* AddInvForm() { return SharedForm<Taddinvfrm>(); }

void PickManagerInto(QLineEdit* edit)
{
    QString name;
    PickUser(false, name);
    if (!name.isEmpty())
        edit->setText(name);
}

bool ManagerAndCategoryKnown(const QLineEdit* manager, const QLineEdit* category)
{
    if (FindUser(manager->text()) == -1) {
        ShowAlert(M::UnknownUser);
        return false;
    }
    if (FindCategory(category->text()) == -1) {
        ShowAlert(M::UnknownCategory);
        return false;
    }
    return true;
}

void PickCategoryInto(QLineEdit* edit)
{
    QString name;
    PickCategory(false, name);
    if (!name.isEmpty())
        edit->setText(name);
}
