#include "PropertyBag.h"

#include <QFont>
#include <QPixmap>

namespace vb {

namespace {
bool sameValue(const QVariant &a, const QVariant &b)
{
    if (!a.isValid() || !b.isValid())
        return a.isValid() == b.isValid();
    if (a.metaType() == QMetaType::fromType<QPixmap>() &&
        b.metaType() == QMetaType::fromType<QPixmap>())
        return a.value<QPixmap>().cacheKey() == b.value<QPixmap>().cacheKey();
    return a == b;
}
} // namespace

qsizetype PropertyBag::indexOf(const QString &key) const
{
    for (qsizetype i = 0; i < m_items.size(); ++i)
        if (m_items.at(i).key.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant PropertyBag::ReadProperty(const QString &key, const QVariant &defaultValue) const
{
    const qsizetype i = indexOf(key);
    if (i < 0)
        return defaultValue;
    const QVariant &stored = m_items.at(i).value;
    if (!defaultValue.isValid() || stored.metaType() == defaultValue.metaType())
        return stored;
    // The default gives the property its type: a value stored as another type is converted
    // ("1" for a Long), and one that cannot be converted reads as the default.
    QVariant converted = stored;
    if (!converted.convert(defaultValue.metaType()))
        return defaultValue;
    return converted;
}

void PropertyBag::WriteProperty(const QString &key, const QVariant &value,
                                const QVariant &defaultValue)
{
    const qsizetype i = indexOf(key);
    if (sameValue(value, defaultValue)) {
        if (i >= 0)
            m_items.removeAt(i);
        return;
    }
    if (i >= 0)
        m_items[i].value = value;
    else
        m_items.append({key, value});
}

bool PropertyBag::contains(const QString &key) const
{
    return indexOf(key) >= 0;
}

QStringList PropertyBag::keys() const
{
    QStringList result;
    for (const Item &item : m_items)
        result.append(item.key);
    return result;
}

} // namespace vb
