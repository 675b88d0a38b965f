#include "RecordsetState.h"

#include "Error.h"

#include <algorithm>
#include <limits>

#include <time.h>

namespace dao::detail {

namespace {

constexpr qint64 FirstRowid = std::numeric_limits<qint64>::min();
constexpr qint64 LastRowid = std::numeric_limits<qint64>::max();

// A page of read-ahead ends after this many rows or once it holds this many bytes of text,
// whichever comes first (at least one row is always read).
constexpr int PageRows = 256;
constexpr qint64 PageBytes = 4 * 1024 * 1024;
// Rows read ahead are dropped after this long, so that a record set walked slowly still sees
// what another program wrote in the meantime.
constexpr qint64 PageLifetimeMs = 250;

constexpr int DefaultTextSize = 255;

// Milliseconds on a clock that is cheap to read: a walk asks it twice per record, and a
// lifetime of 250 ms needs no finer grain than the few milliseconds of the coarse clock.
qint64 coarseNowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

bool youngerThanLifetime(qint64 since)
{
    return since >= 0 && coarseNowMs() - since < PageLifetimeMs;
}

} // namespace

RecordsetState::RecordsetState(std::shared_ptr<Connection> connection, QString tableName,
                               QList<Field> fieldList)
    : conn(std::move(connection)), table(std::move(tableName)), fields(std::move(fieldList)),
      m_readAhead(size_t(fields.size()), false), m_pageHas(size_t(fields.size()), false)
{
    conn->recordsets.append(this);
}

RecordsetState::~RecordsetState()
{
    release();
    conn->recordsets.removeAll(this);
}

QString RecordsetState::doing(const QString &what) const
{
    return what.arg(quotedName(table));
}

void RecordsetState::raise(int number, const QString &message) const
{
    throw Error(number, message.arg(quotedName(table)));
}

void RecordsetState::open()
{
    m_rowid = rowidAlias(fields);
    if (m_rowid.isEmpty())
        raise(errUnrecognizedFormat, QStringLiteral("The table %1 cannot be read by this engine: "
                                                    "its records have no row number."));

    // Records are walked by their first field nearly always (a recipe is found by its name):
    // it is read ahead from the start, so that the open reads the first page of the walk.
    if (!fields.isEmpty())
        m_readAhead[0] = true;
    m_onRecord = fetchFrom(FirstRowid, PageRows);
    if (m_onRecord)
        m_current = aheadFront();
}

void RecordsetState::release()
{
    m_closed = true;
    clearAhead();
    m_buffer.clear();
    m_touched.clear();
    m_mode = Mode::None;
    m_row.clear();
    m_pageStmt.finalize();
    m_rowStmt.finalize();
    m_countStmt.finalize();
    m_maxStmt.finalize();
    m_insertStmt.finalize();
    m_updateStmt.finalize();
    m_deleteStmt.finalize();
    m_indexedStmt.finalize();
}

void RecordsetState::close()
{
    ensureOpen();
    release();
    conn->recordsets.removeAll(this);
}

void RecordsetState::ensureOpen() const
{
    if (m_closed || conn->closed)
        raise(errObjectClosed, QStringLiteral("The record set of the table %1 is closed."));
}

void RecordsetState::checkField(int index) const
{
    ensureOpen();
    if (index < 0 || index >= fields.size())
        throw Error(errItemNotFound, QStringLiteral("The table %1 has no field number %2; its "
                                                    "fields are numbered 0 to %3.")
                                         .arg(quotedName(table), QString::number(index),
                                              QString::number(fields.size() - 1)));
}

bool RecordsetState::aheadIsFresh() const
{
    return aheadCount() > 0 && m_pageGeneration == writeGeneration() &&
           youngerThanLifetime(m_pageReadAt);
}

bool RecordsetState::rowIsFresh() const
{
    return m_rowRowid == m_current && !m_row.empty() && m_rowGeneration == writeGeneration() &&
           youngerThanLifetime(m_rowReadAt);
}

void RecordsetState::loadCurrentRow()
{
    if (!m_rowStmt.isPrepared()) {
        QStringList columns;
        for (const Field &field : fields)
            columns.append(quoteIdentifier(field.Name));
        m_rowStmt.prepare(conn->db(),
                          QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) +
                              QStringLiteral(" FROM ") + quoteIdentifier(table) +
                              QStringLiteral(" WHERE ") + m_rowid + QStringLiteral(" = ?1"),
                          conn->path, doing(QStringLiteral("reading the table %1")));
    }
    m_row.clear();
    m_rowStmt.bindInt64(1, m_current);
    if (m_rowStmt.step()) {
        m_row.resize(size_t(fields.size()));
        for (int i = 0; i < fields.size(); ++i)
            m_row[size_t(i)] = m_rowStmt.columnValue(i);
    }
    m_rowStmt.reset();
    if (m_row.empty()) {
        // Another record set or program deleted it.
        m_deleted = true;
        requireCurrent();
    }
    m_rowRowid = m_current;
    m_rowGeneration = writeGeneration();
    m_rowReadAt = coarseNowMs();
}

