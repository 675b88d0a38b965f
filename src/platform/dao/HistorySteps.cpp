#include "HistorySteps.h"

#include "Connection.h"
#include "Error.h"
#include "TextIndexKeeper.h"

namespace dao::detail {

namespace {

const QString Doing = QStringLiteral("undoing or redoing a change");

IndexedFields indexed(const std::array<QVariant, 4> &values)
{
    IndexedFields fields;
    for (size_t i = 0; i < 4; ++i)
        fields[i] = values[i].toString();
    return fields;
}

qint64 bytesOf(const std::array<QVariant, 4> &values)
{
    qint64 bytes = 0;
    for (const QVariant &value : values)
        bytes += value.isValid() ? value.toString().size() * 2 : 0;
    return bytes;
}

} // namespace

StepSwapper::Table *StepSwapper::tableFor(const QString &name)
{
    std::shared_ptr<Table> &found = m_tables[name];
    if (found)
        return found.get();
    QList<Field> fields;
    if (m_conn.tableWithFields(name, &fields) != name || rowidAlias(fields).isEmpty()) {
        m_tables.remove(name);
        return nullptr;
    }
    auto table = std::make_shared<Table>();
    table->fields = fields;
    const QString rowid = rowidAlias(fields);
    const QString quoted = quoteIdentifier(name);
    const int count = int(qMin<qsizetype>(4, fields.size()));
    QStringList sets, columns{rowid}, values{QStringLiteral("?1")};
    for (int i = 0; i < count; ++i) {
        const QString column = quoteIdentifier(fields[i].Name);
        sets.append(column + QStringLiteral(" = ?") + QString::number(i + 2));
        columns.append(column);
        values.append(QStringLiteral("?") + QString::number(i + 2));
    }
    table->read.prepare(m_conn.db(),
                        QStringLiteral("SELECT %1, %2 FROM %3 WHERE %4 = ?1")
                            .arg(HistoryKeeper::fingerprintSql(fields),
                                 HistoryKeeper::columnsOf(fields).join(QStringLiteral(", ")),
                                 quoted, rowid),
                        m_conn.path, Doing);
    table->update.prepare(m_conn.db(),
                          QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?1")
                              .arg(quoted, sets.join(QStringLiteral(", ")), rowid),
                          m_conn.path, Doing);
    table->remove.prepare(m_conn.db(),
                          QStringLiteral("DELETE FROM %1 WHERE %2 = ?1").arg(quoted, rowid),
                          m_conn.path, Doing);
    table->insert.prepare(
        m_conn.db(),
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(quoted, columns.join(QStringLiteral(", ")), values.join(QStringLiteral(", "))),
        m_conn.path, Doing);
    found = table;
    return table.get();
}

History::Clash StepSwapper::refuse(History::Clash clash, const QString &category,
                                   const QString &name)
{
    clashCategory = category;
    clashName = name;
    return clash;
}

History::Clash StepSwapper::swap(HistoryStep &step)
{
    const History::Clash clash = step.isTable() ? swapTable(step) : swapRow(step);
    if (clash == History::Clash::None)
        store(step);
    return clash;
}

History::Clash StepSwapper::swapRow(HistoryStep &step)
{
    Table *table = tableFor(step.table);
    if (!table)
        return refuse(History::Clash::CategoryGone, step.table, QString());
    const bool indexed = m_conn.textIndex.active();
    table->read.bindInt64(1, step.row);
    const bool there = table->read.step();
    qint64 fingerprint = 0;
    std::array<QVariant, 4> now;
    if (there) {
        fingerprint = table->read.columnInt64(0);
        for (int i = 0; i < 4; ++i)
            now[size_t(i)] = table->read.columnValue(i + 1);
    }
    table->read.reset();
    if (step.live) {
        name = now[0].toString().trimmed();
        if (!there)
            return refuse(History::Clash::RecipeGone, step.table,
                          step.values[0].toString().trimmed());
        if (!step.fingerprint.isValid() || fingerprint != step.fingerprint.toLongLong())
            return refuse(History::Clash::RecipeChanged, step.table, name);
        if (step.other) {
            for (int i = 0; i < table->fields.size() && i < 4; ++i)
                table->update.bindValue(i + 2, step.values[size_t(i)]);
            table->update.bindInt64(1, step.row);
            table->update.run();
            if (indexed)
                m_conn.textIndex.changed(step.table, step.row, detail::indexed(now),
                                         detail::indexed(step.values));
        } else {
            table->remove.bindInt64(1, step.row);
            table->remove.run();
            if (indexed)
                m_conn.textIndex.removed(step.table, step.row, detail::indexed(now));
        }
    } else {
        name = step.values[0].toString().trimmed();
        if (there)
            return refuse(History::Clash::RowTaken, step.table, now[0].toString().trimmed());
        for (int i = 0; i < table->fields.size() && i < 4; ++i)
            table->insert.bindValue(i + 2, step.values[size_t(i)]);
        table->insert.bindInt64(1, step.row);
        table->insert.run();
        if (indexed)
            m_conn.textIndex.added(step.table, step.row, detail::indexed(step.values));
    }
    // What was there now is the step's other version, and the step's takes its place.
    const bool wasOther = step.other;
    step.other = step.live;
    step.live = wasOther;
    step.values = step.other ? now : std::array<QVariant, 4>{};
    step.fingerprint = QVariant();
    if (step.live) {
        table->read.bindInt64(1, step.row);
        if (table->read.step())
            step.fingerprint = table->read.columnInt64(0);
        table->read.reset();
    }
    return History::Clash::None;
}

qint64 StepSwapper::tableFingerprint(const QString &table, int *rows)
{
    Statement stmt;
    stmt.prepare(m_conn.db(), HistoryKeeper::tableFingerprintSql(table, m_conn.fieldsOf(table)),
                 m_conn.path, Doing);
    stmt.step();
    *rows = int(stmt.columnInt64(0));
    const qint64 sum = stmt.columnInt64(1);
    stmt.reset();
    return *rows == 0 ? 0 : (sum ^ (qint64(*rows) << 40));
}

History::Clash StepSwapper::swapTable(HistoryStep &step)
{
    // Statements on a table that is renamed now would no longer find it.
    m_tables.clear();
    const QString parked = HistoryKeeper::parkedName(step.id);
    const QStringList objects = m_conn.schemaObjectNames();
    if (step.live) {
        if (!objects.contains(step.table))
            return refuse(History::Clash::CategoryGone, step.table, QString());
        int rows = 0;
        if (tableFingerprint(step.table, &rows) != step.fingerprint.toLongLong())
            return refuse(rows > 0 && step.kind == StepKind::TableCreated
                              ? History::Clash::CategoryNotEmpty
                              : History::Clash::CategoryChanged,
                          step.table, QString());
        tableRows = rows;
        if (m_conn.textIndex.active())
            m_conn.textIndex.droppingTable(step.table);
        renameTable(m_conn, step.table, parked);
        step.live = false;
        step.fingerprint = QVariant();
        return History::Clash::None;
    }
    if (!objects.contains(parked))
        throw Error(errDatabaseDamaged,
                    QStringLiteral("The undo history of the database %1 lacks the table it "
                                   "kept for %2.")
                        .arg(quotedFile(m_conn.path), quotedName(step.table)));
    for (const QString &object : objects) {
        if (QString::compare(object, step.table, Qt::CaseInsensitive) == 0)
            return refuse(History::Clash::NameTaken, step.table, object);
    }
    renameTable(m_conn, parked, step.table);
    step.live = true;
    step.fingerprint = tableFingerprint(step.table, &tableRows);
    Statement first;
    first.prepare(m_conn.db(),
                  QStringLiteral("SELECT min(%1) FROM %2")
                      .arg(rowidAlias(m_conn.fieldsOf(step.table)), quoteIdentifier(step.table)),
                  m_conn.path, Doing);
    firstRow = first.step() ? first.columnInt64(0) : 0;
    first.reset();
    if (m_conn.textIndex.active()) {
        Statement records;
        records.prepare(m_conn.db(),
                        TextIndexKeeper::selectSql(step.table, m_conn.fieldsOf(step.table)),
                        m_conn.path, Doing);
        while (records.step())
            m_conn.textIndex.added(step.table, records.columnInt64(0),
                                   TextIndexKeeper::fieldsOf(records, 1));
        records.reset();
    }
    return History::Clash::None;
}

void StepSwapper::store(const HistoryStep &step)
{
    if (!m_storeStmt.isPrepared())
        m_storeStmt.prepare(m_conn.db(),
                            QStringLiteral("UPDATE _kx_undo_steps SET live = ?2, fp = ?3, "
                                           "other = ?4, f0 = ?5, f1 = ?6, f2 = ?7, f3 = ?8, "
                                           "bytes = ?9 WHERE id = ?1"),
                            m_conn.path, Doing);
    m_storeStmt.bindInt64(1, step.id);
    m_storeStmt.bindInt64(2, step.live ? 1 : 0);
    if (step.fingerprint.isValid())
        m_storeStmt.bindInt64(3, step.fingerprint.toLongLong());
    else
        m_storeStmt.bindNull(3);
    m_storeStmt.bindInt64(4, step.other ? 1 : 0);
    for (int i = 0; i < 4; ++i)
        m_storeStmt.bindValue(5 + i, step.values[size_t(i)]);
    qint64 bytes = bytesOf(step.values);
    if (step.isTable() && !step.live)
        bytes = tableBytes(m_conn, HistoryKeeper::parkedName(step.id));
    m_storeStmt.bindInt64(9, bytes);
    m_storeStmt.run();
}

} // namespace dao::detail
