// The conversion of Jet recipe databases into engine files: through convertJetDatabase, the
// tool kitchenex-import-jet, and the start-up offer answered through the dialog responder.

#include "JetTestFiles.h"
#include "platform/jet/JetFile.h"
#include "store/Catalog.h"
#include "store/JetMigration.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using jettest::jetFile;
using jettest::Recipes;

namespace {

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// The number of recipes in the engine file when each of its categories equals its table in
// the Jet file row by row, or -1.
int sameAsJet(const QString &engineFile, const QString &jetPath)
{
    int compared = 0;
    for (const QString &category : kxtest::categories(engineFile)) {
        QList<QStringList> rows;
        for (const jet::Row &row : jet::JetFile(jetPath).read(category).rows)
            rows.append(jettest::texts(row));
        if (kxtest::readCategory(engineFile, category) != rows)
            return -1;
        compared += int(rows.size());
    }
    return compared;
}

} // namespace

class TestJetMigration : public jettest::FilesUnchanged
{
    Q_OBJECT

private slots:
    void init();

    void layoutCheck_data();
    void layoutCheck();
    void longNamesNeverCut();
    void otherLayoutsSkipped_data();
    void otherLayoutsSkipped();
    void tool();
    void startup_data();
    void startup();

private:
    QString file(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestJetMigration::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestJetMigration::layoutCheck_data()
{
    QTest::addColumn<QList<int>>("types");
    QTest::addColumn<QString>("problem");
    const int T = jet::Text, M = jet::Memo;
    QTest::newRow("recipe") << QList<int>{T, T, M, M} << QString();
    QTest::newRow("all text") << QList<int>{T, T, T, T} << QString();
    QTest::newRow("memo name") << QList<int>{M, T, M, M}
                               << "column 1 (\"c1\") is Memo; the Name of a recipe must be Text";
    QTest::newRow("number author")
        << QList<int>{T, int(jet::LongInteger), M, M}
        << "column 2 (\"c2\") is Long Integer; the Author of a recipe must be Text";
    QTest::newRow("OLE instructions")
        << QList<int>{T, T, M, int(jet::OleObject)}
        << "column 4 (\"c4\") is OLE Object; the Instructions of a recipe must be Memo or Text";
}

void TestJetMigration::layoutCheck()
{
    QFETCH(QList<int>, types);
    QFETCH(QString, problem);
    jet::Table table;
    table.name = QStringLiteral("Soups");
    for (int i = 0; i < types.size(); ++i)
        table.columns.append({QStringLiteral("c%1").arg(i + 1), types[i], 0});
    const QString found = categoryLayoutProblem(table);
    QVERIFY2(problem.isEmpty() ? found.isEmpty() : found.startsWith(problem), qPrintable(found));
}

// A Name or Author longer than a Text field holds refuses the table; nothing is cut.
void TestJetMigration::longNamesNeverCut()
{
    jet::TableData data;
    data.table.name = QStringLiteral("Soups");
    const QString fits(255, QLatin1Char('n'));
    data.rows.append({fits, fits, QString(70000, QLatin1Char('m')), QVariant()});
    QCOMPARE(categoryRowsProblem(data), QString());
    data.rows.append(
        {QStringLiteral("Soup"), QString(256, QLatin1Char('a')), QVariant(), QVariant()});
    QCOMPARE(categoryRowsProblem(data),
             QStringLiteral("row 2: its Author is 256 characters long, and a Name or Author "
                            "holds at most 255; it is not cut short"));
}

void TestJetMigration::otherLayoutsSkipped_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("reason");
    const auto row = [](const char *tag, const char *jet, const char *table, const char *why) {
        QTest::newRow(tag) << QString::fromLatin1(jet) << QString::fromLatin1(table)
                           << QString::fromLatin1(why);
    };
    row("Jet 3", "jackcess_test2V1997.mdb", "MSP_PROJECTS", "it has 74 columns; a category has 4");
    row("moved rows", "jackcess_overflowTestV2000.mdb", "Table1", "it has 9 columns");
    row("Jet 3, encrypted", "jackcessencrypt_db97-enc.mdb", "Table1", "it has 3 columns");
    row("password", "mdbreader_V2003_with-password.mdb", "Table1", "it has 2 columns");
}

// Files without our layout convert to an empty database, and the report names each table
// with its reason.
void TestJetMigration::otherLayoutsSkipped()
{
    QFETCH(QString, jet);
    QFETCH(QString, table);
    QFETCH(QString, reason);
    const QString target = file(QStringLiteral("out.mdb"));
    const JetConversionReport report = convertJetDatabase(jetFile(jet), target);
    QVERIFY2(report.ok, qPrintable(report.error));
    QCOMPARE(report.categories.size(), 0);
    QCOMPARE(report.skipped.size(), 1);
    QCOMPARE(report.skipped[0].name, table);
    QVERIFY2(report.skipped[0].reason.startsWith(reason), qPrintable(report.skipped[0].reason));
    QVERIFY(report.text().contains(
        QStringLiteral("1 table was skipped:\n  %1: %2").arg(table, report.skipped[0].reason)));
    QCOMPARE(kxtest::categories(target), QStringList());
}

// The import tool: refuses to write over a file, and to convert a file refused at once or in
// the middle of the conversion (the reader's tests hold every kind of damage), leaving
// nothing; converts, prints the report.
void TestJetMigration::tool()
{
    const QString target = file(QStringLiteral("Recipe.mdb"));
    QProcess run;
    const auto exitCode = [&](const QString &source) {
        run.start(QString::fromUtf8(KX_IMPORT_JET), {source, target});
        const bool ended = run.waitForFinished(60000) && run.exitStatus() == QProcess::NormalExit;
        return ended ? run.exitCode() : -1;
    };
    QVERIFY(jettest::writeFile(target, "mine"));
    QCOMPARE(exitCode(jetFile(Recipes)), 1);
    QVERIFY(QString::fromLocal8Bit(run.readAllStandardError()).contains("exists already"));
    QCOMPARE(jettest::fileBytes(target), QByteArray("mine"));
    QVERIFY(QFile::remove(target));

    const QString source = file(QStringLiteral("source.mdb"));
    for (const auto &[bytes, message] :
         {std::pair(jettest::fakeAccdb(), ".accdb"),
          std::pair(jettest::patched(Recipes, 72 * 4096, QByteArray(4096, char(0xff))),
                    "the file is damaged")}) {
        QVERIFY(jettest::writeFile(source, bytes));
        QCOMPARE(exitCode(source), 1);
        const QString said = QString::fromLocal8Bit(run.readAllStandardError());
        QVERIFY2(said.contains("The conversion failed: ") && said.contains(message),
                 qPrintable(said));
        QCOMPARE(filesIn(m_dir->path()), QStringList{"source.mdb"});
        QCOMPARE(jettest::fileBytes(source), bytes);
    }
    QVERIFY(QFile::remove(source));
    QCOMPARE(exitCode(jetFile(Recipes)), 0);
    const QString out = QString::fromLocal8Bit(run.readAllStandardOutput());
    QVERIFY2(out.startsWith(QStringLiteral("3 categories with 126 recipes came across.\n"
                                           "  Soups: 6 recipes\n  Cakes & Pies: 120 recipes\n"
                                           "  Empty category: 0 recipes\nNo table was skipped.")) &&
                 out.contains(QStringLiteral("came across as \"?\"")),
             qPrintable(out));
    QCOMPARE(sameAsJet(target, jetFile(Recipes)), 126);
    {
        // Every recipe that came across can be found.
        auto db = dao::DBEngine::OpenDatabase(target, false, true, kxtest::Connect);
        QCOMPARE(Catalog::IndexStatus(*db), Catalog::IndexState::Current);
        QCOMPARE(Catalog::Find(*db, QStringLiteral("category:soups")).total, 6);
        QCOMPARE(Catalog::Find(*db, QStringLiteral("category:\"cakes & pies\"")).total, 120);
    }
    QCOMPARE(kxtest::readCategory(target, QStringLiteral("Soups"))[4],
             (QStringList{"Empty memo", "", "", "<null>"}));
    QCOMPARE(filesIn(m_dir->path()), QStringList{"Recipe.mdb"}); // no temporary file left
}

void TestJetMigration::startup_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("backupTaken"); // Recipe.jet.mdb exists already
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("asked"); // a part of each message, in order
    QTest::addColumn<QStringList>("files");
    const QByteArray jet = jettest::fileBytes(jetFile(Recipes));
    const QString question =
        QStringLiteral("Convert it now? The original file is kept, unchanged, as Recipe.jet.mdb.");
    const QStringList recipe = {QStringLiteral("Recipe.mdb")};
    QTest::newRow("Yes converts") << jet << false << int(vb::vbYes)
                                  << QStringList{question,
                                                 "3 categories with 126 recipes came across."}
                                  << QStringList{"Recipe.jet.mdb", "Recipe.mdb"};
    QTest::newRow("backup name taken")
        << jet << true << int(vb::vbYes)
        << QStringList{"Convert it now? The original file is kept, unchanged, as Recipe.jet-2.mdb.",
                       "kept as Recipe.jet-2.mdb."}
        << QStringList{"Recipe.jet-2.mdb", "Recipe.jet.mdb", "Recipe.mdb"};
    QTest::newRow("No changes nothing")
        << jet << false << int(vb::vbNo) << QStringList{question} << recipe;
    QTest::newRow("failure keeps the Jet file")
        << jettest::patched(Recipes, 26 * 4096, QByteArray(4096, char(0xff))) << false
        << int(vb::vbYes) << QStringList{question, "Recipe.mdb could not be converted: "} << recipe;
    QTest::newRow("damaged list of tables")
        << jet.left(6 * 4096) << false << int(vb::vbYes)
        << QStringList{question, "could not be converted: The list of tables of"} << recipe;
    QTest::newRow("accdb refused")
        << jettest::fakeAccdb() << false << int(vb::vbYes) << QStringList{".accdb"} << recipe;

