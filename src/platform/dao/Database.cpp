#include "Database.h"

#include "Connection.h"
#include "Error.h"
#include "Names.h"
#include "RecordsetState.h"
#include "Sqlite.h"

namespace dao {

using detail::quotedFile;
using detail::quotedName;
using detail::quoteIdentifier;

namespace {

// A transaction or a read begins only on an open database without either.
void ensureNoTransaction(const detail::Connection &conn)
{
    conn.ensureOpen();
    if (conn.inUserTransaction || conn.inRead)
        throw Error(errEngine, QStringLiteral("A transaction is open already on the database %1; "
                                              "transactions do not nest.")
                                   .arg(quotedFile(conn.path)));
}

// Ends the read begun by BeginRead; the database counts as no longer reading even when SQLite
// refuses, and the file's closing then ends the read.
void endRead(detail::Connection &conn)
{
    conn.inRead = false;
    conn.exec(QStringLiteral("COMMIT"), QStringLiteral("ending a read of it"));
}

} // namespace

// --- TableDefCollection -------------------------------------------------------------------

void TableDefCollection::ensureLoaded() const
{
    detail::Connection &conn = *m_db->m_conn;
    conn.ensureOpen();
    if (m_loaded)
        return;
    QList<TableDef> defs;
    QHash<QString, QString> sql;
    qint64 version = -1;
    const QStringList names = conn.tableNames(&sql, &version);
    QHash<QString, QList<Field>> fields = conn.describedTables(sql);
    for (const QString &name : names) {
        TableDef def(name);
        auto known = fields.find(name);
        if (known == fields.end())
            known = fields.insert(name, conn.fieldsOf(name));
        def.Fields().m_fields = *known;
        defs.append(def);
    }
    // Record sets opened on these tables take their fields from here while the schema stays.
    conn.rememberFields(version, fields);
    m_defs = defs;
    m_loaded = true;
}

int TableDefCollection::Count() const
{
    ensureLoaded();
    return int(m_defs.size());
}

const TableDef &TableDefCollection::operator[](int index) const
{
    ensureLoaded();
    if (index < 0 || index >= m_defs.size())
        throw Error(errItemNotFound,
                    QStringLiteral("The database %1 has no table number %2; it has %3 tables.")
                        .arg(quotedFile(m_db->Name()), QString::number(index),
                             QString::number(m_defs.size())));
    return m_defs.at(index);
}

const TableDef &TableDefCollection::Item(const QString &name) const
{
    ensureLoaded();
    for (const TableDef &def : m_defs) {
        if (def.Name() == name)
            return def;
    }
    for (const TableDef &def : m_defs) {
        if (QString::compare(def.Name(), name, Qt::CaseInsensitive) == 0)
            return def;
    }
    throw Error(errItemNotFound, QStringLiteral("The database %1 has no table %2.")
                                     .arg(quotedFile(m_db->Name()), quotedName(name)));
}

QList<TableDef>::const_iterator TableDefCollection::begin() const
{
    ensureLoaded();
    return m_defs.cbegin();
}

QList<TableDef>::const_iterator TableDefCollection::end() const
{
    ensureLoaded();
    return m_defs.cend();
}

void TableDefCollection::Append(const TableDef &def)
{
    detail::Connection &conn = *m_db->m_conn;
    conn.ensureOpen();
    const QString name = def.Name();
    detail::validateTableName(name);
    const QList<Field> fields(def.Fields().begin(), def.Fields().end());
    detail::validateFields(fields, name);

    const QString doing = QStringLiteral("creating the table %1").arg(quotedName(name));
    detail::WriteTransaction tx(conn, doing);
    // SQLite compares names without regard to case for ASCII letters only; the engine
    // promises it for every letter, and for indexes and views as well.
    for (const QString &existing : conn.schemaObjectNames()) {
        if (QString::compare(existing, name, Qt::CaseInsensitive) == 0)
            throw Error(errTableExists, QStringLiteral("The database %1 has a table %2 already.")
                                            .arg(quotedFile(conn.path), quotedName(existing)));
    }

    conn.exec(detail::createTableSql(name, fields), doing);

    detail::Statement record;
    record.prepare(conn.db(),
                   QStringLiteral("INSERT INTO _kx_fields (table_name, position, name, type, "
                                  "size) VALUES (?1, ?2, ?3, ?4, ?5)"),
                   conn.path, doing);
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const Field &field = def.Fields()[int(i)];
        record.bindText(1, name);
        record.bindInt64(2, i);
        record.bindText(3, field.Name);
        record.bindInt64(4, field.Type);
        record.bindInt64(5, field.Type == dbText ? field.Size : 0);
        record.run();
    }
    tx.commit();
    m_loaded = false;
}

