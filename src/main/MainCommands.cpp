// The commands of the main window: the node click and the buttons. Each applies exactly its
// own change of the mode buttons and boxes; nothing stops a command from running while
// another mode is showing.
#include "MainForm.h"

#include "controls/xpcmdbutton.h"
#include "print/PrintCommand.h"
#include "store/Product.h"
#include "store/RecipeBas.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/Shell.h"
#include "platform/vb/Strings.h"
#include "platform/vb/TextBox.h"

using namespace RecipeBas;

namespace {

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

void MainForm::handle(const QString &what, const std::function<void()> &command)
{
    try {
        command();
    } catch (const std::exception &e) {
        CloseDataBase();
        vb::MsgBox(QStringLiteral("Kitchenex could not %1.\r\n\r\n%2")
                       .arg(what, QString::fromUtf8(e.what())),
                   vb::vbCritical, QString(), this);
    }
}

void MainForm::setBoxesLocked(bool locked)
{
    for (vb::TextBox *box : {m_view->Text1, m_view->Text2, m_view->Text3, m_view->Text4})
        box->SetLocked(locked);
}

void MainForm::emptyBoxes()
{
    for (vb::TextBox *box : {m_view->Text1, m_view->Text2, m_view->Text3, m_view->Text4})
        box->SetText(QString());
}

void MainForm::Tv_NodeClick(QTreeWidgetItem *node)
{
    switch (vb::TreeView::Kind(node)) {
    case vb::NodeKind::Root:
        return;
    case vb::NodeKind::Recipe: {
        CurrentCategory.clear();
        CurrentRecipe.clear();
        CurrentRecipe = vb::Trim(node->text(0));
        // The category node's key is the table's name exactly.
        CurrentCategory = vb::TreeView::Key(node->parent());
        CurrentRow = vb::TreeView::Row(node).value_or(0);
        handle(QStringLiteral("show the recipe %1").arg(quoted(CurrentRecipe)),
               [] { ShowRecipe(CurrentCategory, vb::Trim(CurrentRecipe), CurrentRow); });
        return;
    }
    case vb::NodeKind::Category:
        if (vb::TreeView::Key(node) != PlaceholderCategory)
            SelectedCategory = vb::TreeView::Key(node);
        return;
    }
}

void MainForm::add_Click()
{
    for (xpcmdbutton *b : {delcatagroy, cancelcata, saveedited, canceledit})
        b->setVisible(false);
    emptyBoxes();
    handle(QStringLiteral("list the categories"), [] { LoadCategoryTree(); });
    setBoxesLocked(false);
    Text1->SetFocus();
    Save->setVisible(true);
    Cancel->setVisible(true);
}

void MainForm::Save_Click()
{
    if (SelectedCategory.isEmpty()) {
        vb::MsgBox(QStringLiteral("Please Choose a Category"));
        return;
    }
    const QString question = QStringLiteral("The Category is: ") + vb::UCase(SelectedCategory) +
                             QStringLiteral("\r\nIs This Category Right ?\r\nIf Not Right Choose "
                                            "[ No ] and then choose the Right Category");
    if (vb::MsgBox(question, vb::vbYesNo + vb::vbCritical + vb::vbDefaultButton2,
                   QStringLiteral("Choose Category")) != vb::vbYes)
        return;
    handle(QStringLiteral("save the new recipe in the category %1").arg(quoted(SelectedCategory)),
           [this] {
               AddRecipe(SelectedCategory);
               vb::MsgBox(QStringLiteral("Recipe Added"));
               SelectedCategory.clear();
               emptyBoxes();
               setBoxesLocked(true);
               LoadTree();
           });
}

void MainForm::Cancel_Click()
{
    Save->setVisible(false);
    Cancel->setVisible(false);
    SelectedCategory.clear();
    emptyBoxes();
    setBoxesLocked(true);
    handle(QStringLiteral("reload the recipes"), [] { LoadTree(); });
}

void MainForm::Edit_Click()
{
    for (xpcmdbutton *b : {delcatagroy, cancelcata, Save, Cancel})
        b->setVisible(false);
    if (Text1->Text().isEmpty()) {
        vb::MsgBox(QStringLiteral("Please Choose a Recipe To Edit"));
        return;
    }
    setBoxesLocked(false);
    Text1->SetFocus();
    saveedited->setVisible(true);
    canceledit->setVisible(true);
}

void MainForm::saveedited_Click()
{
    // Nothing to save into until a recipe is clicked again (canceledit forgets the category).
    // A recipe with a blank name is a recipe all the same, so only the category is tested.
    if (CurrentCategory.isEmpty())
        return;
    handle(QStringLiteral("save the recipe %1").arg(quoted(CurrentRecipe)), [this] {
        UpdateRecipe(CurrentCategory, CurrentRecipe, CurrentRow);
        CurrentCategory.clear();
        CurrentRecipe.clear();
        CurrentRow = 0;
        saveedited->setVisible(false);
        canceledit->setVisible(false);
        setBoxesLocked(true);
    });
}

void MainForm::canceledit_Click()
{
    setBoxesLocked(true);
    CurrentCategory.clear();
    saveedited->setVisible(false);
    canceledit->setVisible(false);
}

void MainForm::delete_Click()
{
    if (Text1->Text().isEmpty()) {
        vb::MsgBox(QStringLiteral("Please Choose a Recipe To Delete"));
        return;
    }
    if (CurrentCategory.isEmpty()) {
        vb::MsgBox(QStringLiteral("No recipe is chosen in the tree, so nothing was deleted.\r\n"
                                  "Please click the recipe to delete in the tree first."));
        return;
    }
    handle(QStringLiteral("delete the recipe %1").arg(quoted(CurrentRecipe)), [] {
        const QString category = CurrentCategory;
        const QString name = CurrentRecipe;
        if (DeleteRecipe(category, name) > 0)
            vb::MsgBox(QStringLiteral("Record Deleted"));
        else
            vb::MsgBox(QStringLiteral("There is no recipe %1 in the category %2 any more, so "
                                      "nothing was deleted.")
                           .arg(quoted(name), quoted(category)));
    });
}

void MainForm::xpcmdbutton2_Click()
{
    handle(QStringLiteral("create the category"), [] { CreateCategory(); });
}

void MainForm::xpcmdbutton1_Click()
{
    for (xpcmdbutton *b : {Save, Cancel, saveedited, canceledit})
        b->setVisible(false);
    SelectedCategory.clear();
    handle(QStringLiteral("list the categories"), [] { LoadCategoryTree(); });
    delcatagroy->setVisible(true);
    cancelcata->setVisible(true);
}

void MainForm::delcatagroy_Click()
{
    if (SelectedCategory.isEmpty()) {
        vb::MsgBox(QStringLiteral("Please Choose a Category"));
        return;
    }
    if (SelectedCategory == PlaceholderCategory) {
        SelectedCategory.clear();
        return;
    }
    handle(QStringLiteral("delete the category %1").arg(quoted(SelectedCategory)),
           [] { DeleteCategory(SelectedCategory); });
}

void MainForm::cancelcata_Click()
{
    cancelcata->setVisible(false);
    delcatagroy->setVisible(false);
    handle(QStringLiteral("reload the recipes"), [] { LoadTree(); });
}

void MainForm::print_Click()
{
    handle(QStringLiteral("print the recipe"), [this] {
        RunPrintCommand(m_folder, Text1->Text(), Text2->Text(), Text3->Text(), Text4->Text());
    });
}

void MainForm::Website_Click()
{
    vb::ShellOpen(WebsiteAddress);
}
