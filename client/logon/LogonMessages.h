#pragma once
#include <QString>

// The texts of the log-on and registration dialogs, letter for letter.
namespace LogonMessages {
inline const QString UnknownUser = QStringLiteral("Unable to find your username in the Tavrell");
inline const QString UsernameEmpty = QStringLiteral("Username cannot be empty");
inline const QString PasswordEmpty = QStringLiteral("Password cannot be empty");
inline const QString Incorrect = QStringLiteral("Incorrect Username or Password");
inline const QString UsernameBlank = QStringLiteral("Username cannot be blank");
inline const QString FullNameMissing = QStringLiteral("You must specify your full name");
inline const QString PasswordTooShort = QStringLiteral("Password must be at least 5 characters");
inline const QString PasswordTooLong = QStringLiteral("Password must be less than 20 character");
inline const QString NoMatch = QStringLiteral(
    "Passwords do not match. Make sure your password and your confirmed passwords match");
inline const QString UsernameTooLong = QStringLiteral(
    "Your username is longer than the 10 characters the Tavrell allows, so it cannot be registered. "
    "Ask your administrator for an account");
inline const QString CannotCreate = QStringLiteral("Cannot Create User: Possible Cause, User already in Tavrell");
} // namespace LogonMessages