void TableDefCollection::Delete(const QString &name)
{
    detail::Connection &conn = *m_db->m_conn;
    conn.ensureOpen();
    const QString doing = QStringLiteral("deleting the table %1").arg(quotedName(name));
    detail::WriteTransaction tx(conn, doing);
    const QString table = conn.resolveTable(name);
    if (table.isEmpty())
        throw Error(errTableNotFound, QStringLiteral("The database %1 has no table %2.")
                                          .arg(quotedFile(conn.path), quotedName(name)));
    if (conn.textIndex.active())
        conn.textIndex.droppingTable(table);
    conn.exec(QStringLiteral("DROP TABLE ") + quoteIdentifier(table), doing);
    detail::Statement forget;
    forget.prepare(conn.db(), QStringLiteral("DELETE FROM _kx_fields WHERE table_name = ?1"),
                   conn.path, doing);
    forget.bindText(1, table);
    forget.run();
    tx.commit();
    m_loaded = false;
}

void TableDefCollection::Refresh()
{
    m_db->m_conn->ensureOpen();
    m_loaded = false;
}

// --- Database -----------------------------------------------------------------------------

Database::Database(std::shared_ptr<detail::Connection> connection) : m_conn(std::move(connection))
{
}

// The connection is shared with the record sets: the file closes when the last user is gone.
Database::~Database() = default;

QString Database::Name() const
{
    return m_conn->path;
}

TableDefCollection &Database::TableDefs()
{
    m_conn->ensureOpen();
    return m_tableDefs;
}

std::unique_ptr<Recordset> Database::OpenRecordset(const QString &name)
{
    m_conn->ensureOpen();
    QList<Field> fields;
    const QString table = m_conn->tableWithFields(name, &fields);
    if (table.isEmpty())
        throw Error(errTableNotFound, QStringLiteral("The database %1 has no table %2.")
                                          .arg(quotedFile(m_conn->path), quotedName(name)));
    auto state = std::make_unique<detail::RecordsetState>(m_conn, table, std::move(fields));
    state->open();
    return std::unique_ptr<Recordset>(new Recordset(std::move(state)));
}

void Database::Close()
{
    m_conn->ensureOpen();
    m_conn->close();
}

void Database::BeginTrans()
{
    ensureNoTransaction(*m_conn);
    const QString doing = QStringLiteral("starting a transaction");
    m_conn->checkWritable(doing);
    m_conn->prepareTransactions(doing);
    m_conn->beginStmt.run();
    m_conn->inUserTransaction = true;
}

void Database::CommitTrans()
{
    m_conn->ensureOpen();
    if (!m_conn->inUserTransaction)
        throw Error(errNoTransaction,
                    QStringLiteral("CommitTrans without BeginTrans on the database %1.")
                        .arg(quotedFile(m_conn->path)));
    m_conn->textIndex.flush();
    m_conn->commitStmt.run();
    m_conn->inUserTransaction = false;
    detail::bumpWriteGeneration();
}

void Database::Rollback()
{
    m_conn->ensureOpen();
    if (!m_conn->inUserTransaction)
        throw Error(errNoTransaction, QStringLiteral("Rollback without BeginTrans on the database "
                                                     "%1.")
                                          .arg(quotedFile(m_conn->path)));
    m_conn->rollbackStmt.run();
    m_conn->inUserTransaction = false;
    m_conn->textIndex.forgetPending();
    m_tableDefs.m_loaded = false; // tables appended or deleted since BeginTrans are undone
    detail::bumpWriteGeneration();
}

void Database::BeginRead()
{
    ensureNoTransaction(*m_conn);
    // The lock is taken by the first read and kept until EndRead.
    m_conn->exec(QStringLiteral("BEGIN DEFERRED"), QStringLiteral("starting to read it"));
    m_conn->inRead = true;
    m_conn->readSchemaVersion = -1;
}

void Database::EndRead()
{
    m_conn->ensureOpen();
    if (!m_conn->inRead)
        throw Error(errNoTransaction, QStringLiteral("EndRead without BeginRead on the database "
                                                     "%1.")
                                          .arg(quotedFile(m_conn->path)));
    endRead(*m_conn);
}

ReadScope::ReadScope(Database &db) : m_conn(db.m_conn)
{
    db.BeginRead();
}

ReadScope::~ReadScope()
{
    if (m_conn->closed || !m_conn->inRead)
        return;
    try {
        endRead(*m_conn);
    } catch (const Error &) {
        // The file's closing ends it.
    }
}

} // namespace dao
