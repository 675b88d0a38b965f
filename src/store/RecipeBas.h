#pragma once

#include "platform/dao/DBEngine.h"
#include "platform/dao/Error.h"

#include <QList>
#include <QString>
#include <QStringList>

#include "TreeReadsLater.h"

#include <exception>
#include <functional>
#include <memory>

class QTreeWidgetItem;

namespace vb {
class ListBox;
class ImageList;
class TextBox;
class TreeView;
} // namespace vb

// The recipe store: where the database is, how it is opened and closed, the tree rebuilt from
// it, single recipes read and written, categories created and deleted.
//
// Every routine opens the database itself at its start; most close it again at their end. A
// database left open by one routine is simply replaced by the next routine's open. After every
// change, and after every cancelled change, the whole tree is rebuilt from the database.
namespace RecipeBas {

// The main window's controls the routines work on: the tree, its staging list and pictures,
// and the four boxes that are both the display and the editing surface of a recipe.
struct View
{
    vb::TreeView *Tv = nullptr;
    vb::ListBox *List1 = nullptr;
    const vb::ImageList *ImageList1 = nullptr;
    vb::TextBox *Text1 = nullptr; // name
    vb::TextBox *Text2 = nullptr; // author
    vb::TextBox *Text3 = nullptr; // ingredients
    vb::TextBox *Text4 = nullptr; // instructions
};

// The database password, given in every open, and the file the program's tools make carry it.
inline const QString Password = QStringLiteral("9753102468mqzkrt");
inline const QString ConnectString = QStringLiteral(";Pwd=") + Password;
inline const QString RootKey = QStringLiteral("AB");
inline const QString RootText = QStringLiteral("Kitchenex Recipe");
// The placeholder category: listed like any other, never the target of a new recipe or of a
// category deletion.
inline const QString PlaceholderCategory = QStringLiteral("zzzNothing");

// Process-wide state, alive for the whole run.
extern View *view;                         // set by the main window while it is loaded
extern QString DataPath;                   // the program's folder + "/Recipe" (no extension)
extern std::unique_ptr<dao::Database> db;  // the open database, or none
extern std::unique_ptr<dao::Recordset> rs; // the category table last opened, or none
extern QString CurrentRecipe;              // trimmed name of the recipe node last clicked
extern QString CurrentCategory;            // that recipe's category
extern qint64 CurrentRow;                  // that recipe's row, 0 when its node carries none
extern QString SelectedCategory;           // the category node last clicked (never zzzNothing)
extern QString NewCategoryName;            // the text typed for a new category

// The stored form of a box's text: without leading and trailing blanks, followed by one blank.
QString StoredText(const QString &boxText);
// The seven system tables that are never categories.
bool IsSystemTable(const QString &name);
const QStringList &SystemTables();

// Opening and closing. OpenRecipeDataBase replaces db; CloseDataBase ignores every error and
// is harmless when nothing is open.
void OpenRecipeDataBase();
void CloseDataBase();

// What a load of the tree reads of the database, read ahead of it: the number of tables, then
// for each its name, the open of its table and the names of its recipes, each kept with the
// failure it raised. A load given them takes each answer in turn instead of reading it.
struct TreeReads
{
    using Table = TableReads;
    int count = 0;
    std::exception_ptr countFailure;
    QList<Table> tables;
    // The tables marked later, in full, once they are read (see ReadTreeAhead); none when
    // everything is here. The load shows those categories without recipes until then.
    std::shared_ptr<TreeReadsLater> later;
};
// Reads ahead, in one read of the file, what LoadTree would read of database.
std::unique_ptr<TreeReads> ReadTreeAhead(dao::Database &database);
// The same, handed to ready as soon as the tables, the first category and the last are read, so
// that the tree can show while the other categories, which it shows collapsed, are read; they
// follow through TreeReads::later, in the same read of the file, before this returns.
void ReadTreeAhead(dao::Database &database,
                   const std::function<void(std::unique_ptr<TreeReads>)> &ready);

// A database already open and checked (at start-up the check runs while the window is built):
// the next OpenRecipeDataBase takes it, while DataPath is still dataPath, instead of opening
// the file again. Any other open, and ResetState, close it unused. When reads come with it,
// made by ReadTreeAhead on it, the first LoadTree that opens it uses them; reads offered without
// a database, made on another connection to the file, go with the next open of dataPath.
void OfferOpenDatabase(const QString &dataPath, std::unique_ptr<dao::Database> database,
                       std::unique_ptr<TreeReads> reads = nullptr);
// The reads that came with the database the last OpenRecipeDataBase took, once; else none.
std::unique_ptr<TreeReads> TakeOfferedTreeReads();
// Clears the process-wide state when the main window unloads.
void ResetState();

// The tree: root, categories and recipes; or root and categories only.
void LoadTree();
void LoadCategoryTree();
// The node of the recipe of that row in that category, its category's recipe nodes made first
// (as opening the category makes them); null when the tree has none.
QTreeWidgetItem *RecipeNode(const QString &category, qint64 row);

// Single recipes, found by category and trimmed name by scanning in stored order.
// With a row, the record of that row is the one, as long as it still has that name: two
// recipes of one name are told apart by their rows.
void ShowRecipe(const QString &category, const QString &name, qint64 row = 0);
void AddRecipe(const QString &category);
// Overwrites the first record of that name with the boxes and says "Recipe UpDated". When the
// engine refuses a read or the write, nothing is stored, the boxes keep the typed text and the
// error goes to the caller. Returns whether a record was written. With a row, the record of that
// row is the one, as long as it still has that name.
bool UpdateRecipe(const QString &category, const QString &name, qint64 row = 0);
// Deletes every record of that name; returns how many were deleted. A read or delete the
// engine refuses goes to the caller, the boxes kept as they are.
int DeleteRecipe(const QString &category, const QString &name);

// Creates a category table in db: the four recipe fields in their order, Name and Author
// Text, Ingredients and Instructions Memo; no index, no key, no record.
void AppendCategoryTable(dao::Database &db, const QString &name);

// Categories.
void CreateCategory();
void DeleteCategory(const QString &name);

} // namespace RecipeBas
