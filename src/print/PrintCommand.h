#pragma once

#include <QString>

class QWidget;

// The main window's print command: writes print.txt and print.htm for the recipe shown into
// the program's folder and shows them in the preview window.
void RunPrintCommand(const QString &folder, const QString &name, const QString &author,
                     const QString &ingredients, const QString &instructions);

// Closes the preview window if it is loaded (the main window closes it when it unloads).
void UnloadPrintPreview();
