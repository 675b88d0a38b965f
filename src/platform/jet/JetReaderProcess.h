#pragma once

#include "JetError.h"
#include "JetStream.h"

#include <QString>
#include <QStringList>

namespace jet {

// Reads a Jet file in a child process (the program kitchenex-jet-reader, installed in
// libexec/kitchenex/ or beside this program in the build), so
// that a damaged file that makes libmdb crash or loop ends that child, not the caller. The
// child's warnings go to the caller's standard error, the first few kilobytes of them: on a
// damaged file libmdb can print millions of lines.
class JetReaderProcess
{
public:
    // The file's user tables, and every row of each table named in tablesToRead (in that
    // order). Throws JetError with a sentence for the user when the file cannot be read, when
    // the reader crashes on it or runs longer than timeoutMs (0: a time allowed by the file's
    // size, 20 seconds and one more a MiB).
    static ReadResult read(const QString &path, const QStringList &tablesToRead = {},
                           int timeoutMs = 0);

    // The reader program: ../libexec/kitchenex/ from the running program's folder, else beside
    // it, else, for a program of the build, where the build made it.
    static QString program();

    static constexpr qint64 WarningBytesKept = 16 * 1024;
    static constexpr const char *ProgramName = "kitchenex-jet-reader";
};

} // namespace jet
