#include "TestSupport.h"

#include "store/Catalog.h"
#include "store/Export.h"
#include "store/Import.h"
#include "store/RecipeBas.h"

#include "formats/MealMasterWriter.h"
#include "platform/dao/DBEngine.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>
#include <unistd.h>

class ImportTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void report_data();
    void report();
    void failedWriteLeavesFile_data();
    void failedWriteLeavesFile();
    void exportReadsBack();
    void jetDatabase();

private:
    QString write(const QString &name, const QByteArray &bytes)
    {
        return kxtest::writeFile(m_dir->filePath(name), bytes) ? m_dir->filePath(name) : QString();
    }
    QByteArray bytes() const { return kxtest::fileBytes(m_file); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_file;
};

namespace {

QByteArray Mm(const QByteArray &title, const QByteArray &categories,
              const QByteArray &body = "Boil.")
{
    return "MMMMM----- Recipe via Meal-Master (tm) v8.05\n      Title: " + title +
           "\n Categories: " + categories + "\n\n      1 c  water\n\n  " + body + "\nMMMMM\n\n";
}

// Every category's recipes as "category: name | author | ingredients | instructions".
QStringList Contents(const QString &file)
{
    QStringList out;
    for (const QString &category : kxtest::categories(file))
        for (const QStringList &row : kxtest::readCategory(file, category))
            out << category + QStringLiteral(": ") + row.join(QStringLiteral(" | "));
    return out;
}

} // namespace

void ImportTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_file = m_dir->filePath(QStringLiteral("Recipe.mdb"));
    kxtest::makeDatabase(
        m_file, {{u"Soups"_qs, {{u"Soup "_qs, u"Ann "_qs, u"1 c water "_qs, u"Boil. "_qs}}}});
    RecipeBas::DataPath = m_dir->filePath(QStringLiteral("Recipe"));
}

void ImportTest::report_data()
{
    QTest::addColumn<bool>("ownCategories");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("contents");
    const QString soup = u"Soups: Soup  | Ann  | 1 c water  | Boil. "_qs;
    QTest::newRow("into the chosen category")
        << false
        << u"3 imported, 1 skipped, 3 duplicates not imported again.\n"
           "  Soups: 3 imported, 3 duplicates\n"
           "Skipped: a.mmf, line 28: no end line"_qs
        << QStringList{soup, u"Soups: Stew  |   | 1 c water  | Boil. "_qs,
                       u"Soups: Toast  |   | 1 c water  | Boil. "_qs,
                       u"Soups: Tea  |   | 1 c water  | Steep. "_qs};
    // A category found without regard to case, one the engine refuses, one made.
    QTest::newRow("each to its own category")
        << true
        << u"4 imported, 1 skipped, 2 duplicates not imported again.\n"
           "  Soups: 1 imported, 1 duplicates\n  Stews: 1 imported, 1 duplicates\n"
           "  drinks: 2 imported, 0 duplicates\nThe category \"a.b\" could not be made (%1); its "
           "recipes went to "
           "\"Soups\".\nSkipped: a.mmf, line 28: no end line"_qs
        << QStringList{u"drinks: Soup  |   | 1 c water  | Boil. "_qs,
                       u"drinks: Tea  |   | 1 c water  | Steep. "_qs, soup,
                       u"Soups: Toast  |   | 1 c water  | Boil. "_qs,
                       u"Stews: Stew  |   | 1 c water  | Boil. "_qs};
}

void ImportTest::report()
{
    QFETCH(bool, ownCategories);
    const QString a = write(u"a.mmf"_qs, Mm("Soup", "Soups") + Mm("Stew", "Stews") +
                                             Mm("Stew", "Stews") + "MMMMM--- Meal-Master\n" +
                                             Mm("Toast", "a.b") + Mm("Soup", "drinks, Soups"));
    const QString b = write(u"b.html"_qs, R"(<html><script type="application/ld+json">
        {"@type":"Recipe","name":"Tea","recipeCategory":"Drinks",
         "recipeIngredient":["1 c water"],"recipeInstructions":"Steep."}</script></html>)");
    const Import::Report report =
        Import::ImportFiles({a, b}, {QStringLiteral("Soups"), ownCategories});
    QVERIFY2(report.ok, qPrintable(report.error));
    QFETCH(QString, text);
    QString expected = text;
    if (expected.contains(u"%1"_qs)) {
        // The engine's own words for a name it refuses.
        expected = expected.arg(report.notes.value(0).section(u'(', 1).section(u')', 0, 0));
        QVERIFY(!report.notes.isEmpty() && !report.notes.first().contains(u"()"_qs));
    }
    QCOMPARE(report.text(), expected);
    QFETCH(QStringList, contents);
    QCOMPARE(Contents(m_file), contents);
    QVERIFY(QFile::exists(m_file + u".bak"_qs));
}

