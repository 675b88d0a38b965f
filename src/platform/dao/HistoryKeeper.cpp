#include "HistoryKeeper.h"

#include "Connection.h"
#include "Error.h"

#include <sqlite3.h>

#include <QDateTime>

#include <cstring>

namespace dao::detail {

const char *HistoryKeeper::Version = "kx-undo-1";

namespace {

HistoryLimits g_limits;

const QString Doing = QStringLiteral("keeping the undo history");

void prepareOnce(Statement &stmt, Connection &conn, const QString &sql)
{
    if (!stmt.isPrepared())
        stmt.prepare(conn.db(), sql, conn.path, Doing);
}

// The fingerprint of a record: its row number and fields, each NULL told from every text. Any
// change of a field changes it but by a chance of one in two thousand million.
void fingerprint(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    quint64 h = 0x9E3779B97F4A7C15ull ^ quint64(argc);
    const auto mix = [&h](quint64 word) {
        h = (h ^ word) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    };
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            mix(0xFFFFFFFFFFFFFFFFull);
            continue;
        }
        const auto *bytes = static_cast<const unsigned char *>(sqlite3_value_text16(argv[i]));
        const int size = sqlite3_value_bytes16(argv[i]);
        int at = 0;
        for (; at + 8 <= size; at += 8) {
            quint64 word = 0;
            std::memcpy(&word, bytes + at, 8);
            mix(word);
        }
        quint64 tail = 0;
        if (at < size)
            std::memcpy(&tail, bytes + at, size_t(size - at));
        mix(tail ^ (quint64(size) << 48));
    }
    sqlite3_result_int64(context, qint64((h >> 33) & 0x7FFFFFFF));
}

} // namespace

HistoryLimits historyLimits()
{
    return g_limits;
}

void setHistoryLimits(const HistoryLimits &limits)
{
    g_limits = limits;
}

void registerFingerprint(Connection &conn)
{
    const int rc =
        sqlite3_create_function_v2(conn.db(), "kx_fp", -1, SQLITE_UTF16 | SQLITE_DETERMINISTIC,
                                   nullptr, fingerprint, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        raiseSqlite(rc, QString(), conn.path, Doing);
}

QStringList historyTablesSql()
{
    return {QStringLiteral("CREATE TABLE _kx_undo (id INTEGER PRIMARY KEY, at INTEGER NOT NULL, "
                           "undone INTEGER NOT NULL, bytes INTEGER NOT NULL)"),
            QStringLiteral("CREATE TABLE _kx_undo_steps (id INTEGER PRIMARY KEY, change INTEGER "
                           "NOT NULL, kind INTEGER NOT NULL, tbl TEXT NOT NULL, row INTEGER NOT "
                           "NULL, live INTEGER NOT NULL, fp INTEGER, other INTEGER NOT NULL, "
                           "f0, f1, f2, f3, bytes INTEGER NOT NULL)"),
            QStringLiteral("CREATE INDEX _kx_undo_steps_change ON _kx_undo_steps (change)")};
}

void createHistory(Connection &conn)
{
    for (const QString &sql : historyTablesSql())
        conn.exec(sql, Doing);
    conn.setMeta(QStringLiteral("history"), QByteArray(HistoryKeeper::Version), Doing);
}

void renameTable(Connection &conn, const QString &from, const QString &to)
{
    conn.exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2")
                  .arg(quoteIdentifier(from), quoteIdentifier(to)),
              Doing);
    Statement fields;
    fields.prepare(conn.db(),
                   QStringLiteral("UPDATE _kx_fields SET table_name = ?2 WHERE table_name = ?1"),
                   conn.path, Doing);
    fields.bindText(1, from);
    fields.bindText(2, to);
    fields.run();
}

void dropParked(Connection &conn, const QString &name)
{
    conn.exec(QStringLiteral("DROP TABLE IF EXISTS ") + quoteIdentifier(name), Doing);
    Statement fields;
    fields.prepare(conn.db(), QStringLiteral("DELETE FROM _kx_fields WHERE table_name = ?1"),
                   conn.path, Doing);
    fields.bindText(1, name);
    fields.run();
}

