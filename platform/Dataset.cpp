#include "Dataset.h"
#include "Database.h"
#include "DateValue.h"
#include "DbError.h"
#include "Text.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

const QString kRowIdAlias = QStringLiteral("__rowid__");

QString quoteIdent(const QString& name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

[[noreturn]] void fail(const QString& text) { throw DbError(text); }

const QString kNoCurrent = QStringLiteral(
    "Either BOF or EOF is True, or the current record has been deleted. "
    "Requested operation requires a current record.");
const QString kRowGone = QStringLiteral(
    "Row cannot be located for updating. Some values may have been changed since it was last read.");

bool variantTrue(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return false;
    switch (v.typeId()) {
    case QMetaType::QString: {
        const QString s = v.toString().trimmed().toLower();
        if (s == QLatin1String("true") || s == QLatin1String("yes"))
            return true;
        bool ok = false;
        const double d = s.toDouble(&ok);
        return ok && d != 0.0;
    }
    default:
        return v.toDouble() != 0.0;
    }
}

int variantInt(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return 0;
    if (v.typeId() == QMetaType::QString) {
        bool ok = false;
        const QString s = v.toString().trimmed();
        int i = s.toInt(&ok);
        if (ok)
            return i;
        const double d = s.toDouble(&ok);
        return ok ? static_cast<int>(d) : 0;
    }
    return static_cast<int>(v.toLongLong());
}

QDateTime variantDateTime(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return DateValue::zeroDateTime();
    switch (v.typeId()) {
    case QMetaType::QDateTime:
        return v.toDateTime();
    case QMetaType::QDate:
        return QDateTime(v.toDate(), QTime(0, 0));
    case QMetaType::QTime:
        return QDateTime(DateValue::zeroDate(), v.toTime());
    default:
        return DateValue::parse(v.toString());
    }
}

QString variantString(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return QString();
    return v.toString();
}

} // namespace

// ---------------------------------------------------------------- RowRef

QVariant RowRef::value(const QString& field) const
{
    auto& ds = const_cast<Dataset&>(m_ds);
    return ds.valueAt(m_index, ds.fieldIndex(field));
}
QString RowRef::asString(const QString& field) const { return variantString(value(field)); }
int RowRef::asInteger(const QString& field) const { return variantInt(value(field)); }
bool RowRef::asBoolean(const QString& field) const { return variantTrue(value(field)); }
QDateTime RowRef::asDateTime(const QString& field) const { return variantDateTime(value(field)); }

// ---------------------------------------------------------------- Dataset

Dataset::Dataset(Database* db, QObject* parent) : QObject(parent), m_db(db) {}

Dataset::~Dataset() = default;

void Dataset::setDatabase(Database* db)
{
    close();
    m_db = db;
}

void Dataset::setTableName(const QString& table)
{
    close();
    m_table = table;
    m_sql.clear();
    forgetColumnText();
}

void Dataset::setSql(const QStringList& lines)
{
    close();
    m_sql = lines;
    m_table.clear();
}

void Dataset::setBaseTable(const QString& table)
{
    m_base = table;
    forgetColumnText();
}

void Dataset::setParam(const QString& name, const QVariant& value)
{
    m_params.insert(name, DateValue::toStorage(value));
}

QString Dataset::selectText() const
{
    if (isTable())
        return QStringLiteral("SELECT rowid AS %1, * FROM %2 ORDER BY rowid")
            .arg(kRowIdAlias, quoteIdent(m_table));
    QString text = m_sql.join(QLatin1Char('\n'));
    if (!m_base.isEmpty()) {
        static const QRegularExpression lead(QStringLiteral("^\\s*select\\s"),
                                             QRegularExpression::CaseInsensitiveOption);
        const auto m = lead.match(text);
        if (!m.hasMatch())
            fail(QStringLiteral("A query that writes back to its table must be a SELECT."));
        text.insert(m.capturedEnd(), QStringLiteral("rowid AS %1, ").arg(kRowIdAlias));
    }
    return text;
}

