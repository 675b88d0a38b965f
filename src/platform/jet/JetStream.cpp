#include "JetStream.h"

#include <QDataStream>
#include <QIODevice>

namespace jet::stream {

namespace {
constexpr quint32 Magic = 0x4b584a54; // "KXJT"
constexpr quint32 Version = 1;
constexpr qint8 StatusOk = 0;
constexpr qint8 StatusError = 1;
constexpr auto StreamVersion = QDataStream::Qt_6_4;

// A value: a tag, then the value. Only the kinds a Row holds exist.
enum ValueTag : qint8
{
    TagNull = 0,
    TagText = 1,
    TagBool = 2,
    TagBytes = 3
};

void writeValue(QDataStream &out, const QVariant &value)
{
    if (!value.isValid())
        out << qint8(TagNull);
    else if (value.typeId() == QMetaType::Bool)
        out << qint8(TagBool) << value.toBool();
    else if (value.typeId() == QMetaType::QByteArray)
        out << qint8(TagBytes) << value.toByteArray();
    else
        out << qint8(TagText) << value.toString();
}

QVariant readValue(QDataStream &in)
{
    qint8 tag = -1;
    in >> tag;
    switch (tag) {
    case TagNull:
        return QVariant();
    case TagBool: {
        bool b = false;
        in >> b;
        return b;
    }
    case TagBytes: {
        QByteArray bytes;
        in >> bytes;
        return bytes;
    }
    case TagText: {
        QString text;
        in >> text;
        if (text.isNull())
            text = QStringLiteral(""); // an empty text is a value, not a null
        return text;
    }
    default:
        in.setStatus(QDataStream::ReadCorruptData);
        return QVariant();
    }
}

void writeTable(QDataStream &out, const Table &table)
{
    out << table.name << qint32(table.columns.size());
    for (const Column &column : table.columns)
        out << column.name << qint32(column.type) << qint32(column.size);
    out << qint64(table.rowCount);
}

// Reads a count and checks it against what is left, so that a broken message cannot ask for
// more memory than it carries.
qint64 readCount(QDataStream &in, qint64 bytesPerItem)
{
    qint64 count = -1;
    in >> count;
    const qint64 left = in.device()->bytesAvailable();
    if (in.status() != QDataStream::Ok || count < 0 || count > left / bytesPerItem + 1)
        in.setStatus(QDataStream::ReadCorruptData);
    return in.status() == QDataStream::Ok ? count : 0;
}

Table readTable(QDataStream &in)
{
    Table table;
    qint32 columns = 0;
    in >> table.name >> columns;
    if (columns < 0 || columns > 4096)
        in.setStatus(QDataStream::ReadCorruptData);
    for (qint32 i = 0; i < columns && in.status() == QDataStream::Ok; ++i) {
        Column column;
        qint32 type = 0, size = 0;
        in >> column.name >> type >> size;
        column.type = type;
        column.size = size;
        table.columns.append(column);
    }
    qint64 rowCount = 0;
    in >> rowCount;
    table.rowCount = rowCount;
    return table;
}
} // namespace

QByteArray encode(const ReadResult &result)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(StreamVersion);
    out << Magic << Version << StatusOk << qint32(result.jetVersion);
    out << qint64(result.tables.size());
    for (const Table &table : result.tables)
        writeTable(out, table);
    out << qint64(result.data.size());
    for (const TableData &data : result.data) {
        writeTable(out, data.table);
        out << qint32(data.valuesWithLostCharacters) << qint64(data.rows.size());
        for (const Row &row : data.rows) {
            out << qint64(row.size());
            for (const QVariant &value : row)
                writeValue(out, value);
        }
    }
    return bytes;
}

QByteArray encodeError(const QString &message)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(StreamVersion);
    out << Magic << Version << StatusError << message;
    return bytes;
}

ReadResult decode(const QByteArray &message)
{
    QDataStream in(message);
    in.setVersion(StreamVersion);
    quint32 magic = 0, version = 0;
    qint8 status = -1;
    in >> magic >> version >> status;
    if (in.status() != QDataStream::Ok || magic != Magic || version != Version)
        throw JetError(QStringLiteral("The Jet reader gave no answer"));
    if (status == StatusError) {
        QString text;
        in >> text;
        if (in.status() != QDataStream::Ok || text.isEmpty())
            throw JetError(QStringLiteral("The Jet reader failed without saying why"));
        throw JetError(text);
    }

    ReadResult result;
    qint32 jetVersion = 0;
    in >> jetVersion;
    result.jetVersion = jetVersion;
    const qint64 tables = readCount(in, 16);
    for (qint64 i = 0; i < tables && in.status() == QDataStream::Ok; ++i)
        result.tables.append(readTable(in));
    const qint64 data = readCount(in, 16);
    for (qint64 i = 0; i < data && in.status() == QDataStream::Ok; ++i) {
        TableData table;
        table.table = readTable(in);
        qint32 lost = 0;
        in >> lost;
        table.valuesWithLostCharacters = lost;
        const qint64 rows = readCount(in, 8);
        for (qint64 r = 0; r < rows && in.status() == QDataStream::Ok; ++r) {
            const qint64 values = readCount(in, 1);
            Row row;
            for (qint64 v = 0; v < values && in.status() == QDataStream::Ok; ++v) {
                row.append(readValue(in));
            }
            table.rows.append(row);
        }
        result.data.append(table);
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        throw JetError(QStringLiteral("The answer of the Jet reader is incomplete"));
    return result;
}

} // namespace jet::stream
