#pragma once
#include "Forms.h"

class DataModule;
class QLabel;
class QLineEdit;
class QPushButton;
class TADOCommand;
class TBrowseIt;
class Textenderbgfrm;

// The extender's one dialog: which database to raise, and the buttons that
// pick its folder, run the upgrade or close. Always in front of the
// backdrop; closing it ends the program.
class Textendfrm : public TFormBase {
    Q_OBJECT
public:
    // The run works on dm's connection and config table.
    explicit Textendfrm(DataModule& dm, QWidget* parent = nullptr);
    // The backdrop FormShow shows behind the dialog (none: no backdrop).
    void setBackdrop(Textenderbgfrm* backdrop) { m_backdrop = backdrop; }

    QLabel* Label1;
    QLabel* Label2;         // "Database to Extend:"
    QLineEdit* Edit1;       // the folder of the database
    QPushButton* Button1;   // "Browse"
    QPushButton* Button3;   // "Extend" (default)
    QPushButton* Button2;   // "Close" (cancel)
    QLabel* Label3;         // status, hidden until the upgrade starts
    TBrowseIt* browse;
    TADOCommand* ADOCommand1;

    void FormShow();
    void Button1Click();
    void Button2Click();
    void Button3Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    DataModule& m_dm;
    Textenderbgfrm* m_backdrop = nullptr;
};

// Ends the program's event loop once the dialog closes, by any of its ways
// (at once: a quit would first ask every window, and the backdrop refuses).
void EndProgramWhenClosed(Textendfrm& form);
