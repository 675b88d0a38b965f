#pragma once

#include "Field.h"

#include <QList>
#include <QString>

namespace dao {

class TableDefCollection;

// A table definition. Made by Database::CreateTableDef; a table of the file is created when
// the definition is appended to the database's TableDefs.
class TableDef
{
public:
    TableDef() = default;
    explicit TableDef(QString name) : m_name(std::move(name)) {}

    QString Name() const { return m_name; }

    // CreateField(name, type): a field definition of the given type (dbText or dbMemo).
    // Any other type is refused with errInvalidName's sibling message.
    Field CreateField(const QString &name, int type) const;

    // The field list of this definition; Fields().Append(f) adds one at the end.
    class FieldList
    {
    public:
        void Append(const Field &field);
        int Count() const { return int(m_fields.size()); }
        const Field &operator[](int index) const { return m_fields.at(index); }
        QList<Field>::const_iterator begin() const { return m_fields.begin(); }
        QList<Field>::const_iterator end() const { return m_fields.end(); }

    private:
        // The definitions read from a file are taken as they are, even where the file holds
        // names this engine would not make itself.
        friend class TableDefCollection;
        QList<Field> m_fields;
    };

    FieldList &Fields() { return m_fieldList; }
    const FieldList &Fields() const { return m_fieldList; }

private:
    QString m_name;
    FieldList m_fieldList;
};

} // namespace dao
