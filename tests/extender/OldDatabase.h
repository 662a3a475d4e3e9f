#pragma once
// Databases as older installations have them, made from the script of the
// tables before the level was recorded (data/schema-old.sql): without the
// level field, or with it holding a given level as this program's first
// step makes it.
#include "Database.h"
#include "DbError.h"
#include "Upgrade.h"

#include <QFile>
#include <optional>

#ifndef TAVRELL_OLD_SCHEMA
#error "TAVRELL_OLD_SCHEMA must name data/schema-old.sql"
#endif

inline void CreateOldDatabaseFile(const QString& path, const std::optional<QString>& level)
{
    QFile f(QStringLiteral(TAVRELL_OLD_SCHEMA));
    if (!f.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("Cannot read ") + f.fileName());
    const QString script = QString::fromUtf8(f.readAll());
    Database db;
    db.create(path);
    WriteTransaction tx(db);
    db.execScript(script);
    if (level) {
        const LevelDefinition current;
        db.exec(LevelFieldStatement(current));
        db.exec(QStringLiteral("UPDATE config SET dbVer = ?"), {*level});
    }
    tx.commit();
}
