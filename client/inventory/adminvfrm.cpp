#include "adminvfrm.h"

#include "Alerts.h"
#include "CoolCtrlsDB.h"
#include "DataModule.h"
#include "DbError.h"
#include "Gates.h"
#include "InventoryCommon.h"
#include "Lookups.h"
#include "Session.h"
#include "SmallDialogs.h"
#include "SpinEdit.h"
#include "Text.h"
#include "addinvfrm.h"
#include "mainfrm.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTimer>

namespace M = ItemMessages;

namespace {
const QString NameField = QStringLiteral("ItemName");
constexpr int NameWidth = 50;
constexpr int DescriptionWidth = 150;
constexpr int LowestLevel = 1;
constexpr int HighestLevel = 200;
constexpr int ListWidth = 184;
constexpr int RereadMs = 1000;

// Runs act; true when it failed because another program held the file. Any
// other error travels on.
bool FailedOnHeldFile(const std::function<void()>& act)
{
    const quint64 busyBefore = Database::busyFailures();
    try {
        act();
    } catch (const DbError&) {
        if (Database::busyFailures() == busyBefore)
            throw;
        return true;
    }
    return false;
}
} // namespace

Tadminvfrm::Tadminvfrm(QWidget* parent) : TFormBase(parent), ItemsListSource(&ItemsList)
{
    setObjectName(QStringLiteral("adminvfrm"));
    setWindowTitle(QStringLiteral("Administer Inventory"));
    setFixedSize(560, 396);

    ItemsList.setObjectName(QStringLiteral("ItemsList"));
    // The name column compares without regard to letter case, its order too.
    ItemsList.setSql({QStringLiteral("select ItemName from items"), QStringLiteral("order by ItemName;")});
    ItemsList.setBaseTable(QStringLiteral("items"));

    GroupBox1 = new QGroupBox(QStringLiteral("Inventory"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 8, 200, 344);
    DBItemsList = new TDBCoolGrid(GroupBox1);
    DBItemsList->setObjectName(QStringLiteral("DBItemsList"));
    DBItemsList->setGeometry(8, 20, ListWidth, 316);
    DBItemsList->SetColor(clWhite);
    DBItemsList->SetOptions(dgRowSelect | dgAlwaysShowSelection);
    DBItemsList->setScrollBars(CoolGridBase::ScrollStyle::Vertical);
    DBItemsList->setDefaultRowHeight(18);
    DBItemsList->SetColumns(
        {GridColumn(NameField, NameField, ListWidth - DBItemsList->verticalScrollBar()->sizeHint().width() - 4)});
    DBItemsList->SetDataSource(&ItemsListSource);
    DBItemsList->installEventFilter(this);
    connect(DBItemsList, &CoolGridBase::clicked, this, [this] {
        if (!m_following)
            DBItemsListClick();
    });

    DetailsGRp = new QGroupBox(QStringLiteral("Details"), this);
    DetailsGRp->setObjectName(QStringLiteral("DetailsGRp"));
    DetailsGRp->setGeometry(216, 8, 336, 344);
    description = MakeLabelledEdit(DetailsGRp, "description", "Label3", QStringLiteral("Description:"),
                                   {88, 24, 236, 21}, 76, DescriptionWidth);
    managedby = MakeLabelledEdit(DetailsGRp, "managedby", "Label4", QStringLiteral("Managed By:"),
                                 {88, 52, 208, 21}, 76, NameWidth);
    Button1 = MakeButton(DetailsGRp, "Button1", QStringLiteral(">"), {300, 52, 24, 21});
    catergory = MakeLabelledEdit(DetailsGRp, "catergory", "Label5", QStringLiteral("Catergory:"),
                                 {88, 80, 208, 21}, 76, NameWidth);
    Button9 = MakeButton(DetailsGRp, "Button9", QStringLiteral(">"), {300, 80, 24, 21});
    Label2 = new QLabel(QStringLiteral("Minimum security user requires to book item:"), DetailsGRp);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(12, 112, 312, 16);
    accesslevel = new TSpinEdit(DetailsGRp);
    accesslevel->setObjectName(QStringLiteral("accesslevel"));
    accesslevel->setGeometry(12, 130, 64, 22);
    accesslevel->setRange(LowestLevel, HighestLevel);
    accesslevel->setMaxLength(3);
    available = new QCheckBox(QStringLiteral("Item is available to be booked"), DetailsGRp);
    available->setObjectName(QStringLiteral("available"));
    available->setGeometry(12, 162, 312, 20);

    // Circulation is not part of this version: the controls stay hidden and
    // only carry the item's flag and barcode through "Apply Changes".
    circulated = new QCheckBox(QStringLiteral("Item can be circulated"), DetailsGRp);
    circulated->setObjectName(QStringLiteral("circulated"));
    circulated->setGeometry(12, 188, 312, 20);
    circulated->hide();
    circulatedgrp = new QGroupBox(QStringLiteral("Circulation - Barcode "), DetailsGRp);
    circulatedgrp->setObjectName(QStringLiteral("circulatedgrp"));
    circulatedgrp->setGeometry(12, 188, 312, 96);
    circulatedgrp->hide();
    barcode = new QLabel(circulatedgrp);
    barcode->setObjectName(QStringLiteral("barcode"));
    barcode->setTextFormat(Qt::PlainText);
    barcode->setAlignment(Qt::AlignCenter);
    barcode->setGeometry(8, 20, 296, 32);
    Button2 = MakeButton(circulatedgrp, "Button2", QStringLiteral("Regenerate Barcode"), {8, 60, 144, 25});
    Button3 = MakeButton(circulatedgrp, "Button3", QStringLiteral("Overide Barcode"), {160, 60, 144, 25});

    Label1 = new QLabel(QStringLiteral("The light version does not contain circulation options"), DetailsGRp);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setGeometry(12, 200, 312, 36);
    Button4 = MakeButton(DetailsGRp, "Button4", QStringLiteral("Apply Changes"), {12, 308, 112, 25});

    Button5 = MakeButton(this, "Button5", QStringLiteral("Add Item"), {8, 362, 88, 25});
    Button6 = MakeButton(this, "Button6", QStringLiteral("Rename Item"), {102, 362, 96, 25});
    Button7 = MakeButton(this, "Button7", QStringLiteral("Delete Item"), {204, 362, 96, 25});
    Button8 = MakeButton(this, "Button8", QStringLiteral("Close "), {464, 362, 88, 25});

    connect(circulated, &QCheckBox::clicked, this, &Tadminvfrm::circulatedClick);
    connect(Button1, &QPushButton::clicked, this, &Tadminvfrm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tadminvfrm::Button2Click);
    connect(Button4, &QPushButton::clicked, this, &Tadminvfrm::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &Tadminvfrm::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &Tadminvfrm::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &Tadminvfrm::Button7Click);
    connect(Button8, &QPushButton::clicked, this, &Tadminvfrm::Button8Click);
    connect(Button9, &QPushButton::clicked, this, &Tadminvfrm::Button9Click);

    m_reread = new QTimer(this);
    m_reread->setObjectName(QStringLiteral("reread"));
    m_reread->setInterval(RereadMs);
    connect(m_reread, &QTimer::timeout, this, [this] {
        // A try neither waits for a held file nor says anything when it
        // fails: the next one reads again.
        try {
            NoLockWait noWait(DM().ADOConnection);
            ShowChange();
        } catch (const std::exception&) {
        }
    });
}

void Tadminvfrm::LoadItemDetails()
{
    Dataset& t = DM().itemstable;
    const bool hasItem = !t.isEmpty() && t.recNo() >= 1;
    const QString name = hasItem ? t.asString(NameField) : QString();
    ShowItemFields();
    m_shownItem = name;
    // The level decides; the check finds the item again and leaves the
    // table on it. No item, or a logged-on user who is not found: nothing
    // can be changed.
    DetailsGRp->setEnabled(hasItem && CanUseItem(name));
}

void Tadminvfrm::ShowItemFields()
{
    Dataset& t = DM().itemstable;
    description->setText(t.asString(QStringLiteral("ItemDESCRIPTION")));
    managedby->setText(t.asString(QStringLiteral("Manager")));
    catergory->setText(t.asString(QStringLiteral("catergory")));
    accesslevel->setValue(t.asInteger(QStringLiteral("minSecurity")));
    available->setChecked(t.asBoolean(QStringLiteral("isAvailable")));
    circulated->setChecked(t.asBoolean(QStringLiteral("circulated")));
    circulatedgrp->setEnabled(circulated->isChecked());
    barcode->setText(t.asString(QStringLiteral("barcode")));
}

void Tadminvfrm::ChangeShownItem(const QString& notDone, const std::function<bool()>& change)
{
    bool landed = false;
    if (FailedOnHeldFile([&] { landed = change(); })) {
        // Nothing was written: the boxes show what the file still holds,
        // from the row as last read (the file is held), under the message.
        // With no item shown (one deleted here, the list not read since)
        // they stay as they are.
        if (!m_shownItem.isEmpty())
            ShowItemFields();
        ShowAlert(MainMessages::InUseByAnotherProgram(notDone));
        return;
    }
    if (!landed)
        return;
    // The change is in the file: a held file now only delays showing it.
    m_reread->start();
    FailedOnHeldFile([this] { ShowChange(); });
}

void Tadminvfrm::ShowChange()
{
    if (!m_shownItem.isEmpty() && FindItem(m_shownItem) != -1)
        ShowList();
    else
        ShowFirstItem();
    m_reread->stop();
}

void Tadminvfrm::ShowList()
{
    Dataset& t = DM().itemstable;
    const QString current = !t.isEmpty() && t.recNo() >= 1 ? t.asString(NameField) : QString();
    {
        const QScopedValueRollback<bool> following(m_following, true);
        ItemsList.requery();
        if (current.isEmpty() || !ItemsList.locate(NameField, current))
            ItemsList.first();
    }
    DBItemsList->viewport()->update();
}

void Tadminvfrm::FormShow()
{
    DataModule& dm = DM();
    if (ItemsList.database() != &dm.ADOConnection) {
        ItemsList.close();
        ItemsList.setDatabase(&dm.ADOConnection);
    }
    if (!ItemsList.isActive())
        ItemsList.open();
    Dataset& t = dm.itemstable;
    if (!t.isActive())
        t.open();
    // The item the table stands on, or the first in the list's order.
    ShowList();
    const QString name = ItemsList.isEmpty() ? QString() : ItemsList.asString(NameField);
    if (!name.isEmpty())
        FindItem(name);
    LoadItemDetails();
}

void Tadminvfrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    CentreOver(this, MainWindow());
    FormShow();
}

