#include "JetTable.h"

namespace jet {

QString columnTypeName(int type)
{
    switch (type) {
    case Boolean:
        return QStringLiteral("Yes/No");
    case Byte:
        return QStringLiteral("Byte");
    case Integer:
        return QStringLiteral("Integer");
    case LongInteger:
        return QStringLiteral("Long Integer");
    case Currency:
        return QStringLiteral("Currency");
    case Single:
        return QStringLiteral("Single");
    case Double:
        return QStringLiteral("Double");
    case DateTime:
        return QStringLiteral("Date/Time");
    case Binary:
        return QStringLiteral("Binary");
    case Text:
        return QStringLiteral("Text");
    case OleObject:
        return QStringLiteral("OLE Object");
    case Memo:
        return QStringLiteral("Memo");
    case ReplicationId:
        return QStringLiteral("Replication ID");
    case Numeric:
        return QStringLiteral("Decimal");
    case Complex:
        return QStringLiteral("Attachment or multi-value");
    default:
        return QStringLiteral("type %1").arg(type);
    }
}

} // namespace jet
