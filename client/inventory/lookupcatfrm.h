#pragma once
#include "Forms.h"

#include <QString>

class QPushButton;
class TDBCoolGrid;

// The category picker: every category, opened on the row the categories
// table stands on; "Select" takes the highlighted one.
class Tlookupcatfrm : public TFormBase {
    Q_OBJECT
public:
    explicit Tlookupcatfrm(QWidget* parent = nullptr);

    TDBCoolGrid* DBCatList;
    QPushButton* Button1;     // "Select"
    QPushButton* cancelbtn;   // "Cancel"

    void Button1Click();
    void cancelbtnClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

Tlookupcatfrm* LookupCatForm();

// Lets the user pick a category: name is the chosen category's name, or
// empty when the picker was cancelled (its "Cancel", Escape or its frame).
// hideCancel takes "Cancel" away.
void PickCategory(bool hideCancel, QString& name);
