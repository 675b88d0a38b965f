#pragma once

// Helpers shared by the Jet tests: the test files, their checksums, damaged copies.

#include "TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QMap>

namespace jettest {

inline const QString Recipes = QStringLiteral("recipes_V2000.mdb");

inline QString jetFile(const QString &name)
{
    return QDir(kxtest::dataDir()).filePath(QStringLiteral("jet/") + name);
}

using kxtest::fileBytes, kxtest::writeFile;

// The checksum of every test file, to show that no test writes to them.
inline QMap<QString, QByteArray> checksums()
{
    QMap<QString, QByteArray> sums;
    const QDir dir(jetFile(QString()));
    for (const QString &name : dir.entryList({QStringLiteral("*.mdb")}, QDir::Files))
        sums.insert(name, QCryptographicHash::hash(fileBytes(dir.filePath(name)),
                                                   QCryptographicHash::Sha256));
    return sums;
}

// A copy of a test file with `bytes` written over it at `offset`. Pages are 4 KiB in Jet 4,
// 2 KiB in Jet 3.
inline QByteArray patched(const QString &name, qint64 offset, const QByteArray &bytes)
{
    QByteArray copy = fileBytes(jetFile(name));
    copy.replace(offset, bytes.size(), bytes);
    return copy;
}

// A Jet file whose header says "Standard ACE DB", as an .accdb's does.
inline QByteArray fakeAccdb()
{
    return patched(Recipes, 4, "Standard ACE DB");
}

} // namespace jettest
