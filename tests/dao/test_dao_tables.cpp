#include "DaoTest.h"

#include <QTest>

#include <sqlite3.h>

using namespace daotest;

namespace {

void execRaw(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr),
             SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

} // namespace

void DaoTest::tablesAreListedInNameOrder()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    {
        auto db = createDatabase(file);
        db->BeginTrans();
        for (const char *name :
             {"beta", "Zeta", "Alpha", "_x", "gamma", "Ärger", "MSysObjects", "zzzNothing"})
            addRecipeTable(*db, QString::fromUtf8(name));
        db->CommitTrans();
        db->Close();
    }
    const QStringList expected = {QStringLiteral("_x"),          QStringLiteral("Alpha"),
                                  QStringLiteral("beta"),        QStringLiteral("gamma"),
                                  QStringLiteral("MSysObjects"), QStringLiteral("Zeta"),
                                  QStringLiteral("zzzNothing"),  QStringLiteral("Ärger")};
    QCOMPARE(tableNames(file), expected);

    auto db = open(file);
    dao::TableDefCollection &defs = db->TableDefs();
    QCOMPARE(defs.Count(), int(expected.size()));
    QCOMPARE(defs[1].Name(), QStringLiteral("Alpha"));
    QCOMPARE(defs.Item(QStringLiteral("ALPHA")).Name(), QStringLiteral("Alpha"));
    QCOMPARE(defs.Item(QStringLiteral("ärger")).Name(), QStringLiteral("Ärger"));
    QCOMPARE(errorOf([&] { defs[int(expected.size())]; }), int(dao::errItemNotFound));
    QCOMPARE(errorOf([&] { defs.Item(QStringLiteral("_kx_fields")); }), int(dao::errItemNotFound));
    QCOMPARE(db->OpenRecordset(QStringLiteral("ZZZNOTHING"))->Name(), QStringLiteral("zzzNothing"));
}

void DaoTest::invalidTableNamesAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("reserved");

    QTest::newRow("empty") << QString() << false;
    QTest::newRow("65 characters") << QString(65, QLatin1Char('n')) << false;
    QTest::newRow("leading blank") << QStringLiteral(" Soups") << false;
    QTest::newRow("dot") << QStringLiteral("Soup.s") << false;
    QTest::newRow("exclamation mark") << QStringLiteral("Soups!") << false;
    QTest::newRow("grave accent") << QStringLiteral("`Soups") << false;
    QTest::newRow("opening bracket") << QStringLiteral("Sou[ps") << false;
    QTest::newRow("closing bracket") << QStringLiteral("Sou]ps") << false;
    QTest::newRow("tab") << QStringLiteral("Sou\tps") << false;
    QTest::newRow("line feed") << QStringLiteral("Soups\n") << false;
    QTest::newRow("NUL") << (QStringLiteral("Sou") + QChar(0) + QStringLiteral("ps")) << false;
    QTest::newRow("DEL") << (QStringLiteral("Soups") + QChar(0x7f)) << false;
    QTest::newRow("lone surrogate") << (QStringLiteral("Soups") + QChar(0xd800)) << false;
    QTest::newRow("bookkeeping") << QStringLiteral("_kx_meta") << true;
    QTest::newRow("bookkeeping in capitals") << QStringLiteral("_KX_FIELDS") << true;
    QTest::newRow("bookkeeping prefix") << QStringLiteral("_kx_recipes") << true;
    QTest::newRow("SQLite's own") << QStringLiteral("sqlite_master") << true;
    QTest::newRow("SQLite's prefix") << QStringLiteral("SQLite_Soups") << true;
}

void DaoTest::invalidTableNamesAreRefused()
{
    QFETCH(QString, name);
    QFETCH(bool, reserved);
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, QStringLiteral("Soups"), {QStringLiteral("Pea soup")});
    const QByteArray before = fileBytes(file);

    auto db = open(file);
    const QString message = messageOf([&] { addRecipeTable(*db, name); });
    QCOMPARE(errorOf([&] { addRecipeTable(*db, name); }), int(dao::errInvalidName));
    QVERIFY(!message.isEmpty());
    if (reserved) {
        // The engine's tables cannot be reached through the ordinary calls either.
        QCOMPARE(errorOf([&] { db->OpenRecordset(name); }), int(dao::errTableNotFound));
        QCOMPARE(errorOf([&] { db->TableDefs().Delete(name); }), int(dao::errTableNotFound));
    }
    db->Close();
    QCOMPARE(fileBytes(file), before);
    QCOMPARE(tableNames(file), QStringList{QStringLiteral("Soups")});
}

