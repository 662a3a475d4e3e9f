#include "InventoryCommon.h"

#include "SmallDialogs.h"
#include "mainfrm.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

TColumn GridColumn(const QString& field, const QString& title, int width)
{
    TColumn c;
    c.FieldName = field;
    c.Title = title;
    c.Width = width;
    c.Color = clWhite;
    return c;
}

QLineEdit* MakeLabelledEdit(QWidget* parent, const char* name, const char* labelName, const QString& caption,
                            const QRect& geometry, int labelWidth, int maxLength)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(labelName));
    label->setGeometry(geometry.x() - labelWidth - 4, geometry.y(), labelWidth, geometry.height());
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QLineEdit* edit = MakeEdit(parent, name, geometry, maxLength);
    label->setBuddy(edit);
    return edit;
}

bool IsRecordDeleteKey(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    return key->key() == Qt::Key_Delete && (key->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
}

void RefreshMainWindowLists()
{
    if (auto* w = qobject_cast<Tmainfrm*>(MainWindow()))
        w->InitMainWindow();
}
