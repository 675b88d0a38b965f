#pragma once

#include <QList>
#include <QString>
#include <QVariant>

namespace vb {

// The design data of a composite control: its stored properties. Keys are matched without
// regard to case; a value equal to its default is not stored, so "stored" and "not stored"
// can be told apart. Values are typed (QString, bool, int, QFont, QPixmap).
class PropertyBag
{
public:
    // The stored value, or defaultValue when the key is not stored. A valid default also gives
    // the type: the stored value is converted to it, and reads as the default if it cannot be.
    QVariant ReadProperty(const QString &key, const QVariant &defaultValue = QVariant()) const;

    // Stores value under key, or removes the key when value equals defaultValue.
    void WriteProperty(const QString &key, const QVariant &value,
                       const QVariant &defaultValue = QVariant());

    bool contains(const QString &key) const;
    QStringList keys() const; // the stored keys, in the order they were first written
    bool isEmpty() const { return m_items.isEmpty(); }

private:
    struct Item
    {
        QString key;
        QVariant value;
    };
    qsizetype indexOf(const QString &key) const;
    QList<Item> m_items;
};

} // namespace vb
