// The data API and the find index against real database files: recipes reached by their row,
// the index kept in step by every write, made again when missing or damaged, and queries
// folded, limited and never an error.
#include "StoreFixture.h"
#include "platform/dao/TextIndex.h"
#include "store/Catalog.h"
#include "store/IndexBuilder.h"
#include "store/RecipeBas.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using kxtest::Category;
using kxtest::Row;

namespace {

Row recipe(const QString &name, const QString &ingredients, const QString &instructions = {})
{
    return {name + QLatin1Char(' '), QStringLiteral("Kitchenex "), ingredients + QLatin1Char(' '),
            instructions + QLatin1Char(' ')};
}

// Names of the hits, in order, as "category/name".
QStringList names(const Catalog::Found &found)
{
    QStringList out;
    for (const Catalog::Hit &hit : found.hits)
        out.append(hit.id.category + QLatin1Char('/') + hit.name);
    return out;
}

} // namespace

class TestCatalog : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void recipesOfOneNameAreReachedEachByItsRow();
    void findFollowsEveryWrite();
    void queries_data();
    void queries();
    void hostileQueriesFindOrNotButNeverFail_data();
    void hostileQueriesFindOrNotButNeverFail();
    void anIndexMissingOrDamagedIsMadeAgain_data();
    void anIndexMissingOrDamagedIsMadeAgain();
    void aBuilderMakesTheIndexOnItsOwnThread();
    void aStoppedBuildGoesOnWhereItStopped();
    void recordsOfAnyRowNumberAreFound();
    void treeNodesCarryTheirRows_data();
    void treeNodesCarryTheirRows();
    void aBatchIsIndexedWholeOrNotAtAll_data();
    void aBatchIsIndexedWholeOrNotAtAll();

private:
    std::unique_ptr<dao::Database> open()
    {
        return dao::DBEngine::OpenDatabase(m_file, false, false, kxtest::Connect);
    }
    QStringList find(const QString &query)
    {
        auto db = open();
        return names(Catalog::Find(*db, query));
    }
    QTemporaryDir m_dir;
    QString m_file;
};

void TestCatalog::init()
{
    static int made = 0;
    m_file = QDir(m_dir.path()).filePath(QStringLiteral("Recipe%1.mdb").arg(++made));
    kxtest::makeDatabase(
        m_file, {{QStringLiteral("Desserts"),
                  {recipe(QStringLiteral("Crème brûlée"), QStringLiteral("cream, sugar, vanilla"),
                          QStringLiteral("Bake in a bain-marie, then burn the sugar.")),
                   recipe(QStringLiteral("Pancakes"), QStringLiteral("flour, milk, eggs"),
                          QStringLiteral("Fry thin in butter."))}},
                 {QStringLiteral("Soups"),
                  {recipe(QStringLiteral("Miso Soup (味噌汁)"), QStringLiteral("dashi, miso, tofu"),
                          QStringLiteral("Dissolve the miso in the dashi.")),
                   recipe(QStringLiteral("Tomato soup"), QStringLiteral("tomatoes, cream"),
                          QStringLiteral("Simmer and blend.")),
                   recipe(QStringLiteral("Tomato soup"), QStringLiteral("tomatoes, basil"),
                          QStringLiteral("Roast first."))}},
                 {QStringLiteral("MSysObjects"), {recipe(QStringLiteral("Hidden cream"), {})}}});
}

void TestCatalog::recipesOfOneNameAreReachedEachByItsRow()
{
    auto db = open();
    QCOMPARE(Catalog::Categories(*db), QStringList({"Desserts", "Soups"}));
    const QList<Catalog::Recipe> soups = Catalog::Recipes(*db, QStringLiteral("Soups"));
    QCOMPARE(soups.size(), 3);
    const Catalog::RecipeId cream = soups[1].id, basil = soups[2].id;
    QVERIFY(cream.row != basil.row);

    // Found apart, each as its own row.
    const Catalog::Found found = Catalog::Find(*db, QStringLiteral("tomato basil"));
    QCOMPARE(found.hits.size(), 1);
    QCOMPARE(found.hits[0].id, basil);
    // The snippet marks what matched, whole words only, accents and all.
    const QChar a = Catalog::MarkStart, b = Catalog::MarkEnd;
    QCOMPARE(found.hits[0].snippet, QStringLiteral("tomatoes, ") + a + "basil" + b);
    QCOMPARE(Catalog::Find(*db, QStringLiteral("creme")).hits[0].snippet,
             a + QStringLiteral("Crème") + b + " brûlée");

    Catalog::Recipe changed = *Catalog::Read(*db, cream);
    changed.ingredients = QStringLiteral("  tomatoes, parsley  ");
    Catalog::Update(*db, changed);
    QCOMPARE(Catalog::Read(*db, cream)->ingredients, QStringLiteral("tomatoes, parsley "));
    QCOMPARE(Catalog::Read(*db, basil)->ingredients, QStringLiteral("tomatoes, basil "));

    Catalog::Remove(*db, basil);
    QVERIFY(!Catalog::Read(*db, basil));
    QVERIFY_THROWS_EXCEPTION(dao::Error, Catalog::Remove(*db, basil));
    QCOMPARE(Catalog::Recipes(*db, QStringLiteral("Soups")).size(), 2);
    QCOMPARE(Catalog::Read(*db, cream)->name, QStringLiteral("Tomato soup "));
}

