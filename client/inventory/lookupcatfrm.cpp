#include "lookupcatfrm.h"

#include "CoolCtrlsDB.h"
#include "DataModule.h"
#include "InventoryCommon.h"
#include "SmallDialogs.h"

#include <QPushButton>

Tlookupcatfrm::Tlookupcatfrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("lookupcatfrm"));
    setWindowTitle(QStringLiteral("Lookup Catergory"));
    setFixedSize(490, 290);

    DBCatList = new TDBCoolGrid(this);
    DBCatList->setObjectName(QStringLiteral("DBCatList"));
    DBCatList->setGeometry(8, 8, 474, 240);
    DBCatList->SetColor(clWhite);
    DBCatList->SetOptions(dgTitles | dgColumnResize | dgColLines | dgRowLines | dgTabs | dgRowSelect
                          | dgAlwaysShowSelection);
    DBCatList->setDefaultRowHeight(18);
    DBCatList->SetColumns({GridColumn(QStringLiteral("CaterGoryName"), QStringLiteral("Catergory"), 120),
                           GridColumn(QStringLiteral("Description"), QStringLiteral("Description"), 330)});
    DBCatList->installEventFilter(this);

    Button1 = MakeButton(this, "Button1", QStringLiteral("Select"), {318, 256, 80, 25});
    Button1->setDefault(true);
    cancelbtn = MakeButton(this, "cancelbtn", QStringLiteral("Cancel"), {402, 256, 80, 25});
    connect(Button1, &QPushButton::clicked, this, &Tlookupcatfrm::Button1Click);
    connect(cancelbtn, &QPushButton::clicked, this, &Tlookupcatfrm::cancelbtnClick);
}

void Tlookupcatfrm::Button1Click() { done(mrOk); }

void Tlookupcatfrm::cancelbtnClick() { done(mrCancel); }

void Tlookupcatfrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    CentreOver(this, MainWindow());
    if (DBCatList->dataSource() != &DM().CatergoriesDataSource)
        DBCatList->SetDataSource(&DM().CatergoriesDataSource);
    DBCatList->setFocus();
}

bool Tlookupcatfrm::eventFilter(QObject* watched, QEvent* event)
{
    // A picker only picks: its grid deletes nothing.
    if (watched == DBCatList && IsRecordDeleteKey(event))
        return true;
    return TFormBase::eventFilter(watched, event);
}

Tlookupcatfrm* LookupCatForm() { return SharedForm<Tlookupcatfrm>(); }

void PickCategory(bool hideCancel, QString& name)
{
    name.clear();
    Tlookupcatfrm* f = LookupCatForm();
    f->cancelbtn->setVisible(!hideCancel);
    Dataset& t = DM().catergoriestable;
    if (!t.isActive())
        t.open();
    // Only "Select" picks; "Cancel", Escape and the frame leave the name empty.
    if (f->showModal() != mrOk)
        return;
    name = t.asString(QStringLiteral("CaterGoryName"));
}
