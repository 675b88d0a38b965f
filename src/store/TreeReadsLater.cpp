#include "TreeReadsLater.h"

namespace RecipeBas {

void TreeReadsLater::give(QList<TableReads> tables)
{
    std::unique_lock lock(m_mutex);
    m_given = true;
    if (!m_deliver) {
        m_tables = std::move(tables);
        return;
    }
    const Deliver deliver = std::move(m_deliver);
    lock.unlock();
    deliver(tables);
}

bool TreeReadsLater::take(QList<TableReads> &tables, Deliver deliver)
{
    std::lock_guard lock(m_mutex);
    if (!m_given) {
        m_deliver = std::move(deliver);
        return false;
    }
    tables = m_tables;
    return true;
}

} // namespace RecipeBas
