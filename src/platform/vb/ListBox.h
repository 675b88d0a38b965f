#pragma once

#include <QListView>
#include <QStringList>

class QStringListModel;

namespace vb {

// A list box of plain texts. The texts are kept as one string list behind the view, so a
// thousand texts added at once are one copy of a list rather than a thousand items, and all of
// them are read back the same way.
class ListBox : public QListView
{
    Q_OBJECT
public:
    explicit ListBox(QWidget *parent = nullptr);

    void AddItem(const QString &text);
    void AddItems(const QStringList &texts);
    int ListCount() const;
    // The text at index, counted from 0; "" outside the list.
    QString List(int index) const;
    // Every text, in order.
    QStringList Items() const;
    void Clear();

private:
    QStringListModel *m_model;
};

} // namespace vb
