// The recipe store against real database files: the tree rebuilt from the file, and single
// recipes shown, added, updated and deleted through the four boxes.
#include "StoreFixture.h"

#include "platform/dao/Maintenance.h"
#include "store/Backup.h"

#include <QtTest>

#include <sqlite3.h>

using namespace RecipeBas;
using kxtest::Category;

class TestStore : public QObject
{
    Q_OBJECT
private slots:
    void treeListsCategoriesAndRecipesInOrder();
    void treeHidesExactlyTheSevenSystemTables();
    void treeNodesCarryKeysKindsAndImages();
    void treeExpandsOnlyTheLastCategory();
    void treeMakesRecipeNodesWhenTheirCategoryOpens();
    void treeOfAnEmptyDatabaseIsTheRootAlone();
    void treeLoadFailsWhenTheDatabaseCannotBeOpened();
    void categoryTreeListsCategoriesOnly();
    void anOfferedDatabaseServesOnlyItsOwnFileAndSeesLaterWrites();
    void readsMadeAheadShowWhatTheyReadOnce();
    void readsMadeAheadFailWhereTheLoadWouldFail();

    void showFindsTheFirstMatchAndKeepsTheTrailingBlank();
    void showOfAMissingNameLocksTheBoxesAndKeepsTheirText();
    void addStoresTrimmedTextWithOneBlank();
    void addRefusedByTheEngineStoresNothing();
    void updateRenamesTheFirstMatchOnly();
    void updateRefusedByTheEngineKeepsTheBoxesAndTheRecord();
    void updateOfAVanishedNameChangesNothing();
    void deleteRemovesEveryMatchAndCountsThem();
    void namesCompareWithLetterCase();
    void treeShowsWhateverNamesTheFileHolds();
    void aCopyLeftHalfMadeDoesNotStopTheBackup();
};

void TestStore::treeListsCategoriesAndRecipesInOrder()
{
    StoreFixture f;
    f.make({{QStringLiteral("soups"), {row(QStringLiteral("Leek ")), row(QStringLiteral(" Pea"))}},
            {QStringLiteral("Breads"), {row(QStringLiteral("Rye ")), row(QStringLiteral("Rye ")),
                                        row(QStringLiteral(" ")), row(QVariant())}},
            {QStringLiteral("zzzNothing"), {row(QStringLiteral("Placeholder "))}},
            {QStringLiteral("Cakes"), {}}});
    LoadTree();
    // Categories without regard to case; recipes in stored order, trimmed; blank and null
    // names as nodes with empty text; duplicates kept.
    QCOMPARE(f.treeLines(), QStringList({
        QStringLiteral("Kitchenex Recipe"),
        QStringLiteral("- Breads"), QStringLiteral("  * Rye"), QStringLiteral("  * Rye"),
        QStringLiteral("  * "), QStringLiteral("  * "),
        QStringLiteral("- Cakes"),
        QStringLiteral("- soups"), QStringLiteral("  * Leek"), QStringLiteral("  * Pea"),
        QStringLiteral("- zzzNothing"), QStringLiteral("  * Placeholder"),
    }));
    QVERIFY(!db);
    QVERIFY(!rs);
    QCOMPARE(f.list.ListCount(), 0); // the staging list is emptied after each category
}

void TestStore::treeHidesExactlyTheSevenSystemTables()
{
    StoreFixture f;
    QList<Category> tables;
    for (const char *name : {"MSysACEs", "MSysModules", "MSysModules2", "MSysObjects",
                             "MSysQueries", "MSysRelationships", "MSysAccessObjects",
                             "MSysOther", "msysobjects2"})
        tables.append({QString::fromLatin1(name), {}});
    f.make(tables);
    LoadTree();
    QCOMPARE(f.treeLines(), QStringList({QStringLiteral("Kitchenex Recipe"),
                                         QStringLiteral("- msysobjects2"),
                                         QStringLiteral("- MSysOther")}));
    LoadCategoryTree();
    QCOMPARE(f.tree.topLevelItem(0)->childCount(), 2);
}

