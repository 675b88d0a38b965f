#pragma once

// What the reliability tests share: SQLite's own integrity check, whole-file comparisons, the
// helper program's path, and the recipes the killed writer writes and the checker reads back.

#include "TestSupport.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

namespace kxrel {

// SQLite's PRAGMA integrity_check over the file, opened directly (read-write, so that a journal
// left by a killed writer is rolled back first, as any program opening it would). "ok" when
// the file is sound, else what SQLite found or why it could not be opened.
QString integrityCheck(const QString &path);

// The first column of the first row of a query run directly with SQLite; -1 when none.
qint64 queryInt(const QString &path, const QByteArray &sql);

// The whole file, or a null QByteArray when it cannot be read.
using kxtest::execSql, kxtest::fileBytes, kxtest::writeFile;

// The helper program (tests/reliability/ReliabilityHelper.cpp).
QString helperPath();

// --- The killed writer's recipes -----------------------------------------------------------
//
// Every recipe the writer stores carries its id and version in all four fields, so a record
// read back tells whether it is whole: name "R<id>", and author, ingredients and instructions
// that repeat "<id>.v<version>". The ingredients run from a few hundred to several thousand
// characters, so that a record spans several pages of the file.

// category -> (recipe id -> version)
using State = QMap<QString, QMap<QString, int>>;

// The four box texts of recipe `id` at `version` (the store adds the trailing blank).
QStringList recipeTexts(const QString &id, int version);
QString recipeName(const QString &id);

// One change the writer makes.
struct Op
{
    enum class Kind
    {
        Add,
        Update,
        Delete,
        NewCategory,
        DeleteCategory
    };
    Kind kind = Kind::Add;
    QString category;
    QString id;      // Add, Update, Delete
    int version = 0; // Update: the version written
};

// A journal line: "add <category> <id>" and so on; categories hold no blank.
QString opText(const Op &op);
bool parseOp(const QString &text, Op *op);
// Applies op to state; false when it does not fit (unknown category or recipe).
bool apply(State &state, const Op &op);

// Reads the file through the engine with the password. A record that is not whole (fields of
// different recipes or versions, or not one of the writer's records at all) or a recipe twice
// is a problem; the first one is put in *problem and reading goes on.
State readState(const QString &path, QString *problem);
int recipeCount(const State &state);

} // namespace kxrel
