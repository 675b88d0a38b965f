#include "Connection.h"

#include "Error.h"
#include "RecordsetState.h"

#include <atomic>

namespace dao::detail {

namespace {

std::atomic<quint64> g_writeGeneration{1};

void ensurePrepared(Statement &stmt, sqlite3 *db, const QString &sql, const QString &file,
                    const QString &doing)
{
    if (!stmt.isPrepared())
        stmt.prepare(db, sql, file, doing);
    stmt.setDoing(doing);
}

} // namespace

quint64 writeGeneration()
{
    return g_writeGeneration.load(std::memory_order_relaxed);
}

void bumpWriteGeneration()
{
    g_writeGeneration.fetch_add(1, std::memory_order_relaxed);
}

QString createTableSql(const QString &table, const QList<Field> &fields)
{
    QStringList columns;
    for (const Field &field : fields)
        columns.append(quoteIdentifier(field.Name) + QStringLiteral(" TEXT"));
    return QStringLiteral("CREATE TABLE ") + quoteIdentifier(table) + QStringLiteral(" (") +
           columns.join(QStringLiteral(", ")) + QLatin1Char(')');
}

bool isReservedTableName(const QString &name)
{
    return name.startsWith(QLatin1String("_kx_"), Qt::CaseInsensitive) ||
           name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive);
}

Connection::~Connection()
{
    close();
}

void Connection::ensureOpen() const
{
    if (closed)
        throw Error(errObjectClosed,
                    QStringLiteral("The database %1 is closed.").arg(quotedFile(path)));
}

void Connection::exec(const QString &sql, const QString &doing)
{
    Statement stmt;
    stmt.prepare(db(), sql, path, doing);
    stmt.run();
}

QStringList Connection::schemaObjectNames()
{
    ensureOpen();
    ensurePrepared(m_tablesStmt, db(), QStringLiteral("SELECT name, type, sql FROM sqlite_master"),
                   path, QStringLiteral("reading the list of tables"));
    QStringList names;
    while (m_tablesStmt.step())
        names.append(m_tablesStmt.columnText(0));
    m_tablesStmt.reset();
    return names;
}

QStringList Connection::tableNames(QHash<QString, QString> *sql)
{
    ensureOpen();
    ensurePrepared(m_tablesStmt, db(), QStringLiteral("SELECT name, type, sql FROM sqlite_master"),
                   path, QStringLiteral("reading the list of tables"));
    QStringList names;
    while (m_tablesStmt.step()) {
        if (m_tablesStmt.columnText(1) != QLatin1String("table"))
            continue;
        const QString name = m_tablesStmt.columnText(0);
        if (isReservedTableName(name))
            continue;
        names.append(name);
        if (sql)
            sql->insert(name, m_tablesStmt.columnText(2));
    }
    m_tablesStmt.reset();
    // A fixed, locale-independent order: the same file lists the same way everywhere.
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

QString Connection::resolveTable(const QString &name, QString *sql)
{
    ensureOpen();
    // The usual case, the name exactly as stored, is one look-up; only another spelling needs
    // the whole list.
    if (!isReservedTableName(name)) {
        ensurePrepared(m_exactTableStmt, db(),
                       QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND "
                                      "name = ?1"),
                       path, QStringLiteral("reading the list of tables"));
        m_exactTableStmt.bindText(1, name);
        const bool exact = m_exactTableStmt.step();
        if (exact && sql)
            *sql = m_exactTableStmt.columnText(0);
        m_exactTableStmt.reset();
        if (exact)
            return name;
    }
    QHash<QString, QString> texts;
    const QStringList names = tableNames(&texts);
    QString found;
    if (names.contains(name)) {
        found = name;
    } else {
        for (const QString &candidate : names) {
            if (QString::compare(candidate, name, Qt::CaseInsensitive) == 0) {
                found = candidate;
                break;
            }
        }
    }
    if (sql && !found.isEmpty())
        *sql = texts.value(found);
    return found;
}