QVariant Dataset::paramFor(const QString& name) const
{
    auto it = m_params.constFind(name);
    if (it != m_params.constEnd())
        return *it;
    for (auto i = m_params.constBegin(); i != m_params.constEnd(); ++i)
        if (i.key().compare(name, Qt::CaseInsensitive) == 0)
            return i.value();
    return QVariant();
}

void Dataset::open()
{
    if (isActive())
        return;
    if (!m_db)
        fail(QStringLiteral("No connection is assigned to the dataset."));
    if (!isTable() && m_sql.isEmpty())
        fail(QStringLiteral("CommandText does not return a result set."));
    m_rows.clear();
    m_loaded = false;
    m_detached = false;
    m_current = -1;
    m_eof = m_bof = true;
    if (isTable()) {
        readFieldNames();   // the rows are read on first use
        setState(State::Browse);
    } else {
        setState(State::Browse);
        try {
            load();
        } catch (...) {
            setState(State::Inactive);
            throw;
        }
    }
}

int Dataset::execSql()
{
    if (m_sql.isEmpty())
        fail(QStringLiteral("CommandText is empty."));
    return execSql(m_sql.join(QLatin1Char('\n')), m_params);
}

int Dataset::execSql(const QString& sql)
{
    return execSql(sql, QVariantList());
}

int Dataset::execSql(const QString& sql, const QVariantHash& params)
{
    if (!m_db)
        fail(QStringLiteral("No connection is assigned to the dataset."));
    return m_db->execNamed(sql, params);
}

int Dataset::execSql(const QString& sql, const QVariantList& values)
{
    if (!m_db)
        fail(QStringLiteral("No connection is assigned to the dataset."));
    return m_db->exec(sql, values);
}

void Dataset::close()
{
    if (!isActive())
        return;
    dropPending();
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_loaded = false;
    m_detached = false;
    m_current = -1;
    m_eof = m_bof = true;
    setState(State::Inactive);
}

void Dataset::readFieldNames()
{
    QSqlQuery q = m_db->prepare(QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(quoteIdent(m_table)));
    Database::check(q, q.exec());
    const QSqlRecord rec = q.record();
    m_layoutSerial = m_db->layoutSerial();
    m_shapeText.clear();
    forgetColumnText();
    m_fields.clear();
    m_fieldIndex.clear();
    m_spellings.clear();
    for (int i = 0; i < rec.count(); ++i) {
        m_fields << rec.fieldName(i);
        m_fieldIndex.insert(rec.fieldName(i).toLower(), i);
    }
}

bool Dataset::snapshotCurrent()
{
    const QString base = baseTable();
    if (!m_loaded || base.isEmpty())
        return false;
    if (!isTable() && (m_loadedSql != m_sql.join(QLatin1Char('\n')) || m_loadedParams != m_params))
        return false;
    // Asking for the changes first notices another program's change of the
    // layout, which moves every table's write serial.
    const qint64 changes = m_db->tableChanges(base);
    return changes == m_loadedChanges && m_db->writeSerial(base) == m_loadedSerial;
}

bool Dataset::layoutMoved() const
{
    return m_db && m_layoutSerial != m_db->layoutSerial();
}

bool Dataset::mustFollowLayout() const
{
    // A pending change is written first, in the layout it was made in.
    return m_state == State::Browse && layoutMoved() && m_followFailedAt != m_db->layoutSerial();
}

