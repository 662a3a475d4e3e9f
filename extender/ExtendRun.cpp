#include "ExtendRun.h"
#include "Alerts.h"
#include "DataModule.h"
#include "InstallSettings.h"
#include "Session.h"
#include "TavrellApplication.h"
#include "Upgrade.h"

#include <QFileInfo>

namespace M = ExtenderMessages;

QString ReadInstallFolder()
{
    const QString stored = InstallSettings::readInstallFolder();
    return stored.isEmpty() ? AppFolder : stored;
}

namespace {

const QString LevelField = QStringLiteral("dbVer");

// Stamps the level on the one configuration row, read afresh.
void StampLevel(Dataset& config, const QString& level)
{
    config.close();
    config.open();
    config.first();
    config.edit();
    config.setValue(LevelField, level);
    config.post();
}

} // namespace

bool RaiseDatabaseLevel(DataModule& dm, TADOCommand& command)
{
    Database& db = dm.ADOConnection;
    Dataset& config = dm.ConfigTable;
    config.close();
    config.open();
    config.first();
    if (config.isEmpty()) {
        // No row to hold the level: one made up here would pass for a real
        // configuration.
        config.close();
        return false;
    }
    const LevelDefinition current;
    QString level;
    if (config.hasField(LevelField)) {
        level = config.asString(LevelField);
    } else {
        // The level field and its first value, kept together.
        WriteTransaction tx(db);
        command.Connection = &db;
        command.CommandText = LevelFieldStatement(current);
        command.Execute();
        StampLevel(config, FirstLevel);
        tx.commit();
    }
    if (LevelNeedsUpgrade(level)) {
        // All the statements and the new level, or none of them. The change
        // counts come first, so that every write from here on is counted.
        WriteTransaction tx(db);
        MakeChangeCounts(db, current);
        for (const UpgradeStatement& statement : UpgradeStatements()) {
            command.Connection = &db;
            RunUpgradeStatement(command, current, statement);
        }
        StampLevel(config, CurrentLevel);
        tx.commit();
    }
    return true;
}

ExtendOutcome ExtendDatabase(DataModule& dm, TADOCommand& command, const QString& folder,
                             const std::function<void(const QString&)>& status)
{
    const QString path = folder + QStringLiteral("/data.mdb");
    if (!QFileInfo(path).isFile()) {
        ShowAlert(M::DataMissing);
        ShowAlert(M::MustTerminate);
        return ExtendOutcome::Ended;
    }
    try {
        dm.connectTo(path);
    } catch (const std::exception&) {
        dm.closeAll();
        ShowAlert(M::CannotConnect);
        ShowAlert(M::MustTerminate);
        return ExtendOutcome::Ended;
    }
    status(M::Extending);

    try {
        if (!RaiseDatabaseLevel(dm, command)) {
            ShowAlert(M::NoConfigRow);
            return ExtendOutcome::Failed;
        }
    } catch (const std::exception& e) {
        // What the snapshot holds may have been taken back.
        dm.ConfigTable.close();
        ShowAlert(ErrorText(e));
        return ExtendOutcome::Failed;
    }
    status(M::Done);
    ShowAlert(M::Completed);
    return ExtendOutcome::Done;
}
