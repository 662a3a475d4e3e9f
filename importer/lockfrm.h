#pragma once
#include "Forms.h"

#include <QPixmap>

class QGroupBox;
class QLabel;

// The wait window shown while a 4.x client holds the lock of a file the
// importer is about to read. Only the reader takes it away.
class Tlockfrm : public TFormBase {
    Q_OBJECT
public:
    explicit Tlockfrm(QWidget* parent = nullptr);
    QGroupBox* GroupBox1;
    QLabel* Image1;
    QLabel* Label1;
};

Tlockfrm* LockForm();

// One of the importer's own pictures ("hourglass.png", "backdrop.png").
QPixmap ImporterPicture(const QString& file);
