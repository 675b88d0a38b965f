#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace dao {

class Database;

// Keeping a database file sound: SQLite's quick check over a file, and consistent copies of a
// file for backups. Neither changes the database it is given; opening it may only let SQLite
// roll back a write that a program killed in the middle left behind, which is its recovery.
class Maintenance
{
public:
    // Opens the database as DBEngine::OpenDatabase does and runs SQLite's quick check over
    // every page, reading only. Raises what the open raises
    // (missing, not ours, wrong password, locked...), or errDatabaseDamaged naming what the
    // check found.
    static void CheckDatabase(const QString &name, const QString &connect);

    // CheckDatabase, handing back the database open. The check runs with a page cache of
    // CheckCacheKiB, and the open database has its usual cache afterwards.
    static std::unique_ptr<Database> OpenChecked(const QString &name, const QString &connect);
    static constexpr int CheckCacheKiB = 256;

    // What SQLite's quick check finds wrong in the file at `path` (empty when nothing is),
    // at most `limit` lines. Raises when the file cannot be read at all.
    static QStringList QuickCheck(const QString &path, int limit = 10);

    // Copies the database file `source` (a full path) page by page into the new file `target`
    // with SQLite's backup API: one consistent snapshot, taken under a read lock, so a write of
    // another program is either wholly in the copy or not at all. The copy is synced to disk
    // and then checked. `target` must not exist (errDatabaseExists). On any failure nothing is
    // left at `target` and the error is raised: errLocked when the source stays locked beyond
    // the lock timeout, errDatabaseDamaged when the copy does not pass the quick check, errIo
    // or errCannotOpenFile when the copy cannot be written.
    static void CopyDatabase(const QString &source, const QString &target);
};

} // namespace dao