void Dataset::load()
{
    // The layout check below and the read see one state of the file: no
    // change of layout lands between them.
    ReadTransaction reading(*m_db);
    const QString base = baseTable();
    // Read the change marks before the rows: a change that lands in between
    // then only costs a needless re-read later, never a stale snapshot.
    const qint64 changes = base.isEmpty() ? -1 : m_db->tableChanges(base);
    const quint64 serial = base.isEmpty() ? 0 : m_db->writeSerial(base);
    // Asking for the changes noticed any change of the file's layout; the
    // columns are then learnt again from this read.
    if (base.isEmpty())
        m_db->dataVersion();
    if (m_layoutSerial != m_db->layoutSerial()) {
        m_shapeText.clear();
        m_placeholderText.clear();
    }

    // The statement is prepared once for as long as its text stays the same.
    const QString text = selectText();
    QSqlQuery& q = m_db->cachedQuery(text);
    // Every placeholder gets a value each time (NULL when none was set), so
    // nothing is left over from the statement's previous use.
    if (text != m_placeholderText) {
        // Opening runs reads only: a statement that changes data goes
        // through execSql, which records what it wrote.
        if (!Database::readsOnly(q))
            fail(QStringLiteral("Only a query that reads can be opened; use execSql to run: %1")
                     .arg(text.simplified()));
        m_placeholders = Database::placeholderNames(text);
        m_placeholderText = text;
    }
    for (const QString& name : std::as_const(m_placeholders))
        q.bindValue(QLatin1Char(':') + name, paramFor(name));
    Database::check(q, q.exec());

    // The shape of the result is read once per statement text.
    if (text != m_shapeText) {
        const QSqlRecord rec = q.record();
        m_idColumn = rec.indexOf(kRowIdAlias);
        QStringList fields;
        m_columns.clear();
        for (int i = 0; i < rec.count(); ++i) {
            if (i == m_idColumn)
                continue;
            fields << rec.fieldName(i);
            m_columns.push_back(i);
        }
        if (fields != m_fields) {
            m_fields = fields;
            forgetColumnText();
            m_fieldIndex.clear();
            m_spellings.clear();
            for (int i = 0; i < m_fields.size(); ++i)
                m_fieldIndex.insert(m_fields.at(i).toLower(), i);
        }
        m_shapeText = text;
        m_layoutSerial = m_db->layoutSerial();
    }
    std::vector<Row> rows;
    while (q.next()) {
        Row r;
        r.rowid = m_idColumn >= 0 ? q.value(m_idColumn).toLongLong() : 0;
        r.values.reserve(m_columns.size());
        for (int c : m_columns)
            r.values.push_back(q.value(c));
        rows.push_back(std::move(r));
    }
    q.finish();

    m_rows = std::move(rows);
    m_loaded = true;
    m_detached = false;
    m_sorted = isTable();
    m_loadedChanges = changes;
    m_loadedSerial = serial;
    m_loadedSql = m_sql.join(QLatin1Char('\n'));
    m_loadedParams = m_params;
    m_current = m_rows.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.empty();
    emit dataChanged();
    emit currentChanged();
}

void Dataset::ensureLoaded()
{
    if (!isActive())
        fail(QStringLiteral("Operation is not allowed when the object is closed."));
    // Once this connection has noticed another program's change of the
    // layout, the rows are read again in the new one. A read that fails
    // then (the table gone for a moment, the file held) leaves them as they
    // were, in the layout they were read in, until the next requery.
    if ((m_loaded || m_detached) && mustFollowLayout()) {
        try {
            loadKeepingPlace();
        } catch (const DbError&) {
            m_followFailedAt = m_db->layoutSerial();
        }
        return;
    }
    if (m_loaded)
        return;
    // A table that was only written to stands on the row it wrote; the
    // whole read keeps that position.
    if (m_detached)
        loadKeepingPlace();
    else
        load();
}

void Dataset::loadKeepingPlace()
{
    const qint64 id = (m_loaded || m_detached) && m_current >= 0 ? m_rows[m_current].rowid : -1;
    const int oldIndex = m_current;
    load();
    if (m_rows.empty())
        return;
    int target = id >= 0 && !baseTable().isEmpty() ? indexOfRowId(id) : -1;
    if (target < 0)
        target = qBound(0, oldIndex, static_cast<int>(m_rows.size()) - 1);
    moveTo(target);
}