void DaoTest::unusualTableNamesWork_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("64 characters") << QString(64, QLatin1Char('n'));
    QTest::newRow("quotes") << QStringLiteral("Bob's \"best\"");
    QTest::newRow("statement") << QStringLiteral("x\"; DROP TABLE Soups; --");
    QTest::newRow("keyword") << QStringLiteral("select");
    QTest::newRow("wildcards") << QStringLiteral("100% _a_");
    QTest::newRow("placeholders") << QStringLiteral("?1 %1 :a");
    QTest::newRow("accents and emoji") << QStringLiteral("Crème brûlée 🍰");
    QTest::newRow("trailing blank") << QStringLiteral("Stews ");
}

void DaoTest::unusualTableNamesWork()
{
    QFETCH(QString, name);
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, QStringLiteral("Soups"), {QStringLiteral("Pea soup")});
    makeRecipes(file, name, {QStringLiteral("one"), QStringLiteral("two")});

    QCOMPARE(tableNames(file).size(), 2);
    QVERIFY(tableNames(file).contains(name));
    QCOMPARE(namesOf(file, name), (QStringList{QStringLiteral("one"), QStringLiteral("two")}));
    QCOMPARE(namesOf(file, QStringLiteral("Soups")), QStringList{QStringLiteral("Pea soup")});

    auto db = open(file);
    db->TableDefs().Delete(name);
    db->Close();
    QCOMPARE(tableNames(file), QStringList{QStringLiteral("Soups")});
}

void DaoTest::takenTableNamesAreRefused()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, QStringLiteral("Soups"), {QStringLiteral("Pea soup")});
    makeRecipes(file, QStringLiteral("Crème"), {});
    const QByteArray before = fileBytes(file);

    auto db = open(file);
    for (const QString &name : {QStringLiteral("Soups"), QStringLiteral("SOUPS"),
                                QStringLiteral("sOuPs"), QStringLiteral("CRÈME")}) {
        const QString message = messageOf([&] { addRecipeTable(*db, name); });
        QCOMPARE(errorOf([&] { addRecipeTable(*db, name); }), int(dao::errTableExists));
        QVERIFY2(message.contains(QLatin1String("Recipe.mdb")), qPrintable(message));
    }
    db->Close();
    QCOMPARE(fileBytes(file), before);
    QCOMPARE(namesOf(file, QStringLiteral("SOUPS")), QStringList{QStringLiteral("Pea soup")});
}

void DaoTest::fieldTypesReadBack()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    {
        auto db = createDatabase(file);
        dao::TableDef def = db->CreateTableDef(QStringLiteral("Mixed"));
        def.Fields().Append(def.CreateField(QStringLiteral("Title"), dao::dbText));
        def.Fields().Append(def.CreateField(QStringLiteral("Notes"), dao::dbMemo));
        def.Fields().Append(def.CreateField(QStringLiteral("Code"), dao::dbText));
        db->TableDefs().Append(def);
        // Appending makes the table part of the list at once.
        QCOMPARE(db->TableDefs().Count(), 1);
        db->Close();
    }
    auto db = open(file);
    const dao::TableDef &def = db->TableDefs().Item(QStringLiteral("mixed"));
    QCOMPARE(def.Fields().Count(), 3);
    const QList<QString> names = {QStringLiteral("Title"), QStringLiteral("Notes"),
                                  QStringLiteral("Code")};
    const QList<int> types = {dao::dbText, dao::dbMemo, dao::dbText};
    const QList<int> sizes = {255, 0, 255};
    auto rs = db->OpenRecordset(QStringLiteral("Mixed"));
    QCOMPARE(rs->FieldCount(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(def.Fields()[i].Name, names[i]);
        QCOMPARE(def.Fields()[i].Type, types[i]);
        QCOMPARE(def.Fields()[i].Size, sizes[i]);
        QCOMPARE(rs->Fields(i).Name(), names[i]);
        QCOMPARE(rs->Fields(i).Type(), types[i]);
    }
}

