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

    // An edit of a record another connection deleted meanwhile is refused, not lost unseen.
    shown->MoveFirst();
    other->OpenRecordset(Soups)->Delete(); // a
    shown->Edit();
    shown->Fields(0).setValue(QStringLiteral("A"));
    QCOMPARE(errorOf([&] { shown->Update(); }), int(dao::errRecordDeleted));
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
