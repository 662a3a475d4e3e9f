#pragma once
// Databases as older installations have them, made from the script of the
// tables before the level was recorded (data/schema-old.sql): without the
// level field, or with it holding a given level as this program's first
// step makes it.
#include "Database.h"
#include "DbError.h"
#include "Upgrade.h"

#include <QFile>
#include <QSqlQuery>
#include <optional>

#ifndef TAVRELL_OLD_SCHEMA
#error "TAVRELL_OLD_SCHEMA must name data/schema-old.sql"
#endif

// How an older file is laid out: as this system's own earlier versions left
// it, or as a school's file from before the change counts: the tables
// alone, without the count table, the triggers or the indexes.
enum class OldLayout { Delivered, TablesOnly };

inline void CreateOldDatabaseFile(const QString& path, const std::optional<QString>& level,
                                  OldLayout layout = OldLayout::Delivered)
{
    QFile f(QStringLiteral(TAVRELL_OLD_SCHEMA));
    if (!f.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("Cannot read ") + f.fileName());
    const QString script = QString::fromUtf8(f.readAll());
    Database db;
    db.create(path);
    WriteTransaction tx(db);
    db.execScript(script);
    if (layout == OldLayout::TablesOnly) {
        QStringList drops;
        QSqlQuery q = db.prepare(QStringLiteral(
            "SELECT type, name FROM sqlite_master WHERE type IN ('index', 'trigger') AND sql IS NOT NULL"));
        Database::check(q, q.exec());
        while (q.next())
            drops << QStringLiteral("DROP %1 \"%2\"").arg(q.value(0).toString().toUpper(), q.value(1).toString());
        q.finish();
        drops << QStringLiteral("DROP TABLE \"TableChanges\"");
        for (const QString& drop : drops)
            db.exec(drop);
    }
    if (level) {
        const LevelDefinition current;
        db.exec(LevelFieldStatement(current));
        db.exec(QStringLiteral("UPDATE config SET dbVer = ?"), {*level});
    }
    tx.commit();
}
