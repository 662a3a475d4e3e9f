#pragma once
#include <QString>

// The per-user settings value through which the programs find the
// installation: the client writes its program folder at every start, the
// extender and the importer read it to propose the folder. Organisation
// "Corvant Applications", application "Tavrell", key "5.0/QVKDir", in the
// platform's native per-user store.
namespace InstallSettings {

// Stores the folder and makes sure it reached the store. False, with a
// text naming the store and what went wrong in *error, when it did not.
bool writeInstallFolder(const QString& folder, QString* error = nullptr);

// The stored folder; empty when none was ever stored.
QString readInstallFolder();

// Where the store lives (for messages).
QString storeLocation();

} // namespace InstallSettings