void Tadminvfrm::DBItemsListClick()
{
    if (ItemsList.isEmpty())
        return;
    FindItem(ItemsList.asString(NameField));
    DBItemsList->viewport()->update();
    LoadItemDetails();
}

void Tadminvfrm::circulatedClick() { circulatedgrp->setEnabled(circulated->isChecked()); }

void Tadminvfrm::Button1Click() { PickManagerInto(managedby); }

void Tadminvfrm::Button9Click() { PickCategoryInto(catergory); }

void Tadminvfrm::Button2Click()
{
    Dataset& config = DM().ConfigTable;
    barcode->setText(NewBarCode(config.asString(QStringLiteral("InstallID"))));
}

void Tadminvfrm::Button4Click()
{
    ChangeShownItem(M::NotChanged, [this] {
        // Only reachable while the details are enabled: the level was checked.
        if (!ManagerAndCategoryKnown(managedby, catergory))
            return false;
        accesslevel->clampValue();
        // Another client may have deleted it meanwhile: then nothing else is
        // changed in its place.
        if (!FindShownItem(m_shownItem))
            return false;
        Dataset& t = DM().itemstable;
        EditAndPost(t, [&] {
            t.setValue(QStringLiteral("ItemDESCRIPTION"), description->text());
            t.setValue(QStringLiteral("Manager"), managedby->text());
            t.setValue(QStringLiteral("catergory"), catergory->text());
            t.setValue(QStringLiteral("minSecurity"), accesslevel->value());
            t.setValue(QStringLiteral("isAvailable"), available->isChecked());
            t.setValue(QStringLiteral("circulated"), circulated->isChecked());
            t.setValue(QStringLiteral("barcode"), barcode->text());
        });
        // The list shows names only: it stays as it is.
        return false;
    });
}