const QVariant &RecordsetState::aheadValue(int field) const
{
    return m_aheadValues[m_aheadPos * m_pageColumns.size() + size_t(m_pageSlot[size_t(field)])];
}

void RecordsetState::clearAhead()
{
    m_aheadRowids.clear();
    m_aheadValues.clear();
    m_aheadPos = 0;
    m_aheadFromFirst = false;
    m_aheadToEnd = false;
}

bool RecordsetState::fetchFrom(qint64 from, int maxRows)
{
    if (!m_pageStmt.isPrepared()) {
        m_pageColumns.clear();
        m_pageHas = m_readAhead;
        m_pageSlot.assign(size_t(fields.size()), -1);
        QString sql = QStringLiteral("SELECT ") + m_rowid;
        for (int i = 0; i < fields.size(); ++i) {
            if (m_readAhead[size_t(i)]) {
                m_pageSlot[size_t(i)] = int(m_pageColumns.size());
                m_pageColumns.push_back(i);
                sql += QStringLiteral(", ") + quoteIdentifier(fields[i].Name);
            }
        }
        sql += QStringLiteral(" FROM ") + quoteIdentifier(table) + QStringLiteral(" WHERE ") +
               m_rowid + QStringLiteral(" >= ?1 ORDER BY ") + m_rowid;
        m_pageStmt.prepare(conn->db(), sql, conn->path,
                           doing(QStringLiteral("reading the table %1")));
    }

    clearAhead();
    m_aheadRowids.reserve(size_t(maxRows));
    m_aheadValues.reserve(size_t(maxRows) * m_pageColumns.size());
    m_aheadFromFirst = from == FirstRowid;
    m_pageStmt.bindInt64(1, from);
    const size_t columns = m_pageColumns.size();
    qint64 bytes = 0;
    m_aheadToEnd = false;
    while (int(m_aheadRowids.size()) < maxRows && bytes < PageBytes) {
        if (!m_pageStmt.step()) {
            m_aheadToEnd = true;
            break;
        }
        m_aheadRowids.push_back(m_pageStmt.columnInt64(0));
        for (size_t c = 0; c < columns; ++c) {
            const int column = int(c) + 1;
            m_aheadValues.push_back(m_pageStmt.columnValue(column));
            bytes += m_pageStmt.columnBytes16(column);
        }
    }
    // Resetting ends the read: no lock is held once the engine call returns.
    m_pageStmt.reset();
    m_pageGeneration = writeGeneration();
    m_pageReadAt = coarseNowMs();
    return aheadCount() > 0;
}

void RecordsetState::requireCurrent() const
{
    if (!m_onRecord)
        raise(errNoCurrentRecord, QStringLiteral("There is no current record in the table %1."));
    if (m_deleted)
        raise(errRecordDeleted,
              QStringLiteral("The current record of the table %1 has been deleted."));
}

QVariant RecordsetState::value(int index)
{
    checkField(index);
    const auto i = size_t(index);
    if (m_mode == Mode::AddNew || (m_mode == Mode::Edit && m_touched[i]))
        return m_buffer[i];
    requireCurrent();
    if (!m_readAhead[i]) {
        m_readAhead[i] = true;
        m_pageStmt.finalize(); // pages read from now on hold this field too
    }
    if (aheadIsFresh() && aheadFront() == m_current && m_pageHas[i])
        return aheadValue(index);
    // The record read whole by SetBookmark (or for an earlier field) answers without a page.
    if (rowIsFresh())
        return m_row[i];
    if (aheadCount() <= 1) {
        // Nothing is read ahead past this record: the page that the next move would read is
        // read now, from this record on and with this field, so that a walk asking for a
        // field costs one query per page.
        if (fetchFrom(m_current, PageRows) && aheadFront() == m_current)
            return aheadValue(index);
        // Another record set or program deleted it.
        m_deleted = true;
        requireCurrent();
    }
    // Other rows are read ahead without this field: the current record is read whole, once,
    // so that showing one record costs one query however many of its fields are asked for.
    if (!rowIsFresh())
        loadCurrentRow();
    return m_row[i];
}

