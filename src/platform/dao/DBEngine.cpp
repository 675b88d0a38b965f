#include "DBEngine.h"

#include "Connection.h"
#include "Error.h"
#include "Sqlite.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <sqlite3.h>

#include <array>
#include <atomic>

namespace dao {

using detail::quotedFile;

namespace {

std::atomic<int> g_lockTimeoutMs{5000};

constexpr int FormatVersion = 1;
constexpr int SaltBytes = 16;
const QByteArray SqliteMagic("SQLite format 3\0", 16);

// "Recipe" becomes "Recipe.mdb"; a file name with any extension is left as it is.
QString withDefaultExtension(const QString &name)
{
    if (QFileInfo(name).fileName().contains(QLatin1Char('.')))
        return name;
    return name + QStringLiteral(".mdb");
}

// The value of the Pwd key of a connect string such as ";Pwd=secret" (keys without regard to
// case); no key means no password.
QString passwordOf(const QString &connect)
{
    const QStringList parts = connect.split(QLatin1Char(';'));
    for (const QString &part : parts) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        if (part.left(eq).trimmed().compare(QLatin1String("pwd"), Qt::CaseInsensitive) == 0)
            return part.mid(eq + 1);
    }
    return QString();
}

QByteArray passwordHash(const QByteArray &salt, const QString &password)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(salt);
    hash.addData(password.toUtf8());
    return hash.result();
}

// Compares without stopping at the first difference.
bool sameBytes(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

Error notOurs(const QString &path, const QString &why)
{
    return Error(errUnrecognizedFormat,
                 QStringLiteral("The file %1 is not a Kitchenex recipe database: %2.")
                     .arg(quotedFile(path), why));
}

void configure(detail::Connection &conn, bool exclusive)
{
    sqlite3 *db = conn.db();
    sqlite3_busy_timeout(db, g_lockTimeoutMs.load());
    // A file may come from anywhere: its schema gets no say over what runs.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    const QString doing = QStringLiteral("opening it");
    if (exclusive)
        conn.exec(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"), doing);
    // A full sync makes every committed write survive a power cut.
    conn.exec(QStringLiteral("PRAGMA synchronous = FULL"), doing);
}

std::shared_ptr<detail::Connection> openConnection(const QString &path, bool readOnly, int flags,
                                                   bool exclusive)
{
    auto conn = std::make_shared<detail::Connection>(path, readOnly);
    QString message;
    const int rc = conn->handle.open(path, flags, &message);
    if (rc != SQLITE_OK)
        detail::raiseSqlite(rc, message, path, QStringLiteral("opening it"));
    configure(*conn, exclusive);
    return conn;
}

QByteArray metaValue(detail::Connection &conn, const QString &key)
{
    detail::Statement stmt;
    stmt.prepare(conn.db(), QStringLiteral("SELECT value FROM _kx_meta WHERE key = ?1"), conn.path,
                 QStringLiteral("opening it"));
    stmt.bindText(1, key);
    QByteArray value;
    if (stmt.step())
        value = stmt.columnBlob(0);
    stmt.reset();
    return value;
}

void checkOurs(detail::Connection &conn, const QString &password)
{
    const QString doing = QStringLiteral("opening it");
    detail::Statement stmt;
    stmt.prepare(conn.db(), QStringLiteral("PRAGMA application_id"), conn.path, doing);
    stmt.step();
    const qint64 applicationId = stmt.columnInt64(0);
    stmt.reset();
    if (applicationId != DBEngine::ApplicationId)
        throw notOurs(conn.path, QStringLiteral("it is a database of another program"));

    // Reading the schema also finds most damage to the file's first pages.
    stmt.prepare(conn.db(),
                 QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                                "name IN ('_kx_meta', '_kx_fields')"),
                 conn.path, doing);
    stmt.step();
    const qint64 bookkeeping = stmt.columnInt64(0);
    stmt.reset();
    if (bookkeeping != 2)
        throw Error(errDatabaseDamaged,
                    QStringLiteral("The database %1 is damaged: the engine's own tables are "
                                   "missing.")
                        .arg(quotedFile(conn.path)));

    const int format = QString::fromUtf8(metaValue(conn, QStringLiteral("format"))).toInt();
    if (format < 1)
        throw Error(errDatabaseDamaged,
                    QStringLiteral("The database %1 is damaged: its format version is missing.")
                        .arg(quotedFile(conn.path)));
    if (format > FormatVersion)
        throw notOurs(conn.path, QStringLiteral("it was made by a newer version of Kitchenex"));

    const QByteArray salt = metaValue(conn, QStringLiteral("password_salt"));
    const QByteArray hash = metaValue(conn, QStringLiteral("password_hash"));
    if (!sameBytes(passwordHash(salt, password), hash))
        throw Error(errNotValidPassword,
                    QStringLiteral("The password for the database %1 is not valid.")
                        .arg(quotedFile(conn.path)));
}

} // namespace

void DBEngine::SetLockTimeout(int milliseconds)
{
    g_lockTimeoutMs.store(qMax(0, milliseconds));
}

int DBEngine::LockTimeout()
{
    return g_lockTimeoutMs.load();
}

