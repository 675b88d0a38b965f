#include "SavePng.h"

#include <QTextStream>

bool savePng(const QImage &image, const QDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    if (image.save(path, "PNG"))
        return true;
    QTextStream(stderr) << "kitchenex-artgen: cannot write " << path << '\n';
    return false;
}