void RecordsetState::setValue(int index, const QVariant &value)
{
    checkField(index);
    if (m_mode == Mode::None)
        raise(errUpdateWithoutEdit, QStringLiteral("A field of the table %1 can only be set "
                                                   "after AddNew or Edit."));
    m_buffer[size_t(index)] = value;
    m_touched[size_t(index)] = true;
}

void RecordsetState::moveFirst()
{
    ensureOpen();
    m_mode = Mode::None;
    m_deleted = false;
    // Rows just read from the first record (by the open, typically) are not read again.
    if (!(m_aheadFromFirst && m_aheadPos == 0 && aheadIsFresh()))
        fetchFrom(FirstRowid, PageRows);
    m_onRecord = aheadCount() > 0;
    if (!m_onRecord)
        raise(errNoCurrentRecord,
              QStringLiteral("There is no current record: the table %1 has no records."));
    m_current = aheadFront();
}

void RecordsetState::moveNext()
{
    ensureOpen();
    if (!m_onRecord)
        raise(errNoCurrentRecord, QStringLiteral("There is no current record: the end of the "
                                                 "table %1 has been reached."));
    m_mode = Mode::None;
    if (aheadIsFresh() && aheadCount() >= 2 && aheadFront() == m_current &&
        m_pageHas == m_readAhead) {
        ++m_aheadPos;
    } else if (m_current == LastRowid || !fetchFrom(m_current + 1, PageRows)) {
        clearAhead();
        m_onRecord = false;
        m_deleted = false;
        return;
    }
    m_current = aheadFront();
    m_deleted = false;
}

long RecordsetState::recordCount()
{
    ensureOpen();
    if (m_countGeneration != writeGeneration() && m_aheadFromFirst && m_aheadToEnd &&
        m_pageGeneration == writeGeneration() && youngerThanLifetime(m_pageReadAt)) {
        // The rows read ahead are the whole table, as fresh as a count would be.
        m_count = long(m_aheadRowids.size());
        m_countGeneration = m_pageGeneration;
    }
    if (m_countGeneration != writeGeneration()) {
        // Counted on first use, and again when something was written since. The table is
        // larger than a page of read-ahead: the walk that follows the count needs the room.
        conn->makeRoomForLargeTable();
        if (!m_countStmt.isPrepared())
            m_countStmt.prepare(
                conn->db(), QStringLiteral("SELECT count(*) FROM ") + quoteIdentifier(table),
                conn->path, doing(QStringLiteral("counting the records of the table %1")));
        const quint64 generation = writeGeneration();
        m_countStmt.step();
        m_count = long(m_countStmt.columnInt64(0));
        m_countStmt.reset();
        m_countGeneration = generation;
    }
    return m_count;
}

qint64 RecordsetState::bookmark() const
{
    ensureOpen();
    requireCurrent();
    return m_current;
}

void RecordsetState::setBookmark(qint64 rowid)
{
    ensureOpen();
    // One record is read, with every field: going to a record by its identity is a look at
    // that record, not the start of a walk.
    const qint64 before = m_current;
    m_current = rowid;
    try {
        loadCurrentRow();
    } catch (const Error &e) {
        m_current = before;
        m_deleted = false;
        if (e.number() != errRecordDeleted && e.number() != errNoCurrentRecord)
            throw;
        raise(errRecordDeleted, QStringLiteral("The table %1 has no record number ") +
                                    QString::number(rowid) + QLatin1Char('.'));
    }
    m_mode = Mode::None;
    m_onRecord = true;
    m_deleted = false;
    clearAhead();
}

qint64 RecordsetState::lastModified() const
{
    ensureOpen();
    if (!m_lastModified)
        raise(errNoCurrentRecord,
              QStringLiteral("No record of the table %1 was stored through this record set."));
    return *m_lastModified;
}

void RecordsetState::addNew()
{
    ensureOpen();
    m_mode = Mode::AddNew;
    m_buffer.assign(size_t(fields.size()), QVariant());
    m_touched.assign(size_t(fields.size()), false);
}

