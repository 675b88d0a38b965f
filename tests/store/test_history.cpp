// Undo and redo of the changes to the recipes, kept in the file.
#include "StoreFixture.h"
#include "platform/dao/Database.h"
#include "platform/dao/History.h"
#include "store/Catalog.h"

#include <QtTest>
#include <sqlite3.h>

using dao::History;

namespace {

// Every table with every record: row number and the four fields as stored (null kept).
using Snapshot = QMap<QString, QList<QVariantList>>;

std::unique_ptr<dao::Database> open(const QString &file)
{
    return dao::DBEngine::OpenDatabase(file, false, false, kxtest::Connect);
}

Snapshot snapshot(const QString &file)
{
    auto db = open(file);
    Snapshot all;
    for (const dao::TableDef &def : db->TableDefs()) {
        auto rs = db->OpenRecordset(def.Name());
        QList<QVariantList> &rows = all[def.Name()];
        for (; !rs->IsEOF(); rs->MoveNext())
            rows.append({rs->Bookmark(), rs->Fields(0).Value(), rs->Fields(1).Value(),
                         rs->Fields(2).Value(), rs->Fields(3).Value()});
    }
    return all;
}

// What another program does to the file, behind the engine's back.
[[maybe_unused]] void sql(const QString &file, const QString &statement)
{
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, nullptr),
             SQLITE_OK);
    sqlite3_close(db);
}

