#include "bgfrm.h"
#include "lockfrm.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

TBGFrm::TBGFrm(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("BGFrm"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setScaledContents(true);
    Image1->setPixmap(ImporterPicture(QStringLiteral("backdrop.png")));
}

void TBGFrm::FormShow()
{
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect whole = screen ? screen->geometry() : QRect(0, 0, 800, 600);
    setGeometry(whole);
    Image1->setGeometry(0, 0, whole.width(), whole.height());
}

void TBGFrm::showEvent(QShowEvent* event)
{
    FormShow();
    QWidget::showEvent(event);
}
