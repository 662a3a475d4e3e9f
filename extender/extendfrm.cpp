#include "extendfrm.h"
#include "BrowseIt.h"
#include "DataModule.h"
#include "ExtendRun.h"
#include "Upgrade.h"
#include "extenderbgfrm.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

namespace M = ExtenderMessages;

namespace {
QPushButton* button(QWidget* parent, const char* name, const QString& caption, int x, int y)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(x, y, 75, 25);
    b->setAutoDefault(false);
    return b;
}
} // namespace

Textendfrm::Textendfrm(DataModule& dm, QWidget* parent) : TFormBase(parent), m_dm(dm)
{
    setObjectName(QStringLiteral("extendfrm"));
    setWindowTitle(M::AppTitle);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint
                   | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(465, 153);
    // The small dialog type its layout was measured in.
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);

    Label1 = new QLabel(QStringLiteral(
        "This will extend the old Tavrell Database to be compatible with the latest Tavrell Program. You only "
        "need to run this once, then you can delete this executable. You must make sure nobody is using the "
        "Tavrell App while this program is running. "), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setGeometry(8, 8, 441, 65);

    Label2 = new QLabel(QStringLiteral("Database to Extend:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(8, 91);
    // The caption ends before the edit box, in a smaller type if need be.
    QFont labelFont = Label2->font();
    while (QFontMetrics(labelFont).horizontalAdvance(Label2->text()) > 112 - 8 - 4 && labelFont.pixelSize() > 8)
        labelFont.setPixelSize(labelFont.pixelSize() - 1);
    Label2->setFont(labelFont);
    Label2->adjustSize();

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(112, 88, 265, 23);

    Button1 = button(this, "Button1", QStringLiteral("Browse"), 384, 88);
    Button3 = button(this, "Button3", QStringLiteral("Extend"), 304, 120);
    Button3->setDefault(true);
    Button2 = button(this, "Button2", QStringLiteral("Close"), 384, 120);

    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setTextFormat(Qt::PlainText);
    Label3->setGeometry(112, 124, 185, 17);
    Label3->hide();

    browse = new TBrowseIt(this);
    browse->setObjectName(QStringLiteral("browse"));
    browse->Title = QStringLiteral("Locate the folder that the Tavrell is installed");
    ADOCommand1 = new TADOCommand(this);
    ADOCommand1->setObjectName(QStringLiteral("ADOCommand1"));

    connect(Button1, &QPushButton::clicked, this, &Textendfrm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Textendfrm::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &Textendfrm::Button3Click);
    CentreOnScreen(this);
}

void Textendfrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    FormShow();
}

void Textendfrm::FormShow()
{
    Edit1->setText(ReadInstallFolder());
    if (m_backdrop) {
        // The whole screen, also where no window manager maximizes it.
        if (const QScreen* screen = this->screen())
            m_backdrop->setGeometry(screen->geometry());
        m_backdrop->showMaximized();
        // The dialog stays in front and keeps the keyboard.
        raise();
        activateWindow();
    }
}

void Textendfrm::Button1Click()
{
    browse->Execute(this);
    // A cancel before any choice leaves the proposed folder as it was.
    if (!browse->Directory.isEmpty())
        Edit1->setText(browse->Directory);
}

void Textendfrm::Button2Click() { done(mrCancel); }

void Textendfrm::Button3Click()
{
    Button1->setEnabled(false);
    Button2->setEnabled(false);
    const ExtendOutcome outcome = ExtendDatabase(m_dm, *ADOCommand1, Edit1->text(), [this](const QString& text) {
        Label3->setText(text);
        Label3->show();
    });
    // Ended or done: closing the dialog ends the program. After a failure
    // the dialog stays, its error shown.
    if (outcome != ExtendOutcome::Failed)
        done(outcome == ExtendOutcome::Done ? mrOk : mrClosed);
}

void EndProgramWhenClosed(Textendfrm& form)
{
    QObject::connect(
        &form, &QDialog::finished, &form, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}
