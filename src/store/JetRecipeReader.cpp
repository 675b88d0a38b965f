#include "JetRecipeReader.h"

#include "JetMigration.h"
#include "platform/jet/JetReaderProcess.h"

JetRecipeReader::JetRecipeReader(const QString &path)
{
    auto problem = [this](const QString &reason) {
        formats::ReadEntry entry;
        entry.skipped = reason;
        m_problems << entry;
    };
    try {
        m_tables = readCategoryTables(path, [&problem](const QString &table, const QString &why) {
            problem(QStringLiteral("table \"%1\": %2").arg(table, why));
        });
    } catch (const jet::JetError &e) {
        problem(e.message());
    }
}

bool JetRecipeReader::next(formats::ReadEntry &entry)
{
    if (!m_problems.isEmpty()) {
        entry = m_problems.takeFirst();
        return true;
    }
    while (m_table < m_tables.size() && m_row >= m_tables[m_table].rows.size()) {
        ++m_table;
        m_row = 0;
    }
    if (m_table >= m_tables.size())
        return false;
    const jet::TableData &data = m_tables[m_table];
    const jet::Row &row = data.rows[m_row++];
    entry = {};
    QString fields[4];
    for (int i = 0; i < 4 && i < row.size(); ++i)
        fields[i] = row[i].toString();
    if (fields[0].size() > formats::MaxNameLength || fields[1].size() > formats::MaxNameLength) {
        entry.skipped =
            QStringLiteral("row %1 of table \"%2\": a name or author over %3 characters")
                .arg(m_row)
                .arg(data.table.name)
                .arg(formats::MaxNameLength);
        return true;
    }
    entry.recipe = {fields[0], fields[1], fields[2], fields[3], {data.table.name}};
    return true;
}
