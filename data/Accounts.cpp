#include "Accounts.h"
#include "Alerts.h"
#include "Bookings.h"
#include "Clock.h"
#include "DataModule.h"
#include "DbError.h"
#include "Lookups.h"
#include "Random.h"
#include "Session.h"
#include "Text.h"
#include "Utilities.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>

namespace {

// The seventeen fields a new account takes from the template user.
const char* const profileFields[] = {
    "expires",          "ExpiresON",           "accesslevel",      "isStudent",
    "isStaff",          "canAdministerUsers",  "canRunMaintaince", "canModifyBookings",
    "canMakePermanentBookings", "canFlushBookings", "canModifyItems", "canModifyCatergories",
    "canForceShutdown", "forcepassword",       "canMakeBookings",  "canCirculate",
    "isAdministrator"};

} // namespace

// ------------------------------------------------------------------ passwords

QString Scramble(const QString& password)
{
    Random::randomize();
    const int key = Random::next(128);
    bool wide = false;
    for (const QChar c : password)
        wide = wide || c.unicode() > 255;
    const QByteArray bytes = wide ? password.toUtf8() : password.toLatin1();
    QString stored;
    stored.reserve(bytes.size() + 1);
    stored += QChar(static_cast<char16_t>(wide ? key + 128 : key));
    for (const char b : bytes)
        stored += QChar(static_cast<char16_t>((static_cast<unsigned char>(b) + key) % 256));
    return stored;
}

