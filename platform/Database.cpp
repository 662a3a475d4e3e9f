#include "Database.h"
#include "DateValue.h"
#include "DbError.h"

#include <QAtomicInt>
#include <QAtomicInteger>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QUrl>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlResult>
#include <QThread>

#include <sqlite3.h>

#include <algorithm>

namespace {
QAtomicInt g_connectionSerial;

const QString kTransactionLost = QStringLiteral(
    "The database ended the transaction after an error; nothing written in it was kept.");

QString savepointName(int depth) { return QStringLiteral("scope_%1").arg(depth); }

QAtomicInteger<quint64> g_busyFailures;
QAtomicInteger<quint64> g_lockRetries;

// The engine's "busy" and "locked" results (primary codes, extended ones
// folded in): another connection holds the lock.
bool isBusyError(const QSqlError& e)
{
    bool ok = false;
    const int code = e.nativeErrorCode().toInt(&ok);
    return ok && DbError::heldCode(code);
}
}

Database::Database()
    : m_name(QStringLiteral("tavrell-%1").arg(g_connectionSerial.fetchAndAddRelaxed(1)))
{
}

Database::~Database()
{
    close();
}

void Database::open(const QString& filePath)
{
    close();
    const QFileInfo fi(filePath);
    if (!fi.exists() || !fi.isFile())
        throw DbError(QStringLiteral("Could not find file '%1'.").arg(filePath));

    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    // A URI with mode=rw: the engine never creates the file behind our back.
    QUrl uri = QUrl::fromLocalFile(fi.absoluteFilePath());
    uri.setQuery(QStringLiteral("mode=rw"));
    m_db.setDatabaseName(uri.toString(QUrl::FullyEncoded));
    m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(m_busyTimeout));
    if (!m_db.open()) {
        const QString text = m_db.lastError().text();
        close();
        throw DbError(text.isEmpty() ? QStringLiteral("Unable to open the database") : text);
    }
    m_path = fi.absoluteFilePath();
    const QVariant h = m_db.driver()->handle();
    if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0)
        m_raw = *static_cast<sqlite3* const*>(h.constData());
    if (m_raw)
        sqlite3_busy_handler(m_raw, &Database::retryWhileBusy, this);
    // Qt opens any file; the first statement tells whether it is a database.
    try {
        QSqlQuery probe(m_db);
        check(probe, probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")));
        QSqlQuery fk(m_db);
        fk.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
        dataVersion();   // the layout as it stands now
    } catch (...) {
        close();
        throw;
    }
}

void Database::create(const QString& filePath)
{
    QFile f(filePath);
    if (f.exists())
        throw DbError(QStringLiteral("The file '%1' already exists.").arg(filePath));
    if (!f.open(QIODevice::WriteOnly))
        throw DbError(QStringLiteral("Could not create '%1': %2").arg(filePath, f.errorString()));
    f.close();
    open(filePath);
}

QSqlQuery& Database::cachedQuery(const QString& sql)
{
    auto it = m_statements.find(sql);
    if (it != m_statements.end())
        return *it->second;
    if (m_statements.size() >= 256)
        m_statements.clear();
    auto q = std::make_unique<QSqlQuery>(prepare(sql));
    QSqlQuery& ref = *q;
    m_statements.emplace(sql, std::move(q));
    return ref;
}