QList<Field> Connection::fieldsOf(const QString &table, const QString &sql)
{
    ensureOpen();
    const QString doing =
        QStringLiteral("reading the fields of the table %1").arg(quotedName(table));

    // The bookkeeping says what each column was created as. When the table's stored CREATE
    // text is the one the engine writes for the bookkeeping's fields, the table has exactly
    // those columns: nothing else needs to be asked (asking SQLite for a table's columns
    // compiles a statement each time).
    if (!sql.isEmpty()) {
        ensurePrepared(m_bookkeepingStmt, db(),
                       QStringLiteral("SELECT position, name, type, size FROM _kx_fields "
                                      "WHERE table_name = ?1 ORDER BY position"),
                       path, doing);
        QList<Field> fields;
        bool described = true;
        m_bookkeepingStmt.bindText(1, table);
        while (m_bookkeepingStmt.step()) {
            if (m_bookkeepingStmt.columnInt64(0) != fields.size())
                described = false;
            Field field;
            field.Name = m_bookkeepingStmt.columnText(1);
            const int type = int(m_bookkeepingStmt.columnInt64(2));
            field.Type = type == dbText || type == dbMemo ? type : dbMemo;
            field.Size = field.Type == dbText ? int(m_bookkeepingStmt.columnInt64(3)) : 0;
            fields.append(field);
        }
        m_bookkeepingStmt.reset();
        if (described && !fields.isEmpty() && createTableSql(table, fields) == sql)
            return fields;
    }
    // The columns in order, each with what the bookkeeping says it was created as, in one
    // query. A column the bookkeeping does not describe (the table was made or altered by
    // another program) reads as Memo.
    ensurePrepared(m_columnsStmt, db(),
                   QStringLiteral("SELECT c.name, k.name, k.type, k.size "
                                  "FROM pragma_table_info(?1) AS c LEFT JOIN _kx_fields AS k "
                                  "ON k.table_name = ?1 AND k.position = c.cid ORDER BY c.cid"),
                   path, doing);

    QList<Field> fields;
    m_columnsStmt.bindText(1, table);
    while (m_columnsStmt.step()) {
        Field field;
        field.Name = m_columnsStmt.columnText(0);
        field.Type = dbMemo;
        field.Size = 0;
        const int type = int(m_columnsStmt.columnInt64(2));
        if (!m_columnsStmt.columnIsNull(1) && field.Name == m_columnsStmt.columnText(1) &&
            (type == dbText || type == dbMemo)) {
            field.Type = type;
            field.Size = type == dbText ? int(m_columnsStmt.columnInt64(3)) : 0;
        }
        fields.append(field);
    }
    m_columnsStmt.reset();
    return fields;
}

void Connection::checkWritable(const QString &doing) const
{
    ensureOpen();
    if (readOnly)
        throw Error(errReadOnly, QStringLiteral("The database %1 was opened read-only: %2 is "
                                                "not possible.")
                                     .arg(quotedFile(path), doing));
}

void Connection::prepareTransactions(const QString &doing)
{
    ensurePrepared(beginStmt, db(), QStringLiteral("BEGIN IMMEDIATE"), path, doing);
    ensurePrepared(commitStmt, db(), QStringLiteral("COMMIT"), path, doing);
    ensurePrepared(rollbackStmt, db(), QStringLiteral("ROLLBACK"), path, doing);
}

void Connection::close()
{
    if (closed)
        return;
    closed = true;
    // Record sets let go of their statements first; then the file is closed, which also
    // rolls back a transaction that was begun and never committed.
    const QList<RecordsetState *> open = recordsets;
    for (RecordsetState *state : open)
        state->release();
    recordsets.clear();
    m_tablesStmt.finalize();
    m_exactTableStmt.finalize();
    m_columnsStmt.finalize();
    m_bookkeepingStmt.finalize();
    beginStmt.finalize();
    commitStmt.finalize();
    rollbackStmt.finalize();
    const bool wrote = inUserTransaction;
    inUserTransaction = false;
    handle.close();
    if (wrote)
        bumpWriteGeneration();
}

// --- WriteTransaction ---------------------------------------------------------------------

WriteTransaction::WriteTransaction(Connection &connection, const QString &doing)
    : m_conn(connection)
{
    m_conn.checkWritable(doing);
    if (m_conn.inUserTransaction)
        return;
    m_conn.prepareTransactions(doing);
    m_conn.beginStmt.run();
    m_own = true;
}

WriteTransaction::~WriteTransaction()
{
    if (m_own && !m_done && m_conn.rollbackStmt.isPrepared()) {
        try {
            m_conn.rollbackStmt.run();
        } catch (const Error &) {
            // SQLite rolls back on its own when it cannot (for instance after an I/O error).
        }
    }
    bumpWriteGeneration();
}

void WriteTransaction::commit()
{
    if (m_own)
        m_conn.commitStmt.run();
    m_done = true;
}

} // namespace dao::detail
