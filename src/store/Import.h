#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// Bringing recipes in from files: Meal-Master, schema.org Recipe (web pages and JSON) and the
// databases of the earlier Windows program, each told from its content.
//
// Nothing stops at a bad recipe: it is skipped and reported with its file, line and reason. A
// recipe equal to one already in its category (same name, ingredients and instructions) is
// skipped as a duplicate and counted. The good recipes go in as one transaction, after the
// backup that the run's first change makes; when the database refuses a write (a lock held
// by another program, a write-protected file, a full disk) nothing is imported, the file is
// left as it was, and the report says so. Files are read recipe by recipe, never whole.
namespace Import {

struct Options
{
    // Where the recipes go: this category, or, with ownCategories, each recipe's own first
    // category (made when missing), this one for a recipe with none or with a name the
    // engine refuses. The category is made when missing.
    QString category;
    bool ownCategories = false;
};

struct Skipped
{
    QString file;
    qint64 line = 0; // 0 where the file has no lines (a database: the reason names the row)
    QString reason;
};

struct Report
{
    bool ok = true;
    QString error; // why nothing was imported, when !ok
    int imported = 0;
    int duplicates = 0;
    struct Counts
    {
        int imported = 0;
        int duplicates = 0;
    };
    QMap<QString, Counts> perCategory; // by target category
    QList<Skipped> skipped;
    QStringList notes; // categories refused and where their recipes went, files not read

    // The report for a person: counts, the categories, every skipped recipe.
    QString text() const;
};

// Imports the files into the program's database (RecipeBas::DataPath).
Report ImportFiles(const QStringList &files, const Options &options);

} // namespace Import