void Database::close()
{
    // Statements must go before their connection.
    m_statements.clear();
    if (m_db.isValid()) {
        if (m_db.isOpen())
            m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    m_path.clear();
    m_depth = 0;
    m_raw = nullptr;
    m_changes.clear();
    m_changesVersion = -2;
    m_changesDirty = true;
    m_hasChangeTable = -1;
    m_caselessIndex.clear();
    m_widths.clear();
    m_schemaVersion = -1;
    m_layoutSeenAt = -2;
    ++m_layoutSerial;
}

bool Database::isOpen() const
{
    return m_db.isValid() && m_db.isOpen();
}

void Database::check(const QSqlQuery& q, bool ok)
{
    if (!ok) {
        const QSqlError e = q.lastError();
        QString text = e.databaseText();
        if (text.isEmpty())
            text = e.text();
        if (text.isEmpty())
            text = QStringLiteral("Database error");
        if (isBusyError(e))
            g_busyFailures.fetchAndAddRelaxed(1);
        throw DbError(text, e.nativeErrorCode().toInt());
    }
}

quint64 Database::busyFailures()
{
    return g_busyFailures.loadRelaxed();
}

void Database::setWaitForLock(bool on)
{
    m_noWaitDepth = std::max(0, m_noWaitDepth + (on ? -1 : 1));
}

void Database::letWaitingClientsIn()
{
    // The pause and a little more: on a busy computer a waiting client's
    // sleep ends a few milliseconds late, and its next try must still fall
    // inside.
    QThread::msleep(BackedOffRetryMs + 6);
}

quint64 Database::lockRetries()
{
    return g_lockRetries.loadRelaxed();
}

// The engine's own wait sleeps up to 100 ms between two tries: behind a
// long run that frees the file for moments between its transactions, such
// a client would hardly ever find it free. This program's clients try
// again quickly at first (most waits are for a short write), then every
// BackedOffRetryMs, which the long runs' pause between transactions is
// longer than.
int Database::retryWhileBusy(void* self, int tries)
{
    Database& db = *static_cast<Database*>(self);
    if (tries == 0)
        db.m_busySince.start();
    const qint64 waited = db.m_busySince.elapsed();
    if (waited >= (db.m_noWaitDepth > 0 ? 0 : db.m_busyTimeout))
        return 0;
    g_lockRetries.fetchAndAddRelaxed(1);
    QThread::msleep(waited < QuickRetryMs ? 1 : BackedOffRetryMs);
    return 1;
}

QSqlQuery Database::prepare(const QString& sql, const QVariantList& values)
{
    if (!isOpen())
        throw DbError(QStringLiteral("Operation is not allowed when the object is closed."));
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    check(q, q.prepare(sql));
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    return q;
}

namespace {
// The table a data-changing statement writes to; empty for statements that
// change nothing, "*" for anything that may change any table (a statement
// this does not read for certain counts as changing everything).
QString writtenTable(const QString& sql)
{
    static const QRegularExpression write(
        QStringLiteral("^\\s*(?:(?:INSERT|REPLACE)(?:\\s+OR\\s+\\w+)?\\s+INTO|UPDATE(?:\\s+OR\\s+\\w+)?"
                       "|DELETE\\s+(?:\\*\\s+)?FROM)\\s+(?:[\\[\"]?\\w+[\\]\"]?\\s*\\.\\s*)?[\\[\"]?(\\w+)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression readOnly(
        QStringLiteral("^\\s*(?:SELECT|PRAGMA|BEGIN|COMMIT|END|SAVEPOINT|RELEASE)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = write.match(sql);
    if (m.hasMatch())
        return m.captured(1).toLower();
    if (readOnly.match(sql).hasMatch())
        return QString();
    return QStringLiteral("*");
}
} // namespace

qint64 Database::dataVersion()
{
    if (!isOpen())
        return -1;
    // A file another program holds has already been waited for here: the
    // error goes to the caller rather than to the statements after it,
    // each of which would wait once more.
    const qint64 v = pragmaValue(QStringLiteral("PRAGMA data_version"));
    // Another program's commit may have changed the layout (the extender,
    // the sqlite3 shell rebuilding a table); a kept statement would then
    // run with the columns it was prepared for. Its schema version tells.
    if (v != m_layoutSeenAt) {
        const qint64 schema = pragmaValue(QStringLiteral("PRAGMA schema_version"));
        m_layoutSeenAt = v;
        if (m_schemaVersion >= 0 && schema != m_schemaVersion)
            forgetLayout();
        m_schemaVersion = schema;
    }
    return v;
}

qint64 Database::schemaVersion()
{
    QSqlQuery& q = cachedQuery(QStringLiteral("PRAGMA schema_version"));
    qint64 v = -1;
    if (q.exec() && q.next())
        v = q.value(0).toLongLong();
    q.finish();
    return v;
}

qint64 Database::pragmaValue(const QString& pragma)
{
    QSqlQuery& q = cachedQuery(pragma);
    const bool ok = q.exec();
    check(q, ok);
    const qint64 v = q.next() ? q.value(0).toLongLong() : -1;
    q.finish();
    return v;
}

void Database::forgetLayout()
{
    // Every kept statement and what was learnt of the tables (text widths,
    // indexes, the change counts) is found anew on its next use, and every
    // snapshot is read again.
    m_statements.clear();
    m_widths.clear();
    m_caselessIndex.clear();
    m_hasChangeTable = -1;
    ++m_layoutSerial;
    noteWriteAll();
    // The engine takes in another program's new layout only when a
    // statement reads the schema; until then it would prepare statements
    // for the old one and prepare them again, with other columns, as they
    // run.
    QSqlQuery q(m_db);
    q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
}

qint64 Database::tableChanges(const QString& table)
{
    const qint64 version = dataVersion();
    if (version != m_changesVersion || m_changesDirty) {
        m_changes.clear();
        if (m_hasChangeTable < 0)
            m_hasChangeTable =
                scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'TableChanges'"))
                    .toInt();
        if (m_hasChangeTable > 0) {
            QSqlQuery& q = cachedQuery(QStringLiteral("SELECT lower(TableName), Changes FROM TableChanges"));
            const bool ok = q.exec();
            while (ok && q.next())
                m_changes.insert(q.value(0).toString(), q.value(1).toLongLong());
            if (!ok) {
                // A file whose counts were taken away (an older level put
                // back) falls back to its data version; any other failure
                // is the caller's, a locked file's at once: it has been
                // waited for.
                const QSqlError error = q.lastError();
                if (isBusyError(error))
                    check(q, ok);
                m_hasChangeTable = -1;
                if (scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'TableChanges'")).toInt() > 0)
                    throw DbError(error.databaseText().isEmpty() ? error.text() : error.databaseText(),
                                  error.nativeErrorCode().toInt());
                m_hasChangeTable = 0;
            } else {
                q.finish();
            }
        }
        m_changesVersion = version;
        m_changesDirty = false;
    }
    const auto it = m_changes.constFind(table.toLower());
    return it != m_changes.constEnd() ? *it : version;
}

bool Database::hasCaselessIndex(const QString& table, const QString& column)
{
    const QString key = table.toLower() + QLatin1Char('.') + column.toLower();
    const auto known = m_caselessIndex.constFind(key);
    if (known != m_caselessIndex.constEnd())
        return *known;
    bool found = false;
    QSqlQuery list = prepare(QStringLiteral("SELECT name, partial FROM pragma_index_list(?)"), {table});
    check(list, list.exec());
    QStringList indexes;
    while (list.next())
        if (list.value(1).toInt() == 0)
            indexes << list.value(0).toString();
    list.finish();
    for (const QString& index : std::as_const(indexes)) {
        QSqlQuery info = prepare(QStringLiteral("SELECT name, coll FROM pragma_index_xinfo(?) WHERE seqno = 0"), {index});
        check(info, info.exec());
        if (info.next() && info.value(0).toString().compare(column, Qt::CaseInsensitive) == 0
            && info.value(1).toString().compare(QLatin1String("NOCASE"), Qt::CaseInsensitive) == 0)
            found = true;
        info.finish();
    }
    m_caselessIndex.insert(key, found);
    return found;
}

const QHash<QString, int>& Database::textWidths(const QString& table)
{
    const QString key = table.toLower();
    auto it = m_widths.find(key);
    if (it != m_widths.end())
        return *it;
    QHash<QString, int> widths;
    const QString sql = scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE"),
                               {table})
                            .toString();
    static const QRegularExpression width(QStringLiteral("length\\(\"(\\w+)\"\\)\\s*<=\\s*(\\d+)"));
    for (auto m = width.globalMatch(sql); m.hasNext();) {
        const auto hit = m.next();
        widths.insert(hit.captured(1).toLower(), hit.captured(2).toInt());
    }
    return *m_widths.insert(key, widths);
}

quint64 Database::writeSerial(const QString& table) const
{
    return m_globalSerial + m_tableSerial.value(table.toLower(), 0);
}

void Database::noteWrite(const QString& table)
{
    if (table.isEmpty())
        return;
    m_changesDirty = true;
    if (m_depth > 0)
        m_wroteInTransaction = true;
    if (table == QLatin1String("*"))
        ++m_globalSerial;
    else
        ++m_tableSerial[table.toLower()];
}

bool Database::transactionLost() const
{
    return m_depth > 0 && m_raw && sqlite3_get_autocommit(m_raw) != 0;
}

void Database::requireLiveTransaction() const
{
    if (transactionLost())
        throw DbError(kTransactionLost);
}

int Database::exec(const QString& sql, const QVariantList& values)
{
    // Inside a transaction the engine ended, a statement would otherwise
    // write to the file on its own, outside any scope.
    requireLiveTransaction();
    QSqlQuery q = prepare(sql, values);
    return runWrite(q, sql);
}

int Database::execCached(const QString& sql, const QVariantList& values, const QString& table)
{
    requireLiveTransaction();
    QSqlQuery& q = cachedQuery(sql);
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    const bool ok = q.exec();
    noteWrite(table);
    check(q, ok);
    const int n = q.numRowsAffected();
    q.finish();
    return n;
}

qint64 Database::lastInsertRowId() const
{
    return m_raw ? sqlite3_last_insert_rowid(m_raw) : -1;
}

int Database::runWrite(QSqlQuery& q, const QString& sql)
{
    const bool ok = q.exec();
    // A statement that changes the tables' layout leaves every kept
    // statement with the columns it was prepared for.
    static const QRegularExpression layout(QStringLiteral("^\\s*(?:CREATE|ALTER|DROP)\\b"),
                                           QRegularExpression::CaseInsensitiveOption);
    if (layout.match(sql).hasMatch()) {
        forgetLayout();
        m_schemaVersion = schemaVersion();
        m_layoutInTransaction = m_layoutInTransaction || m_depth > 0;
    }
    noteWrite(writtenTable(sql));
    check(q, ok);
    const int n = q.numRowsAffected();
    q.finish();
    return n;
}

int Database::execNamed(const QString& sql, const QVariantHash& values)
{
    requireLiveTransaction();
    QSqlQuery q = prepare(sql);
    for (const QString& name : placeholderNames(sql)) {
        auto it = values.constFind(name);
        if (it == values.constEnd())
            throw DbError(QStringLiteral("Parameter '%1' has no value.").arg(name));
        q.bindValue(QLatin1Char(':') + name, DateValue::toStorage(*it));
    }
    return runWrite(q, sql);
}

QStringList Database::placeholderNames(const QString& sql)
{
    static const QRegularExpression named(QStringLiteral("(?<![:\\w]):([A-Za-z_]\\w*)"));
    QStringList names;
    for (auto it = named.globalMatch(sql); it.hasNext();) {
        const QString name = it.next().captured(1);
        if (!names.contains(name))
            names << name;
    }
    return names;
}

namespace {
sqlite3_stmt* statementOf(const QSqlQuery& q)
{
    const QVariant h = q.result() ? q.result()->handle() : QVariant();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3_stmt*") != 0)
        return nullptr;
    return *static_cast<sqlite3_stmt* const*>(h.constData());
}
} // namespace

bool Database::readsOnly(const QSqlQuery& q)
{
    sqlite3_stmt* stmt = statementOf(q);
    return stmt && sqlite3_stmt_readonly(stmt) != 0;
}

bool Database::mayHaveMetNewLayout(const QSqlQuery& q)
{
    sqlite3_stmt* stmt = statementOf(q);
    if (!stmt)
        return true;
    const bool preparedAgain = sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_REPREPARE, 1) > 0;
    return preparedAgain || sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_RUN, 0) <= 1;
}

QVariant Database::scalar(const QString& sql, const QVariantList& values)
{
    QSqlQuery q = prepare(sql, values);
    check(q, q.exec());
    QVariant v;
    if (q.next())
        v = q.value(0);
    q.finish();
    return v;
}

void Database::execScript(const QString& script)
{
    // Statements end with ";" at the end of a line; "--" starts a comment line.
    QString current;
    const QStringList lines = script.split(QLatin1Char('\n'));
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1String("--")) || (line.isEmpty() && current.isEmpty()))
            continue;
        current += raw + QLatin1Char('\n');
        if (line.endsWith(QLatin1Char(';'))) {
            exec(current.trimmed());
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty())
        exec(current.trimmed());
}

