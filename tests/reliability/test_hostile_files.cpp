// Hostile files: Recipe.mdb missing, empty, cut short, a text file, another program's SQLite
// file, ours with another password, damaged at random places, write-protected, and locked by
// another program in the middle of a write. Through the real start-up (load and show) and
// through commands, the program says what is wrong, never crashes, and leaves the file as it
// was: byte for byte after start-up and after every command it refuses.
#include "MainFixture.h"
#include "ReliabilitySupport.h"

#include "platform/dao/Maintenance.h"
#include "store/Backup.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>

#include <sys/stat.h>
#include <unistd.h>

using kxtest::Category;

namespace {

constexpr int LockTimeoutMs = 300;
constexpr int DamagedCopies = 24;

QList<Category> kitchen()
{
    const auto row = [](const char *name) {
        return kxtest::Row{QString::fromUtf8(name) + QLatin1Char(' '), QStringLiteral("Ann "),
                           QStringLiteral("salt, water ").repeated(40), QStringLiteral("cook ")};
    };
    return {{QStringLiteral("Beef"), {row("Stew"), row("Roast")}},
            {QStringLiteral("Soups"), {row("Leek"), row("Pea"), row("Onion")}},
            {QStringLiteral("zzzNothing"), {}}};
}

enum class Hostile
{
    Missing,
    Empty,
    Truncated,
    TextFile,
    OtherProgram,
    OtherPassword,
    FlippedBytes
};

// Makes the hostile file; `param` is the length kept (Truncated, negative: cut from the end)
// or the seed (FlippedBytes). Returns what was done, for the log.
QString makeHostile(const QString &file, Hostile kind, int param)
{
    switch (kind) {
    case Hostile::Missing:
        return QStringLiteral("no file");
    case Hostile::Empty:
        kxrel::writeFile(file, QByteArray(""));
        return QStringLiteral("empty file");
    case Hostile::TextFile:
        kxrel::writeFile(file, "Beef stew: 1 kg beef, 2 onions, salt.\nCook for two hours.\n");
        return QStringLiteral("text file");
    case Hostile::OtherProgram:
        kxrel::execSql(file, "CREATE TABLE notes (id INTEGER PRIMARY KEY, body TEXT);"
                             "INSERT INTO notes (body) VALUES ('buy milk');");
        return QStringLiteral("another program's SQLite file");
    case Hostile::OtherPassword:
        kxtest::makeDatabase(file, kitchen(), QStringLiteral("not the password"));
        return QStringLiteral("our file with another password");
    case Hostile::Truncated: {
        kxtest::makeDatabase(file, kitchen());
        const QByteArray bytes = kxrel::fileBytes(file);
        const qsizetype kept = param >= 0 ? param : bytes.size() + param;
        kxrel::writeFile(file, bytes.left(kept));
        return QStringLiteral("cut to %1 of %2 bytes").arg(kept).arg(bytes.size());
    }
    case Hostile::FlippedBytes: {
        kxtest::makeDatabase(file, kitchen());
        QByteArray bytes = kxrel::fileBytes(file);
        QRandomGenerator random{quint32(param)};
        const int flips = 1 + int(random.bounded(16u));
        QStringList places;
        for (int i = 0; i < flips; ++i) {
            const qsizetype at = qsizetype(random.bounded(quint32(bytes.size())));
            bytes[at] = char(bytes[at] ^ char(1 + random.bounded(255u)));
            places.append(QString::number(at));
        }
        kxrel::writeFile(file, bytes);
        return QStringLiteral("bytes changed at %1").arg(places.join(QLatin1Char(',')));
    }
    }
    return QString();
}

// SQLite's integrity check on a copy, so that the file itself is not even opened.
QString integrityOfCopy(const QString &file)
{
    const QString probe = file + QStringLiteral(".probe");
    QFile::remove(probe);
    if (!QFile::copy(file, probe))
        return QStringLiteral("no file");
    const QString result = kxrel::integrityCheck(probe);
    QFile::remove(probe);
    return result;
}

} // namespace