qint64 tableBytes(Connection &conn, const QString &table)
{
    Statement size;
    size.prepare(conn.db(),
                 QStringLiteral("SELECT coalesce(sum(%1), 0) FROM %2")
                     .arg(HistoryKeeper::bytesSql(HistoryKeeper::columnsOf(conn.fieldsOf(table))),
                          quoteIdentifier(table)),
                 conn.path, Doing);
    const qint64 bytes = size.step() ? size.columnInt64(0) : 0;
    size.reset();
    return bytes;
}

void trimHistory(Connection &conn, HistoryKeeper &keeper)
{
    const HistoryLimits limits = g_limits;
    const qint64 oldest = QDateTime::currentSecsSinceEpoch() - limits.maxAgeSeconds;
    Statement changes;
    changes.prepare(conn.db(),
                    QStringLiteral("SELECT id, at, bytes FROM _kx_undo ORDER BY id DESC"),
                    conn.path, Doing);
    QList<qint64> dropped;
    qint64 bytes = 0;
    for (int kept = 0; changes.step();) {
        const qint64 size = changes.columnInt64(2);
        const bool keep =
            kept == 0 || (dropped.isEmpty() && kept < limits.maxChanges &&
                          changes.columnInt64(1) >= oldest && bytes + size <= limits.maxBytes);
        if (keep) {
            ++kept;
            bytes += size;
        } else {
            dropped.append(changes.columnInt64(0));
        }
    }
    changes.reset();
    keeper.dropChanges(dropped);
}

void clearHistory(Connection &conn)
{
    WriteTransaction tx(conn, QStringLiteral("clearing the undo history"));
    Statement tables;
    tables.prepare(conn.db(),
                   QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND "
                                  "substr(name, 1, 8) = '_kx_undo'"),
                   conn.path, Doing);
    QStringList names;
    while (tables.step())
        names.append(tables.columnText(0));
    tables.reset();
    for (const QString &name : names)
        dropParked(conn, name);
    createHistory(conn);
    tx.commit();
    conn.history.reset();
}

QString HistoryKeeper::parkedName(qint64 step)
{
    return QStringLiteral("_kx_undo_t%1").arg(step);
}

QStringList HistoryKeeper::columnsOf(const QList<Field> &fields)
{
    QStringList columns;
    for (int i = 0; i < 4; ++i)
        columns.append(i < fields.size() ? quoteIdentifier(fields[i].Name)
                                         : QStringLiteral("NULL"));
    return columns;
}

QString HistoryKeeper::fingerprintSql(const QList<Field> &fields)
{
    return QStringLiteral("kx_fp(%1, %2)")
        .arg(rowidAlias(fields), columnsOf(fields).join(QStringLiteral(", ")));
}

QString HistoryKeeper::tableFingerprintSql(const QString &table, const QList<Field> &fields)
{
    return QStringLiteral("SELECT count(*), coalesce(sum(%1), 0) FROM %2")
        .arg(fingerprintSql(fields), quoteIdentifier(table));
}

QString HistoryKeeper::bytesSql(const QStringList &columns)
{
    QStringList parts;
    for (const QString &column : columns)
        parts.append(QStringLiteral("coalesce(length(CAST(%1 AS BLOB)), 0)").arg(column));
    return parts.join(QStringLiteral(" + "));
}

