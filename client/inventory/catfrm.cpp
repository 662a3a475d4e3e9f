#include "catfrm.h"

#include "Alerts.h"
#include "DBEdit.h"
#include "DataModule.h"
#include "DbError.h"
#include "InventoryCommon.h"
#include "SmallDialogs.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace M = CategoryMessages;

namespace {
const QString NameField = QStringLiteral("CaterGoryName");
const QString DescriptionField = QStringLiteral("Description");
constexpr int NameWidth = 50;
constexpr int DescriptionWidth = 150;
} // namespace

bool TPendingGuardGrid::selectCell(int col, int row)
{
    Dataset* ds = LinkedDataset();
    if (ds && OnBeforeMove && ds->state() != Dataset::State::Browse) {
        // The pending new record shows as the last row.
        const int current = ds->state() == Dataset::State::Insert ? ds->rowCountLoaded() : ds->recNo() - 1;
        if (row - TitleOffset() != current && !OnBeforeMove())
            return false;
    }
    return TDBCoolGrid::selectCell(col, row);
}

Tcatfrm::Tcatfrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("catfrm"));
    setWindowTitle(M::Caption);
    setFixedSize(698, 376);

    Label1 = new QLabel(M::Explanation, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setWordWrap(true);
    Label1->setGeometry(8, 6, 682, 48);

    DBCoolGrid1 = new TPendingGuardGrid(this);
    DBCoolGrid1->setObjectName(QStringLiteral("DBCoolGrid1"));
    DBCoolGrid1->setGeometry(8, 58, 682, 236);
    DBCoolGrid1->setFrameShape(QFrame::NoFrame);
    DBCoolGrid1->SetColor(clWhite);
    DBCoolGrid1->SetOptions(dgTitles | dgColumnResize | dgRowLines | dgTabs | dgRowSelect | dgConfirmDelete
                            | dgCancelOnExit);
    DBCoolGrid1->setDefaultRowHeight(18);
    DBCoolGrid1->SetColumns({GridColumn(NameField, QStringLiteral("Category"), 160),
                             GridColumn(DescriptionField, DescriptionField, 502)});
    DBCoolGrid1->OnBeforeMove = [this] { return SettlePending(); };
    DBCoolGrid1->installEventFilter(this);

    DBEdit1 = new TDBEdit(this);
    DBEdit1->setObjectName(QStringLiteral("DBEdit1"));
    DBEdit1->setGeometry(8, 302, 160, 21);
    DBEdit1->setMaxLength(NameWidth);
    DBEdit1->SetDataField(NameField);
    DBEdit2 = new TDBEdit(this);
    DBEdit2->setObjectName(QStringLiteral("DBEdit2"));
    DBEdit2->setGeometry(172, 302, 518, 21);
    DBEdit2->setMaxLength(DescriptionWidth);
    DBEdit2->SetDataField(DescriptionField);

    Button1 = MakeButton(this, "Button1", QStringLiteral("Add"), {8, 340, 75, 25});
    Button2 = MakeButton(this, "Button2", QStringLiteral("Delete"), {89, 340, 75, 25});
    Button3 = MakeButton(this, "Button3", QStringLiteral("Cancel Changes"), {170, 340, 105, 25});
    Button5 = MakeButton(this, "Button5", QStringLiteral("Save Changes"), {281, 340, 105, 25});
    Button4 = MakeButton(this, "Button4", QStringLiteral("Close"), {615, 340, 75, 25});
    connect(Button1, &QPushButton::clicked, this, &Tcatfrm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tcatfrm::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &Tcatfrm::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &Tcatfrm::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &Tcatfrm::Button5Click);
}

void Tcatfrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    CentreOnScreen(this);
    // The categories of the client's data module, with other clients'
    // changes since the last showing.
    DataModule& dm = DM();
    Dataset& t = dm.catergoriestable;
    if (!t.isActive())
        t.open();
    if (t.state() == Dataset::State::Browse)
        t.refresh();
    if (DBCoolGrid1->dataSource() != &dm.CatergoriesDataSource) {
        DBCoolGrid1->SetDataSource(&dm.CatergoriesDataSource);
        DBEdit1->SetDataSource(&dm.CatergoriesDataSource);
        DBEdit2->SetDataSource(&dm.CatergoriesDataSource);
    }
    DBEdit1->ShowField();
    DBEdit2->ShowField();
}

bool Tcatfrm::PendingChanged()
{
    Dataset& t = DM().catergoriestable;
    if (t.state() == Dataset::State::Insert) {
        for (const QString& f : t.fieldNames())
            if (t.value(f).isValid())
                return true;
        return false;
    }
    if (t.state() != Dataset::State::Edit)
        return false;
    const int row = t.recNo() - 1;
    for (const QString& f : t.fieldNames())
        if (t.value(f).toString() != t.valueAt(row, t.fieldIndex(f)).toString())
            return true;
    return false;
}

bool Tcatfrm::SettlePending()
{
    Dataset& t = DM().catergoriestable;
    if (!t.isActive() || t.state() == Dataset::State::Browse)
        return true;
    if (!PendingChanged()) {
        t.cancel();
        return true;
    }
    // A change the file refuses stays for correction.
    try {
        t.postKeepingRefused();
    } catch (const DbError& e) {
        ShowAlert(e.text());
        return false;
    }
    return true;
}

void Tcatfrm::Button1Click()
{
    if (!SettlePending())
        return;
    // The edits take the new row; the focus goes there first, so that
    // leaving the grid does not drop the row just made.
    DBEdit1->setFocus();
    DM().catergoriestable.append();
}

void Tcatfrm::Button2Click()
{
    Dataset& t = DM().catergoriestable;
    const bool pendingNew = t.state() == Dataset::State::Insert;
    if (!pendingNew && (t.isEmpty() || t.recNo() < 1)) {
        ShowAlert(M::DeleteFailed);
        return;
    }
    // The name as stored: a rename still pending does not make another
    // category of the row that would be deleted.
    const QString name = pendingNew || t.state() == Dataset::State::Browse
        ? t.asString(NameField)
        : t.valueAt(t.recNo() - 1, t.fieldIndex(NameField)).toString();
    if (name == M::SystemCategory) {
        ShowAlert(M::CannotDeleteSystem);
        return;
    }
    if (!AskQuestion(M::ConfirmDelete))
        return;
    try {
        t.deleteCurrent();
    } catch (const DbError&) {
        ShowAlert(M::DeleteFailed);
    }
}

void Tcatfrm::Button3Click() { DM().catergoriestable.cancel(); }

void Tcatfrm::Button4Click() { done(mrOk); }

void Tcatfrm::Button5Click()
{
    // A post the file refuses goes to the program's error display; the
    // change stays pending for correction.
    DM().catergoriestable.postKeepingRefused();
}

void Tcatfrm::done(int result)
{
    if (!isVisible()) {
        TFormBase::done(result);
        return;
    }
    if (!SettlePending())
        return;
    RefreshMainWindowLists();
    TFormBase::done(result);
}

void Tcatfrm::closeEvent(QCloseEvent* event)
{
    if (isVisible() && !SettlePending()) {
        event->ignore();
        return;
    }
    TFormBase::closeEvent(event);
}

bool Tcatfrm::eventFilter(QObject* watched, QEvent* event)
{
    // The grid's delete key goes through the rules of "Delete".
    if (watched == DBCoolGrid1 && IsRecordDeleteKey(event)) {
        Button2Click();
        return true;
    }
    return TFormBase::eventFilter(watched, event);
}

Tcatfrm* CatForm() { return SharedForm<Tcatfrm>(); }
