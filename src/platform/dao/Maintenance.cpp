#include "Maintenance.h"

#include "Connection.h"
#include "DBEngine.h"
#include "Error.h"
#include "Sqlite.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace dao {

using detail::quotedFile;

namespace {

// Opens `path` with `flags` and the engine's lock timeout, or raises. Files are opened for
// reading and writing although only read: a read-only connection cannot roll back the journal
// of a program killed in the middle of a write, and would refuse the file. SQLite opens a
// write-protected file read-only by itself.
void openRaw(detail::SqliteHandle &handle, const QString &path, int flags, const QString &doing)
{
    QString message;
    const int rc = handle.open(path, flags, &message);
    if (rc != SQLITE_OK)
        detail::raiseSqlite(rc, message, path, doing);
    sqlite3_busy_timeout(handle.get(), DBEngine::LockTimeout());
    // The check and the copy read pages; the file's schema gets no say over what runs.
    sqlite3_db_config(handle.get(), SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(handle.get(), SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
}

QStringList quickCheck(sqlite3 *db, const QString &path, int limit)
{
    detail::Statement stmt;
    const QString doing = QStringLiteral("checking it for damage");
    stmt.prepare(db, QStringLiteral("PRAGMA quick_check(%1)").arg(qMax(1, limit)), path, doing);
    QStringList lines;
    while (stmt.step())
        lines.append(stmt.columnText(0));
    stmt.reset();
    if (lines == QStringList{QStringLiteral("ok")})
        return {};
    if (lines.isEmpty())
        lines.append(QStringLiteral("the check gave no answer"));
    return lines;
}

Error damaged(const QString &path, const QStringList &problems, const QString &consequence)
{
    // The first few findings are enough to tell a person (or a helper) what is wrong.
    QStringList shown = problems.mid(0, 3);
    if (problems.size() > shown.size())
        shown.append(QStringLiteral("..."));
    return Error(errDatabaseDamaged,
                 QStringLiteral("The database %1 is damaged (%2).%3")
                     .arg(quotedFile(path), shown.join(QStringLiteral("; ")), consequence));
}

// Removes a half-made copy and its journal; leaves nothing behind on any path.
struct RemoveUnlessKept
{
    QString path;
    bool keep = false;
    ~RemoveUnlessKept()
    {
        if (keep)
            return;
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-journal"));
    }
};

} // namespace

void Maintenance::CheckDatabase(const QString &name, const QString &connect)
{
    OpenChecked(name, connect)->Close();
}

std::unique_ptr<Database> Maintenance::OpenChecked(const QString &name, const QString &connect)
{
    // The engine's own open says whether the file is ours, readable and ours to open; it opens
    // for reading and writing, so a journal left by a killed program is rolled back first.
    auto db = DBEngine::OpenDatabase(name, false, false, connect);
    detail::Connection &conn = *db->m_conn;
    const QString doing = QStringLiteral("checking it for damage");
    // The check reads every page once: a small cache keeps it from taking memory, and the time
    // to take it, for pages it never reads again. The connection's own size comes back after.
    detail::Statement size;
    size.prepare(conn.db(), QStringLiteral("PRAGMA cache_size"), conn.path, doing);
    const qint64 ownSize = size.step() ? size.columnInt64(0) : -2000;
    size.finalize();
    conn.exec(QStringLiteral("PRAGMA cache_size = -%1").arg(CheckCacheKiB), doing);
    const QStringList problems = quickCheck(conn.db(), conn.path, 10);
    if (!problems.isEmpty())
        throw damaged(conn.path, problems, QString());
    conn.exec(QStringLiteral("PRAGMA cache_size = %1").arg(ownSize), doing);
    return db;
}

QStringList Maintenance::QuickCheck(const QString &path, int limit)
{
    detail::SqliteHandle handle;
    openRaw(handle, path, SQLITE_OPEN_READWRITE, QStringLiteral("checking it for damage"));
    return quickCheck(handle.get(), path, limit);
}

void Maintenance::CopyDatabase(const QString &source, const QString &target)
{
    const QString doing = QStringLiteral("making a backup copy of it");
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        throw Error(errDatabaseExists, QStringLiteral("%1 exists already; a backup copy is never "
                                                      "written over an existing file.")
                                           .arg(quotedFile(target)));
    if (!QFileInfo::exists(source))
        throw Error(errFileNotFound,
                    QStringLiteral("The database file %1 does not exist.").arg(quotedFile(source)));

    // Made empty first with O_EXCL, which settles a race with anybody else making it.
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw Error(errCannotOpenFile, QStringLiteral("The backup copy %1 cannot be made: %2.")
                                           .arg(quotedFile(target), file.errorString()));
    file.close();
    RemoveUnlessKept made{target};
    {
        detail::SqliteHandle from;
        openRaw(from, source, SQLITE_OPEN_READWRITE, doing);
        detail::SqliteHandle to;
        openRaw(to, target, SQLITE_OPEN_READWRITE, doing);
        // The copy is new: a crash while it is made leaves a file that is thrown away, so it
        // needs no journal of its own. A full sync puts it on the disk before it counts.
        detail::Statement pragma;
        pragma.prepare(to.get(), QStringLiteral("PRAGMA journal_mode = OFF"), target, doing);
        pragma.run();
        pragma.prepare(to.get(), QStringLiteral("PRAGMA synchronous = FULL"), target, doing);
        pragma.run();
        pragma.finalize();

        sqlite3_backup *backup = sqlite3_backup_init(to.get(), "main", from.get(), "main");
        if (!backup)
            detail::raiseSqlite(sqlite3_errcode(to.get()), to.lastMessage(), target, doing);
        // All pages in one step: the source is read under one read lock from start to end.
        const int stepped = sqlite3_backup_step(backup, -1);
        const int finished = sqlite3_backup_finish(backup);
        if (stepped != SQLITE_DONE) {
            const bool sourceSide =
                (stepped & 0xff) == SQLITE_BUSY || (stepped & 0xff) == SQLITE_LOCKED ||
                (stepped & 0xff) == SQLITE_CORRUPT || (stepped & 0xff) == SQLITE_NOTADB;
            detail::raiseSqlite(stepped, sourceSide ? from.lastMessage() : to.lastMessage(),
                                sourceSide ? source : target, doing);
        }
        if (finished != SQLITE_OK)
            detail::raiseSqlite(finished, to.lastMessage(), target, doing);
    }

    const QStringList problems = QuickCheck(target);
    if (!problems.isEmpty())
        throw damaged(source, problems, QStringLiteral(" No backup copy was made of it."));
    made.keep = true;
}

} // namespace dao
