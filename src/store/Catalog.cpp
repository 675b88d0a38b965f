// The recipes as values. Records are reached by their row identity (the record set's
// Bookmark), never by name: two recipes of one name are two recipes.
#include "Catalog.h"

#include "RecipeBas.h"
#include "platform/dao/Error.h"

namespace Catalog {

namespace {

QString fieldText(dao::Recordset &records, int field)
{
    return records.Fields(field).Value().toString();
}

Recipe current(dao::Recordset &records, const QString &category)
{
    Recipe recipe;
    recipe.id = {category, records.Bookmark()};
    recipe.name = fieldText(records, 0);
    recipe.author = fieldText(records, 1);
    recipe.ingredients = fieldText(records, 2);
    recipe.instructions = fieldText(records, 3);
    return recipe;
}

void writeFields(dao::Recordset &records, const Recipe &recipe)
{
    const QString values[4] = {recipe.name, recipe.author, recipe.ingredients, recipe.instructions};
    for (int field = 0; field < 4; ++field)
        records.Fields(field).setValue(RecipeBas::StoredText(values[field]));
}

// The record set of the recipe's category standing on the recipe (errRecordDeleted when the
// row is gone, errTableNotFound when the category is).
std::unique_ptr<dao::Recordset> openAt(dao::Database &db, const RecipeId &id)
{
    auto records = db.OpenRecordset(id.category);
    records->SetBookmark(id.row);
    return records;
}

} // namespace

QStringList Categories(dao::Database &db)
{
    QStringList names;
    for (const dao::TableDef &def : db.TableDefs()) {
        if (!RecipeBas::IsSystemTable(def.Name()))
            names.append(def.Name());
    }
    return names;
}

QList<Recipe> Recipes(dao::Database &db, const QString &category)
{
    auto records = db.OpenRecordset(category);
    // The category as stored, whatever spelling found it.
    const QString table = records->Name();
    QList<Recipe> recipes;
    for (; !records->IsEOF(); records->MoveNext())
        recipes.append(current(*records, table));
    return recipes;
}

std::optional<Recipe> Read(dao::Database &db, const RecipeId &id)
{
    try {
        auto records = openAt(db, id);
        return current(*records, records->Name());
    } catch (const dao::Error &e) {
        if (e.number() == dao::errRecordDeleted || e.number() == dao::errTableNotFound)
            return std::nullopt;
        throw;
    }
}

RecipeId Add(dao::Database &db, const QString &category, const Recipe &fields)
{
    auto records = db.OpenRecordset(category);
    records->AddNew();
    writeFields(*records, fields);
    records->Update();
    return {records->Name(), records->LastModified()};
}

void Update(dao::Database &db, const Recipe &recipe)
{
    auto records = openAt(db, recipe.id);
    records->Edit();
    writeFields(*records, recipe);
    records->Update();
}

void Remove(dao::Database &db, const RecipeId &id)
{
    openAt(db, id)->Delete();
}

} // namespace Catalog