void TestCatalog::findFollowsEveryWrite()
{
    auto db = open();
    const Catalog::RecipeId id = Catalog::Add(
        *db, QStringLiteral("Desserts"),
        {{}, QStringLiteral("Tarte Tatin"), {}, QStringLiteral("apples"), QStringLiteral("bake")});
    QCOMPARE(names(Catalog::Find(*db, QStringLiteral("tatin apples"))),
             QStringList{"Desserts/Tarte Tatin"});
    Catalog::Update(*db, {id, QStringLiteral("Tarte Tatin"), {}, QStringLiteral("pears"), {}});
    QCOMPARE(Catalog::Find(*db, QStringLiteral("apples")).total, 0);
    QCOMPARE(Catalog::Find(*db, QStringLiteral("pears")).total, 1);

    // The program's own routines write through the engine, and so does a batch.
    db->BeginTrans();
    Catalog::Remove(*db, id);
    db->CommitTrans();
    QCOMPARE(Catalog::Find(*db, QStringLiteral("pears")).total, 0);
    // Nothing of it is left in the index for the next recipe, which may take its place there.
    Catalog::Add(*db, QStringLiteral("Desserts"), {{}, QStringLiteral("Trifle"), {}, {}, {}});
    QCOMPARE(Catalog::Find(*db, QStringLiteral("pears")).total, 0);
    db->TableDefs().Delete(QStringLiteral("Soups"));
    QCOMPARE(Catalog::Find(*db, QStringLiteral("tomato")).total, 0);
    QCOMPARE(Catalog::Find(*db, QStringLiteral("cream")).total, 1); // the crème brûlée
    QCOMPARE(Catalog::IndexStatus(*db), Catalog::IndexState::Current);
}

void TestCatalog::queries_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("expected");
    const QStringList both = {"Soups/Tomato soup", "Soups/Tomato soup"};
    QTest::newRow("accents and case") << "CREME brulee" << QStringList{"Desserts/Crème brûlée"};
    QTest::newRow("prefix of the last word") << "brû" << QStringList{"Desserts/Crème brûlée"};
    QTest::newRow("no prefix after a blank") << "tom " << QStringList{};
    QTest::newRow("three characters without spaces")
        << "味噌汁" << QStringList{"Soups/Miso Soup (味噌汁)"};
    QTest::newRow("two of them") << "噌汁" << QStringList{"Soups/Miso Soup (味噌汁)"};
    QTest::newRow("not in that order") << "汁噌" << QStringList{};
    QTest::newRow("every word, any field") << "tomato roast" << QStringList{"Soups/Tomato soup"};
    QTest::newRow("a phrase") << "\"burn the sugar\"" << QStringList{"Desserts/Crème brûlée"};
    QTest::newRow("a phrase out of order") << "\"sugar the burn\"" << QStringList{};
    QTest::newRow("excluded word") << "tomato -basil" << QStringList{"Soups/Tomato soup"};
    QTest::newRow("field") << "ingredients:cream"
                           << QStringList{"Soups/Tomato soup", "Desserts/Crème brûlée"};
    QTest::newRow("field excludes others") << "name:sugar" << QStringList{};
    QTest::newRow("field with accents") << "NAME:brulee" << QStringList{"Desserts/Crème brûlée"};
    QTest::newRow("system tables are no categories") << "hidden" << QStringList{};
    QTest::newRow("category") << "category:soups tomato" << both;
}

