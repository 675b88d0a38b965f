#pragma once

#include "Field.h"

#include <QList>
#include <QString>

namespace dao::detail {

// The rules a table or field name must meet (the ones Jet users know): not empty, at most 64
// characters, no leading blank, no control character, none of . ! ` [ ]. Table names that
// the engine keeps for itself are refused too, and so are field names that would hide the
// record number. Each raises errInvalidName with a sentence naming the name.
void validateTableName(const QString &name);
void validateFieldName(const QString &name);
// A field type the engine keeps (errInvalidFieldType otherwise).
void validateFieldType(const QString &fieldName, int type);
// Every field valid and no name twice, without regard to case (errFieldDefinedTwice).
void validateFields(const QList<Field> &fields, const QString &tableName);

} // namespace dao::detail
