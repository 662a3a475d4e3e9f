#include "InstallSettings.h"

#include <QSettings>

namespace {

const QString kOrganisation = QStringLiteral("Corvant Applications");
const QString kApplication = QStringLiteral("Tavrell");
const QString kKey = QStringLiteral("5.0/QVKDir");

QSettings store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
}

} // namespace

namespace InstallSettings {

bool writeInstallFolder(const QString& folder, QString* error)
{
    QSettings s = store();
    s.setValue(kKey, folder);
    s.sync();
    QString problem;
    switch (s.status()) {
    case QSettings::NoError:
        break;
    case QSettings::AccessError:
        problem = QStringLiteral("the settings file could not be written");
        break;
    case QSettings::FormatError:
        problem = QStringLiteral("the settings file is damaged");
        break;
    }
    // A store that took the value without complaint must also give it back.
    if (problem.isEmpty()) {
        QSettings check = store();
        if (check.value(kKey).toString() != folder)
            problem = QStringLiteral("the value written could not be read back");
    }
    if (problem.isEmpty())
        return true;
    if (error)
        *error = s.fileName() + QStringLiteral(": ") + problem;
    return false;
}

QString readInstallFolder()
{
    return store().value(kKey).toString();
}

QString storeLocation()
{
    return store().fileName();
}

} // namespace InstallSettings
