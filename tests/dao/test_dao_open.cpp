#include "DaoTest.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sqlite3.h>

using namespace daotest;

namespace {

// An SQLite file made by some other program, marked with its own application id (or none).
void makeForeignDatabase(const QString &path, int applicationId)
{
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    const QByteArray sql = "CREATE TABLE notes (body TEXT); INSERT INTO notes VALUES ('hi');"
                           "PRAGMA application_id = " +
                           QByteArray::number(applicationId);
    QCOMPARE(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

int pageSizeOf(const QByteArray &bytes)
{
    return (static_cast<unsigned char>(bytes[16]) << 8) | static_cast<unsigned char>(bytes[17]);
}

QByteArray storedHash(const QString &path)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT value FROM _kx_meta WHERE key = 'password_hash'", -1, &stmt,
                       nullptr);
    QByteArray hash;
    if (sqlite3_step(stmt) == SQLITE_ROW)
        hash = QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, 0)),
                          sqlite3_column_bytes(stmt, 0));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return hash;
}

} // namespace

void DaoTest::openRefusesWhatIsNotOurs_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("connect");
    QTest::addColumn<int>("error");

    QTest::newRow("missing file") << "missing" << Connect << int(dao::errFileNotFound);
    QTest::newRow("folder") << "folder" << Connect << int(dao::errCannotOpenFile);
    QTest::newRow("empty file") << "empty" << Connect << int(dao::errUnrecognizedFormat);
    QTest::newRow("text file") << "text" << Connect << int(dao::errUnrecognizedFormat);
    QTest::newRow("cut inside the header") << "short" << Connect << int(dao::errUnrecognizedFormat);
    QTest::newRow("SQLite file of another program")
        << "foreign" << Connect << int(dao::errUnrecognizedFormat);
    QTest::newRow("SQLite file with another id")
        << "foreign id" << Connect << int(dao::errUnrecognizedFormat);
    QTest::newRow("wrong password") << "ours"
                                    << ";Pwd=letmein" << int(dao::errNotValidPassword);
    QTest::newRow("no password") << "ours"
                                 << "" << int(dao::errNotValidPassword);
    QTest::newRow("password of another key")
        << "ours"
        << ";Uid=9753102468mqzkrt" << int(dao::errNotValidPassword);
    QTest::newRow("cut after the first page part")
        << "truncated" << Connect << int(dao::errDatabaseDamaged);
    QTest::newRow("table list overwritten") << "damaged" << Connect << int(dao::errDatabaseDamaged);
}

void DaoTest::openRefusesWhatIsNotOurs()
{
    QFETCH(QString, kind);
    QFETCH(QString, connect);
    QFETCH(int, error);

    const QString file = path(QStringLiteral("Recipe.mdb"));
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("Recipe.mdb")));
    } else if (kind == QLatin1String("empty")) {
        writeFile(file, QByteArray());
    } else if (kind == QLatin1String("text")) {
        writeFile(file, "Name;Author\r\nPea soup;Ann\r\n");
    } else if (kind == QLatin1String("short")) {
        writeFile(file, QByteArray("SQLite for"));
    } else if (kind == QLatin1String("foreign")) {
        makeForeignDatabase(file, 0);
    } else if (kind == QLatin1String("foreign id")) {
        makeForeignDatabase(file, 0x12345678);
    } else if (kind != QLatin1String("missing")) {
        makeRecipes(file, QStringLiteral("Soups"), {QStringLiteral("Pea soup")});
        QByteArray bytes = fileBytes(file);
        if (kind == QLatin1String("truncated")) {
            writeFile(file, bytes.left(pageSizeOf(bytes) / 2));
        } else if (kind == QLatin1String("damaged")) {
            // The page header of the table list, right after the 100-byte file header.
            bytes.replace(100, 12, QByteArray(12, '\x5a'));
            writeFile(file, bytes);
        }
    }
    const QByteArray before = fileBytes(file);

    const QString message = messageOf([&] {
        dao::DBEngine::OpenDatabase(path(QStringLiteral("Recipe")), false, false, connect);
    });
    QCOMPARE(errorOf([&] {
                 dao::DBEngine::OpenDatabase(path(QStringLiteral("Recipe")), false, false, connect);
             }),
             error);
    QVERIFY2(message.contains(QLatin1String("Recipe.mdb")), qPrintable(message));
    // A refused file is left exactly as it was, and a missing one is not made.
    QCOMPARE(fileBytes(file), before);
    if (kind == QLatin1String("missing"))
        QVERIFY(QDir(m_dir->path()).isEmpty());
}