Q_DECLARE_METATYPE(Hostile)

class TestHostileFiles : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void hostileFileIsReportedAndLeftAsItWas_data();
    void hostileFileIsReportedAndLeftAsItWas();
    void writeProtectedFileIsLeftAsItWas_data();
    void writeProtectedFileIsLeftAsItWas();
    void lockedFileMakesACommandWaitThenSaySo_data();
    void lockedFileMakesACommandWaitThenSaySo();
    void lockedFileAtStartUpIsReported();
};

void TestHostileFiles::initTestCase()
{
    // Waiting for a lock takes this long before the engine gives up, instead of 5 s.
    dao::DBEngine::SetLockTimeout(LockTimeoutMs);
}

void TestHostileFiles::cleanupTestCase()
{
    dao::DBEngine::SetLockTimeout(5000);
}

void TestHostileFiles::hostileFileIsReportedAndLeftAsItWas_data()
{
    QTest::addColumn<Hostile>("kind");
    QTest::addColumn<int>("param");
    QTest::addColumn<QString>("reason"); // what the start-up message says; "" when it may start
    QTest::newRow("missing") << Hostile::Missing << 0 << QStringLiteral("does not exist");
    QTest::newRow("empty") << Hostile::Empty << 0 << QStringLiteral("empty");
    QTest::newRow("cut to 50 bytes") << Hostile::Truncated << 50 << QStringLiteral("Reason");
    QTest::newRow("cut to 3000 bytes") << Hostile::Truncated << 3000 << QStringLiteral("Reason");
    QTest::newRow("last page cut off") << Hostile::Truncated << -4096 << QStringLiteral("damaged");
    // The last byte of the last page is free space: SQLite reads the file as whole.
    QTest::newRow("last byte cut off") << Hostile::Truncated << -1 << QString();
    QTest::newRow("text file") << Hostile::TextFile << 0 << QStringLiteral("not a database");
    QTest::newRow("other program")
        << Hostile::OtherProgram << 0 << QStringLiteral("database of another program");
    QTest::newRow("other password") << Hostile::OtherPassword << 0 << QStringLiteral("password");
    // Seeded, so every run damages the same places.
    for (int seed = 1; seed <= DamagedCopies; ++seed)
        QTest::addRow("damaged copy %d", seed) << Hostile::FlippedBytes << seed << QString();
}

