#include "admusersfrm.h"

#include "Accounts.h"
#include "Alerts.h"
#include "Clock.h"
#include "CoolCtrlsDB.h"
#include "DataModule.h"
#include "LogonLook.h"
#include "Lookups.h"
#include "RadioGroup.h"
#include "Session.h"
#include "SmallDialogs.h"
#include "SpinEdit.h"
#include "Text.h"
#include "adduserfrm.h"
#include "mainfrm.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace M = AdmUsersMessages;

namespace {
constexpr int MaxNameLength = 10;
} // namespace

Tadmusersfrm::Tadmusersfrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("admusersfrm"));
    setWindowTitle(M::Caption);
    setFixedSize(744, 498);

    GroupBox1 = new QGroupBox(QStringLiteral("Users"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 8, 180, 448);
    DBuserlist = new TDBCoolGrid(GroupBox1);
    DBuserlist->setObjectName(QStringLiteral("DBuserlist"));
    DBuserlist->setGeometry(8, 22, 164, 416);
    DBuserlist->SetOptions(dgRowSelect | dgAlwaysShowSelection);
    DBuserlist->setScrollBars(CoolGridBase::ScrollStyle::Vertical);
    TColumn name;
    name.FieldName = QStringLiteral("username");
    name.Width = 140;
    DBuserlist->SetColumns({name});
    connect(DBuserlist, &CoolGridBase::clicked, this, &Tadmusersfrm::DBuserlistClick);

    detailsbox = new QGroupBox(QStringLiteral("Details"), this);
    detailsbox->setObjectName(QStringLiteral("detailsbox"));
    detailsbox->setGeometry(196, 8, 540, 448);
    QWidget* d = detailsbox;

    auto label = [d](const QString& text, int x, int y, int w) {
        auto* l = new QLabel(text, d);
        l->setGeometry(x, y, w, 20);
        return l;
    };
    auto box = [d](const char* objectName, const QString& caption, int x, int y, int w) {
        auto* b = new QCheckBox(caption, d);
        b->setObjectName(QLatin1String(objectName));
        b->setGeometry(x, y, w, 20);
        return b;
    };

    label(QStringLiteral("Full Name:"), 8, 26, 80);
    fullname = new QLineEdit(d);
    fullname->setObjectName(QStringLiteral("fullname"));
    fullname->setGeometry(92, 24, 436, 24);
    fullname->setMaxLength(50);

    usertype = new TRadioGroup(d);
    usertype->setObjectName(QStringLiteral("usertype"));
    usertype->setTitle(QStringLiteral("Type of User"));
    usertype->setGeometry(8, 56, 240, 48);
    usertype->setColumns(2);
    usertype->setItems({QStringLiteral("Staff"), QStringLiteral("Student")});

    Label1 = label(QStringLiteral("Security Level:"), 264, 72, 110);
    Label1->setObjectName(QStringLiteral("Label1"));
    accesslevel = new TSpinEdit(d);
    accesslevel->setObjectName(QStringLiteral("accesslevel"));
    accesslevel->setRange(1, 200);
    accesslevel->setMaxLength(3);
    accesslevel->setGeometry(378, 70, 70, 24);
    connect(accesslevel, &TSpinEdit::editingFinished, this, &Tadmusersfrm::accesslevelExit);

    expires = box("expires", QStringLiteral("Account Expires"), 8, 114, 150);
    connect(expires, &QCheckBox::clicked, this, &Tadmusersfrm::expiresClick);
    expireson = new QDateTimeEdit(d);
    expireson->setObjectName(QStringLiteral("expireson"));
    expireson->setDisplayFormat(QStringLiteral("dd/MMM/yyyy"));
    expireson->setCalendarPopup(true);
    expireson->setGeometry(164, 112, 130, 24);

    label(QStringLiteral("Password:"), 8, 148, 80);
    password1 = new QLineEdit(d);
    password1->setObjectName(QStringLiteral("password1"));
    password1->setGeometry(92, 146, 150, 24);
    label(QStringLiteral("Comfirm:"), 264, 148, 70);
    password2 = new QLineEdit(d);
    password2->setObjectName(QStringLiteral("password2"));
    password2->setGeometry(338, 146, 190, 24);
    for (QLineEdit* e : {password1, password2}) {
        MaskPassword(e);
        e->setMaxLength(20);
    }
    connect(password1, &QLineEdit::textChanged, this, &Tadmusersfrm::password1Change);
    connect(password2, &QLineEdit::textChanged, this, &Tadmusersfrm::password2Change);
    pwMatch = label(M::PasswordsMatch, 92, 174, 200);
    pwMatch->setObjectName(QStringLiteral("pwMatch"));
    forcepassword = box("forcepassword", QStringLiteral("Prompt for Password"), 264, 174, 232);

    Label3 = label(QStringLiteral("User Rights:"), 8, 204, 120);
    Label3->setObjectName(QStringLiteral("Label3"));
    makebookings = box("makebookings", QStringLiteral("Make Bookings"), 8, 228, 330);
    canModifyBookings = box("canModifyBookings", QStringLiteral("Modify bookings of people on lower security level"),
                            8, 252, 330);
    makepermanentbookings = box("makepermanentbookings", QStringLiteral("Make Permanent Bookings"), 8, 276, 330);
    canFlushBookings = box("canFlushBookings", QStringLiteral("Delete Bookings in Mass"), 8, 300, 330);
    canModifyItems = box("canModifyItems", QStringLiteral("Add/Edit/Remove Inventory"), 8, 324, 330);
    canModifyCatergories = box("canModifyCatergories", QStringLiteral("Add/Edit/Remove Catergories"), 8, 348, 330);
    canAdministerUsers = box("canAdministerUsers", QStringLiteral("Administer Users"), 344, 228, 192);
    modifyPeriods = box("modifyPeriods", QStringLiteral("Modify Periods"), 344, 252, 192);
    forceshutdown = box("forceshutdown", QStringLiteral("Force a Shutdown"), 344, 276, 192);
    canRunMaintaince = box("canRunMaintaince", QStringLiteral("Run Maintenance"), 344, 300, 192);
    overidebookinglimit = box("overidebookinglimit", QStringLiteral("Overide Booking Limit"), 344, 324, 192);
    isAdmin = box("isAdmin", QStringLiteral("Administer System Functions"), 344, 348, 192);

    Button3 = new QPushButton(QStringLiteral("Apply Changes"), d);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setGeometry(408, 410, 120, 27);

    auto button = [this](const char* objectName, const QString& caption, int x, int w) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(objectName));
        b->setGeometry(x, 464, w, 27);
        b->setAutoDefault(false);
        return b;
    };
    Button1 = button("Button1", QStringLiteral("Add a new user"), 8, 130);
    Button4 = button("Button4", QStringLiteral("Rename User"), 146, 110);
    Button5 = button("Button5", QStringLiteral("Delete User"), 264, 110);
    Button2 = button("Button2", QStringLiteral("Close"), 656, 80);
    Button3->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &Tadmusersfrm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tadmusersfrm::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &Tadmusersfrm::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &Tadmusersfrm::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &Tadmusersfrm::Button5Click);
    setEscapeResult(mrCancel);
}

