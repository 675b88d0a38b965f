#pragma once

#include "Field.h"
#include "Sqlite.h"

#include <QHash>
#include <QList>
#include <QString>

#include <array>
#include <memory>

namespace dao::detail {

struct Connection;

// The first four fields of a record as the index takes them.
using IndexedFields = std::array<QString, 4>;

// Keeps the find index of one connection in step with the writes made through it, inside
// their transaction (see TextIndex). Whether the file has an index of this version is looked
// up once per schema version.
//
// Records added inside a transaction the user began (BeginTrans: an import, a conversion) are
// indexed in groups rather than one by one: each group is written under one savepoint, which
// is what lets a failure of the index be undone without undoing the records, and SQLite's
// full-text index writes out what it holds at every savepoint, so one per record would make
// a batch of many small pieces. The group is written before it grows large, before any other
// change of the index and before the transaction commits; a rollback forgets it.
class TextIndexKeeper
{
public:
    explicit TextIndexKeeper(Connection &conn) : m_conn(conn) {}
    Q_DISABLE_COPY_MOVE(TextIndexKeeper)

    // Whether writes must keep an index: the file has one of this version.
    bool active();
    // After a record was added, changed or deleted; old values as they were before.
    void added(const QString &table, qint64 row, const IndexedFields &values);
    void changed(const QString &table, qint64 row, const IndexedFields &before,
                 const IndexedFields &after);
    void removed(const QString &table, qint64 row, const IndexedFields &before);
    // Before the table is dropped: its records leave the index.
    void droppingTable(const QString &table);

    // The statement that reads the rowid and first four fields of one record of the table
    // (bound as ?1), kept while the schema stays as it is; null when there is no such table.
    Statement *reader(const QString &table);

    // Indexes one record the index lacks (no hook saw it): used by the build.
    void index(const QString &table, qint64 row, const IndexedFields &values);
    // Indexes the records added and not indexed yet, in the caller's transaction: before the
    // transaction commits and before the index is read or built through this connection. What
    // a failure of another kind than damage to the index (locked, disk full) leaves unindexed
    // is tried again by the next call.
    void flush();
    // The transaction was rolled back: the records added in it are gone.
    void forgetPending()
    {
        m_pending.clear();
        m_pendingChars = 0;
    }
    // Forgets what it knows; the statements go before the file closes.
    void reset();

    static IndexedFields fieldsOf(const Statement &stmt, int firstColumn);
    // The SQL that reads a table's rowid and first four fields (NULL for those it lacks).
    static QString selectSql(const QString &table, const QList<Field> &fields);

    static const char *Version; // of the index's layout and of TextForIndex

    // An entry's number holds its record's table (by its number in _kx_find_tables) and row:
    // entry = table number × RowSpan + row. Rows outside 1..RowSpan-1, which only another
    // program writes, get entries of table number 0, listed in _kx_find_far.
    static constexpr qint64 RowSpan = qint64(1) << 40;
    static constexpr qint64 MaxTableNo = (qint64(1) << 22) - 1;
    static bool nearRow(qint64 row) { return row > 0 && row < RowSpan; }
    // The number of the table in _kx_find_tables; 0 when it has none and `add` is false.
    qint64 tableNo(const QString &table, bool add);

private:
    template <typename Fn> void guarded(Fn &&change);
    // The entry of the record: with `add`, the one it gets (it must not have one yet);
    // without, the one it has, 0 when it has none.
    qint64 entryOf(const QString &table, qint64 row, bool add);
    // Adds the entry, or with `remove` takes it out.
    void writeEntry(bool remove, qint64 entry, const QString &table, const IndexedFields &values);
    void markDamaged();

    Connection &m_conn;
    qint64 m_knownVersion = -1;
    bool m_active = false;
    Statement m_stampStmt;
    Statement m_tableNoStmt;
    Statement m_addTableStmt;
    Statement m_hasEntryStmt;
    Statement m_findFarStmt;
    Statement m_addFarStmt;
    Statement m_deleteFarStmt;
    Statement m_entryStmt;
    Statement m_deleteEntryStmt;
    Statement m_savepointStmt;
    Statement m_releaseStmt;
    Statement m_rollbackToStmt;
    struct Pending
    {
        QString table;
        qint64 row = 0;
        IndexedFields values;
    };
    QList<Pending> m_pending; // added in the user's transaction, not indexed yet
    qint64 m_pendingChars = 0;
    QHash<QString, std::shared_ptr<Statement>> m_readers;
    qint64 m_readersVersion = -1;
};

// Makes the empty index in the file, inside the caller's transaction; complete when the file
// has no records yet.
void createFindIndex(Connection &conn, bool complete);
// The bookkeeping tables of the index, as sqlite_master names them.
QStringList findIndexTables();

} // namespace dao::detail