int Dataset::indexOfRowId(qint64 rowid) const
{
    if (m_sorted) {
        const auto it = std::lower_bound(m_rows.begin(), m_rows.end(), rowid,
                                         [](const Row& r, qint64 id) { return r.rowid < id; });
        return it != m_rows.end() && it->rowid == rowid ? static_cast<int>(it - m_rows.begin()) : -1;
    }
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].rowid == rowid)
            return static_cast<int>(i);
    return -1;
}

int Dataset::placeRow(Row&& row)
{
    // The row replaces the snapshot's copy, or joins it where the file's
    // order puts it.
    const int at = indexOfRowId(row.rowid);
    if (at >= 0) {
        if (m_rows[at].values != row.values) {
            m_rows[at].values = std::move(row.values);
            emit dataChanged();
        }
        return at;
    }
    auto pos = m_sorted ? std::lower_bound(m_rows.begin(), m_rows.end(), row.rowid,
                                           [](const Row& r, qint64 id) { return r.rowid < id; })
                        : m_rows.end();
    pos = m_rows.insert(pos, std::move(row));
    emit dataChanged();
    return static_cast<int>(pos - m_rows.begin());
}

void Dataset::requery()
{
    if (!isActive()) {
        open();
        if (isTable())
            ensureLoaded();
        return;
    }
    dropPending();
    if (snapshotCurrent()) {
        m_current = m_rows.empty() ? -1 : 0;
        m_bof = true;
        m_eof = m_rows.empty();
        emit currentChanged();
        return;
    }
    load();
}

void Dataset::refresh()
{
    if (!isActive())
        fail(QStringLiteral("Operation is not allowed when the object is closed."));
    postPending();
    if (!snapshotCurrent())
        loadKeepingPlace();
    else if (!m_rows.empty())
        moveTo(qBound(0, m_current, static_cast<int>(m_rows.size()) - 1));
}

// ------------------------------------------------------------ navigation

bool Dataset::isEmpty()
{
    ensureLoaded();
    return m_rows.empty();
}

int Dataset::recordCount()
{
    ensureLoaded();
    return static_cast<int>(m_rows.size());
}

bool Dataset::eof()
{
    ensureLoaded();
    return m_eof;
}

bool Dataset::bof()
{
    ensureLoaded();
    return m_bof;
}

void Dataset::moveTo(int index)
{
    m_current = index;
    m_eof = m_bof = false;
    emit currentChanged();
}

void Dataset::first()
{
    postPending();
    ensureLoaded();
    if (m_rows.empty()) {
        m_eof = m_bof = true;
        return;
    }
    moveTo(0);
    m_bof = true;
}

void Dataset::next()
{
    postPending();
    ensureLoaded();
    if (m_current + 1 < static_cast<int>(m_rows.size()))
        moveTo(m_current + 1);
    else
        m_eof = true;
}

void Dataset::prior()
{
    postPending();
    ensureLoaded();
    if (m_current > 0)
        moveTo(m_current - 1);
    else
        m_bof = true;
}

void Dataset::last()
{
    postPending();
    ensureLoaded();
    if (m_rows.empty()) {
        m_eof = m_bof = true;
        return;
    }
    moveTo(static_cast<int>(m_rows.size()) - 1);
    m_eof = true;
}

int Dataset::recNo()
{
    ensureLoaded();
    if (m_state == State::Insert || m_current < 0)
        return -1;
    return m_current + 1;
}

void Dataset::setRecNo(int n)
{
    ensureLoaded();
    if (n < 1 || n > static_cast<int>(m_rows.size()))
        return;
    postPending();
    moveTo(n - 1);
}

qint64 Dataset::rowId()
{
    if (!m_detached || mustFollowLayout())
        ensureLoaded();
    return m_current >= 0 ? m_rows[m_current].rowid : -1;
}

bool Dataset::locate(const QString& field, const QVariant& value)
{
    if (locatesByIndex(field))
        return locateByIndex(field, value);
    ensureLoaded();
    const int col = fieldIndex(field);
    const QString wanted = Text::upper(variantString(DateValue::toStorage(value)));
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (Text::upper(variantString(m_rows[i].values[col])) == wanted) {
            const qint64 id = m_rows[i].rowid;
            postPending();
            const int at = isTable() ? indexOfRowId(id) : static_cast<int>(i);
            moveTo(at >= 0 ? at : static_cast<int>(i));
            return true;
        }
    }
    return false;
}

