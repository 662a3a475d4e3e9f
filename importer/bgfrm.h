#pragma once
#include <QWidget>

class QLabel;

// The importer's backdrop: a borderless window over the whole screen with
// one picture stretched over it. Closing it ends the program.
class TBGFrm : public QWidget {
    Q_OBJECT
public:
    explicit TBGFrm(QWidget* parent = nullptr);
    QLabel* Image1;

    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;
};
