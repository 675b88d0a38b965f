#include "ListBox.h"

#include <QStringListModel>

namespace vb {

ListBox::ListBox(QWidget *parent) : QListView(parent), m_model(new QStringListModel(this))
{
    setModel(m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
}

void ListBox::AddItem(const QString &text)
{
    AddItems({text});
}

void ListBox::AddItems(const QStringList &texts)
{
    if (texts.isEmpty())
        return;
    if (m_model->rowCount() == 0) {
        m_model->setStringList(texts); // shares the caller's list; nothing is copied
        return;
    }
    const int first = m_model->rowCount();
    m_model->insertRows(first, int(texts.size()));
    for (int i = 0; i < texts.size(); ++i)
        m_model->setData(m_model->index(first + i), texts.at(i));
}

int ListBox::ListCount() const
{
    return m_model->rowCount();
}

QString ListBox::List(int index) const
{
    if (index < 0 || index >= m_model->rowCount())
        return QString();
    return m_model->stringList().at(index);
}

QStringList ListBox::Items() const
{
    return m_model->stringList();
}

void ListBox::Clear()
{
    m_model->setStringList(QStringList());
}

} // namespace vb
