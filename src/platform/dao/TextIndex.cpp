#include "TextIndex.h"

#include "Connection.h"
#include "Database.h"
#include "Error.h"
#include "TextFold.h"

#include <QElapsedTimer>
#include <QHash>

#include <sqlite3.h>

#include <limits>
#include <optional>

namespace dao {

using detail::Connection;
using detail::Statement;
using detail::TextIndexKeeper;
using detail::WriteTransaction;

namespace {

const QString Doing = QStringLiteral("making the find index");

// A batch of the build ends when it has taken BatchMs, looked at every PieceRows records.
constexpr qint64 BatchMs = 2000;
constexpr qint64 PieceRows = 500;

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
                                "AND name IN ('") +
                     detail::findIndexTables().join(QStringLiteral("', '")) +
                     QStringLiteral("')), (SELECT value FROM _kx_meta WHERE key = 'find_index'), "
                                    "(SELECT value FROM _kx_meta WHERE key = 'find_complete')"),
                 conn.path, QStringLiteral("looking at the find index"));
    stmt.step();
    return {stmt.columnInt64(0) == detail::findIndexTables().size(), stmt.columnBlob(1),
            stmt.columnBlob(2)};
}

TextIndex::State stateOf(const Stamp &stamp)
{
    if (!stamp.tables || stamp.version != QByteArray(TextIndexKeeper::Version))
        return TextIndex::State::Missing;
    return stamp.complete == "1" ? TextIndex::State::Current : TextIndex::State::Incomplete;
}

void dropTables(Connection &conn)
{
    // With those of the index's first layout, which listed every entry in _kx_find_docs.
    for (const QString &table : detail::findIndexTables() + QStringList{u"_kx_find_docs"_qs})
        conn.exec(QStringLiteral("DROP TABLE IF EXISTS ") + table, Doing);
    conn.exec(QStringLiteral("DELETE FROM _kx_meta WHERE key IN ('find_index', 'find_complete')"),
              Doing);
}

// The first column of the first row: ?1 bound to `number` when given, ?2 to `text`.
qint64 scalar(Connection &conn, const QString &sql, std::optional<qint64> number = {},
              const QString &text = QString())
{
    Statement stmt;
    stmt.prepare(conn.db(), sql, conn.path, Doing);
    if (number)
        stmt.bindInt64(1, *number);
    if (!text.isNull())
        stmt.bindText(2, text);
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
    const qint64 indexed = scalar(conn, QStringLiteral("SELECT count(*) FROM _kx_find_docsize"));
    return qMax<qint64>(0, span - indexed);
}

// The SQL twin of TextIndexKeeper::nearRow, for the row number `row`.
QString nearRowSql(const QString &row)
{
    return QLatin1Char('(') + row + QStringLiteral(" > 0 AND ") + row + QStringLiteral(" < ") +
           QString::number(TextIndexKeeper::RowSpan) + QLatin1Char(')');
}

// The text of a column as the index takes it (TextForIndex), for the build's statements.
void foldForIndex(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    const void *text = sqlite3_value_text16(argv[0]);
    if (!text) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString folded =
        TextForIndex(QString(static_cast<const QChar *>(text), sqlite3_value_bytes16(argv[0]) / 2));
    sqlite3_result_text16(ctx, folded.utf16(), int(folded.size() * 2), SQLITE_TRANSIENT);
}

