#pragma once

#include <QString>
#include <QVariant>

#include <memory>

namespace dao {

namespace detail {
struct Connection;
struct RecordsetState;
} // namespace detail

// A table-type record set over one table: records in stored order, one of them current.
//
// It behaves as DAO's does for a local table:
// - it opens on the first record (or at the end when the table is empty);
// - MoveNext from the last record moves to the end (IsEOF) without an error; MoveFirst on an
//   empty table, MoveNext at the end, and reading, editing or deleting with no current record
//   raise errNoCurrentRecord;
// - a deleted record stays current until the next move; reading it raises errRecordDeleted;
// - AddNew/Edit start a buffer, Fields(i).setValue writes into it, Update stores it in one
//   statement, durable when Update returns; a Text value over 255 characters makes Update fail
//   with errFieldTooSmall and nothing is written;
// - after AddNew + Update the record current before AddNew stays current;
// - between AddNew/Edit and Update, Fields(i).Value() reads what was set (null for an unset
//   field after AddNew, the stored value for an unset field after Edit); Update raises
//   errUpdateWithoutEdit without them; a failed Update keeps the buffer, so it can be retried
//   or dropped with CancelUpdate; a move drops it;
// - Fields(i) outside 0..FieldCount()-1 raises errItemNotFound; anything after Close (or the
//   database's Close) raises errObjectClosed.
class Recordset
{
public:
    ~Recordset();
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    // Fields(i).Value() and Fields(i).setValue(v): the field at position i (0-based).
    class FieldRef
    {
    public:
        QVariant Value() const;           // a stored null reads as an invalid (null) QVariant
        void setValue(const QVariant &v); // only between AddNew/Edit and Update
        QString Name() const;
        int Type() const;

    private:
        friend class Recordset;
        FieldRef(Recordset *rs, int index) : m_rs(rs), m_index(index) {}
        Recordset *m_rs;
        int m_index;
    };

    QString Name() const;
    int FieldCount() const;
    FieldRef Fields(int index);

    void MoveFirst();
    void MoveNext();
    bool IsEOF() const; // past the last record (or the table is empty)
    long RecordCount() const;

    // The current record's row identity (its row number in the file): stable while the record
    // lives, whatever is added or deleted around it (errNoCurrentRecord without a current
    // record). SetBookmark makes the record of that identity current, reading that record only;
    // errRecordDeleted when the table has no such record, and the record set stays where it was.
    qint64 Bookmark() const;
    void SetBookmark(qint64 bookmark);
    // The identity of the record stored last by Update on this record set, added or edited
    // (errNoCurrentRecord before any).
    qint64 LastModified() const;

    void AddNew();
    void Edit();
    void Update();
    void CancelUpdate();
    void Delete();
    void Close(); // closing twice raises errObjectClosed, as DAO does

private:
    friend class Database;
    explicit Recordset(std::unique_ptr<detail::RecordsetState> state);
    std::unique_ptr<detail::RecordsetState> d;
};

} // namespace dao
