#pragma once
#include "Forms.h"

class QPlainTextEdit;
class QPushButton;

// The command-line help box: the switches the client understands, and OK.
class TcmdLineHelpFrm : public TFormBase {
    Q_OBJECT
public:
    explicit TcmdLineHelpFrm(QWidget* parent = nullptr);
    QPlainTextEdit* Memo1;
    QPushButton* Button1;   // "OK": closes the box with -1

    void Button1Click();

    // The help text, one entry per line.
    static QStringList helpLines();
};

TcmdLineHelpFrm* CmdLineHelpForm();
