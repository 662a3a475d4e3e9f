#include "LogonLook.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>

namespace {

// The platform draws a bullet for each hidden character; these dialogs show "*".
class StarPasswordStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QStyle* starStyle()
{
    // One for the process, made over the application's own style.
    static QStyle* style = [] {
        auto* s = new StarPasswordStyle;
        s->setParent(qApp);
        return s;
    }();
    return style;
}

const QColor kFace(0, 74, 149);
const QColor kText(251, 245, 179);

} // namespace

void ApplyLogonLook(QWidget* dialog)
{
    QPalette pal = dialog->palette();
    for (const auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
        pal.setColor(role, kFace);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        pal.setColor(role, kText);
    dialog->setPalette(pal);
    dialog->setAutoFillBackground(true);
    QFont f = QApplication::font();
    f.setPixelSize(16);
    f.setBold(true);
    dialog->setFont(f);
}

void MakeLogonButtonsFlat(QWidget* dialog)
{
    for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
        b->setFlat(true);
        b->setStyleSheet(QStringLiteral(
            "QPushButton { color: rgb(251, 245, 179); border: 1px solid rgb(251, 245, 179); background: transparent; }"
            "QPushButton:default { border-width: 2px; }"
            "QPushButton:pressed { background: rgb(0, 0, 64); }"
            "QPushButton:focus { border-style: dotted; }"));
    }
}

QLineEdit* LogonEdit(QWidget* dialog, const char* name, const QString& caption, int left, int top,
                     int width, bool password)
{
    auto* label = new QLabel(caption, dialog);
    label->setGeometry(left, top - 20, width, 18);
    auto* edit = new QLineEdit(dialog);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(left, top, width, 24);
    label->setBuddy(edit);
    if (password)
        MaskPassword(edit);
    return edit;
}

void MaskPassword(QLineEdit* edit)
{
    edit->setStyle(starStyle());
    edit->setEchoMode(QLineEdit::Password);
}

void LoadClientPictures()
{
    // The pictures are built into the client and data libraries.
    Q_INIT_RESOURCE(client);
    Q_INIT_RESOURCE(data);
}

QLabel* LogonPicture(QWidget* dialog, const QString& resource, int left, int top, int width, int height)
{
    LoadClientPictures();
    auto* l = new QLabel(dialog);
    l->setObjectName(QStringLiteral("Image1"));
    l->setGeometry(left, top, width, height);
    l->setScaledContents(true);
    l->setPixmap(QPixmap(resource));
    return l;
}
