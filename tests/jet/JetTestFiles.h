#pragma once

// Helpers shared by the Jet tests: the test files, their checksums, damaged copies.

#include "TestSupport.h"
#include "platform/jet/JetFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QMap>
#include <QTest>

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

// The test files are only ever read: after every test each is byte for byte what it was.
class FilesUnchanged : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        m_checksums = checksums();
        QCOMPARE(m_checksums.size(), qsizetype(9));
    }
    void cleanup() { QCOMPARE(checksums(), m_checksums); }

private:
    QMap<QString, QByteArray> m_checksums;
};

// A row's values as texts, null as "<null>".
inline QStringList texts(const jet::Row &row)
{
    QStringList result;
    for (const QVariant &value : row)
        result.append(value.isValid() ? value.toString() : QStringLiteral("<null>"));
    return result;
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