bool Dataset::locatesByIndex(const QString& field)
{
    return isTable() && m_db && m_db->hasCaselessIndex(m_table, m_fields.at(fieldIndex(field)));
}

bool Dataset::locateByIndex(const QString& field, const QVariant& value)
{
    ensureLoaded();
    bool newLayout = false;
    const auto find = [&](Row& row) {
        // The columns, and the one searched, by name as last learnt. Fetched
        // at each use: posting in between may add statements.
        QSqlQuery& q = m_db->cachedQuery(QStringLiteral("SELECT rowid, %1 FROM %2 WHERE %3 = ? ORDER BY rowid LIMIT 1")
                                              .arg(columnList(), quoteIdent(m_table), quotedField(fieldIndex(field))));
        q.bindValue(0, DateValue::toStorage(value));
        const bool ok = q.exec();
        newLayout = ok && Database::mayHaveMetNewLayout(q);
        const bool found = ok && q.next();
        if (found) {
            row.rowid = q.value(0).toLongLong();
            row.values.clear();
            row.values.reserve(m_fields.size());
            for (int i = 0; i < m_fields.size(); ++i)
                row.values.push_back(q.value(i + 1));
        }
        Database::check(q, ok);
        q.finish();
        return found;
    };
    // Another program's change of the layout, once noticed, has the rows
    // read in the new one.
    const auto followLayout = [&] {
        m_db->dataVersion();
        if (!layoutMoved())
            return false;
        postPending();
        ensureLoaded();
        return true;
    };
    Row row;
    bool found = false;
    try {
        found = find(row);
    } catch (const DbError& e) {
        // A column it names may have gone with the change; a file held
        // past the wait is not asked about again.
        if (e.fileHeld() || !followLayout())
            throw;
        found = find(row);
    }
    // The search ran in a layout the columns may not have been learnt in:
    // a column added is read too once they are.
    if (newLayout && followLayout())
        found = find(row);
    if (!found)
        return false;
    if (m_state == State::Edit || m_state == State::Insert) {
        postPending();
        if (!find(row))
            return false;
    }
    // A row the snapshot lacks is new to it: a snapshot that is behind the
    // file is read again, so that record numbers stay those of the file's
    // order. A row it has is replaced alone.
    if (indexOfRowId(row.rowid) < 0 && !snapshotCurrent())
        load();
    moveTo(placeRow(std::move(row)));
    return true;
}