// Indexes up to `limit` records of the table that the index lacks, after row `after`, in the
// caller's transaction; how many, and the last row reached. Nothing when the engine cannot walk
// the table (a table of another program without row numbers, which it cannot open either).
//
// The records of a piece go into the index by one statement: SQLite's full-text index writes
// out what it holds at the end of every statement that changes it inside a transaction, so one
// statement a record would make a piece of many small segments to merge.
std::optional<qint64> indexRows(Connection &conn, const QString &table, const QList<Field> &fields,
                                qint64 *after, qint64 limit)
{
    const QString rowid = detail::rowidAlias(fields);
    const QString quoted = detail::quoteIdentifier(table);
    const QString row = quoted + QLatin1Char('.') + rowid;
    const QString near = nearRowSql(row);
    // The piece: the next `limit` rows, up to row `last`.
    qint64 last = 0;
    try {
        Statement end;
        end.prepare(conn.db(),
                    QStringLiteral("SELECT max(r) FROM (SELECT ") + rowid +
                        QStringLiteral(" AS r FROM ") + quoted + QStringLiteral(" WHERE ") + rowid +
                        QStringLiteral(" > ?1 ORDER BY ") + rowid + QStringLiteral(" LIMIT ?2)"),
                    conn.path, Doing);
        end.bindInt64(1, *after);
        end.bindInt64(2, limit);
        if (!end.step() || end.columnIsNull(0))
            return 0;
        last = end.columnInt64(0);
        end.reset();
    } catch (const Error &e) {
        if (e.number() != errEngine)
            throw;
        return std::nullopt;
    }
    const QString inPiece = QStringLiteral(" WHERE ") + row + QStringLiteral(" > ?1 AND ") + row +
                            QStringLiteral(" <= ?2 AND ");

    // Far records, rare, one by one.
    qint64 count = 0;
    Statement far;
    far.prepare(conn.db(),
                TextIndexKeeper::selectSql(table, fields) + inPiece + QStringLiteral("NOT ") +
                    near +
                    QStringLiteral(" AND NOT EXISTS (SELECT 1 FROM _kx_find_far WHERE tbl = "
                                   "?3 AND row = ") +
                    row + QLatin1Char(')'),
                conn.path, Doing);
    far.bindInt64(1, *after);
    far.bindInt64(2, last);
    far.bindText(3, table);
    QList<QPair<qint64, detail::IndexedFields>> farRows;
    while (far.step())
        farRows.append({far.columnInt64(0), TextIndexKeeper::fieldsOf(far, 1)});
    far.reset();
    for (const auto &[farRow, values] : farRows)
        conn.textIndex.index(table, farRow, values);
    count += farRows.size();

    // Near records: their entries' numbers start at the table's (see TextIndexKeeper).
    const qint64 base = conn.textIndex.tableNo(table, true) * TextIndexKeeper::RowSpan;
    QString columns;
    for (int i = 0; i < 4; ++i)
        columns +=
            (i < fields.size() ? QStringLiteral("kx_fold(") + quoted + QLatin1Char('.') +
                                     detail::quoteIdentifier(fields[i].Name) + QStringLiteral("), ")
                               : QStringLiteral("NULL, "));
    Statement insert;
    insert.prepare(
        conn.db(),
        QStringLiteral("INSERT INTO _kx_find (rowid, f0, f1, f2, f3, tbl) SELECT ?3 + ") + row +
            QStringLiteral(", ") + columns + QStringLiteral("?4 FROM ") + quoted + inPiece + near +
            QStringLiteral(" AND NOT EXISTS (SELECT 1 FROM _kx_find_docsize WHERE "
                           "id = ?3 + ") +
            row + QStringLiteral(") ORDER BY ") + row,
        conn.path, Doing);
    insert.bindInt64(1, *after);
    insert.bindInt64(2, last);
    insert.bindInt64(3, base);
    insert.bindText(4, TextForIndex(table));
    insert.run();
    count += insert.changes();
    *after = last;
    return count;
}

