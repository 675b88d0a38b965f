// The Jet reader on the public test files: Jet 3 and Jet 4, encrypted pages, database
// passwords, text in many scripts, long memos, deleted and moved rows; and on damaged files,
// which must be refused with a sentence, never crash the caller.

#include "JetTestFiles.h"
#include "platform/jet/JetFile.h"
#include "platform/jet/JetHeader.h"
#include "platform/jet/JetReaderProcess.h"

#include <QTemporaryDir>
#include <QtTest>

using jet::JetError;
using jet::JetFile;
using jet::JetHeader;
using jettest::jetFile;

namespace {

QStringList texts(const jet::Row &row)
{
    QStringList result;
    for (const QVariant &value : row)
        result.append(value.isValid() ? value.toString() : QStringLiteral("<null>"));
    return result;
}

const QStringList AllFiles = {
    QStringLiteral("jackcess_delTestV2000.mdb"),
    QStringLiteral("jackcess_overflowTestV2000.mdb"),
    QStringLiteral("jackcess_test2V1997.mdb"),
    QStringLiteral("jackcess_testUnicodeCompV2003.mdb"),
    QStringLiteral("jackcessencrypt_db-enc.mdb"),
    QStringLiteral("jackcessencrypt_db97-enc.mdb"),
    QStringLiteral("mdbreader_V2000_with-password.mdb"),
    QStringLiteral("mdbreader_V2003_with-password.mdb"),
    QStringLiteral("recipes_V2000.mdb"),
};

} // namespace

class TestJetReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void headers_data();
    void headers();
    void tablesOfEveryFile_data();
    void tablesOfEveryFile();
    void encryptedAndPasswordFiles_data();
    void encryptedAndPasswordFiles();
    void jet3MemoAndOle();
    void unicodeInManyScripts();
    void recipeFileWhole();
    void deletedRowsAbsent();
    void movedRowsInStoredOrder();
    void processGivesWhatTheFileGives();
    void damagedFilesRefused_data();
    void damagedFilesRefused();
    void readerThatHangsIsStopped();

private:
    QTemporaryDir m_dir;
    QMap<QString, QByteArray> m_checksums;
};

void TestJetReader::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (const QString &name : AllFiles) {
        QVERIFY2(QFileInfo::exists(jetFile(name)), qPrintable(jetFile(name)));
        m_checksums.insert(name, jettest::checksum(jetFile(name)));
    }
}

// Reading never writes: every test file is byte for byte what it was.
void TestJetReader::cleanupTestCase()
{
    for (const QString &name : AllFiles)
        QCOMPARE(jettest::checksum(jetFile(name)), m_checksums.value(name));
}

void TestJetReader::headers_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("problem");
    QTest::newRow("Jet 4") << jettest::readAll(jetFile(QStringLiteral("recipes_V2000.mdb")))
                           << int(JetHeader::Format::Jet4) << QString();
    QTest::newRow("Jet 3") << jettest::readAll(jetFile(QStringLiteral("jackcess_test2V1997.mdb")))
                           << int(JetHeader::Format::Jet3) << QString();
    QTest::newRow("accdb") << jettest::fakeAccdb() << int(JetHeader::Format::Ace)
                           << QStringLiteral(".accdb");
    QTest::newRow("cut in a page")
        << jettest::readAll(jetFile(QStringLiteral("recipes_V2000.mdb"))).left(100000)
        << int(JetHeader::Format::Jet4) << QStringLiteral("truncated");
    QTest::newRow("two pages")
        << jettest::readAll(jetFile(QStringLiteral("recipes_V2000.mdb"))).left(8192)
        << int(JetHeader::Format::Jet4) << QStringLiteral("truncated");
    QTest::newRow("SQLite file") << QByteArray("SQLite format 3\0........................", 40)
                                 << int(JetHeader::Format::NotAccess)
                                 << QStringLiteral("not an Access database");
    QTest::newRow("empty") << QByteArray() << int(JetHeader::Format::NotAccess)
                           << QStringLiteral("not an Access database");
}

