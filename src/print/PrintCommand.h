#pragma once

#include <QString>

// The main window's print command: writes print.txt and print.htm for the recipe shown into
// folder (the program's folder) and shows the page in the preview window. The four texts are
// those of the name, author, ingredients and instructions boxes, exactly as they stand.
//
// An empty name box is answered with "Please Choose a Recipe"; a name of blanks only, or no
// ingredients or instructions, does nothing at all. A file that cannot be written throws
// std::runtime_error naming the file and the reason; neither file is then left half written.
void RunPrintCommand(const QString &folder, const QString &name, const QString &author,
                     const QString &ingredients, const QString &instructions);

// Closes the preview window if it is loaded (the main window closes it when it unloads).
void UnloadPrintPreview();
