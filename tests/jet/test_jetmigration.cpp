// The conversion of Jet recipe databases into engine files: through convertJetDatabase, the
// tool kitchenex-import-jet, and the start-up offer answered through the dialog responder.

#include "JetTestFiles.h"
#include "platform/jet/JetFile.h"
#include "store/JetMigration.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using jettest::checksum;
using jettest::jetFile;

namespace {

const QString Recipes = QStringLiteral("recipes_V2000.mdb");

// A table of the Jet file as readCategory gives an engine table: four strings a row, a null
// as "<null>".
QList<QStringList> jetRows(const QString &path, const QString &table)
{
    QList<QStringList> rows;
    for (const jet::Row &row : jet::JetFile(path).read(table).rows) {
        QStringList values;
        for (const QVariant &value : row)
            values.append(value.isValid() ? value.toString() : QStringLiteral("<null>"));
        rows.append(values);
    }
    return rows;
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// Every category of the engine file equals its table in the Jet file, row by row; returns the
// number of rows compared.
int compareWithJet(const QString &engineFile, const QString &jetPath)
{
    int compared = 0;
    const QStringList categories = kxtest::categories(engineFile);
    if (categories != (QStringList{"Cakes & Pies", "Empty category", "Soups"}))
        qWarning() << "categories:" << categories;
    for (const QString &category : categories) {
        const QList<QStringList> engine = kxtest::readCategory(engineFile, category);
        const QList<QStringList> jet = jetRows(jetPath, category);
        if (engine != jet) {
            qWarning() << "category differs:" << category;
            return -1;
        }
        compared += int(engine.size());
    }
    return compared;
}

} // namespace

class TestJetMigration : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void convertsRecipeFile();
    void layoutCheck_data();
    void layoutCheck();
    void longNamesNeverCut();
    void otherLayoutsSkipped_data();
    void otherLayoutsSkipped();
    void refusedFilesLeaveNothing_data();
    void refusedFilesLeaveNothing();
    void existingTargetKept();
    void tool();

    void startupYes();
    void startupNo();
    void startupBackupNameTaken();
    void startupFailureLeavesJetFile();
    void startupAccdbRefused();
    void startupNothingForEngineFile();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString copyOf(const QString &name, const QString &as);
};

