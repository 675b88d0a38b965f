// Crash safety: a second program writes recipes and categories through the store in a loop
// and is killed (SIGKILL) at random moments, again and again. After every kill the file passes
// SQLite's integrity check, opens with the password, holds every change whose write had
// returned, and nothing else but, perhaps, the one change in flight, whole.
#include "ReliabilitySupport.h"

#include "MainFixture.h"
#include "TestSupport.h"
#include "platform/dao/History.h"
#include "store/Backup.h"
#include "store/Catalog.h"
#include "store/RecipeBas.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <csignal>

using kxrel::Op;
using kxrel::State;

namespace {

constexpr int WantedKills = 60;
constexpr int LeastKills = 50;
// New runs stop after this long, so the test ends in time on a slow or busy machine.
constexpr qint64 TimeBudgetMs = 75000;

kxtest::Row storedRow(const QString &id, int version)
{
    const QStringList texts = kxrel::recipeTexts(id, version);
    return {RecipeBas::StoredText(texts[0]), RecipeBas::StoredText(texts[1]),
            RecipeBas::StoredText(texts[2]), RecipeBas::StoredText(texts[3])};
}

struct Figures
{
    int kills = 0;
    int inFlight = 0;       // kills while a change was under way
    int inFlightLanded = 0; // ... whose change was in the file all the same
    int changesReturned = 0;
    int recordsChecked = 0;
    int recordsLost = 0;
    int backupsChecked = 0;
};

// The find index holds exactly the recipes of the file, each as it is now: one entry per
// recipe, and each recipe found by the author its version carries, in its own category.
QString indexProblem(const QString &file, const State &found)
{
    auto db = dao::DBEngine::OpenDatabase(file, false, true, kxtest::Connect);
    if (Catalog::IndexStatus(*db) != Catalog::IndexState::Current)
        return QStringLiteral("the find index is no longer current");
    if (Catalog::Find(*db, QStringLiteral("cook")).total != kxrel::recipeCount(found))
        return QStringLiteral("the find index holds %1 recipes, the file %2")
            .arg(Catalog::Find(*db, QStringLiteral("cook")).total)
            .arg(kxrel::recipeCount(found));
    for (auto c = found.cbegin(); c != found.cend(); ++c) {
        for (auto r = c->cbegin(); r != c->cend(); ++r) {
            const QString author = kxrel::recipeTexts(r.key(), r.value())[1];
            const Catalog::Found hits =
                Catalog::Find(*db, QStringLiteral("author:\"%1\"").arg(author));
            if (hits.total != 1 || hits.hits[0].id.category != c.key())
                return QStringLiteral("the find index does not hold %1 in %2").arg(author, c.key());
        }
    }
    return QString();
}

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT
private slots:
    void killedWriterLosesNothing();
    void startUpAfterAWriteWasKilledRecoversTheFile();
    void killedUndoLeavesTheChangeOrItsUndoWhole();

private:
    // Checks the file after a kill against the state before the run and the run's journal;
    // returns the state found, which the next run starts from.
    State checkAfterKill(const QString &folder, const QString &journal, const State &before,
                         Figures &figures);
};

