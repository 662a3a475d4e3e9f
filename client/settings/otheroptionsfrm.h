#pragma once
#include "Forms.h"

#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace OtherOptionsMessages {
inline const QString Caption = QStringLiteral("Other Configuration Options");
inline const QString Explanation = QStringLiteral(
    "If enabled prevents users from booking past a certain number of days past the current date. The only "
    "exception to this are those who can make permanent bookings and those who have the Over ride booking limit "
    "right enabled in the user manager.");
inline const QString MinimumDays = QStringLiteral("Minimum days in advance must be one");
// The days are not a whole number.
inline QString NotANumber(const QString& text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}
} // namespace OtherOptionsMessages

// The booking limit: whether it applies and how many days ahead users may
// book, in the shared configuration row.
class TOtherConfigurationOptionsFrm : public TFormBase {
    Q_OBJECT
public:
    explicit TOtherConfigurationOptionsFrm(QWidget* parent = nullptr);

    QLabel* Label1;
    QCheckBox* enablebookinglimit;
    QLabel* bookinglimitdaysLabel;
    QLineEdit* bookinglimitdays;
    QPushButton* Button1;   // "Ok"
    QPushButton* Button2;   // "Cancel"

    void FormShow();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;
};

TOtherConfigurationOptionsFrm* OtherConfigurationOptionsForm();

// The platform's own message box (not the system's message box), with the
// program's caption and "OK".
void ShowPlainMessage(const QString& text);
