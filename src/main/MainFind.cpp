// Finding recipes from the main window: the tree's right-click menu, the keys that open the
// find window, and a found recipe shown as a click on its node shows it.
#include "MainForm.h"

#include "controls/xpcmdbutton.h"
#include "find/frmfind.h"
#include "platform/vb/TextBox.h"
#include "store/Catalog.h"
#include "store/RecipeBas.h"

#include <QAction>
#include <QSignalBlocker>

namespace {

// Each key press asks again; the database the last routine opened is used while it is open.
Catalog::Found findRecipes(const QString &query)
{
    if (!RecipeBas::db)
        RecipeBas::OpenRecipeDataBase();
    return Catalog::Find(*RecipeBas::db, query);
}

} // namespace

QAction *MainForm::addTreeCommand(const QString &text, void (MainForm::*command)(),
                                  const QList<QKeySequence> &keys)
{
    auto *action = new QAction(text, this);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, command);
    // In the window, for its keys; in the tree, for its menu.
    addAction(action);
    Tv->addAction(action);
    return action;
}

void MainForm::addTreeCommands()
{
    Tv->setContextMenuPolicy(Qt::ActionsContextMenu);
    addTreeCommand(QStringLiteral("Find…"), &MainForm::OpenFind,
                   {QKeySequence(Qt::CTRL | Qt::Key_F), QKeySequence(Qt::Key_F3)});
}

frmfind *MainForm::FindWindow() const
{
    return static_cast<frmfind *>(m_find.data());
}

void MainForm::OpenFind()
{
    if (!m_find)
        m_find = new frmfind(
            findRecipes, [this](const Catalog::RecipeId &id) { return ShowFoundRecipe(id); }, this);
    FindWindow()->Activate();
}

QString MainForm::ShowFoundRecipe(const Catalog::RecipeId &id)
{
    // The boxes are the editing surface: showing a recipe there would throw the typing away.
    if (!Text1->Locked())
        return QStringLiteral("A recipe is being added or edited. Save or cancel it first, "
                              "then choose the recipe again.");
    if (delcatagroy->isVisibleTo(this))
        return QStringLiteral("The tree shows only the categories while one is chosen for "
                              "deletion. Press Cancel there first, then choose the recipe again.");
    QTreeWidgetItem *node = RecipeBas::RecipeNode(id.category, id.row);
    if (!node)
        return QStringLiteral("This recipe is not in the tree any more.");
    // Opens its category and scrolls to it; the node click below shows it, once.
    Tv->EnsureVisible(node);
    {
        const QSignalBlocker quiet(Tv);
        Tv->setCurrentItem(node);
    }
    Tv_NodeClick(node);
    return {};
}