bool Dataset::findFirst(const std::function<bool(const RowRef&)>& predicate)
{
    ensureLoaded();
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (predicate(RowRef(*this, static_cast<int>(i)))) {
            const qint64 id = m_rows[i].rowid;
            postPending();
            const int at = isTable() ? indexOfRowId(id) : static_cast<int>(i);
            moveTo(at >= 0 ? at : static_cast<int>(i));
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- fields

QStringList Dataset::fieldNames()
{
    if (!isActive())
        fail(QStringLiteral("Operation is not allowed when the object is closed."));
    return m_fields;
}

bool Dataset::hasField(const QString& name)
{
    return m_fieldIndex.contains(name.toLower());
}

int Dataset::fieldIndex(const QString& name)
{
    if (!isActive())
        fail(QStringLiteral("Operation is not allowed when the object is closed."));
    // Callers name fields in many spellings; each spelling is looked up
    // without regard to case once and remembered.
    auto hit = m_spellings.constFind(name);
    if (hit != m_spellings.constEnd())
        return *hit;
    auto it = m_fieldIndex.constFind(name.toLower());
    if (it == m_fieldIndex.constEnd())
        fail(QStringLiteral("Field '%1' not found").arg(name));
    m_spellings.insert(name, *it);
    return *it;
}

const std::vector<QVariant>* Dataset::currentValues()
{
    if (m_state == State::Edit || m_state == State::Insert)
        return &m_buffer;
    if (!m_detached || mustFollowLayout())
        ensureLoaded();
    if (m_current < 0 || m_current >= static_cast<int>(m_rows.size()))
        return nullptr;
    return &m_rows[m_current].values;
}

QVariant Dataset::value(const QString& field)
{
    // The rows first: reading them may learn a new layout, in which the
    // column is then found.
    const auto* vals = currentValues();
    const int col = fieldIndex(field);
    return vals ? (*vals)[col] : QVariant();
}

QString Dataset::asString(const QString& field) { return variantString(value(field)); }
int Dataset::asInteger(const QString& field) { return variantInt(value(field)); }
bool Dataset::asBoolean(const QString& field) { return variantTrue(value(field)); }
QDateTime Dataset::asDateTime(const QString& field) { return variantDateTime(value(field)); }

void Dataset::setValue(const QString& field, const QVariant& value)
{
    if (m_state != State::Edit && m_state != State::Insert)
        fail(QStringLiteral("Dataset not in edit or insert mode"));
    const int col = fieldIndex(field);
    m_buffer[col] = DateValue::toStorage(value);
    m_changed[col] = true;
}

int Dataset::rowCountLoaded()
{
    ensureLoaded();
    return static_cast<int>(m_rows.size());
}

QVariant Dataset::valueAt(int index, int column) const
{
    if (index < 0 || index >= static_cast<int>(m_rows.size()))
        return QVariant();
    const auto& vals = m_rows[index].values;
    return column >= 0 && column < static_cast<int>(vals.size()) ? vals[column] : QVariant();
}

// --------------------------------------------------------------- changes

void Dataset::setState(State s)
{
    if (m_state == s)
        return;
    m_state = s;
    emit stateChanged();
}

void Dataset::dropPending()
{
    if (m_state == State::Edit || m_state == State::Insert) {
        const bool wasInsert = m_state == State::Insert;
        m_buffer.clear();
        m_changed.clear();
        setState(State::Browse);
        if (wasInsert && m_beforeInsert < static_cast<int>(m_rows.size()))
            m_current = m_beforeInsert;
        emit currentChanged();
    }
}

void Dataset::postPending()
{
    if (m_state == State::Edit || m_state == State::Insert)
        post();
}

void Dataset::requireCurrent(const char* what)
{
    Q_UNUSED(what);
    ensureLoaded();
    if (m_current < 0 || m_current >= static_cast<int>(m_rows.size()))
        fail(kNoCurrent);
}

QString Dataset::quotedField(int column) const
{
    return quoteIdent(m_fields.at(column));
}

void Dataset::newRow(bool atEnd)
{
    // A new row of a table that was never read does not need the table:
    // it is written and read back alone.
    if (!isTable() || m_loaded)
        ensureLoaded();
    else if (!isActive())
        fail(QStringLiteral("Operation is not allowed when the object is closed."));
    if (baseTable().isEmpty())
        fail(QStringLiteral("The query cannot be updated: it names no table to write to."));
    dropPending();
    m_beforeInsert = m_current;
    m_insertAt = atEnd || m_current < 0 ? static_cast<int>(m_rows.size()) : m_current;
    m_buffer.assign(m_fields.size(), QVariant());
    m_changed.assign(m_fields.size(), false);
    setState(State::Insert);
}

void Dataset::insert() { newRow(false); }
void Dataset::append() { newRow(true); }

void Dataset::edit()
{
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    requireCurrent("edit");
    if (baseTable().isEmpty())
        fail(QStringLiteral("The query cannot be updated: it names no table to write to."));
    m_buffer = m_rows[m_current].values;
    m_changed.assign(m_fields.size(), false);
    setState(State::Edit);
}

const QString& Dataset::columnList()
{
    // Each named with its table: a name the table no longer has is then an
    // error, not read as a text.
    if (m_columnList.isEmpty()) {
        const QString table = quoteIdent(baseTable()) + QLatin1Char('.');
        QStringList cols;
        for (int i = 0; i < m_fields.size(); ++i)
            cols << table + quotedField(i);
        m_columnList = cols.join(QStringLiteral(", "));
    }
    return m_columnList;
}

void Dataset::forgetColumnText()
{
    m_columnList.clear();
    m_rowSql.clear();
}

const QString& Dataset::rowSql()
{
    if (m_rowSql.isEmpty())
        m_rowSql = QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(columnList(), quoteIdent(baseTable()));
    return m_rowSql;
}

std::vector<QVariant> Dataset::readRow(qint64 rowid)
{
    QSqlQuery& q = m_db->cachedQuery(rowSql());
    q.bindValue(0, rowid);
    const bool ok = q.exec();
    std::vector<QVariant> vals;
    if (ok && q.next()) {
        vals.reserve(m_fields.size());
        for (int i = 0; i < m_fields.size(); ++i)
            vals.push_back(q.value(i));
    }
    Database::check(q, ok);
    q.finish();
    if (vals.empty())
        fail(kRowGone);
    return vals;
}

void Dataset::checkWidths()
{
    // The file's own width checks count characters only up to a NUL, so
    // every text is measured here in full, in characters as the file counts.
    const QHash<QString, int>& widths = m_db->textWidths(baseTable());
    for (int i = 0; i < m_fields.size(); ++i) {
        if (!m_changed[i] || m_buffer[i].typeId() != QMetaType::QString)
            continue;
        const auto w = widths.constFind(m_fields.at(i).toLower());
        if (w == widths.constEnd())
            continue;
        const qsizetype length = Text::characters(m_buffer[i].toString());
        if (length > *w)
            fail(QStringLiteral("The value of field '%1' is %2 characters long; it holds at most %3.")
                     .arg(m_fields.at(i))
                     .arg(length)
                     .arg(*w));
    }
}

void Dataset::post()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    // A change the file refuses is given up: nothing stays pending for a
    // later move to write behind the caller's back.
    try {
        writePending();
    } catch (...) {
        dropPending();
        throw;
    }
}

void Dataset::postKeepingRefused()
{
    if (m_state == State::Edit || m_state == State::Insert)
        writePending();
}

void Dataset::writePending()
{
    const QString base = baseTable();
    m_db->requireLiveTransaction();
    checkWidths();
    // Our own write keeps a whole-table snapshot true to the file; a query's
    // rows may stop matching its condition, so a query reads again later.
    // Another client's commit between the check and the write spoils that.
    const qint64 versionBefore = isTable() && m_loaded ? m_db->dataVersion() : -1;
    bool keepCurrent = isTable() && m_loaded && snapshotCurrent();

    QStringList cols;
    QVariantList vals;
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_changed[i]) {
            cols << quotedField(i);
            vals << m_buffer[i];
        }
    }

    if (m_state == State::Edit) {
        const qint64 id = m_rows[m_current].rowid;
        if (!cols.isEmpty()) {
            QStringList sets;
            for (const QString& c : cols)
                sets << c + QStringLiteral(" = ?");
            vals << id;
            const int n = m_db->execCached(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                                               .arg(quoteIdent(base), sets.join(QStringLiteral(", "))),
                                           vals, base);
            if (n == 0)
                fail(kRowGone);
        }
        // From here on the change is in the file.
        bool stale = false;
        m_rows[m_current].values = readBack(id, stale);
        keepCurrent = keepCurrent && !stale;
    } else {
        QString sql;
        if (cols.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteIdent(base));
        } else {
            QStringList marks;
            for (int i = 0; i < cols.size(); ++i)
                marks << QStringLiteral("?");
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(quoteIdent(base), cols.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
        }
        m_db->execCached(sql, vals, base);
        // From here on the row is in the file.
        Row r;
        r.rowid = m_db->lastInsertRowId();
        bool stale = false;
        r.values = readBack(r.rowid, stale);
        keepCurrent = keepCurrent && !stale;
        if (isTable() && !m_loaded) {
            // Not read yet: the dataset stands on the new row alone until a
            // move reads the table.
            m_rows.clear();
            m_rows.push_back(std::move(r));
            m_detached = true;
            m_current = 0;
        } else {
            const int at = qBound(0, m_insertAt, static_cast<int>(m_rows.size()));
            // The file gives a new row the highest row id, so a fresh read
            // lists it last; a row shown anywhere else makes the snapshot
            // differ from the file, and the next requery must read it again.
            if (at != static_cast<int>(m_rows.size())) {
                keepCurrent = false;
                m_sorted = false;
            } else if (!m_rows.empty() && m_rows.back().rowid >= r.rowid) {
                m_sorted = false;
            }
            m_rows.insert(m_rows.begin() + at, std::move(r));
            m_current = at;
        }
    }
    if (keepCurrent)
        keepSnapshotAfterOwnWrite(versionBefore);
    m_buffer.clear();
    m_changed.clear();
    m_eof = m_bof = false;
    setState(State::Browse);
    emit dataChanged();
    emit currentChanged();
}

