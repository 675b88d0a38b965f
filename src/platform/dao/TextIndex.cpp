#include "TextIndex.h"

#include "Connection.h"
#include "Database.h"
#include "Error.h"

#include <QElapsedTimer>
#include <QHash>

#include <limits>
#include <optional>

namespace dao {

using detail::Connection;
using detail::Statement;
using detail::TextIndexKeeper;
using detail::WriteTransaction;

namespace {

const QString Doing = QStringLiteral("making the find index");

struct Stamp
{
    bool tables = false;
    QByteArray version;
    QByteArray complete;
};

Stamp readStamp(Connection &conn)
{
    Statement stmt;
    stmt.prepare(conn.db(),
                 QStringLiteral("SELECT (SELECT count(*) FROM sqlite_master WHERE type = 'table' "
                                "AND name IN ('_kx_find', '_kx_find_docs')), "
                                "(SELECT value FROM _kx_meta WHERE key = 'find_index'), "
                                "(SELECT value FROM _kx_meta WHERE key = 'find_complete')"),
                 conn.path, QStringLiteral("looking at the find index"));
    stmt.step();
    return {stmt.columnInt64(0) == 2, stmt.columnBlob(1), stmt.columnBlob(2)};
}

TextIndex::State stateOf(const Stamp &stamp)
{
    if (!stamp.tables || stamp.version != QByteArray(TextIndexKeeper::Version))
        return TextIndex::State::Missing;
    return stamp.complete == "1" ? TextIndex::State::Current : TextIndex::State::Incomplete;
}

void setMeta(Connection &conn, const QString &key, const QByteArray &value)
{
    Statement stmt;
    stmt.prepare(conn.db(),
                 QStringLiteral("INSERT OR REPLACE INTO _kx_meta (key, value) VALUES (?1, ?2)"),
                 conn.path, Doing);
    stmt.bindText(1, key);
    stmt.bindBlob(2, value);
    stmt.run();
}

void dropTables(Connection &conn)
{
    conn.exec(QStringLiteral("DROP TABLE IF EXISTS _kx_find"), Doing);
    conn.exec(QStringLiteral("DROP TABLE IF EXISTS _kx_find_docs"), Doing);
    conn.exec(QStringLiteral("DELETE FROM _kx_meta WHERE key IN ('find_index', 'find_complete')"),
              Doing);
}

qint64 scalar(Connection &conn, const QString &sql, const QString &table = QString())
{
    Statement stmt;
    stmt.prepare(conn.db(), sql, conn.path, Doing);
    if (!table.isNull())
        stmt.bindText(1, table);
    const qint64 value = stmt.step() ? stmt.columnInt64(0) : 0;
    stmt.reset();
    return value;
}

// How many records the build will index, estimated from the span of each table's row numbers
// (counting them would read every table once more).
qint64 estimateRemaining(Connection &conn, const QStringList &tables)
{
    qint64 span = 0;
    for (const QString &table : tables) {
        const QString rowid = detail::rowidAlias(conn.fieldsOf(table));
        if (rowid.isEmpty())
            continue;
        span += scalar(conn, QStringLiteral("SELECT ifnull(max(%1) - min(%1) + 1, 0) FROM %2")
                                 .arg(rowid, detail::quoteIdentifier(table)));
    }
    const qint64 indexed = scalar(conn, QStringLiteral("SELECT count(*) FROM _kx_find_docs"));
    return qMax<qint64>(0, span - indexed);
}

// Indexes up to batchRows records of the table the index lacks, after row `after`, in one
// transaction; how many, and the last row reached. -1 when the index went away meanwhile.
qint64 indexBatch(Connection &conn, const QString &table, const QList<Field> &fields, qint64 *after,
                  int batchRows)
{
    WriteTransaction tx(conn, Doing);
    if (!conn.textIndex.active())
        return -1;
    const QString rowid = detail::rowidAlias(fields);
    const QString quoted = detail::quoteIdentifier(table);
    Statement stmt;
    stmt.prepare(conn.db(),
                 TextIndexKeeper::selectSql(table, fields) + QStringLiteral(" WHERE ") + rowid +
                     QStringLiteral(" > ?1 AND NOT EXISTS (SELECT 1 FROM _kx_find_docs WHERE "
                                    "tbl = ?2 AND row = ") +
                     quoted + QLatin1Char('.') + rowid + QStringLiteral(") ORDER BY ") + rowid +
                     QStringLiteral(" LIMIT ?3"),
                 conn.path, Doing);
    stmt.bindInt64(1, *after);
    stmt.bindText(2, table);
    stmt.bindInt64(3, batchRows);
    QList<QPair<qint64, detail::IndexedFields>> rows;
    while (stmt.step())
        rows.append({stmt.columnInt64(0), TextIndexKeeper::fieldsOf(stmt, 1)});
    stmt.reset();
    for (const auto &[row, values] : rows)
        conn.textIndex.index(table, row, values);
    tx.commit();
    if (!rows.isEmpty())
        *after = rows.last().first;
    return rows.size();
}

} // namespace

namespace detail {

void createFindIndex(Connection &conn, bool complete)
{
    conn.exec(QStringLiteral("CREATE TABLE _kx_find_docs (doc INTEGER PRIMARY KEY, "
                             "tbl TEXT NOT NULL, row INTEGER NOT NULL, UNIQUE (tbl, row))"),
              Doing);
    // No copy of the text (content=''): the records hold it. Prefix indexes for the first one
    // and two letters, which a person typing asks for most and which cost most without them.
    conn.exec(QStringLiteral("CREATE VIRTUAL TABLE _kx_find USING fts5(f0, f1, f2, f3, tbl, "
                             "content='', tokenize='unicode61 remove_diacritics 2', "
                             "prefix='1 2')"),
              Doing);
    setMeta(conn, QStringLiteral("find_index"), QByteArray(TextIndexKeeper::Version));
    setMeta(conn, QStringLiteral("find_complete"), complete ? "1" : "0");
}

} // namespace detail

TextIndex::State TextIndex::Status(Database &db)
{
    Connection &conn = *db.m_conn;
    conn.ensureOpen();
    return stateOf(readStamp(conn));
}

bool TextIndex::Build(Database &db, const Progress &progress, int batchRows)
{
    Connection &conn = *db.m_conn;
    conn.ensureOpen();
    conn.textIndex.flush();
    if (Status(db) == State::Current)
        return true;
    if (Status(db) == State::Missing) {
        WriteTransaction tx(conn, Doing);
        dropTables(conn);
        detail::createFindIndex(conn, false);
        tx.commit();
    }
    conn.makeRoomForLargeTable();
    const QStringList tables = conn.tableNames();
    const qint64 total = estimateRemaining(conn, tables);
    qint64 done = 0;
    for (const QString &table : tables) {
        const QList<Field> fields = conn.fieldsOf(table);
        if (detail::rowidAlias(fields).isEmpty())
            continue;
        qint64 after = std::numeric_limits<qint64>::min();
        for (;;) {
            qint64 n = 0;
            try {
                n = indexBatch(conn, table, fields, &after, batchRows);
            } catch (const Error &e) {
                // A table of another program this engine cannot walk (no row numbers) is
                // left out, as the engine cannot open it either.
                if (e.number() != errEngine)
                    throw;
                break;
            }
            if (n < 0)
                return false;
            done += n;
            if (n > 0 && progress && !progress(done, qMax(total, done)))
                return false;
            if (n < batchRows)
                break;
        }
    }
    WriteTransaction tx(conn, Doing);
    if (!conn.textIndex.active())
        return false;
    setMeta(conn, QStringLiteral("find_complete"), "1");
    tx.commit();
    return true;
}

bool TextIndex::CheckAndDrop(Database &db)
{
    Connection &conn = *db.m_conn;
    conn.ensureOpen();
    conn.textIndex.flush();
    const Stamp stamp = readStamp(conn);
    if (!stamp.tables)
        return false;
    bool damaged = stamp.version == "damaged";
    if (!damaged) {
        try {
            WriteTransaction tx(conn, Doing);
            conn.exec(QStringLiteral("INSERT INTO _kx_find (_kx_find) VALUES ('integrity-check')"),
                      Doing);
            damaged = scalar(conn, QStringLiteral("SELECT count(*) FROM _kx_find")) !=
                      scalar(conn, QStringLiteral("SELECT count(*) FROM _kx_find_docs"));
            tx.commit();
        } catch (const Error &e) {
            if (e.number() != errDatabaseDamaged && e.number() != errEngine)
                throw;
            damaged = true;
        }
    }
    if (damaged)
        Drop(db);
    return damaged;
}

void TextIndex::Drop(Database &db)
{
    Connection &conn = *db.m_conn;
    conn.ensureOpen();
    WriteTransaction tx(conn, Doing);
    dropTables(conn);
    tx.commit();
}

TextIndex::Result TextIndex::Search(Database &db, const QString &match, int limit,
                                    const QStringList &skip)
{
    Connection &conn = *db.m_conn;
    conn.ensureOpen();
    conn.textIndex.flush();
    Result result;
    // One read for the whole answer: the file is locked once, and the count and the hits are
    // of one state of it.
    std::optional<ReadScope> read;
    if (!conn.inRead && !conn.inUserTransaction)
        read.emplace(db);
    const State state = Status(db);
    if (state == State::Missing)
        return result;
    result.complete = state == State::Current;

    const QString doing = QStringLiteral("finding recipes");
    // The tables left out are bound as ?3, ?4...; tables left out that hold no entry cost
    // nothing, which is the usual case.
    QStringList marks;
    for (int i = 0; i < skip.size(); ++i)
        marks.append(QStringLiteral("?") + QString::number(i + 3));
    const QString list = QStringLiteral(" (") + marks.join(QLatin1Char(',')) + QLatin1Char(')');
    const auto bindSkipped = [&](Statement &stmt) {
        for (int i = 0; i < skip.size(); ++i)
            stmt.bindText(i + 3, skip[i]);
    };
    bool skipping = false;
    if (!skip.isEmpty()) {
        Statement any;
        any.prepare(conn.db(),
                    QStringLiteral("SELECT ?1, ?2 FROM _kx_find_docs WHERE tbl IN") + list +
                        QStringLiteral(" LIMIT 1"),
                    conn.path, doing);
        bindSkipped(any);
        skipping = any.step();
        any.reset();
    }
    const QString notSkipped = skipping ? QStringLiteral(" AND d.tbl NOT IN") + list : QString();
    const auto bindAll = [&](Statement &stmt, bool withLimit) {
        stmt.bindText(1, match);
        if (withLimit)
            stmt.bindInt64(2, limit);
        if (skipping)
            bindSkipped(stmt);
    };
    // Ranking weighs every entry that matches, which a word found in most recipes makes as
    // slow as reading them all: past CountedAtMost matches the newest come first instead, and
    // the person types on. Counting them all would cost as much, so the count stops there too.
    // Ranked, the name weighs most, then the author and the category. Entries are ordered and
    // cut to the limit before their records are looked up.
    const QString from = notSkipped.isEmpty()
                             ? QStringLiteral(" FROM _kx_find AS f WHERE _kx_find MATCH ?1")
                             : QStringLiteral(" FROM _kx_find AS f JOIN _kx_find_docs AS d ON "
                                              "d.doc = f.rowid WHERE _kx_find MATCH ?1") +
                                   notSkipped;
    Statement count;
    count.prepare(conn.db(),
                  QStringLiteral("SELECT count(*) FROM (SELECT 1") + from +
                      QStringLiteral(" LIMIT ?2)"),
                  conn.path, doing);
    bindAll(count, false);
    count.bindInt64(2, CountedAtMost + 1);
    result.total = count.step() ? count.columnInt64(0) : 0;
    count.reset();
    if (result.total == 0)
        return result;
    const bool ranked = result.total <= CountedAtMost;
    if (!ranked) {
        result.total = CountedAtMost;
        result.more = true;
    }
    // Ranked: by score, ties by entry. Newest first: by entry, backwards, which the index
    // walks without sorting.
    const QString key =
        ranked ? QStringLiteral("bm25(_kx_find, 10.0, 4.0, 1.0, 1.0, 4.0)") : QStringLiteral("0");
    Statement hits;
    hits.prepare(
        conn.db(),
        QStringLiteral("SELECT d.tbl, d.row FROM (SELECT f.rowid AS doc, ") + key +
            QStringLiteral(" AS k") + from +
            (ranked ? QStringLiteral(" ORDER BY k, doc") : QStringLiteral(" ORDER BY doc DESC")) +
            QStringLiteral(" LIMIT ?2) AS m JOIN _kx_find_docs AS d ON d.doc = m.doc "
                           "ORDER BY m.k, ") +
            (ranked ? QStringLiteral("m.doc") : QStringLiteral("m.doc DESC")),
        conn.path, doing);
    bindAll(hits, true);
    while (hits.step())
        result.hits.append({hits.columnText(0), hits.columnInt64(1), {}});
    hits.reset();

    // The records themselves, one look-up each, by a statement per table kept from one
    // search to the next. Each look-up walks its table from the top: with the room of a large
    // table, those pages are read from the file once rather than at every key press.
    conn.makeRoomForLargeTable();
    for (Hit &hit : result.hits) {
        Statement *reader = conn.textIndex.reader(hit.table);
        if (!reader)
            continue;
        reader->bindInt64(1, hit.row);
        if (reader->step())
            hit.fields = TextIndexKeeper::fieldsOf(*reader, 1);
        reader->reset();
    }
    return result;
}

} // namespace dao
