#pragma once
#include <QString>

// The texts every program shows when it cannot open the database, letter
// for letter.
namespace DatabaseMessages {
inline const QString DataMissing = QStringLiteral(
    "Database Error: Unable to Find \"DATA.MDB\" Make sure it is in the same folder as \"PLAXON.EXE\"");
inline const QString MustTerminate = QStringLiteral("Unable to continue. Program must terminate");
inline const QString CannotConnect = QStringLiteral(
    "Database Error: Unable to Connect. Database may be open exclusivly. Read/Write of Database file cannot occur");
} // namespace DatabaseMessages