void TestStore::treeNodesCarryKeysKindsAndImages()
{
    StoreFixture f;
    f.make({{QStringLiteral("Soups"), {row(QStringLiteral(" "))}}});
    LoadTree();
    QTreeWidgetItem *root = f.tree.topLevelItem(0);
    QCOMPARE(vb::TreeView::Key(root), QStringLiteral("AB"));
    QCOMPARE(root->data(0, vb::TreeView::ImageRole).toInt(), 1);
    QTreeWidgetItem *category = root->child(0);
    QCOMPARE(vb::TreeView::Key(category), QStringLiteral("Soups"));
    QCOMPARE(vb::TreeView::Kind(category), vb::NodeKind::Category);
    QCOMPARE(category->data(0, vb::TreeView::ImageRole).toInt(), 2);
    QCOMPARE(category->data(0, vb::TreeView::SelectedImageRole).toInt(), 3);
    // A recipe with a blank name has the same key and text as nothing at all, yet the tree
    // still knows it is a recipe.
    QTreeWidgetItem *recipe = category->child(0);
    QCOMPARE(vb::TreeView::Key(recipe), QString());
    QCOMPARE(recipe->text(0), QString());
    QCOMPARE(vb::TreeView::Kind(recipe), vb::NodeKind::Recipe);
    QCOMPARE(recipe->data(0, vb::TreeView::ImageRole).toInt(), 4);
    QCOMPARE(recipe->data(0, vb::TreeView::SelectedImageRole).toInt(), 3);

    LoadCategoryTree();
    QCOMPARE(f.tree.topLevelItem(0)->child(0)->data(0, vb::TreeView::SelectedImageRole).toInt(), 0);
}

void TestStore::treeExpandsOnlyTheLastCategory()
{
    StoreFixture f;
    f.make({{QStringLiteral("A"), {row(QStringLiteral("a1 "))}},
            {QStringLiteral("B"), {row(QStringLiteral("b1 "))}},
            {QStringLiteral("C"), {row(QStringLiteral("c1 ")), row(QStringLiteral("c2 "))}}});
    f.tree.resize(200, 300);
    LoadTree();
    QTreeWidgetItem *root = f.tree.topLevelItem(0);
    QVERIFY(root->isExpanded());
    QVERIFY(!root->child(0)->isExpanded());
    QVERIFY(!root->child(1)->isExpanded());
    QVERIFY(root->child(2)->isExpanded());
    // An empty last category is made visible itself: only the root is expanded.
    StoreFixture g;
    g.make({{QStringLiteral("A"), {row(QStringLiteral("a1 "))}}, {QStringLiteral("B"), {}}});
    LoadTree();
    QVERIFY(g.tree.topLevelItem(0)->isExpanded());
    QVERIFY(!g.tree.topLevelItem(0)->child(0)->isExpanded());
}

