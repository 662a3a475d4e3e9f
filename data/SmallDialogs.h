#pragma once
#include "Forms.h"

#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

// The Yes/No question.
class TQuestionFrm : public TFormBase {
    Q_OBJECT
public:
    explicit TQuestionFrm(QWidget* parent = nullptr);
    QLabel* Image1;
    QLabel* question;
    QPushButton* Button1;   // "Yes"
    QPushButton* Button2;   // "No"
};

// The one-line input with its prompt.
class Tinputfrm : public TFormBase {
    Q_OBJECT
public:
    explicit Tinputfrm(QWidget* parent = nullptr);
    QLabel* Image1;
    QLabel* questionLabel;   // the prompt
    QLineEdit* question;     // the edit
    QPushButton* Button1;    // "OK"
    QPushButton* Button2;    // "Cancel"

protected:
    void showEvent(QShowEvent* event) override;
};

// The window the dialogs centre on (the client's main window; none in the
// utilities, which centre on the screen).
void SetMainWindow(QWidget* w);
QWidget* MainWindow();

// The shared instances, made on first use and kept until the program ends.
TQuestionFrm* QuestionForm();
Tinputfrm* InputForm();

// Yes/No: true exactly when "Yes" was chosen; "No", Escape and closing the
// window answer false.
bool AskQuestion(const QString& text);

// The typed text after "OK"; the default after "Cancel", Escape or closing
// the window. accepted, when given, tells the two apart. maxLength, when
// positive, is the most characters the edit takes (the width of the field
// the answer is stored in).
QString InputText(const QString& prompt, const QString& defaultValue, bool* accepted = nullptr,
                  int maxLength = 0);