void TestJetReader::headers()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, format);
    QFETCH(QString, problem);
    const QString path = m_dir.filePath(QStringLiteral("header.mdb"));
    QVERIFY(jettest::writeAll(path, bytes));
    const JetHeader header = JetHeader::inspect(path);
    QCOMPARE(int(header.format()), format);
    if (problem.isEmpty())
        QCOMPARE(header.problem(), QString());
    else
        QVERIFY2(header.problem().contains(problem), qPrintable(header.problem()));

    const JetHeader missing = JetHeader::inspect(m_dir.filePath(QStringLiteral("none.mdb")));
    QCOMPARE(missing.format(), JetHeader::Format::Unreadable);
    QVERIFY(missing.problem().contains(QStringLiteral("no such file")));
}

void TestJetReader::tablesOfEveryFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("version");
    QTest::addColumn<QStringList>("tables");
    QTest::addColumn<QList<int>>("columns");
    QTest::addColumn<QList<qint64>>("rows");
    auto row = [](const char *file, int version, const QStringList &tables,
                  const QList<int> &columns, const QList<qint64> &rows) {
        QTest::newRow(file) << QString::fromLatin1(file) << version << tables << columns << rows;
    };
    row("jackcess_delTestV2000.mdb", 4, {"Table"}, {2}, {2});
    row("jackcess_overflowTestV2000.mdb", 4, {"Table1"}, {9}, {7});
    row("jackcess_test2V1997.mdb", 3, {"MSP_PROJECTS"}, {74}, {1});
    row("jackcess_testUnicodeCompV2003.mdb", 4, {"Table"}, {2}, {8});
    row("jackcessencrypt_db-enc.mdb", 4, {"Table1"}, {3}, {2});
    row("jackcessencrypt_db97-enc.mdb", 3, {"Table1"}, {3}, {2});
    row("mdbreader_V2000_with-password.mdb", 4, {"Table1"}, {2}, {3});
    row("mdbreader_V2003_with-password.mdb", 4, {"Table1"}, {2}, {3});
    row("recipes_V2000.mdb", 4, {"Soups", "Cakes & Pies", "Empty category"}, {4, 4, 4},
        {6, 120, 0});
}

// The user tables of each file, no system table among them, and every row of each readable.
void TestJetReader::tablesOfEveryFile()
{
    QFETCH(QString, file);
    QFETCH(int, version);
    QFETCH(QStringList, tables);
    QFETCH(QList<int>, columns);
    QFETCH(QList<qint64>, rows);

    JetFile jetFile(jettest::jetFile(file));
    QCOMPARE(jetFile.jetVersion(), version);
    const QList<jet::Table> found = jetFile.tables();
    QStringList names;
    for (const jet::Table &table : found)
        names.append(table.name);
    QCOMPARE(names, tables);
    for (int i = 0; i < found.size(); ++i) {
        QCOMPARE(found[i].columns.size(), columns[i]);
        QCOMPARE(found[i].rowCount, rows[i]);
        const jet::TableData data = jetFile.read(found[i].name);
        QCOMPARE(data.rows.size(), rows[i]);
        for (const jet::Row &row : data.rows)
            QCOMPARE(row.size(), columns[i]);
    }
    QVERIFY_THROWS_EXCEPTION(JetError, jetFile.read(QStringLiteral("MSysObjects")));
}

void TestJetReader::encryptedAndPasswordFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QList<QStringList>>("expected");
    const QList<QStringList> encrypted = {{"1", "hello", "0"}, {"2", "world", "42"}};
    const QList<QStringList> password = {{"1", "One"}, {"2", "Two"}, {"3", "Three"}};
    QTest::newRow("Jet 4, encrypted pages") << "jackcessencrypt_db-enc.mdb" << encrypted;
    QTest::newRow("Jet 3, encrypted pages") << "jackcessencrypt_db97-enc.mdb" << encrypted;
    QTest::newRow("Access 2000 password") << "mdbreader_V2000_with-password.mdb" << password;
    QTest::newRow("Access 2003 password") << "mdbreader_V2003_with-password.mdb" << password;
}

