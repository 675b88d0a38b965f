// The main window's keys. Each does exactly what a click on its button does, while that button
// is shown and enabled, and the button's tooltip names it. Where one key serves several
// buttons, the first listed that can be clicked is clicked. A new key is one more line: a row
// of the table, or for a command without a button keys->bind(key, [this] { ... }).
#include "MainForm.h"

#include "controls/KeyCommands.h"
#include "controls/xpcmdbutton.h"

void MainForm::bindKeys()
{
    auto *keys = new KeyCommands(this);
    const struct
    {
        QKeySequence key;
        SkinButton *button;
        const char *what;
        QWidget *scope = nullptr; // where the focus must be; anywhere in the window when none
    } table[] = {
        {Qt::CTRL | Qt::Key_N, add, "Add a recipe"},
        {Qt::CTRL | Qt::Key_S, Save, "Save the new recipe"},
        {Qt::CTRL | Qt::Key_S, saveedited, "Save the edited recipe"},
        {Qt::Key_Escape, Cancel, "Cancel adding"},
        {Qt::Key_Escape, canceledit, "Cancel editing"},
        {Qt::Key_Escape, cancelcata, "Cancel deleting a category"},
        {Qt::Key_F2, Edit, "Edit the recipe shown"},
        // In the tree, so that Delete in a box deletes text; a category first, in its mode.
        {Qt::Key_Delete, delcatagroy, "Delete the category chosen in the tree", Tv},
        {Qt::Key_Delete, delete_, "Delete the recipe chosen in the tree", Tv},
        {Qt::CTRL | Qt::Key_P, print, "Print the recipe shown"},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_N, xpcmdbutton2, "Add a category"},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Delete, xpcmdbutton1, "Choose a category to delete"},
        {Qt::Key_F1, Website, "Visit the website"},
    };
    for (const auto &row : table)
        keys->bind(row.key, row.button, QString::fromUtf8(row.what), row.scope);
    // In a text box being edited the box takes these keys for its own undo and redo.
    keys->bind(Qt::CTRL | Qt::Key_Z, [this] { UndoChange(); });
    keys->bind(Qt::CTRL | Qt::Key_Y, [this] { RedoChange(); });
    keys->bind(Qt::CTRL | Qt::SHIFT | Qt::Key_Z, [this] { RedoChange(); });
}
