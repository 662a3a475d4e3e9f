#include "SmallDialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace {

QPointer<QWidget>& mainWindowRef()
{
    static QPointer<QWidget> w;
    return w;
}

QLabel* pictureLabel(QWidget* parent, const QString& resource)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QStringLiteral("Image1"));
    l->setGeometry(8, 8, 105, 105);
    l->setScaledContents(true);
    l->setPixmap(QPixmap(resource));
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, int left)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(left, 88, 129, 25);
    b->setAutoDefault(false);
    return b;
}

} // namespace

TQuestionFrm::TQuestionFrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("QuestionFrm"));
    setWindowTitle(QStringLiteral("Tavrell"));
    setFixedSize(465, 121);
    Image1 = pictureLabel(this, QStringLiteral(":/data/pictures/question.png"));
    question = new QLabel(this);
    question->setObjectName(QStringLiteral("question"));
    question->setGeometry(120, 8, 337, 73);
    question->setWordWrap(true);
    question->setTextFormat(Qt::PlainText);
    question->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Button1 = button(this, "Button1", QStringLiteral("Yes"), 152);
    Button1->setDefault(true);
    Button2 = button(this, "Button2", QStringLiteral("No"), 296);
    connect(Button1, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(mrCancel); });
}

Tinputfrm::Tinputfrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("inputfrm"));
    setWindowTitle(QStringLiteral("Tavrell"));
    setFixedSize(464, 120);
    Image1 = pictureLabel(this, QStringLiteral(":/data/pictures/input.png"));
    questionLabel = new QLabel(this);
    questionLabel->setObjectName(QStringLiteral("questionLabel"));
    questionLabel->setGeometry(120, 24, 337, 16);
    questionLabel->setTextFormat(Qt::PlainText);
    question = new QLineEdit(this);
    question->setObjectName(QStringLiteral("question"));
    question->setGeometry(120, 42, 337, 21);
    questionLabel->setBuddy(question);
    Button1 = button(this, "Button1", QStringLiteral("OK"), 152);
    Button1->setDefault(true);
    Button2 = button(this, "Button2", QStringLiteral("Cancel"), 296);
    connect(Button1, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(mrCancel); });
}

void Tinputfrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    question->setFocus();
}

void SetMainWindow(QWidget* w) { mainWindowRef() = w; }
QWidget* MainWindow() { return mainWindowRef(); }

TQuestionFrm* QuestionForm()
{
    return SharedForm<TQuestionFrm>();
}

Tinputfrm* InputForm()
{
    return SharedForm<Tinputfrm>();
}

bool AskQuestion(const QString& text)
{
    TQuestionFrm* f = QuestionForm();
    f->question->setText(text);
    CentreOnScreen(f);
    return f->showModal() == mrOk;
}

QString InputText(const QString& prompt, const QString& defaultValue, bool* accepted, int maxLength)
{
    Tinputfrm* f = InputForm();
    f->questionLabel->setText(prompt);
    // The limit is set before the text, which it would otherwise cut.
    f->question->setMaxLength(maxLength > 0 ? maxLength : 32767);
    f->question->setText(defaultValue);
    CentreOver(f, MainWindow());
    const bool ok = f->showModal() == mrOk;
    if (accepted)
        *accepted = ok;
    return ok ? f->question->text() : defaultValue;
}
