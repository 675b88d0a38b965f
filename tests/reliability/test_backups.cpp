// Backups and the start-up check, through the real window: the first change of each run copies
// the database to Recipe.mdb.bak (older copies move down to .bak.1 and .bak.2, three kept); no
// copy, no change; a damaged database is said to be damaged at start-up, naming the newest
// backup, and copying that backup back over Recipe.mdb brings the recipes back.
#include "MainFixture.h"
#include "ReliabilitySupport.h"

#include "platform/dao/Maintenance.h"
#include "store/Backup.h"

using kxtest::Category;
using kxtest::Row;

namespace {

const QString Beef = QStringLiteral("Beef");
const QString Soups = QStringLiteral("Soups");

Row r(const QString &name)
{
    return {name + QLatin1Char(' '), QStringLiteral("Ann "), QStringLiteral("salt "),
            QStringLiteral("cook ")};
}

QList<Category> kitchen()
{
    return {{Beef, {r(QStringLiteral("Stew")), r(QStringLiteral("Roast"))}},
            {Soups, {r(QStringLiteral("Leek"))}},
            {QStringLiteral("zzzNothing"), {}}};
}

// What a file holds: its categories, and the recipe names of each.
QStringList contents(const QString &file)
{
    QStringList lines;
    for (const QString &category : kxtest::categories(file)) {
        QStringList names;
        for (const QStringList &row : kxtest::readCategory(file, category))
            names.append(row.value(0).trimmed());
        lines.append(category + QStringLiteral(": ") + names.join(QLatin1Char(',')));
    }
    return lines;
}

// The five changes, each through its own buttons. Returns what the window said last.
enum class Change
{
    AddRecipe,
    UpdateRecipe,
    DeleteRecipe,
    CreateCategory,
    DeleteCategory
};

QString change(MainFixture &f, Change what, const QString &name)
{
    f.dialogs.clear();
    switch (what) {
    case Change::AddRecipe:
        f.click(f.form->add);
        f.clickNode(f.category(Beef));
        f.type(name, QStringLiteral("Ann"), QStringLiteral("pepper"), QStringLiteral("fry"));
        f.dialogs.answer(vb::vbYes);
        f.click(f.form->Save);
        f.click(f.form->Cancel);
        break;
    case Change::UpdateRecipe:
        f.clickNode(f.recipe(Beef, 0));
        f.click(f.form->Edit);
        f.form->Text1->SetText(name);
        f.click(f.form->saveedited);
        break;
    case Change::DeleteRecipe:
        f.clickNode(f.recipe(Soups, 0));
        f.click(f.form->delete_);
        break;
    case Change::CreateCategory:
        f.dialogs.answerText(name);
        f.click(f.form->xpcmdbutton2);
        break;
    case Change::DeleteCategory:
        f.click(f.form->xpcmdbutton1);
        f.clickNode(f.category(Soups));
        f.dialogs.answer(vb::vbYes);
        f.click(f.form->delcatagroy);
        f.click(f.form->cancelcata);
        break;
    }
    return f.dialogs.texts().value(f.dialogs.texts().size() - 1);
}

void restart(MainFixture &f)
{
    f.form->close();
    f.start();
}

} // namespace

Q_DECLARE_METATYPE(Change)

class TestBackups : public QObject
{
    Q_OBJECT
private slots:
    void firstChangeOfEachRunKeepsABackupThreeAtMost();
    void noBackupMeansNoChange_data();
    void noBackupMeansNoChange();
    void damagedDatabaseNamesTheNewestBackupWhichRestoresIt();
};

void TestBackups::firstChangeOfEachRunKeepsABackupThreeAtMost()
{
    MainFixture f;
    f.open(kitchen());
    const QString file = f.file();
    // Starting and looking changes nothing, so it makes no backup.
    f.clickNode(f.recipe(Beef, 1));
    QVERIFY(RecipeBas::BackupFiles(file).isEmpty());

    // Each run: its first change makes a backup of the file as the run found it; its later
    // changes make none. Every kind of change does it.
    const Change changes[] = {Change::AddRecipe, Change::UpdateRecipe, Change::DeleteRecipe,
                              Change::CreateCategory, Change::DeleteCategory};
    QList<QStringList> before; // the file as each run found it, newest last
    for (int run = 0; run < 5; ++run) {
        if (run > 0)
            restart(f);
        before.append(contents(file));
        const QByteArray found = kxrel::fileBytes(file);
        const QString said = change(f, changes[run], QStringLiteral("Run%1").arg(run));
        QVERIFY2(!said.startsWith(QStringLiteral("Kitchenex could not")), qPrintable(said));
        QVERIFY(kxrel::fileBytes(file) != found);
        // A second change of the run: no new backup.
        change(f, Change::AddRecipe, QStringLiteral("Again%1").arg(run));

        const QStringList backups = RecipeBas::BackupFiles(file);
        QCOMPARE(backups.size(), qMin(run + 1, RecipeBas::BackupsKept));
        QCOMPARE(backups.first(), file + QStringLiteral(".bak"));
        for (int generation = 0; generation < backups.size(); ++generation) {
            QCOMPARE(backups[generation], RecipeBas::BackupFileName(file, generation));
            QCOMPARE(kxrel::integrityCheck(backups[generation]), QStringLiteral("ok"));
            // Newest first: .bak is what this run found, .bak.1 what the run before found.
            QCOMPARE(contents(backups[generation]), before[run - generation]);
        }
    }
    QVERIFY(!QFile::exists(file + QStringLiteral(".bak.3")));
    QVERIFY(!QFile::exists(file + QStringLiteral(".bak.new")));
}

