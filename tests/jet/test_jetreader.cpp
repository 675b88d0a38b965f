// The Jet reader on the public test files: Jet 3 and Jet 4, encrypted pages, database
// passwords, text in many scripts, long memos, deleted and moved rows; and on damaged files,
// which must be refused with a sentence, never crash the caller.

#include "JetTestFiles.h"
#include "platform/jet/JetFile.h"
#include "platform/jet/JetReaderProcess.h"

#include <QTemporaryDir>
#include <QtTest>

using jet::JetError;
using jet::JetFile;
using jettest::jetFile;
using jettest::texts;

namespace {

jet::TableData readTable(const char *file, const char *table)
{
    return JetFile(jetFile(QString::fromLatin1(file))).read(QString::fromUtf8(table));
}

} // namespace

class TestJetReader : public jettest::FilesUnchanged
{
    Q_OBJECT

private slots:
    void everyFile_data();
    void everyFile();
    void jet3MemoAndOle();
    void recipeFile();
    void movedRowsInStoredOrder();
    void damagedFilesRefused_data();
    void damagedFilesRefused();

private:
    QTemporaryDir m_dir;
};

void TestJetReader::everyFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("version");
    QTest::addColumn<QStringList>("tables");
    QTest::addColumn<QList<int>>("columns");
    QTest::addColumn<QList<qint64>>("rows");
    QTest::addColumn<QList<QStringList>>("content"); // of the first table, when given
    auto row = [](const char *file, int version, const QStringList &tables,
                  const QList<int> &columns, const QList<qint64> &rows,
                  const QList<QStringList> &content = {}) {
        QTest::newRow(file) << QString::fromLatin1(file) << version << tables << columns << rows
                            << content;
    };
    // Page-encrypted files, which libmdb decrypts by itself, and files with a database
    // password, which it needs not know.
    const QList<QStringList> encrypted = {{"1", "hello", "0"}, {"2", "world", "42"}};
    const QList<QStringList> password = {{"1", "One"}, {"2", "Two"}, {"3", "Three"}};
    QString everyLatin1;
    for (char16_t c = 1; c <= 0xff; ++c)
        everyLatin1.append(QChar(c));
    const QList<QStringList> scripts = {
        {"1", "only ascii chars"},
        {"2", "ääkkösiä"},
        {"3", "Мир"},
        {"4", "\u03F0\u03B1\u1F76 \u03C4\u1F79\u03C4' \u1F10\u03B3\u1F7C "
              "\u039A\u1F7B\u03F0\u03BB\u03C9\u03C0\u03B1"}, // Greek with oxia
        {"5", "漢字仮名交じり文"},
        {"6", "3L9\u001D52\u0002_AB(\u00A5\u0005!!V"}, // control characters too
        {"7", "ümlaut"},
        {"8", everyLatin1}};
    row("jackcess_delTestV2000.mdb", 4, {"Table"}, {2}, {2}, {{"z", "y"}, {"v", "u"}});
    row("jackcess_overflowTestV2000.mdb", 4, {"Table1"}, {9}, {7});
    row("jackcess_test2V1997.mdb", 3, {"MSP_PROJECTS"}, {74}, {1});
    row("jackcess_testUnicodeCompV2003.mdb", 4, {"Table"}, {2}, {8}, scripts);
    row("jackcessencrypt_db-enc.mdb", 4, {"Table1"}, {3}, {2}, encrypted);
    row("jackcessencrypt_db97-enc.mdb", 3, {"Table1"}, {3}, {2}, encrypted);
    row("mdbreader_V2000_with-password.mdb", 4, {"Table1"}, {2}, {3}, password);
    row("mdbreader_V2003_with-password.mdb", 4, {"Table1"}, {2}, {3}, password);
    row("recipes_V2000.mdb", 4, {"Soups", "Cakes & Pies", "Empty category"}, {4, 4, 4},
        {6, 120, 0});
}

// The user tables of each file, no system table among them, every row of each readable, and
// no deleted row among them.
void TestJetReader::everyFile()
{
    QFETCH(QString, file);
    QFETCH(int, version);
    QFETCH(QStringList, tables);
    QFETCH(QList<int>, columns);
    QFETCH(QList<qint64>, rows);
    QFETCH(QList<QStringList>, content);

    JetFile jetFile(jettest::jetFile(file));
    QCOMPARE(jetFile.jetVersion(), version);
    const QList<jet::Table> found = jetFile.tables();
    QCOMPARE(found.size(), tables.size());
    for (int i = 0; i < found.size(); ++i) {
        QCOMPARE(found[i].name, tables[i]);
        QCOMPARE(found[i].columns.size(), columns[i]);
        QCOMPARE(found[i].rowCount, rows[i]);
        const jet::TableData data = jetFile.read(found[i].name);
        QCOMPARE(data.rows.size(), rows[i]);
        for (const jet::Row &row : data.rows)
            QCOMPARE(row.size(), columns[i]);
        if (i == 0 && !content.isEmpty()) {
            QList<QStringList> values;
            for (const jet::Row &row : data.rows)
                values.append(texts(row));
            QCOMPARE(values, content);
            QCOMPARE(data.valuesWithLostCharacters, 0);
        }
    }
    QVERIFY_THROWS_EXCEPTION(JetError, jetFile.read(QStringLiteral("MSysObjects")));
}

