#pragma once

#include <QString>

namespace dao {

class Database;

// Undo and redo of the changes recorded in a file's history (see detail::HistoryKeeper): each
// write transaction of the engine is one change, so one command of the program, or one import,
// is undone as a whole. Undo takes back the newest change not undone yet; redo makes the
// oldest undone change again; a new change ends what could be redone.
//
// Nothing is ever overwritten: when a record or table that a change would touch is no longer
// as the change left it (changed since, by this program or another), the undo or redo is
// refused, nothing is written, and the result says what is in the way. Each undo and redo is
// one transaction: a program killed in the middle leaves the change or its undo, whole.
class History
{
public:
    enum class Status
    {
        Done,
        Nothing, // nothing to undo (or redo), or the file keeps no history
        Refused, // something changed since: see clash
        Lost,    // the history was found damaged and has been cleared; nothing was changed
    };
    enum class Kind
    {
        Added,           // one recipe added
        Edited,          // one recipe saved after editing
        Deleted,         // recipes of one category deleted (every one of a name)
        CategoryCreated, // an empty category made
        CategoryDeleted, // a category deleted with its recipes
        Batch,           // anything else: an import, several categories...
    };
    enum class Clash
    {
        None,
        RecipeChanged,    // the recipe is no longer as the change left it
        RecipeGone,       // the recipe was deleted since
        RowTaken,         // the place of the recipe to bring back holds another one now
        CategoryGone,     // the category was deleted since
        CategoryChanged,  // the category's recipes changed since
        CategoryNotEmpty, // a category to take away again holds recipes now
        NameTaken,        // a category to bring back has a namesake now
    };

    struct Result
    {
        Status status = Status::Nothing;
        Kind kind = Kind::Batch;
        QString category; // where the change happened (the first category it touched)
        QString name;     // the (first) recipe it touched, trimmed
        int count = 0;    // how many recipes it touched (a deleted category: its recipes)
        qint64 row = 0;   // a recipe of category there now, to show; 0 when none
        Clash clash = Clash::None;
        QString clashCategory, clashName; // what is in the way
    };

    // Looks at the file's history at start-up: when it is damaged, clears it and returns true.
    // The recipes are never touched. Reads only, unless the history is damaged.
    static bool Check(Database &db);
    // Makes the history of a file that has none (a new or converted file, or one made before
    // there was a history): from then on every change is recorded.
    static void Ensure(Database &db);
    static bool CanUndo(Database &db);
    static bool CanRedo(Database &db);
    static Result Undo(Database &db);
    static Result Redo(Database &db);

    // How much is kept: the newest changes, none older than maxAgeSeconds, at most maxBytes of
    // deleted or overwritten text (the newest change is always kept).
    static void SetLimits(int maxChanges, qint64 maxBytes, qint64 maxAgeSeconds);
};

} // namespace dao
