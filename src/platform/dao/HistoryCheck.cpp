// The look at a file's undo history when the program starts: made when missing, cleared when
// damaged. Nothing of it is trusted beyond what this look finds sound.
#include "History.h"

#include "Connection.h"
#include "Database.h"
#include "Error.h"
#include "HistoryKeeper.h"

#include <QHash>

namespace dao {

using detail::Connection;
using detail::Statement;

namespace {

const QString Doing = QStringLiteral("checking the undo history");

enum class Found
{
    None,
    Sound,
    Damaged,
};

qint64 countOf(Connection &conn, const QString &sql)
{
    Statement stmt;
    stmt.prepare(conn.db(), sql, conn.path, Doing);
    const qint64 count = stmt.step() ? stmt.columnInt64(0) : -1;
    stmt.reset();
    return count;
}

bool integrityOk(Connection &conn, const QString &table)
{
    Statement stmt;
    stmt.prepare(conn.db(), QStringLiteral("PRAGMA integrity_check(%1)").arg(table), conn.path,
                 Doing);
    const bool ok = stmt.step() && stmt.columnText(0) == QLatin1String("ok") && !stmt.step();
    stmt.reset();
    return ok;
}

// The history's stamp and the SQL of its tables, as far as the file has them.
struct Presence
{
    bool stamped = false;
    QByteArray version;
    QHash<QString, QString> sql;
    bool any() const { return stamped || !sql.isEmpty(); }
};

Presence presence(Connection &conn)
{
    Presence found;
    Statement stamp;
    stamp.prepare(conn.db(), QStringLiteral("SELECT value FROM _kx_meta WHERE key = 'history'"),
                  conn.path, Doing);
    found.stamped = stamp.step();
    if (found.stamped)
        found.version = stamp.columnBlob(0);
    stamp.reset();

    Statement schema;
    schema.prepare(conn.db(),
                   QStringLiteral("SELECT name, sql FROM sqlite_master WHERE name IN "
                                  "('_kx_undo', '_kx_undo_steps', '_kx_undo_steps_change')"),
                   conn.path, Doing);
    while (schema.step())
        found.sql.insert(schema.columnText(0), schema.columnText(1));
    schema.reset();
    return found;
}

Found inspect(Connection &conn)
{
    const Presence present = presence(conn);
    if (!present.any())
        return Found::None;
    if (present.version != QByteArray(detail::HistoryKeeper::Version))
        return Found::Damaged;
    const QStringList expected = detail::historyTablesSql();
    const QStringList names = {QStringLiteral("_kx_undo"), QStringLiteral("_kx_undo_steps"),
                               QStringLiteral("_kx_undo_steps_change")};
    for (int i = 0; i < names.size(); ++i) {
        if (present.sql.value(names[i]) != expected[i])
            return Found::Damaged;
    }
    if (!integrityOk(conn, names[0]) || !integrityOk(conn, names[1]))
        return Found::Damaged;
    // Steps that belong to no change or say what no step says, changes that cannot be undone
    // in order, and tables the history keeps that are not there.
    const qint64 wrong = countOf(
        conn,
        QStringLiteral(
            "SELECT (SELECT count(*) FROM _kx_undo_steps AS s WHERE kind NOT BETWEEN 1 AND 5 "
            "OR live NOT IN (0, 1) OR other NOT IN (0, 1) OR NOT EXISTS (SELECT 1 FROM "
            "_kx_undo AS c WHERE c.id = s.change) OR (kind >= 4 AND live = 0 AND NOT EXISTS "
            "(SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = '_kx_undo_t' || "
            "s.id))) + (SELECT count(*) FROM _kx_undo WHERE undone NOT IN (0, 1) OR NOT EXISTS "
            "(SELECT 1 FROM _kx_undo_steps WHERE change = _kx_undo.id)) + (SELECT count(*) "
            "FROM _kx_undo AS a JOIN _kx_undo AS b ON a.undone = 1 AND b.undone = 0 AND b.id > "
            "a.id)"));
    return wrong == 0 ? Found::Sound : Found::Damaged;
}

} // namespace

bool History::Check(Database &db)
{
    Connection &conn = *db.m_conn;
    conn.ensureOpen();
    Found found = Found::Damaged;
    try {
        found = inspect(conn);
    } catch (const Error &e) {
        if (e.number() != errDatabaseDamaged && e.number() != errEngine &&
            e.number() != errTableNotFound)
            throw;
    }
    if (found != Found::Damaged)
        return false;
    detail::clearHistory(conn);
    db.TableDefs().Refresh();
    return true;
}

void History::Ensure(Database &db)
{
    Connection &conn = *db.m_conn;
    conn.ensureOpen();
    // Only a missing history is made here; whether one that is there is sound is for Check.
    if (conn.history.active() || presence(conn).any())
        return;
    detail::clearHistory(conn);
}

} // namespace dao
