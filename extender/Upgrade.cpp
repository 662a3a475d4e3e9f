#include "Upgrade.h"
#include "Database.h"
#include "DbError.h"
#include "Schema.h"

#include <QDir>
#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace {

// The table in which the file counts each table's changes.
const QString ChangeCountTable = QStringLiteral("TableChanges");

QString quoted(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// The name a column or constraint definition starts with, unquoted.
QString leadingName(const QString& part)
{
    if (part.isEmpty())
        return QString();
    const QChar open = part.at(0);
    const QChar close = open == u'[' ? QChar(u']') : open;
    if (open == u'"' || open == u'`' || open == u'[') {
        QString name;
        for (int i = 1; i < part.size(); ++i) {
            if (part.at(i) == close) {
                if (close != u']' && i + 1 < part.size() && part.at(i + 1) == close) {
                    name += close;
                    ++i;
                    continue;
                }
                return name;
            }
            name += part.at(i);
        }
        return name;
    }
    int end = 0;
    while (end < part.size() && !part.at(end).isSpace() && part.at(end) != u'(')
        ++end;
    return part.left(end);
}

// The columns of a table in the file that hold values of their own (none
// computed from others), by name, in their order.
QStringList columnsOf(Database& db, const QString& table)
{
    QSqlQuery q = db.prepare(QStringLiteral("SELECT name FROM pragma_table_xinfo(?) WHERE hidden = 0"), {table});
    Database::check(q, q.exec());
    QStringList names;
    while (q.next())
        names << q.value(0).toString();
    q.finish();
    return names;
}

// The engine's legacy table rename, on for as long as this lives: a
// renamed table's name is changed in its own indexes and triggers only.
class LegacyRename {
public:
    explicit LegacyRename(Database& db)
        : m_db(db), m_was(db.scalar(QStringLiteral("PRAGMA legacy_alter_table")).toInt() != 0)
    {
        set(true);
    }
    ~LegacyRename()
    {
        try {
            set(m_was);
        } catch (...) {
        }
    }
    LegacyRename(const LegacyRename&) = delete;
    LegacyRename& operator=(const LegacyRename&) = delete;

private:
    void set(bool on)
    {
        m_db.exec(on ? QStringLiteral("PRAGMA legacy_alter_table = ON") : QStringLiteral("PRAGMA legacy_alter_table = OFF"));
    }
    Database& m_db;
    bool m_was;
};

// Whether a part of a table's definition is a table constraint rather
// than a column.
bool isTableConstraint(const QString& part)
{
    static const QStringList words{QStringLiteral("CONSTRAINT"), QStringLiteral("PRIMARY"), QStringLiteral("UNIQUE"),
                                   QStringLiteral("CHECK"), QStringLiteral("FOREIGN")};
    const QChar first = part.isEmpty() ? QChar() : part.at(0);
    if (first == u'"' || first == u'`' || first == u'[')
        return false;
    return words.contains(leadingName(part), Qt::CaseInsensitive);
}

// What the school declared on a table beyond the schema's definition of
// it: the columns the schema does not name and the table constraints it
// does not hold, each described, and the schema's statement with them.
struct OwnDefinitions {
    QStringList what;
    QString createTable;
};

OwnDefinitions OwnDefinitionsOf(const QString& schemaCreate, const QString& oldCreate, const QString& quotedTable)
{
    QStringList columns, constraints, schemaNames, schemaConstraints;
    for (const QString& part : TableDefinitionParts(schemaCreate)) {
        if (isTableConstraint(part)) {
            constraints << part;
            schemaConstraints << part.simplified();
        } else {
            columns << part;
            schemaNames << leadingName(part);
        }
    }
    OwnDefinitions own;
    QStringList ownColumns, ownConstraints;
    for (const QString& part : TableDefinitionParts(oldCreate)) {
        if (isTableConstraint(part)) {
            if (!schemaConstraints.contains(part.simplified(), Qt::CaseInsensitive)) {
                ownConstraints << part;
                own.what << QStringLiteral("table constraint %1 on %2").arg(part.simplified(), quotedTable);
            }
        } else if (!schemaNames.contains(leadingName(part), Qt::CaseInsensitive)) {
            ownColumns << part;
            own.what << QStringLiteral("column %1.%2").arg(quotedTable, quoted(leadingName(part)));
        }
    }
    if (own.what.isEmpty())
        return own;
    // Columns come before table constraints.
    const int open = schemaCreate.indexOf(QLatin1Char('('));
    const int close = schemaCreate.lastIndexOf(QLatin1Char(')'));
    own.createTable = schemaCreate.left(open + 1) + QStringLiteral("\n  ")
                      + (columns + ownColumns + constraints + ownConstraints).join(QStringLiteral(",\n  "))
                      + QStringLiteral("\n") + schemaCreate.mid(close);
    return own;
}

// Makes one of the school's own columns, indexes or triggers on a rebuilt
// table again; one that the new layout does not take stops the upgrade,
// named.
void keepOwn(Database& db, const QString& what, const QString& statement)
{
    try {
        db.exec(statement);
    } catch (const DbError& e) {
        throw DbError(QStringLiteral("The school's %1 cannot be kept in the new layout, so the database was not "
                                     "upgraded: %2")
                          .arg(what, e.text()),
                      e.code());
    }
}

} // namespace