State TestCrashSafety::checkAfterKill(const QString &folder, const QString &journalPath,
                                      const State &before, Figures &figures)
{
    const QString file = QDir(folder).filePath(QStringLiteral("Recipe.mdb"));
    // The journal: "B change" before each change, "D" once it returned.
    const auto describe = [](const State &state) {
        QString text;
        QDebug(&text) << state;
        return text;
    };
    const auto fail = [](const QString &why) {
        QTest::qFail(qPrintable(why), __FILE__, __LINE__);
        return State();
    };
    QFile journalFile(journalPath);
    if (!journalFile.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("no journal"));
    const QStringList lines =
        QString::fromUtf8(journalFile.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    State expected = before;
    std::optional<Op> open;
    for (const QString &line : lines) {
        if (line == QLatin1String("D")) {
            if (!open)
                return fail(QStringLiteral("journal: D without B"));
            if (!kxrel::apply(expected, *open))
                return fail(QStringLiteral("journal: %1 does not fit").arg(kxrel::opText(*open)));
            ++figures.changesReturned;
            open.reset();
            continue;
        }
        Op op;
        if (open || !line.startsWith(QLatin1String("B ")) || !kxrel::parseOp(line.mid(2), &op))
            return fail(QStringLiteral("journal: unexpected line %1").arg(line));
        open = op;
    }

    const QString integrity = kxrel::integrityCheck(file);
    if (integrity != QLatin1String("ok"))
        return fail(QStringLiteral("integrity check: ") + integrity);
    QString problem;
    State found;
    try {
        found = kxrel::readState(file, &problem);
    } catch (const std::exception &e) {
        problem = QStringLiteral("the file does not open: ") + QString::fromUtf8(e.what());
    }
    if (!problem.isEmpty())
        return fail(problem);

    State landed = expected;
    if (open) {
        ++figures.inFlight;
        kxrel::apply(landed, *open);
    }
    if (found != expected && found != landed)
        fail(QStringLiteral("after kill %1 (in flight: %2)\nexpected %3\nfound    %4")
                 .arg(figures.kills)
                 .arg(open ? kxrel::opText(*open) : QStringLiteral("nothing"), describe(expected),
                      describe(found)));
    if (open && found == landed && landed != expected)
        ++figures.inFlightLanded;
    const QString index = indexProblem(file, found);
    if (!index.isEmpty())
        fail(index);

    // Lost: a recipe whose change had returned that is missing or older in the file (the one
    // in flight may have changed or deleted it).
    for (auto c = expected.cbegin(); c != expected.cend(); ++c) {
        for (auto r = c->cbegin(); r != c->cend(); ++r) {
            ++figures.recordsChecked;
            const bool touchedInFlight = open && (open->id == r.key() || open->category == c.key());
            const auto category = found.constFind(c.key());
            const bool there =
                category != found.cend() && category->value(r.key(), -1) == r.value();
            if (!there && !touchedInFlight)
                ++figures.recordsLost;
        }
    }

    // Each backup kept beside the file is sound and opens with the password.
    for (const QString &backup : RecipeBas::BackupFiles(file)) {
        const QString check = kxrel::integrityCheck(backup);
        if (check != QLatin1String("ok"))
            fail(backup + QStringLiteral(": ") + check);
        try {
            kxtest::categories(backup);
        } catch (const std::exception &e) {
            fail(QString::fromUtf8(e.what()));
        }
        ++figures.backupsChecked;
    }
    return found;
}

void TestCrashSafety::killedWriterLosesNothing()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("Recipe.mdb"));
    kxtest::makeDatabase(
        file, {{QStringLiteral("Soups"),
                {storedRow(QStringLiteral("0-1"), 0), storedRow(QStringLiteral("0-2"), 3)}},
               {QStringLiteral("Beef"), {storedRow(QStringLiteral("0-3"), 0)}}});
    State state;
    {
        QString problem;
        state = kxrel::readState(file, &problem);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QCOMPARE(kxrel::recipeCount(state), 3);
    }

    // Seeded: the same waits every time (what the writer has reached by then still varies).
    QRandomGenerator random(20240607);
    Figures figures;
    QElapsedTimer clock;
    clock.start();
    for (int run = 1; figures.kills < WantedKills && clock.elapsed() < TimeBudgetMs; ++run) {
        const QString journal = dir.filePath(QStringLiteral("journal-%1.txt").arg(run));
        QProcess writer;
        writer.setProgram(kxrel::helperPath());
        writer.setArguments({QStringLiteral("write"), dir.path(), journal, QString::number(run)});
        writer.setProcessChannelMode(QProcess::SeparateChannels);
        writer.start();
        QVERIFY2(writer.waitForStarted(10000), qPrintable(writer.errorString()));
        while (!writer.canReadLine() && writer.state() == QProcess::Running)
            writer.waitForReadyRead(100);
        QVERIFY2(writer.readLine().trimmed() == "ready",
                 qPrintable(QString::fromUtf8(writer.readAllStandardError())));

        // Anywhere from before the first change to several changes in.
        QThread::msleep(random.bounded(5u, 250u));
        QVERIFY2(writer.state() == QProcess::Running,
                 qPrintable(QString::fromUtf8(writer.readAllStandardError())));
        ::kill(pid_t(writer.processId()), SIGKILL);
        QVERIFY(writer.waitForFinished(10000));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
        ++figures.kills;

        state = checkAfterKill(dir.path(), journal, state, figures);
        if (QTest::currentTestFailed())
            return;
    }
    qInfo("crash safety: %d kills survived in %lld ms; %d changes returned before a kill; "
          "%d kills during a change (%d of those changes landed whole, the rest not at all); "
          "%d records checked, %d lost; %d backup checks",
          figures.kills, clock.elapsed(), figures.changesReturned, figures.inFlight,
          figures.inFlightLanded, figures.recordsChecked, figures.recordsLost,
          figures.backupsChecked);
    QCOMPARE(figures.recordsLost, 0);
    QVERIFY2(figures.kills >= LeastKills, "too few kills in the time allowed");
    // Kills must land in the middle of changes, or the test proves nothing.
    QVERIFY(figures.inFlight > figures.kills / 4);
    QVERIFY(figures.changesReturned > figures.kills / 2);
}

