#include "defaultrightsfrm.h"

#include "Accounts.h"
#include "Alerts.h"
#include "DataModule.h"
#include "SmallDialogs.h"
#include "SpinEdit.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QPushButton>

namespace M = DefaultRightsMessages;

namespace {
constexpr int BoxWidth = 201;
constexpr int BoxHeight = 17;
constexpr int RowStep = 22;
} // namespace

QCheckBox* Tdefaultrightsfrm::addBox(const char* name, const QString& caption, const QString& field, int left,
                                     int top)
{
    auto* b = new QCheckBox(caption, this);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(left, top, BoxWidth, BoxHeight);
    m_boxes.append({b, field});
    return b;
}

Tdefaultrightsfrm::Tdefaultrightsfrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("defaultrightsfrm"));
    setWindowTitle(M::Caption);
    setFixedSize(441, 313);

    Label1 = new QLabel(QStringLiteral("Tick to give rights "), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 8, 425, 17);

    const int left = 16, right = 228;
    int top = 32;
    isStaff = addBox("isStaff", QStringLiteral("Staff"), QStringLiteral("isStaff"), left, top);
    isStudent = addBox("isStudent", QStringLiteral("Student"), QStringLiteral("isStudent"), right, top);
    top += RowStep + 6;
    DBCheckBox4 = addBox("DBCheckBox4", QStringLiteral("Make Bookings"), QStringLiteral("canMakeBookings"), left, top);
    DBCheckBox6 = addBox("DBCheckBox6", QStringLiteral("Modify Bookings"), QStringLiteral("canModifyBookings"), right, top);
    top += RowStep;
    DBCheckBox5 = addBox("DBCheckBox5", QStringLiteral("Make Permanent Bookings"),
                         QStringLiteral("canMakePermanentBookings"), left, top);
    DBCheckBox2 = addBox("DBCheckBox2", QStringLiteral("Flush Bookings"), QStringLiteral("canFlushBookings"), right, top);
    top += RowStep;
    DBCheckBox8 = addBox("DBCheckBox8", QStringLiteral("Administer Inventory"), QStringLiteral("canModifyItems"), left, top);
    DBCheckBox7 = addBox("DBCheckBox7", QStringLiteral("Administer Catergories"), QStringLiteral("canModifyCatergories"),
                         right, top);
    top += RowStep;
    DBCheckBox1 = addBox("DBCheckBox1", QStringLiteral("Administer Users"), QStringLiteral("canAdministerUsers"), left, top);
    DBCheckBox3 = addBox("DBCheckBox3", QStringLiteral("Force Shutdown"), QStringLiteral("canForceShutdown"), right, top);
    top += RowStep;
    DBCheckBox9 = addBox("DBCheckBox9", QStringLiteral("Run Maintainence"), QStringLiteral("canRunMaintaince"), left, top);
    DBCheckBox14 = addBox("DBCheckBox14", QStringLiteral("Circulate Items"), QStringLiteral("canCirculate"), right, top);
    top += RowStep;
    DBCheckBox15 = addBox("DBCheckBox15", QStringLiteral("Administer System"), QStringLiteral("isAdministrator"), left, top);
    DBCheckBox11 = addBox("DBCheckBox11", QStringLiteral("Forced Prompt Password"), QStringLiteral("ForcePassword"), right,
                          top);
    top += RowStep + 6;
    expires = addBox("expires", QStringLiteral("Account Expires"), QStringLiteral("Expires"), left, top + 2);
    expireson = new QDateTimeEdit(this);
    expireson->setObjectName(QStringLiteral("expireson"));
    expireson->setDisplayFormat(QStringLiteral("dd/MMM/yyyy"));
    expireson->setCalendarPopup(true);
    expireson->setGeometry(right, top, 129, 21);
    top += RowStep + 6;
    Label3 = new QLabel(QStringLiteral("Access Level:"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(left, top, 97, 21);
    accesslevel = new TSpinEdit(this);
    accesslevel->setObjectName(QStringLiteral("accesslevel"));
    accesslevel->setRange(1, 200);
    accesslevel->setGeometry(right, top, 73, 21);
    Label3->setBuddy(accesslevel);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(272, 278, 75, 25);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(356, 278, 75, 25);
    Button2->setAutoDefault(false);

    // Reacting to clicks only: the boxes the handlers set do not answer.
    connect(isStaff, &QCheckBox::clicked, this, &Tdefaultrightsfrm::isStaffClick);
    connect(isStudent, &QCheckBox::clicked, this, &Tdefaultrightsfrm::isStudentClick);
    connect(expires, &QCheckBox::clicked, this, &Tdefaultrightsfrm::expiresClick);
    connect(Button1, &QPushButton::clicked, this, &Tdefaultrightsfrm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tdefaultrightsfrm::Button2Click);
}

void Tdefaultrightsfrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    CentreOver(this, MainWindow());
}

bool Tdefaultrightsfrm::FormShow()
{
    if (!ReadProfileUser())
        return false;
    Dataset& profile = DM().ProfileUser;
    m_shown.clear();
    for (const BoundBox& b : m_boxes) {
        const bool on = profile.asBoolean(b.field);
        b.box->setChecked(on);
        m_shown.append(on);
    }
    expireson->setDateTime(profile.asDateTime(QStringLiteral("expireson")));
    accesslevel->setValue(profile.asInteger(QStringLiteral("accesslevel")));
    accesslevel->clampValue();   // a level outside 1..200 shows as its nearest bound
    expireson->setEnabled(expires->isChecked());
    return true;
}

void Tdefaultrightsfrm::isStaffClick() { isStudent->setChecked(!isStaff->isChecked()); }

void Tdefaultrightsfrm::isStudentClick() { isStaff->setChecked(!isStudent->isChecked()); }

void Tdefaultrightsfrm::expiresClick() { expireson->setEnabled(expires->isChecked()); }

void Tdefaultrightsfrm::Button1Click()
{
    accesslevel->clampValue();
    Dataset& profile = DM().ProfileUser;
    EditAndPost(profile, [&] {
        for (int i = 0; i < m_boxes.size(); ++i)
            if (m_boxes[i].box->isChecked() != m_shown.value(i))
                profile.setValue(m_boxes[i].field, m_boxes[i].box->isChecked());
        profile.setValue(QStringLiteral("expireson"), expireson->dateTime());
        profile.setValue(QStringLiteral("accesslevel"), accesslevel->value());
    });
    done(mrOk);
}

void Tdefaultrightsfrm::Button2Click() { done(mrCancel); }

Tdefaultrightsfrm* DefaultRightsForm() { return SharedForm<Tdefaultrightsfrm>(); }

int ShowDefaultRights()
{
    Tdefaultrightsfrm* f = DefaultRightsForm();
    if (!f->FormShow()) {
        ShowAlert(M::NoTemplate);
        return mrClosed;
    }
    return f->showModal();
}
