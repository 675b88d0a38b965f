#include "DaoTest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace daotest;

void DaoTest::openRefusesWhatIsNotOurs_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("connect");
    QTest::addColumn<int>("error");

    const auto row = [](const char *tag, const char *kind, int error,
                        const QString &connect = Connect) {
        QTest::newRow(tag) << QString::fromLatin1(kind) << connect << error;
    };
    row("missing file", "missing", dao::errFileNotFound);
    row("folder", "folder", dao::errCannotOpenFile);
    row("empty file", "empty", dao::errUnrecognizedFormat);
    row("text file", "text", dao::errUnrecognizedFormat);
    row("cut inside the header", "short", dao::errUnrecognizedFormat);
    row("SQLite file of another program", "foreign", dao::errUnrecognizedFormat);
    row("SQLite file with another id", "foreign id", dao::errUnrecognizedFormat);
    row("made by a newer version", "newer", dao::errUnrecognizedFormat);
    row("wrong password", "ours", dao::errNotValidPassword, QStringLiteral(";Pwd=letmein"));
    row("no password", "ours", dao::errNotValidPassword, QString());
    row("cut in the first page", "truncated", dao::errDatabaseDamaged);
    row("table list overwritten", "table list", dao::errDatabaseDamaged);
    row("data page overwritten", "data page", dao::errDatabaseDamaged);
}

void DaoTest::openRefusesWhatIsNotOurs()
{
    QFETCH(QString, kind);
    QFETCH(QString, connect);
    QFETCH(int, error);

    const QString file = path();
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("Recipe.mdb")));
    } else if (kind == QLatin1String("empty")) {
        QVERIFY(writeFile(file, QByteArray()));
    } else if (kind == QLatin1String("text")) {
        QVERIFY(writeFile(file, "Name;Author\r\nPea soup;Ann\r\n"));
    } else if (kind == QLatin1String("short")) {
        QVERIFY(writeFile(file, "SQLite for"));
    } else if (kind.startsWith(QLatin1String("foreign"))) {
        execRaw(file, kind == QLatin1String("foreign")
                          ? "CREATE TABLE Soups (Name TEXT)"
                          : "CREATE TABLE Soups (Name TEXT); PRAGMA application_id = 12345678");
    } else if (kind == QLatin1String("newer")) {
        makeRecipes(file, Soups, {QStringLiteral("Pea soup")});
        execRaw(file, "UPDATE _kx_meta SET value = '2' WHERE key = 'format'");
    } else if (kind != QLatin1String("missing")) {
        makeRecipes(file, Soups, {QStringLiteral("Pea soup")});
        QByteArray bytes = fileBytes(file);
        const int pageSize = (uchar(bytes[16]) << 8) | uchar(bytes[17]);
        if (kind == QLatin1String("truncated")) {
            bytes.truncate(pageSize / 2);
        } else if (kind == QLatin1String("table list")) {
            // The page header of the table list, after the 100-byte file header.
            bytes.replace(100, 12, QByteArray(12, '\x5a'));
        } else if (kind == QLatin1String("data page")) {
            // The b-tree header of the page holding the record, whose text is stored as UTF-16.
            const QString soup = QStringLiteral("Pea soup");
            const qsizetype at =
                bytes.indexOf(QByteArray(reinterpret_cast<const char *>(soup.utf16()), 16));
            QVERIFY(at >= pageSize);
            bytes.replace(at / pageSize * pageSize, 8, QByteArray(8, '\xff'));
        }
        QVERIFY(writeFile(file, bytes));
    }
    const QByteArray before = fileBytes(file);

    // A damaged data page is only found when the table is read.
    const dao::Error e = failure([&] {
        auto db =
            dao::DBEngine::OpenDatabase(path(QStringLiteral("Recipe")), false, false, connect);
        db->OpenRecordset(Soups)->Fields(0).Value();
    });
    QCOMPARE(e.number(), error);
    QVERIFY2(e.message().contains(QLatin1String("Recipe.mdb")), qPrintable(e.message()));
    QCOMPARE(fileBytes(file), before);
    if (kind == QLatin1String("missing"))
        QVERIFY(QDir(m_dir->path()).isEmpty());
}