void TestJetMigration::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString TestJetMigration::copyOf(const QString &name, const QString &as)
{
    const QString path = m_dir->filePath(as);
    if (!QFile::copy(jetFile(name), path))
        return QString();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

void TestJetMigration::convertsRecipeFile()
{
    const QString source = jetFile(Recipes);
    const QByteArray before = checksum(source);
    const QString target = m_dir->filePath(QStringLiteral("Recipe.mdb"));

    const JetConversionReport report = convertJetDatabase(source, target);
    QVERIFY2(report.ok, qPrintable(report.error));
    QCOMPARE(report.categories.size(), 3);
    QCOMPARE(report.categories[0].name, QStringLiteral("Soups"));
    QCOMPARE(report.categories[1].rows, 120);
    QCOMPARE(report.recipeCount(), 126);
    QVERIFY(report.skipped.isEmpty());
    QCOMPARE(report.valuesWithLostCharacters, 1);
    QVERIFY(report.text().startsWith(QStringLiteral("3 categories with 126 recipes came across.")));
    QVERIFY(report.text().contains(QStringLiteral("came across as \"?\"")));

    QCOMPARE(compareWithJet(target, source), 126);
    // Nulls stay nulls, empty texts stay empty, the long memo is whole.
    const QList<QStringList> soups = kxtest::readCategory(target, QStringLiteral("Soups"));
    QCOMPARE(soups[4], (QStringList{"Empty memo", "", "", "<null>"}));
    QCOMPARE(soups[5][2].size(), 65536);
    QCOMPARE(filesIn(m_dir->path()), QStringList{"Recipe.mdb"}); // no temporary file left
    QCOMPARE(checksum(source), before);
}

void TestJetMigration::layoutCheck_data()
{
    QTest::addColumn<QList<int>>("types");
    QTest::addColumn<QString>("problem");
    const int T = jet::Text, M = jet::Memo;
    QTest::newRow("recipe") << QList<int>{T, T, M, M} << QString();
    QTest::newRow("all text") << QList<int>{T, T, T, T} << QString();
    QTest::newRow("text and memo") << QList<int>{T, T, T, M} << QString();
    QTest::newRow("memo name") << QList<int>{M, T, M, M}
                               << "column 1 (\"c1\") is Memo; the Name of a recipe must be Text";
    QTest::newRow("number author")
        << QList<int>{T, int(jet::LongInteger), M, M}
        << "column 2 (\"c2\") is Long Integer; the Author of a recipe must be Text";
    QTest::newRow("OLE instructions")
        << QList<int>{T, T, M, int(jet::OleObject)}
        << "column 4 (\"c4\") is OLE Object; the Instructions of a recipe must be Memo or Text";
    QTest::newRow("three columns") << QList<int>{T, T, M} << "it has 3 columns; a category has 4";
    QTest::newRow("five columns") << QList<int>{T, T, M, M, M}
                                  << "it has 5 columns; a category has 4";
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
    if (problem.isEmpty())
        QCOMPARE(found, QString());
    else
        QVERIFY2(found.startsWith(problem), qPrintable(found));
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
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("reason");
    QTest::newRow("Jet 3, 74 columns") << "jackcess_test2V1997.mdb"
                                       << "MSP_PROJECTS"
                                       << "it has 74 columns; a category has 4";
    QTest::newRow("moved rows") << "jackcess_overflowTestV2000.mdb"
                                << "Table1"
                                << "it has 9 columns";
    QTest::newRow("deleted rows") << "jackcess_delTestV2000.mdb"
                                  << "Table"
                                  << "it has 2 columns";
    QTest::newRow("many scripts") << "jackcess_testUnicodeCompV2003.mdb"
                                  << "Table"
                                  << "it has 2 columns";
    QTest::newRow("Jet 4, encrypted") << "jackcessencrypt_db-enc.mdb"
                                      << "Table1"
                                      << "it has 3 columns";
    QTest::newRow("Jet 3, encrypted") << "jackcessencrypt_db97-enc.mdb"
                                      << "Table1"
                                      << "it has 3 columns";
    QTest::newRow("password 2000") << "mdbreader_V2000_with-password.mdb"
                                   << "Table1"
                                   << "it has 2 columns";
    QTest::newRow("password 2003") << "mdbreader_V2003_with-password.mdb"
                                   << "Table1"
                                   << "it has 2 columns";
}

// Files without our layout convert to an empty database, and the report names each table
// with its reason.
void TestJetMigration::otherLayoutsSkipped()
{
    QFETCH(QString, file);
    QFETCH(QString, table);
    QFETCH(QString, reason);
    const QByteArray before = checksum(jetFile(file));
    const QString target = m_dir->filePath(QStringLiteral("out.mdb"));
    const JetConversionReport report = convertJetDatabase(jetFile(file), target);
    QVERIFY2(report.ok, qPrintable(report.error));
    QCOMPARE(report.categories.size(), 0);
    QCOMPARE(report.skipped.size(), 1);
    QCOMPARE(report.skipped[0].name, table);
    QVERIFY2(report.skipped[0].reason.startsWith(reason), qPrintable(report.skipped[0].reason));
    QVERIFY(report.text().contains(
        QStringLiteral("1 table was skipped:\n  %1: %2").arg(table, report.skipped[0].reason)));
    QCOMPARE(kxtest::categories(target), QStringList());
    QCOMPARE(checksum(jetFile(file)), before);
}

void TestJetMigration::refusedFilesLeaveNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    const QByteArray whole = jettest::readAll(jetFile(Recipes));
    QTest::newRow("accdb") << jettest::fakeAccdb() << QStringLiteral(".accdb");
    QTest::newRow("truncated") << whole.left(150000) << QStringLiteral("truncated");
    QTest::newRow("truncated at a page")
        << whole.left(72 * 4096) << QStringLiteral("cannot be read");
    QTest::newRow("data page damaged") << jettest::withPageFilled(Recipes, 72, char(0xff))
                                       << QStringLiteral("the file is damaged");
    QTest::newRow("libmdb crashes")
        << jettest::patched(QStringLiteral("jackcess_test2V1997.mdb"), {{0x1023, char(0x48)}})
        << QStringLiteral("stopped on it");
    QTest::newRow("no Access file")
        << QByteArray("Name;Author\n") << QStringLiteral("not an Access");
}

