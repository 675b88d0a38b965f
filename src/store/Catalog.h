#pragma once

#include "platform/dao/Database.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The recipes as values: what find, import and export, and undo build on. The routines take
// the engine's database and return data; they never show anything and raise dao::Error as the
// engine does. The routines of RecipeBas keep working on the boxes of the main window; these
// do not touch them.
//
// Every write keeps the stored-text convention (the text without leading and trailing blanks,
// followed by one blank) and the find index in step, in one transaction. A batch of writes
// (an import) goes in one transaction when the caller wraps it in BeginTrans/CommitTrans.
namespace Catalog {

// Which recipe: its category (the table) and its row in that table. The row is the record's
// row number in the file, stable while the record lives; names are not unique, rows are.
struct RecipeId
{
    QString category;
    qint64 row = 0;
    friend bool operator==(const RecipeId &, const RecipeId &) = default;
};

// The four fields as stored (trailing blank included; a null reads as "").
struct Recipe
{
    RecipeId id;
    QString name, author, ingredients, instructions;
};

// The categories as the tree lists them: every table but the seven system tables.
QStringList Categories(dao::Database &db);
// The recipes of a category in stored order (errTableNotFound when there is no such table).
QList<Recipe> Recipes(dao::Database &db, const QString &category);
// One recipe; none when its category or its row is gone.
std::optional<Recipe> Read(dao::Database &db, const RecipeId &id);

// Stores a new recipe (fields.id is ignored) at the end of the category; its identity.
RecipeId Add(dao::Database &db, const QString &category, const Recipe &fields);
// Overwrites the four fields of recipe.id (errRecordDeleted when it is gone).
void Update(dao::Database &db, const Recipe &recipe);
// Deletes that one recipe (errRecordDeleted when it is gone).
void Remove(dao::Database &db, const RecipeId &id);

// --- finding ------------------------------------------------------------------------------

// Marks around a matched word in a snippet: the window shows them as it likes.
inline constexpr QChar MarkStart = QChar(0x0001);
inline constexpr QChar MarkEnd = QChar(0x0002);

struct Hit
{
    RecipeId id;
    QString name, author; // trimmed, as the tree shows them
    QString snippet;      // plain text with the matched words between MarkStart and MarkEnd
};

struct Found
{
    QList<Hit> hits;   // best first; the newest first when very many match
    int total = 0;     // every recipe that matches, beyond the hits given...
    bool more = false; // ...or, when very many match, a lower bound: more than total match
    // False while the index is missing or being built: the hits are those indexed so far.
    bool complete = true;
};

// What the user typed, as a query. Words must all occur, in any field and any order; the last
// word also matches as the beginning of a longer word (the user is still typing it). "a phrase"
// must occur as it is; -word excludes; name:, author:, ingredients:, instructions: and
// category: limit the word or phrase after them to that field. Letters match without regard to
// case and accents; in scripts written without spaces (Chinese, Japanese...) any run of
// characters matches. Nothing typed is ever an error: what cannot be understood is taken as
// plain words, or finds nothing.
Found Find(dao::Database &db, const QString &query, int limit = 200);

// The index's expression for what the user typed; empty when it finds nothing.
QString MatchExpression(const QString &query);

// --- the index ------------------------------------------------------------------------------

enum class IndexState
{
    Current,    // made by this version and holds every recipe
    Incomplete, // being made, or interrupted while made: EnsureIndex finishes it
    Missing,    // none, or one of another version: EnsureIndex makes it
};

// A look at the bookkeeping only (one small read): safe on the start-up path.
IndexState IndexStatus(dao::Database &db);

// Makes the index current: makes it when missing or of another version, and adds what it
// lacks, a few hundred recipes per transaction so that other writes wait at most a moment.
// progress(done, total) is called between transactions; returning false stops the build,
// which the next call resumes. Returns whether the index is current. Does nothing but the look
// of IndexStatus when it is current already.
using Progress = std::function<bool(qint64 done, qint64 total)>;
bool EnsureIndex(dao::Database &db, const Progress &progress = {});

// Checks the index itself (slow: reads all of it, as the start-up check reads the file) and
// makes it again when it is damaged; returns whether it was damaged.
bool RepairIndex(dao::Database &db, const Progress &progress = {});

} // namespace Catalog
