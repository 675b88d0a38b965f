#pragma once

#include <QDir>
#include <QImage>

// The command-button strip and the four title-bar button strips, as PNG files under out/buttons:
//   cmdbutton.png  90 x 21, five 18 x 21 cells: resting, pressed, disabled, hovered, highlighted
//   close.png, maximize.png, minimize.png, restore.png
//                  84 x 21, four 21 x 21 cells: normal, hover, pressed, disabled
bool writeButtonArt(const QDir &out);

// The strips themselves, for the generator and for a look at them without writing files.
QImage commandButtonStrip();
QImage titleButtonStrip(int kind); // 0 close, 1 maximise, 2 minimise, 3 restore
