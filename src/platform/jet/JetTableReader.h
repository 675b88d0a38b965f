#pragma once

#include "JetError.h"
#include "JetTable.h"

#include <mdbtools.h>

namespace jet {

// Reads every row of one table of an open libmdb file under this reader's rules: rows in stored
// order, moved rows read where their stored place points, long values whole, and every row the
// table definition counts, or it throws JetError. Used by JetFile, for the user tables and for
// the catalogue that lists them.
class JetTableReader
{
public:
    // failure: how the sentence of a failure starts; by default it names the table.
    JetTableReader(MdbHandle *mdb, qint64 pageCount, MdbTableDef *def, const QString &name,
                   const QString &failure = QString())
        : m_mdb(mdb), m_pageCount(pageCount), m_def(def), m_name(name),
          m_failure(failure.isEmpty()
                        ? QStringLiteral("The table \"%1\" cannot be read: ").arg(name)
                        : failure)
    {
    }

    TableData run(const Table &table);

private:
    [[noreturn]] void fail(const QString &what) const { throw JetError(m_failure + what); }
    void loadPage(quint32 page);
    QList<quint32> dataPages();
    void readRowAt(quint32 page, int slot, int hops);
    QVariant value(const MdbField &field, const MdbColumn *column);
    QByteArray longValue(const MdbField &field, const MdbColumn *column);
    QString text(const QByteArray &raw, const MdbColumn *column);

    MdbHandle *m_mdb;
    qint64 m_pageCount;
    MdbTableDef *m_def;
    QString m_name;
    QString m_failure;
    quint32 m_loaded = 0;
    TableData m_data;
};

} // namespace jet
