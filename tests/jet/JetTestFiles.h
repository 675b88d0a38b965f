#pragma once

// Helpers shared by the Jet tests: the test files, checksums, damaged copies.

#include "TestSupport.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTest>

namespace jettest {

inline QString jetFile(const QString &name)
{
    return QDir(kxtest::dataDir()).filePath(QStringLiteral("jet/") + name);
}

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

inline QByteArray checksum(const QString &path)
{
    return QCryptographicHash::hash(readAll(path), QCryptographicHash::Sha256).toHex();
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// A copy of a test file with bytes changed: each pair is (offset, new byte).
inline QByteArray patched(const QString &name, const QList<QPair<qint64, char>> &changes)
{
    QByteArray bytes = readAll(jetFile(name));
    for (const auto &[offset, value] : changes)
        bytes[offset] = value;
    return bytes;
}

// A fake .accdb: a Jet file whose header says "Standard ACE DB".
inline QByteArray fakeAccdb()
{
    QByteArray bytes = readAll(jetFile(QStringLiteral("recipes_V2000.mdb")));
    bytes.replace(4, 15, "Standard ACE DB");
    return bytes;
}

// Damaged copies of the recipe file that libmdb takes for a database. Pages are 4 KiB.
inline QByteArray withPageFilled(const QString &name, int page, char value, int pageSize = 4096)
{
    QByteArray bytes = readAll(jetFile(name));
    bytes.replace(qsizetype(page) * pageSize, pageSize, QByteArray(pageSize, value));
    return bytes;
}

} // namespace jettest
