#include "DaoTest.h"

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

namespace {

const QString Soups = QStringLiteral("Soups");

void addRecord(dao::Recordset &rs, const QString &name)
{
    rs.AddNew();
    rs.Fields(0).setValue(name);
    rs.Update();
}

// Runs `work` in a child process that ends with _exit: no destructor, no Close, as when the
// program is killed. Returns the child's exit code (0 when `work` raised nothing).
int inKilledProcess(const std::function<void()> &work)
{
    const pid_t pid = fork();
    if (pid == 0) {
        int code = 0;
        try {
            work();
        } catch (...) {
            code = 3;
        }
        _exit(code);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

void DaoTest::writesSurviveAnAbruptEnd()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, Soups, {QStringLiteral("a"), QStringLiteral("b")});
    const int code = inKilledProcess([&] {
        auto db = open(file);
        auto rs = db->OpenRecordset(Soups);
        rs->Delete();
        addRecord(*rs, QStringLiteral("c"));
        rs->MoveNext();
        rs->Edit();
        rs->Fields(0).setValue(QStringLiteral("B"));
        rs->Update();
        db.release(); // never closed, never destroyed
        rs.release();
    });
    QCOMPARE(code, 0);
    QCOMPARE(namesOf(file, Soups), (QStringList{QStringLiteral("B"), QStringLiteral("c")}));

    // Objects dropped without Close in this process keep what was written as well.
    {
        auto db = open(file);
        auto rs = db->OpenRecordset(Soups);
        addRecord(*rs, QStringLiteral("d"));
    }
    QCOMPARE(namesOf(file, Soups).size(), 3);
}

void DaoTest::unfinishedTransactionIsRolledBack()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, Soups, {QStringLiteral("a")});
    const int code = inKilledProcess([&] {
        auto db = open(file);
        db->BeginTrans();
        auto rs = db->OpenRecordset(Soups);
        rs->Delete();
        addRecord(*rs, QStringLiteral("half"));
        addRecipeTable(*db, QStringLiteral("Stews"));
        db.release();
        rs.release();
    });
    QCOMPARE(code, 0);

    // The next open, even a read-only one, finds the leftover journal and puts the file back
    // as it was.
    QCOMPARE(namesOf(file, Soups), QStringList{QStringLiteral("a")});
    {
        auto db = open(file);
        auto rs = db->OpenRecordset(Soups);
        addRecord(*rs, QStringLiteral("b"));
    }
    QCOMPARE(namesOf(file, Soups), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    QCOMPARE(tableNames(file), QStringList{Soups});
}

void DaoTest::transactionGroupsWrites()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, Soups, {QStringLiteral("a")});
    const QByteArray before = fileBytes(file);

    auto db = open(file);
    QCOMPARE(errorOf([&] { db->CommitTrans(); }), int(dao::errNoTransaction));
    QCOMPARE(errorOf([&] { db->Rollback(); }), int(dao::errNoTransaction));
    auto rs = db->OpenRecordset(Soups);
    QCOMPARE(rs->RecordCount(), 1L);
    db->BeginTrans();
    QVERIFY(errorOf([&] { db->BeginTrans(); }) != 0);
    addRecord(*rs, QStringLiteral("b"));
    addRecipeTable(*db, QStringLiteral("Stews"));
    QCOMPARE(db->TableDefs().Count(), 2);
    QCOMPARE(rs->RecordCount(), 2L);
    db->Rollback();

    QCOMPARE(db->TableDefs().Count(), 1);
    QCOMPARE(rs->RecordCount(), 1L);
    db->Close();
    QCOMPARE(fileBytes(file), before);
}

