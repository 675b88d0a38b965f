#include "DaoTest.h"

#include <QTest>

using namespace daotest;

void DaoTest::tablesAreListedInNameOrder()
{
    {
        auto db = createDatabase(path());
        db->BeginTrans();
        for (const char *name :
             {"beta", "Zeta", "Alpha", "_x", "gamma", "Ärger", "MSysObjects", "zzzNothing"})
            addRecipeTable(*db, QString::fromUtf8(name));
        db->CommitTrans();
    }
    const QStringList expected = list("_x Alpha beta gamma MSysObjects Zeta zzzNothing Ärger");
    QCOMPARE(tableNames(path()), expected);

    auto db = open(path());
    dao::TableDefCollection &defs = db->TableDefs();
    QCOMPARE(defs.Item(QStringLiteral("ärger")).Name(), QStringLiteral("Ärger"));
    QCOMPARE(errorOf([&] { defs[int(expected.size())]; }), int(dao::errItemNotFound));
    QCOMPARE(db->OpenRecordset(QStringLiteral("ZZZNOTHING"))->Name(), QStringLiteral("zzzNothing"));
    // The engine's own tables are neither listed nor reachable.
    QCOMPARE(errorOf([&] { defs.Item(QStringLiteral("_kx_fields")); }), int(dao::errItemNotFound));
    QCOMPARE(errorOf([&] { db->OpenRecordset(QStringLiteral("_kx_meta")); }),
             int(dao::errTableNotFound));
    QCOMPARE(errorOf([&] { db->OpenRecordset(QStringLiteral("sqlite_master")); }),
             int(dao::errTableNotFound));
    QCOMPARE(errorOf([&] { defs.Delete(QStringLiteral("_KX_FIELDS")); }),
             int(dao::errTableNotFound));
}

void DaoTest::namingTables_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("error");
    const auto row = [](const char *tag, const QString &name, int error) {
        QTest::newRow(tag) << name << error;
    };
    const int invalid = dao::errInvalidName;
    row("64 characters", QString(64, QLatin1Char('n')), 0);
    row("quotes and a statement", QStringLiteral("Bob's \"best\"; DROP TABLE Soups; --"), 0);
    row("keyword", QStringLiteral("select"), 0);
    row("wildcards and placeholders", QStringLiteral("100% _a_ ?1 %1 :a"), 0);
    row("accents, emoji, trailing blank", QStringLiteral("Crème brûlée 🍰 "), 0);

    row("empty", QString(), invalid);
    row("65 characters", QString(65, QLatin1Char('n')), invalid);
    row("leading blank", QStringLiteral(" Stews"), invalid);
    const QList<std::pair<const char *, const char *>> marks = {{"dot", "."},
                                                                {"exclamation mark", "!"},
                                                                {"grave accent", "`"},
                                                                {"opening bracket", "["},
                                                                {"closing bracket", "]"},
                                                                {"tab", "\t"},
                                                                {"DEL", "\x7f"}};
    for (const auto &[tag, mark] : marks)
        row(tag, QStringLiteral("Ste") + QLatin1String(mark) + QStringLiteral("ws"), invalid);
    row("NUL", QStringLiteral("Ste") + QChar(0) + QStringLiteral("ws"), invalid);
    row("lone surrogate", QStringLiteral("Stews") + QChar(0xd800), invalid);
    row("bookkeeping", QStringLiteral("_KX_FIELDS"), invalid);
    row("bookkeeping prefix", QStringLiteral("_kx_recipes"), invalid);
    row("SQLite's own", QStringLiteral("sqlite_master"), invalid);
    row("SQLite's prefix", QStringLiteral("SQLite_Stews"), invalid);

    row("taken", Soups, dao::errTableExists);
    row("taken in other case", QStringLiteral("sOuPs"), dao::errTableExists);
    row("taken, accented", QStringLiteral("CRÈME"), dao::errTableExists);
}

void DaoTest::namingTables()
{
    QFETCH(QString, name);
    QFETCH(int, error);
    makeRecipes(path(), Soups, {QStringLiteral("Pea soup")});
    makeRecipes(path(), QStringLiteral("Crème"), {});
    const QByteArray before = fileBytes(path());

    auto db = open(path());
    const dao::Error e = failure([&] { addRecipeTable(*db, name); });
    QCOMPARE(e.number(), error);
    if (error != 0) {
        QVERIFY(!e.message().isEmpty());
        db->Close();
        QCOMPARE(fileBytes(path()), before);
        return;
    }
    addRecord(*db->OpenRecordset(name), {QStringLiteral("one")});
    db->Close();
    QVERIFY(tableNames(path()).contains(name));
    QCOMPARE(namesOf(path(), name), QStringList{QStringLiteral("one")});
    QCOMPARE(namesOf(path(), Soups), QStringList{QStringLiteral("Pea soup")});

    open(path())->TableDefs().Delete(name);
    QCOMPARE(tableNames(path()), (QStringList{QStringLiteral("Crème"), Soups}));
}

