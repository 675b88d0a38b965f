#pragma once

#include "Field.h"
#include "Sqlite.h"

#include <QHash>
#include <QList>
#include <QString>

#include <memory>

namespace dao::detail {

struct Connection;

// What a step of the history did when it was recorded.
enum class StepKind
{
    Added = 1,
    Edited = 2,
    Deleted = 3,
    TableCreated = 4,
    TableDeleted = 5,
};

// How much history a file keeps: the newest changes, none older than maxAgeSeconds, and at most
// maxBytes of the text they hold (deleted records, records as they were before an edit, deleted
// tables). The oldest go first; the newest change is always kept.
struct HistoryLimits
{
    int maxChanges = 100;
    qint64 maxAgeSeconds = 30 * 24 * 3600;
    qint64 maxBytes = 20 * 1024 * 1024;
};
HistoryLimits historyLimits();
void setHistoryLimits(const HistoryLimits &limits);

// Keeps the undo history of one connection in step with the writes made through it, inside
// their transaction. Each outermost transaction that writes records is one change; its steps
// say, record by record and table by table, how to go back. The history lives in the
// bookkeeping tables _kx_undo (the changes) and _kx_undo_steps (their steps):
//
// - a step of a record holds the record's identity (table and row), whether the record is
//   there now (live) and a fingerprint of it then, and the other version of it (f0..f3, when
//   `other`): the record as it was before an edit or a deletion. An added record keeps no copy
//   of its text, only its fingerprint: the copy is made when it is undone.
// - a step of a table holds its name; while it is not there (deleted, or its creation undone)
//   the table itself is kept, renamed to parkedName(step).
//
// Undoing and redoing both swap each step's two versions (see History), so a step always says
// how to go the other way.
class HistoryKeeper
{
public:
    explicit HistoryKeeper(Connection &conn) : m_conn(conn) {}
    Q_DISABLE_COPY_MOVE(HistoryKeeper)

    // Whether writes are recorded: the file has a history of this version.
    bool active();

    // The hooks, called while active() inside the write's transaction.
    void added(const QString &table, const QList<Field> &fields, qint64 row);
    // Before an edit; changed() after it, given what changing() returned.
    qint64 changing(const QString &table, const QList<Field> &fields, qint64 row);
    void changed(qint64 step, const QString &table, const QList<Field> &fields, qint64 row);
    void removing(const QString &table, const QList<Field> &fields, qint64 row);
    void createdTable(const QString &table);
    // Instead of dropping the table: it is kept, renamed, as long as its deletion can be undone.
    void parkTable(const QString &table);

    // Before the outermost transaction commits: the change's size, and the limits kept.
    void finishing();
    // After the outermost transaction committed or rolled back.
    void ended() { m_change = 0; }
    // Forgets what it knows; the statements go before the file closes.
    void reset();

    // Drops changes and the tables they keep (inside the caller's transaction).
    void dropChanges(const QList<qint64> &changes);

    static QString parkedName(qint64 step);
    // The four expressions that read a table's first four fields (NULL for those it lacks),
    // and the one that reads its row number.
    static QStringList columnsOf(const QList<Field> &fields);
    // The SQL of the fingerprint of a record, and of a whole table with these fields.
    static QString fingerprintSql(const QList<Field> &fields);
    static QString tableFingerprintSql(const QString &table, const QList<Field> &fields);
    // The bytes of text of a record's four fields as SQL, for the size limit.
    static QString bytesSql(const QStringList &columns);

    static const char *Version;

private:
    struct TableStatements
    {
        Statement copy;  // a record into a new step, with its text
        Statement add;   // a new step of an added record, fingerprint only
        Statement stamp; // the fingerprint of a record into its step
    };
    template <typename Fn> void guarded(Fn &&record);
    qint64 change();
    // A step of a table, live (made) or parked (deleted); its id.
    qint64 tableStep(StepKind kind, const QString &table, bool live, qint64 bytes);
    TableStatements &statementsFor(const QString &table, const QList<Field> &fields);
    void copyRow(StepKind kind, const QString &table, const QList<Field> &fields, qint64 row,
                 bool live);
    void markDamaged();

    Connection &m_conn;
    qint64 m_knownVersion = -1;
    bool m_active = false;
    bool m_functionReady = false;
    qint64 m_change = 0;
    Statement m_stampStmt;
    Statement m_newChangeStmt;
    Statement m_tableStepStmt;
    QHash<QString, std::shared_ptr<TableStatements>> m_tables;
    qint64 m_tablesVersion = -1;
};

// Registers the fingerprint function kx_fp(...) on a connection (once per connection).
void registerFingerprint(Connection &conn);
// Makes the empty history in the file, inside the caller's transaction.
void createHistory(Connection &conn);
// The CREATE texts of the history's tables, as SQLite keeps them.
QStringList historyTablesSql();
// Drops the whole history, the tables it keeps too, and makes it again, empty (in a
// transaction of its own). For a history found damaged: the recipes are not touched.
void clearHistory(Connection &conn);
// Renames a table and its bookkeeping (parking it, or bringing it back).
void renameTable(Connection &conn, const QString &from, const QString &to);
// Drops a parked table, when there is one, and its bookkeeping.
void dropParked(Connection &conn, const QString &name);
// The bytes of text of a table's records, as the size limit counts them.
qint64 tableBytes(Connection &conn, const QString &table);
// Drops the oldest changes beyond the limits; the newest is always kept.
void trimHistory(Connection &conn, HistoryKeeper &keeper);

} // namespace dao::detail
