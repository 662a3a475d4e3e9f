#pragma once
#include "Forms.h"

#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

// Accounts, passwords and the control row.
//
// A stored password is one key character followed by the password's
// characters, each moved up by the key (mod 256). The key is drawn afresh
// at every store: 0..127 when every character of the password has a code
// up to 255 (one stored character each), 128..255 when it has a wider
// character, and then the password's UTF-8 bytes are what is moved, so no
// character is ever lost.
QString Scramble(const QString& password);
QString Unscramble(const QString& stored);

// A new account: name upper-cased, password upper-cased and scrambled, full
// name, a new authcode; every other field keeps its default. False (and
// nothing stored) on a database error, a taken name included.
bool AddUser(const QString& name, const QString& fullName, const QString& password);
// Reads the template user afresh into ProfileUser, standing on its row;
// false when the template user is missing.
bool ReadProfileUser();
// Gives a user the template user's level, expiry, type and rights. False
// for an unknown user, and false without touching anything when the
// template user is missing.
bool ApplyProfileToUser(const QString& name);
// Stores a new account with the template user's values (the table's
// defaults when there is no template user); a database error, a taken name
// included, stores nothing at all.
bool RegisterAccount(const QString& name, const QString& fullName, const QString& password);
// The change-password dialog loop; with mustEnter the user cannot leave it
// without a new password.
void ChangePassword(const QString& name, bool mustEnter);
// The password matches without regard to letter case. Nobody logs on as
// the template user.
bool CheckPassword(const QString& name, const QString& password);

// The online flag. Online refuses a user already online unless the online
// switch was given; it notes the computer and the moment.
bool MarkUserOnline(const QString& name);
bool MarkUserOffline(const QString& name);

// Orders every other client to shut down (the control row must exist).
void SetForceShutdown(const QString& reason, const QString& user);

// The shutdown order as the control row holds it now, read through a
// statement of its own (the watch timer runs it while a dialog may be
// editing the System table). No row reads as no order. Throws DbError when
// the file cannot be read.
struct ShutdownOrder {
    bool force = false;
    QString user;
    QString reason;
};
ShutdownOrder ReadShutdownOrder();

namespace AccountMessages {
inline const QString NoUser = QStringLiteral("Change Password Error: No User by that name exists");
inline const QString MustProvide = QStringLiteral("You must provide a password");
inline const QString TooShort = QStringLiteral("Password is to short. Minimum of 5 Characters Required");
inline const QString TooLong = QStringLiteral("Password is to long. Maximum of 20 characters.");
inline const QString NoMatch = QStringLiteral(
    "Passwords do not match. You must write your new password, and then confirm it");
} // namespace AccountMessages

// The change-password dialog.
class Tchgpassfrm : public TFormBase {
    Q_OBJECT
public:
    explicit Tchgpassfrm(QWidget* parent = nullptr);
    QLineEdit* username;
    QLineEdit* pass1;
    QLineEdit* pass2;
    QPushButton* Button1;   // "Change"
    QPushButton* Button2;   // "Cancel"

    void FormShow();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;
};

Tchgpassfrm* ChgPassForm();
