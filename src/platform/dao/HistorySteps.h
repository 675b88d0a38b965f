#pragma once

#include "Field.h"
#include "History.h"
#include "HistoryKeeper.h"
#include "Sqlite.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <array>
#include <memory>

namespace dao::detail {

struct Connection;

// One step of a change as stored.
struct HistoryStep
{
    qint64 id = 0;
    StepKind kind = StepKind::Added;
    QString table;
    qint64 row = 0;
    bool live = false; // the record (table) is there now
    QVariant fingerprint;
    bool other = false; // the other version of the record is kept
    std::array<QVariant, 4> values;

    bool isTable() const
    {
        return kind == StepKind::TableCreated || kind == StepKind::TableDeleted;
    }
};

// Swaps steps, one at a time, inside the caller's transaction: what is there now goes into the
// step, and the step's other version takes its place. Undo swaps a change's steps newest first,
// redo oldest first.
class StepSwapper
{
public:
    explicit StepSwapper(Connection &conn) : m_conn(conn) {}

    // Refuses (returns the clash, writes nothing) when what is there is not as the step says.
    History::Clash swap(HistoryStep &step);

    // What is in the way, after a refusal.
    QString clashCategory, clashName;
    // The trimmed name of the recipe the last row step swapped; rows of a table brought back.
    QString name;
    int tableRows = 0;
    qint64 firstRow = 0; // of a table brought back, when it has records

private:
    struct Table
    {
        QList<Field> fields;
        Statement read, update, remove, insert;
    };
    Table *tableFor(const QString &name);
    History::Clash swapRow(HistoryStep &step);
    History::Clash swapTable(HistoryStep &step);
    History::Clash refuse(History::Clash clash, const QString &category, const QString &name);
    void store(const HistoryStep &step);
    qint64 tableFingerprint(const QString &table, int *rows);

    Connection &m_conn;
    QHash<QString, std::shared_ptr<Table>> m_tables;
    Statement m_storeStmt;
};

} // namespace dao::detail
