#pragma once
#include "Forms.h"

class QLabel;

// The backdrop that covers the screen behind the extender's dialog: one
// picture, stretched. Only the program takes it away.
class Textenderbgfrm : public TFormBase {
    Q_OBJECT
public:
    explicit Textenderbgfrm(QWidget* parent = nullptr);
    QLabel* Image1;

protected:
    void resizeEvent(QResizeEvent* event) override;
};