void TestJetReader::jet3MemoAndOle()
{
    const jet::TableData data = readTable("jackcess_test2V1997.mdb", "MSP_PROJECTS");
    const jet::Row &row = data.rows.at(0);
    QCOMPARE(row.at(1).toString(), QStringLiteral("Project1"));
    QCOMPARE(data.table.columns.at(2).type, int(jet::Memo));
    const QString memo = row.at(2).toString();
    QCOMPARE(memo.size(), 348);
    QVERIFY(memo.startsWith(QStringLiteral("Jon Iles this is a a vawesrasoih")));
    QVERIFY(memo.endsWith(QStringLiteral("jflksjadf as")));
    QCOMPARE(row.at(9).toString(), QStringLiteral("£")); // from the code page, as UTF-8
    QCOMPARE(row.at(4), QVariant());                     // a null memo stays null
    QCOMPARE(row.at(73).toByteArray().size(), 22970);    // OLE value read over several pages
}

// Our own test file, through the child process: line breaks, accents, Cyrillic, Japanese, an
// emoji, empty and null memos, a 64 KiB memo, and 120 rows of which one was moved to another
// page.
void TestJetReader::recipeFile()
{
    const QString path = jetFile(jettest::Recipes);
    const jet::ReadResult result = jet::JetReaderProcess::read(
        path, {QStringLiteral("Cakes & Pies"), QStringLiteral("Soups")});
    QCOMPARE(result.jetVersion, 4);
    QCOMPARE(result.tables.size(), 3);
    QCOMPARE(result.data.size(), 2);
    const jet::TableData &cakes = result.data[0];
    const jet::TableData &soups = result.data[1];
    QCOMPARE(cakes.table.name, QStringLiteral("Cakes & Pies"));
    // The process hands over exactly what the reader reads in this one.
    JetFile file(path);
    QCOMPARE(cakes.rows, file.read(QStringLiteral("Cakes & Pies")).rows);
    QCOMPARE(soups.rows, file.read(QStringLiteral("Soups")).rows);

    QCOMPARE(soups.rows.size(), 6);
    QCOMPARE(texts(soups.rows[0]), (QStringList{"Minestrone", "Anna", "1 onion\r\n2 carrots",
                                                "Chop.\r\nSimmer 30 min."}));
    QCOMPARE(texts(soups.rows[1]),
             (QStringList{"Crème brûlée soup?", "Zoë Ñúñez", "œufs, crème", "Mélanger à 80 °C"}));
    QCOMPARE(texts(soups.rows[2]), (QStringList{"Борщ", "Ольга", "свёкла", "Варить"}));
    // libmdb gives "?" for each half of the emoji after "(miso)"; the reader counts the value.
    QCOMPARE(texts(soups.rows[3]),
             (QStringList{"味噌汁", "山田", "味噌 (miso) ??", "だしを温める"}));
    QCOMPARE(soups.valuesWithLostCharacters, 1);
    QCOMPARE(texts(soups.rows[4]), (QStringList{"Empty memo", "", "", "<null>"}));
    QCOMPARE(soups.rows[4].at(2).typeId(), QMetaType::QString); // empty, not null
    QCOMPARE(soups.rows[5].at(2).toString(), QStringLiteral("0123456789abcdef").repeated(4096));
    QCOMPARE(soups.rows[5].at(3).toString(), QStringLiteral("Stir. ").repeated(3000));

    QCOMPARE(cakes.rows.size(), 120);
    QVERIFY(cakes.rows[1].at(0).toString().startsWith(QStringLiteral("Big cake 2 "))); // moved
    QCOMPARE(cakes.rows[1].at(0).toString().size(), 253);
    QCOMPARE(cakes.rows[2].at(0).toString(), QStringLiteral("Cake 3"));
    QCOMPARE(cakes.rows[119].at(0).toString(), QStringLiteral("Cake 120"));
    QVERIFY_THROWS_EXCEPTION(JetError,
                             jet::JetReaderProcess::read(path, {QStringLiteral("No such")}));
}

