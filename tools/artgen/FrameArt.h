#pragma once

#include <QDir>

// The ten frame pieces, the default frame icon and the program's icon, as PNG files under
// out/frame and out/icons.
bool writeFrameArt(const QDir &out);