bool LevelNeedsUpgrade(const QString& level)
{
    // Byte by byte, a proper prefix being lower.
    return level.toUtf8() <= FirstLevel.toUtf8();
}

QStringList TableDefinitionParts(const QString& createTable)
{
    QStringList parts;
    QString current;
    int depth = 0;
    QChar quote;
    const int n = createTable.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = createTable.at(i);
        if (!quote.isNull()) {
            if (depth >= 1)
                current += c;
            const QChar close = quote == u'[' ? QChar(u']') : quote;
            if (c == close)
                quote = QChar();
            continue;
        }
        if (c == u'-' && i + 1 < n && createTable.at(i + 1) == u'-') {
            while (i < n && createTable.at(i) != u'\n')
                ++i;
            current += QLatin1Char('\n');
            continue;
        }
        if (c == u'/' && i + 1 < n && createTable.at(i + 1) == u'*') {
            const int end = createTable.indexOf(QStringLiteral("*/"), i + 2);
            i = end < 0 ? n : end + 1;
            current += QLatin1Char(' ');
            continue;
        }
        if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
            quote = c;
            if (depth >= 1)
                current += c;
            continue;
        }
        if (c == u'(') {
            if (++depth == 1)
                continue;
        } else if (c == u')') {
            if (--depth == 0) {
                parts << current.trimmed();
                break;
            }
        } else if (c == u',' && depth == 1) {
            parts << current.trimmed();
            current.clear();
            continue;
        }
        if (depth >= 1)
            current += c;
    }
    parts.removeAll(QString());
    return parts;
}

struct LevelDefinition::Impl {
    QHash<QString, QString> create;           // lower-case table -> CREATE TABLE
    QHash<QString, QStringList> dependents;   // lower-case table -> CREATE INDEX/TRIGGER
    QHash<QString, QSet<QString>> dependentNames;   // lower-case table -> their lower-case names
    QList<std::pair<QString, QString>> triggers;   // name, CREATE TRIGGER
    QStringList counted;                      // the rows of the count table
};

