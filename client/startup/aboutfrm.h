#pragma once
#include "Forms.h"

class QLabel;
class QFrame;

// The about box: the product's name, version and schema level over its
// picture. A press on the strip along its right edge closes it with -1.
class Taboutfrm : public TFormBase {
    Q_OBJECT
public:
    explicit Taboutfrm(QWidget* parent = nullptr);
    QLabel* Image1;
    QFrame* Shape1;
    QLabel* Image2;
    QLabel* Label1;
    QLabel* Label3;
    QLabel* Label9;
    QWidget* Shape2;   // the invisible strip that closes the box

    void Shape2MouseDown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Escape is no way out of the box: only the strip and the frame are.
    void keyPressEvent(QKeyEvent* event) override;
};

Taboutfrm* AboutForm();
// Shows the about box centred over the main window.
void ShowAbout();
