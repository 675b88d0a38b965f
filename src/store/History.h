#pragma once

#include "platform/dao/History.h"

#include <memory>

// Undo and redo of the changes to the recipe database, for the main window. The history is
// kept in the file (see dao::History): it outlives the run, and another program's changes are
// never overwritten.
namespace RecipeBas {

using HistoryResult = dao::History::Result;

// Undoes the last change to the database at DataPath (or redoes the last one undone). Like
// every change, it waits for the start-up check's verdict and makes the run's backup first.
// Raises dao::Error as the engine does.
HistoryResult UndoLastChange();
HistoryResult RedoLastChange();

// At start-up, on the checked database: true when its history was found damaged and was
// cleared. Never fails the start: a history that cannot be looked at is left for later.
bool HistoryWasDamaged(dao::Database &checked);

// Makes the history of the database at DataPath when it has none; called once per run and
// file, before the first change (see KeepBackupBeforeChange).
void EnsureHistory();

} // namespace RecipeBas