void TestCatalog::queries()
{
    QFETCH(QString, query);
    QFETCH(QStringList, expected);
    QCOMPARE(find(query), expected);
}

void TestCatalog::hostileQueriesFindOrNotButNeverFail_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("finds");
    QTest::newRow("unbalanced quote") << "\"tomato" << true;
    QTest::newRow("operators") << "tomato AND OR NOT" << false;
    QTest::newRow("NEAR") << "NEAR(tomato soup)" << false;
    QTest::newRow("star alone") << "*" << false;
    QTest::newRow("colon alone") << ":" << false;
    QTest::newRow("field without word") << "name:" << false;
    QTest::newRow("unknown field") << "colour:tomato" << false;
    QTest::newRow("exclusion only") << "-tomato" << false;
    QTest::newRow("quotes inside") << "to\"ma\"to" << false;
    QTest::newRow("caret and braces") << "^{f0}:tomato" << false;
    QTest::newRow("control characters") << QStringLiteral("tom\x01\x02\x1b ato\x7f") << false;
    QTest::newRow("broken surrogate") << QString(QChar(0xD800)) + QStringLiteral("tomato") << true;
    QTest::newRow("invalid UTF-8") << QString::fromUtf8("\xff\xfetomato\xc3") << true;
    QTest::newRow("10,000 characters") << QStringLiteral("tomato ").repeated(1429) << true;
}

void TestCatalog::hostileQueriesFindOrNotButNeverFail()
{
    QFETCH(QString, query);
    QFETCH(bool, finds);
    auto db = open();
    const Catalog::Found found = Catalog::Find(*db, query);
    QCOMPARE(found.total > 0, finds);
    QCOMPARE(found.hits.size(), found.total);
}

void TestCatalog::anIndexMissingOrDamagedIsMadeAgain_data()
{
    QTest::addColumn<QString>("harm");
    QTest::addColumn<bool>("damaged"); // found by the check rather than by the status
    QTest::newRow("none") << "DROP TABLE _kx_find; DROP TABLE _kx_find_tables" << false;
    QTest::newRow("another version") << "UPDATE _kx_meta SET value = 'kx-find-0' WHERE key = "
                                        "'find_index'"
                                     << false;
    QTest::newRow("the first layout")
        << "DROP TABLE _kx_find_tables; DROP TABLE _kx_find_far; CREATE TABLE _kx_find_docs (doc "
           "INTEGER PRIMARY KEY, tbl TEXT, row INTEGER); UPDATE _kx_meta SET value = 'kx-find-1' "
           "WHERE key = 'find_index'"
        << false;
    QTest::newRow("entries lost") << "DELETE FROM _kx_find_docsize WHERE id % 2 = 0" << true;
    QTest::newRow("tables forgotten") << "DELETE FROM _kx_find_tables" << true;
    QTest::newRow("pages damaged")
        << "UPDATE _kx_find_data SET block = zeroblob(length(block)) WHERE id > 10" << true;
}

void TestCatalog::anIndexMissingOrDamagedIsMadeAgain()
{
    QFETCH(QString, harm);
    QFETCH(bool, damaged);
    QCOMPARE(kxtest::execSql(m_file, harm.toUtf8()), QString());

    auto db = open();
    // The recipes stay readable and writable whatever the index holds.
    Catalog::Add(*db, QStringLiteral("Soups"), {{}, QStringLiteral("Leek soup"), {}, {}, {}});
    QCOMPARE(Catalog::Recipes(*db, QStringLiteral("Soups")).size(), 4);
    qint64 reported = 0;
    const auto progress = [&](qint64 done, qint64) {
        reported = done;
        return true;
    };
    QCOMPARE(Catalog::RepairIndex(*db, progress), damaged);
    QVERIFY(Catalog::EnsureIndex(*db, progress));
    QCOMPARE(reported, 7);
    QCOMPARE(Catalog::IndexStatus(*db), Catalog::IndexState::Current);
    QStringList leftOver;
    QCOMPARE(kxtest::execSql(m_file, "SELECT name FROM sqlite_master WHERE name = '_kx_find_docs'",
                             &leftOver),
             QString());
    QCOMPARE(leftOver, QStringList());
    QStringList soups = find(QStringLiteral("soup"));
    soups.sort();
    QCOMPARE(soups, QStringList({"Soups/Leek soup", "Soups/Miso Soup (味噌汁)", "Soups/Tomato soup",
                                 "Soups/Tomato soup"}));
    QCOMPARE(find(QStringLiteral("crème")).size(), 1);
}