LevelDefinition::LevelDefinition() : d(new Impl)
{
    // The definitions as the engine reads them: a scratch file made from
    // the delivered script.
    QTemporaryDir dir;
    if (!dir.isValid())
        throw DbError(QStringLiteral("Unable to make a scratch folder: %1").arg(dir.errorString()));
    const QString path = QDir(dir.path()).filePath(QStringLiteral("scratch.mdb"));
    CreateDatabaseFile(path);
    Database scratch;
    scratch.open(path);
    QSqlQuery q = scratch.prepare(QStringLiteral(
        "SELECT type, tbl_name, sql, name FROM sqlite_master WHERE sql IS NOT NULL"
        " AND name NOT LIKE 'sqlite!_%' ESCAPE '!' ORDER BY rowid"));
    Database::check(q, q.exec());
    while (q.next()) {
        const QString type = q.value(0).toString();
        const QString table = q.value(1).toString().toLower();
        if (type == QLatin1String("table"))
            d->create.insert(table, q.value(2).toString());
        else if (type == QLatin1String("index") || type == QLatin1String("trigger")) {
            d->dependents[table] << q.value(2).toString();
            d->dependentNames[table].insert(q.value(3).toString().toLower());
        }
        if (type == QLatin1String("trigger"))
            d->triggers.append({q.value(3).toString(), q.value(2).toString()});
    }
    q.finish();
    QSqlQuery rows = scratch.prepare(
        QStringLiteral("SELECT \"TableName\" FROM %1 ORDER BY rowid").arg(quoted(ChangeCountTable)));
    Database::check(rows, rows.exec());
    while (rows.next())
        d->counted << rows.value(0).toString();
    rows.finish();
}

LevelDefinition::~LevelDefinition() { delete d; }

QString LevelDefinition::createTable(const QString& table) const
{
    const QString sql = d->create.value(table.toLower());
    if (sql.isEmpty())
        throw DbError(QStringLiteral("The database schema has no table \"%1\".").arg(table));
    return sql;
}

QStringList LevelDefinition::dependents(const QString& table) const
{
    return d->dependents.value(table.toLower());
}

bool LevelDefinition::hasDependent(const QString& table, const QString& name) const
{
    return d->dependentNames.value(table.toLower()).contains(name.toLower());
}

QStringList LevelDefinition::countedTables() const
{
    return d->counted;
}

QList<std::pair<QString, QString>> LevelDefinition::triggers() const
{
    return d->triggers;
}

QString LevelDefinition::columnDefinition(const QString& table, const QString& column) const
{
    for (const QString& part : TableDefinitionParts(createTable(table))) {
        if (leadingName(part).compare(column, Qt::CaseInsensitive) == 0)
            return part;
    }
    throw DbError(QStringLiteral("The database schema has no column \"%1\" in \"%2\".").arg(column, table));
}

QString LevelFieldStatement(const LevelDefinition& def)
{
    return QStringLiteral("ALTER TABLE \"config\" ADD COLUMN ")
           + def.columnDefinition(QStringLiteral("config"), QStringLiteral("dbVer"));
}

const QList<UpgradeStatement>& UpgradeStatements()
{
    static const QList<UpgradeStatement> statements = {
        {UpgradeStatement::AddColumn, QStringLiteral("config"), QStringLiteral("enableBookingLimit")},
        {UpgradeStatement::AddColumn, QStringLiteral("config"), QStringLiteral("BookingLimitDays")},
        {UpgradeStatement::AddColumn, QStringLiteral("bookings"), QStringLiteral("isPermanent")},
        {UpgradeStatement::AddColumn, QStringLiteral("Users"), QStringLiteral("canOverrideBookingLimit")},
        // The period names grow from 2 to 10 characters.
        {UpgradeStatement::Rebuild, QStringLiteral("periods"), QString()},
        {UpgradeStatement::Rebuild, QStringLiteral("bookings"), QString()},
    };
    return statements;
}

void TADOCommand::Execute()
{
    if (!Connection)
        throw DbError(QStringLiteral("The command has no connection."));
    Connection->exec(CommandText);
}

void MakeChangeCounts(Database& db, const LevelDefinition& def)
{
    const QString exists = QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = ? AND name = ? COLLATE NOCASE");
    if (db.scalar(exists, {QStringLiteral("table"), ChangeCountTable}).toInt() == 0)
        db.exec(def.createTable(ChangeCountTable));
    for (const QString& table : def.countedTables())
        db.exec(QStringLiteral("INSERT OR IGNORE INTO %1 (\"TableName\") VALUES (?)").arg(quoted(ChangeCountTable)), {table});
    for (const auto& [name, statement] : def.triggers()) {
        if (db.scalar(exists, {QStringLiteral("trigger"), name}).toInt() == 0)
            db.exec(statement);
    }
}