// libmdb decrypts page-encrypted files by itself and needs no database password.
void TestJetReader::encryptedAndPasswordFiles()
{
    QFETCH(QString, file);
    QFETCH(QList<QStringList>, expected);
    const jet::TableData data = JetFile(jetFile(file)).read(QStringLiteral("Table1"));
    QList<QStringList> rows;
    for (const jet::Row &row : data.rows)
        rows.append(texts(row));
    QCOMPARE(rows, expected);
}

void TestJetReader::jet3MemoAndOle()
{
    const jet::TableData data = JetFile(jetFile(QStringLiteral("jackcess_test2V1997.mdb")))
                                    .read(QStringLiteral("MSP_PROJECTS"));
    const jet::Row &row = data.rows.at(0);
    QCOMPARE(data.table.columns.at(2).type, int(jet::Memo));
    QCOMPARE(row.at(1).toString(), QStringLiteral("Project1"));
    const QString memo = row.at(2).toString();
    QCOMPARE(memo.size(), 348);
    QVERIFY(memo.startsWith(QStringLiteral("Jon Iles this is a a vawesrasoih")));
    QVERIFY(memo.endsWith(QStringLiteral("jflksjadf as")));
    QCOMPARE(row.at(9).toString(), QStringLiteral("£")); // from the code page, as UTF-8
    QCOMPARE(row.at(4), QVariant());                     // a null memo stays null
    QCOMPARE(data.table.columns.at(73).type, int(jet::OleObject));
    QCOMPARE(row.at(73).toByteArray().size(), 22970); // OLE value read over several pages
}

void TestJetReader::unicodeInManyScripts()
{
    const jet::TableData data =
        JetFile(jetFile(QStringLiteral("jackcess_testUnicodeCompV2003.mdb")))
            .read(QStringLiteral("Table"));
    const QStringList expected = {
        QStringLiteral("only ascii chars"),
        QStringLiteral("ääkkösiä"),
        QStringLiteral("Мир"),
        QStringLiteral("\u03F0\u03B1\u1F76 \u03C4\u1F79\u03C4' \u1F10\u03B3\u1F7C "
                       "\u039A\u1F7B\u03F0\u03BB\u03C9\u03C0\u03B1"), // Greek with oxia
        QStringLiteral("漢字仮名交じり文"),
        QStringLiteral("3L9\u001D52\u0002_AB(\u00A5\u0005!!V"), // control characters too
        QStringLiteral("ümlaut"),
    };
    QCOMPARE(data.rows.size(), 8);
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(data.rows[i].at(0).toString(), QString::number(i + 1));
        QCOMPARE(data.rows[i].at(1).toString(), expected[i]);
    }
    QString everyLatin1;
    for (char16_t c = 1; c <= 0xff; ++c)
        everyLatin1.append(QChar(c));
    QCOMPARE(data.rows[7].at(1).toString(), everyLatin1);
    QCOMPARE(data.valuesWithLostCharacters, 0);
}

