#pragma once
#include "Forms.h"

#include <QDateTime>
#include <QList>
#include <QString>

class QCheckBox;
class QDateTimeEdit;
class QLabel;
class QPushButton;
class TSpinEdit;

namespace DefaultRightsMessages {
inline const QString Caption = QStringLiteral("Default Rights for New Users");
inline const QString NoTemplate = QStringLiteral(
    "The default rights cannot be shown: the template user that holds them is missing from the database. "
    "The client makes it again when it next starts.");
} // namespace DefaultRightsMessages

// The rights, type, level and expiry every new user receives, held by the
// hidden template user. The dialog reads the template afresh at each
// showing and keeps the changes to itself until "OK", which writes them in
// one go; any other way out writes nothing.
class Tdefaultrightsfrm : public TFormBase {
    Q_OBJECT
public:
    explicit Tdefaultrightsfrm(QWidget* parent = nullptr);

    QLabel* Label1;
    QCheckBox* isStaff;
    QCheckBox* isStudent;
    QCheckBox* DBCheckBox4;    // canMakeBookings
    QCheckBox* DBCheckBox6;    // canModifyBookings
    QCheckBox* DBCheckBox5;    // canMakePermanentBookings
    QCheckBox* DBCheckBox2;    // canFlushBookings
    QCheckBox* DBCheckBox8;    // canModifyItems
    QCheckBox* DBCheckBox7;    // canModifyCatergories
    QCheckBox* DBCheckBox1;    // canAdministerUsers
    QCheckBox* DBCheckBox3;    // canForceShutdown
    QCheckBox* DBCheckBox9;    // canRunMaintaince
    QCheckBox* DBCheckBox14;   // canCirculate
    QCheckBox* DBCheckBox15;   // isAdministrator
    QCheckBox* DBCheckBox11;   // ForcePassword
    QCheckBox* expires;
    QDateTimeEdit* expireson;
    QLabel* Label3;
    TSpinEdit* accesslevel;
    QPushButton* Button1;   // "OK"
    QPushButton* Button2;   // "Cancel"

    // Reads the template user into the controls; false (and nothing read)
    // when the template user is missing.
    bool FormShow();
    void isStaffClick();
    void isStudentClick();
    void expiresClick();
    void Button1Click();
    void Button2Click();

    // Each yes/no box with the template user's field it shows.
    struct BoundBox {
        QCheckBox* box;
        QString field;
    };
    QList<BoundBox> boundBoxes() const { return m_boxes; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QCheckBox* addBox(const char* name, const QString& caption, const QString& field, int left, int top);

    QList<BoundBox> m_boxes;
    QList<bool> m_shown;   // each box as the template held it at the showing
};

Tdefaultrightsfrm* DefaultRightsForm();

// Shows the dialog when the template user is there; otherwise says so.
// Answers the modal result (0 when it did not show).
int ShowDefaultRights();
