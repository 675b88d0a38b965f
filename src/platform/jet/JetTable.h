#pragma once

#include <QList>
#include <QString>
#include <QVariant>

namespace jet {

// Column types as Jet stores them in a table definition.
enum ColumnType : int
{
    Boolean = 0x01,
    Byte = 0x02,
    Integer = 0x03,
    LongInteger = 0x04,
    Currency = 0x05,
    Single = 0x06,
    Double = 0x07,
    DateTime = 0x08,
    Binary = 0x09,
    Text = 0x0a,
    OleObject = 0x0b,
    Memo = 0x0c,
    ReplicationId = 0x0f,
    Numeric = 0x10,
    Complex = 0x12,
};

// A readable name of a column type ("Text", "Memo", "Long Integer", ...).
QString columnTypeName(int type);

struct Column
{
    QString name;
    int type = Text;
    int size = 0; // bytes as stored: Text columns of Jet 4 hold two bytes a character
};

// A user table of a Jet file: its columns by position and the row count its definition holds.
struct Table
{
    QString name;
    QList<Column> columns;
    qint64 rowCount = 0;
};

// One row: a value per column by position. A null is an invalid QVariant; Text and Memo come
// as QString, Boolean as bool, OLE Object and Binary as QByteArray, every other type as the
// text libmdb makes of it.
using Row = QList<QVariant>;

struct TableData
{
    Table table;
    QList<Row> rows; // in stored order
    // Text values that held characters outside the Basic Multilingual Plane (emoji and the
    // like): libmdb turns each of those characters into "?", so the caller can tell the user.
    int valuesWithLostCharacters = 0;
};

} // namespace jet