bool Tadminvfrm::MayChangeShownItem(QString& name)
{
    name = m_shownItem;
    // The item shown was deleted here and the list could not be read since.
    if (name.isEmpty() && m_reread->isActive()) {
        ShowChange();
        return false;
    }
    // An item deleted before the click is gone, whatever the levels.
    if (!FindShownItem(name))
        return false;
    if (!CanUseItem(name)) {
        ShowAlert(M::RankRestricts);
        return false;
    }
    return PassGate(UserCanModifyItems);
}

void Tadminvfrm::Button6Click()
{
    ChangeShownItem(M::NotChanged, [this] {
        QString name;
        if (!MayChangeShownItem(name))
            return false;
        const QString newName = InputText(M::RenamePrompt, name);
        if (ProgramEnding || newName == name)
            return false;
        // A name nobody could pick, or one the file cannot hold.
        if (newName.isEmpty() || Text::characters(newName) > NameWidth) {
            ShowAlert(M::BadName);
            return false;
        }
        const bool taken = FindItem(newName) != -1;
        // The look-up moved the table; it goes back to the shown item.
        if (!FindShownItem(name))
            return false;
        if (taken) {
            ShowAlert(M::NameTaken);
            return false;
        }
        Dataset& t = DM().itemstable;
        EditAndPost(t, [&] { t.setValue(NameField, newName); });
        // The details shown are the same item's, under its new name.
        m_shownItem = newName;
        return true;
    });
}