void DaoTest::fieldDefinitionsAreChecked()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    createDatabase(file)->Close();
    const QByteArray before = fileBytes(file);
    auto db = open(file);
    dao::TableDef def = db->CreateTableDef(QStringLiteral("Soups"));

    QCOMPARE(errorOf([&] { def.CreateField(QStringLiteral("Count"), 4); }),
             int(dao::errInvalidFieldType));
    QCOMPARE(errorOf([&] {
                 def.Fields().Append(dao::Field{QStringLiteral("Count"), 4, 0});
             }),
             int(dao::errInvalidFieldType));
    QCOMPARE(errorOf([&] { def.CreateField(QStringLiteral("a.b"), dao::dbText); }),
             int(dao::errInvalidName));
    QCOMPARE(errorOf([&] { def.CreateField(QStringLiteral("ROWID"), dao::dbText); }),
             int(dao::errInvalidName));
    QCOMPARE(errorOf([&] { db->TableDefs().Append(def); }), int(dao::errNoFields));

    def.Fields().Append(def.CreateField(QStringLiteral("Name"), dao::dbText));
    QCOMPARE(
        errorOf([&] { def.Fields().Append(def.CreateField(QStringLiteral("NAME"), dao::dbMemo)); }),
        int(dao::errFieldDefinedTwice));
    QCOMPARE(def.Fields().Count(), 1);
    db->Close();
    QCOMPARE(fileBytes(file), before);
}

void DaoTest::tableOfAnotherProgramReadsAsMemo()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, QStringLiteral("Soups"), {QStringLiteral("Pea soup")});
    // Tables written past the engine: one without bookkeeping, one whose column hides the
    // usual name of the record number.
    execRaw(file, "CREATE TABLE Extra (title, body TEXT, n INTEGER);"
                  "INSERT INTO Extra VALUES ('first', NULL, 42), ('second', 'b', NULL);"
                  "CREATE TABLE Odd (rowid TEXT, v);"
                  "INSERT INTO Odd VALUES ('r1', 'a'), ('r2', 'b');");

    QCOMPARE(tableNames(file), (QStringList{QStringLiteral("Extra"), QStringLiteral("Odd"),
                                            QStringLiteral("Soups")}));
    auto db = open(file);
    const dao::TableDef &extra = db->TableDefs().Item(QStringLiteral("Extra"));
    QCOMPARE(extra.Fields().Count(), 3);
    for (const dao::Field &field : extra.Fields())
        QCOMPARE(field.Type, int(dao::dbMemo));
    QCOMPARE(db->TableDefs().Item(QStringLiteral("Soups")).Fields()[0].Type, int(dao::dbText));

    auto rs = db->OpenRecordset(QStringLiteral("Extra"));
    QCOMPARE(rs->Fields(0).Value(), QVariant(QStringLiteral("first")));
    QVERIFY(!rs->Fields(1).Value().isValid());
    QCOMPARE(rs->Fields(2).Value(), QVariant(QStringLiteral("42")));
    rs->MoveNext();
    QCOMPARE(rs->Fields(1).Value(), QVariant(QStringLiteral("b")));

    QCOMPARE(namesOf(file, QStringLiteral("Odd")),
             (QStringList{QStringLiteral("r1"), QStringLiteral("r2")}));
    auto odd = db->OpenRecordset(QStringLiteral("Odd"));
    odd->Delete();
    odd->MoveNext();
    QCOMPARE(odd->Fields(1).Value(), QVariant(QStringLiteral("b")));
    QCOMPARE(odd->RecordCount(), 1L);
}

void DaoTest::deletingATable()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, QStringLiteral("Soups"), {QStringLiteral("Pea soup")});
    makeRecipes(file, QStringLiteral("Stews"), {QStringLiteral("Irish stew")});

    auto db = open(file);
    auto stale = db->OpenRecordset(QStringLiteral("Soups"));
    db->TableDefs().Delete(QStringLiteral("SOUPS"));
    QCOMPARE(db->TableDefs().Count(), 1);
    QCOMPARE(errorOf([&] { db->TableDefs().Delete(QStringLiteral("Soups")); }),
             int(dao::errTableNotFound));
    QCOMPARE(errorOf([&] { db->OpenRecordset(QStringLiteral("Soups")); }),
             int(dao::errTableNotFound));
    // A record set left on the dropped table fails cleanly.
    QVERIFY(errorOf([&] { stale->MoveFirst(); }) != 0);

    // A new table of the same name starts from its own definition.
    dao::TableDef def = db->CreateTableDef(QStringLiteral("Soups"));
    def.Fields().Append(def.CreateField(QStringLiteral("Body"), dao::dbMemo));
    db->TableDefs().Append(def);
    db->Close();

    db = open(file);
    const dao::TableDef &soups = db->TableDefs().Item(QStringLiteral("Soups"));
    QCOMPARE(soups.Fields().Count(), 1);
    QCOMPARE(soups.Fields()[0].Name, QStringLiteral("Body"));
    QCOMPARE(soups.Fields()[0].Type, int(dao::dbMemo));
    QCOMPARE(db->OpenRecordset(QStringLiteral("Soups"))->RecordCount(), 0L);
    QCOMPARE(namesOf(file, QStringLiteral("Stews")), QStringList{QStringLiteral("Irish stew")});
}
