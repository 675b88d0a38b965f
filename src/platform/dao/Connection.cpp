#include "Connection.h"

#include "Error.h"
#include "RecordsetState.h"

#include <atomic>

namespace dao::detail {

namespace {

std::atomic<quint64> g_writeGeneration{1};

// One row of the bookkeeping: what a column was created as.
struct Bookkept
{
    qint64 position = 0;
    QString name;
    int type = 0;
    int size = 0;
};

Bookkept bookkeptAt(const Statement &stmt, int first)
{
    return {stmt.columnInt64(first), stmt.columnText(first + 1), int(stmt.columnInt64(first + 2)),
            int(stmt.columnInt64(first + 3))};
}

// The fields the bookkeeping rows give, when they describe exactly the table whose stored
// CREATE text is `sql`: then the table has exactly those columns, and nothing else needs to be
// asked (asking SQLite for a table's columns compiles a statement each time). Empty otherwise.
QList<Field> describedFields(const QString &table, const QString &sql, const QList<Bookkept> &rows)
{
    QList<Field> fields;
    for (const Bookkept &row : rows) {
        if (row.position != fields.size())
            return {};
        Field field;
        field.Name = row.name;
        field.Type = row.type == dbText || row.type == dbMemo ? row.type : dbMemo;
        field.Size = field.Type == dbText ? row.size : 0;
        fields.append(field);
    }
    if (fields.isEmpty() || sql.isEmpty() || createTableSql(table, fields) != sql)
        return {};
    return fields;
}

// The schema as one read: every object with its CREATE text, and the schema version it was
// read at (SQLite bumps it with every change of the schema, by any program).
QString tablesSql()
{
    return QStringLiteral("SELECT name, type, sql, (SELECT schema_version FROM "
                          "pragma_schema_version) FROM sqlite_master");
}

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

QString rowidAlias(const QList<Field> &fields)
{
    for (const char *alias : {"rowid", "_rowid_", "oid"}) {
        const QString name = QString::fromLatin1(alias);
        const bool shadowed = std::any_of(fields.cbegin(), fields.cend(), [&](const Field &f) {
            return QString::compare(f.Name, name, Qt::CaseInsensitive) == 0;
        });
        if (!shadowed)
            return name;
    }
    return QString();
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

void Connection::setMeta(const QString &key, const QByteArray &value, const QString &doing)
{
    Statement stmt;
    stmt.prepare(db(),
                 QStringLiteral("INSERT OR REPLACE INTO _kx_meta (key, value) VALUES (?1, ?2)"),
                 path, doing);
    stmt.bindText(1, key);
    stmt.bindBlob(2, value);
    stmt.run();
}

QStringList Connection::schemaObjectNames()
{
    ensureOpen();
    ensurePrepared(m_tablesStmt, db(), tablesSql(), path,
                   QStringLiteral("reading the list of tables"));
    QStringList names;
    while (m_tablesStmt.step())
        names.append(m_tablesStmt.columnText(0));
    m_tablesStmt.reset();
    return names;
}

QStringList Connection::tableNames(QHash<QString, QString> *sql, qint64 *version)
{
    ensureOpen();
    ensurePrepared(m_tablesStmt, db(), tablesSql(), path,
                   QStringLiteral("reading the list of tables"));
    QStringList names;
    while (m_tablesStmt.step()) {
        if (version)
            *version = m_tablesStmt.columnInt64(3);
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

void Connection::rememberFields(qint64 version, const QHash<QString, QList<Field>> &fields)
{
    m_knownVersion = version;
    m_knownFields = fields;
}

qint64 Connection::schemaVersion()
{
    // Within a read nobody can change the schema: it is asked once per read.
    if (inRead && readSchemaVersion >= 0)
        return readSchemaVersion;
    ensurePrepared(m_versionStmt, db(), QStringLiteral("PRAGMA schema_version"), path,
                   QStringLiteral("reading the list of tables"));
    const qint64 version = m_versionStmt.step() ? m_versionStmt.columnInt64(0) : -1;
    m_versionStmt.reset();
    if (inRead)
        readSchemaVersion = version;
    return version;
}

QString Connection::tableWithFields(const QString &name, QList<Field> *fields)
{
    ensureOpen();
    // The tables as last listed, while the schema is as it was then.
    const auto known = m_knownFields.constFind(name);
    if (known != m_knownFields.cend() && schemaVersion() == m_knownVersion) {
        *fields = *known;
        return name;
    }
    if (!isReservedTableName(name)) {
        ensurePrepared(m_tableFieldsStmt, db(),
                       QStringLiteral("SELECT m.sql, k.position, k.name, k.type, k.size "
                                      "FROM sqlite_master AS m LEFT JOIN _kx_fields AS k "
                                      "ON k.table_name = m.name "
                                      "WHERE m.type = 'table' AND m.name = ?1 ORDER BY k.position"),
                       path, QStringLiteral("reading the list of tables"));
        bool exact = false;
        QString sql;
        QList<Bookkept> rows;
        m_tableFieldsStmt.bindText(1, name);
        while (m_tableFieldsStmt.step()) {
            if (!exact)
                sql = m_tableFieldsStmt.columnText(0);
            exact = true;
            if (!m_tableFieldsStmt.columnIsNull(1))
                rows.append(bookkeptAt(m_tableFieldsStmt, 1));
        }
        m_tableFieldsStmt.reset();
        if (exact) {
            *fields = describedFields(name, sql, rows);
            if (fields->isEmpty())
                *fields = fieldsOf(name);
            return name;
        }
    }
    QString sql;
    const QString table = resolveTable(name, &sql);
    if (!table.isEmpty())
        *fields = fieldsOf(table, sql);
    return table;
}

QHash<QString, QList<Field>> Connection::describedTables(const QHash<QString, QString> &sql)
{
    ensureOpen();
    ensurePrepared(m_allBookkeepingStmt, db(),
                   QStringLiteral("SELECT table_name, position, name, type, size FROM _kx_fields "
                                  "ORDER BY table_name, position"),
                   path, QStringLiteral("reading the fields of the tables"));
    QHash<QString, QList<Bookkept>> rows;
    while (m_allBookkeepingStmt.step())
        rows[m_allBookkeepingStmt.columnText(0)].append(bookkeptAt(m_allBookkeepingStmt, 1));
    m_allBookkeepingStmt.reset();
    QHash<QString, QList<Field>> described;
    for (auto it = sql.cbegin(); it != sql.cend(); ++it) {
        const QList<Field> fields = describedFields(it.key(), it.value(), rows.value(it.key()));
        if (!fields.isEmpty())
            described.insert(it.key(), fields);
    }
    return described;
}

QList<Field> Connection::fieldsOf(const QString &table, const QString &sql)
{
    ensureOpen();
    const QString doing =
        QStringLiteral("reading the fields of the table %1").arg(quotedName(table));

    // The bookkeeping says what each column was created as; when it describes the table
    // exactly, that is all there is to know.
    if (!sql.isEmpty()) {
        ensurePrepared(m_bookkeepingStmt, db(),
                       QStringLiteral("SELECT position, name, type, size FROM _kx_fields "
                                      "WHERE table_name = ?1 ORDER BY position"),
                       path, doing);
        QList<Bookkept> rows;
        m_bookkeepingStmt.bindText(1, table);
        while (m_bookkeepingStmt.step())
            rows.append(bookkeptAt(m_bookkeepingStmt, 0));
        m_bookkeepingStmt.reset();
        const QList<Field> fields = describedFields(table, sql, rows);
        if (!fields.isEmpty())
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

void Connection::makeRoomForLargeTable()
{
    if (largeCache)
        return;
    exec(QStringLiteral("PRAGMA cache_size = -%1").arg(LargeTableCacheKiB),
         QStringLiteral("reading a large table"));
    largeCache = true;
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
    m_knownFields.clear();
    m_versionStmt.finalize();
    m_exactTableStmt.finalize();
    m_tableFieldsStmt.finalize();
    m_columnsStmt.finalize();
    m_bookkeepingStmt.finalize();
    m_allBookkeepingStmt.finalize();
    textIndex.reset();
    history.reset();
    beginStmt.finalize();
    commitStmt.finalize();
    rollbackStmt.finalize();
    const bool wrote = inUserTransaction;
    inUserTransaction = false;
    inRead = false;
    handle.close();
    if (wrote)
        bumpWriteGeneration();
}

// --- WriteTransaction ---------------------------------------------------------------------

WriteTransaction::WriteTransaction(Connection &connection, const QString &doing)
    : m_conn(connection)
{
    m_conn.checkWritable(doing);
    if (m_conn.inRead)
        throw Error(errEngine, QStringLiteral("The database %1 is being read as one piece: %2 "
                                              "must wait until the read ends.")
                                   .arg(quotedFile(m_conn.path), doing));
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
    if (m_own)
        m_conn.history.ended();
    bumpWriteGeneration();
}

void WriteTransaction::commit()
{
    if (m_own) {
        m_conn.history.finishing();
        m_conn.commitStmt.run();
    }
    m_done = true;
}

} // namespace dao::detail
