#pragma once
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

class Database;
class QSqlQuery;
class Dataset;

// A read-only view of one row of a dataset (the current one, or any other
// by index), with the same typed getters as the dataset itself.
class RowRef {
public:
    RowRef(const Dataset& ds, int index) : m_ds(ds), m_index(index) {}
    QVariant value(const QString& field) const;
    QString asString(const QString& field) const;
    int asInteger(const QString& field) const;
    bool asBoolean(const QString& field) const;
    QDateTime asDateTime(const QString& field) const;

private:
    const Dataset& m_ds;
    int m_index;
};

// A snapshot dataset over a table or a query of the shared database.
//
// The rows are read into memory (tables on first use, so a large table that
// is only opened costs nothing; inserting a row into a table does not read
// it either) and the dataset keeps a current row and an edit state. Writes
// go back to the file by row identity with bound values. A write that finds
// no row (another client deleted it) fails. Moving to another row posts a
// pending change first; requery and close drop it, and so does a post that
// fails.
//
// A snapshot is read again only when its table changed in the file (by any
// writer) or this connection wrote to it. A locate on a table column that
// has a case-insensitive index finds its row through the index and reads
// that one row afresh into the snapshot; only a row the snapshot does not
// hold yet makes a snapshot that is behind the file read it all again.
//
// Another program may change a table's layout under an open dataset. Once
// the connection has noticed it (any look-up by index, requery or write
// asks), the dataset reads its rows again in the new layout at its next
// use, staying on the same row, and finds columns by name in it.
//
// Reads with no current row answer the empty defaults ("", 0, false, the
// zero date); edit, delete and post with no current row are errors. Field
// names are matched without regard to letter case; an unknown name is an
// error.
class Dataset : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit Dataset(Database* db = nullptr, QObject* parent = nullptr);
    ~Dataset() override;

    void setDatabase(Database* db);
    Database* database() const { return m_db; }

    // A table: every row of it, in the order the rows were made.
    void setTableName(const QString& table);
    QString tableName() const { return m_table; }
    bool isTable() const { return !m_table.isEmpty(); }

    // A query: SQL text (one list entry per line) with named parameters
    // written ":name". Setting the text closes the query.
    void setSql(const QStringList& lines);
    QStringList sql() const { return m_sql; }
    // A query over one table can write its rows back to that table; the
    // query must select "*" or plain columns of it. Setting a base table
    // also lets requery skip the read when that table has not changed.
    void setBaseTable(const QString& table);
    QString baseTable() const { return isTable() ? m_table : m_base; }
    void setParam(const QString& name, const QVariant& value);
    QVariant param(const QString& name) const { return m_params.value(name); }

    // Opens a table, or runs a query that reads (any other statement is an
    // error naming it).
    void open();
    void close();

    // Runs a statement that changes data and answers the rows it changed;
    // the write is recorded, so every snapshot of the table it writes reads
    // again at its next requery. The values are bound by placeholder name
    // (":name", the dataset's own parameters for the first form; a
    // placeholder without a value is an error) or by position ("?"). The
    // dataset's own rows and state stay as they are.
    int execSql();
    int execSql(const QString& sql);
    int execSql(const QString& sql, const QVariantHash& params);
    int execSql(const QString& sql, const QVariantList& values);
    bool isActive() const { return m_state != State::Inactive; }
    // Whether the rows have been read (a table is read on first use).
    bool isLoaded() const { return m_loaded; }
    State state() const { return m_state; }

    // Re-read from the file; the position goes to the first row.
    void requery();
    // Re-read from the file, staying on the same row when it still exists.
    void refresh();

    // Navigation. Row numbers count from 1.
    bool isEmpty();
    int recordCount();
    bool eof();
    bool bof();
    void first();
    void next();
    void prior();
    void last();
    int recNo();
    void setRecNo(int n);
    qint64 rowId();

    // Moves to the first row whose field equals value as a whole, without
    // regard to letter case. Not found: false and the position stays (and
    // a pending change stays pending).
    bool locate(const QString& field, const QVariant& value);
    // Whether locate on this field goes through an index of the file.
    bool locatesByIndex(const QString& field);
    // Moves to the first row that satisfies the predicate. None: false and
    // the position stays.
    bool findFirst(const std::function<bool(const RowRef&)>& predicate);

    // Fields.
    QStringList fieldNames();
    bool hasField(const QString& name);
    int fieldIndex(const QString& name);   // throws DbError when unknown
    QVariant value(const QString& field);  // NULL as an invalid QVariant
    QString asString(const QString& field);
    int asInteger(const QString& field);
    bool asBoolean(const QString& field);
    QDateTime asDateTime(const QString& field);
    QDate asDate(const QString& field) { return asDateTime(field).date(); }
    QTime asTime(const QString& field) { return asDateTime(field).time(); }
    // Writes into the pending change (needs Edit or Insert). Dates, times
    // and yes/no values are stored in the database's own text form.
    void setValue(const QString& field, const QVariant& value);

    // Reading any row without moving (for painting and look-ups).
    int rowCountLoaded();
    QVariant valueAt(int index, int column) const;

    // Changes.
    void insert();   // new row before the current one
    void append();   // new row at the end
    void edit();
    // Writes the pending change. One the file refuses is dropped (the
    // dataset is back in Browse) and the error travels on. An error is
    // raised only when nothing was written: a change that landed but could
    // not be read back keeps the values written, and the snapshot is read
    // again at the next requery.
    void post();
    // The same, except that a refused change stays pending: for an editor
    // that shows it to the user for correction.
    void postKeepingRefused();
    void cancel();
    void deleteCurrent();
    // New row with values by column position (fewer values than columns
    // leave the rest at the table's defaults), posted at once.
    void insertRecord(const QVariantList& values);
    void appendRecord(const QVariantList& values);

