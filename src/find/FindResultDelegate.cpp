#include "FindResultDelegate.h"

#include "FindResults.h"

#include <QApplication>
#include <QPainter>

namespace {

constexpr int Margin = 4;
// The ground of a matched word: a highlighter's yellow, readable on the selection too.
const QColor MarkColour(255, 226, 102);

QFont boldOf(QFont font)
{
    font.setBold(true);
    return font;
}

} // namespace

QSize FindResultDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    const QFontMetrics plain(option.font), bold(boldOf(option.font));
    return QSize(option.rect.width(), bold.height() + plain.height() + 3 * Margin);
}

void FindResultDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.text.clear();
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const bool selected = opt.state & QStyle::State_Selected;
    const QColor ink = opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    const QFont plain = opt.font, bold = boldOf(opt.font);
    const QFontMetrics plainMetrics(plain), boldMetrics(bold);
    const QRect area = opt.rect.adjusted(Margin, Margin, -Margin, -Margin);

    painter->save();
    painter->setClipRect(opt.rect);

    // First line: the category at the right, the name and author in what is left.
    QRect line(area.left(), area.top(), area.width(), boldMetrics.height());
    const QString category = plainMetrics.elidedText(
        index.data(FindResults::CategoryRole).toString(), Qt::ElideRight, area.width() / 3);
    const int categoryWidth = plainMetrics.horizontalAdvance(category);
    painter->setFont(plain);
    painter->setPen(selected ? ink : opt.palette.color(QPalette::PlaceholderText));
    painter->drawText(line, Qt::AlignRight | Qt::AlignVCenter, category);

    const int room = line.width() - categoryWidth - 2 * Margin;
    const QString name = boldMetrics.elidedText(index.data(FindResults::NameRole).toString(),
                                                Qt::ElideRight, qMax(0, room));
    const int nameWidth = boldMetrics.horizontalAdvance(name);
    painter->setPen(ink);
    painter->setFont(bold);
    painter->drawText(line, Qt::AlignLeft | Qt::AlignVCenter, name);
    const QString author = index.data(FindResults::AuthorRole).toString();
    if (!author.isEmpty() && room > nameWidth) {
        const QString by = plainMetrics.elidedText(QStringLiteral("  by ") + author, Qt::ElideRight,
                                                   room - nameWidth);
        painter->setFont(plain);
        painter->drawText(
            QRect(line.left() + nameWidth, line.top(), room - nameWidth, line.height()),
            Qt::AlignLeft | Qt::AlignVCenter, by);
    }

    // Second line: the snippet, matched words in bold on yellow, cut where the row ends.
    int x = area.left();
    const int top = line.bottom() + Margin;
    for (const FindResults::Piece &piece :
         FindResults::Pieces(index.data(FindResults::SnippetRole).toString())) {
        const QFontMetrics &metrics = piece.marked ? boldMetrics : plainMetrics;
        const int left = area.right() - x;
        if (left <= 0)
            break;
        QString text = piece.text;
        int width = metrics.horizontalAdvance(text);
        if (width > left) {
            text = metrics.elidedText(text, Qt::ElideRight, left);
            width = metrics.horizontalAdvance(text);
        }
        const QRect box(x, top, width, plainMetrics.height());
        if (piece.marked) {
            painter->fillRect(box, MarkColour);
            painter->setPen(Qt::black);
        } else {
            painter->setPen(ink);
        }
        painter->setFont(piece.marked ? bold : plain);
        painter->drawText(box, Qt::AlignLeft | Qt::AlignVCenter, text);
        x += width;
    }
    painter->restore();
}