void RunUpgradeStatement(TADOCommand& command, const LevelDefinition& def, const UpgradeStatement& statement)
{
    if (statement.kind == UpgradeStatement::AddColumn) {
        command.CommandText = QStringLiteral("ALTER TABLE %1 ADD COLUMN %2")
                                  .arg(quoted(statement.table), def.columnDefinition(statement.table, statement.column));
        command.Execute();
    } else {
        if (!command.Connection)
            throw DbError(QStringLiteral("The command has no connection."));
        RebuildTable(*command.Connection, def, statement.table);
    }
}

void RebuildTable(Database& db, const LevelDefinition& def, const QString& table)
{
    const QString name = quoted(table);
    const QString saved = QStringLiteral("\"tavrell_rebuild\"");
    const QStringList oldColumns = columnsOf(db, table);
    if (oldColumns.isEmpty())
        throw DbError(QStringLiteral("no such table: %1").arg(table));
    // The next autonumber, which the largest number kept may be below.
    QVariant sequence;
    if (db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'sqlite_sequence'")).toInt() > 0)
        sequence = db.scalar(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?"), {table});

    // What the school made on the table itself: the table's statement, which
    // declares the school's own columns, and its indexes and triggers other
    // than the schema's, read before the rename rewrites them.
    QString oldCreate;
    QList<std::pair<QString, QString>> own;   // what it is, statement
    {
        QSqlQuery q = db.prepare(QStringLiteral("SELECT type, name, sql FROM sqlite_master WHERE tbl_name = ? "
                                                "COLLATE NOCASE AND sql IS NOT NULL ORDER BY rowid"),
                                 {table});
        Database::check(q, q.exec());
        while (q.next()) {
            const QString type = q.value(0).toString();
            if (type == QLatin1String("table"))
                oldCreate = q.value(2).toString();
            else if (!def.hasDependent(table, q.value(1).toString()))
                own.append({QStringLiteral("%1 %2 on %3").arg(type, quoted(q.value(1).toString()), name),
                            q.value(2).toString()});
        }
        q.finish();
    }

    // The old table steps aside (its indexes and triggers with it) and its
    // rows are copied once, straight into the new one. The rename is the
    // engine's legacy one: the newer one would make every view, trigger
    // and foreign key elsewhere that names the table name the table put
    // aside, which is dropped; this way they name the new table.
    {
        const LegacyRename legacy(db);
        db.exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(name, saved));
    }
    // The new table as the schema declares it, with the school's own
    // columns and table constraints as the old table declared them.
    const OwnDefinitions ownDefinitions = OwnDefinitionsOf(def.createTable(table), oldCreate, name);
    if (ownDefinitions.what.isEmpty())
        db.exec(def.createTable(table));
    else
        keepOwn(db, ownDefinitions.what.join(QStringLiteral(", ")), ownDefinitions.createTable);

    // The rows go back by column name, each under its old row number.
    QStringList kept;
    for (const QString& column : columnsOf(db, table)) {
        if (oldColumns.contains(column, Qt::CaseInsensitive))
            kept << quoted(column);
    }
    const bool rowidAlias = db.scalar(QStringLiteral("SELECT count(*) FROM pragma_table_info(?) WHERE pk > 0"
                                                     " AND upper(type) = 'INTEGER'"),
                                      {table})
                                .toInt()
                            == 1;
    QString columns = kept.join(QStringLiteral(", "));
    if (!rowidAlias)
        columns = QStringLiteral("rowid") + (kept.isEmpty() ? QString() : QStringLiteral(", ") + columns);
    db.exec(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3 ORDER BY rowid").arg(name, columns, saved));
    if (sequence.isValid()) {
        if (db.exec(QStringLiteral("UPDATE sqlite_sequence SET seq = max(seq, ?) WHERE name = ?"), {sequence, table})
            == 0)
            db.exec(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"), {table, sequence});
    }
    db.exec(QStringLiteral("DROP TABLE ") + saved);
    for (const QString& statement : def.dependents(table))
        db.exec(statement);
    for (const auto& [what, statement] : own)
        keepOwn(db, what, statement);
}