void Tadminvfrm::Button7Click()
{
    ChangeShownItem(M::NotDeleted, [this] {
        QString name;
        if (!MayChangeShownItem(name))
            return false;
        const bool yes = AskQuestion(M::ConfirmDelete);
        if (ProgramEnding || !yes || !FindShownItem(name))
            return false;
        DM().itemstable.deleteCurrent();
        // No item is shown until the list is read again.
        m_shownItem.clear();
        DetailsGRp->setEnabled(false);
        return true;
    });
}

bool Tadminvfrm::FindShownItem(const QString& name)
{
    if (FindItem(name) != -1)
        return true;
    ShowAlert(M::ItemGone);
    ShowFirstItem();
    return false;
}

void Tadminvfrm::ShowFirstItem()
{
    // The details go to the first item in the list's order.
    ItemsList.requery();
    const QString first = ItemsList.isEmpty() ? QString() : ItemsList.asString(NameField);
    if (first.isEmpty() || FindItem(first) == -1)
        DM().itemstable.first();
    ShowList();
    LoadItemDetails();
}

void Tadminvfrm::Button5Click()
{
    if (PassGate(UserCanModifyItems))
        AddItemFlow();
}

void Tadminvfrm::Button8Click() { done(mrCancel); }

void Tadminvfrm::done(int result)
{
    if (isVisible())
        RefreshMainWindowLists();
    TFormBase::done(result);
}

void Tadminvfrm::hideEvent(QHideEvent* event)
{
    // Read afresh at every showing: once the window is gone the list lets
    // go of the connection, which may close before the window does.
    m_reread->stop();
    ItemsList.setDatabase(nullptr);
    TFormBase::hideEvent(event);
}

bool Tadminvfrm::eventFilter(QObject* watched, QEvent* event)
{
    // The list only chooses: deleting is "Delete Item"'s business.
    if (watched == DBItemsList && IsRecordDeleteKey(event))
        return true;
    return TFormBase::eventFilter(watched, event);
}

Tadminvfrm* AdminvForm() { return SharedForm<Tadminvfrm>(); }

void AddItemFlow()
{
    Taddinvfrm* add = AddInvForm();
    if (add->showModal() != mrOk || ProgramEnding)
        return;
    if (!AddItem(add->itemname->text(), add->managedby->text(), add->catergory->text(), add->accesslevel->value()))
        ShowAlert(M::AddFailed);
    // The details of the row the table now stands on: the new item, or
    // after a failure whichever row that is.
    Tadminvfrm* f = AdminvForm();
    f->ShowList();
    f->LoadItemDetails();
}
