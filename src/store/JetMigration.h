#pragma once

#include "platform/jet/JetTable.h"

#include <QList>
#include <QString>

#include <functional>

class QWidget;

// The conversion of a recipe database of the earlier Windows program (a Jet file: Access 97 to
// 2003, .mdb) into a database of this program's engine.
//
// A table of the Jet file becomes a category when it has the four columns of a recipe by
// position: Name and Author as Text, Ingredients and Instructions as Memo or Text. Rows come
// across in stored order, nulls as nulls, nothing trimmed or cut. Other tables are skipped,
// each with its reason. The Jet file is only ever read.

struct JetConvertedTable
{
    QString name;
    qint64 rows = 0;
};

struct JetSkippedTable
{
    QString name;
    QString reason; // a sentence: "it has 9 columns; a category has 4 ..."
};

struct JetConversionReport
{
    bool ok = false;
    QString error;                       // what failed, when !ok; nothing was written then
    QList<JetConvertedTable> categories; // in the order of the Jet file's catalogue
    QList<JetSkippedTable> skipped;
    // Texts with characters outside the Basic Multilingual Plane (emoji and the like), which
    // the Jet reader gives as "?".
    int valuesWithLostCharacters = 0;

    qint64 recipeCount() const;
    // The report for a person: what came across, what was skipped and why, or what failed.
    // The import tool prints it and the start-up conversion shows it.
    QString text() const;
};

// True when the file carries the header of a Jet database ("Standard Jet DB" at offset 4).
bool isJetFile(const QString &path);
// True when the file carries the header of an Access 2007 or later database (.accdb, "Standard
// ACE DB"), which is refused.
bool isAceFile(const QString &path);

// Why a table of a Jet file is no category ("it has 9 columns; ..."), or an empty string when
// it has the four columns of a recipe.
QString categoryLayoutProblem(const jet::Table &table);
// Why the rows of such a table cannot come across whole (a Name or Author longer than the 255
// characters a Text field holds: it is never cut), or an empty string.
QString categoryRowsProblem(const jet::TableData &data);
// The tables of the Jet file at path that have the layout of a category, with their rows; each
// other table goes to skipped with why. Raises jet::JetError when the file cannot be read.
QList<jet::TableData>
readCategoryTables(const QString &path,
                   const std::function<void(const QString &table, const QString &why)> &skipped);

// Converts the Jet database at source into a new engine file at target, protected with the
// program's password. All or nothing: the tables are written into a temporary file beside
// target, which is renamed to target only when everything came across; target is never
// written over (an existing one, or one that appears meanwhile, is refused), and on failure no
// file is left behind. The source is never written.
JetConversionReport convertJetDatabase(const QString &source, const QString &target);

// The start-up offer: when Recipe.mdb in folder is a Jet file, asks whether to convert it (No
// is the default). On Yes the Jet file is renamed to Recipe.jet.mdb (or Recipe.jet-2.mdb, ...
// when that name is taken), a new Recipe.mdb is made from it, and a message tells what came
// across; any failure leaves the Jet file as it was under its own name, makes no Recipe.mdb,
// and says what failed. An .accdb is refused with a message. Nothing at all happens when
// Recipe.mdb is no Access file (an engine file, or none). Returns true when a conversion was
// made; the caller then loads the tree as usual.
bool offerJetMigration(const QString &folder, QWidget *parent = nullptr);