std::vector<QVariant> Dataset::readBack(qint64 rowid, bool& stale)
{
    // The write has landed, so a read of it that fails (another program
    // changed the layout or deleted the row meanwhile, or holds the file)
    // does not fail the change: the row keeps the values written and the
    // snapshot counts as behind the file. A change of layout is noticed
    // here, so that the next use reads the rows in the new one.
    try {
        return readRow(rowid);
    } catch (const DbError& e) {
        stale = true;
        if (!e.fileHeld()) {
            try {
                m_db->dataVersion();
            } catch (const DbError&) {
            }
        }
        return m_buffer;
    }
}

void Dataset::keepSnapshotAfterOwnWrite(qint64 versionBefore)
{
    // Nobody else committed since the write began: the snapshot, with the
    // write applied to it, is still the file's. Reading the marks may fail
    // on a held file; the snapshot then counts as behind it.
    try {
        if (m_db->dataVersion() != versionBefore)
            return;
        const quint64 serial = m_db->writeSerial(baseTable());
        const qint64 changes = m_db->tableChanges(baseTable());
        m_loadedSerial = serial;
        m_loadedChanges = changes;
    } catch (const DbError&) {
    }
}

void Dataset::cancel()
{
    dropPending();
}

void Dataset::deleteCurrent()
{
    if (m_state == State::Insert) {
        dropPending();
        return;
    }
    dropPending();
    requireCurrent("delete");
    const QString base = baseTable();
    if (base.isEmpty())
        fail(QStringLiteral("The query cannot be updated: it names no table to write to."));
    const qint64 versionBefore = isTable() ? m_db->dataVersion() : -1;
    const bool keepCurrent = isTable() && snapshotCurrent();
    const int n = m_db->execCached(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoteIdent(base)),
                                   {m_rows[m_current].rowid}, base);
    if (n == 0)
        fail(kRowGone);
    m_rows.erase(m_rows.begin() + m_current);
    if (keepCurrent)
        keepSnapshotAfterOwnWrite(versionBefore);
    if (m_rows.empty()) {
        m_current = -1;
        m_eof = m_bof = true;
    } else {
        m_current = qMin(m_current, static_cast<int>(m_rows.size()) - 1);
        m_eof = m_bof = false;
    }
    emit dataChanged();
    emit currentChanged();
}

void Dataset::putRecord(const QVariantList& values, bool atEnd)
{
    newRow(atEnd);
    try {
        for (int i = 0; i < values.size() && i < m_fields.size(); ++i) {
            m_buffer[i] = DateValue::toStorage(values.at(i));
            m_changed[i] = true;
        }
        post();
    } catch (...) {
        cancel();
        throw;
    }
}

void Dataset::insertRecord(const QVariantList& values) { putRecord(values, false); }
void Dataset::appendRecord(const QVariantList& values) { putRecord(values, true); }
