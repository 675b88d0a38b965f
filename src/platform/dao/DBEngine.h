#pragma once

#include "Database.h"

#include <QString>

#include <memory>

namespace dao {

// The database engine: SQLite files that this engine marks as its own (application id) and
// protects with a password kept as a salted hash in the file. The password keeps other
// programs of this engine from opening the file by mistake; it is not encryption.
class DBEngine
{
public:
    // OpenDatabase(name, exclusive, readOnly, connect):
    // - a name without an extension gets ".mdb";
    // - a missing file is an error (errFileNotFound): no file is ever created here;
    // - a file that is not an SQLite file, or an SQLite file of another program, is refused
    //   (errUnrecognizedFormat); a damaged file gives errDatabaseDamaged;
    // - connect is ";Pwd=..." and must match the file's password (errNotValidPassword);
    // - shared open (exclusive false): two programs wait for each other's writes up to a busy
    //   timeout instead of failing at once.
    static std::unique_ptr<Database> OpenDatabase(const QString &name, bool exclusive,
                                                  bool readOnly, const QString &connect);

    // Makes a new, empty engine file with the given password. Refuses to overwrite anything
    // that exists at that path. Not used by the program itself, which never creates its
    // database: the starter tool, the importer and the tests use it.
    static std::unique_ptr<Database> CreateDatabase(const QString &path, const QString &password);

    // How long a database opened afterwards waits for another program's lock before a read or
    // write fails with errLocked. 5000 ms unless set.
    static void SetLockTimeout(int milliseconds);
    static int LockTimeout();

    // The application id that marks our files, readable with PRAGMA application_id.
    static constexpr int ApplicationId = 0x4B58444D; // "KXDM"
};

} // namespace dao
