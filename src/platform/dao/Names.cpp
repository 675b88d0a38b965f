#include "Names.h"

#include "Connection.h"
#include "Error.h"
#include "Sqlite.h"

namespace dao::detail {

namespace {

constexpr int MaxNameLength = 64;

void validateName(const QString &name, const QString &what)
{
    if (name.isEmpty())
        throw Error(errInvalidName, QStringLiteral("A %1 name cannot be empty.").arg(what));
    const QString quoted = quotedName(name);
    if (name.size() > MaxNameLength)
        throw Error(errInvalidName,
                    QStringLiteral("The %1 name %2 is too long: a name has at most %3 "
                                   "characters.")
                        .arg(what, quoted, QString::number(MaxNameLength)));
    if (name.front() == QLatin1Char(' '))
        throw Error(errInvalidName, QStringLiteral("The %1 name %2 starts with a blank, which a "
                                                   "name cannot do.")
                                        .arg(what, quoted));
    if (!name.isValidUtf16())
        throw Error(errInvalidName,
                    QStringLiteral("The %1 name %2 holds characters that are not valid text.")
                        .arg(what, quoted));
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            throw Error(errInvalidName, QStringLiteral("The %1 name %2 holds a control "
                                                       "character, which a name cannot hold.")
                                            .arg(what, quoted));
        if (QStringView(u".!`[]").contains(c))
            throw Error(errInvalidName,
                        QStringLiteral("The %1 name %2 holds the character %3; a name cannot "
                                       "hold any of . ! ` [ ].")
                            .arg(what, quoted, QString(c)));
    }
}

} // namespace

void validateTableName(const QString &name)
{
    validateName(name, QStringLiteral("table"));
    if (isReservedTableName(name))
        throw Error(errInvalidName,
                    QStringLiteral("The table name %1 is reserved for the database engine.")
                        .arg(quotedName(name)));
}

void validateFieldName(const QString &name)
{
    validateName(name, QStringLiteral("field"));
    for (const char *reserved : {"rowid", "_rowid_", "oid"}) {
        if (QString::compare(name, QLatin1String(reserved), Qt::CaseInsensitive) == 0)
            throw Error(errInvalidName,
                        QStringLiteral("The field name %1 is reserved for the database engine.")
                            .arg(quotedName(name)));
    }
}

void validateFieldType(const QString &fieldName, int type)
{
    if (type != dbText && type != dbMemo)
        throw Error(errInvalidFieldType,
                    QStringLiteral("The field %1 has the type %2; the engine keeps Text (10) and "
                                   "Memo (12) fields only.")
                        .arg(quotedName(fieldName), QString::number(type)));
}

void validateFields(const QList<Field> &fields, const QString &tableName)
{
    if (fields.isEmpty())
        throw Error(errNoFields, QStringLiteral("The table %1 has no fields; a table needs at "
                                                "least one.")
                                     .arg(quotedName(tableName)));
    for (qsizetype i = 0; i < fields.size(); ++i) {
        validateFieldName(fields[i].Name);
        validateFieldType(fields[i].Name, fields[i].Type);
        for (qsizetype j = 0; j < i; ++j) {
            if (QString::compare(fields[i].Name, fields[j].Name, Qt::CaseInsensitive) == 0)
                throw Error(errFieldDefinedTwice,
                            QStringLiteral("The table %1 has the field %2 twice.")
                                .arg(quotedName(tableName), quotedName(fields[i].Name)));
        }
    }
}

} // namespace dao::detail
