#pragma once
#include "DatabaseMessages.h"

#include <QString>
#include <functional>

class DataModule;
class TADOCommand;

// The texts the extender shows, letter for letter.
namespace ExtenderMessages {
inline const QString AppTitle = QStringLiteral("QVK Database Extender");
inline const QString DataMissing = DatabaseMessages::DataMissing;
inline const QString MustTerminate = DatabaseMessages::MustTerminate;
inline const QString CannotConnect = DatabaseMessages::CannotConnect;
inline const QString Extending = QStringLiteral("Extending DB...");
inline const QString Done = QStringLiteral("Done!");
inline const QString Completed = QStringLiteral("Extend Completed");
inline const QString NoConfigRow = QStringLiteral(
    "Database Error: The config table has no row, so the database level cannot be stored. Nothing was changed");
} // namespace ExtenderMessages

// The folder proposed for the database: the one the client stored at its
// last start, else this program's own folder (with its trailing "/").
QString ReadInstallFolder();

// The writing part of the run, on an open connection: makes the level
// field when it is missing (stamping "5B", committed on its own), then, for
// a level up to "5B", makes the change counts where the file has none, runs
// every upgrade statement and stamps "5C", all in one transaction. False,
// with nothing written, when `config` has no row; throws DbError (with the
// rest taken back) when a statement fails.
bool RaiseDatabaseLevel(DataModule& dm, TADOCommand& command);

// How an upgrade run ended.
enum class ExtendOutcome {
    Ended,    // no database could be opened: the program is to end
    Done,     // the database is at the current level (or was above it)
    Failed,   // an error was shown; the database is as it was before the step that failed
};

// The upgrade run over the database in folder (the text as typed: the file
// is folder + "/data.mdb"), on the data module's connection, its statements
// through command. Every message goes through the message box; status
// receives the progress texts.
ExtendOutcome ExtendDatabase(DataModule& dm, TADOCommand& command, const QString& folder,
                             const std::function<void(const QString&)>& status);