void TestBackups::noBackupMeansNoChange_data()
{
    QTest::addColumn<Change>("what");
    QTest::addColumn<QString>("failure");
    QTest::newRow("add a recipe") << Change::AddRecipe
                                  << QStringLiteral("save the new recipe in the category");
    QTest::newRow("save a recipe") << Change::UpdateRecipe << QStringLiteral("save the recipe");
    QTest::newRow("delete a recipe") << Change::DeleteRecipe << QStringLiteral("delete the recipe");
    QTest::newRow("create a category")
        << Change::CreateCategory << QStringLiteral("create the category");
    QTest::newRow("delete a category")
        << Change::DeleteCategory << QStringLiteral("delete the category");
}

void TestBackups::noBackupMeansNoChange()
{
    QFETCH(Change, what);
    QFETCH(QString, failure);
    MainFixture f;
    f.open(kitchen());
    // Something in the way of the new copy that cannot be removed: a folder of that name.
    const QString blocker = f.file() + QStringLiteral(".bak.new");
    QVERIFY(QDir().mkpath(blocker + QStringLiteral("/inside")));
    const QByteArray original = kxrel::fileBytes(f.file());

    const QString said = change(f, what, QStringLiteral("Blocked"));
    const vb::DialogRequest error = f.dialogs.asked().last();
    QVERIFY2(error.text.startsWith(QStringLiteral("Kitchenex could not ") + failure) &&
                 error.text.contains(QStringLiteral("No backup copy of the recipe database could "
                                                    "be made, so nothing was changed.")),
             qPrintable(said));
    QCOMPARE(error.flags & vb::vbCritical, int(vb::vbCritical));
    QCOMPARE(kxrel::fileBytes(f.file()), original);
    QVERIFY(RecipeBas::BackupFiles(f.file()).isEmpty());

    // Out of the way, the same change goes through, with its backup.
    QVERIFY(QDir(blocker).removeRecursively());
    const QString again = change(f, what, QStringLiteral("Unblocked"));
    QVERIFY2(!again.startsWith(QStringLiteral("Kitchenex could not")), qPrintable(again));
    QVERIFY(kxrel::fileBytes(f.file()) != original);
    QCOMPARE(RecipeBas::BackupFiles(f.file()).size(), 1);
    QCOMPARE(kxrel::fileBytes(RecipeBas::BackupFileName(f.file(), 0)).size(), original.size());
}

void TestBackups::damagedDatabaseNamesTheNewestBackupWhichRestoresIt()
{
    MainFixture f;
    f.open(kitchen());
    change(f, Change::AddRecipe, QStringLiteral("Chili"));
    const QStringList good = contents(f.file());
    restart(f);
    change(f, Change::AddRecipe, QStringLiteral("Goulash")); // .bak now holds Chili
    f.form->close();
    const QString newest = RecipeBas::BackupFileName(f.file(), 0);
    const QByteArray backupBytes = kxrel::fileBytes(newest);

    // The page of the table Soups overwritten: the file opens, but a table is garbage.
    const qint64 pageSize = kxrel::queryInt(f.file(), "PRAGMA page_size");
    const qint64 page = kxrel::queryInt(f.file(), "SELECT rootpage FROM sqlite_master WHERE "
                                                  "name = 'Soups'");
    QVERIFY(pageSize > 0 && page > 1);
    QByteArray bytes = kxrel::fileBytes(f.file());
    for (qsizetype i = (page - 1) * pageSize; i < page * pageSize; ++i)
        bytes[i] = char(0x5A);
    kxrel::writeFile(f.file(), bytes);

    f.dialogs.clear();
    f.start();
    const QString problem = f.form->startupProblem();
    QVERIFY2(problem.startsWith(QStringLiteral("The recipe database is damaged")),
             qPrintable(problem));
    QVERIFY(problem.contains(QDir::toNativeSeparators(f.file())));
    QVERIFY2(problem.contains(QStringLiteral("The newest backup copy is ") +
                              QDir::toNativeSeparators(newest)),
             qPrintable(problem));
    QVERIFY(problem.contains(QStringLiteral("copy the backup over Recipe.mdb")));
    QTRY_COMPARE(f.dialogs.texts(), QStringList({problem}));
    QVERIFY(!f.treeHasRecipes());
    QCOMPARE(kxrel::fileBytes(f.file()), bytes);

    // Changes are refused: writing into a damaged file could lose more, and its copy would
    // push a good backup out.
    const QString said = change(f, Change::CreateCategory, QStringLiteral("Rescue"));
    QVERIFY2(said.contains(QStringLiteral("No backup copy")) &&
                 said.contains(QStringLiteral("damaged")),
             qPrintable(said));
    QCOMPARE(kxrel::fileBytes(f.file()), bytes);
    QCOMPARE(kxrel::fileBytes(newest), backupBytes);
    QCOMPARE(RecipeBas::BackupFiles(f.file()).size(), 2);

    // Restored as the message says: the backup copied over Recipe.mdb.
    f.form->close();
    QVERIFY(QFile::remove(f.file()));
    QVERIFY(QFile::copy(newest, f.file()));
    f.dialogs.clear();
    f.start();
    QVERIFY2(f.form->startupProblem().isEmpty(), qPrintable(f.form->startupProblem()));
    QCOMPARE(contents(f.file()), good);
    QCOMPARE(f.form->Tv->ChildCount(f.category(Beef)), 3);
}

QTEST_MAIN(TestBackups)
#include "test_backups.moc"
