#pragma once

#include <QString>

#include <cstdio>

// What the command-line tools print: a line in the locale's encoding.
inline void print(FILE *to, const QString &text)
{
    const QByteArray bytes = (text + QLatin1Char('\n')).toLocal8Bit();
    fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
}