signals:
    void currentChanged();
    void dataChanged();
    void stateChanged();

private:
    struct Row {
        qint64 rowid = 0;
        std::vector<QVariant> values;
    };

    void ensureLoaded();
    void load();
    void loadKeepingPlace();
    bool layoutMoved() const;
    bool mustFollowLayout() const;
    void readFieldNames();
    bool snapshotCurrent();
    QString selectText() const;
    std::vector<QVariant> readRow(qint64 rowid);
    const std::vector<QVariant>* currentValues();
    void requireCurrent(const char* what);
    void setState(State s);
    void moveTo(int index);
    void dropPending();
    void postPending();
    void writePending();
    std::vector<QVariant> readBack(qint64 rowid, bool& stale);
    void keepSnapshotAfterOwnWrite(qint64 versionBefore);
    bool locateByIndex(const QString& field, const QVariant& value);
    int indexOfRowId(qint64 rowid) const;
    int placeRow(Row&& row);
    void checkWidths();
    const QString& columnList();
    const QString& rowSql();
    void forgetColumnText();
    void newRow(bool atEnd);
    void putRecord(const QVariantList& values, bool atEnd);
    QString quotedField(int column) const;
    QVariant paramFor(const QString& name) const;

    Database* m_db = nullptr;
    QString m_table;
    QString m_base;
    QStringList m_sql;
    QVariantHash m_params;

    State m_state = State::Inactive;
    bool m_loaded = false;
    QStringList m_fields;
    QHash<QString, int> m_fieldIndex;   // lower-cased name -> column
    QHash<QString, int> m_spellings;    // name as callers spell it -> column
    QString m_placeholderText;           // the statement the placeholders below were read from
    QStringList m_placeholders;
    QString m_shapeText;                 // the statement the columns below were read for
    QString m_columnList;                // the columns by name, quoted, in order
    QString m_rowSql;                    // the read-back of one row by its id
    quint64 m_layoutSerial = 0;          // the file's layout the columns were learnt in
    quint64 m_followFailedAt = ~quint64(0);  // a layout the rows could not be read in
    int m_idColumn = -1;
    std::vector<int> m_columns;
    std::vector<Row> m_rows;
    int m_current = -1;                  // index into m_rows, -1 when empty
    bool m_sorted = false;               // m_rows are in row id order
    bool m_detached = false;             // not loaded: m_rows holds the one row just written
    bool m_eof = true;
    bool m_bof = true;

    // What the snapshot was read from, to skip a needless re-read.
    qint64 m_loadedChanges = -1;
    quint64 m_loadedSerial = 0;
    QString m_loadedSql;
    QVariantHash m_loadedParams;

    // The pending change.
    std::vector<QVariant> m_buffer;
    std::vector<bool> m_changed;
    int m_insertAt = -1;
    int m_beforeInsert = -1;
};

// Names a dataset for the data-aware controls that show it.
class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(Dataset* ds = nullptr, QObject* parent = nullptr)
        : QObject(parent), m_ds(ds) {}
    Dataset* dataSet() const { return m_ds; }
    void setDataSet(Dataset* ds) { m_ds = ds; emit dataSetChanged(); }

signals:
    void dataSetChanged();

private:
    QPointer<Dataset> m_ds;
};

// Edits the current row, lets change fill it and posts; any error cancels
// the pending change before it travels on.
template <typename Change>
void EditAndPost(Dataset& t, Change change)
{
    t.edit();
    try {
        change();
        t.post();
    } catch (...) {
        t.cancel();
        throw;
    }
}
