#include "lockfrm.h"

#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>

Tlockfrm::Tlockfrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("lockfrm"));
    setWindowTitle(QStringLiteral("Please Wait..."));
    // A dialog frame without caption buttons, above every other window.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
    setFixedSize(209, 104);
    setProgramClosedOnly(true);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(0, 0, 209, 104);

    Image1 = new QLabel(GroupBox1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 12, 81, 81);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setAttribute(Qt::WA_TranslucentBackground);
    Image1->setPixmap(ImporterPicture(QStringLiteral("hourglass.png")));

    Label1 = new QLabel(GroupBox1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(96, 10, 106, 88);
    Label1->setWordWrap(true);
    Label1->setText(QStringLiteral(
        "Another user is writing to the booking system. This shouldn't take too long. "));
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(13);
    f.setItalic(true);
    Label1->setFont(f);
}

Tlockfrm* LockForm() { return SharedForm<Tlockfrm>(); }

QPixmap ImporterPicture(const QString& file)
{
    // The resources of a static library must be registered by hand.
    Q_INIT_RESOURCE(importer);
    return QPixmap(QStringLiteral(":/importer/pictures/") + file);
}
