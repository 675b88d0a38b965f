#pragma once

#include "JetError.h"
#include "JetTable.h"

#include <QByteArray>
#include <QList>

namespace jet {

// What the reader process hands back: the file's user tables and the rows of those asked for.
struct ReadResult
{
    int jetVersion = 0;
    QList<Table> tables;
    QList<TableData> data;
};

// The reader process writes one message on its standard output: either a ReadResult or the
// sentence that says why the file could not be read.
namespace stream {
QByteArray encode(const ReadResult &result);
QByteArray encodeError(const QString &message);
// Throws JetError with the reader's sentence, or when the message is not whole.
ReadResult decode(const QByteArray &message);
} // namespace stream

} // namespace jet