void RecordsetState::edit()
{
    ensureOpen();
    m_mode = Mode::None;
    requireCurrent();
    m_mode = Mode::Edit;
    m_buffer.assign(size_t(fields.size()), QVariant());
    m_touched.assign(size_t(fields.size()), false);
}

void RecordsetState::cancelUpdate()
{
    ensureOpen();
    if (m_mode == Mode::None)
        raise(errUpdateWithoutEdit,
              QStringLiteral("CancelUpdate without AddNew or Edit on the table %1."));
    m_mode = Mode::None;
}

void RecordsetState::validateBuffer() const
{
    // The whole buffer is checked before anything is written: one field too long and nothing
    // of the record is stored.
    for (int i = 0; i < fields.size(); ++i) {
        const Field &field = fields[i];
        const QVariant &v = m_buffer[size_t(i)];
        if (!m_touched[size_t(i)] || field.Type != dbText || !v.isValid() || v.isNull())
            continue;
        const int limit = field.Size > 0 ? field.Size : DefaultTextSize;
        const qsizetype length = v.toString().size();
        if (length > limit)
            throw Error(errFieldTooSmall,
                        QStringLiteral("The text for the field %1 of the table %2 is %3 "
                                       "characters long, but the field holds at most %4. "
                                       "Nothing was saved.")
                            .arg(quotedName(field.Name), quotedName(table), QString::number(length),
                                 QString::number(limit)));
    }
}

void RecordsetState::update()
{
    ensureOpen();
    if (m_mode == Mode::None)
        raise(errUpdateWithoutEdit,
              QStringLiteral("Update without AddNew or Edit on the table %1."));
    validateBuffer();
    if (m_mode == Mode::AddNew)
        storeNew();
    else
        storeEdit();
    m_mode = Mode::None;
    m_buffer.clear();
    m_touched.clear();
}

void RecordsetState::storeNew()
{
    const bool countFresh = m_countGeneration == writeGeneration();
    {
        WriteTransaction tx(*conn, doing(QStringLiteral("adding a record to the table %1")));
        if (!m_insertStmt.isPrepared()) {
            QString columns = m_rowid;
            QString values = QStringLiteral("?1");
            for (int i = 0; i < fields.size(); ++i) {
                columns += QStringLiteral(", ") + quoteIdentifier(fields[i].Name);
                values += QStringLiteral(", ?") + QString::number(i + 2);
            }
            m_insertStmt.prepare(
                conn->db(),
                QStringLiteral("INSERT INTO ") + quoteIdentifier(table) + QStringLiteral(" (") +
                    columns + QStringLiteral(") VALUES (") + values + QLatin1Char(')'),
                conn->path, doing(QStringLiteral("adding a record to the table %1")));
            m_maxStmt.prepare(conn->db(),
                              QStringLiteral("SELECT max(") + m_rowid + QStringLiteral(") FROM ") +
                                  quoteIdentifier(table),
                              conn->path, doing(QStringLiteral("adding a record to the table %1")));
        }
        // The new record goes after every other. SQLite would give a deleted last record's
        // number again; while that record is still current here, the new one must come after
        // it so that MoveNext from the deleted record reaches it.
        bool explicitRowid = false;
        if (m_onRecord && m_deleted && m_current < LastRowid) {
            const bool hasRows = m_maxStmt.step() && !m_maxStmt.columnIsNull(0);
            const qint64 max = hasRows ? m_maxStmt.columnInt64(0) : FirstRowid;
            m_maxStmt.reset();
            explicitRowid = !hasRows || max <= m_current;
        }
        if (explicitRowid)
            m_insertStmt.bindInt64(1, m_current + 1);
        else
            m_insertStmt.bindNull(1);
        for (int i = 0; i < fields.size(); ++i)
            m_insertStmt.bindValue(i + 2, m_touched[size_t(i)] ? m_buffer[size_t(i)] : QVariant());
        m_insertStmt.run();
        m_lastModified = m_insertStmt.lastInsertRowid();
        if (conn->textIndex.active())
            conn->textIndex.added(table, *m_lastModified, bufferedForIndex({}));
        if (conn->history.active())
            conn->history.added(table, fields, *m_lastModified);
        tx.commit();
    }
    if (countFresh) {
        ++m_count;
        m_countGeneration = writeGeneration();
    }
}

