#include "usersonlinefrm.h"

#include "Accounts.h"
#include "Alerts.h"
#include "CoolCtrlsDB.h"
#include "DataModule.h"
#include "ProgramEnd.h"
#include "Session.h"
#include "SmallDialogs.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

namespace M = UsersOnlineMessages;

namespace {
constexpr int ListLeft = 8;
constexpr int ListTop = 24;
constexpr int ListWidth = 289;
constexpr int ButtonTop = 236;
} // namespace

Tusersonlinefrm::Tusersonlinefrm(QWidget* parent) : TFormBase(parent), OnlineUsersSource(&OnlineUsersQry)
{
    setObjectName(QStringLiteral("usersonlinefrm"));
    setWindowTitle(M::Caption);
    setFixedSize(305, 269);

    OnlineUsersQry.setObjectName(QStringLiteral("OnlineUsersQry"));
    OnlineUsersQry.setSql({QStringLiteral("select username, lastcomputer"), QStringLiteral("from users"),
                           QStringLiteral("where online = 1;")});

    Label1 = new QLabel(M::Header, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setGeometry(ListLeft, 6, ListWidth, 16);

    userslist = new TDBCoolGrid(this);
    userslist->setObjectName(QStringLiteral("userslist"));
    userslist->setGeometry(ListLeft, ListTop, ListWidth, ListHeight);
    // A list to look at: no titles (the label above heads the columns), no
    // editing, whole rows selected.
    userslist->SetOptions(dgColLines | dgRowLines | dgRowSelect | dgAlwaysShowSelection);
    userslist->setScrollBars(CoolGridBase::ScrollStyle::Vertical);
    // The computer column starts under "Computer" of the header.
    const int firstWidth = QFontMetrics(Label1->font()).horizontalAdvance(M::Header.left(M::Header.indexOf(u'C')));
    TColumn user;
    user.FieldName = QStringLiteral("username");
    user.Width = firstWidth;
    TColumn computer;
    computer.FieldName = QStringLiteral("lastcomputer");
    // The computer column fills the rest beside the vertical scroll bar.
    computer.Width = ListWidth - firstWidth - userslist->verticalScrollBar()->sizeHint().width() - 4;
    userslist->SetColumns({user, computer});
    userslist->SetDataSource(&OnlineUsersSource);
    userslist->installEventFilter(this);

    forcemsg = new QLabel(M::ForceNotice, this);
    forcemsg->setObjectName(QStringLiteral("forcemsg"));
    forcemsg->setTextFormat(Qt::PlainText);
    forcemsg->setWordWrap(true);
    forcemsg->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    forcemsg->setGeometry(ListLeft, ListTop + ListHeightWithForce + 4, ListWidth, ButtonTop - ListTop
                          - ListHeightWithForce - 8);

    Button1 = new QPushButton(QStringLiteral("Force Users Offline"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(ListLeft, ButtonTop, 137, 25);
    Button1->setAutoDefault(false);
    Button2 = new QPushButton(QStringLiteral("Close"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(ListLeft + ListWidth - 81, ButtonTop, 81, 25);
    Button2->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &Tusersonlinefrm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tusersonlinefrm::Button2Click);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(5000);
    connect(Timer1, &QTimer::timeout, this, &Tusersonlinefrm::Timer1Timer);
}

void Tusersonlinefrm::Timer1Timer()
{
    if (!OnlineUsersQry.database())
        return;
    // A re-read that fails (the file busy or out of reach) keeps the list as
    // it was and is tried again on the next tick, without a message each time.
    // A file another program holds is not waited for.
    try {
        NoLockWait noWait(*OnlineUsersQry.database());
        OnlineUsersQry.requery();
    } catch (const std::exception&) {
    }
}

void Tusersonlinefrm::Button1Click() { done(mrOk); }

void Tusersonlinefrm::Button2Click() { done(mrCancel); }

void Tusersonlinefrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    CentreOver(this, MainWindow());
}

void Tusersonlinefrm::hideEvent(QHideEvent* event)
{
    // However the window goes (its buttons, Escape, the frame, the program
    // ending), the list stops following the database.
    Timer1->stop();
    TFormBase::hideEvent(event);
}

bool Tusersonlinefrm::eventFilter(QObject* watched, QEvent* event)
{
    // The list only shows: the grid's Ctrl+Delete must not reach it.
    if (watched == userslist && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && (key->modifiers() & Qt::ControlModifier))
            return true;
    }
    return TFormBase::eventFilter(watched, event);
}

Tusersonlinefrm* UsersOnlineForm() { return SharedForm<Tusersonlinefrm>(); }

void ShowUsersOnline(bool allowForce)
{
    Tusersonlinefrm* f = UsersOnlineForm();
    int result = mrClosed;
    {
        // Read afresh at every showing, on the connection of this run; once
        // the window is gone the list lets go of the connection again.
        struct Showing {
            Tusersonlinefrm* f;
            ~Showing()
            {
                f->Timer1->stop();
                f->OnlineUsersQry.setDatabase(nullptr);
            }
        } showing{f};
        f->OnlineUsersQry.setDatabase(&DM().ADOConnection);
        f->OnlineUsersQry.open();
        f->Timer1->start();

        f->Button1->setVisible(allowForce);
        f->forcemsg->setVisible(allowForce);
        f->userslist->resize(f->userslist->width(),
                             allowForce ? Tusersonlinefrm::ListHeightWithForce : Tusersonlinefrm::ListHeight);

        result = f->showModal();
    }
    if (ProgramEnding || !allowForce || result != mrOk)
        return;

    // Cancel in the prompt gives the default reason: the shutdown is ordered
    // all the same.
    // The reason is stored in a field of 255 characters.
    const QString reason = InputText(M::ReasonPrompt, M::DefaultReason, nullptr, 255);
    if (ProgramEnding)
        return;
    SetForceShutdown(reason, CurrentUser);
    ShowAlert(M::ShutdownMode);
}
