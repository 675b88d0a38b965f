#pragma once

#include "Field.h"
#include "HistoryKeeper.h"
#include "Sqlite.h"
#include "TextIndexKeeper.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace dao::detail {

struct RecordsetState;

// Bumped by every write of any connection of this process. A record set that has rows read
// ahead drops them when it changes, so it never shows what another record set replaced.
quint64 writeGeneration();
void bumpWriteGeneration();

// The CREATE TABLE text this engine writes for a table: every column TEXT, in order. SQLite
// keeps it as written, so a table whose stored text is this one has exactly these columns.
QString createTableSql(const QString &table, const QList<Field> &fields);

// True for the names the engine keeps for itself ("_kx_..." and SQLite's "sqlite_..."): never
// listed, never taken as a table name.
bool isReservedTableName(const QString &name);

// The name that reaches the rowid of a table with these fields: a column may shadow "rowid" in
// a table made by another program, and SQLite offers two more names for the same thing. Empty
// when all three are taken.
QString rowidAlias(const QList<Field> &fields);

// One open database file, shared by the Database object and the record sets opened from it:
// the file stays open until the last of them is gone or Database::Close closes it.
struct Connection
{
    Connection(QString path, bool readOnly) : path(std::move(path)), readOnly(readOnly) {}
    ~Connection();
    Q_DISABLE_COPY_MOVE(Connection)

    SqliteHandle handle;
    QString path;
    bool readOnly = false;
    bool closed = false;
    bool inUserTransaction = false;
    bool inRead = false;           // between Database::BeginRead and EndRead
    qint64 readSchemaVersion = -1; // the schema's version as seen by the read, once asked
    bool largeCache = false;
    QList<RecordsetState *> recordsets; // open record sets, closed with the database
    TextIndexKeeper textIndex{*this};   // keeps the find index in step with the writes
    HistoryKeeper history{*this};       // records each change for undo, in its transaction

    // Raises errObjectClosed once the database was closed.
    void ensureOpen() const;
    sqlite3 *db() const { return handle.get(); }

    // Runs SQL text that holds no value from outside (pragmas, transaction control).
    void exec(const QString &sql, const QString &doing);
    // Sets a value of the file's own bookkeeping (_kx_meta).
    void setMeta(const QString &key, const QByteArray &value, const QString &doing);

    // Names of the user's tables, case-insensitive alphabetical order, ties by exact name;
    // with `sql`, also each one's CREATE TABLE text as stored.
    QStringList tableNames(QHash<QString, QString> *sql = nullptr, qint64 *version = nullptr);
    // Names of every object of the schema (tables, indexes, views, triggers), bookkeeping too.
    QStringList schemaObjectNames();
    // The stored name of the user's table that matches `name` without regard to case
    // (an exact match wins), or an empty string; `sql` gets its CREATE TABLE text as stored.
    QString resolveTable(const QString &name, QString *sql = nullptr);
    // The fields of a table as created; columns without bookkeeping read as Memo. `sql` is the
    // table's CREATE TABLE text as just read: when the bookkeeping describes exactly that
    // table, the fields come from the bookkeeping alone, without asking SQLite for the columns.
    QList<Field> fieldsOf(const QString &table, const QString &sql = QString());
    // resolveTable and fieldsOf together: the name exactly as stored, the usual case, takes
    // one query for both, or none beyond a look at the schema version when the tables were
    // listed with rememberFields since and the schema is unchanged. Empty when there is no such
    // table (fields untouched then).
    QString tableWithFields(const QString &name, QList<Field> *fields);
    // The fields of every table as just listed, with the schema version read with the list.
    void rememberFields(qint64 version, const QHash<QString, QList<Field>> &fields);
    // SQLite's schema version of the file now.
    qint64 schemaVersion();
    // The fields of every table the bookkeeping describes exactly, from one query; `sql` holds
    // the tables' CREATE texts as just read (tableNames). Other tables are left out.
    QHash<QString, QList<Field>> describedTables(const QHash<QString, QString> &sql);

    // Closes the file and every record set still open on it.
    void close();

    // Gives SQLite's page cache room for a large table (16 MiB instead of 2), once: a table too
    // large for one page of read-ahead is counted and then walked, and with the room the walk
    // finds in memory what the count read from disk. Small tables never ask for it, so a
    // database of many small ones keeps the small cache.
    void makeRoomForLargeTable();
    static constexpr int LargeTableCacheKiB = 16 * 1024;

    // Raises errReadOnly for a database opened read-only.
    void checkWritable(const QString &doing) const;
    // Transaction control used by WriteTransaction and Database::BeginTrans.
    void prepareTransactions(const QString &doing);
    Statement beginStmt;
    Statement commitStmt;
    Statement rollbackStmt;

private:
    Statement m_tablesStmt;
    Statement m_versionStmt;
    qint64 m_knownVersion = -1;
    QHash<QString, QList<Field>> m_knownFields;
    Statement m_exactTableStmt;
    Statement m_tableFieldsStmt;
    Statement m_columnsStmt;
    Statement m_bookkeepingStmt;
    Statement m_allBookkeepingStmt;
};

// One write: BEGIN IMMEDIATE (so that waiting for another program happens up front, under the
// busy timeout) and COMMIT, or ROLLBACK when left without commit(). Inside a transaction the
// user started with BeginTrans it does nothing of its own.
class WriteTransaction
{
public:
    WriteTransaction(Connection &connection, const QString &doing);
    ~WriteTransaction();
    Q_DISABLE_COPY_MOVE(WriteTransaction)

    void commit();

private:
    Connection &m_conn;
    bool m_own = false;
    bool m_done = false;
};

} // namespace dao::detail
