#include "TreeChoice.h"

#include "platform/vb/TreeView.h"
#include "store/RecipeBas.h"

TreeChoice TreeChoice::Of(const vb::TreeView &tree)
{
    TreeChoice choice;
    const QTreeWidgetItem *node = tree.currentItem();
    if (!node)
        return choice;
    switch (vb::TreeView::Kind(node)) {
    case vb::NodeKind::Root:
        return choice;
    case vb::NodeKind::Recipe:
        choice.recipe = node->text(0);
        choice.row = vb::TreeView::Row(node);
        node = node->parent();
        break;
    case vb::NodeKind::Category:
        break;
    }
    choice.category = vb::TreeView::Key(node);
    if (choice.category == RecipeBas::PlaceholderCategory)
        return {};
    return choice;
}
