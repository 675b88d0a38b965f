#pragma once

#include "formats/RecipeReader.h"

#include "platform/jet/JetStream.h"

#include <QList>

// The recipes of a database of the earlier Windows program, a Jet file, as a reader of recipe
// files: each table with the four columns of a recipe gives its rows, in stored order, with
// the table's name as their category. A table of another layout, or a row whose name or
// author is too long to store, is skipped with its reason.
class JetRecipeReader : public formats::RecipeReader
{
public:
    explicit JetRecipeReader(const QString &path);
    bool next(formats::ReadEntry &entry) override;

private:
    QList<formats::ReadEntry> m_problems;
    QList<jet::TableData> m_tables;
    qsizetype m_table = 0;
    qsizetype m_row = 0;
};