void TestStore::treeMakesRecipeNodesWhenTheirCategoryOpens()
{
    StoreFixture f;
    f.make({{QStringLiteral("A"), {row(QStringLiteral("a1 ")), row(QStringLiteral("a2 "))}},
            {QStringLiteral("B"), {}},
            {QStringLiteral("C"), {row(QStringLiteral("c1 "))}}});
    LoadTree();
    vb::TreeView &tv = f.tree;
    QTreeWidgetItem *a = tv.Node(QStringLiteral("A"));
    QTreeWidgetItem *b = tv.Node(QStringLiteral("B"));
    QTreeWidgetItem *c = tv.Node(QStringLiteral("C"));
    // The last category is open with its node made; the others wait.
    QCOMPARE(c->childCount(), 1);
    QCOMPARE(tv.LastAdded(), c->child(0));
    QCOMPARE(a->childCount(), 0);
    QCOMPARE(tv.ChildCount(a), 2);
    QCOMPARE(tv.ChildCount(b), 0);
    QCOMPARE(b->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);

    // A node added to a waiting category comes after its recipes, which are made first.
    tv.AddChild(QStringLiteral("A"), vb::NodeKind::Recipe, QString(), QStringLiteral("a3"), 4, 3);
    QCOMPARE(a->childCount(), 3);
    QCOMPARE(a->child(0)->text(0), QStringLiteral("a1"));
    QCOMPARE(a->child(2)->text(0), QStringLiteral("a3"));
    QCOMPARE(tv.LastAdded(), a->child(2));
    // Children added to a waiting category wait with its others; C is open, so its new node
    // is made at once; opening B later does not change which node was added last.
    tv.AddChildren(QStringLiteral("B"), vb::NodeKind::Recipe, {QStringLiteral("b1")}, 4, 3);
    tv.AddChildren(QStringLiteral("B"), vb::NodeKind::Recipe, {QStringLiteral("b2")}, 4, 3);
    QCOMPARE(tv.ChildCount(b), 2);
    QCOMPARE(b->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    tv.AddChildren(QStringLiteral("C"), vb::NodeKind::Recipe, {QStringLiteral("c2")}, 4, 3);
    QCOMPARE(c->child(1)->text(0), QStringLiteral("c2"));
    QCOMPARE(tv.LastAdded(), c->child(1));
    b->setExpanded(true);
    QCOMPARE(b->childCount(), 2);
    QCOMPARE(b->child(1)->text(0), QStringLiteral("b2"));
    QCOMPARE(tv.LastAdded(), c->child(1));

    // The next load starts from nothing: no recipe waits from the one before.
    LoadTree();
    QCOMPARE(f.treeLines(),
             QStringList({QStringLiteral("Kitchenex Recipe"), QStringLiteral("- A"),
                          QStringLiteral("  * a1"), QStringLiteral("  * a2"), QStringLiteral("- B"),
                          QStringLiteral("- C"), QStringLiteral("  * c1")}));
}

void TestStore::treeOfAnEmptyDatabaseIsTheRootAlone()
{
    StoreFixture f;
    f.make({});
    LoadTree();
    QCOMPARE(f.treeLines(), QStringList({QStringLiteral("Kitchenex Recipe")}));
}

void TestStore::treeLoadFailsWhenTheDatabaseCannotBeOpened()
{
    StoreFixture f;
    f.make({{QStringLiteral("A"), {row(QStringLiteral("a1 "))}}});
    LoadTree();
    QVERIFY(QFile::remove(f.file()));
    // Opening is outside the ignored stretch: the error reaches the caller and the tree keeps
    // what it had.
    QVERIFY_THROWS_EXCEPTION(dao::Error, LoadTree());
    QCOMPARE(f.treeLines().size(), 3);
    QVERIFY(!QFile::exists(f.file())); // nothing was created
}

void TestStore::anOfferedDatabaseServesOnlyItsOwnFileAndSeesLaterWrites()
{
    StoreFixture f;
    f.make({{QStringLiteral("A"), {row(QStringLiteral("a1 "))}}});
    // Checked and kept open with its pages in memory; then another connection adds a category.
    OfferOpenDatabase(DataPath, dao::Maintenance::OpenChecked(DataPath, ConnectString));
    {
        auto writer = dao::DBEngine::OpenDatabase(DataPath, false, false, ConnectString);
        AppendCategoryTable(*writer, QStringLiteral("B"));
    }
    LoadTree();
    QCOMPARE(f.treeLines(), QStringList({QStringLiteral("Kitchenex Recipe"), QStringLiteral("- A"),
                                         QStringLiteral("  * a1"), QStringLiteral("- B")}));
    QVERIFY(!db);

    // A database offered for another data path is never used for this one.
    const QString other = QDir(f.dir.path()).filePath(QStringLiteral("Other"));
    kxtest::makeDatabase(other + QStringLiteral(".mdb"), {{QStringLiteral("X"), {}}});
    OfferOpenDatabase(other, dao::Maintenance::OpenChecked(other, ConnectString));
    LoadTree();
    QCOMPARE(f.treeLines().at(1), QStringLiteral("- A"));
}

namespace {

// A category table the engine cannot open: every name SQLite has for the row number is taken
// by a column.
void addUnopenableTable(const QString &file, const char *name)
{
    sqlite3 *raw = nullptr;
    QCOMPARE(sqlite3_open(file.toUtf8().constData(), &raw), SQLITE_OK);
    const QByteArray sql =
        QByteArray("CREATE TABLE \"") + name + "\" (rowid TEXT, _rowid_ TEXT, oid TEXT, Name TEXT)";
    QCOMPARE(sqlite3_exec(raw, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
}

} // namespace

void TestStore::readsMadeAheadShowWhatTheyReadOnce()
{
    StoreFixture f;
    f.make({{QStringLiteral("A"), {row(QStringLiteral(" a1 ")), row(QStringLiteral("a2 "))}},
            {QStringLiteral("B"), {row(QStringLiteral("b1 "))}},
            {QStringLiteral("MSysObjects"), {row(QStringLiteral("hidden "))}},
            {QStringLiteral("D"), {row(QStringLiteral("d1 "))}}});
    addUnopenableTable(f.file(), "C");
    // What the tree shows when the load reads for itself.
    LoadTree();
    const QStringList live = f.treeLines();
    QCOMPARE(live,
             QStringList({QStringLiteral("Kitchenex Recipe"), QStringLiteral("- A"),
                          QStringLiteral("  * a1"), QStringLiteral("  * a2"), QStringLiteral("- B"),
                          QStringLiteral("  * b1"), QStringLiteral("- C"), QStringLiteral("- D"),
                          QStringLiteral("  * d1")}));

    // Read ahead, then the file changes: the load shows the file as it was read.
    auto checked = dao::Maintenance::OpenChecked(DataPath, ConnectString);
    std::unique_ptr<TreeReads> reads = ReadTreeAhead(*checked);
    {
        auto writer = dao::DBEngine::OpenDatabase(DataPath, false, false, ConnectString);
        AppendCategoryTable(*writer, QStringLiteral("E"));
    }
    OfferOpenDatabase(DataPath, std::move(checked), std::move(reads));
    LoadTree();
    QCOMPARE(f.treeLines(), live);
    QCOMPARE(f.tree.LastAdded()->text(0), QStringLiteral("d1"));
    QVERIFY(!db);
    // Used once: the next load reads the file.
    LoadTree();
    QCOMPARE(f.treeLines().last(), QStringLiteral("- E"));

    // Reads offered with a database that another routine took and closed are never used.
    OfferOpenDatabase(DataPath, dao::Maintenance::OpenChecked(DataPath, ConnectString),
                      std::make_unique<TreeReads>());
    OpenRecipeDataBase();
    CloseDataBase();
    LoadTree();
    QCOMPARE(f.treeLines().last(), QStringLiteral("- E"));
}

void TestStore::readsMadeAheadFailWhereTheLoadWouldFail()
{
    // The first category cannot be opened: the load ends there, read ahead or not, with the
    // same error, after the root and that category.
    StoreFixture f;
    f.make({{QStringLiteral("B"), {row(QStringLiteral("b1 "))}}});
    addUnopenableTable(f.file(), "A");
    int live = 0;
    try {
        LoadTree();
    } catch (const dao::Error &e) {
        live = e.number();
    }
    QCOMPARE(live, int(dao::errUnrecognizedFormat));
    const QStringList liveLines = f.treeLines();
    QCOMPARE(liveLines, QStringList({QStringLiteral("Kitchenex Recipe"), QStringLiteral("- A")}));

    auto checked = dao::Maintenance::OpenChecked(DataPath, ConnectString);
    std::unique_ptr<TreeReads> reads = ReadTreeAhead(*checked);
    OfferOpenDatabase(DataPath, std::move(checked), std::move(reads));
    int ahead = 0;
    try {
        LoadTree();
    } catch (const dao::Error &e) {
        ahead = e.number();
    }
    QCOMPARE(ahead, live);
    QCOMPARE(f.treeLines(), liveLines);
}

void TestStore::categoryTreeListsCategoriesOnly()
{
    StoreFixture f;
    f.make({{QStringLiteral("A"), {row(QStringLiteral("a1 "))}},
            {QStringLiteral("zzzNothing"), {row(QStringLiteral("z "))}}});
    LoadCategoryTree();
    QCOMPARE(f.treeLines(), QStringList({QStringLiteral("Kitchenex Recipe"),
                                         QStringLiteral("- A"),
                                         QStringLiteral("- zzzNothing")}));
    QVERIFY(f.tree.topLevelItem(0)->isExpanded());
    QVERIFY(!db);
}

void TestStore::showFindsTheFirstMatchAndKeepsTheTrailingBlank()
{
    StoreFixture f;
    f.make({{QStringLiteral("Soups"),
             {row(QStringLiteral("Leek "), QStringLiteral(" First "), QStringLiteral(" a\r\nb "),
                  QVariant()),
              row(QStringLiteral("  Leek   "), QStringLiteral("Second "))}}});
    f.text1.SetLocked(false);
    ShowRecipe(QStringLiteral("Soups"), QStringLiteral("Leek"));
    QCOMPARE(f.boxes(), QStringList({QStringLiteral("Leek "), QStringLiteral("First"),
                                     QStringLiteral("a\r\nb"), QString()}));
    QVERIFY(!f.text1.Locked()); // the locked state is left as it was
    QVERIFY(db);                // the database stays open on the shown record
    QVERIFY(rs);
}

void TestStore::showOfAMissingNameLocksTheBoxesAndKeepsTheirText()
{
    StoreFixture f;
    f.make({{QStringLiteral("Soups"), {row(QStringLiteral("Leek "))}}});
    f.setBoxes(QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z"), QStringLiteral("w"));
    f.text1.SetLocked(false);
    ShowRecipe(QStringLiteral("Soups"), QStringLiteral("Pea"));
    QCOMPARE(f.boxes(), QStringList({QStringLiteral("x"), QStringLiteral("y"),
                                     QStringLiteral("z"), QStringLiteral("w")}));
    QVERIFY(f.text1.Locked() && f.text4.Locked());
    QVERIFY(!db);
    // An unknown category is an error for the caller.
    QVERIFY_THROWS_EXCEPTION(dao::Error, ShowRecipe(QStringLiteral("Nope"), QStringLiteral("x")));
}

void TestStore::addStoresTrimmedTextWithOneBlank()
{
    StoreFixture f;
    f.make({{QStringLiteral("Soups"), {row(QStringLiteral("Leek "))}}});
    f.setBoxes(QStringLiteral("  Pea  "), QString(), QStringLiteral("\ta\r\nb \t "),
               QStringLiteral("   "));
    AddRecipe(QStringLiteral("Soups"));
    const auto rows = kxtest::readCategory(f.file(), QStringLiteral("Soups"));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(1), QStringList({QStringLiteral("Pea "), QStringLiteral(" "),
                                      QStringLiteral("\ta\r\nb \t "), QStringLiteral(" ")}));
    QVERIFY(!db);
}

void TestStore::addRefusedByTheEngineStoresNothing()
{
    StoreFixture f;
    f.make({{QStringLiteral("Soups"), {}}});
    f.setBoxes(QString(255, QLatin1Char('n')), QString(), QString(), QString());
    // 255 characters plus the stored blank is one too many for a Text field.
    QVERIFY_THROWS_EXCEPTION(dao::Error, AddRecipe(QStringLiteral("Soups")));
    CloseDataBase();
    QCOMPARE(kxtest::readCategory(f.file(), QStringLiteral("Soups")).size(), 0);
    f.setBoxes(QString(254, QLatin1Char('n')), QString(), QString(), QString());
    AddRecipe(QStringLiteral("Soups"));
    QCOMPARE(kxtest::readCategory(f.file(), QStringLiteral("Soups")).size(), 1);
}

void TestStore::updateRenamesTheFirstMatchOnly()
{
    StoreFixture f;
    kxtest::DialogRecorder dialogs;
    f.make({{QStringLiteral("Soups"), {row(QStringLiteral("Leek ")), row(QStringLiteral("Leek ")),
                                       row(QStringLiteral("Pea "))}}});
    f.setBoxes(QStringLiteral("Leek and Potato "), QStringLiteral("Me"), QStringLiteral("i"),
               QStringLiteral("s"));
    QVERIFY(UpdateRecipe(QStringLiteral("Soups"), QStringLiteral(" Leek ")));
    QCOMPARE(dialogs.texts(), QStringList({QStringLiteral("Recipe UpDated")}));
    QCOMPARE(dialogs.asked().first().title, QStringLiteral("Kitchenex"));
    const auto rows = kxtest::readCategory(f.file(), QStringLiteral("Soups"));
    QCOMPARE(rows.at(0), QStringList({QStringLiteral("Leek and Potato "), QStringLiteral("Me "),
                                      QStringLiteral("i "), QStringLiteral("s ")}));
    QCOMPARE(rows.at(1).at(0), QStringLiteral("Leek "));
    QCOMPARE(f.boxes(), QStringList({QString(), QString(), QString(), QString()}));
    QVERIFY(f.treeLines().contains(QStringLiteral("  * Leek and Potato")));
}

void TestStore::updateRefusedByTheEngineKeepsTheBoxesAndTheRecord()
{
    StoreFixture f;
    kxtest::DialogRecorder dialogs;
    f.make({{QStringLiteral("Soups"), {row(QStringLiteral("Leek "))}}});
    const QString tooLong(300, QLatin1Char('x'));
    f.setBoxes(tooLong, QStringLiteral("Me"), QStringLiteral("new ingredients"), QString());
    QVERIFY_THROWS_EXCEPTION(dao::Error,
                             UpdateRecipe(QStringLiteral("Soups"), QStringLiteral("Leek")));
    QVERIFY(dialogs.texts().isEmpty()); // no "Recipe UpDated" for a write that did not happen
    QCOMPARE(f.boxes().at(0), tooLong);
    QCOMPARE(f.boxes().at(2), QStringLiteral("new ingredients"));
    QVERIFY(!db);
    const auto rows = kxtest::readCategory(f.file(), QStringLiteral("Soups"));
    QCOMPARE(rows.at(0), QStringList({QStringLiteral("Leek "), QStringLiteral("A "),
                                      QStringLiteral("I "), QStringLiteral("S ")}));
}

void TestStore::updateOfAVanishedNameChangesNothing()
{
    StoreFixture f;
    kxtest::DialogRecorder dialogs;
    f.make({{QStringLiteral("Soups"), {row(QStringLiteral("Leek "))}}});
    f.setBoxes(QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z"), QStringLiteral("w"));
    QVERIFY(!UpdateRecipe(QStringLiteral("Soups"), QStringLiteral("Pea")));
    QVERIFY(dialogs.texts().isEmpty());
    QCOMPARE(f.boxes(), QStringList({QString(), QString(), QString(), QString()}));
    QCOMPARE(kxtest::readCategory(f.file(), QStringLiteral("Soups")).at(0).at(0),
             QStringLiteral("Leek "));
    QCOMPARE(f.treeLines().size(), 3); // the tree was reloaded
}

void TestStore::deleteRemovesEveryMatchAndCountsThem()
{
    StoreFixture f;
    f.make({{QStringLiteral("Soups"), {row(QStringLiteral("Leek ")), row(QStringLiteral("Pea ")),
                                       row(QStringLiteral(" Leek")), row(QStringLiteral("Leek "))}}});
    f.setBoxes(QStringLiteral("x"), QString(), QString(), QString());
    QCOMPARE(DeleteRecipe(QStringLiteral("Soups"), QStringLiteral("Leek ")), 3);
    const auto rows = kxtest::readCategory(f.file(), QStringLiteral("Soups"));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).at(0), QStringLiteral("Pea "));
    QCOMPARE(f.text1.Text(), QString());
    QCOMPARE(DeleteRecipe(QStringLiteral("Soups"), QStringLiteral("Leek")), 0);
    // An empty category changes nothing and is no error.
    kxtest::makeDatabase(QDir(f.dir.path()).filePath(QStringLiteral("Other.mdb")),
                         {{QStringLiteral("Empty"), {}}});
    DataPath = QDir(f.dir.path()).filePath(QStringLiteral("Other"));
    QCOMPARE(DeleteRecipe(QStringLiteral("Empty"), QStringLiteral("Leek")), 0);
}

void TestStore::namesCompareWithLetterCase()
{
    StoreFixture f;
    kxtest::DialogRecorder dialogs;
    f.make({{QStringLiteral("Soups"), {row(QStringLiteral("Leek "))}}});
    ShowRecipe(QStringLiteral("Soups"), QStringLiteral("leek"));
    QVERIFY(f.text1.Locked()); // not found
    QCOMPARE(DeleteRecipe(QStringLiteral("Soups"), QStringLiteral("LEEK")), 0);
    QCOMPARE(kxtest::readCategory(f.file(), QStringLiteral("Soups")).size(), 1);
}

// A category may be named like the root's key: the tree still loads, each category with its
// recipes, and its node carries its name.
void TestStore::treeShowsWhateverNamesTheFileHolds()
{
    StoreFixture f;
    f.make({{QStringLiteral("ab"), {row(QStringLiteral("a1 "))}},
            {QStringLiteral("Cakes"), {row(QStringLiteral("c1 "))}}});
    LoadTree();
    QCOMPARE(f.treeLines(), QStringList({QStringLiteral("Kitchenex Recipe"), QStringLiteral("- ab"),
                                         QStringLiteral("  * a1"), QStringLiteral("- Cakes"),
                                         QStringLiteral("  * c1")}));
    QCOMPARE(vb::TreeView::Key(f.tree.topLevelItem(0)->child(0)), QStringLiteral("ab"));
    LoadCategoryTree();
    QCOMPARE(f.tree.topLevelItem(0)->childCount(), 2);
}

// A run killed while making its backup leaves Recipe.mdb.bak.new (and its journal) behind: the
// next backup throws them away instead of refusing every change.
void TestStore::aCopyLeftHalfMadeDoesNotStopTheBackup()
{
    StoreFixture f;
    f.make({{QStringLiteral("Soups"), {row(QStringLiteral("Leek "))}}});
    const QString fresh = DataBaseFile() + QStringLiteral(".bak.new");
    for (const QString &left : {fresh, fresh + QStringLiteral("-journal")}) {
        QFile file(left);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("half") == 4);
    }
    StartBackupRun();
    KeepBackupBeforeChange();
    QCOMPARE(BackupFiles(DataBaseFile()), QStringList{DataBaseFile() + QStringLiteral(".bak")});
    QCOMPARE(kxtest::readCategory(BackupFiles(DataBaseFile()).first(), QStringLiteral("Soups")),
             kxtest::readCategory(DataBaseFile(), QStringLiteral("Soups")));
    QVERIFY(!QFile::exists(fresh));
    QVERIFY(!QFile::exists(fresh + QStringLiteral("-journal")));
}

QTEST_MAIN(TestStore)
#include "test_store.moc"
