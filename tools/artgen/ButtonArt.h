#pragma once

#include <QDir>

// The command-button strip and the four title-bar button strips, as PNG files under out/buttons.
bool writeButtonArt(const QDir &out);
