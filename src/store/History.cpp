#include "History.h"

#include "Backup.h"
#include "RecipeBas.h"
#include "platform/dao/Database.h"
#include "platform/dao/Error.h"

namespace RecipeBas {

namespace {

HistoryResult run(bool undo)
{
    auto database = dao::DBEngine::OpenDatabase(DataPath, false, false, ConnectString);
    if (!(undo ? dao::History::CanUndo(*database) : dao::History::CanRedo(*database)))
        return {};
    KeepBackupBeforeChange();
    const HistoryResult result =
        undo ? dao::History::Undo(*database) : dao::History::Redo(*database);
    database->Close();
    return result;
}

} // namespace

HistoryResult UndoLastChange()
{
    return run(true);
}

HistoryResult RedoLastChange()
{
    return run(false);
}

bool HistoryWasDamaged(dao::Database &checked)
{
    try {
        return dao::History::Check(checked);
    } catch (const dao::Error &) {
        return false;
    }
}

void EnsureHistory()
{
    auto database = dao::DBEngine::OpenDatabase(DataPath, false, false, ConnectString);
    dao::History::Ensure(*database);
    database->Close();
}

} // namespace RecipeBas