void DaoTest::fieldDefinitions()
{
    {
        auto db = createDatabase(path());
        dao::TableDef def = db->CreateTableDef(QStringLiteral("Mixed"));
        QCOMPARE(errorOf([&] { def.CreateField(QStringLiteral("Count"), 4); }),
                 int(dao::errInvalidFieldType));
        QCOMPARE(errorOf([&] { def.CreateField(QStringLiteral("ROWID"), dao::dbText); }),
                 int(dao::errInvalidName));
        def.Fields().Append(def.CreateField(QStringLiteral("Title"), dao::dbText));
        def.Fields().Append(def.CreateField(QStringLiteral("Notes"), dao::dbMemo));
        def.Fields().Append(def.CreateField(QStringLiteral("Code"), dao::dbText));
        db->TableDefs().Append(def);
    }
    auto db = open(path());
    const dao::TableDef &def = db->TableDefs().Item(QStringLiteral("mixed"));
    auto rs = db->OpenRecordset(QStringLiteral("Mixed"));
    QCOMPARE(def.Fields().Count(), 3);
    QCOMPARE(rs->FieldCount(), 3);
    QStringList defined, opened;
    for (int i = 0; i < 3; ++i) {
        const dao::Field &f = def.Fields()[i];
        defined << QStringLiteral("%1/%2/%3").arg(f.Name).arg(f.Type).arg(f.Size);
        opened << QStringLiteral("%1/%2").arg(rs->Fields(i).Name()).arg(rs->Fields(i).Type());
    }
    QCOMPARE(defined, list("Title/10/255 Notes/12/0 Code/10/255"));
    QCOMPARE(opened, list("Title/10 Notes/12 Code/10"));
}

void DaoTest::tableOfAnotherProgram()
{
    makeRecipes(path(), Soups, {QStringLiteral("Pea soup")});
    // Tables written past the engine: one without bookkeeping, one whose column hides the
    // usual name of the record number.
    execRaw(path(), "CREATE TABLE Extra (title, n INTEGER);"
                    "INSERT INTO Extra VALUES ('first', 42), (NULL, NULL);"
                    "CREATE TABLE Odd (rowid TEXT, v);"
                    "INSERT INTO Odd VALUES ('r1', 'a'), ('r2', 'b');");

    auto db = open(path());
    for (const dao::Field &field : db->TableDefs().Item(QStringLiteral("Extra")).Fields())
        QCOMPARE(field.Type, int(dao::dbMemo));
    auto rs = db->OpenRecordset(QStringLiteral("Extra"));
    QCOMPARE(rs->Fields(0).Value(), QVariant(QStringLiteral("first")));
    QCOMPARE(rs->Fields(1).Value(), QVariant(QStringLiteral("42")));
    rs->MoveNext();
    QVERIFY(!rs->Fields(1).Value().isValid());

    auto odd = db->OpenRecordset(QStringLiteral("Odd"));
    odd->Delete();
    odd->MoveNext();
    QCOMPARE(odd->Fields(1).Value(), QVariant(QStringLiteral("b")));
    db->Close();
    QCOMPARE(namesOf(path(), QStringLiteral("Odd")), QStringList{QStringLiteral("r2")});
}

void DaoTest::deletingATable()
{
    makeRecipes(path(), Soups, {QStringLiteral("Pea soup")});
    makeRecipes(path(), QStringLiteral("Stews"), {QStringLiteral("Irish stew")});

    auto db = open(path());
    auto stale = db->OpenRecordset(Soups);
    db->TableDefs().Delete(QStringLiteral("SOUPS"));
    QCOMPARE(db->TableDefs().Count(), 1);
    QCOMPARE(errorOf([&] { db->OpenRecordset(Soups); }), int(dao::errTableNotFound));
    QVERIFY(errorOf([&] { stale->MoveFirst(); }) != 0);

    // A new table of the same name has its own definition and no records.
    dao::TableDef def = db->CreateTableDef(Soups);
    def.Fields().Append(def.CreateField(QStringLiteral("Body"), dao::dbMemo));
    db->TableDefs().Append(def);
    db->Close();
    db = open(path());
    QCOMPARE(db->TableDefs().Item(Soups).Fields().Count(), 1);
    QCOMPARE(db->TableDefs().Item(Soups).Fields()[0].Type, int(dao::dbMemo));
    QCOMPARE(db->OpenRecordset(Soups)->RecordCount(), 0L);
    QCOMPARE(namesOf(path(), QStringLiteral("Stews")), QStringList{QStringLiteral("Irish stew")});
}
