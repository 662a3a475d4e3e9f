#include "cmdlinehelpfrm.h"

#include <QPlainTextEdit>
#include <QPushButton>

TcmdLineHelpFrm::TcmdLineHelpFrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("cmdLineHelpFrm"));
    setWindowTitle(QStringLiteral("Command Line Help"));
    setFixedSize(436, 411);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(8, 8, 417, 353);
    Memo1->setReadOnly(true);
    Memo1->setFrameShape(QFrame::NoFrame);
    // A plain memo without scroll bars: the text is written to fit it, and a
    // bar that came and went would narrow it enough to wrap its lines.
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setBackgroundRole(QPalette::Window);
    Memo1->viewport()->setBackgroundRole(QPalette::Window);
    Memo1->setPlainText(helpLines().join(QLatin1Char('\n')));

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry((436 - 75) / 2, 372, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TcmdLineHelpFrm::Button1Click);
}

void TcmdLineHelpFrm::Button1Click() { done(mrCancel); }

QStringList TcmdLineHelpFrm::helpLines()
{
    return {
        QStringLiteral("Command Line Usage:"),
        QString(),
        QStringLiteral("PLAXON /LOGIN - Bypasses Autologon and Prompts for Username and Password"),
        QString(),
        QStringLiteral("PLAXON /USER:<username> /PASS:<password> - Will logon user with "),
        QStringLiteral("<username> and <password>"),
        QStringLiteral("Note: You must provide both the username and password options or system will "),
        QStringLiteral("ignore option."),
        QString(),
        QStringLiteral("PLAXON /CHECK - Runs Maintenance on Database then terminates."),
        QString(),
        QStringLiteral("PLAXON /ENABLELOGIN - If a forced Shutdown or Login has been denied, this will "),
        QStringLiteral("re-enstate logins."),
        QString(),
        QStringLiteral("PLAXON /IGNOREONLINEFLAG - Ignores if a user is online and logs them into the "),
        QStringLiteral("Tavrell anyway."),
        QString(),
        QStringLiteral("PLAXON /OVERIDESYSTEMVARS - Bypasses system varibles in system that may "),
        QStringLiteral("be preventing users to login. This should only be used if:"),
        QStringLiteral("A) The maintenance program has crashed. "),
        QStringLiteral("B) A user doing a large booking has crashed."),
        QStringLiteral("C) A user has forced shutdown and has either crashed the system or themselves "),
        QStringLiteral("cannot re-enter the booking system."),
        QStringLiteral("Note: Running this on a system where the above has not happend can cause the "),
        QStringLiteral("DB to get corrupted. Also it is recommended that maintenance is run as well"),
    };
}

TcmdLineHelpFrm* CmdLineHelpForm() { return SharedForm<TcmdLineHelpFrm>(); }