bool HistoryKeeper::active()
{
    const qint64 version = m_conn.schemaVersion();
    if (version == m_knownVersion)
        return m_active;
    prepareOnce(m_stampStmt, m_conn,
                QStringLiteral("SELECT (SELECT value FROM _kx_meta WHERE key = 'history'), "
                               "(SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                               "name IN ('_kx_undo', '_kx_undo_steps'))"));
    m_stampStmt.step();
    m_active = m_stampStmt.columnBlob(0) == QByteArray(Version) && m_stampStmt.columnInt64(1) == 2;
    m_stampStmt.reset();
    m_knownVersion = version;
    if (m_active && !m_functionReady) {
        registerFingerprint(m_conn);
        m_functionReady = true;
    }
    return m_active;
}

// History that cannot be written for damage to it does not keep the records from being stored:
// it is marked damaged, is no longer kept, and goes at the next check of the file. Any other
// failure (locked, disk full) fails the whole write.
template <typename Fn> void HistoryKeeper::guarded(Fn &&record)
{
    try {
        record();
    } catch (const Error &e) {
        if (e.number() != errDatabaseDamaged && e.number() != errEngine)
            throw;
        markDamaged();
    }
}

void HistoryKeeper::markDamaged()
{
    try {
        Statement mark;
        mark.prepare(m_conn.db(),
                     QStringLiteral("UPDATE _kx_meta SET value = 'damaged' WHERE key = 'history'"),
                     m_conn.path, Doing);
        mark.run();
    } catch (const Error &) {
        // The check of the file finds the history damaged all the same.
    }
    m_active = false;
    m_change = 0;
}

// The change this transaction makes, begun at its first step. A new change ends what could
// be redone.
qint64 HistoryKeeper::change()
{
    if (m_change != 0)
        return m_change;
    Statement redo;
    redo.prepare(m_conn.db(), QStringLiteral("SELECT id FROM _kx_undo WHERE undone = 1"),
                 m_conn.path, Doing);
    QList<qint64> undone;
    while (redo.step())
        undone.append(redo.columnInt64(0));
    redo.reset();
    if (!undone.isEmpty())
        dropChanges(undone);
    prepareOnce(m_newChangeStmt, m_conn,
                QStringLiteral("INSERT INTO _kx_undo (at, undone, bytes) VALUES (?1, 0, 0)"));
    m_newChangeStmt.bindInt64(1, QDateTime::currentSecsSinceEpoch());
    m_newChangeStmt.run();
    m_change = m_newChangeStmt.lastInsertRowid();
    return m_change;
}

HistoryKeeper::TableStatements &HistoryKeeper::statementsFor(const QString &table,
                                                             const QList<Field> &fields)
{
    const qint64 version = m_conn.schemaVersion();
    if (version != m_tablesVersion) {
        m_tables.clear();
        m_tablesVersion = version;
    }
    std::shared_ptr<TableStatements> &found = m_tables[table];
    if (!found) {
        auto made = std::make_shared<TableStatements>();
        const QStringList columns = columnsOf(fields);
        const QString rowid = rowidAlias(fields);
        const QString from =
            QStringLiteral(" FROM %1 WHERE %2 = ?5").arg(quoteIdentifier(table), rowid);
        made->copy.prepare(
            m_conn.db(),
            QStringLiteral("INSERT INTO _kx_undo_steps (change, kind, tbl, row, "
                           "live, other, f0, f1, f2, f3, bytes) SELECT ?1, ?2, "
                           "?3, %1, ?4, 1, %2, %3")
                    .arg(rowid, columns.join(QStringLiteral(", ")), bytesSql(columns)) +
                from,
            m_conn.path, Doing);
        made->add.prepare(m_conn.db(),
                          QStringLiteral("INSERT INTO _kx_undo_steps (change, kind, tbl, row, "
                                         "live, fp, other, bytes) SELECT ?1, ?2, ?3, %1, 1, %2, "
                                         "0, 0")
                                  .arg(rowid, fingerprintSql(fields)) +
                              from,
                          m_conn.path, Doing);
        made->stamp.prepare(m_conn.db(),
                            QStringLiteral("UPDATE _kx_undo_steps SET fp = (SELECT %1 FROM %2 "
                                           "WHERE %3 = ?2) WHERE id = ?1")
                                .arg(fingerprintSql(fields), quoteIdentifier(table), rowid),
                            m_conn.path, Doing);
        found = made;
    }
    return *found;
}

void HistoryKeeper::copyRow(StepKind kind, const QString &table, const QList<Field> &fields,
                            qint64 row, bool live)
{
    Statement &copy = statementsFor(table, fields).copy;
    copy.bindInt64(1, change());
    copy.bindInt64(2, qint64(kind));
    copy.bindText(3, table);
    copy.bindInt64(4, live ? 1 : 0);
    copy.bindInt64(5, row);
    copy.run();
}

void HistoryKeeper::added(const QString &table, const QList<Field> &fields, qint64 row)
{
    guarded([&] {
        Statement &add = statementsFor(table, fields).add;
        add.bindInt64(1, change());
        add.bindInt64(2, qint64(StepKind::Added));
        add.bindText(3, table);
        add.bindInt64(5, row);
        add.run();
    });
}

qint64 HistoryKeeper::changing(const QString &table, const QList<Field> &fields, qint64 row)
{
    qint64 step = 0;
    guarded([&] {
        copyRow(StepKind::Edited, table, fields, row, true);
        const Statement &copy = statementsFor(table, fields).copy;
        step = copy.changes() > 0 ? copy.lastInsertRowid() : 0;
    });
    return step;
}

void HistoryKeeper::changed(qint64 step, const QString &table, const QList<Field> &fields,
                            qint64 row)
{
    if (step == 0 || !m_active)
        return;
    guarded([&] {
        Statement &stamp = statementsFor(table, fields).stamp;
        stamp.bindInt64(1, step);
        stamp.bindInt64(2, row);
        stamp.run();
    });
}

void HistoryKeeper::removing(const QString &table, const QList<Field> &fields, qint64 row)
{
    guarded([&] { copyRow(StepKind::Deleted, table, fields, row, false); });
}

qint64 HistoryKeeper::tableStep(StepKind kind, const QString &table, bool live, qint64 bytes)
{
    prepareOnce(m_tableStepStmt, m_conn,
                QStringLiteral("INSERT INTO _kx_undo_steps (change, kind, tbl, row, live, fp, "
                               "other, bytes) VALUES (?1, ?2, ?3, 0, ?4, ?5, 0, ?6)"));
    m_tableStepStmt.bindInt64(1, change());
    m_tableStepStmt.bindInt64(2, qint64(kind));
    m_tableStepStmt.bindText(3, table);
    m_tableStepStmt.bindInt64(4, live ? 1 : 0);
    if (live)
        m_tableStepStmt.bindInt64(5, 0); // the fingerprint of an empty table
    else
        m_tableStepStmt.bindNull(5);
    m_tableStepStmt.bindInt64(6, bytes);
    m_tableStepStmt.run();
    return m_tableStepStmt.lastInsertRowid();
}

void HistoryKeeper::createdTable(const QString &table)
{
    guarded([&] { tableStep(StepKind::TableCreated, table, true, 0); });
}

void HistoryKeeper::parkTable(const QString &table)
{
    bool parked = false;
    guarded([&] {
        const qint64 step =
            tableStep(StepKind::TableDeleted, table, false, tableBytes(m_conn, table));
        renameTable(m_conn, table, parkedName(step));
        parked = true;
    });
    if (!parked)
        m_conn.exec(QStringLiteral("DROP TABLE ") + quoteIdentifier(table), Doing);
}

void HistoryKeeper::dropChanges(const QList<qint64> &changes)
{
    Statement parked;
    parked.prepare(m_conn.db(),
                   QStringLiteral("SELECT id FROM _kx_undo_steps WHERE change = ?1 AND kind IN "
                                  "(4, 5) AND live = 0"),
                   m_conn.path, Doing);
    Statement steps;
    steps.prepare(m_conn.db(), QStringLiteral("DELETE FROM _kx_undo_steps WHERE change = ?1"),
                  m_conn.path, Doing);
    Statement drop;
    drop.prepare(m_conn.db(), QStringLiteral("DELETE FROM _kx_undo WHERE id = ?1"), m_conn.path,
                 Doing);
    for (qint64 id : changes) {
        parked.bindInt64(1, id);
        QList<qint64> tables;
        while (parked.step())
            tables.append(parked.columnInt64(0));
        parked.reset();
        for (qint64 step : tables)
            dropParked(m_conn, parkedName(step));
        steps.bindInt64(1, id);
        steps.run();
        drop.bindInt64(1, id);
        drop.run();
    }
}

void HistoryKeeper::finishing()
{
    if (m_change == 0 || !m_active)
        return;
    guarded([&] {
        m_conn.exec(QStringLiteral("UPDATE _kx_undo SET bytes = (SELECT coalesce(sum(bytes), 0) "
                                   "FROM _kx_undo_steps WHERE change = %1) WHERE id = %1")
                        .arg(m_change),
                    Doing);
        trimHistory(m_conn, *this);
    });
}

void HistoryKeeper::reset()
{
    m_tables.clear();
    m_tablesVersion = -1;
    m_knownVersion = -1;
    m_active = false;
    m_functionReady = false;
    m_change = 0;
    for (Statement *stmt : {&m_stampStmt, &m_newChangeStmt, &m_tableStepStmt})
        stmt->finalize();
}

} // namespace dao::detail