void RecordsetState::storeEdit()
{
    requireCurrent();
    if (std::none_of(m_touched.cbegin(), m_touched.cend(), [](bool t) { return t; }))
        return;
    WriteTransaction tx(*conn, doing(QStringLiteral("saving a record of the table %1")));
    const bool indexed = conn->textIndex.active();
    const IndexedFields before = indexed ? storedForIndex() : IndexedFields();
    if (!m_updateStmt.isPrepared()) {
        // One statement for every combination of changed fields: a field not set keeps its
        // stored value.
        QStringList sets;
        for (int i = 0; i < fields.size(); ++i) {
            const QString column = quoteIdentifier(fields[i].Name);
            sets.append(column + QStringLiteral(" = CASE WHEN ?") + QString::number(2 * i + 1) +
                        QStringLiteral(" THEN ?") + QString::number(2 * i + 2) +
                        QStringLiteral(" ELSE ") + column + QStringLiteral(" END"));
        }
        m_updateStmt.prepare(conn->db(),
                             QStringLiteral("UPDATE ") + quoteIdentifier(table) +
                                 QStringLiteral(" SET ") + sets.join(QStringLiteral(", ")) +
                                 QStringLiteral(" WHERE ") + m_rowid + QStringLiteral(" = ?") +
                                 QString::number(2 * fields.size() + 1),
                             conn->path, doing(QStringLiteral("saving a record of the table %1")));
    }
    for (int i = 0; i < fields.size(); ++i) {
        const bool touched = m_touched[size_t(i)];
        m_updateStmt.bindInt64(2 * i + 1, touched ? 1 : 0);
        m_updateStmt.bindValue(2 * i + 2, touched ? m_buffer[size_t(i)] : QVariant());
    }
    m_updateStmt.bindInt64(2 * int(fields.size()) + 1, m_current);
    const qint64 step = conn->history.active() ? conn->history.changing(table, fields, m_current)
                                               : 0;
    m_updateStmt.run();
    if (m_updateStmt.changes() == 0) {
        m_deleted = true;
        requireCurrent();
    }
    if (indexed)
        conn->textIndex.changed(table, m_current, before, bufferedForIndex(before));
    conn->history.changed(step, table, fields, m_current);
    m_lastModified = m_current;
    tx.commit();
}

void RecordsetState::deleteCurrent()
{
    ensureOpen();
    requireCurrent();
    m_mode = Mode::None;
    const bool countFresh = m_countGeneration == writeGeneration();
    {
        WriteTransaction tx(*conn, doing(QStringLiteral("deleting a record of the table %1")));
        const bool indexed = conn->textIndex.active();
        const IndexedFields before = indexed ? storedForIndex() : IndexedFields();
        if (!m_deleteStmt.isPrepared())
            m_deleteStmt.prepare(conn->db(),
                                 QStringLiteral("DELETE FROM ") + quoteIdentifier(table) +
                                     QStringLiteral(" WHERE ") + m_rowid + QStringLiteral(" = ?1"),
                                 conn->path,
                                 doing(QStringLiteral("deleting a record of the table %1")));
        m_deleteStmt.bindInt64(1, m_current);
        if (conn->history.active())
            conn->history.removing(table, fields, m_current);
        m_deleteStmt.run();
        if (m_deleteStmt.changes() == 0) {
            m_deleted = true;
            requireCurrent();
        }
        if (indexed)
            conn->textIndex.removed(table, m_current, before);
        tx.commit();
    }
    // The record stays current, as deleted, until the next move.
    m_deleted = true;
    if (countFresh) {
        --m_count;
        m_countGeneration = writeGeneration();
    }
}

IndexedFields RecordsetState::storedForIndex()
{
    if (!m_indexedStmt.isPrepared())
        m_indexedStmt.prepare(conn->db(),
                              TextIndexKeeper::selectSql(table, fields) +
                                  QStringLiteral(" WHERE ") + m_rowid + QStringLiteral(" = ?1"),
                              conn->path, doing(QStringLiteral("saving a record of the table %1")));
    m_indexedStmt.bindInt64(1, m_current);
    const IndexedFields stored =
        m_indexedStmt.step() ? TextIndexKeeper::fieldsOf(m_indexedStmt, 1) : IndexedFields();
    m_indexedStmt.reset();
    return stored;
}

IndexedFields RecordsetState::bufferedForIndex(const IndexedFields &stored) const
{
    IndexedFields values = stored;
    for (size_t i = 0; i < 4 && i < m_touched.size(); ++i) {
        if (m_touched[i])
            values[i] = m_buffer[i].toString();
    }
    return values;
}

} // namespace dao::detail