void TestJetMigration::refusedFilesLeaveNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const QString source = m_dir->filePath(QStringLiteral("source.mdb"));
    QVERIFY(jettest::writeAll(source, bytes));
    const QString target = m_dir->filePath(QStringLiteral("Recipe.mdb"));
    const JetConversionReport report = convertJetDatabase(source, target);
    QVERIFY(!report.ok);
    QVERIFY2(report.error.contains(message), qPrintable(report.error));
    QVERIFY(report.text().startsWith(QStringLiteral("The conversion failed: ")));
    QCOMPARE(filesIn(m_dir->path()), QStringList{"source.mdb"});
    QCOMPARE(jettest::readAll(source), bytes);
}

void TestJetMigration::existingTargetKept()
{
    const QString target = m_dir->filePath(QStringLiteral("Recipe.mdb"));
    QVERIFY(jettest::writeAll(target, "mine"));
    const JetConversionReport report = convertJetDatabase(jetFile(Recipes), target);
    QVERIFY(!report.ok);
    QVERIFY2(report.error.contains(QStringLiteral("exists already")), qPrintable(report.error));
    QCOMPARE(jettest::readAll(target), QByteArray("mine"));
    QCOMPARE(filesIn(m_dir->path()), QStringList{"Recipe.mdb"});
}

void TestJetMigration::tool()
{
    const QString tool = QString::fromUtf8(KX_IMPORT_JET);
    const QString target = m_dir->filePath(QStringLiteral("Recipe.mdb"));
    QProcess run;
    run.start(tool, {jetFile(Recipes), target});
    QVERIFY(run.waitForFinished(60000));
    QCOMPARE(run.exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.exitCode(), 0);
    const QString out = QString::fromLocal8Bit(run.readAllStandardOutput());
    QVERIFY2(out.startsWith(QStringLiteral("3 categories with 126 recipes came across.")),
             qPrintable(out));
    QCOMPARE(compareWithJet(target, jetFile(Recipes)), 126);

    const QByteArray made = checksum(target);
    run.start(tool, {jetFile(Recipes), target}); // refuses to write over it
    QVERIFY(run.waitForFinished(60000));
    QCOMPARE(run.exitCode(), 1);
    QVERIFY(QString::fromLocal8Bit(run.readAllStandardError())
                .contains(QStringLiteral("exists already")));
    QCOMPARE(checksum(target), made);

    run.start(tool, {jetFile(Recipes)});
    QVERIFY(run.waitForFinished(60000));
    QCOMPARE(run.exitCode(), 2);
    QVERIFY(
        QString::fromLocal8Bit(run.readAllStandardError()).startsWith(QStringLiteral("usage:")));
}

void TestJetMigration::startupYes()
{
    const QString recipe = copyOf(Recipes, QStringLiteral("Recipe.mdb"));
    const QByteArray before = checksum(recipe);
    kxtest::DialogRecorder rec;
    rec.answer(vb::vbYes);
    QVERIFY(offerJetMigration(m_dir->path()));

    QCOMPARE(rec.asked().size(), 2);
    QCOMPARE(rec.asked()[0].flags, vb::vbYesNo | vb::vbDefaultButton2);
    QVERIFY(rec.asked()[0].text.contains(QStringLiteral("Convert it now?")));
    QVERIFY(rec.asked()[0].text.contains(QStringLiteral("Recipe.jet.mdb")));
    QCOMPARE(rec.asked()[0].title, QStringLiteral("Kitchenex"));
    const QString message = rec.asked()[1].text;
    QVERIFY2(message.contains(QStringLiteral("3 categories with 126 recipes came across.")),
             qPrintable(message));
    QVERIFY(message.contains(QStringLiteral("kept as Recipe.jet.mdb.")));

    QCOMPARE(filesIn(m_dir->path()), (QStringList{"Recipe.jet.mdb", "Recipe.mdb"}));
    const QString backup = m_dir->filePath(QStringLiteral("Recipe.jet.mdb"));
    QCOMPARE(checksum(backup), before);
    QCOMPARE(compareWithJet(recipe, backup), 126);
    QVERIFY(!isJetFile(recipe));
}

