#pragma once

#include <QStyledItemDelegate>

// Draws a found recipe on two lines: its name and author with the category at the right, then
// the snippet with the matched words marked.
class FindResultDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
