#pragma once

#include <QString>

// Where the recipes live, decided once at start-up.
//
// Portable: when the program's own folder holds Recipe.mdb (the build folder, or a folder
// copied to a memory stick), the recipes, print.txt, print.htm and the backups stay there.
//
// Installed: otherwise they live in the user's data folder, $XDG_DATA_HOME/kitchenex
// (~/.local/share/kitchenex when XDG_DATA_HOME is unset, empty or not an absolute path). On the
// first start that folder is made and the starter database installed with the program
// (../share/kitchenex/Recipe.mdb from the program's folder) is copied into it. The copy is
// written under a temporary name, synced and checked before it takes the name Recipe.mdb, and
// it never takes the place of a file that is there.
namespace DataFolder {

struct Place
{
    QString folder; // where Recipe.mdb, print.txt, print.htm and the backups are
    bool portable = false;
    QString problem; // "" or what went wrong, naming the folder or file, for the user
};

// The folder of the running program, known before the application object exists; "" when
// unknown.
QString ProgramFolder();

// The user's data folder for the program: $XDG_DATA_HOME/kitchenex, or
// $HOME/.local/share/kitchenex when XDG_DATA_HOME is unset, empty or relative.
QString UserDataFolder();

// Decides where the recipes of the program in programFolder live and, in the installed case,
// makes the folder and places the starter database there when no Recipe.mdb is there yet.
// Nothing that is there is ever changed.
Place Locate(const QString &programFolder);

} // namespace DataFolder
