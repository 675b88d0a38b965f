#include "TableDef.h"

#include "Error.h"
#include "Names.h"
#include "Sqlite.h"

namespace dao {

namespace {
constexpr int TextSize = 255;
}

Field TableDef::CreateField(const QString &name, int type) const
{
    detail::validateFieldName(name);
    detail::validateFieldType(name, type);
    Field field;
    field.Name = name;
    field.Type = type;
    field.Size = type == dbText ? TextSize : 0;
    return field;
}

void TableDef::FieldList::Append(const Field &field)
{
    detail::validateFieldName(field.Name);
    detail::validateFieldType(field.Name, field.Type);
    for (const Field &existing : m_fields) {
        if (QString::compare(existing.Name, field.Name, Qt::CaseInsensitive) == 0)
            throw Error(errFieldDefinedTwice,
                        QStringLiteral("The field %1 is in this table definition already.")
                            .arg(detail::quotedName(field.Name)));
    }
    // A Text field holds 255 characters unless a smaller size was asked for.
    Field stored = field;
    if (field.Type == dbMemo)
        stored.Size = 0;
    else if (field.Size <= 0 || field.Size > TextSize)
        stored.Size = TextSize;
    m_fields.append(stored);
}

} // namespace dao