void TestHostileFiles::hostileFileIsReportedAndLeftAsItWas()
{
    QFETCH(Hostile, kind);
    QFETCH(int, param);
    QFETCH(QString, reason);
    MainFixture f;
    const QString made = makeHostile(f.file(), kind, param);
    const QByteArray original = kxrel::fileBytes(f.file()); // null when there is none
    const bool soundBefore = !original.isNull() && integrityOfCopy(f.file()) == QLatin1String("ok");

    // Start-up: the window opens, and says once what is wrong, naming the file.
    f.start();
    QVERIFY(f.form->isVisible());
    const QString problem = f.form->startupProblem();
    QVERIFY2(reason.isEmpty() || problem.contains(reason, Qt::CaseInsensitive),
             qPrintable(made + QStringLiteral(": ") + problem));
    // A file that is not ours, or not there, is not called damaged.
    if (kind != Hostile::Truncated && kind != Hostile::FlippedBytes)
        QVERIFY2(problem.contains(QStringLiteral("could not be opened")), qPrintable(problem));
    if (!problem.isEmpty()) {
        QTRY_COMPARE(f.dialogs.asked().size(), 1);
        QCOMPARE(f.dialogs.asked().at(0).text, problem);
        QCOMPARE(f.dialogs.asked().at(0).flags & vb::vbCritical, int(vb::vbCritical));
        QVERIFY(problem.contains(QDir::toNativeSeparators(f.file())));
        QVERIFY2(!f.treeHasRecipes(), qPrintable(made + QStringLiteral(": ") + problem));
        f.form->hide();
        f.form->show();
        QCoreApplication::processEvents();
        QCOMPARE(f.dialogs.asked().size(), 1); // said once only
    }
    QCOMPARE(kxrel::fileBytes(f.file()), original);

    // A command that changes the file: create a category.
    QByteArray current = original;
    const auto command = [&](const QString &what, const std::function<bool()> &accepted) {
        f.dialogs.clear();
        if (accepted()) {
            // Carried out only on a file the start-up found in order, and no worse after.
            QVERIFY2(problem.isEmpty(), qPrintable(made + QStringLiteral(": ") + what));
            if (soundBefore)
                QCOMPARE(kxrel::integrityCheck(f.file()), QStringLiteral("ok"));
            current = kxrel::fileBytes(f.file());
            return;
        }
        const QStringList said = f.dialogs.texts();
        QVERIFY2(said.size() >= 2 && said.last().startsWith(QStringLiteral("Kitchenex could not")),
                 qPrintable(made + QStringLiteral(": ") + said.join(QStringLiteral(" // "))));
        QCOMPARE(f.dialogs.asked().last().flags & vb::vbCritical, int(vb::vbCritical));
        QCOMPARE(kxrel::fileBytes(f.file()), current);
    };
    command(QStringLiteral("create a category"), [&] {
        f.dialogs.answerText(QStringLiteral("Fresh"));
        f.click(f.form->xpcmdbutton2);
        return f.dialogs.texts().value(1) == QLatin1String("Fresh Category Created");
    });
    if (QTest::currentTestFailed())
        return;
    // And, where the tree shows a category, add a recipe to it.
    if (QTreeWidgetItem *beef = f.category(QStringLiteral("Beef"))) {
        Q_UNUSED(beef);
        command(QStringLiteral("add a recipe"), [&] {
            f.click(f.form->add);
            f.clickNode(f.category(QStringLiteral("Beef")));
            f.type(QStringLiteral("Goulash"), QStringLiteral("Ann"), QStringLiteral("beef"),
                   QStringLiteral("stew"));
            f.dialogs.answer(vb::vbYes);
            f.click(f.form->Save);
            return f.dialogs.texts().value(1) == QLatin1String("Recipe Added");
        });
    }
    if (original.isNull())
        QVERIFY(!QFile::exists(f.file())); // never created
    // No backup is ever a copy of a damaged file.
    for (const QString &backup : RecipeBas::BackupFiles(f.file()))
        QVERIFY2(dao::Maintenance::QuickCheck(backup).isEmpty(), qPrintable(made));
}

void TestHostileFiles::writeProtectedFileIsLeftAsItWas_data()
{
    QTest::addColumn<bool>("folderWritable");
    QTest::newRow("in a writable folder") << true;
    QTest::newRow("in a write-protected folder") << false;
}