QString Unscramble(const QString& stored)
{
    if (stored.isEmpty())
        return QString();
    const int marker = stored.at(0).unicode() & 0xff;
    const bool wide = marker >= 128;
    const int key = marker & 127;
    QByteArray bytes;
    bytes.reserve(stored.size() - 1);
    for (qsizetype i = 1; i < stored.size(); ++i)
        bytes += static_cast<char>((stored.at(i).unicode() - key) & 0xff);
    return wide ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

// ------------------------------------------------------------------ accounts

bool AddUser(const QString& name, const QString& fullName, const QString& password)
{
    Dataset& t = DM().UserTable;
    try {
        t.append();
        t.setValue(QStringLiteral("username"), Text::upper(name));
        t.setValue(QStringLiteral("password"), Scramble(Text::upper(password)));
        t.setValue(QStringLiteral("fullname"), fullName);
        t.setValue(QStringLiteral("authcode"), NewAuthCode());
        t.post();
        return true;
    } catch (const DbError&) {
        t.cancel();
        return false;
    }
}

bool ReadProfileUser()
{
    Dataset& profile = DM().ProfileUser;
    if (!profile.isActive())
        profile.open();
    profile.requery();
    profile.first();
    return !profile.isEmpty();
}

bool ApplyProfileToUser(const QString& name)
{
    if (FindUser(name) == -1)
        return false;
    if (!ReadProfileUser())
        return false;
    Dataset& profile = DM().ProfileUser;

    Dataset& t = DM().UserTable;
    t.refresh();
    if (Text::upper(t.asString(QStringLiteral("username"))) != Text::upper(name))
        return false;   // gone since it was found
    EditAndPost(t, [&] {
        for (const char* field : profileFields)
            t.setValue(QLatin1String(field), profile.value(QLatin1String(field)));
    });
    return true;
}

bool RegisterAccount(const QString& name, const QString& fullName, const QString& password)
{
    Database& db = DM().ADOConnection;
    try {
        WriteTransaction tx(db);
        if (!AddUser(name, fullName, password))
            return false;
        // A database that has no template user gives the account the table's
        // defaults. A failure while copying the template's values undoes the
        // account too: both are stored, or neither.
        ApplyProfileToUser(name);
        tx.commit();
        return true;
    } catch (const DbError&) {
        return false;
    }
}

void ChangePassword(const QString& name, bool mustEnter)
{
    if (FindUser(name) == -1) {
        ShowAlert(AccountMessages::NoUser);
        return;
    }
    Tchgpassfrm* f = ChgPassForm();
    for (;;) {
        f->username->setText(name);
        f->pass1->clear();
        f->pass2->clear();
        CentreOnScreen(f);
        const int result = f->showModal();
        if (ProgramEnding)
            return;
        if (result == mrOk)
            break;
        if (result == mrCancel) {
            if (!mustEnter)
                return;
            ShowAlert(AccountMessages::MustProvide);
        }
    }
    // Timers and other clients ran while the dialog was open: find the user
    // again by name rather than trust an old position.
    if (FindUser(name) == -1) {
        ShowAlert(AccountMessages::NoUser);
        return;
    }
    Dataset& t = DM().UserTable;
    const QString stored = Scramble(f->pass1->text());
    EditAndPost(t, [&] { t.setValue(QStringLiteral("password"), stored); });
}

bool CheckPassword(const QString& name, const QString& password)
{
    if (Text::sameName(name, ProfileUserName) || FindUser(name) == -1)
        return false;
    const QString stored = DM().UserTable.asString(QStringLiteral("password"));
    return Text::upper(Unscramble(stored)) == Text::upper(password);
}

// ------------------------------------------------------------------ online flag and control row

bool MarkUserOnline(const QString& name)
{
    if (FindUser(name) == -1)
        return false;
    Dataset& t = DM().UserTable;
    if (t.asBoolean(QStringLiteral("Online")) && !StartupSwitches.OnlineOverride)
        return false;
    const QString address = GetLocalAddress();
    EditAndPost(t, [&] {
        t.setValue(QStringLiteral("Online"), true);
        t.setValue(QStringLiteral("LastComputer"), address);
        t.setValue(QStringLiteral("LastConnected"), Clock::now());
    });
    return true;
}

bool MarkUserOffline(const QString& name)
{
    if (FindUser(name) == -1)
        return false;
    Dataset& t = DM().UserTable;
    if (!t.asBoolean(QStringLiteral("Online")))
        return false;
    EditAndPost(t, [&] { t.setValue(QStringLiteral("Online"), false); });
    return true;
}

ShutdownOrder ReadShutdownOrder()
{
    QSqlQuery& q = DM().ADOConnection.cachedQuery(
        QStringLiteral("SELECT forceshutdown, \"user\", reason FROM System ORDER BY rowid LIMIT 1"));
    const bool ok = q.exec();
    Database::check(q, ok);
    ShutdownOrder order;
    if (q.next()) {
        order.force = q.value(0).toLongLong() != 0;
        order.user = q.value(1).toString();
        order.reason = q.value(2).toString();
    }
    q.finish();
    return order;
}

void SetForceShutdown(const QString& reason, const QString& user)
{
    Dataset& t = DM().SystemTable;
    t.requery();
    t.first();
    if (t.isEmpty())
        throw DbError(QStringLiteral("The System table holds no control row: the shutdown cannot be ordered"));
    EditAndPost(t, [&] {
        t.setValue(QStringLiteral("forceshutdown"), true);
        t.setValue(QStringLiteral("reason"), reason);
        t.setValue(QStringLiteral("user"), user);
    });
}

// ------------------------------------------------------------------ dialog

Tchgpassfrm::Tchgpassfrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("chgpassfrm"));
    setWindowTitle(QStringLiteral("Change Password"));
    setFixedSize(337, 145);

    const auto row = [this](const char* name, const QString& caption, int top) {
        auto* label = new QLabel(caption, this);
        label->setGeometry(8, top + 3, 150, 16);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setGeometry(160, top, 169, 21);
        label->setBuddy(edit);
        return edit;
    };
    username = row("username", QStringLiteral("User Name:"), 8);
    username->setReadOnly(true);
    pass1 = row("pass1", QStringLiteral("New Password:"), 36);
    pass1->setEchoMode(QLineEdit::Password);
    pass2 = row("pass2", QStringLiteral("Comfirm New Password:"), 64);
    pass2->setEchoMode(QLineEdit::Password);

    Button1 = new QPushButton(QStringLiteral("Change"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(88, 108, 113, 25);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(216, 108, 113, 25);
    Button2->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &Tchgpassfrm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tchgpassfrm::Button2Click);
}

void Tchgpassfrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    FormShow();
}

void Tchgpassfrm::FormShow() { pass1->setFocus(); }

void Tchgpassfrm::Button1Click()
{
    const QString typed = pass1->text();
    if (Text::characters(typed) < 5)
        ShowAlert(AccountMessages::TooShort);
    else if (Text::characters(typed) > 20)
        ShowAlert(AccountMessages::TooLong);
    else if (typed != pass2->text())
        ShowAlert(AccountMessages::NoMatch);
    else
        done(mrOk);
}

void Tchgpassfrm::Button2Click() { done(mrCancel); }

Tchgpassfrm* ChgPassForm()
{
    return SharedForm<Tchgpassfrm>();
}
