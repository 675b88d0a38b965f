// kitchenex-jet-reader FILE [TABLE...]
//
// Reads a Jet database with libmdb and writes, on standard output, its user tables and the rows
// of the tables named, or the reason it could not. Run by JetReaderProcess: a damaged file can
// make libmdb crash, and then only this process ends.

#include "JetFile.h"
#include "JetStream.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <unistd.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // Our answer goes to the original standard output; anything libmdb prints there goes to
    // standard error instead, with its warnings.
    const int answerFd = dup(STDOUT_FILENO);
    if (answerFd < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        return 3;
    QFile answer;
    if (!answer.open(answerFd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle))
        return 3;
    setenv("MDB_ICONV", "UTF-8", 1);

    const QStringList args = QCoreApplication::arguments().mid(1);
    QByteArray message;
    int status = 0;
    if (args.isEmpty()) {
        message =
            jet::stream::encodeError(QStringLiteral("usage: kitchenex-jet-reader FILE [TABLE...]"));
        status = 2;
    } else {
        try {
            jet::JetFile file(args.first());
            jet::ReadResult result;
            result.jetVersion = file.jetVersion();
            result.tables = file.tables();
            for (const QString &table : args.mid(1))
                result.data.append(file.read(table));
            message = jet::stream::encode(result);
        } catch (const jet::JetError &e) {
            message = jet::stream::encodeError(e.message());
            status = 1;
        } catch (const std::bad_alloc &) {
            message = jet::stream::encodeError(
                QStringLiteral("%1 cannot be read: it asks for more memory than there is")
                    .arg(args.first()));
            status = 1;
        }
    }
    if (answer.write(message) != message.size() || !answer.flush())
        return 3;
    return status;
}
