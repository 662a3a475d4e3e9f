#include "aboutfrm.h"
#include "LogonLook.h"
#include "SmallDialogs.h"

#include <QEvent>
#include <QKeyEvent>
#include <QFrame>
#include <QLabel>

namespace {

QLabel* centredLabel(QWidget* parent, const char* name, const QString& text, const QRect& place,
                     int pixelSize)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(place);
    l->setAlignment(Qt::AlignCenter);
    l->setWordWrap(true);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixelSize);
    l->setFont(f);
    return l;
}

} // namespace

Taboutfrm::Taboutfrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("aboutfrm"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(564, 290);
    LoadClientPictures();
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, QColor(251, 245, 179));
    setPalette(pal);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(13);
    setFont(f);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 564, 290);
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap(QStringLiteral(":/client/pictures/aboutbg.png")));

    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(8, 8, 433, 273);
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setStyleSheet(QStringLiteral("QFrame#Shape1 { border: 1px solid black; background: transparent; }"));

    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(8, 8, 169, 174);
    Image2->setScaledContents(true);
    Image2->setPixmap(QPixmap(QStringLiteral(":/client/pictures/logo.png")));

    Label1 = centredLabel(this, "Label1", QStringLiteral("Tavrell Lite"), QRect(200, 16, 233, 73), 32);
    QPalette yellow = Label1->palette();
    yellow.setColor(QPalette::WindowText, Qt::yellow);
    Label1->setPalette(yellow);
    Label3 = centredLabel(this, "Label3", QStringLiteral("Version: 5.0.5.3845"), QRect(176, 152, 265, 18), 16);
    Label9 = centredLabel(this, "Label9", QStringLiteral("DB-Version: 5C"), QRect(176, 168, 265, 18), 16);

    Shape2 = new QWidget(this);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    Shape2->setGeometry(448, 0, 564 - 448, 290);
    Shape2->setAttribute(Qt::WA_NoSystemBackground);
    Shape2->installEventFilter(this);
}

bool Taboutfrm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Shape2 && event->type() == QEvent::MouseButtonPress) {
        Shape2MouseDown();
        return true;
    }
    return TFormBase::eventFilter(watched, event);
}

void Taboutfrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    CentreOver(this, MainWindow());
}

void Taboutfrm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    TFormBase::keyPressEvent(event);
}

void Taboutfrm::Shape2MouseDown() { done(mrCancel); }

Taboutfrm* AboutForm() { return SharedForm<Taboutfrm>(); }

void ShowAbout()
{
    Taboutfrm* f = AboutForm();
    CentreOver(f, MainWindow());
    f->showModal();
}