// Our own test file: line breaks, accents, Cyrillic, Japanese, an emoji, empty and null memos,
// a 64 KiB memo, and 120 rows of which one was moved to another page.
void TestJetReader::recipeFileWhole()
{
    JetFile file(jetFile(QStringLiteral("recipes_V2000.mdb")));
    const jet::TableData soups = file.read(QStringLiteral("Soups"));
    QCOMPARE(soups.rows.size(), 6);
    QCOMPARE(texts(soups.rows[0]), (QStringList{"Minestrone", "Anna", "1 onion\r\n2 carrots",
                                                "Chop.\r\nSimmer 30 min."}));
    QCOMPARE(texts(soups.rows[1]),
             (QStringList{"Crème brûlée soup?", "Zoë Ñúñez", "œufs, crème", "Mélanger à 80 °C"}));
    QCOMPARE(texts(soups.rows[2]), (QStringList{"Борщ", "Ольга", "свёкла", "Варить"}));
    // The emoji after "(miso)" is outside the Basic Multilingual Plane: libmdb gives "?" for
    // each half of it, and the reader counts the value.
    QCOMPARE(texts(soups.rows[3]),
             (QStringList{"味噌汁", "山田", "味噌 (miso) ??", "だしを温める"}));
    QCOMPARE(soups.valuesWithLostCharacters, 1);
    QCOMPARE(texts(soups.rows[4]), (QStringList{"Empty memo", "", "", "<null>"}));
    QCOMPARE(soups.rows[4].at(2).typeId(), QMetaType::QString); // empty, not null
    QCOMPARE(soups.rows[5].at(0).toString(), QStringLiteral("Long memo"));
    QCOMPARE(soups.rows[5].at(2).toString(), QStringLiteral("0123456789abcdef").repeated(4096));
    QCOMPARE(soups.rows[5].at(3).toString(), QStringLiteral("Stir. ").repeated(3000));

    const jet::TableData cakes = file.read(QStringLiteral("Cakes & Pies"));
    QCOMPARE(cakes.rows.size(), 120);
    for (int i = 0; i < 120; ++i) {
        const QString name = cakes.rows[i].at(0).toString();
        QVERIFY2(name == QStringLiteral("Cake %1").arg(i + 1) ||
                     name.startsWith(QStringLiteral("Big cake %1 ").arg(i + 1)),
                 qPrintable(QStringLiteral("row %1: %2").arg(i + 1).arg(name.left(40))));
    }
    QCOMPARE(cakes.rows[1].at(0).toString().size(), 253); // the row that grew and moved
    QCOMPARE(file.read(QStringLiteral("Empty category")).rows.size(), 0);
}

void TestJetReader::deletedRowsAbsent()
{
    const jet::TableData data =
        JetFile(jetFile(QStringLiteral("jackcess_delTestV2000.mdb"))).read(QStringLiteral("Table"));
    QCOMPARE(data.rows.size(), 2);
    QCOMPARE(texts(data.rows[0]), (QStringList{"z", "y"}));
    QCOMPARE(texts(data.rows[1]), (QStringList{"v", "u"}));
}

// Rows 3 and 5 were moved to other pages; libmdb alone would give them last. Every value of
// row n reads "row<n>col...", so the order shows in the values.
void TestJetReader::movedRowsInStoredOrder()
{
    const jet::TableData data = JetFile(jetFile(QStringLiteral("jackcess_overflowTestV2000.mdb")))
                                    .read(QStringLiteral("Table1"));
    QCOMPARE(data.rows.size(), 7);
    for (int i = 0; i < 7; ++i) {
        int values = 0;
        for (const QVariant &value : data.rows[i]) {
            if (!value.isValid())
                continue;
            ++values;
            QVERIFY2(
                value.toString().startsWith(QStringLiteral("row%1col").arg(i + 1)),
                qPrintable(QStringLiteral("row %1 holds %2").arg(i + 1).arg(value.toString())));
        }
        QVERIFY(values >= 1);
    }
    QCOMPARE(texts(data.rows[2]), (QStringList{"<null>", "row3col3", "<null>", "<null>", "<null>",
                                               "<null>", "<null>", "row3col9", "<null>"}));
    QCOMPARE(texts(data.rows[4]), (QStringList{"<null>", "row5col2", "<null>", "<null>", "<null>",
                                               "<null>", "<null>", "<null>", "<null>"}));
}