std::unique_ptr<Database> DBEngine::OpenDatabase(const QString &name, bool exclusive, bool readOnly,
                                                 const QString &connect)
{
    if (name.isEmpty())
        throw Error(errFileNotFound, QStringLiteral("No database file was named."));
    const QString path = QFileInfo(withDefaultExtension(name)).absoluteFilePath();
    const QFileInfo info(path);
    if (!info.exists())
        throw Error(errFileNotFound,
                    QStringLiteral("The database file %1 does not exist.").arg(quotedFile(path)));
    if (info.isDir())
        throw Error(errCannotOpenFile,
                    QStringLiteral("%1 is a folder, not a database file.").arg(quotedFile(path)));

    // The first bytes say whether this is an SQLite file at all; SQLite is not asked to make
    // sense of anything else.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(errCannotOpenFile, QStringLiteral("The database file %1 cannot be opened: %2.")
                                           .arg(quotedFile(path), file.errorString()));
    const QByteArray head = file.read(SqliteMagic.size());
    file.close();
    if (head.isEmpty())
        throw notOurs(path, QStringLiteral("the file is empty"));
    if (!head.startsWith(SqliteMagic))
        throw notOurs(path, QStringLiteral("it is not a database file"));

    const int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    auto conn = openConnection(path, readOnly, flags, exclusive);
    checkOurs(*conn, passwordOf(connect));
    // A rollback journal keeps the whole database in the one file between writes; this also
    // brings back a file another program switched to a write-ahead log.
    if (!readOnly)
        conn->exec(QStringLiteral("PRAGMA journal_mode = DELETE"), QStringLiteral("opening it"));
    return std::unique_ptr<Database>(new Database(conn));
}

std::unique_ptr<Database> DBEngine::CreateDatabase(const QString &path, const QString &password)
{
    if (path.isEmpty())
        throw Error(errCannotOpenFile, QStringLiteral("No database file was named."));
    if (password.contains(QLatin1Char(';')))
        throw Error(errNotValidPassword,
                    QStringLiteral("A database password cannot hold a semicolon."));
    const QString full = QFileInfo(withDefaultExtension(path)).absoluteFilePath();
    const QFileInfo info(full);
    const Error exists(errDatabaseExists, QStringLiteral("%1 exists already; a new database is "
                                                         "never written over an existing file.")
                                              .arg(quotedFile(full)));
    if (info.exists() || info.isSymLink())
        throw exists;

    // Creating the file with O_EXCL settles a race with anybody else creating it.
    QFile file(full);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (QFileInfo::exists(full))
            throw exists;
        throw Error(errCannotOpenFile, QStringLiteral("The database file %1 cannot be created: "
                                                      "%2.")
                                           .arg(quotedFile(full), file.errorString()));
    }
    file.close();

    std::shared_ptr<detail::Connection> conn;
    try {
        conn = openConnection(full, false, SQLITE_OPEN_READWRITE, false);
        const QString doing = QStringLiteral("creating it");
        // UTF-16 is what the engine hands over and reads back: text is stored as given, with
        // no conversion on the way in or out.
        conn->exec(QStringLiteral("PRAGMA encoding = 'UTF-16le'"), doing);
        conn->exec(QStringLiteral("PRAGMA journal_mode = DELETE"), doing);
        detail::WriteTransaction tx(*conn, doing);
        conn->exec(QStringLiteral("PRAGMA application_id = %1").arg(ApplicationId), doing);
        conn->exec(QStringLiteral("CREATE TABLE _kx_meta (key TEXT PRIMARY KEY, value BLOB)"),
                   doing);
        conn->exec(QStringLiteral("CREATE TABLE _kx_fields (table_name TEXT NOT NULL, "
                                  "position INTEGER NOT NULL, name TEXT NOT NULL, "
                                  "type INTEGER NOT NULL, size INTEGER NOT NULL, "
                                  "PRIMARY KEY (table_name, position))"),
                   doing);
        // A new file has its find index from the start, kept in step by every write.
        detail::createFindIndex(*conn, true);
        std::array<quint32, SaltBytes / 4> words{};
        QRandomGenerator::system()->generate(words.begin(), words.end());
        const QByteArray salt(reinterpret_cast<const char *>(words.data()), SaltBytes);
        detail::Statement meta;
        meta.prepare(conn->db(),
                     QStringLiteral("INSERT INTO _kx_meta (key, value) VALUES (?1, ?2)"), full,
                     doing);
        const QList<QPair<QString, QByteArray>> values = {
            {QStringLiteral("format"), QByteArray::number(FormatVersion)},
            {QStringLiteral("password_salt"), salt},
            {QStringLiteral("password_hash"), passwordHash(salt, password)},
        };
        for (const auto &[key, value] : values) {
            meta.bindText(1, key);
            meta.bindBlob(2, value);
            meta.run();
        }
        tx.commit();
    } catch (...) {
        // The file was made here a moment ago: nothing of anybody else's is removed.
        conn.reset();
        QFile::remove(full);
        QFile::remove(full + QStringLiteral("-journal"));
        throw;
    }
    return std::unique_ptr<Database>(new Database(conn));
}

} // namespace dao
