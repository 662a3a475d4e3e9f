#pragma once
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QHash>
#include <memory>
#include <unordered_map>

struct sqlite3;

// One connection to the shared database file. Each instance has a
// connection of its own, so two "clients" can live in one process.
//
// The file is opened read-write and never created: a missing file is an
// error, and a file that is not a database fails at the probe statement run
// right after opening. Writers wait (busy timeout) rather than fail while
// another client holds the file. The default rollback journal is kept: the
// file may sit on a network share, where a write-ahead log does not work.
class Database {
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Throws DbError when the file is missing or not a database.
    void open(const QString& filePath);
    // Makes a new, empty database file and opens it; an existing file is an error.
    void create(const QString& filePath);
    // How long statements wait for another client's lock (before open).
    void setBusyTimeout(int ms) { m_busyTimeout = ms; }
    void close();
    bool isOpen() const;
    QString filePath() const { return m_path; }

    // How long a statement waits for another client's lock.
    static constexpr int DefaultBusyTimeoutMs = 8000;

    QSqlDatabase& handle() { return m_db; }
    // The engine's own connection (for the benchmark's raw side and for
    // asking the engine about its transaction); null when closed.
    sqlite3* rawHandle() const { return m_raw; }

    // Prepares a statement and binds positional values. Throws on error.
    QSqlQuery prepare(const QString& sql, const QVariantList& values = {});
    // A prepared statement kept for as long as the connection is open (its
    // values are bound anew by each user; it must be finished after use).
    QSqlQuery& cachedQuery(const QString& sql);
    // Runs a statement with positional values; answers the rows it changed.
    int exec(const QString& sql, const QVariantList& values = {});
    // The same with values by placeholder name (":name"); a placeholder
    // without a value is an error.
    int execNamed(const QString& sql, const QVariantHash& values);
    // Runs a data-changing statement through a statement kept for the
    // connection, noting the write to table; answers the rows it changed.
    int execCached(const QString& sql, const QVariantList& values, const QString& table);
    // The row id the last insert on this connection made.
    qint64 lastInsertRowId() const;
    // Runs a query and answers the first column of its first row (invalid
    // QVariant when it has no row).
    QVariant scalar(const QString& sql, const QVariantList& values = {});
    // The names of a statement's ":name" placeholders, each once, in order.
    static QStringList placeholderNames(const QString& sql);
    // Runs a script of statements separated by ";" at line ends.
    void execScript(const QString& script);

    // Write transactions. begin() takes the write lock at once
    // (BEGIN IMMEDIATE); a nested begin opens a savepoint inside it, so that
    // a failure undoes the inner scope only and the outer one can still
    // commit what succeeded. commit() and rollback() always end the
    // innermost scope, also when they throw.
    //
    // Some errors (a full disk, a statement written "OR ROLLBACK") make the
    // engine end the whole transaction itself; from then on every write and
    // every commit inside it fails with an error that says so, and nothing
    // is written outside the transaction meanwhile.
    void begin();
    void commit();
    void rollback();
    int transactionDepth() const { return m_depth; }
    // True inside a write scope whose transaction the engine has ended.
    bool transactionLost() const;
    // Throws when transactionLost(): every write checks it first.
    void requireLiveTransaction() const;
    // Whether a prepared statement only reads.
    static bool readsOnly(const QSqlQuery& q);
    // Whether a statement just run may have been prepared for a layout that
    // this connection has not noticed yet: the engine prepared it again for
    // another program's change of the layout since it was last asked, or it
    // ran for the first time. The caller then asks dataVersion().
    static bool mayHaveMetNewLayout(const QSqlQuery& q);

    // Throws DbError with the engine's text when the query failed.
    static void check(const QSqlQuery& q, bool ok);

    // Whether statements wait (up to the busy timeout) for a file that
    // another program holds locked, or fail at once. Calls nest: waiting
    // comes back with the last of them (see NoLockWait).
    void setWaitForLock(bool on);
    // A statement that waits for another client's lock tries again every
    // millisecond for its first QuickRetryMs, then every BackedOffRetryMs:
    // a long wait costs little of the computer and few lock requests (on a
    // file server each is one over the network).
    static constexpr int QuickRetryMs = 25;
    static constexpr int BackedOffRetryMs = 10;
    // For a long run between two of its transactions: leaves the file free
    // long enough for a client that waits, backed off, to try once.
    static void letWaitingClientsIn();
    // How many times, on any connection, a statement has tried again for a
    // file another client held.
    static quint64 lockRetries();
    // How many statements, on any connection, have failed because the file
    // was locked by someone else. A run of many statements compares it
    // before and after to tell a busy file from other failures, also where
    // a data routine caught the error itself.
    static quint64 busyFailures();