    QTemporaryDir dir;
    kxtest::makeDatabase(dir.filePath(QStringLiteral("Recipe.mdb")),
                         {{QStringLiteral("Soups"), {}}});
    QTest::newRow("nothing asked for an engine file")
        << jettest::fileBytes(dir.filePath(QStringLiteral("Recipe.mdb"))) << false << int(vb::vbYes)
        << QStringList() << recipe;
}

void TestJetMigration::startup()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, backupTaken);
    QFETCH(int, answer);
    QFETCH(QStringList, asked);
    QFETCH(QStringList, files);
    const QString recipe = file(QStringLiteral("Recipe.mdb"));
    const QString earlier = file(QStringLiteral("Recipe.jet.mdb"));
    QVERIFY(jettest::writeFile(recipe, bytes));
    if (backupTaken)
        QVERIFY(jettest::writeFile(earlier, "an earlier backup"));
    kxtest::DialogRecorder rec;
    rec.answer(answer);
    const bool converted = offerJetMigration(m_dir->path());

    QCOMPARE(rec.texts().size(), asked.size());
    for (int i = 0; i < asked.size(); ++i)
        QVERIFY2(rec.texts()[i].contains(asked[i]), qPrintable(rec.texts()[i]));
    if (asked.value(0).contains(QLatin1String("Convert it now?")))
        QCOMPARE(rec.asked()[0].flags, vb::vbYesNo | vb::vbDefaultButton2);
    QCOMPARE(filesIn(m_dir->path()), files);
    QCOMPARE(converted, files.size() > 1);
    if (backupTaken)
        QCOMPARE(jettest::fileBytes(earlier), QByteArray("an earlier backup"));
    if (!converted) {
        QCOMPARE(jettest::fileBytes(recipe), bytes);
        return;
    }
    const QString backup = file(files.first()); // Recipe.jet-2.mdb sorts first
    QCOMPARE(jettest::fileBytes(backup), bytes);
    QCOMPARE(sameAsJet(recipe, backup), 126);
}

QTEST_MAIN(TestJetMigration)
#include "test_jetmigration.moc"