void Database::begin()
{
    if (m_depth == 0) {
        execCached(QStringLiteral("BEGIN IMMEDIATE"), {}, QString());
        m_wroteInTransaction = false;
    } else {
        exec(QStringLiteral("SAVEPOINT ") + savepointName(m_depth));
    }
    ++m_depth;
}

void Database::commit()
{
    if (m_depth <= 0)
        throw DbError(QStringLiteral("No transaction is active."));
    const bool lost = transactionLost();
    const int level = --m_depth;
    if (lost) {
        // What was written is gone; snapshots of it are no longer true.
        noteWriteAll();
        if (level == 0)
            m_wroteInTransaction = false;
        undoLayoutChange(level);
        throw DbError(kTransactionLost);
    }
    if (level > 0) {
        exec(QStringLiteral("RELEASE ") + savepointName(level));
        return;
    }
    try {
        execCached(QStringLiteral("COMMIT"), {}, QString());
    } catch (const DbError&) {
        // A commit that could not get the file (another client still
        // reading past the busy timeout) leaves the transaction open and
        // the write lock held; give it up so that the connection is usable
        // and nothing half-done stays behind.
        QSqlQuery q(m_db);
        q.exec(QStringLiteral("ROLLBACK"));
        noteWriteAll();
        m_wroteInTransaction = false;
        undoLayoutChange(0);
        throw;
    }
    m_wroteInTransaction = false;
    m_layoutInTransaction = false;
}

