#pragma once

#include "Catalog.h"

#include <QString>

class QIODevice;

// Taking recipes out: one recipe, a category or everything, as Meal-Master text or as a
// schema.org JSON file, each recipe with its category as its one category. The recipes are
// written one category at a time, never all held at once.
namespace Export {

enum class Format
{
    MealMaster,
    Json
};

struct Selection
{
    QString category;             // empty: every category
    std::optional<qint64> recipe; // a row of that category: that recipe alone
};

// The number of recipes written; raises dao::Error as the engine does. Returns -1 when the
// device refused a write.
qint64 Write(dao::Database &db, QIODevice &out, Format format, const Selection &selection);

} // namespace Export
