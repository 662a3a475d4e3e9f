#include "extenderbgfrm.h"

#include <QLabel>
#include <QPixmap>

static void initExtenderResources()
{
    // The resources of a static library must be registered by hand.
    Q_INIT_RESOURCE(extender);
}

Textenderbgfrm::Textenderbgfrm(QWidget* parent) : TFormBase(parent)
{
    initExtenderResources();
    setObjectName(QStringLiteral("extenderbgfrm"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    // Showing it never takes the keyboard from the dialog in front.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setProgramClosedOnly(true);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap(QStringLiteral(":/extender/pictures/backdrop.png")));
    Image1->setGeometry(rect());
}

void Textenderbgfrm::resizeEvent(QResizeEvent* event)
{
    Image1->setGeometry(rect());
    TFormBase::resizeEvent(event);
}
