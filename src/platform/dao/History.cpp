#include "History.h"

#include "Connection.h"
#include "Database.h"
#include "Error.h"
#include "HistorySteps.h"

#include <algorithm>

namespace dao {

using detail::Connection;
using detail::HistoryKeeper;
using detail::HistoryStep;
using detail::Statement;
using detail::StepKind;

namespace {

const QString Doing = QStringLiteral("reading the undo history");

bool isHistoryDamage(const Error &e)
{
    return e.number() == errDatabaseDamaged || e.number() == errEngine;
}

// The change an undo (or a redo) takes: the newest done (the oldest undone); 0 when none.
qint64 nextChange(Connection &conn, bool undo)
{
    Statement stmt;
    stmt.prepare(conn.db(),
                 undo ? QStringLiteral("SELECT max(id) FROM _kx_undo WHERE undone = 0")
                      : QStringLiteral("SELECT min(id) FROM _kx_undo WHERE undone = 1"),
                 conn.path, Doing);
    const qint64 id = stmt.step() && !stmt.columnIsNull(0) ? stmt.columnInt64(0) : 0;
    stmt.reset();
    return id;
}

QList<HistoryStep> stepsOf(Connection &conn, qint64 change, bool undo)
{
    Statement stmt;
    stmt.prepare(conn.db(),
                 QStringLiteral("SELECT id, kind, tbl, row, live, fp, other, f0, f1, f2, f3 FROM "
                                "_kx_undo_steps WHERE change = ?1 ORDER BY id ") +
                     (undo ? QStringLiteral("DESC") : QStringLiteral("ASC")),
                 conn.path, Doing);
    stmt.bindInt64(1, change);
    QList<HistoryStep> steps;
    while (stmt.step()) {
        HistoryStep step;
        step.id = stmt.columnInt64(0);
        const qint64 kind = stmt.columnInt64(1);
        if (kind < qint64(StepKind::Added) || kind > qint64(StepKind::TableDeleted))
            throw Error(errDatabaseDamaged, QStringLiteral("The undo history of the database %1 "
                                                           "holds a step it cannot read.")
                                                .arg(detail::quotedFile(conn.path)));
        step.kind = StepKind(kind);
        step.table = stmt.columnText(2);
        step.row = stmt.columnInt64(3);
        step.live = stmt.columnInt64(4) != 0;
        if (!stmt.columnIsNull(5))
            step.fingerprint = stmt.columnInt64(5);
        step.other = stmt.columnInt64(6) != 0;
        for (int i = 0; i < 4; ++i)
            step.values[size_t(i)] = stmt.columnValue(7 + i);
        steps.append(step);
    }
    stmt.reset();
    return steps;
}

History::Kind kindOf(const QList<HistoryStep> &steps)
{
    const StepKind first = steps.first().kind;
    const bool same = std::all_of(steps.cbegin(), steps.cend(), [&](const HistoryStep &s) {
        return s.kind == first && s.table == steps.first().table;
    });
    if (same && first == StepKind::Deleted)
        return History::Kind::Deleted;
    if (steps.size() != 1)
        return History::Kind::Batch;
    switch (first) {
    case StepKind::Added:
        return History::Kind::Added;
    case StepKind::Edited:
        return History::Kind::Edited;
    case StepKind::TableCreated:
        return History::Kind::CategoryCreated;
    case StepKind::TableDeleted:
        return History::Kind::CategoryDeleted;
    default:
        return History::Kind::Deleted;
    }
}

History::Result run(Database &db, Connection &conn, bool undo)
{
    History::Result result;
    detail::WriteTransaction tx(conn, undo ? QStringLiteral("undoing the last change")
                                           : QStringLiteral("redoing the change undone"));
    if (!conn.history.active())
        return result;
    const qint64 change = nextChange(conn, undo);
    if (change == 0)
        return result;
    QList<HistoryStep> steps = stepsOf(conn, change, undo);
    if (steps.isEmpty())
        throw Error(errDatabaseDamaged, QStringLiteral("The undo history of the database %1 "
                                                       "holds a change without steps.")
                                            .arg(detail::quotedFile(conn.path)));
    detail::StepSwapper swapper(conn);
    for (HistoryStep &step : steps) {
        result.clash = swapper.swap(step);
        if (result.clash != History::Clash::None) {
            result.status = History::Status::Refused;
            result.clashCategory = swapper.clashCategory;
            result.clashName = swapper.clashName;
            return result; // the transaction rolls back: nothing was written
        }
        // The name of the change's first recipe: an undo reaches it last.
        if (!step.isTable() && (undo || result.name.isEmpty()))
            result.name = swapper.name;
    }
    Statement mark;
    mark.prepare(conn.db(),
                 QStringLiteral("UPDATE _kx_undo SET undone = ?2, bytes = (SELECT "
                                "coalesce(sum(bytes), 0) FROM _kx_undo_steps WHERE change = ?1) "
                                "WHERE id = ?1"),
                 conn.path, Doing);
    mark.bindInt64(1, change);
    mark.bindInt64(2, undo ? 1 : 0);
    mark.run();
    tx.commit();
    db.TableDefs().Refresh();

    // Oldest first, as the change made them.
    if (undo)
        std::reverse(steps.begin(), steps.end());
    result.status = History::Status::Done;
    result.kind = kindOf(steps);
    result.category = steps.first().table;
    result.count = int(std::count_if(steps.cbegin(), steps.cend(),
                                     [](const HistoryStep &s) { return !s.isTable(); }));
    if (result.kind == History::Kind::CategoryDeleted) {
        result.count = swapper.tableRows;
        result.row = undo ? swapper.firstRow : 0;
    }
    for (const HistoryStep &step : steps) {
        if (!step.isTable() && step.live && step.table == result.category) {
            result.row = step.row;
            break;
        }
    }
    return result;
}

History::Result runGuarded(Database &db, Connection &conn, bool undo)
{
    conn.ensureOpen();
    // An undo is a transaction of its own: inside another, a refusal could not take back what
    // it had begun.
    if (conn.inUserTransaction)
        throw Error(errEngine, QStringLiteral("A transaction is open on the database %1: the "
                                              "last change cannot be undone or redone inside it.")
                                   .arg(detail::quotedFile(conn.path)));
    try {
        return run(db, conn, undo);
    } catch (const Error &e) {
        if (!isHistoryDamage(e))
            throw;
    }
    detail::clearHistory(conn);
    History::Result lost;
    lost.status = History::Status::Lost;
    return lost;
}

} // namespace

bool History::CanUndo(Database &db)
{
    Connection &conn = *db.m_conn;
    conn.ensureOpen();
    return conn.history.active() && nextChange(conn, true) != 0;
}

bool History::CanRedo(Database &db)
{
    Connection &conn = *db.m_conn;
    conn.ensureOpen();
    return conn.history.active() && nextChange(conn, false) != 0;
}

History::Result History::Undo(Database &db)
{
    return runGuarded(db, *db.m_conn, true);
}

History::Result History::Redo(Database &db)
{
    return runGuarded(db, *db.m_conn, false);
}

void History::SetLimits(int maxChanges, qint64 maxBytes, qint64 maxAgeSeconds)
{
    detail::setHistoryLimits({maxChanges, maxAgeSeconds, maxBytes});
}

} // namespace dao