void TestCatalog::aBuilderMakesTheIndexOnItsOwnThread()
{
    {
        auto db = open();
        dao::TextIndex::Drop(*db);
    }
    IndexBuilder builder(m_file, kxtest::Connect, true);
    QSignalSpy finished(&builder, &IndexBuilder::finished);
    builder.start();
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QCOMPARE(find(QStringLiteral("tomato")).size(), 2);
}

void TestCatalog::aStoppedBuildGoesOnWhereItStopped()
{
    auto db = open();
    dao::TextIndex::Drop(*db);
    // Batches of two run across the categories (2, 3 and 1 records); the second one stops.
    QList<qint64> reported;
    qint64 estimate = 0;
    const auto stopAtFour = [&](qint64 done, qint64 total) {
        reported.append(done);
        estimate = total;
        return done < 4;
    };
    QVERIFY(!dao::TextIndex::Build(*db, stopAtFour, 2));
    QCOMPARE(reported, QList<qint64>({2, 4}));
    QCOMPARE(estimate, 6);
    QCOMPARE(Catalog::IndexStatus(*db), Catalog::IndexState::Incomplete);
    // Merging waits while the index is being made, and is back once it is complete.
    const QByteArray automerge = "SELECT v FROM _kx_find_config WHERE k = 'automerge'";
    QStringList merge;
    QCOMPARE(kxtest::execSql(m_file, automerge, &merge), QString());
    QCOMPARE(merge, QStringList{"0"});
    reported.clear();
    QVERIFY(dao::TextIndex::Build(
        *db,
        [&](qint64 done, qint64) {
            reported.append(done);
            return true;
        },
        2));
    QCOMPARE(reported, QList<qint64>({2}));
    merge.clear();
    QCOMPARE(kxtest::execSql(m_file, automerge, &merge), QString());
    QCOMPARE(merge, QStringList{"4"});
    QVERIFY(!Catalog::RepairIndex(*db)); // no record twice, none left out
    QCOMPARE(find(QStringLiteral("tomato")).size(), 2);
    QCOMPARE(find(QStringLiteral("pancakes")).size(), 1);
}

void TestCatalog::recordsOfAnyRowNumberAreFound()
{
    // Another program numbers rows as it likes, and writes behind the index's back.
    QCOMPARE(kxtest::execSql(m_file, "INSERT INTO Soups (rowid, Name, Ingredients) VALUES "
                                     "(-5, 'Far soup', 'nettles'), "
                                     "(2199023255552, 'Far stew', 'barley')"),
             QString());
    auto db = open();
    QVERIFY(Catalog::RepairIndex(*db)); // records without their entries: made again
    QCOMPARE(Catalog::Find(*db, QStringLiteral("far")).total, 2);
    const Catalog::Found stew = Catalog::Find(*db, QStringLiteral("barley"));
    QCOMPARE(stew.hits.size(), 1);
    QCOMPARE(stew.hits[0].id.row, Q_INT64_C(2199023255552));
    Catalog::Update(*db, {stew.hits[0].id, QStringLiteral("Far stew"), {}, u"millet"_qs, {}});
    QCOMPARE(Catalog::Find(*db, QStringLiteral("barley")).total, 0);
    QCOMPARE(Catalog::Find(*db, QStringLiteral("millet")).hits[0].id, stew.hits[0].id);
    Catalog::Remove(*db, {QStringLiteral("Soups"), -5});
    QCOMPARE(Catalog::Find(*db, QStringLiteral("nettles")).total, 0);
    QVERIFY(!Catalog::RepairIndex(*db));

    // A category of an old name starts with nothing of the old one's.
    db->TableDefs().Delete(QStringLiteral("Soups"));
    QVERIFY(!Catalog::RepairIndex(*db));
    RecipeBas::AppendCategoryTable(*db, QStringLiteral("Soups"));
    Catalog::Add(*db, QStringLiteral("Soups"), {{}, QStringLiteral("Leek soup"), {}, {}, {}});
    QCOMPARE(find(QStringLiteral("soup")), QStringList{"Soups/Leek soup"});
    QCOMPARE(Catalog::Find(*db, QStringLiteral("millet")).total, 0);
    QVERIFY(!Catalog::RepairIndex(*db));
}

void TestCatalog::treeNodesCarryTheirRows_data()
{
    QTest::addColumn<bool>("readAhead");
    QTest::newRow("load") << false;
    QTest::newRow("reads made ahead at start-up") << true;
}