void TestJetMigration::startupNo()
{
    const QString recipe = copyOf(Recipes, QStringLiteral("Recipe.mdb"));
    const QByteArray before = checksum(recipe);
    kxtest::DialogRecorder rec;
    rec.answer(vb::vbNo);
    QVERIFY(!offerJetMigration(m_dir->path()));
    QCOMPARE(rec.asked().size(), 1);
    QCOMPARE(filesIn(m_dir->path()), QStringList{"Recipe.mdb"});
    QCOMPARE(checksum(recipe), before);
    QVERIFY(isJetFile(recipe));
}

void TestJetMigration::startupBackupNameTaken()
{
    copyOf(Recipes, QStringLiteral("Recipe.mdb"));
    const QString taken = m_dir->filePath(QStringLiteral("Recipe.jet.mdb"));
    QVERIFY(jettest::writeAll(taken, "an earlier backup"));
    kxtest::DialogRecorder rec;
    rec.answer(vb::vbYes);
    QVERIFY(offerJetMigration(m_dir->path()));
    QVERIFY(rec.asked()[0].text.contains(QStringLiteral("Recipe.jet-2.mdb")));
    QVERIFY(rec.asked()[1].text.contains(QStringLiteral("kept as Recipe.jet-2.mdb")));
    QVERIFY(rec.asked()[1].text.contains(QStringLiteral("Recipe.jet.mdb exists already")));
    QCOMPARE(jettest::readAll(taken), QByteArray("an earlier backup"));
    QCOMPARE(checksum(m_dir->filePath(QStringLiteral("Recipe.jet-2.mdb"))),
             checksum(jetFile(Recipes)));
    QCOMPARE(filesIn(m_dir->path()),
             (QStringList{"Recipe.jet-2.mdb", "Recipe.jet.mdb", "Recipe.mdb"}));
}

void TestJetMigration::startupFailureLeavesJetFile()
{
    const QString recipe = m_dir->filePath(QStringLiteral("Recipe.mdb"));
    const QByteArray damaged = jettest::withPageFilled(Recipes, 26, char(0xff));
    QVERIFY(jettest::writeAll(recipe, damaged));
    kxtest::DialogRecorder rec;
    rec.answer(vb::vbYes);
    QVERIFY(!offerJetMigration(m_dir->path()));
    QCOMPARE(rec.asked().size(), 2);
    QVERIFY2(rec.asked()[1].text.startsWith(QStringLiteral("Recipe.mdb could not be converted: ")),
             qPrintable(rec.asked()[1].text));
    QVERIFY(rec.asked()[1].text.contains(QStringLiteral("Soups")));
    QCOMPARE(rec.asked()[1].flags, vb::vbOKOnly | vb::vbCritical);
    QCOMPARE(filesIn(m_dir->path()), QStringList{"Recipe.mdb"});
    QCOMPARE(jettest::readAll(recipe), damaged);
}

void TestJetMigration::startupAccdbRefused()
{
    const QString recipe = m_dir->filePath(QStringLiteral("Recipe.mdb"));
    QVERIFY(jettest::writeAll(recipe, jettest::fakeAccdb()));
    kxtest::DialogRecorder rec;
    QVERIFY(!offerJetMigration(m_dir->path()));
    QCOMPARE(rec.asked().size(), 1);
    QVERIFY(rec.asked()[0].text.contains(QStringLiteral(".accdb")));
    QCOMPARE(rec.asked()[0].flags & 7, int(vb::vbOKOnly));
    QVERIFY(!isJetFile(recipe));
    QVERIFY(isAceFile(recipe));
    QCOMPARE(jettest::readAll(recipe), jettest::fakeAccdb());
}

void TestJetMigration::startupNothingForEngineFile()
{
    const QString recipe = m_dir->filePath(QStringLiteral("Recipe.mdb"));
    kxtest::makeDatabase(recipe, {{QStringLiteral("Soups"), {}}});
    kxtest::DialogRecorder rec;
    QVERIFY(!offerJetMigration(m_dir->path()));
    QVERIFY(!offerJetMigration(m_dir->filePath(QStringLiteral("no such folder"))));
    QCOMPARE(rec.asked().size(), 0);
    QVERIFY(!isJetFile(recipe));
}

QTEST_MAIN(TestJetMigration)
#include "test_jetmigration.moc"
