#include "BookingControls.h"

#include "mainfrm.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QRect& r)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(r);
    b->setAutoDefault(false);
    return b;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QRect& r, int maxLength)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(r);
    e->setMaxLength(maxLength);
    return e;
}

QDateEdit* MakeDatePicker(QWidget* parent, const char* name, bool longForm, const QRect& r)
{
    auto* d = new QDateEdit(parent);
    d->setObjectName(QString::fromLatin1(name));
    d->setCalendarPopup(true);
    d->setDisplayFormat(QLocale().dateFormat(longForm ? QLocale::LongFormat : QLocale::ShortFormat));
    d->setGeometry(r);
    return d;
}

QLabel* MakeCaption(QWidget* parent, const char* name, const QString& text, int x, int y, int w)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(x, y, w, 18);
    return l;
}

void ShowMainCategories(QComboBox* box)
{
    box->clear();
    const Tmainfrm* w = MainForm();
    if (!w)
        return;
    for (int i = 0; i < w->DisplayCatergory->count(); ++i)
        box->addItem(w->DisplayCatergory->itemText(i));
    box->setCurrentIndex(w->DisplayCatergory->currentIndex());
}