void TestCrashSafety::startUpAfterAWriteWasKilledRecoversTheFile()
{
    // Another program is killed in the middle of a write: its journal is left beside the file.
    MainFixture f;
    kxtest::makeDatabase(f.file(),
                         {{QStringLiteral("Soups"), {storedRow(QStringLiteral("0-1"), 0)}}});
    const QString journal = f.file() + QStringLiteral("-journal");
    QProcess other;
    const QByteArray before = kxrel::fileBytes(f.file());
    other.start(kxrel::helperPath(), {QStringLiteral("lock"), f.file(), QStringLiteral("exclusive"),
                                      QStringLiteral("spill")});
    QVERIFY(other.waitForReadyRead(10000));
    ::kill(pid_t(other.processId()), SIGKILL);
    QVERIFY(other.waitForFinished(10000));
    QVERIFY(QFileInfo(journal).size() > 0);
    QVERIFY(kxrel::fileBytes(f.file()) != before); // half written

    // The start-up check rolls the half write back (it is SQLite's recovery, not a change) and
    // finds the file in order.
    f.start();
    QVERIFY2(f.form->startupProblem().isEmpty(), qPrintable(f.form->startupProblem()));
    QVERIFY(f.category(QStringLiteral("Soups")));
    QVERIFY(!f.category(QStringLiteral("lock_probe")));
    QVERIFY(!QFileInfo::exists(journal));
    QCOMPARE(kxrel::fileBytes(f.file()), before);
    QCOMPARE(kxrel::integrityCheck(f.file()), QStringLiteral("ok"));
}

// A program undoing and redoing an import of many recipes is killed again and again: each time
// the file holds the import whole and its history says it is done, or holds none of it and
// says it is undone; and the history is sound.
void TestCrashSafety::killedUndoLeavesTheChangeOrItsUndoWhole()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Recipe.mdb"));
    kxtest::makeDatabase(file, {{QStringLiteral("Soups"), {storedRow(QStringLiteral("0-1"), 0)}}});
    constexpr int Imported = 300;
    {
        auto db = dao::DBEngine::OpenDatabase(file, false, false, kxtest::Connect);
        dao::History::Ensure(*db);
        db->BeginTrans();
        RecipeBas::AppendCategoryTable(*db, QStringLiteral("Batch"));
        for (int i = 0; i < Imported; ++i) {
            const QStringList t = kxrel::recipeTexts(QString::number(i), 1);
            Catalog::Add(*db, QStringLiteral("Batch"), {{}, t[0], t[1], t[2], t[3]});
        }
        db->CommitTrans();
    }
    int whole[2] = {0, 0};
    for (int kill = 0; kill < 12; ++kill) {
        QProcess undoer;
        undoer.start(kxrel::helperPath(), {QStringLiteral("undo"), file});
        QVERIFY(undoer.waitForReadyRead(10000));
        QThread::msleep(QRandomGenerator::global()->bounded(20, 400));
        ::kill(pid_t(undoer.processId()), SIGKILL);
        QVERIFY(undoer.waitForFinished(10000));
        QVERIFY2(undoer.exitStatus() == QProcess::CrashExit, undoer.readAllStandardError());

        QCOMPARE(kxrel::integrityCheck(file), QStringLiteral("ok"));
        const qint64 rows =
            kxrel::queryInt(file, "SELECT count(*) FROM sqlite_master WHERE name = 'Batch'") == 1
                ? kxrel::queryInt(file, "SELECT count(*) FROM Batch")
                : 0;
        const qint64 undone = kxrel::queryInt(file, "SELECT max(undone) FROM _kx_undo");
        QVERIFY2((rows == Imported && undone == 0) || (rows == 0 && undone == 1),
                 qPrintable(QStringLiteral("%1 recipes, undone %2").arg(rows).arg(undone)));
        ++whole[undone];
        auto db = dao::DBEngine::OpenDatabase(file, false, false, kxtest::Connect);
        QVERIFY(!dao::History::Check(*db));
    }
    qInfo("killed undo: the import found whole %d times, its undo %d times", whole[0], whole[1]);
}

QTEST_MAIN(TestCrashSafety)
#include "test_crash_safety.moc"
