#pragma once
#include <QObject>
#include <QString>
#include <QStringList>

class Database;

// Runs one statement at a time on the connection it is given.
class TADOCommand : public QObject {
    Q_OBJECT
public:
    explicit TADOCommand(QObject* parent = nullptr) : QObject(parent) {}
    Database* Connection = nullptr;
    QString CommandText;
    // Runs CommandText on Connection (throws DbError).
    void Execute();
};

// Raising an older database to the schema level the client runs on. Every
// column added and every table rebuilt takes its definition from the
// delivered schema script, so an upgraded file has the tables, columns,
// indexes and triggers of a newly delivered one (column order aside), and
// keeps those a school added of its own.

// The level the client runs on, and the level stamped when the level field
// is first made.
inline const QString CurrentLevel = QStringLiteral("5C");
inline const QString FirstLevel = QStringLiteral("5B");

// Whether a database at this level takes the upgrade statements: plain
// ordinal comparison with "5B", so "", "5A", "5B" and "10" do, "5C", "5b"
// and "6" do not.
bool LevelNeedsUpgrade(const QString& level);

// The current level's definitions, read from the delivered schema script.
class LevelDefinition {
public:
    LevelDefinition();
    ~LevelDefinition();
    LevelDefinition(const LevelDefinition&) = delete;
    LevelDefinition& operator=(const LevelDefinition&) = delete;

    // The definition of one column as its table declares it ("name type
    // constraints"), ready for ADD COLUMN; throws when there is none.
    QString columnDefinition(const QString& table, const QString& column) const;
    // The statement that makes the table.
    QString createTable(const QString& table) const;
    // The statements that make the table's indexes and triggers.
    QStringList dependents(const QString& table) const;
    // Whether one of those has this name (any letter case).
    bool hasDependent(const QString& table, const QString& name) const;
    // The tables whose changes the file counts (the rows of the count
    // table), and every trigger that counts them: name and statement.
    QStringList countedTables() const;
    QList<std::pair<QString, QString>> triggers() const;

private:
    struct Impl;
    Impl* d;
};

// The statement that adds the level field to `config`.
QString LevelFieldStatement(const LevelDefinition& def);

// The upgrade statements, in the order they run. Each one is a step of its
// own: adding a column, or rebuilding a table to its current definition.
struct UpgradeStatement {
    enum Kind { AddColumn, Rebuild };
    Kind kind;
    QString table;
    QString column;   // AddColumn only
};
const QList<UpgradeStatement>& UpgradeStatements();

// Runs one statement through the command (inside the caller's
// transaction).
void RunUpgradeStatement(TADOCommand& command, const LevelDefinition& def, const UpgradeStatement& statement);

// Makes what counts the file's changes where a file has none of it (a
// school's file from before the counts): the count table with a row for each
// counted table, and every table's triggers. What the file has is kept.
void MakeChangeCounts(Database& db, const LevelDefinition& def);

// Makes a table anew to its current definition, keeping every row, its row
// numbers and the table's next autonumber, with one copy of the rows; its
// indexes and triggers are made again after the rows are in. What a school
// added to the table is kept: its own columns and table constraints as the
// old table declared them, the columns with their values, and its own
// indexes and triggers; one that the new layout cannot take throws a
// DbError that names it.
void RebuildTable(Database& db, const LevelDefinition& def, const QString& table);

// Splits a CREATE TABLE statement into its column and constraint
// definitions, comments left out.
QStringList TableDefinitionParts(const QString& createTable);
