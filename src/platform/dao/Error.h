#pragma once

#include <QString>
#include <stdexcept>

namespace dao {

// Error numbers follow the ones DAO programmers know, so a message can be looked up.
enum ErrorNumber : int
{
    errNoCurrentRecord = 3021,    // "No current record."
    errFileNotFound = 3024,       // the database file does not exist
    errNotValidPassword = 3031,   // wrong or missing password in the connect string
    errDatabaseDamaged = 3049,    // the file is ours, or was, but SQLite says it is damaged
    errCannotOpenFile = 3051,     // no permission, read-only folder, locked beyond the timeout
    errTableNotFound = 3078,      // no table of that name
    errTableExists = 3010,        // a table of that name exists (names compare without case)
    errInvalidName = 3125,        // not a valid table or field name
    errFieldTooSmall = 3163,      // a Text value longer than 255 characters
    errRecordDeleted = 3167,      // the current record was deleted
    errLocked = 3260,             // another program holds the file longer than the timeout
    errItemNotFound = 3265,       // no item of that name or index in a collection
    errUpdateWithoutEdit = 3020,  // Update without AddNew or Edit
    errUnrecognizedFormat = 3343, // not an SQLite file, or an SQLite file of another program
    errObjectClosed = 3420,       // the object is closed or was never opened
    errIo = 3043,                 // disk or network error (disk full, I/O failure)
    errReadOnly = 3027,           // a write to a database opened read-only
    errFieldDefinedTwice = 3191,  // two fields of one table with the same name
    errDatabaseExists = 3204,     // CreateDatabase on a path that exists
    errInvalidFieldType = 3259,   // a field type other than dbText or dbMemo
    errNoFields = 3264,           // a table definition without fields
    errNoTransaction = 3034,      // CommitTrans or Rollback without BeginTrans
    errEngine = 3000,             // any other failure reported by the storage layer
};

// Every failure of the engine is a dao::Error carrying a number and a sentence a person can
// read. what() returns the sentence in UTF-8.
class Error : public std::runtime_error
{
public:
    Error(int number, const QString &message);

    int number() const noexcept { return m_number; }
    QString message() const { return m_message; }

private:
    int m_number;
    QString m_message;
};

} // namespace dao