// Rows 3 and 5 were moved to other pages, which libmdb alone gives last; every value of row n
// reads "row<n>col...".
void TestJetReader::movedRowsInStoredOrder()
{
    const jet::TableData moved = readTable("jackcess_overflowTestV2000.mdb", "Table1");
    QCOMPARE(moved.rows.size(), 7);
    for (int i = 0; i < 7; ++i) {
        QStringList values = texts(moved.rows[i]);
        values.removeAll(QStringLiteral("<null>"));
        QVERIFY(!values.isEmpty());
        for (const QString &value : values)
            QVERIFY2(value.startsWith(QStringLiteral("row%1col").arg(i + 1)), qPrintable(value));
    }
    QCOMPARE(texts(moved.rows[2]), (QStringList{"<null>", "row3col3", "<null>", "<null>", "<null>",
                                                "<null>", "<null>", "row3col9", "<null>"}));
}

void TestJetReader::damagedFilesRefused_data()
{
    using jettest::patched;
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("timeout");
    const QByteArray whole = jettest::fileBytes(jetFile(jettest::Recipes));
    const auto row = [](const char *tag, const QByteArray &bytes, const char *message,
                        int timeout = 0) {
        QTest::newRow(tag) << bytes << QString::fromUtf8(message) << timeout;
    };
    const auto page = [](int number, char value) {
        return patched(jettest::Recipes, number * 4096, QByteArray(4096, value));
    };
    row("accdb", jettest::fakeAccdb(), ".accdb");
    row("SQLite file", QByteArray("SQLite format 3\0", 16), "not an Access database");
    row("cut in a page", whole.left(200000), "truncated");
    row("two pages", whole.left(2 * 4096), "truncated");
    row("cut at a page", whole.left(30 * 4096), "cannot be read");
    row("catalogue zeroed", page(2, 0), "list of tables");
    row("table definition overwritten", page(24, char(0xff)), "definition");
    row("data page zeroed", page(72, 0), "66 of its 120 rows");
    // Page 26 holds the soups; the memo headers of the first and the last row.
    row("memo of unknown kind", patched(jettest::Recipes, 26 * 4096 + 0xf90, "\x1e"),
        "unknown kind of storage");
    row("memo pointing past the file", patched(jettest::Recipes, 26 * 4096 + 0xde9, "\x7f"),
        "is missing");
    row("memo longer than its pages", patched(jettest::Recipes, 26 * 4096 + 0xde4, "\x03"),
        "131072 of 196608 bytes");
    // The catalogue lists the tables on page 14: cut off, zeroed, a row damaged, the line of
    // "Soups" pointing to another page (its definition on page 24 is listed by nobody then).
    row("catalogue cut off", whole.left(6 * 4096),
        "The list of tables of FILE is damaged: 0 of its 21 rows were found");
    row("catalogue page zeroed", page(14, 0), "The list of tables of FILE is damaged: ");
    row("catalogue row damaged",
        patched(jettest::Recipes, 59808, QByteArray(1, char(whole.at(59808) ^ 0xb4))),
        "The list of tables of FILE is damaged: row 18 of page 14");
    row("table missing from the catalogue", patched(jettest::Recipes, 14 * 4096 + 0x975, "\x19"),
        "The list of tables of FILE is damaged: page 24 holds the definition of a table it does "
        "not list");
    // A byte of the catalogue's own definition: its flags mark "Soups" as a table of Access.
    row("catalogue definition damaged", patched(jettest::Recipes, 8400, "\x09"),
        "The list of tables of FILE is damaged: the table \"Soups\" is marked as one of Access's");
    // Cut short, this Jet 3 file made libmdb loop over its catalogue until stopped.
    row("Jet 3 cut short",
        jettest::fileBytes(jetFile(QStringLiteral("jackcess_test2V1997.mdb"))).left(58 * 2048),
        "The list of tables of FILE is damaged: table \"MSysObjects\", row 19", 2000);
    // One byte in the catalogue's usage map of this Jet 3 file makes libmdb 1.0 crash.
    row("libmdb crashes", patched(QStringLiteral("jackcess_test2V1997.mdb"), 0x1023, "\x48"),
        "stopped on it");
}

void TestJetReader::damagedFilesRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    QFETCH(int, timeout);
    const QString path = m_dir.filePath(QStringLiteral("damaged.mdb"));
    QVERIFY(jettest::writeFile(path, bytes));
    try {
        jet::JetReaderProcess::read(path, {QStringLiteral("Soups"), QStringLiteral("Cakes & Pies")},
                                    timeout);
        QFAIL("a damaged file was read");
    } catch (const JetError &e) {
        const QString said = e.message().replace(QDir::toNativeSeparators(path), "FILE");
        QVERIFY2(said.contains(message), qPrintable(said));
    }
    QCOMPARE(jettest::fileBytes(path), bytes);
}

QTEST_GUILESS_MAIN(TestJetReader)
#include "test_jetreader.moc"
