// Backups beside the database and the start-up check. A backup is made with SQLite's backup
// API, so it is one consistent snapshot, and only then put in place: a failure on the way
// never costs an older backup.
#include "Backup.h"

#include "History.h"
#include "RecipeBas.h"
#include "platform/dao/Database.h"
#include "platform/dao/Maintenance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

namespace RecipeBas {

namespace {

// The database this run has a backup of ("" until the first change).
QString g_backedUp;
std::function<void()> g_beforeChange;

QString quotedPath(const QString &path)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

// After the renames, the folder itself is synced, so the new names survive a power cut.
void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

[[noreturn]] void noBackup(int number, const QString &why)
{
    throw dao::Error(number, QStringLiteral("No backup copy of the recipe database could be made, "
                                            "so nothing was changed.\r\n%1")
                                 .arg(why));
}

// Puts `fresh` in place as the newest backup; each older one moves down one place.
void rotateInto(const QString &file, const QString &fresh)
{
    for (int generation = BackupsKept - 1; generation > 0; --generation) {
        const QString older = BackupFileName(file, generation);
        const QString newer = BackupFileName(file, generation - 1);
        if (!QFileInfo::exists(newer))
            continue;
        if (QFileInfo::exists(older) && !QFile::remove(older))
            noBackup(dao::errCannotOpenFile,
                     QStringLiteral("The old backup %1 cannot be removed.").arg(quotedPath(older)));
        if (!QFile::rename(newer, older))
            noBackup(dao::errCannotOpenFile,
                     QStringLiteral("The backup %1 cannot be renamed to %2.")
                         .arg(quotedPath(newer), quotedPath(older)));
    }
    if (!QFile::rename(fresh, BackupFileName(file, 0)))
        noBackup(dao::errCannotOpenFile,
                 QStringLiteral("The new backup %1 cannot be renamed to %2.")
                     .arg(quotedPath(fresh), quotedPath(BackupFileName(file, 0))));
}

} // namespace

QString BackupFileName(const QString &databaseFile, int generation)
{
    const QString newest = databaseFile + QStringLiteral(".bak");
    return generation == 0 ? newest : newest + QLatin1Char('.') + QString::number(generation);
}

QStringList BackupFiles(const QString &databaseFile)
{
    QStringList files;
    for (int generation = 0; generation < BackupsKept; ++generation) {
        const QString name = BackupFileName(databaseFile, generation);
        if (QFileInfo(name).isFile())
            files.append(name);
    }
    return files;
}

QString DataBaseFile()
{
    return QFileInfo(DataPath + QStringLiteral(".mdb")).absoluteFilePath();
}

void KeepBackupBeforeChange()
{
    if (g_beforeChange)
        g_beforeChange();
    const QString file = DataBaseFile();
    if (g_backedUp == file)
        return;
    // A copy left half made by a run that was killed is thrown away first.
    const QString fresh = file + QStringLiteral(".bak.new");
    if (QFileInfo(fresh).isFile() || QFileInfo(fresh).isSymLink())
        QFile::remove(fresh);
    QFile::remove(fresh + QStringLiteral("-journal"));
    try {
        dao::Maintenance::CopyDatabase(file, fresh);
    } catch (const dao::Error &e) {
        noBackup(e.number(), e.message());
    }
    rotateInto(file, fresh);
    syncFolder(QFileInfo(file).absolutePath());
    g_backedUp = file;
    // From the run's first change on, every change is recorded for undo. A file whose history
    // cannot be made now is changed all the same, without it.
    try {
        EnsureHistory();
    } catch (const dao::Error &) {
    }
}

void StartBackupRun()
{
    g_backedUp.clear();
}

void SetBeforeChange(std::function<void()> wait)
{
    g_beforeChange = std::move(wait);
}

std::unique_ptr<dao::Database> CheckRecipeDataBase()
{
    return dao::Maintenance::OpenChecked(DataPath, ConnectString);
}

} // namespace RecipeBas
