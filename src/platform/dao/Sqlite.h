#pragma once

// Small owners of SQLite's connection and statement handles. Private to the engine: nothing
// outside src/platform/dao sees an sqlite3 type.

#include <QString>
#include <QVariant>
#include <QtGlobal>

struct sqlite3;
struct sqlite3_stmt;

namespace dao::detail {

// Raises the dao::Error that fits an SQLite result code. `file` is the database's path and
// `doing` a short phrase such as "reading the table \"Soups\"" for the message.
[[noreturn]] void raiseSqlite(int rc, const QString &sqliteMessage, const QString &file,
                              const QString &doing);

// The path as it appears in messages.
QString quotedFile(const QString &path);
// A table or field name as it appears in messages.
QString quotedName(const QString &name);

// An SQL identifier in double quotes, inner quotes doubled. Identifiers cannot be bound, so
// this is the one way a table or field name reaches SQL text.
QString quoteIdentifier(const QString &name);

class SqliteHandle
{
public:
    SqliteHandle() = default;
    ~SqliteHandle();
    Q_DISABLE_COPY_MOVE(SqliteHandle)

    // Opens without ever creating the file unless `flags` asks for it. Returns SQLite's result
    // code; on failure the handle is closed again and `message` says why.
    int open(const QString &path, int flags, QString *message);
    void close();
    sqlite3 *get() const { return m_db; }
    QString lastMessage() const;

private:
    sqlite3 *m_db = nullptr;
};

// A prepared statement. Every call that fails raises a dao::Error naming the file and what was
// being done; reset() is called after each use so that no read lock outlives an engine call.
class Statement
{
public:
    Statement() = default;
    ~Statement();
    Q_DISABLE_COPY_MOVE(Statement)

    void prepare(sqlite3 *db, const QString &sql, const QString &file, const QString &doing);
    bool isPrepared() const { return m_stmt != nullptr; }
    void finalize();

    void bindNull(int index);
    void bindInt64(int index, qint64 value);
    void bindText(int index, const QString &text);
    void bindBlob(int index, const QByteArray &bytes);
    // An invalid QVariant binds NULL; anything else binds its text.
    void bindValue(int index, const QVariant &value);

    // True when a row is ready, false when the statement is done; raises on failure.
    bool step();
    // Runs the statement to its end and resets it.
    void run();
    // Resets and clears the bindings; never raises.
    void reset();

    int columnCount() const;
    bool columnIsNull(int column) const;
    qint64 columnInt64(int column) const;
    QString columnText(int column) const;
    QByteArray columnBlob(int column) const;
    // NULL reads as an invalid QVariant, anything else as a QString.
    QVariant columnValue(int column) const;
    // Bytes the last columnValue/columnText of that column held (for cache budgets).
    int columnBytes16(int column) const;

    // Rows changed by the last INSERT, UPDATE or DELETE of this statement's connection.
    int changes() const;
    // The row number of the last INSERT of this statement's connection.
    qint64 lastInsertRowid() const;

    void setDoing(const QString &doing) { m_doing = doing; }

private:
    [[noreturn]] void fail(int rc) const;

    sqlite3_stmt *m_stmt = nullptr;
    sqlite3 *m_db = nullptr;
    QString m_file;
    QString m_doing;
};

} // namespace dao::detail