void TestHostileFiles::writeProtectedFileIsLeftAsItWas()
{
    QFETCH(bool, folderWritable);
    // The window runs in a second program which, started as root, gives up root's privileges:
    // for root, file modes do not stop a write.
    QTemporaryDir dir;
    QTemporaryDir home;
    const QString file = dir.filePath(QStringLiteral("Recipe.mdb"));
    kxtest::makeDatabase(file, kitchen());
    const QByteArray original = kxrel::fileBytes(file);
    QCOMPARE(::chmod(QFile::encodeName(file).constData(), 0444), 0);
    QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), folderWritable ? 0777 : 0555), 0);
    QCOMPARE(::chmod(QFile::encodeName(home.path()).constData(), 0777), 0);

    QProcess window;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home.path());
    // Qt wants a runtime folder of the user's own, mode 0700.
    const QString runtime = home.filePath(QStringLiteral("runtime"));
    QVERIFY(QDir().mkpath(runtime));
    QCOMPARE(::chmod(QFile::encodeName(runtime).constData(), 0700), 0);
    if (::geteuid() == 0)
        QCOMPARE(::chown(QFile::encodeName(runtime).constData(), 65534, 65534), 0);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    window.setProcessEnvironment(environment);
    window.start(kxrel::helperPath(),
                 {QStringLiteral("window"), dir.path(), QStringLiteral("Beef")});
    QVERIFY(window.waitForFinished(60000));
    const QString errors = QString::fromUtf8(window.readAllStandardError());
    ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
    if (window.exitCode() == 2 && errors.contains(QStringLiteral("privileges")))
        QSKIP("running as root and cannot give up root's privileges: a write-protected file "
              "cannot be checked here");
    QCOMPARE(window.exitStatus(), QProcess::NormalExit);
    QVERIFY2(window.exitCode() == 0, qPrintable(errors));

    const QStringList said = QString::fromUtf8(window.readAllStandardOutput())
                                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // Started without a problem; the save asked for the category and was refused, saying why.
    QVERIFY2(said.size() == 2, qPrintable(said.join(QStringLiteral(" // "))));
    QVERIFY(said[0].startsWith(QStringLiteral("The Category is: BEEF")));
    QVERIFY2(said[1].startsWith(QStringLiteral("Kitchenex could not save the new recipe")),
             qPrintable(said[1]));
    const QString why =
        folderWritable ? QStringLiteral("write-protected") : QStringLiteral("No backup copy");
    QVERIFY2(said[1].contains(why), qPrintable(said[1]));
    QCOMPARE(kxrel::fileBytes(file), original);
    QCOMPARE(QFileInfo(file).permissions() &
                 (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther),
             QFileDevice::Permissions());
    // The backup made before the write is a sound copy; none is made in a protected folder.
    const QStringList backups = RecipeBas::BackupFiles(file);
    QCOMPARE(backups.size(), folderWritable ? 1 : 0);
    if (folderWritable) {
        QVERIFY(dao::Maintenance::QuickCheck(backups[0]).isEmpty());
        QCOMPARE(kxtest::readCategory(backups[0], QStringLiteral("Soups")),
                 kxtest::readCategory(file, QStringLiteral("Soups")));
    }
}

void TestHostileFiles::lockedFileMakesACommandWaitThenSaySo_data()
{
    QTest::addColumn<QString>("command"); // the button: Save (of a new recipe), saveedited, delete
    QTest::addColumn<QString>("harm");    // the other program's write (immediate, exclusive), or
                                          // the page of the table's last records overwritten
    QTest::addColumn<bool>("otherCommits");
    QTest::newRow("add, immediate: others may read, then commit") << "Save"
                                                                  << "immediate" << true;
    QTest::newRow("add, exclusive: others may not read, then roll back") << "Save"
                                                                         << "exclusive" << false;
    for (const char *harm : {"immediate", "damaged"})
        for (const char *command : {"delete", "saveedited"})
            QTest::addRow("%s, %s", command, harm) << command << harm << false;
}