void TestCatalog::treeNodesCarryTheirRows()
{
    QFETCH(bool, readAhead);
    StoreFixture f;
    f.make({{QStringLiteral("Soups"),
             {row(QStringLiteral("Tomato soup ")), row(QStringLiteral("Leek soup ")),
              row(QStringLiteral("Tomato soup "))}}});
    if (readAhead) {
        auto db = dao::DBEngine::OpenDatabase(f.file(), false, false, kxtest::Connect);
        auto reads = RecipeBas::ReadTreeAhead(*db);
        RecipeBas::OfferOpenDatabase(RecipeBas::DataPath, std::move(db), std::move(reads));
    }
    RecipeBas::LoadTree();
    auto db = dao::DBEngine::OpenDatabase(f.file(), false, true, kxtest::Connect);
    const QList<Catalog::Recipe> soups = Catalog::Recipes(*db, QStringLiteral("Soups"));
    QTreeWidgetItem *category = f.tree.Node(QStringLiteral("Soups"));
    for (int i = 0; i < 3; ++i) {
        // Found by the category without regard to case, as the tree keys it.
        QTreeWidgetItem *node = RecipeBas::RecipeNode(QStringLiteral("SOUPS"), soups[i].id.row);
        QCOMPARE(category->indexOfChild(node), i);
        QCOMPARE(vb::TreeView::Row(node), soups[i].id.row);
    }
    QVERIFY(!RecipeBas::RecipeNode(QStringLiteral("Soups"), soups[2].id.row + 1));
}

void TestCatalog::aBatchIsIndexedWholeOrNotAtAll_data()
{
    QTest::addColumn<QString>("harm");
    QTest::addColumn<bool>("commit");
    QTest::newRow("committed") << QString() << true;
    QTest::newRow("rolled back") << QString() << false;
    // The index refuses a write after the first group: the recipes are stored all the same.
    QTest::newRow("index fails in the middle")
        << "CREATE TRIGGER harm BEFORE INSERT ON _kx_find_docsize WHEN (SELECT count(*) FROM "
           "_kx_find_docsize) > 1010 BEGIN SELECT RAISE(ABORT, 'harm'); END"
        << true;
}

void TestCatalog::aBatchIsIndexedWholeOrNotAtAll()
{
    QFETCH(QString, harm);
    QFETCH(bool, commit);
    QCOMPARE(kxtest::execSql(m_file, harm.toUtf8()), QString());
    const QByteArray before = kxtest::fileBytes(m_file);
    auto db = open();
    db->BeginTrans();
    Catalog::RecipeId id;
    for (int i = 0; i < 2100; ++i) // more than one group of the index, more than are counted
        id = Catalog::Add(*db, QStringLiteral("Soups"), {{}, u"Stew"_qs, {}, u"beans"_qs, {}});
    if (commit) { // changed and removed while their group still waits
        Catalog::Update(*db, {id, QStringLiteral("Stew"), {}, QStringLiteral("lentils"), {}});
        Catalog::Remove(*db, {id.category, id.row - 1});
        Catalog::Add(*db, QStringLiteral("Soups"), {{}, QStringLiteral("Peas"), {}, {}, {}});
    }
    commit ? db->CommitTrans() : db->Rollback();
    // What the batch added last is indexed when it commits, for every reader.
    QCOMPARE(find(QStringLiteral("peas")).size(), commit && harm.isEmpty() ? 1 : 0);
    if (!harm.isEmpty()) {
        QCOMPARE(Catalog::IndexStatus(*db), Catalog::IndexState::Missing);
        QVERIFY(Catalog::EnsureIndex(*db));
    }
    const Catalog::Found beans = Catalog::Find(*db, QStringLiteral("beans"));
    QCOMPARE(beans.total, commit ? 2000 : 0); // 2,098: counting stops past 2,000
    QCOMPARE(beans.more, commit);
    QCOMPARE(Catalog::Find(*db, QStringLiteral("lentils")).total, commit ? 1 : 0);
    QCOMPARE(Catalog::Recipes(*db, QStringLiteral("Soups")).size(), commit ? 2103 : 3);
    QVERIFY(!Catalog::RepairIndex(*db));
    db->Close();
    if (!commit)
        QCOMPARE(kxtest::fileBytes(m_file), before);
}

QTEST_MAIN(TestCatalog)
#include "test_catalog.moc"