// Whether every entry of the index stands for a record, once, and (when the index is
// complete) every record has its entry.
bool entriesMatchRecords(Connection &conn, bool complete)
{
    const qint64 span = TextIndexKeeper::RowSpan;
    // Entries of no table the index knows, or under no number an entry can have.
    if (scalar(conn,
               QStringLiteral("SELECT count(*) FROM _kx_find_docsize WHERE id < 1 OR "
                              "(id >= ?1 AND id / ?1 NOT IN (SELECT no FROM _kx_find_tables))"),
               span) != 0)
        return false;
    // Far records: one entry each, and only theirs below the first table's.
    if (scalar(conn, QStringLiteral("SELECT count(*) FROM _kx_find_docsize WHERE id < ?1"), span) !=
            scalar(conn, QStringLiteral("SELECT count(*) FROM _kx_find_far")) ||
        scalar(conn,
               QStringLiteral("SELECT count(*) FROM _kx_find_far WHERE doc < 1 OR doc >= ?1 OR "
                              "doc NOT IN (SELECT id FROM _kx_find_docsize)"),
               span) != 0)
        return false;
    qint64 matchedAll = 0;
    for (const QString &table : conn.tableNames()) {
        const QString rowid = detail::rowidAlias(conn.fieldsOf(table));
        if (rowid.isEmpty())
            continue;
        const QString quoted = detail::quoteIdentifier(table);
        const QString row = quoted + QLatin1Char('.') + rowid;
        const qint64 base = conn.textIndex.tableNo(table, false) * span;
        qint64 records = 0;
        qint64 matched = 0;
        try {
            records = scalar(conn, QStringLiteral("SELECT count(") + row +
                                       QStringLiteral(") FROM ") + quoted);
            matched = scalar(
                conn,
                QStringLiteral("SELECT count(*) FROM ") + quoted +
                    QStringLiteral(" WHERE CASE WHEN ") + nearRowSql(row) +
                    QStringLiteral(" THEN ?1 > 0 AND EXISTS (SELECT 1 FROM _kx_find_docsize "
                                   "WHERE id = ?1 + ") +
                    row +
                    QStringLiteral(") ELSE EXISTS (SELECT 1 FROM _kx_find_far WHERE tbl = ?2 "
                                   "AND row = ") +
                    row + QStringLiteral(") END"),
                base, table);
        } catch (const Error &e) {
            if (e.number() != errEngine) // a table the index leaves out (no row numbers)
                throw;
            continue;
        }
        if (complete && matched != records)
            return false;
        matchedAll += matched;
    }
    // Every entry was matched by a record: none stands for a record that is gone.
    return matchedAll == scalar(conn, QStringLiteral("SELECT count(*) FROM _kx_find_docsize"));
}

// SQLite's full-text index merges segments when a level holds this many (its default).
constexpr int DefaultAutomerge = 4;

void setAutomerge(Connection &conn, int segments)
{
    conn.exec(QStringLiteral("INSERT INTO _kx_find (_kx_find, rank) VALUES ('automerge', %1)")
                  .arg(segments),
              Doing);
}

// The build's own page cache while it runs: room for most of what a batch writes, so that it
// stays in memory until the batch commits (written out earlier, it would keep readers out of
// the file until then), and little enough that the program stays well within its memory on a
// file of 100,000 recipes.
class CacheForBatch
{
public:
    explicit CacheForBatch(Connection &conn) : m_conn(conn)
    {
        m_conn.exec(QStringLiteral("PRAGMA cache_size = -%1").arg(BatchCacheKiB), Doing);
    }
    ~CacheForBatch()
    {
        try {
            m_conn.exec(
                QStringLiteral("PRAGMA cache_size = -%1").arg(Connection::LargeTableCacheKiB),
                Doing);
        } catch (const Error &) {
            // The file went away meanwhile: nothing to give back.
        }
    }
    Q_DISABLE_COPY_MOVE(CacheForBatch)

private:
    static constexpr int BatchCacheKiB = 64 * 1024;
    Connection &m_conn;
};

} // namespace