void DaoTest::databaseStaysOneFile()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, Soups, {QStringLiteral("a")});
    // Another program switched the file to a write-ahead log.
    sqlite3 *raw = nullptr;
    QCOMPARE(sqlite3_open(file.toUtf8().constData(), &raw), SQLITE_OK);
    QCOMPARE(sqlite3_exec(raw, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    QCOMPARE(fileBytes(file).at(18), '\x02');

    auto db = open(file);
    auto rs = db->OpenRecordset(Soups);
    addRecord(*rs, QStringLiteral("b"));
    // Between writes, the file alone is the whole database: it can be copied as it is.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("Recipe.mdb")});
    QCOMPARE(fileBytes(file).at(18), '\x01');
    const QString copy = path(QStringLiteral("Copy.mdb"));
    QVERIFY(QFile::copy(file, copy));
    QCOMPARE(namesOf(copy, Soups), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
}

void DaoTest::fileIsReleasedWithTheLastUser()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, Soups, {QStringLiteral("a")});
    dao::DBEngine::SetLockTimeout(150);

    // An exclusive open keeps its lock for as long as the file is open.
    auto db = dao::DBEngine::OpenDatabase(file, true, false, Connect);
    auto rs = db->OpenRecordset(Soups);
    addRecord(*rs, QStringLiteral("b"));
    db.reset(); // no Close: the record set still uses the file
    QCOMPARE(rs->Fields(0).Value().toString(), QStringLiteral("a"));
    QCOMPARE(errorOf([&] { namesOf(file, Soups); }), int(dao::errLocked));

    rs.reset(); // the last user is gone: the file is free
    QCOMPARE(namesOf(file, Soups), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
}

void DaoTest::writersWaitForEachOther()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, Soups, {QStringLiteral("a")});

    // One program is in the middle of writing...
    auto holder = open(file);
    holder->BeginTrans();
    auto held = holder->OpenRecordset(Soups);
    addRecord(*held, QStringLiteral("first"));
    std::atomic<bool> committing{false};
    std::thread finisher([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        committing = true;
        holder->CommitTrans();
    });

    // ...and the other one waits for it instead of failing: its write can only go through
    // once the first one has committed.
    auto db = open(file);
    auto rs = db->OpenRecordset(Soups);
    const bool startedFirst = !committing;
    const int error = errorOf([&] { addRecord(*rs, QStringLiteral("second")); });
    const bool finishedAfter = committing;
    finisher.join();
    if (!startedFirst)
        QSKIP("the machine was too busy to start the second write in time");
    QCOMPARE(error, 0);
    QVERIFY(finishedAfter);
    db->Close();
    QCOMPARE(namesOf(file, Soups),
             (QStringList{QStringLiteral("a"), QStringLiteral("first"), QStringLiteral("second")}));
}

void DaoTest::writerGivesUpAfterTheTimeout()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, Soups, {QStringLiteral("a")});
    dao::DBEngine::SetLockTimeout(150);

    auto holder = open(file);
    holder->BeginTrans();
    auto held = holder->OpenRecordset(Soups);
    addRecord(*held, QStringLiteral("held"));

    auto db = open(file);
    auto rs = db->OpenRecordset(Soups);
    rs->AddNew();
    rs->Fields(0).setValue(QStringLiteral("second"));
    try {
        rs->Update();
        QFAIL("the record was saved while another program held the file");
    } catch (const dao::Error &e) {
        QCOMPARE(e.number(), int(dao::errLocked));
        QVERIFY2(e.message().contains(QLatin1String("Recipe.mdb")), qPrintable(e.message()));
    }

    // Once the other program is done, the same record can be saved.
    holder->Rollback();
    rs->Update();
    db->Close();
    holder->Close();
    QCOMPARE(namesOf(file, Soups), (QStringList{QStringLiteral("a"), QStringLiteral("second")}));
}

void DaoTest::idleRecordsetDoesNotBlockWriters()
{
    const QString file = path(QStringLiteral("Recipe.mdb"));
    makeRecipes(file, Soups, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    dao::DBEngine::SetLockTimeout(150);

    // A recipe is shown and its record set left open on it, as the program does.
    auto shown = open(file);
    auto rs = shown->OpenRecordset(Soups);
    rs->MoveNext();
    for (int i = 0; i < rs->FieldCount(); ++i)
        rs->Fields(i).Value();

    // Another database object (or program) still writes without waiting for it.
    auto db = open(file);
    QCOMPARE(errorOf([&] { addRecipeTable(*db, QStringLiteral("Stews")); }), 0);
    QCOMPARE(errorOf([&] { addRecord(*db->OpenRecordset(Soups), QStringLiteral("d")); }), 0);
    db->Close();

    QCOMPARE(rs->Fields(0).Value().toString(), QStringLiteral("b"));
    rs->MoveNext();
    rs->MoveNext();
    QCOMPARE(rs->Fields(0).Value().toString(), QStringLiteral("d"));
}
