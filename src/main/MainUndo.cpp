// Undo and redo from the main window: Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z, and the tree's menu.
// Each tells in one message what it did, and the tree shows the result with the recipe brought
// back (or the category) chosen.
#include "MainForm.h"

#include "platform/vb/MsgBox.h"
#include "platform/vb/TextBox.h"
#include "platform/vb/TreeView.h"
#include "store/History.h"
#include "store/RecipeBas.h"

#include <QSignalBlocker>

namespace {

using dao::History;

QString quoted(const QString &name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

QString recipes(int count, const QString &name)
{
    return count == 1 ? QStringLiteral("Recipe %1 is").arg(quoted(name))
                      : QStringLiteral("%1 recipes %2 are").arg(count).arg(quoted(name));
}

QString doneText(const History::Result &r, bool undo)
{
    switch (r.kind) {
    case History::Kind::Added:
        return undo ? QStringLiteral("The new recipe %1 is taken out of %2 again.")
                          .arg(quoted(r.name), r.category)
                    : QStringLiteral("Recipe %1 is added to %2 again.")
                          .arg(quoted(r.name), r.category);
    case History::Kind::Edited:
        return undo ? QStringLiteral("Recipe %1 in %2 is back as it was before editing.")
                          .arg(quoted(r.name), r.category)
                    : QStringLiteral("Recipe %1 in %2 has its edit again.")
                          .arg(quoted(r.name), r.category);
    case History::Kind::Deleted:
        return undo ? QStringLiteral("%1 back in %2.").arg(recipes(r.count, r.name), r.category)
                    : QStringLiteral("%1 deleted from %2 again.")
                          .arg(recipes(r.count, r.name), r.category);
    case History::Kind::CategoryCreated:
        return undo ? QStringLiteral("The new category %1 is taken away again.").arg(r.category)
                    : QStringLiteral("Category %1 is created again.").arg(r.category);
    case History::Kind::CategoryDeleted:
        return undo ? QStringLiteral("Category %1 is back with its %2 recipes.")
                          .arg(r.category)
                          .arg(r.count)
                    : QStringLiteral("Category %1 is deleted again.").arg(r.category);
    case History::Kind::Batch:
        break;
    }
    return undo ? QStringLiteral("The import of %1 recipes is undone.").arg(r.count)
                : QStringLiteral("The import of %1 recipes is done again.").arg(r.count);
}

QString clashText(const History::Result &r)
{
    const QString recipe = r.clashName.isEmpty()
                               ? QStringLiteral("a recipe")
                               : QStringLiteral("the recipe %1").arg(quoted(r.clashName));
    switch (r.clash) {
    case History::Clash::RecipeChanged:
        return QStringLiteral("%1 in %2 was changed since").arg(recipe, r.clashCategory);
    case History::Clash::RecipeGone:
        return QStringLiteral("%1 in %2 was deleted since").arg(recipe, r.clashCategory);
    case History::Clash::RowTaken:
        return QStringLiteral("its place in %1 holds %2 now").arg(r.clashCategory, recipe);
    case History::Clash::CategoryGone:
        return QStringLiteral("the category %1 was deleted since").arg(r.clashCategory);
    case History::Clash::CategoryChanged:
        return QStringLiteral("the recipes of %1 were changed since").arg(r.clashCategory);
    case History::Clash::CategoryNotEmpty:
        return QStringLiteral("the category %1 holds recipes now").arg(r.clashCategory);
    case History::Clash::NameTaken:
        return QStringLiteral("there is a category %1 again").arg(r.clashName);
    case History::Clash::None:
        break;
    }
    return QString();
}

} // namespace

QString MainForm::HistoryMessage(const dao::History::Result &r, bool undo)
{
    switch (r.status) {
    case History::Status::Nothing:
        return undo ? QStringLiteral("There is nothing to undo.")
                    : QStringLiteral("There is nothing to redo.");
    case History::Status::Lost:
        return HistoryLostMessage();
    case History::Status::Refused:
        return QStringLiteral("Nothing was %1, because %2.")
            .arg(undo ? QStringLiteral("undone") : QStringLiteral("redone"), clashText(r));
    case History::Status::Done:
        break;
    }
    return doneText(r, undo);
}

QString MainForm::HistoryLostMessage()
{
    return QStringLiteral("The undo history of the recipes was damaged and has been cleared. "
                          "Every recipe is as it was; only the changes made before can no "
                          "longer be undone.");
}

void MainForm::UndoChange()
{
    undoOrRedo(true);
}

void MainForm::RedoChange()
{
    undoOrRedo(false);
}

void MainForm::undoOrRedo(bool undo)
{
    // The boxes hold typing that a tree refilled would leave behind.
    if (!Text1->Locked()) {
        vb::MsgBox(QStringLiteral("A recipe is being added or edited. Save or cancel it first, "
                                  "then %1.")
                       .arg(undo ? QStringLiteral("undo") : QStringLiteral("redo")));
        return;
    }
    handle(undo ? QStringLiteral("undo the last change") : QStringLiteral("redo the change"),
           [this, undo] {
               RecipeBas::CloseDataBase();
               const auto result = undo ? RecipeBas::UndoLastChange() : RecipeBas::RedoLastChange();
               if (result.status == History::Status::Done) {
                   RecipeBas::LoadTree();
                   showChanged(result);
               }
               vb::MsgBox(HistoryMessage(result, undo));
           });
}

void MainForm::showChanged(const dao::History::Result &result)
{
    QTreeWidgetItem *node =
        result.row > 0 ? RecipeBas::RecipeNode(result.category, result.row) : nullptr;
    if (node) {
        Tv->EnsureVisible(node);
        {
            const QSignalBlocker quiet(Tv);
            Tv->setCurrentItem(node);
        }
        Tv_NodeClick(node);
        return;
    }
    emptyBoxes();
    QTreeWidgetItem *root = Tv->topLevelItem(0);
    for (int i = 0; root && i < root->childCount(); ++i) {
        if (root->child(i)->text(0) == result.category) {
            const QSignalBlocker quiet(Tv);
            Tv->setCurrentItem(root->child(i));
        }
    }
}
