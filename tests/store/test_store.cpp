// The recipe store against real database files: the tree rebuilt from the file, and single
// recipes shown, added, updated and deleted through the four boxes.
#include "StoreFixture.h"

#include "platform/dao/Maintenance.h"
#include "store/Backup.h"

#include <QtTest>

using namespace RecipeBas;
using kxtest::Category;

class TestStore : public QObject
{
    Q_OBJECT
private slots:
    void treeListsCategoriesAndRecipesInOrder();
    void treeHidesExactlyTheSevenSystemTables();
    void anOfferedDatabaseServesOnlyItsOwnFileAndSeesLaterWrites();
    void readsMadeAheadShowWhatTheyReadOnce();
    void readsMadeAheadFailWhereTheLoadWouldFail();

    void showFindsTheFirstMatchAndKeepsTheTrailingBlank();
    void showOfAMissingNameLocksTheBoxesAndKeepsTheirText();
    void addStoresTrimmedTextWithOneBlank();
    void updateRenamesTheFirstMatchOnly();
    void deleteRemovesEveryMatchAndCountsThem();
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

    // A file that cannot be opened: opening is outside the ignored stretch, so the error
    // reaches the caller, the tree keeps what it had, and nothing is created.
    QVERIFY(QFile::remove(f.file()));
    QVERIFY_THROWS_EXCEPTION(dao::Error, LoadTree());
    QCOMPARE(f.treeLines().size(), 12);
    QVERIFY(!QFile::exists(f.file()));
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
    QCOMPARE(kxtest::execSql(file, QByteArray("CREATE TABLE \"") + name +
                                       "\" (rowid TEXT, _rowid_ TEXT, oid TEXT, Name TEXT)"),
             QString());
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
    const auto loadError = [] {
        try {
            LoadTree();
        } catch (const dao::Error &e) {
            return e.number();
        }
        return 0;
    };
    const int live = loadError();
    QCOMPARE(live, int(dao::errUnrecognizedFormat));
    const QStringList liveLines = f.treeLines();
    QCOMPARE(liveLines, QStringList({QStringLiteral("Kitchenex Recipe"), QStringLiteral("- A")}));

    auto checked = dao::Maintenance::OpenChecked(DataPath, ConnectString);
    std::unique_ptr<TreeReads> reads = ReadTreeAhead(*checked);
    OfferOpenDatabase(DataPath, std::move(checked), std::move(reads));
    QCOMPARE(loadError(), live);
    QCOMPARE(f.treeLines(), liveLines);
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
    ShowRecipe(QStringLiteral("Soups"), QStringLiteral("leek")); // names compare with letter case
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

    // A name that vanished meanwhile: nothing changes and nothing is said; the boxes are
    // emptied and the tree reloaded.
    const QByteArray before = kxtest::fileBytes(f.file());
    f.setBoxes(QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z"), QStringLiteral("w"));
    f.tree.Clear();
    dialogs.clear();
    QVERIFY(!UpdateRecipe(QStringLiteral("Soups"), QStringLiteral("Beet")));
    QVERIFY(dialogs.texts().isEmpty());
    QCOMPARE(f.boxes(), QStringList({QString(), QString(), QString(), QString()}));
    QCOMPARE(kxtest::fileBytes(f.file()), before);
    QCOMPARE(f.treeLines().size(), 5);
}

void TestStore::deleteRemovesEveryMatchAndCountsThem()
{
    StoreFixture f;
    f.make({{QStringLiteral("Soups"), {row(QStringLiteral("Leek ")), row(QStringLiteral("Pea ")),
                                       row(QStringLiteral(" Leek")), row(QStringLiteral("Leek "))}}});
    QCOMPARE(DeleteRecipe(QStringLiteral("Soups"), QStringLiteral("LEEK ")), 0); // case counts
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
    // The category tree: the categories alone, under the opened root; the database closed.
    LoadCategoryTree();
    QCOMPARE(f.treeLines(), QStringList({QStringLiteral("Kitchenex Recipe"), QStringLiteral("- ab"),
                                         QStringLiteral("- Cakes")}));
    QVERIFY(f.tree.topLevelItem(0)->isExpanded());
    QVERIFY(!db);
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
