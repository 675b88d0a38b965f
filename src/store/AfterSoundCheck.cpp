// What follows a sound start-up check. The check has read every page of the file and found
// nothing wrong; work that must trust the whole file (building or checking an index over every
// recipe) starts here, on the checked database.
#include "Backup.h"

#include "platform/dao/Database.h"

namespace RecipeBas {

void AfterSoundCheck(std::unique_ptr<dao::Database> checked)
{
    // Nothing yet: the database closes.
    checked.reset();
}

} // namespace RecipeBas
