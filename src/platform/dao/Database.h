#pragma once

#include "Recordset.h"
#include "TableDef.h"

#include <QList>
#include <QString>

#include <memory>

namespace dao {

namespace detail {
struct Connection;
}

class Database;

// The tables of a database: every table of the file in case-insensitive alphabetical order of
// name. The engine's own bookkeeping tables are never listed. The list is read on first use and
// again after Append, Delete and Refresh; a table made meanwhile by another program shows up
// after Refresh. A table without the engine's bookkeeping lists its columns as Memo fields.
class TableDefCollection
{
public:
    int Count() const;
    const TableDef &operator[](int index) const;     // errItemNotFound when out of range
    const TableDef &Item(const QString &name) const; // name without regard to case
    QList<TableDef>::const_iterator begin() const;
    QList<TableDef>::const_iterator end() const;

    // Creates the table in the file, with its fields in order, in one transaction.
    // Refuses (errTableExists) a name already taken without regard to case, and
    // (errInvalidName) a name the engine does not take: empty, longer than 64 characters,
    // starting with a blank, holding a control character or one of . ! ` [ ], or reserved for
    // the engine's bookkeeping. Also refuses a definition without fields (errNoFields), a field
    // name the engine does not take (errInvalidName, the same rules, and not rowid or oid), a
    // type other than Text or Memo (errInvalidFieldType) and a field twice
    // (errFieldDefinedTwice).
    void Append(const TableDef &def);

    // Drops the table and every record in it (errTableNotFound when there is none).
    void Delete(const QString &name);

    void Refresh();

private:
    friend class Database;
    explicit TableDefCollection(Database *db) : m_db(db) {}
    void ensureLoaded() const;
    Database *m_db;
    mutable bool m_loaded = false;
    mutable QList<TableDef> m_defs;
};

class Database
{
public:
    ~Database(); // closes the file unless a record set still uses it
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    QString Name() const; // the file's full path
    TableDefCollection &TableDefs();
    TableDef CreateTableDef(const QString &name) const { return TableDef(name); }

    // A table-type record set on the named table (errTableNotFound when there is none).
    std::unique_ptr<Recordset> OpenRecordset(const QString &name);

    // Closes the file; record sets opened from it are closed too. Closing twice raises
    // errObjectClosed, as DAO does. A transaction still open is rolled back.
    void Close();

    // Groups writes into one transaction: until CommitTrans, Update, Delete and the table
    // changes are not committed one by one but together (Rollback forgets them all). For bulk
    // loads by tools; the program itself never uses it. Transactions do not nest.
    void BeginTrans();
    void CommitTrans(); // errNoTransaction without BeginTrans
    void Rollback();    // errNoTransaction without BeginTrans

    // Reads the file as one piece until EndRead: it is locked for reading once rather than at
    // every call, and every read in between sees the same state of it. Meanwhile other
    // programs can read it but their writes wait (up to the lock timeout), and writing through
    // this database is refused (errEngine). Reads do not nest, nor go inside BeginTrans
    // (errEngine). Close ends a read too.
    void BeginRead();
    void EndRead(); // errNoTransaction without BeginRead

private:
    friend class DBEngine;
    friend class Maintenance;
    friend class ReadScope;
    friend class TableDefCollection;
    friend class TextIndex;
    friend class History;
    explicit Database(std::shared_ptr<detail::Connection> connection);
    std::shared_ptr<detail::Connection> m_conn;
    TableDefCollection m_tableDefs{this};
};

// BeginRead for as long as it lives; the read ends however the scope is left, unless the
// database was closed meanwhile, which ended it already.
class ReadScope
{
public:
    explicit ReadScope(Database &db);
    ~ReadScope();
    ReadScope(const ReadScope &) = delete;
    ReadScope &operator=(const ReadScope &) = delete;

private:
    std::shared_ptr<detail::Connection> m_conn;
};

} // namespace dao