QList<Tadmusersfrm::RightBox> Tadmusersfrm::rightBoxes() const
{
    return {{forcepassword, "ForcePassword"},
            {makebookings, "canMakeBookings"},
            {canModifyBookings, "canModifyBookings"},
            {makepermanentbookings, "canMakePermanentBookings"},
            {canFlushBookings, "canFlushBookings"},
            {canModifyItems, "canModifyItems"},
            {canModifyCatergories, "canModifyCatergories"},
            {canAdministerUsers, "canAdministerUsers"},
            {modifyPeriods, "canModifyPeriod"},
            {forceshutdown, "canForceShutdown"},
            {canRunMaintaince, "canRunMaintaince"},
            {overidebookinglimit, "canOverrideBookingLimit"},
            {isAdmin, "isAdministrator"}};
}

Dataset& Tadmusersfrm::users() const { return DM().NonHiddenUsers; }

bool Tadmusersfrm::hasCurrentUser() const
{
    Dataset& u = users();
    return u.isActive() && !u.isEmpty() && u.recNo() > 0;
}

void Tadmusersfrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    CentreOnScreen(this);
    FormShow();
}

void Tadmusersfrm::FormShow()
{
    Dataset& u = users();
    u.close();
    u.open();   // in name order
    u.first();
    UsersSource.setDataSet(&u);
    DBuserlist->SetDataSource(&UsersSource);
    LoadUserDetails();
}

void Tadmusersfrm::LoadUserDetails()
{
    if (!hasCurrentUser()) {
        // Nobody to show (the list emptied by another client).
        detailsbox->setEnabled(false);
        return;
    }
    Dataset& u = users();
    fullname->setText(u.asString(QStringLiteral("fullname")));
    if (u.asBoolean(QStringLiteral("isStudent")))
        usertype->setItemIndex(1);
    else if (u.asBoolean(QStringLiteral("isStaff")))
        usertype->setItemIndex(0);
    else
        usertype->setItemIndex(-1);   // neither: no type shown
    accesslevel->setValue(u.asInteger(QStringLiteral("accesslevel")));
    expires->setChecked(u.asBoolean(QStringLiteral("expires")));
    const QString password = Unscramble(u.asString(QStringLiteral("password")));
    password1->setText(password);
    password2->setText(password);
    pwMatch->setText(M::PasswordsMatch);
    for (const RightBox& r : rightBoxes())
        r.box->setChecked(u.asBoolean(QLatin1String(r.field)));
    if (expires->isChecked()) {
        expireson->setEnabled(true);
        expireson->setDateTime(u.asDateTime(QStringLiteral("expireson")));
    } else {
        expireson->setEnabled(false);
    }
    const QString name = u.asString(QStringLiteral("username"));
    detailsbox->setEnabled(OutranksUser(name) && UserCanAdministerUsers(CurrentUser));
}