// The child process hands over exactly what the reader reads in this process.
void TestJetReader::processGivesWhatTheFileGives()
{
    const QString path = jetFile(QStringLiteral("recipes_V2000.mdb"));
    JetFile file(path);
    const jet::ReadResult result = jet::JetReaderProcess::read(
        path, {QStringLiteral("Cakes & Pies"), QStringLiteral("Soups")});
    QCOMPARE(result.jetVersion, 4);
    QCOMPARE(result.tables.size(), 3);
    QCOMPARE(result.data.size(), 2);
    QCOMPARE(result.data[0].table.name, QStringLiteral("Cakes & Pies"));
    QCOMPARE(result.data[0].rows, file.read(QStringLiteral("Cakes & Pies")).rows);
    QCOMPARE(result.data[1].rows, file.read(QStringLiteral("Soups")).rows);
    QCOMPARE(result.data[1].valuesWithLostCharacters, 1);
    QCOMPARE(result.data[1].rows[4].at(3), QVariant()); // null stays null across the pipe
    QCOMPARE(result.data[1].rows[4].at(2), QVariant(QStringLiteral("")));

    QVERIFY_THROWS_EXCEPTION(JetError,
                             jet::JetReaderProcess::read(path, {QStringLiteral("No such")}));
}

void TestJetReader::damagedFilesRefused_data()
{
    using jettest::patched;
    using jettest::withPageFilled;
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    const QString recipes = QStringLiteral("recipes_V2000.mdb");
    const QByteArray whole = jettest::readAll(jetFile(recipes));
    QTest::newRow("accdb") << jettest::fakeAccdb() << QStringLiteral(".accdb");
    QTest::newRow("cut in a page") << whole.left(200000) << QStringLiteral("truncated");
    QTest::newRow("cut at a page") << whole.left(30 * 4096) << QStringLiteral("cannot be read");
    QTest::newRow("catalogue zeroed")
        << withPageFilled(recipes, 2, 0) << QStringLiteral("list of tables");
    QTest::newRow("table definition overwritten")
        << withPageFilled(recipes, 24, char(0xff)) << QStringLiteral("definition");
    QTest::newRow("data page zeroed")
        << withPageFilled(recipes, 72, 0) << QStringLiteral("66 of its 120 rows");
    // Page 26 holds the soups; the memo headers of the first and the last row.
    QTest::newRow("memo of unknown kind") << patched(recipes, {{26 * 4096 + 0xf90, char(0x1e)}})
                                          << QStringLiteral("unknown kind of storage");
    QTest::newRow("memo pointing past the file")
        << patched(recipes, {{26 * 4096 + 0xde9, char(0x7f)}}) << QStringLiteral("is missing");
    QTest::newRow("memo longer than its pages")
        << patched(recipes, {{26 * 4096 + 0xde4, char(0x03)}})
        << QStringLiteral("131072 of 196608 bytes");
    // One byte in the catalogue's usage map of this Jet 3 file makes libmdb 1.0 crash.
    QTest::newRow("libmdb crashes")
        << patched(QStringLiteral("jackcess_test2V1997.mdb"), {{0x1023, char(0x48)}})
        << QStringLiteral("stopped on it");
}

void TestJetReader::damagedFilesRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const QString path = m_dir.filePath(QStringLiteral("damaged.mdb"));
    QVERIFY(jettest::writeAll(path, bytes));
    try {
        jet::JetReaderProcess::read(path,
                                    {QStringLiteral("Soups"), QStringLiteral("Cakes & Pies")});
        QFAIL("a damaged file was read");
    } catch (const JetError &e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
    }
    QCOMPARE(jettest::readAll(path), bytes);
}

// One byte on a page of this Jet 3 file makes libmdb 1.0 loop for ever over its catalogue.
void TestJetReader::readerThatHangsIsStopped()
{
    const QString path = m_dir.filePath(QStringLiteral("hangs.mdb"));
    QVERIFY(jettest::writeAll(
        path, jettest::patched(QStringLiteral("jackcess_test2V1997.mdb"), {{0x1ced0, 0x2f}})));
    QElapsedTimer clock;
    clock.start();
    try {
        jet::JetReaderProcess::read(path, {}, 2000);
        QFAIL("a file that makes the reader loop was read");
    } catch (const JetError &e) {
        QVERIFY2(e.message().contains(QStringLiteral("took longer than 2 seconds")),
                 qPrintable(e.message()));
    }
    QVERIFY(clock.elapsed() < 10000);
}

QTEST_GUILESS_MAIN(TestJetReader)
#include "test_jetreader.moc"
