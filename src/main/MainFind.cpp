// Finding recipes from the main window: the tree's right-click menu, the keys that open the
// find window, and a found recipe shown as a click on its node shows it.
#include "MainForm.h"

#include "controls/xpcmdbutton.h"
#include "find/frmfind.h"
#include "platform/vb/TextBox.h"
#include "store/Backup.h"
#include "store/Catalog.h"
#include "store/IndexBuilder.h"
#include "store/RecipeBas.h"

#include <QAction>
#include <QPointer>
#include <QSignalBlocker>

namespace {

// The find index being made, while it is.
QPointer<IndexBuilder> g_indexBuilder;

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
    // Their keys are the window's (MainShortcuts.cpp), which leave a box's own undo alone.
    addTreeCommand(QStringLiteral("Undo\tCtrl+Z"), &MainForm::UndoChange);
    addTreeCommand(QStringLiteral("Redo\tCtrl+Y"), &MainForm::RedoChange);
    addTreeCommand(QStringLiteral("Import recipes…"), &MainForm::ImportRecipes,
                   {QKeySequence(Qt::CTRL | Qt::Key_I)});
    addTreeCommand(QStringLiteral("Export recipes…"), &MainForm::ExportRecipes,
                   {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E)});
    addTreeCommand(QStringLiteral("Make a cookbook…"), &MainForm::MakeCookbook);
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
    makeFindIndex();
}

void MainForm::makeFindIndex(dao::Database *checked)
{
    // A file without the index (made before it, a backup put back) or with one left unfinished
    // gets it once the start-up check has found the file sound (`checked`, a connection of its
    // own), or when finding is wanted and it is still not made: on a thread of its own, the
    // window usable meanwhile, the find window telling how far it is. The verdict may come
    // while a command waits for it: only the checked database is read then, never the one the
    // command is using.
    if (g_indexBuilder)
        return;
    try {
        if (!checked && !RecipeBas::db)
            RecipeBas::OpenRecipeDataBase();
        if (Catalog::IndexStatus(checked ? *checked : *RecipeBas::db) ==
            Catalog::IndexState::Current)
            return;
        RecipeBas::KeepBackupBeforeChange();
    } catch (const std::exception &e) {
        if (m_find)
            FindWindow()->IndexProgress(-1, -1, QString::fromUtf8(e.what()));
        return;
    }
    g_indexBuilder =
        new IndexBuilder(RecipeBas::DataBaseFile(), RecipeBas::ConnectString, false, this);
    connect(g_indexBuilder, &IndexBuilder::progress, this, [this](qint64 done, qint64 total) {
        if (m_find)
            FindWindow()->IndexProgress(done, total);
    });
    connect(g_indexBuilder, &IndexBuilder::finished, this, [this](bool, const QString &error) {
        g_indexBuilder->deleteLater();
        if (m_find)
            FindWindow()->IndexProgress(-1, -1, error);
    });
    g_indexBuilder->start();
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
