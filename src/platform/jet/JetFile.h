#pragma once

#include "JetError.h"
#include "JetTable.h"

#include <QString>

#include <memory>

namespace jet {

struct JetFileState;

// A Jet database (Access 97 to 2003, .mdb) opened for reading through libmdb, in this process.
//
// libmdb trusts the file: a damaged one can make it read out of bounds or abort. Programs that
// read files the user hands them go through JetReaderProcess, which runs this class in a child
// process; this class is for that child and for tests on known files.
//
// What it adds to libmdb:
// - rows come in stored order: a row that Jet moved to another page (an overflow row) is read
//   where its stored place points to it, not where its new page happens to be scanned;
// - every row the table definition counts must be read, and every long value (Memo, OLE
//   Object) must be whole, or the read fails instead of returning less;
// - values are never cut to a fixed buffer size;
// - the list of tables (the catalogue) is read by the same rules, and every table definition
//   in the file must be in it, or opening the file fails.
// libmdb neither checks a database password nor needs one, and it decrypts page-encrypted
// files by itself.
class JetFile
{
public:
    explicit JetFile(const QString &path); // throws JetError
    ~JetFile();
    JetFile(const JetFile &) = delete;
    JetFile &operator=(const JetFile &) = delete;

    QString path() const { return m_path; }
    int jetVersion() const; // 3 or 4

    // The user tables (no MSys... system table), in the order of the file's catalogue.
    QList<Table> tables() const;

    // Every row of the named table (name compared exactly), in stored order.
    TableData read(const QString &tableName) const;

private:
    QString m_path;
    std::unique_ptr<JetFileState> d;
};

} // namespace jet
