#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace dao {
class Database;
}

// Keeping the recipes safe: backup copies beside the database and the check at start-up.
//
// Before the first change of each run (a recipe added, saved or deleted, a category created or
// deleted) the database is copied to Recipe.mdb.bak beside it. The copies before it move down
// one place: Recipe.mdb.bak becomes Recipe.mdb.bak.1, that one Recipe.mdb.bak.2, and the one
// there before is removed. So Recipe.mdb.bak is always the newest and at most three are kept.
// Anybody who finds the recipes damaged can go back by copying a backup over Recipe.mdb.
namespace RecipeBas {

inline constexpr int BackupsKept = 3;

// The name of a backup of databaseFile: 0 the newest (Recipe.mdb.bak), 1 the one before
// (Recipe.mdb.bak.1), 2 the oldest kept (Recipe.mdb.bak.2).
QString BackupFileName(const QString &databaseFile, int generation);
// The backups of databaseFile that exist, newest first.
QStringList BackupFiles(const QString &databaseFile);

// The file of the database, DataPath with its extension.
QString DataBaseFile();

// Called by every routine that changes the database, at the point of writing: the first time
// in a run, copies the database to a new backup (the older ones move down one place); later
// calls of the run do nothing. When no copy can be made, raises a dao::Error that says so and
// why; the caller then changes nothing (a change without a backup is what this guards against)
// and the next change tries again. A damaged database is never copied over the backups: its
// changes are refused until a backup is copied back.
void KeepBackupBeforeChange();

// A new run begins (the main window's load): the next change makes a backup again.
void StartBackupRun();

// What every change does first, before its backup: the main window waits there for the verdict
// of a start-up check still running, and raises when that check found the file damaged. Empty
// (nothing to wait for) unless set.
void SetBeforeChange(std::function<void()> wait);

// The check at start-up: the database opens with its password and SQLite's quick check finds
// nothing wrong. Raises dao::Error otherwise (errDatabaseDamaged when the check finds damage).
// Changes nothing in the file. Returns the checked database, open.
std::unique_ptr<dao::Database> CheckRecipeDataBase();

// Runs once on the main thread when the start-up check has found the database sound, given
// that database open (it may be handed to another thread). Changes may run from then on.
void AfterSoundCheck(std::unique_ptr<dao::Database> checked);

} // namespace RecipeBas
