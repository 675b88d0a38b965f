#pragma once

#include <QDir>
#include <QImage>
#include <QString>

// Writes image as dir/name in PNG; says on the standard error which file could not be written.
bool savePng(const QImage &image, const QDir &dir, const QString &name);
