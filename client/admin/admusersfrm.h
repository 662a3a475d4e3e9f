#pragma once
#include "Dataset.h"
#include "Forms.h"

#include <QString>

class QCheckBox;
class QDateTimeEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TDBCoolGrid;
class TRadioGroup;
class TSpinEdit;

namespace AdmUsersMessages {
inline const QString Caption = QStringLiteral("Administer Users");
inline const QString PasswordsMatch = QStringLiteral("Password matches");
inline const QString PasswordsDiffer = QStringLiteral("Passwords not matching");
inline const QString LevelTooHigh = QStringLiteral(
    "This users security level cannot be higher than your security level");
inline const QString RankRestricted = QStringLiteral(
    "Your Security level restricts you from being able to do this function on that user");
inline const QString RenamePrompt = QStringLiteral("Give a new username to user");
inline const QString SureQuestion = QStringLiteral("Are you sure?");
inline const QString NameEmpty = QStringLiteral("A username cannot be blank. The user has not been renamed.");
inline const QString NameTooLong = QStringLiteral(
    "A username can have at most 10 characters. The user has not been renamed.");
// %1 the name
inline const QString NameTaken = QStringLiteral(
    "There is already a user named \"%1\". The user has not been renamed.");
inline const QString AddNameTaken = QStringLiteral(
    "There is already a user named \"%1\". No user has been added.");
inline const QString AddFailed = QStringLiteral("The new user \"%1\" could not be stored. No user has been added.");
} // namespace AdmUsersMessages

// The user manager: the users below one's own level, their details, rights
// and password; renaming, deleting and adding users.
class Tadmusersfrm : public TFormBase {
    Q_OBJECT
public:
    explicit Tadmusersfrm(QWidget* parent = nullptr);

    QGroupBox* GroupBox1;
    TDBCoolGrid* DBuserlist;
    QGroupBox* detailsbox;
    QLineEdit* fullname;
    TRadioGroup* usertype;      // "Staff" (0), "Student" (1)
    QLabel* Label1;             // "Security Level:"
    TSpinEdit* accesslevel;
    QCheckBox* expires;
    QDateTimeEdit* expireson;
    QLineEdit* password1;
    QLineEdit* password2;
    QLabel* pwMatch;
    QCheckBox* forcepassword;
    QLabel* Label3;             // "User Rights:"
    QCheckBox* makebookings;
    QCheckBox* canModifyBookings;
    QCheckBox* makepermanentbookings;
    QCheckBox* canFlushBookings;
    QCheckBox* canModifyItems;
    QCheckBox* canModifyCatergories;
    QCheckBox* canAdministerUsers;
    QCheckBox* modifyPeriods;
    QCheckBox* forceshutdown;
    QCheckBox* canRunMaintaince;
    QCheckBox* overidebookinglimit;
    QCheckBox* isAdmin;
    QPushButton* Button3;       // "Apply Changes"
    QPushButton* Button1;       // "Add a new user"
    QPushButton* Button4;       // "Rename User"
    QPushButton* Button5;       // "Delete User"
    QPushButton* Button2;       // "Close"

    DataSource UsersSource;

    // Each right's box with the field it shows.
    struct RightBox {
        QCheckBox* box;
        const char* field;
    };
    QList<RightBox> rightBoxes() const;

    void FormShow();
    void LoadUserDetails();
    void DBuserlistClick();
    void password1Change();
    void password2Change();
    void expiresClick();
    void accesslevelExit();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void AddUserFlow();

protected:
    void showEvent(QShowEvent* event) override;

private:
    Dataset& users() const;
    bool hasCurrentUser() const;
    // Rename and delete: the rank, then the right; false after saying why.
    bool mayChangeCurrentUser();
};

Tadmusersfrm* AdmUsersForm();