void DaoTest::openCompletesTheExtension()
{
    dao::DBEngine::CreateDatabase(path(QStringLiteral("Recipe")), Password)->Close();
    QVERIFY(QFile::exists(path()));
    QVERIFY(!QFile::exists(path(QStringLiteral("Recipe"))));
    QCOMPARE(open(path(QStringLiteral("Recipe")))->Name(), QFileInfo(path()).absoluteFilePath());

    // Any other extension is kept, and a dot in a folder name is no extension.
    dao::DBEngine::CreateDatabase(path(QStringLiteral("book.db")), Password)->Close();
    QCOMPARE(errorOf([&] { open(path(QStringLiteral("book.db"))); }), 0);
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("my.recipes")));
    dao::DBEngine::CreateDatabase(path(QStringLiteral("my.recipes/Recipe")), Password)->Close();
    QVERIFY(QFile::exists(path(QStringLiteral("my.recipes/Recipe.mdb"))));

    QVERIFY(QFile::copy(path(), path(QStringLiteral("Plain"))));
    QCOMPARE(errorOf([&] { open(path(QStringLiteral("Plain"))); }), int(dao::errFileNotFound));
}

void DaoTest::passwordInTheConnectString()
{
    const QString file = path(QStringLiteral("Secret.mdb"));
    const QString password = QStringLiteral("s3 cret=Ä");
    dao::DBEngine::CreateDatabase(file, password)->Close();
    const auto openWith = [&](const char *connect) {
        return errorOf(
            [&] { dao::DBEngine::OpenDatabase(file, false, false, QString::fromUtf8(connect)); });
    };
    for (const char *connect : {";Pwd=s3 cret=Ä", ";PWD=s3 cret=Ä", "MS Access; pwd=s3 cret=Ä;"})
        QCOMPARE(openWith(connect), 0);
    for (const char *connect :
         {";Pwd=S3 CRET=ä", ";Pwd=s3 cret=Ä ", ";Pwd=", "s3 cret=Ä", ";Uid=s3 cret=Ä"})
        QCOMPARE(openWith(connect), int(dao::errNotValidPassword));

    // Kept as a hash: the password is in the file in no encoding.
    const QByteArray bytes = fileBytes(file);
    QVERIFY(!bytes.contains(password.toUtf8()));
    QVERIFY(!bytes.contains(
        QByteArray(reinterpret_cast<const char *>(password.utf16()), password.size() * 2)));
}

void DaoTest::createNeverOverwrites()
{
    const auto create = [&](const QString &name) {
        return errorOf([&] { dao::DBEngine::CreateDatabase(path(name), Password); });
    };
    QVERIFY(writeFile(path(QStringLiteral("notes.mdb")), "keep me"));
    QVERIFY(writeFile(path(QStringLiteral("empty.mdb")), QByteArray()));
    makeRecipes(path(), Soups, {QStringLiteral("Pea soup")});
    const QByteArray ours = fileBytes(path());

    for (const char *name : {"notes.mdb", "empty.mdb", "Recipe.mdb", "Recipe"})
        QCOMPARE(create(QString::fromLatin1(name)), int(dao::errDatabaseExists));
    QCOMPARE(fileBytes(path(QStringLiteral("notes.mdb"))), QByteArray("keep me"));
    QCOMPARE(fileBytes(path(QStringLiteral("empty.mdb"))), QByteArray());
    QCOMPARE(fileBytes(path()), ours);

    // A link pointing nowhere is not followed to make its target.
    QVERIFY(QFile::link(path(QStringLiteral("elsewhere.mdb")), path(QStringLiteral("link.mdb"))));
    QCOMPARE(create(QStringLiteral("link.mdb")), int(dao::errDatabaseExists));
    QVERIFY(!QFile::exists(path(QStringLiteral("elsewhere.mdb"))));
}
