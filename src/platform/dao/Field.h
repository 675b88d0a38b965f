#pragma once

#include <QString>
#include <QVariant>

namespace dao {

enum FieldType : int
{
    dbText = 10, // at most 255 characters
    dbMemo = 12, // unlimited
};

// The definition of one field of a table: what CreateField makes and TableDef::Fields lists.
struct Field
{
    QString Name;
    int Type = dbText;
    int Size = 0; // 255 for Text, 0 for Memo
};

} // namespace dao