void ImportTest::failedWriteLeavesFile_data()
{
    QTest::addColumn<bool>("locked");
    QTest::newRow("a lock held by another program") << true;
    QTest::newRow("a write-protected file") << false;
}

void ImportTest::failedWriteLeavesFile()
{
    QFETCH(bool, locked);
    if (!locked && ::geteuid() == 0)
        QSKIP("for root, file modes do not stop a write");
    const QString a = write(u"a.mmf"_qs, Mm("Stew", "Stews") + Mm("Tea", "Soups"));
    const QByteArray before = bytes();
    sqlite3 *other = nullptr;
    QCOMPARE(sqlite3_open(m_file.toUtf8().constData(), &other), SQLITE_OK);
    if (locked)
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    else
        QVERIFY(QFile::setPermissions(m_file, QFileDevice::ReadOwner));
    dao::DBEngine::SetLockTimeout(100);
    const Import::Report report = Import::ImportFiles({a}, {QStringLiteral("Soups"), true});
    dao::DBEngine::SetLockTimeout(5000);
    sqlite3_close(other);
    QVERIFY(!report.ok);
    QVERIFY2(report.text().startsWith(u"Nothing was imported: "_qs), qPrintable(report.text()));
    QCOMPARE(report.imported, 0);
    QCOMPARE(bytes(), before);
}

// What is exported reads back as the recipes it was written from.
void ImportTest::exportReadsBack()
{
    auto db =
        dao::DBEngine::OpenDatabase(RecipeBas::DataPath, false, false, RecipeBas::ConnectString);
    Catalog::Add(
        *db, u"Soups"_qs,
        {{}, u"Crème 🍮"_qs, u"Zoë"_qs, u"1 c milk\r\n2 eggs"_qs, u"Yield: 2\r\n\r\nWhisk."_qs});
    for (const auto format : {Export::Format::MealMaster, Export::Format::Json}) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QCOMPARE(Export::Write(*db, out, format, {u"Soups"_qs, {}}), 2);
        const QString file = write(u"out"_qs, out.data());
        const Import::Report report = Import::ImportFiles({file}, {u"Again"_qs, false});
        QCOMPARE(report.imported, 2);
        auto back = Catalog::Recipes(*db, u"Again"_qs);
        const auto original = Catalog::Recipes(*db, u"Soups"_qs);
        QCOMPARE(back.size(), 2);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(back[i].name, original[i].name);
            QCOMPARE(back[i].author, original[i].author);
            QCOMPARE(back[i].ingredients,
                     QString(original[i].ingredients).replace(u"\r\n"_qs, u"\n"_qs));
            QCOMPARE(back[i].instructions,
                     QString(original[i].instructions).replace(u"\r\n"_qs, u"\n"_qs));
        }
        db->TableDefs().Delete(u"Again"_qs);
    }
}

// A database of the earlier Windows program is one more format: each table to its category;
// the same file twice brings every recipe in once.
void ImportTest::jetDatabase()
{
    const QString jet = kxtest::dataDir() + u"/jet/recipes_V2000.mdb"_qs;
    const Import::Report report = Import::ImportFiles({jet, jet}, {u"Soups"_qs, true});
    QVERIFY2(report.ok, qPrintable(report.error));
    QCOMPARE(report.text().section(u'\n', 0, 2),
             u"126 imported, 0 skipped, 126 duplicates not imported again.\n"
             "  Cakes & Pies: 120 imported, 120 duplicates\n  Soups: 6 imported, 6 duplicates"_qs);
    QCOMPARE(kxtest::readCategory(m_file, u"Cakes & Pies"_qs).size(), 120);
}

QTEST_GUILESS_MAIN(ImportTest)
#include "test_import.moc"
