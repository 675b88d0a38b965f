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
        QVERIFY(!History::Check(*open(f->file()))); // made, not damaged
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
};

QTEST_MAIN(TestHistory)
#include "test_history.moc"