    // Change tracking, so that a snapshot can tell whether the file still
    // holds what it read. dataVersion() moves when another connection
    // commits; writeSerial(table) moves when this connection writes to that
    // table (any other change, a rollback included, moves every table's).
    qint64 dataVersion();
    quint64 writeSerial(const QString& table) const;
    void noteWrite(const QString& table);
    void noteWriteAll()
    {
        ++m_globalSerial;
        m_changesDirty = true;
    }
    // The file's count of changes to a table (any writer's, kept by the
    // schema's triggers), re-read only when another connection committed
    // or this one wrote. A table the file keeps no count for answers the
    // file's data version, so that any commit counts as a change to it.
    qint64 tableChanges(const QString& table);

    // Whether the table has an index (not a partial one) whose first column
    // is column and compares without regard to case, so that a look-up of a
    // value of that column can go through it. Read once per connection.
    bool hasCaselessIndex(const QString& table, const QString& column);
    // The widths the schema holds a table's text columns to, by lower-cased
    // column name (read once per connection).
    const QHash<QString, int>& textWidths(const QString& table);

    // Moves whenever the file's layout (its tables and columns) changed as
    // far as this connection knows: at once for its own CREATE, ALTER and
    // DROP, and for another program's at the first dataVersion() after it.
    // The kept statements and what was learnt of the tables are dropped
    // then; a dataset learns its columns again when it sees this move.
    quint64 layoutSerial() const { return m_layoutSerial; }

private:
    QSqlDatabase m_db;
    QString m_name;
    QString m_path;
    int m_depth = 0;
    int m_busyTimeout = DefaultBusyTimeoutMs;
    sqlite3* m_raw = nullptr;
    int m_noWaitDepth = 0;
    // The wait for another client's lock: tried again after each pause,
    // until the busy timeout has passed.
    static int retryWhileBusy(void* self, int tries);
    QElapsedTimer m_busySince;
    int runWrite(QSqlQuery& q, const QString& sql);
    qint64 schemaVersion();
    // The one value a PRAGMA answers; DbError when it fails.
    qint64 pragmaValue(const QString& pragma);
    void forgetLayout();
    void undoLayoutChange(int level);
    bool m_wroteInTransaction = false;
    bool m_layoutInTransaction = false;
    // The layout as last looked at: the file's schema version, and the data
    // version it was read at (it is read again only when that moves).
    qint64 m_schemaVersion = -1;
    qint64 m_layoutSeenAt = -2;
    quint64 m_layoutSerial = 0;
    quint64 m_globalSerial = 1;
    QHash<QString, quint64> m_tableSerial;
    // The file's change counts as last read, and the data version then.
    QHash<QString, qint64> m_changes;
    qint64 m_changesVersion = -2;
    bool m_changesDirty = true;
    int m_hasChangeTable = -1;   // unknown until first asked
    QHash<QString, bool> m_caselessIndex;
    QHash<QString, QHash<QString, int>> m_widths;
    std::unordered_map<QString, std::unique_ptr<QSqlQuery>> m_statements;
};

// Scope for a run of reads that should see one state of the file and take
// its shared lock once. Only reads may run inside it. Inside a write
// transaction, or inside another read scope, it does nothing.
class ReadTransaction {
public:
    explicit ReadTransaction(Database& db);
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

private:
    Database& m_db;
    bool m_own = false;
};

// Scope in which statements do not wait for a file that another program
// holds locked: they fail at once (DbError). For reads made on a timer,
// which count a busy file as "no change" and read again at the next tick.
class NoLockWait {
public:
    explicit NoLockWait(Database& db) : m_db(db) { m_db.setWaitForLock(false); }
    ~NoLockWait() { m_db.setWaitForLock(true); }
    NoLockWait(const NoLockWait&) = delete;
    NoLockWait& operator=(const NoLockWait&) = delete;

private:
    Database& m_db;
};

// Scope guard for a write transaction: rolls back unless committed.
class WriteTransaction {
public:
    explicit WriteTransaction(Database& db) : m_db(db) { m_db.begin(); }
    ~WriteTransaction()
    {
        if (!m_done) {
            try { m_db.rollback(); } catch (...) {}
        }
    }
    // Ends the scope whether or not the commit succeeds.
    void commit()
    {
        m_done = true;
        m_db.commit();
    }
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

private:
    Database& m_db;
    bool m_done = false;
};