namespace detail {

void createFindIndex(Connection &conn, bool complete)
{
    // The numbers of the tables whose records are indexed, and the entries of records whose
    // row an entry's number cannot hold (see TextIndexKeeper). Names compare as SQLite
    // compares table names.
    conn.exec(QStringLiteral("CREATE TABLE _kx_find_tables (no INTEGER PRIMARY KEY, "
                             "tbl TEXT NOT NULL UNIQUE COLLATE NOCASE)"),
              Doing);
    conn.exec(QStringLiteral("CREATE TABLE _kx_find_far (doc INTEGER PRIMARY KEY, "
                             "tbl TEXT NOT NULL COLLATE NOCASE, row INTEGER NOT NULL, "
                             "UNIQUE (tbl, row))"),
              Doing);
    // No copy of the text (content=''): the records hold it. Prefix indexes for the first one
    // and two letters, which a person typing asks for most and which cost most without them.
    conn.exec(QStringLiteral("CREATE VIRTUAL TABLE _kx_find USING fts5(f0, f1, f2, f3, tbl, "
                             "content='', tokenize='unicode61 remove_diacritics 2', "
                             "prefix='1 2')"),
              Doing);
    conn.setMeta(QStringLiteral("find_index"), QByteArray(TextIndexKeeper::Version), Doing);
    conn.setMeta(QStringLiteral("find_complete"), complete ? "1" : "0", Doing);
}

QStringList findIndexTables()
{
    return {QStringLiteral("_kx_find"), QStringLiteral("_kx_find_tables"),
            QStringLiteral("_kx_find_far")};
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
    const int rc =
        sqlite3_create_function_v2(conn.db(), "kx_fold", 1, SQLITE_UTF16 | SQLITE_DETERMINISTIC,
                                   nullptr, foldForIndex, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        detail::raiseSqlite(rc, QString(), conn.path, Doing);
    conn.makeRoomForLargeTable();
    const CacheForBatch cache(conn);
    const QStringList tables = conn.tableNames();
    const qint64 total = estimateRemaining(conn, tables);
    qint64 done = 0;
    // While the build runs, the full-text index merges what it wrote only when a level of it
    // grows crowded: merged as it goes, every batch would rewrite much of what the batches
    // before it wrote, each page copied to the journal first. The usual merging is back once
    // the index is complete.
    bool merging = true;
    // A batch runs on from one table into the next, and for as long as another writer may
    // wait: every commit makes SQLite's full-text index write out and merge what it holds and
    // waits for the disk, which costs about as much for a few records as for many. Its clock
    // is the time it took, on a slow machine as on a fast one.
    std::optional<WriteTransaction> tx;
    qint64 inBatch = 0;
    QElapsedTimer batchClock;
    const auto begin = [&] {
        if (!tx) {
            tx.emplace(conn, Doing);
            inBatch = 0;
            batchClock.start();
        }
        if (!conn.textIndex.active())
            return false;
        if (merging) {
            setAutomerge(conn, 0);
            merging = false;
        }
        return true;
    };
    for (const QString &table : tables) {
        const QList<Field> fields = conn.fieldsOf(table);
        if (detail::rowidAlias(fields).isEmpty())
            continue;
        qint64 after = std::numeric_limits<qint64>::min();
        for (;;) {
            if (!begin())
                return false;
            const qint64 room = qMin<qint64>(batchRows - inBatch, PieceRows);
            const qint64 from = after;
            const std::optional<qint64> indexed = indexRows(conn, table, fields, &after, room);
            if (!indexed)
                break; // left out, as the engine cannot open it either
            inBatch += *indexed;
            done += *indexed;
            if (inBatch >= batchRows || batchClock.elapsed() >= BatchMs) {
                tx->commit();
                tx.reset();
                if (progress && !progress(done, qMax(total, done)))
                    return false;
            }
            if (after == from)
                break; // no rows left
        }
    }
    if (!begin())
        return false;
    setAutomerge(conn, DefaultAutomerge);
    conn.setMeta(QStringLiteral("find_complete"), "1", Doing);
    tx->commit();
    if (progress && inBatch > 0)
        progress(done, done);
    return true;
}

bool TextIndex::CheckAndDrop(Database &db)
{
    Connection &conn = *db.m_conn;
    conn.ensureOpen();
    conn.textIndex.flush();
    const Stamp stamp = readStamp(conn);
    bool damaged = stamp.version == "damaged";
    // An index of another version is not looked at: Build makes it anew.
    if (!stamp.tables || (!damaged && stateOf(stamp) == State::Missing))
        return false;
    if (!damaged) {
        try {
            WriteTransaction tx(conn, Doing);
            conn.exec(QStringLiteral("INSERT INTO _kx_find (_kx_find) VALUES ('integrity-check')"),
                      Doing);
            damaged = !entriesMatchRecords(conn, stamp.complete == "1");
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
    // nothing, which is the usual case. Their entries are those of their numbers and those of
    // their far records.
    QStringList marks;
    for (int i = 0; i < skip.size(); ++i)
        marks.append(QStringLiteral("?") + QString::number(i + 3));
    const QString list = QStringLiteral(" (") + marks.join(QLatin1Char(',')) + QLatin1Char(')');
    const auto bindSkipped = [&](Statement &stmt) {
        for (int i = 0; i < skip.size(); ++i)
            stmt.bindText(i + 3, skip[i]);
    };
    const QString span = QString::number(TextIndexKeeper::RowSpan);
    QString notSkipped;
    if (!skip.isEmpty()) {
        Statement any;
        any.prepare(conn.db(),
                    QStringLiteral("SELECT ?1, ?2 FROM _kx_find_tables WHERE tbl IN") + list +
                        QStringLiteral(" UNION ALL SELECT 1, 1 FROM _kx_find_far WHERE tbl IN") +
                        list + QStringLiteral(" LIMIT 1"),
                    conn.path, doing);
        bindSkipped(any);
        if (any.step())
            notSkipped = QStringLiteral(" AND f.rowid / ") + span +
                         QStringLiteral(" NOT IN (SELECT no FROM _kx_find_tables WHERE tbl IN") +
                         list +
                         QStringLiteral(") AND f.rowid NOT IN (SELECT doc FROM _kx_find_far "
                                        "WHERE tbl IN") +
                         list + QLatin1Char(')');
        any.reset();
    }
    const auto bindAll = [&](Statement &stmt, bool withLimit) {
        stmt.bindText(1, match);
        if (withLimit)
            stmt.bindInt64(2, limit);
        if (!notSkipped.isEmpty())
            bindSkipped(stmt);
    };
    // Ranking weighs every entry that matches, which a word found in most recipes makes as
    // slow as reading them all: past CountedAtMost matches the newest come first instead, and
    // the person types on. Counting them all would cost as much, so the count stops there too.
    // Ranked, the name weighs most, then the author and the category.
    const QString from = QStringLiteral(" FROM _kx_find AS f WHERE _kx_find MATCH ?1") + notSkipped;
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
    // Ranked: by score, ties by entry. Newest first: by entry, backwards (the newest table,
    // then the newest row), which the index walks without sorting.
    Statement hits;
    hits.prepare(conn.db(),
                 QStringLiteral("SELECT f.rowid") + from +
                     (ranked ? QStringLiteral(" ORDER BY bm25(_kx_find, 10.0, 4.0, 1.0, 1.0, "
                                              "4.0), f.rowid")
                             : QStringLiteral(" ORDER BY f.rowid DESC")) +
                     QStringLiteral(" LIMIT ?2"),
                 conn.path, doing);
    bindAll(hits, true);
    QList<qint64> entries;
    while (hits.step())
        entries.append(hits.columnInt64(0));
    hits.reset();

    // Each entry's table and row, from its number (see TextIndexKeeper).
    QHash<qint64, QString> tables;
    Statement names;
    names.prepare(conn.db(), QStringLiteral("SELECT no, tbl FROM _kx_find_tables"), conn.path,
                  doing);
    while (names.step())
        tables.insert(names.columnInt64(0), names.columnText(1));
    names.reset();
    Statement far;
    for (const qint64 entry : std::as_const(entries)) {
        const qint64 no = entry / TextIndexKeeper::RowSpan;
        if (no > 0) {
            const auto table = tables.constFind(no);
            if (table != tables.cend())
                result.hits.append({*table, entry % TextIndexKeeper::RowSpan, {}});
            continue;
        }
        if (!far.isPrepared())
            far.prepare(conn.db(),
                        QStringLiteral("SELECT tbl, row FROM _kx_find_far WHERE doc = ?1"),
                        conn.path, doing);
        far.bindInt64(1, entry);
        if (far.step())
            result.hits.append({far.columnText(0), far.columnInt64(1), {}});
        far.reset();
    }

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
