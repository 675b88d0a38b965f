#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <functional>

namespace dao {

class Database;

// The engine's find index: SQLite's full-text index (FTS5) over the first four fields of
// every table and the table's name, in the bookkeeping table _kx_find (the index, which keeps
// no copy of the text). An entry's number says which record it stands for: the table's number
// in _kx_find_tables and the row; _kx_find_far numbers the few records whose row does not fit
// (see TextIndexKeeper). Nothing else is written per record, which keeps a one-record write
// with the index close to one without it.
//
// The engine keeps it in step itself: every Update and Delete of a record set and every
// TableDefs.Delete changes the index in the same transaction as the records, so a crash never
// leaves them apart. It is kept in the engine's own write paths rather than in triggers of
// SQLite, for three reasons: a file stays writable by the program however damaged its index
// is (a write whose index change fails still stores the record and marks the index for making
// again, in the same transaction); nothing of the index lives in the schema of the tables, so
// other programs and the specified routines see plain tables; and the text is prepared for the
// index (TextForIndex) in C++, with no SQL function that every connection would have to
// register before it may write.
//
// The index matches letters without regard to case and accents (SQLite's unicode61 tokenizer,
// remove_diacritics 2), with a prefix index for one- and two-letter beginnings of words.
class TextIndex
{
public:
    enum class State
    {
        Current,    // of this version, every record indexed
        Incomplete, // of this version, being filled: Build finishes it
        Missing,    // none, or of another version: Build makes it
    };
    // One look at the bookkeeping.
    static State Status(Database &db);

    // Makes the index when it is missing (dropping one of another version), then indexes the
    // records it lacks, batchRows per transaction or fewer when a batch has taken two seconds,
    // so that another writer waits at most that long. progress(done, total) after each batch:
    // records indexed so far by this call, and an estimate of how many it will index;
    // returning false stops, and the next call goes on from there. Returns whether the index
    // is current.
    using Progress = std::function<bool(qint64 done, qint64 total)>;
    static bool Build(Database &db, const Progress &progress = {}, int batchRows = 20000);

    // Checks the index's own structure and that it has one entry per record it stands for;
    // when it does not, drops it (Build makes it again). Returns whether it was damaged.
    static bool CheckAndDrop(Database &db);
    // Drops the index: the file is as if made before there was one.
    static void Drop(Database &db);

    // The index's column of field 0..3, and of the table's name, for column filters in
    // a match expression ("f0 : word").
    static QString FieldColumn(int field) { return QStringLiteral("f") + QString::number(field); }
    static QString TableColumn() { return QStringLiteral("tbl"); }

    struct Hit
    {
        QString table;
        qint64 row = 0;
        std::array<QString, 4> fields; // as stored, a null as ""
    };
    struct Result
    {
        QList<Hit> hits;
        qint64 total = 0;
        bool more = false;     // more than total match: counting stopped at CountedAtMost
        bool complete = false; // the index holds every record
    };
    static constexpr qint64 CountedAtMost = 2000;
    // The records matching `match` (an FTS5 expression), best first (bm25, the name weighing
    // most; when more than CountedAtMost match, ranking or counting them all would take too
    // long: the newest come first, and the count says "more than CountedAtMost"), at most
    // `limit`, with the count; records of the tables in `skip` are left out of both. An expression
    // the index cannot take raises errEngine; a missing index finds nothing.
    static Result Search(Database &db, const QString &match, int limit,
                         const QStringList &skip = {});
};

} // namespace dao