void DaoTest::openCompletesTheExtension()
{
    dao::DBEngine::CreateDatabase(path(QStringLiteral("Recipe")), Password)->Close();
    QVERIFY(QFile::exists(path(QStringLiteral("Recipe.mdb"))));
    QVERIFY(!QFile::exists(path(QStringLiteral("Recipe"))));
    auto db = open(path(QStringLiteral("Recipe")));
    QCOMPARE(db->Name(), QFileInfo(path(QStringLiteral("Recipe.mdb"))).absoluteFilePath());
    db->Close();

    // Any extension is kept as it is, and a dot in a folder name is not an extension.
    dao::DBEngine::CreateDatabase(path(QStringLiteral("book.db")), Password)->Close();
    QVERIFY(QFile::exists(path(QStringLiteral("book.db"))));
    open(path(QStringLiteral("book.db")))->Close();
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("my.recipes")));
    dao::DBEngine::CreateDatabase(path(QStringLiteral("my.recipes/Recipe")), Password)->Close();
    QVERIFY(QFile::exists(path(QStringLiteral("my.recipes/Recipe.mdb"))));

    // A file without extension is not what "Plain" names.
    QVERIFY(QFile::copy(path(QStringLiteral("Recipe.mdb")), path(QStringLiteral("Plain"))));
    QCOMPARE(errorOf([&] { open(path(QStringLiteral("Plain"))); }), int(dao::errFileNotFound));
}

void DaoTest::openReadsThePasswordFromTheConnectString()
{
    const QString file = path(QStringLiteral("Secret.mdb"));
    const QString password = QStringLiteral("s3 cret=Ä");
    dao::DBEngine::CreateDatabase(file, password)->Close();

    for (const QString &connect :
         {QStringLiteral(";Pwd=s3 cret=Ä"), QStringLiteral(";PWD=s3 cret=Ä"),
          QStringLiteral("MS Access; pwd=s3 cret=Ä;")}) {
        QCOMPARE(errorOf([&] { dao::DBEngine::OpenDatabase(file, false, false, connect); }), 0);
    }
    for (const QString &connect :
         {QStringLiteral(";Pwd=S3 CRET=ä"), QStringLiteral(";Pwd=s3 cret=Ä "),
          QStringLiteral(";Pwd="), QStringLiteral("s3 cret=Ä")}) {
        QCOMPARE(errorOf([&] { dao::DBEngine::OpenDatabase(file, false, false, connect); }),
                 int(dao::errNotValidPassword));
    }

    // Kept as a salted hash: not in the file in any encoding, different in every file.
    const QByteArray bytes = fileBytes(file);
    QVERIFY(!bytes.contains(password.toUtf8()));
    QVERIFY(!bytes.contains(
        QByteArray(reinterpret_cast<const char *>(password.utf16()), password.size() * 2)));
    const QString twin = path(QStringLiteral("Twin.mdb"));
    dao::DBEngine::CreateDatabase(twin, password)->Close();
    QVERIFY(!storedHash(file).isEmpty());
    QVERIFY(storedHash(file) != storedHash(twin));
}

