// Where the recipes live: beside the program when it is portable, else in the user's data
// folder, with the starter database placed there on the first start.
#include "DataFolder.h"

#include "RecipeBas.h"
#include "platform/dao/Maintenance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DataFolder {

namespace {

const QString DatabaseName = QStringLiteral("Recipe.mdb");

QString shown(const QString &path)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

QString lastError()
{
    return qt_error_string(errno);
}

bool present(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Makes folder and every missing folder above it, each readable by its owner only (as the
// XDG base directories are made). "" when it is there, else why not.
QString makeFolder(const QString &folder)
{
    const QStringList parts = QDir::cleanPath(folder).split(QLatin1Char('/'));
    QString path;
    for (const QString &part : parts) {
        path += part + QLatin1Char('/');
        if (part.isEmpty())
            continue;
        if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0 && errno != EEXIST)
            return lastError();
    }
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("there is a file of that name");
    if (::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0)
        return lastError();
    return QString();
}

// Puts `from` in place as `to` unless `to` exists; true when `to` exists afterwards.
bool renameUnlessThere(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from), target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return true;
    if (errno == EEXIST)
        return true; // made meanwhile by another start: that one stays
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the no-replace rename: a hard link never replaces either.
    if (::link(source.constData(), target.constData()) != 0 && errno != EEXIST)
        return false;
    ::unlink(source.constData());
    return true;
}

// Copies the starter database into folder as Recipe.mdb. "" when done, else the problem.
QString placeStarter(const QString &starter, const QString &folder)
{
    const QString target = QDir(folder).filePath(DatabaseName);
    QFile source(starter);
    if (!source.open(QIODevice::ReadOnly))
        return QStringLiteral("There is no recipe database %1 yet, and the starter database "
                              "that comes with Kitchenex, %2, cannot be read (%3), so it was "
                              "not copied there.")
            .arg(shown(target), shown(starter), source.errorString());

    QTemporaryFile copy(QDir(folder).filePath(QStringLiteral("Recipe-XXXXXX.mdb.new")));
    bool written = copy.open();
    while (written && !source.atEnd()) {
        const QByteArray block = source.read(1 << 20);
        written = !block.isEmpty() && copy.write(block) == block.size();
    }
    written = written && copy.flush() && ::fsync(copy.handle()) == 0;
    copy.close();
    if (!written)
        return QStringLiteral("The starter recipe database could not be copied to %1: %2.")
            .arg(shown(target), copy.errorString());
    try {
        dao::Maintenance::CheckDatabase(copy.fileName(), RecipeBas::ConnectString);
    } catch (const dao::Error &e) {
        return QStringLiteral("The starter recipe database %1 did not pass its check, so it was "
                              "not copied to %2.\r\n%3")
            .arg(shown(starter), shown(target), e.message());
    }
    if (!renameUnlessThere(copy.fileName(), target))
        return QStringLiteral("The starter recipe database could not be put in place as %1: %2.")
            .arg(shown(target), lastError());
    copy.setAutoRemove(false);
    // The new name is synced with its folder, so it survives a power cut.
    const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return QString();
}

} // namespace

QString ProgramFolder()
{
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return program.isEmpty() ? QString() : QFileInfo(program).path();
}

QString UserDataFolder()
{
    // The XDG base directory rules: a relative path in the variable is to be ignored.
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir(base).filePath(QStringLiteral("kitchenex"));
}

Place Locate(const QString &programFolder)
{
    Place place;
    if (!programFolder.isEmpty() && present(QDir(programFolder).filePath(DatabaseName))) {
        place.folder = programFolder;
        place.portable = true;
        return place;
    }
    place.folder = UserDataFolder();
    const QString why = makeFolder(place.folder);
    if (!why.isEmpty()) {
        place.problem = QStringLiteral("Kitchenex keeps your recipes in the folder %1, but that "
                                       "folder cannot be made or written: %2.\r\n\r\nNothing "
                                       "was changed. Changes, backups and printing need a "
                                       "folder that can be written.")
                            .arg(shown(place.folder), why);
        return place;
    }
    if (present(QDir(place.folder).filePath(DatabaseName)))
        return place;
    const QString starter =
        QDir::cleanPath(QDir(programFolder).filePath(QStringLiteral(KX_STARTER_FROM_PROGRAM)));
    place.problem = placeStarter(starter, place.folder);
    return place;
}

} // namespace DataFolder
