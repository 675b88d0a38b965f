#pragma once

#include <QString>

#include <optional>

namespace vb {
class TreeView;
}

// What the tree's current node chooses for a command that works on recipes: a recipe, a
// category, or nothing (the root, no node, or the placeholder, which never holds recipes).
struct TreeChoice
{
    QString category;          // the table's name; "" when nothing is chosen
    QString recipe;            // a recipe's name as the tree shows it; "" for a category
    std::optional<qint64> row; // a recipe's row in its table

    static TreeChoice Of(const vb::TreeView &tree);
};