void DaoTest::createNeverOverwrites()
{
    const QString text = path(QStringLiteral("notes.mdb"));
    writeFile(text, "keep me");
    const QString empty = path(QStringLiteral("empty.mdb"));
    writeFile(empty, QByteArray());
    const QString ours = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(ours, QStringLiteral("Soups"), {QStringLiteral("Pea soup")});
    const QByteArray oursBefore = fileBytes(ours);

    for (const QString &target : {text, empty, ours, path(QStringLiteral("Recipe"))}) {
        QCOMPARE(errorOf([&] { dao::DBEngine::CreateDatabase(target, Password); }),
                 int(dao::errDatabaseExists));
    }
    QCOMPARE(fileBytes(text), QByteArray("keep me"));
    QCOMPARE(fileBytes(empty), QByteArray());
    QCOMPARE(fileBytes(ours), oursBefore);

    // A link pointing nowhere is not followed to make its target.
    const QString target = path(QStringLiteral("elsewhere.mdb"));
    QVERIFY(QFile::link(target, path(QStringLiteral("link.mdb"))));
    QCOMPARE(
        errorOf([&] { dao::DBEngine::CreateDatabase(path(QStringLiteral("link.mdb")), Password); }),
        int(dao::errDatabaseExists));
    QVERIFY(!QFile::exists(target));

    QCOMPARE(errorOf([&] {
                 dao::DBEngine::CreateDatabase(path(QStringLiteral("no/such/x.mdb")), Password);
             }),
             int(dao::errCannotOpenFile));
    QCOMPARE(errorOf([&] {
                 dao::DBEngine::CreateDatabase(path(QStringLiteral("semi.mdb")),
                                               QStringLiteral("a;b"));
             }),
             int(dao::errNotValidPassword));
    QVERIFY(!QFile::exists(path(QStringLiteral("semi.mdb"))));
}

void DaoTest::readOnlyOpenRefusesWrites()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, QStringLiteral("Soups"), {QStringLiteral("Pea soup")});
    const QByteArray before = fileBytes(file);

    auto db = open(file, true);
    auto rs = db->OpenRecordset(QStringLiteral("Soups"));
    QCOMPARE(rs->Fields(0).Value().toString(), QStringLiteral("Pea soup"));
    QCOMPARE(errorOf([&] {
                 rs->AddNew();
                 rs->Fields(0).setValue(QStringLiteral("Leek soup"));
                 rs->Update();
             }),
             int(dao::errReadOnly));
    rs->CancelUpdate();
    QCOMPARE(errorOf([&] { rs->Delete(); }), int(dao::errReadOnly));
    QCOMPARE(errorOf([&] { addRecipeTable(*db, QStringLiteral("Stews")); }), int(dao::errReadOnly));
    QCOMPARE(errorOf([&] { db->TableDefs().Delete(QStringLiteral("Soups")); }),
             int(dao::errReadOnly));
    QCOMPARE(rs->RecordCount(), 1L);
    db->Close();
    QCOMPARE(fileBytes(file), before);
}

void DaoTest::damagedDataPageIsReported()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    const QString marker = QStringLiteral("MARKER-") + QString(200, QLatin1Char('m'));
    {
        auto db = createDatabase(file);
        addRecipeTable(*db, QStringLiteral("Soups"));
        auto rs = db->OpenRecordset(QStringLiteral("Soups"));
        rs->AddNew();
        rs->Fields(0).setValue(QStringLiteral("Pea soup"));
        rs->Fields(2).setValue(marker);
        rs->Update();
        db->Close();
    }
    QByteArray bytes = fileBytes(file);
    const qsizetype at = bytes.indexOf(
        QByteArray(reinterpret_cast<const char *>(marker.utf16()), marker.size() * 2));
    QVERIFY(at > 0);
    const int pageSize = pageSizeOf(bytes);
    const qsizetype pageStart = at / pageSize * pageSize;
    QVERIFY(pageStart > 0);
    bytes.replace(pageStart, 8, QByteArray(8, '\xff')); // the page's b-tree header
    writeFile(file, bytes);

    // The table list is intact, so the file opens; reading the table says it is damaged.
    QCOMPARE(tableNames(file), QStringList{QStringLiteral("Soups")});
    const QString message = messageOf([&] { namesOf(file, QStringLiteral("Soups")); });
    QCOMPARE(errorOf([&] { namesOf(file, QStringLiteral("Soups")); }),
             int(dao::errDatabaseDamaged));
    QVERIFY2(message.contains(QLatin1String("Recipe.mdb")), qPrintable(message));
}
