#include "TextIndexKeeper.h"

#include "Connection.h"
#include "Error.h"
#include "TextFold.h"

namespace dao::detail {

const char *TextIndexKeeper::Version = "kx-find-2";

namespace {

// A group of records added in one transaction is indexed when it reaches either size: large
// enough that the savepoint's cost is spread thin, small enough to keep memory flat.
constexpr qsizetype PendingRows = 1000;
constexpr qint64 PendingChars = 4 << 20;

void prepareOnce(Statement &stmt, Connection &conn, const QString &sql)
{
    if (!stmt.isPrepared())
        stmt.prepare(conn.db(), sql, conn.path, QStringLiteral("keeping the find index"));
}

} // namespace

IndexedFields TextIndexKeeper::fieldsOf(const Statement &stmt, int firstColumn)
{
    IndexedFields values;
    for (int i = 0; i < 4; ++i)
        values[size_t(i)] = stmt.columnText(firstColumn + i);
    return values;
}

QString TextIndexKeeper::selectSql(const QString &table, const QList<Field> &fields)
{
    QString sql = QStringLiteral("SELECT ") + rowidAlias(fields) + QStringLiteral(" AS kx_row");
    for (int i = 0; i < 4; ++i)
        sql += QStringLiteral(", ") +
               (i < fields.size() ? quoteIdentifier(fields[i].Name) : QStringLiteral("NULL")) +
               QStringLiteral(" AS kx_f") + QString::number(i);
    return sql + QStringLiteral(" FROM ") + quoteIdentifier(table);
}

bool TextIndexKeeper::active()
{
    const qint64 version = m_conn.schemaVersion();
    if (version == m_knownVersion)
        return m_active;
    prepareOnce(m_stampStmt, m_conn,
                QStringLiteral("SELECT (SELECT value FROM _kx_meta WHERE key = 'find_index'), "
                               "(SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                               "name IN ('") +
                    findIndexTables().join(QStringLiteral("', '")) + QStringLiteral("'))"));
    m_stampStmt.step();
    m_active = m_stampStmt.columnBlob(0) == QByteArray(Version) &&
               m_stampStmt.columnInt64(1) == findIndexTables().size();
    m_stampStmt.reset();
    m_knownVersion = version;
    return m_active;
}

// An index change that fails for damage to the index does not keep the record from being
// stored: it is undone, and the index is marked for making again, in the same transaction.
// Any other failure (locked, disk full) fails the whole write.
template <typename Fn> void TextIndexKeeper::guarded(Fn &&change)
{
    prepareOnce(m_savepointStmt, m_conn, QStringLiteral("SAVEPOINT kx_find"));
    prepareOnce(m_releaseStmt, m_conn, QStringLiteral("RELEASE kx_find"));
    prepareOnce(m_rollbackToStmt, m_conn, QStringLiteral("ROLLBACK TO kx_find"));
    m_savepointStmt.run();
    try {
        change();
        m_releaseStmt.run();
    } catch (const Error &e) {
        m_rollbackToStmt.run();
        m_releaseStmt.run();
        if (e.number() != errDatabaseDamaged && e.number() != errEngine)
            throw;
        markDamaged();
    }
}

void TextIndexKeeper::markDamaged()
{
    Statement mark;
    mark.prepare(m_conn.db(),
                 QStringLiteral("UPDATE _kx_meta SET value = 'damaged' WHERE key = 'find_index'"),
                 m_conn.path, QStringLiteral("keeping the find index"));
    mark.run();
    m_active = false;
}

qint64 TextIndexKeeper::tableNo(const QString &table, bool add)
{
    prepareOnce(m_tableNoStmt, m_conn,
                QStringLiteral("SELECT no FROM _kx_find_tables WHERE tbl = ?1"));
    m_tableNoStmt.bindText(1, table);
    qint64 no = m_tableNoStmt.step() ? m_tableNoStmt.columnInt64(0) : 0;
    m_tableNoStmt.reset();
    if (no != 0 || !add)
        return no;
    prepareOnce(m_addTableStmt, m_conn,
                QStringLiteral("INSERT INTO _kx_find_tables (tbl) VALUES (?1)"));
    m_addTableStmt.bindText(1, table);
    m_addTableStmt.run();
    no = m_addTableStmt.lastInsertRowid();
    // Numbers are given from the highest up and those of dropped tables come back, so this
    // takes millions of categories; the index is then made again, numbered anew.
    if (no > MaxTableNo)
        throw Error(errEngine, QStringLiteral("The find index of %1 numbers no more tables.")
                                   .arg(quotedFile(m_conn.path)));
    return no;
}

qint64 TextIndexKeeper::entryOf(const QString &table, qint64 row, bool add)
{
    if (nearRow(row)) {
        const qint64 no = tableNo(table, add);
        if (no == 0)
            return 0;
        const qint64 entry = no * RowSpan + row;
        if (add)
            return entry;
        // SQLite's full-text index keeps the sizes of each entry it holds, under its number.
        prepareOnce(m_hasEntryStmt, m_conn,
                    QStringLiteral("SELECT 1 FROM _kx_find_docsize WHERE id = ?1"));
        m_hasEntryStmt.bindInt64(1, entry);
        const bool has = m_hasEntryStmt.step();
        m_hasEntryStmt.reset();
        return has ? entry : 0;
    }
    if (!add) {
        prepareOnce(m_findFarStmt, m_conn,
                    QStringLiteral("SELECT doc FROM _kx_find_far WHERE tbl = ?1 AND row = ?2"));
        m_findFarStmt.bindText(1, table);
        m_findFarStmt.bindInt64(2, row);
        const qint64 found = m_findFarStmt.step() ? m_findFarStmt.columnInt64(0) : 0;
        m_findFarStmt.reset();
        return found;
    }
    // A record listed already is refused (the table's rule), as SQLite refuses a second
    // entry under one number.
    prepareOnce(m_addFarStmt, m_conn,
                QStringLiteral("INSERT INTO _kx_find_far (tbl, row) VALUES (?1, ?2)"));
    m_addFarStmt.bindText(1, table);
    m_addFarStmt.bindInt64(2, row);
    m_addFarStmt.run();
    const qint64 entry = m_addFarStmt.lastInsertRowid();
    if (entry >= RowSpan)
        throw Error(errEngine, QStringLiteral("The find index of %1 numbers no more records.")
                                   .arg(quotedFile(m_conn.path)));
    return entry;
}

// The index keeps no copy of the text: an entry leaves it by being given again exactly as it
// was indexed, which the record's values before the change are.
void TextIndexKeeper::writeEntry(bool remove, qint64 entry, const QString &table,
                                 const IndexedFields &values)
{
    Statement &stmt = remove ? m_deleteEntryStmt : m_entryStmt;
    prepareOnce(stmt, m_conn,
                remove ? QStringLiteral("INSERT INTO _kx_find (_kx_find, rowid, f0, f1, f2, f3, "
                                        "tbl) VALUES ('delete', ?1, ?2, ?3, ?4, ?5, ?6)")
                       : QStringLiteral("INSERT INTO _kx_find (rowid, f0, f1, f2, f3, tbl) "
                                        "VALUES (?1, ?2, ?3, ?4, ?5, ?6)"));
    stmt.bindInt64(1, entry);
    for (int i = 0; i < 4; ++i)
        stmt.bindText(i + 2, TextForIndex(values[size_t(i)]));
    stmt.bindText(6, TextForIndex(table));
    stmt.run();
}

void TextIndexKeeper::index(const QString &table, qint64 row, const IndexedFields &values)
{
    writeEntry(false, entryOf(table, row, true), table, values);
}

void TextIndexKeeper::added(const QString &table, qint64 row, const IndexedFields &values)
{
    if (!m_conn.inUserTransaction) {
        guarded([&] { index(table, row, values); });
        return;
    }
    m_pending.append({table, row, values});
    for (const QString &value : values)
        m_pendingChars += value.size();
    if (m_pending.size() >= PendingRows || m_pendingChars >= PendingChars)
        flush();
}

void TextIndexKeeper::flush()
{
    if (m_pending.isEmpty())
        return;
    // An index dropped or marked damaged since has nothing to be kept in step.
    if (!active()) {
        forgetPending();
        return;
    }
    guarded([&] {
        for (const Pending &p : std::as_const(m_pending))
            index(p.table, p.row, p.values);
    });
    forgetPending();
}

void TextIndexKeeper::changed(const QString &table, qint64 row, const IndexedFields &before,
                              const IndexedFields &after)
{
    if (before == after)
        return;
    flush();
    guarded([&] {
        // A record the index does not hold yet is left to the build, which reads it as it is.
        const qint64 entry = entryOf(table, row, false);
        if (entry == 0)
            return;
        writeEntry(true, entry, table, before);
        writeEntry(false, entry, table, after);
    });
}

void TextIndexKeeper::removed(const QString &table, qint64 row, const IndexedFields &before)
{
    flush();
    guarded([&] {
        const qint64 entry = entryOf(table, row, false);
        if (entry == 0)
            return;
        writeEntry(true, entry, table, before);
        if (nearRow(row))
            return;
        prepareOnce(m_deleteFarStmt, m_conn,
                    QStringLiteral("DELETE FROM _kx_find_far WHERE doc = ?1"));
        m_deleteFarStmt.bindInt64(1, entry);
        m_deleteFarStmt.run();
    });
}

void TextIndexKeeper::droppingTable(const QString &table)
{
    flush();
    const QList<Field> fields = m_conn.fieldsOf(table);
    if (rowidAlias(fields).isEmpty())
        return; // never indexed
    guarded([&] {
        const QString doing = QStringLiteral("keeping the find index");
        Statement records;
        records.prepare(m_conn.db(), selectSql(table, fields), m_conn.path, doing);
        while (records.step()) {
            const qint64 entry = entryOf(table, records.columnInt64(0), false);
            if (entry != 0)
                writeEntry(true, entry, table, fieldsOf(records, 1));
        }
        records.reset();
        for (const char *sql : {"DELETE FROM _kx_find_far WHERE tbl = ?1",
                                "DELETE FROM _kx_find_tables WHERE tbl = ?1"}) {
            Statement forget;
            forget.prepare(m_conn.db(), QString::fromLatin1(sql), m_conn.path, doing);
            forget.bindText(1, table);
            forget.run();
        }
    });
}

Statement *TextIndexKeeper::reader(const QString &table)
{
    const qint64 version = m_conn.schemaVersion();
    if (version != m_readersVersion) {
        m_readers.clear();
        m_readersVersion = version;
    }
    std::shared_ptr<Statement> &stmt = m_readers[table];
    if (!stmt) {
        QList<Field> fields;
        if (m_conn.tableWithFields(table, &fields).isEmpty() || rowidAlias(fields).isEmpty()) {
            m_readers.remove(table);
            return nullptr;
        }
        stmt = std::make_shared<Statement>();
        stmt->prepare(m_conn.db(),
                      selectSql(table, fields) + QStringLiteral(" WHERE ") + rowidAlias(fields) +
                          QStringLiteral(" = ?1"),
                      m_conn.path, QStringLiteral("finding recipes"));
    }
    return stmt.get();
}

void TextIndexKeeper::reset()
{
    forgetPending();
    m_readers.clear();
    m_readersVersion = -1;
    m_knownVersion = -1;
    m_active = false;
    for (Statement *stmt :
         {&m_stampStmt, &m_tableNoStmt, &m_addTableStmt, &m_hasEntryStmt, &m_findFarStmt,
          &m_addFarStmt, &m_deleteFarStmt, &m_entryStmt, &m_deleteEntryStmt, &m_savepointStmt,
          &m_releaseStmt, &m_rollbackToStmt})
        stmt->finalize();
}

} // namespace dao::detail
