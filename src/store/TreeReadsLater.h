#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <exception>
#include <functional>
#include <mutex>

namespace RecipeBas {

// What a load of the tree reads of one category table, read ahead of it.
struct TableReads
{
    QString name;
    std::exception_ptr nameFailure;
    std::exception_ptr openFailure;
    QStringList recipes; // staged as the load stages them
    QList<qint64> rows;  // the row of each
    bool later = false;  // the open and the recipes come with the later reads
};

// The categories read ahead after the tree has been shown: the reads of the tables a load shows
// collapsed, handed from the thread that reads them to the one that shows them.
class TreeReadsLater
{
public:
    using Deliver = std::function<void(const QList<TableReads> &tables)>;

    // On the reading thread, once: the reads, to the delivery waiting for them if there is one.
    void give(QList<TableReads> tables);
    // The reads when they are in (true); else deliver gets them later, on the reading thread.
    bool take(QList<TableReads> &tables, Deliver deliver);

private:
    std::mutex m_mutex;
    bool m_given = false;
    QList<TableReads> m_tables;
    Deliver m_deliver;
};

} // namespace RecipeBas