// A command that cannot write waits for the other program, then says why: nothing is reported
// as added, saved, deleted or missing, and the boxes keep what they show. The recipe comes
// after a full page of the engine's reading ahead, so its record is read only once the scan
// has begun.
void TestHostileFiles::lockedFileMakesACommandWaitThenSaySo()
{
    QFETCH(QString, command);
    QFETCH(QString, harm);
    QFETCH(bool, otherCommits);
    const bool adding = command == QLatin1String("Save");
    const bool damaged = harm == QLatin1String("damaged");
    QList<Category> categories = kitchen();
    categories[0].rows = QList<kxtest::Row>(300, categories[0].rows[0]) + categories[0].rows;
    MainFixture f;
    f.open(categories);
    if (adding) {
        f.click(f.form->add);
        f.clickNode(f.category(QStringLiteral("Beef")));
        f.type(QStringLiteral("Locked-out stew"), QStringLiteral("Ann"),
               QStringLiteral("beef, patience"), QStringLiteral("wait"));
    } else {
        f.clickNode(f.recipe(QStringLiteral("Beef"), 301));
    }
    if (command == QLatin1String("saveedited")) {
        f.click(f.form->Edit);
        f.form->Text1->SetText(QStringLiteral("Roast beef"));
    }
    const QStringList shown = f.boxes();
    QProcess other;
    if (damaged) {
        const qint64 page = kxrel::queryInt(f.file(), "PRAGMA page_size");
        const qint64 last = kxrel::queryInt(f.file(), "SELECT pageno FROM dbstat WHERE name = "
                                                      "'Beef' AND pagetype = 'leaf' ORDER BY "
                                                      "path DESC LIMIT 1");
        kxrel::writeFile(f.file(), kxrel::fileBytes(f.file()).replace((last - 1) * page, page,
                                                                      QByteArray(page, 'x')));
    } else {
        other.start(kxrel::helperPath(), {QStringLiteral("lock"), f.file(), harm});
        QVERIFY(other.waitForReadyRead(10000));
        QCOMPARE(other.readLine().trimmed(), QByteArray("locked"));
    }
    const QByteArray original = kxrel::fileBytes(f.file());
    auto *button = f.form->findChild<xpcmdbutton *>(command);
    QElapsedTimer waited;
    waited.start();
    if (adding)
        f.dialogs.answer(vb::vbYes); // the category is right
    f.click(button);
    const qint64 ms = waited.elapsed();
    const QStringList said = f.dialogs.texts();
    QVERIFY2(said.size() == (adding ? 2 : 1) &&
                 said.last().startsWith(QStringLiteral("Kitchenex could not")) &&
                 said.last().contains(damaged ? "damaged" : "in use by another program"),
             qPrintable(said.join(QLatin1Char('|'))));
    QVERIFY2(damaged || ms >= LockTimeoutMs * 2 / 3, "the command did not wait for the other "
                                                     "program");
    QCOMPARE(f.boxes(), shown);
    QCOMPARE(kxrel::fileBytes(f.file()), original);
    if (damaged)
        return;

    // The other program ends its write; the same command goes through, and nothing of either
    // program is lost.
    other.write(otherCommits ? "commit\n" : "rollback\n");
    QVERIFY(other.waitForFinished(10000));
    QVERIFY2(other.exitCode() == 0, other.readAllStandardError().constData());
    if (!otherCommits)
        QCOMPARE(kxrel::fileBytes(f.file()), original);
    f.dialogs.clear();
    if (adding)
        f.dialogs.answer(vb::vbYes);
    f.click(button);
    QCOMPARE(f.dialogs.texts().mid(adding ? 1 : 0),
             QStringList(adding                ? "Recipe Added"
                         : command == "delete" ? "Record Deleted"
                                               : "Recipe UpDated"));
    if (adding)
        QCOMPARE(f.rows(QStringLiteral("Beef")).last().at(0), QStringLiteral("Locked-out stew "));
    QCOMPARE(kxtest::categories(f.file()).contains(QStringLiteral("lock_probe")), otherCommits);
    QCOMPARE(kxrel::integrityCheck(f.file()), QStringLiteral("ok"));
}

void TestHostileFiles::lockedFileAtStartUpIsReported()
{
    MainFixture f;
    kxtest::makeDatabase(f.file(), kitchen());
    QProcess other;
    other.start(kxrel::helperPath(),
                {QStringLiteral("lock"), f.file(), QStringLiteral("exclusive")});
    QVERIFY(other.waitForReadyRead(10000));
    const QByteArray original = kxrel::fileBytes(f.file());
    f.start();
    QVERIFY2(f.form->startupProblem().contains(QStringLiteral("in use by another program")),
             qPrintable(f.form->startupProblem()));
    QCOMPARE(kxrel::fileBytes(f.file()), original);
    other.write("\n");
    QVERIFY(other.waitForFinished(10000));
    // Started again once the other program is done, the tree is there.
    f.form->close();
    f.start();
    QVERIFY(f.form->startupProblem().isEmpty());
    QVERIFY(f.category(QStringLiteral("Soups")));
}

QTEST_MAIN(TestHostileFiles)
#include "test_hostile_files.moc"
