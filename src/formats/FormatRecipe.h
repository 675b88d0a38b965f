#pragma once

#include <QString>
#include <QStringList>

namespace formats {

// One recipe as a file format carries it: the four fields of a recipe record, and the
// categories the file gives it (the first one can become the recipe's category on import).
struct FormatRecipe
{
    QString name;
    QString author;
    QString ingredients;  // one ingredient (or section heading) a line
    QString instructions; // yield and times first, then the directions
    QStringList categories;

    bool operator==(const FormatRecipe &) const = default;
};

// What a reader hands back for each recipe it meets: the recipe, or the reason it could not
// be read. The line is where the recipe starts in its file (1 for the first line).
struct ReadEntry
{
    FormatRecipe recipe;
    qint64 line = 0;
    QString skipped; // empty for a recipe that was read

    bool ok() const { return skipped.isEmpty(); }
};

// The engine's limit for a name; a longer title cannot be stored, so its recipe is skipped.
inline constexpr int MaxNameLength = 255;

} // namespace formats