int findTotal(const QString &file, const QString &query)
{
    auto db = open(file);
    return Catalog::Find(*db, query).total;
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

    StoreFixture *f = nullptr;
    kxtest::DialogRecorder *dialogs = nullptr;

    // Beef: Goulash, Stew, Goulash (a null author), Roast; Soups: Leek.
    void makeFile()
    {
        f->make({{QStringLiteral("Beef"),
                  {row(QStringLiteral("Goulash "), QStringLiteral("Ann ")),
                   row(QStringLiteral("Stew ")), row(QStringLiteral("Goulash "), QVariant()),
                   row(QStringLiteral("Roast "))}},
                 {QStringLiteral("Soups"), {row(QStringLiteral("Leek "))}}});
        History::Ensure(*open(f->file()));
    }

    // One change of each kind, as the program makes it.
    void makeChange(const QString &change)
    {
        if (change == QLatin1String("add")) {
            f->setBoxes(QStringLiteral("Chili"), QStringLiteral("Bo"), QString(), QString());
            RecipeBas::AddRecipe(QStringLiteral("Beef"));
        } else if (change == QLatin1String("edit")) {
            f->setBoxes(QStringLiteral("Stew"), QStringLiteral("Cy"), QStringLiteral("beef"),
                        QStringLiteral("stew it"));
            RecipeBas::UpdateRecipe(QStringLiteral("Beef"), QStringLiteral("Stew"));
        } else if (change == QLatin1String("delete")) {
            QCOMPARE(RecipeBas::DeleteRecipe(QStringLiteral("Beef"), QStringLiteral("Goulash")), 2);
        } else if (change == QLatin1String("create")) {
            RecipeBas::AppendCategoryTable(*open(f->file()), QStringLiteral("Pies"));
        } else if (change == QLatin1String("drop")) {
            open(f->file())->TableDefs().Delete(QStringLiteral("Beef"));
        } else {
            auto db = open(f->file());
            db->BeginTrans();
            RecipeBas::AppendCategoryTable(*db, QStringLiteral("Asia"));
            Catalog::Add(*db, QStringLiteral("Asia"), {{}, "Pho", "", "", ""});
            Catalog::Add(*db, QStringLiteral("Soups"), {{}, "Miso", "", "", ""});
            db->CommitTrans();
        }
    }

private slots:
    void init()
    {
        f = new StoreFixture;
        dialogs = new kxtest::DialogRecorder;
        makeFile();
    }
    void cleanup()
    {
        History::SetLimits(100, 20 * 1024 * 1024, 30 * 24 * 3600);
        delete dialogs;
        delete f;
    }

    // Each kind of change, undone after a restart (a new connection), redone and undone again:
    // the file is each time exactly as it was, records at their rows in their order.
    void eachChangeUndoneAndRedone_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("name");
        QTest::newRow("add") << "add" << int(History::Kind::Added) << 1 << "Chili";
        QTest::newRow("edit") << "edit" << int(History::Kind::Edited) << 1 << "Stew";
        QTest::newRow("delete") << "delete" << int(History::Kind::Deleted) << 2 << "Goulash";
        QTest::newRow("new category") << "create" << int(History::Kind::CategoryCreated) << 0 << "";
        QTest::newRow("category deleted")
            << "drop" << int(History::Kind::CategoryDeleted) << 4 << "";
        QTest::newRow("import") << "import" << int(History::Kind::Batch) << 2 << "Pho";
    }
    void eachChangeUndoneAndRedone()
    {
        QFETCH(QString, change);
        QFETCH(int, kind);
        QFETCH(int, count);
        QFETCH(QString, name);
        const int found = findTotal(f->file(), QStringLiteral("goulash"));
        const Snapshot before = snapshot(f->file());
        makeChange(change);
        const Snapshot after = snapshot(f->file());
        QVERIFY(after != before);

        History::Result undone = History::Undo(*open(f->file()));
        QCOMPARE(undone.status, History::Status::Done);
        QCOMPARE(int(undone.kind), kind);
        QCOMPARE(undone.count, count);
        QCOMPARE(undone.name, name);
        QCOMPARE(snapshot(f->file()), before);
        QCOMPARE(findTotal(f->file(), QStringLiteral("goulash")), found);
        auto db = open(f->file());
        QVERIFY(History::CanRedo(*db));
        const History::Result redone = History::Redo(*db);
        QCOMPARE(redone.status, History::Status::Done);
        QCOMPARE(redone.count, undone.count);
        QCOMPARE(snapshot(f->file()), after);
        QCOMPARE(History::Undo(*db).status, History::Status::Done);
        QCOMPARE(snapshot(f->file()), before);
    }

    // Whatever an undo (or a redo) would touch that is not as the change left it refuses it
    // whole, saying what is in the way, and writes nothing.
    void refusedWhenChangedSince_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("since"); // what another program does meanwhile
        QTest::addColumn<bool>("redo");     // the change is undone first, and redone
        QTest::addColumn<int>("clash");
        QTest::addColumn<QString>("what");
        QTest::newRow("added recipe edited")
            << "add"
            << "UPDATE Beef SET Author = 'X' WHERE Name = 'Chili '" << false
            << int(History::Clash::RecipeChanged) << "Chili";
        QTest::newRow("added recipe gone") << "add"
                                           << "DELETE FROM Beef WHERE Name = 'Chili '" << false
                                           << int(History::Clash::RecipeGone) << "";
        QTest::newRow("edited recipe edited")
            << "edit"
            << "UPDATE Beef SET Author = NULL WHERE rowid = 2" << false
            << int(History::Clash::RecipeChanged) << "Stew";
        QTest::newRow("place taken") << "delete"
                                     << "INSERT INTO Beef (rowid, Name) VALUES (3, 'Tacos ')"
                                     << false << int(History::Clash::RowTaken) << "Tacos";
        QTest::newRow("category gone")
            << "delete"
            << "DROP TABLE Beef" << false << int(History::Clash::CategoryGone) << "";
        QTest::newRow("new category filled") << "create"
                                             << "INSERT INTO Pies (Name) VALUES ('Pecan ')" << false
                                             << int(History::Clash::CategoryNotEmpty) << "";
        QTest::newRow("name taken again")
            << "drop"
            << "CREATE TABLE beef (Name TEXT)" << false << int(History::Clash::NameTaken) << "beef";
        QTest::newRow("redo: restored edited")
            << "delete"
            << "UPDATE Beef SET Author = 'Z' WHERE rowid = 3" << true
            << int(History::Clash::RecipeChanged) << "Goulash";
        QTest::newRow("redo: category changed") << "drop"
                                                << "DELETE FROM Beef WHERE rowid = 4" << true
                                                << int(History::Clash::CategoryChanged) << "";
    }
    void refusedWhenChangedSince()
    {
        QFETCH(QString, change);
        QFETCH(QString, since);
        QFETCH(bool, redo);
        QFETCH(int, clash);
        QFETCH(QString, what);
        makeChange(change);
        if (redo)
            QCOMPARE(History::Undo(*open(f->file())).status, History::Status::Done);
        sql(f->file(), since);
        const Snapshot before = snapshot(f->file());
        auto db = open(f->file());
        const History::Result result = redo ? History::Redo(*db) : History::Undo(*db);
        QCOMPARE(result.status, History::Status::Refused);
        QCOMPARE(int(result.clash), clash);
        QCOMPARE(result.clashName, what);
        QCOMPARE(snapshot(f->file()), before);
        QVERIFY(redo ? History::CanRedo(*db) : History::CanUndo(*db)); // still there to try again
    }

    // A new change ends what could be redone; the oldest changes go beyond the limits.
    void newChangeDropsRedoAndLimitsHold()
    {
        auto db = open(f->file());
        db->TableDefs().Delete(QStringLiteral("Soups"));
        QCOMPARE(History::Undo(*db).status, History::Status::Done);
        Catalog::Add(*db, QStringLiteral("Beef"), {{}, "Chili", "", "", ""});
        QVERIFY(!History::CanRedo(*db));
        sql(f->file(), QStringLiteral("UPDATE _kx_undo SET at = at - 31 * 86400"));
        Catalog::Add(*db, QStringLiteral("Beef"), {{}, "Chili", "", "", ""});
        QCOMPARE(History::Undo(*db).status, History::Status::Done);
        QCOMPARE(History::Undo(*db).status, History::Status::Nothing); // 31 days old: gone
        for (int i = 0; i < 101; ++i)
            Catalog::Add(*db, QStringLiteral("Soups"), {{}, QString::number(i), "", "", ""});
        int undone = 0;
        while (History::Undo(*db).status == History::Status::Done)
            ++undone;
        QCOMPARE(undone, 100);
        QCOMPARE(Catalog::Recipes(*db, QStringLiteral("Soups")).size(), 2); // Leek and "0"

        // Size: each deletion keeps 590 bytes of text; two fit in 1500, three do not.
        History::SetLimits(100, 1500, 3600);
        const QString text(290, QLatin1Char('x'));
        for (int i = 0; i < 3; ++i) {
            const Catalog::RecipeId id =
                Catalog::Add(*db, QStringLiteral("Soups"), {{}, "x", "", "", text});
            Catalog::Remove(*db, id);
        }
        int kept = 0;
        while (History::Undo(*db).status == History::Status::Done)
            ++kept;
        QCOMPARE(kept, 4); // the last two deletions and the adds between and after them
    }

    // A damaged history costs only the history, said once; the recipes stay as they are, and
    // history is kept again from then on.
    void damagedHistoryIsClearedOnce_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("unknown step") << "UPDATE _kx_undo_steps SET kind = 9";
        QTest::newRow("kept table gone") << "DROP TABLE _kx_undo_t1";
        QTest::newRow("step without change") << "DELETE FROM _kx_undo WHERE id = 1";
        QTest::newRow("table missing") << "DROP TABLE _kx_undo_steps";
        QTest::newRow("other layout") << "DROP TABLE _kx_undo; CREATE TABLE _kx_undo (id)";
        QTest::newRow("other version") << "UPDATE _kx_meta SET value = 'x' WHERE key = 'history'";
    }
    void damagedHistoryIsClearedOnce()
    {
        QFETCH(QString, damage);
        open(f->file())->TableDefs().Delete(QStringLiteral("Soups")); // change 1, step 1
        const Snapshot before = snapshot(f->file());
        sql(f->file(), damage);
        auto db = open(f->file());
        QVERIFY(History::Check(*db));
        QVERIFY(!History::Check(*db));
        QCOMPARE(snapshot(f->file()), before);
        QVERIFY(!History::CanUndo(*db));
        Catalog::Add(*db, QStringLiteral("Beef"), {{}, "Chili", "", "", ""});
        QCOMPARE(History::Undo(*db).kind, History::Kind::Added);
        QCOMPARE(snapshot(f->file()), before);
    }
};

QTEST_MAIN(TestHistory)
#include "test_history.moc"
