#include "Sqlite.h"

#include "Error.h"

#include <QDir>

#include <sqlite3.h>

namespace dao::detail {

QString quotedFile(const QString &path)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

QString quotedName(const QString &name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

QString quoteIdentifier(const QString &name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

void raiseSqlite(int rc, const QString &sqliteMessage, const QString &file, const QString &doing)
{
    const QString where = quotedFile(file);
    const QString detail =
        sqliteMessage.isEmpty() ? QString::fromUtf8(sqlite3_errstr(rc)) : sqliteMessage;
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw Error(errLocked,
                    QStringLiteral("The database %1 is in use by another program and stayed "
                                   "locked while %2. Try again in a moment.")
                        .arg(where, doing));
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        throw Error(errDatabaseDamaged,
                    QStringLiteral("The database %1 is damaged and cannot be read (%2).")
                        .arg(where, detail));
    case SQLITE_READONLY:
        throw Error(errReadOnly, QStringLiteral("The database %1 cannot be changed while %2: it "
                                                "is opened read-only or the file or its folder "
                                                "is write-protected.")
                                     .arg(where, doing));
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        throw Error(errCannotOpenFile,
                    QStringLiteral("The database %1 cannot be opened while %2 (%3). Check that "
                                   "you may read and write the file and its folder.")
                        .arg(where, doing, detail));
    case SQLITE_IOERR:
    case SQLITE_FULL:
        throw Error(errIo, QStringLiteral("A disk error occurred while %1 in the database %2 "
                                          "(%3). Check that the disk is present and not full.")
                               .arg(doing, where, detail));
    case SQLITE_NOMEM:
        throw Error(
            errIo,
            QStringLiteral("Not enough memory while %1 in the database %2.").arg(doing, where));
    case SQLITE_ERROR:
        if (detail.startsWith(QLatin1String("no such table")))
            throw Error(errTableNotFound,
                        QStringLiteral("The table no longer exists in the database %1 (%2).")
                            .arg(where, detail));
        break;
    default:
        break;
    }
    throw Error(errEngine, QStringLiteral("The database engine failed while %1 in the database "
                                          "%2 (%3).")
                               .arg(doing, where, detail));
}

// --- SqliteHandle -------------------------------------------------------------------------

SqliteHandle::~SqliteHandle()
{
    close();
}

int SqliteHandle::open(const QString &path, int flags, QString *message)
{
    close();
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        if (message)
            *message = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db))
                            : QString::fromUtf8(sqlite3_errstr(rc));
        close();
        return rc;
    }
    sqlite3_extended_result_codes(m_db, 1);
    return rc;
}

void SqliteHandle::close()
{
    if (m_db) {
        // close_v2 also copes with a statement somebody forgot to finalize.
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

QString SqliteHandle::lastMessage() const
{
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
}

// --- Statement ----------------------------------------------------------------------------

Statement::~Statement()
{
    finalize();
}

void Statement::prepare(sqlite3 *db, const QString &sql, const QString &file, const QString &doing)
{
    finalize();
    m_db = db;
    m_file = file;
    m_doing = doing;
    const QByteArray text = sql.toUtf8();
    const int rc = sqlite3_prepare_v3(db, text.constData(), int(text.size()),
                                      SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db));
        finalize();
        raiseSqlite(rc, message, file, doing);
    }
}

void Statement::finalize()
{
    if (m_stmt) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

void Statement::fail(int rc) const
{
    const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    raiseSqlite(rc, message, m_file, m_doing);
}

void Statement::bindNull(int index)
{
    const int rc = sqlite3_bind_null(m_stmt, index);
    if (rc != SQLITE_OK)
        fail(rc);
}

void Statement::bindInt64(int index, qint64 value)
{
    const int rc = sqlite3_bind_int64(m_stmt, index, value);
    if (rc != SQLITE_OK)
        fail(rc);
}

void Statement::bindText(int index, const QString &text)
{
    // A null pointer would bind NULL, so an empty text gets a real (empty) buffer. The length
    // is given in bytes: embedded NUL characters are kept.
    static const char16_t empty[1] = {0};
    // SQLite takes a leading U+FEFF or U+FFFE of UTF-16 text for a byte-order mark: it drops
    // it, and after U+FFFE reads the rest byte-swapped. A mark of the machine's own order in
    // front is the one it drops, so such a text is stored as it was given.
    const char16_t first = text.isEmpty() ? 0 : text.front().unicode();
    const QString marked = first == 0xFEFF || first == 0xFFFE ? QChar(0xFEFF) + text : QString();
    const QString &bound = marked.isNull() ? text : marked;
    const void *data = bound.isEmpty() ? static_cast<const void *>(empty)
                                       : static_cast<const void *>(bound.utf16());
    const int rc =
        sqlite3_bind_text16(m_stmt, index, data, int(bound.size() * 2), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        fail(rc);
}

void Statement::bindBlob(int index, const QByteArray &bytes)
{
    const int rc =
        sqlite3_bind_blob(m_stmt, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        fail(rc);
}

void Statement::bindValue(int index, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        bindNull(index);
    else
        bindText(index, value.toString());
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    fail(rc);
}

void Statement::run()
{
    while (step()) {
    }
    reset();
}

void Statement::reset()
{
    if (m_stmt) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

bool Statement::columnIsNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

qint64 Statement::columnInt64(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

QString Statement::columnText(int column) const
{
    // Text is read with its length, never up to a terminating NUL.
    const void *data = sqlite3_column_text16(m_stmt, column);
    const int bytes = sqlite3_column_bytes16(m_stmt, column);
    if (!data) {
        if (sqlite3_errcode(m_db) == SQLITE_NOMEM)
            fail(SQLITE_NOMEM);
        return QString(QLatin1String(""));
    }
    return QString(static_cast<const QChar *>(data), bytes / 2);
}

QByteArray Statement::columnBlob(int column) const
{
    const void *data = sqlite3_column_blob(m_stmt, column);
    const int bytes = sqlite3_column_bytes(m_stmt, column);
    return data ? QByteArray(static_cast<const char *>(data), bytes) : QByteArray();
}

QVariant Statement::columnValue(int column) const
{
    if (columnIsNull(column))
        return QVariant();
    return columnText(column);
}

int Statement::changes() const
{
    return sqlite3_changes(m_db);
}

qint64 Statement::lastInsertRowid() const
{
    return sqlite3_last_insert_rowid(m_db);
}

int Statement::columnBytes16(int column) const
{
    return sqlite3_column_bytes16(m_stmt, column);
}

} // namespace dao::detail
