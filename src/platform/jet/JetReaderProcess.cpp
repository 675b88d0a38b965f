#include "JetReaderProcess.h"

#include "JetHeader.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <cstdio>

namespace jet {

QString JetReaderProcess::program()
{
    const QString name = QString::fromLatin1(ProgramName);
    // Installed, the reader lives in a folder of its own beside bin/; in the build folder and
    // in a portable copy it sits beside the program.
    const QString running = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    const QDir folder = QFileInfo(running).absoluteDir();
    for (const QString &candidate :
         {folder.filePath(QStringLiteral(KX_JET_READER_FROM_PROGRAM "/") + name),
          folder.filePath(name)}) {
        if (!running.isEmpty() && QFileInfo(candidate).isExecutable())
            return QDir::cleanPath(candidate);
    }
#ifdef KX_JET_READER_BUILD_PATH
    // Test programs live in another folder of the build than the program and its tools. A
    // program that does not run from the build (an installed one) never looks there.
    const QString built = QString::fromUtf8(KX_JET_READER_BUILD_PATH);
    if (running.startsWith(QStringLiteral(KX_BUILD_DIR "/")) && QFileInfo(built).isExecutable())
        return built;
#endif
    return name;
}

ReadResult JetReaderProcess::read(const QString &path, const QStringList &tablesToRead,
                                  int timeoutMs)
{
    // The header and the page count are checked here as well, so that the common refusals
    // (not a Jet file, an .accdb, a truncated copy) need no child process.
    const JetHeader header = JetHeader::inspect(path);
    if (!header.problem().isEmpty())
        throw JetError(header.problem());

    const QString shown = QDir::toNativeSeparators(path);
    if (timeoutMs <= 0)
        timeoutMs = int(20000 + qMin<qint64>(QFileInfo(path).size() / 1024 / 1024, 100000) * 1000);
    QProcess reader;
    reader.setProgram(program());
    reader.setArguments(QStringList{QFileInfo(path).absoluteFilePath()} + tablesToRead);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MDB_ICONV"), QStringLiteral("UTF-8"));
    reader.setProcessEnvironment(environment);
    reader.start(QIODevice::ReadOnly);
    if (!reader.waitForStarted())
        throw JetError(QStringLiteral("The Jet reader (%1) could not be started: %2")
                           .arg(reader.program(), reader.errorString()));

    QByteArray warnings;
    qint64 warningsLeftOut = 0;
    auto collectWarnings = [&] {
        const QByteArray more = reader.readAllStandardError();
        const qint64 room = qMax<qint64>(0, WarningBytesKept - warnings.size());
        warnings.append(more.left(room));
        warningsLeftOut += qMax<qint64>(0, more.size() - room);
    };
    QElapsedTimer clock;
    clock.start();
    bool finished = false;
    while (!finished && clock.elapsed() < timeoutMs) {
        finished = reader.waitForFinished(100);
        collectWarnings();
    }
    if (!warnings.isEmpty()) {
        if (warningsLeftOut > 0)
            warnings.append(QStringLiteral("(%1 more bytes of warnings left out)\n")
                                .arg(warningsLeftOut)
                                .toUtf8());
        fwrite(warnings.constData(), 1, size_t(warnings.size()), stderr);
    }
    if (!finished) {
        reader.kill();
        reader.waitForFinished();
        throw JetError(QStringLiteral("%1 cannot be read: reading it took longer than %2 seconds "
                                      "and was stopped, the file is probably damaged")
                           .arg(shown)
                           .arg(timeoutMs / 1000));
    }
    const QByteArray answer = reader.readAllStandardOutput();
    if (reader.exitStatus() == QProcess::CrashExit)
        throw JetError(QStringLiteral("%1 cannot be read: the Jet reader stopped on it, the file "
                                      "is probably damaged")
                           .arg(shown));
    ReadResult result = stream::decode(answer); // throws the reader's own sentence
    if (reader.exitCode() != 0)
        throw JetError(QStringLiteral("The Jet reader failed on %1").arg(shown));
    return result;
}

} // namespace jet
