#include "DaoTest.h"

#include "platform/dao/Maintenance.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

using namespace daotest;

void DaoTest::writesSurviveAnAbruptEnd()
{
    makeRecipes(path(), Soups, list("a b"));
    // A child process that ends with _exit: no destructor, no Close, as when the program is
    // killed, and in the middle of a transaction.
    const pid_t pid = fork();
    if (pid == 0) {
        try {
            auto db = open(path());
            auto rs = db->OpenRecordset(Soups);
            rs->Delete();
            addRecord(*rs, {QStringLiteral("c")});
            rs->MoveNext();
            rs->Edit();
            rs->Fields(0).setValue(QStringLiteral("B"));
            rs->Update();
            db->BeginTrans();
            rs->Delete();
            addRecord(*rs, {QStringLiteral("half")});
            addRecipeTable(*db, QStringLiteral("Stews"));
            _exit(0);
        } catch (...) {
            _exit(3);
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    // The next open, even a read-only one, rolls the unfinished transaction back.
    QCOMPARE(namesOf(path(), Soups), list("B c"));
    QCOMPARE(tableNames(path()), QStringList{Soups});
    addRecord(*open(path())->OpenRecordset(Soups), {QStringLiteral("d")});
    QCOMPARE(namesOf(path(), Soups), list("B c d"));
}

void DaoTest::databaseStaysOneFile()
{
    makeRecipes(path(), Soups, {QStringLiteral("a")});
    // Another program switched the file to a write-ahead log.
    execRaw(path(), "PRAGMA journal_mode = WAL");
    QCOMPARE(fileBytes(path()).at(18), '\x02');

    auto db = open(path());
    addRecord(*db->OpenRecordset(Soups), {QStringLiteral("b")});
    // Between writes, the file alone is the whole database: it can be copied as it is.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("Recipe.mdb")});
    QVERIFY(QFile::copy(path(), path(QStringLiteral("Copy.mdb"))));
    QCOMPARE(namesOf(path(QStringLiteral("Copy.mdb")), Soups), list("a b"));
}

void DaoTest::writersWaitForEachOther()
{
    makeRecipes(path(), Soups, {QStringLiteral("a")});
    auto holder = open(path());
    holder->BeginTrans();
    addRecord(*holder->OpenRecordset(Soups), {QStringLiteral("first")});

    // With a short timeout the write gives up, naming the file, and keeps its record.
    dao::DBEngine::SetLockTimeout(150);
    auto quick = open(path());
    auto retried = quick->OpenRecordset(Soups);
    retried->AddNew();
    retried->Fields(0).setValue(QStringLiteral("retried"));
    const dao::Error e = failure([&] { retried->Update(); });
    QCOMPARE(e.number(), int(dao::errLocked));
    QVERIFY2(e.message().contains(QLatin1String("Recipe.mdb")), qPrintable(e.message()));

    // With the usual timeout it waits for the other one's commit instead of failing.
    dao::DBEngine::SetLockTimeout(5000);
    auto db = open(path());
    auto rs = db->OpenRecordset(Soups);
    std::atomic<bool> committing{false};
    int commitError = -1;
    std::thread finisher([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        committing = true;
        commitError = errorOf([&] { holder->CommitTrans(); });
    });
    const bool startedFirst = !committing;
    const int error = errorOf([&] { addRecord(*rs, {QStringLiteral("waited")}); });
    const bool finishedAfter = committing;
    finisher.join();
    QCOMPARE(commitError, 0);
    if (!startedFirst)
        QSKIP("the machine was too busy to start the second write in time");
    QCOMPARE(error, 0);
    QVERIFY(finishedAfter);
    retried->Update();
    QCOMPARE(namesOf(path(), Soups), list("a first waited retried"));
}

void DaoTest::openRecordsetDoesNotBlockWriters()
{
    makeRecipes(path(), Soups, list("a b c d e"));
    dao::DBEngine::SetLockTimeout(150);

    // A recipe is shown and its record set left open on it, as the program does.
    auto db = open(path());
    auto shown = db->OpenRecordset(Soups);
    for (int i = 0; i < shown->FieldCount(); ++i)
        shown->Fields(i).Value();

    // Another connection adds a table, changes b and deletes c without waiting; this
    // connection deletes e; then the other one appends f.
    auto other = open(path());
    addRecipeTable(*other, QStringLiteral("Stews"));
    auto writer = other->OpenRecordset(Soups);
    writer->MoveNext();
    writer->Edit();
    writer->Fields(0).setValue(QStringLiteral("B"));
    writer->Update();
    writer->MoveNext();
    writer->Delete();
    auto same = db->OpenRecordset(Soups);
    for (int i = 0; i < 3; ++i) // b, d, e: c is gone already
        same->MoveNext();
    QCOMPARE(same->Fields(0).Value().toString(), QStringLiteral("e"));
    same->Delete();
    addRecord(*writer, {QStringLiteral("f")});

    QStringList seen;
    for (shown->MoveNext(); !shown->IsEOF(); shown->MoveNext())
        seen.append(shown->Fields(0).Value().toString());
    QCOMPARE(seen, list("B d f"));
    QCOMPARE(shown->RecordCount(), 4L);
}

void DaoTest::aReadSeesOneStateUntilItEnds()
{
    makeRecipes(path(), Soups, list("a b"));
    dao::DBEngine::SetLockTimeout(150);
    auto db = open(path());
    auto other = open(path());
    {
        dao::ReadScope read(*db);
        auto rs = db->OpenRecordset(Soups);
        QCOMPARE(rs->RecordCount(), 2L);
        // Another program's write waits for the read and, with a short timeout, gives up;
        // this database refuses to write in the middle of its own read.
        QCOMPARE(errorOf([&] { addRecord(*other->OpenRecordset(Soups), {QStringLiteral("c")}); }),
                 int(dao::errLocked));
        QCOMPARE(errorOf([&] { addRecord(*rs, {QStringLiteral("d")}); }), int(dao::errEngine));
        QCOMPARE(errorOf([&] { db->BeginRead(); }), int(dao::errEngine));
    }
    // The scope ended the read: both write again.
    addRecord(*other->OpenRecordset(Soups), {QStringLiteral("c")});
    addRecord(*db->OpenRecordset(Soups), {QStringLiteral("d")});
    QCOMPARE(errorOf([&] { db->EndRead(); }), int(dao::errNoTransaction));

    // Closing in the middle of a read ends it as well.
    db->BeginRead();
    db->Close();
    addRecord(*other->OpenRecordset(Soups), {QStringLiteral("e")});
    QCOMPARE(namesOf(path(), Soups), list("a b c d e"));
}

namespace {

// The settings of each connection of the process as it closed: synchronous, journal mode,
// busy timeout.
QStringList g_closed;

int recordOnClose(unsigned, void *, void *db, void *)
{
    QString settings;
    for (const char *sql : {"PRAGMA synchronous", "PRAGMA journal_mode", "PRAGMA busy_timeout"})
        sqlite3_exec(
            static_cast<sqlite3 *>(db), sql,
            [](void *to, int, char **values, char **) {
                *static_cast<QString *>(to) += QLatin1Char(' ') + QString::fromUtf8(values[0]);
                return 0;
            },
            &settings, nullptr);
    g_closed.append(settings);
    return 0;
}

// Run by SQLite for every connection it opens.
int watchConnection(sqlite3 *db, char **, const sqlite3_api_routines *)
{
    return sqlite3_trace_v2(db, SQLITE_TRACE_CLOSE, recordOnClose, nullptr);
}

} // namespace

// Every connection the engine opens, for any purpose, writes through a rollback journal with
// a full sync (a committed change survives a power cut) and waits for a lock.
void DaoTest::everyConnectionIsDurable()
{
    makeRecipes(path(), Soups, {QStringLiteral("a")});
    dao::DBEngine::SetLockTimeout(1234);
    g_closed.clear();
    const auto watch = reinterpret_cast<void (*)()>(watchConnection);
    QCOMPARE(sqlite3_auto_extension(watch), SQLITE_OK);
    dao::DBEngine::CreateDatabase(path(QStringLiteral("New.mdb")), Password)->Close();
    open(path())->Close();
    open(path(), true)->Close();
    dao::DBEngine::OpenDatabase(path(), true, false, Connect)->Close();
    dao::Maintenance::CheckDatabase(path(), Connect);
    dao::Maintenance::OpenChecked(path(), Connect)->Close();
    dao::Maintenance::CopyDatabase(path(), path(QStringLiteral("Copy.new")));
    sqlite3_cancel_auto_extension(watch);
    QCOMPARE(g_closed, QStringList(9, QStringLiteral(" 2 delete 1234")));
}
