#include "Schema.h"
#include "Database.h"
#include "DbError.h"

#include <QFile>

static void initDataResources()
{
    // The resources of a static library must be registered by hand.
    Q_INIT_RESOURCE(data);
}

QString SchemaScript()
{
    initDataResources();
    QFile f(QStringLiteral(":/data/schema.sql"));
    if (!f.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("The database schema is missing from the program."));
    return QString::fromUtf8(f.readAll());
}

void CreateDatabaseFile(const QString& path)
{
    const QString script = SchemaScript();
    Database db;
    db.create(path);
    WriteTransaction tx(db);
    db.execScript(script);
    tx.commit();
}