void Tadmusersfrm::DBuserlistClick() { LoadUserDetails(); }

void Tadmusersfrm::password1Change()
{
    pwMatch->setText(password1->text() == password2->text() ? M::PasswordsMatch : M::PasswordsDiffer);
}

void Tadmusersfrm::password2Change() { password1Change(); }

void Tadmusersfrm::expiresClick()
{
    if (expires->isChecked()) {
        expireson->setEnabled(true);
        expireson->setDateTime(QDateTime(Clock::today().addDays(7), Clock::timeNow()));
    } else {
        expireson->setEnabled(false);
    }
}

void Tadmusersfrm::accesslevelExit() { accesslevel->clampValue(); }

void Tadmusersfrm::Button3Click()
{
    if (!hasCurrentUser())
        return;
    accesslevel->clampValue();
    const int mine = UserAccessLevel(CurrentUser);
    if (accesslevel->value() >= mine) {
        accesslevel->setValue(mine);
        ShowAlert(M::LevelTooHigh);
        return;
    }
    Dataset& u = users();
    u.edit();
    try {
        u.setValue(QStringLiteral("fullname"), fullname->text());
        // No type chosen leaves the stored type as it is.
        if (usertype->itemIndex() == 0) {
            u.setValue(QStringLiteral("isStaff"), true);
            u.setValue(QStringLiteral("isStudent"), false);
        } else if (usertype->itemIndex() == 1) {
            u.setValue(QStringLiteral("isStaff"), false);
            u.setValue(QStringLiteral("isStudent"), true);
        }
        u.setValue(QStringLiteral("accesslevel"), accesslevel->value());
        u.setValue(QStringLiteral("expires"), expires->isChecked());
        u.setValue(QStringLiteral("expireson"), expireson->dateTime());
        u.setValue(QStringLiteral("password"), Scramble(password1->text()));
        for (const RightBox& r : rightBoxes())
            u.setValue(QLatin1String(r.field), r.box->isChecked());
        u.post();
    } catch (...) {
        u.cancel();
        throw;
    }
}

bool Tadmusersfrm::mayChangeCurrentUser()
{
    if (!hasCurrentUser())
        return false;
    if (!OutranksUser(users().asString(QStringLiteral("username")))) {
        ShowAlert(M::RankRestricted);
        return false;
    }
    if (!UserCanAdministerUsers(CurrentUser)) {
        ShowAlert(MainMessages::AccessDenied);
        return false;
    }
    return true;
}

void Tadmusersfrm::Button4Click()
{
    if (!mayChangeCurrentUser())
        return;
    Dataset& u = users();
    const QString old = u.asString(QStringLiteral("username"));
    bool accepted = false;
    const QString name = InputText(M::RenamePrompt, old, &accepted);
    if (!accepted || name == old)
        return;
    if (name.isEmpty()) {
        ShowAlert(M::NameEmpty);
        return;
    }
    if (Text::characters(name) > MaxNameLength) {
        ShowAlert(M::NameTooLong);
        return;
    }
    // The same user in other letter case may be renamed; anyone else's name
    // (the template user's included) is taken.
    if (FindUser(name) != -1 && !Text::sameName(DM().UserTable.asString(QStringLiteral("username")), old)) {
        ShowAlert(M::NameTaken.arg(name));
        return;
    }
    if (!hasCurrentUser() || u.asString(QStringLiteral("username")) != old)
        return;
    u.edit();
    try {
        u.setValue(QStringLiteral("username"), name);
        u.post();
    } catch (...) {
        u.cancel();
        throw;
    }
    LoadUserDetails();
}

void Tadmusersfrm::Button5Click()
{
    if (!mayChangeCurrentUser())
        return;
    if (!AskQuestion(M::SureQuestion))
        return;
    Dataset& u = users();
    if (!hasCurrentUser())
        return;
    u.deleteCurrent();
    u.first();
    u.requery();
    LoadUserDetails();
}

void Tadmusersfrm::Button1Click()
{
    if (UserCanAdministerUsers(CurrentUser))
        AddUserFlow();
    else
        ShowAlert(MainMessages::AccessDenied);
}

void Tadmusersfrm::AddUserFlow()
{
    Tadduserfrm* f = AddUserForm();
    if (f->showModal() != mrOk)
        return;
    const QString name = f->username->text();
    if (!RegisterAccount(name, f->fullname->text(), f->pass1->text())) {
        ShowAlert((FindUser(name) != -1 ? M::AddNameTaken : M::AddFailed).arg(Text::upper(name)));
        return;
    }
    Dataset& u = users();
    u.close();
    u.open();
    u.first();
    u.locate(QStringLiteral("username"), Text::upper(name));
    LoadUserDetails();
}

void Tadmusersfrm::Button2Click() { done(mrCancel); }

Tadmusersfrm* AdmUsersForm() { return SharedForm<Tadmusersfrm>(); }
