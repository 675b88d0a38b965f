#pragma once

#include "Connection.h"
#include "Field.h"
#include "Sqlite.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>
#include <vector>

namespace dao::detail {

// Everything a Recordset holds: where it stands, the rows read ahead, the edit buffer and its
// prepared statements.
//
// Records are walked in rowid order, the order they were stored in. Rows are read ahead in
// pages by one prepared statement that is reset before control returns to the caller, so an
// idle record set never holds a lock that would keep another program (or another connection
// of this one) from writing. Only the columns that were asked for on this record set are read
// ahead; asking for another one reads the page again with it.
struct RecordsetState
{
    RecordsetState(std::shared_ptr<Connection> connection, QString table, QList<Field> fields);
    ~RecordsetState();
    Q_DISABLE_COPY_MOVE(RecordsetState)

    // Opens on the first record (or at the end of an empty table).
    void open();
    // Drops the statements and marks the record set closed; the database's Close calls it.
    void release();

    void ensureOpen() const;
    void checkField(int index) const;

    QVariant value(int index);
    void setValue(int index, const QVariant &value);
    void moveFirst();
    void moveNext();
    bool isEof() const { return !m_onRecord; }
    long recordCount();
    qint64 bookmark() const;
    void setBookmark(qint64 rowid);
    qint64 lastModified() const;
    void addNew();
    void edit();
    void update();
    void cancelUpdate();
    void deleteCurrent();
    void close();

    // Destroyed last: the statements below are finalized before the file can close.
    std::shared_ptr<Connection> conn;
    QString table;
    QList<Field> fields;

private:
    enum class Mode
    {
        None,
        AddNew,
        Edit
    };
    QString doing(const QString &what) const;
    [[noreturn]] void raise(int number, const QString &message) const;
    bool aheadIsFresh() const;
    bool rowIsFresh() const;
    size_t aheadCount() const { return m_aheadRowids.size() - m_aheadPos; }
    qint64 aheadFront() const { return m_aheadRowids[m_aheadPos]; }
    const QVariant &aheadValue(int field) const;
    void clearAhead();
    void loadCurrentRow();
    // Reads up to maxRows rows whose rowid is at least `from`; false when there is none.
    bool fetchFrom(qint64 from, int maxRows);
    void requireCurrent() const;
    void validateBuffer() const;
    void storeNew();
    void storeEdit();
    // The current record's first four fields as stored, and as the edit buffer makes them.
    IndexedFields storedForIndex();
    IndexedFields bufferedForIndex(const IndexedFields &stored) const;

    QString m_rowid; // the name that reaches the rowid in this table
    bool m_closed = false;

    bool m_onRecord = false; // false: at the end (or the table is empty)
    qint64 m_current = 0;
    bool m_deleted = false;
    std::optional<qint64> m_lastModified;

    long m_count = 0;
    quint64 m_countGeneration = 0; // 0: not counted yet

    // The rows read ahead: their rowids, and their values of m_pageColumns row after row in
    // one block, so that reading ahead allocates nothing per row. The row at m_aheadPos is the
    // current record when it is fresh.
    std::vector<qint64> m_aheadRowids;
    std::vector<QVariant> m_aheadValues;
    size_t m_aheadPos = 0;
    bool m_aheadFromFirst = false;  // the rows ahead were read from the table's first record
    bool m_aheadToEnd = false;      // ... and up to its last one
    std::vector<bool> m_readAhead;  // columns asked for on this record set: read ahead
    std::vector<bool> m_pageHas;    // columns the rows read ahead hold
    std::vector<int> m_pageColumns; // field positions of the page statement's columns 1..n
    std::vector<int> m_pageSlot;    // by field position: its place in a row read ahead, or -1
    quint64 m_pageGeneration = 0;
    qint64 m_pageReadAt = -1; // when, on the coarse clock (ms); -1: never

    // The current record with every field, read when a field the page lacks is asked for.
    std::vector<QVariant> m_row;
    qint64 m_rowRowid = 0;
    quint64 m_rowGeneration = 0;
    qint64 m_rowReadAt = -1;

    Mode m_mode = Mode::None;
    std::vector<QVariant> m_buffer;
    std::vector<bool> m_touched;

    Statement m_pageStmt;
    Statement m_rowStmt;
    Statement m_countStmt;
    Statement m_maxStmt;
    Statement m_insertStmt;
    Statement m_updateStmt;
    Statement m_deleteStmt;
    Statement m_indexedStmt;
};

} // namespace dao::detail