void Database::rollback()
{
    if (m_depth <= 0)
        return;
    const bool lost = transactionLost();
    const int level = --m_depth;
    // Snapshots taken of what the scope wrote are no longer true.
    if (m_wroteInTransaction)
        noteWriteAll();
    if (!m_db.isOpen())
        return;
    QSqlQuery q(m_db);
    if (level == 0) {
        if (!lost)
            q.exec(QStringLiteral("ROLLBACK"));
        m_wroteInTransaction = false;
    } else if (!lost) {
        const QString name = savepointName(level);
        q.exec(QStringLiteral("ROLLBACK TO ") + name);
        q.exec(QStringLiteral("RELEASE ") + name);
    }
    undoLayoutChange(level);
}

void Database::undoLayoutChange(int level)
{
    // A layout changed inside the scope is back as it was: what was learnt
    // of it since is not true any more.
    if (!m_layoutInTransaction)
        return;
    forgetLayout();
    m_schemaVersion = schemaVersion();
    m_layoutInTransaction = level > 0;
}

ReadTransaction::ReadTransaction(Database& db) : m_db(db)
{
    // Inside an outer read scope it does nothing either.
    const bool inOuterRead = m_db.rawHandle() && sqlite3_get_autocommit(m_db.rawHandle()) == 0;
    if (m_db.transactionDepth() == 0 && m_db.isOpen() && !inOuterRead) {
        m_db.execCached(QStringLiteral("BEGIN"), {}, QString());
        m_own = true;
    }
}

ReadTransaction::~ReadTransaction()
{
    if (m_own && m_db.isOpen()) {
        try {
            m_db.execCached(QStringLiteral("COMMIT"), {}, QString());
        } catch (const DbError&) {
        }
    }
}
