#include "FindResults.h"

void FindResults::SetFound(Catalog::Found found)
{
    beginResetModel();
    m_found = std::move(found);
    endResetModel();
}

int FindResults::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_found.hits.size());
}

QVariant FindResults::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_found.hits.size())
        return {};
    const Catalog::Hit &hit = m_found.hits.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: {
        QString text = hit.name.isEmpty() ? QStringLiteral("(no name)") : hit.name;
        if (!hit.author.isEmpty())
            text += QStringLiteral(", by ") + hit.author;
        text += QStringLiteral(", in ") + hit.id.category;
        const QString snippet = PlainSnippet(hit.snippet);
        if (!snippet.isEmpty())
            text += QStringLiteral(": ") + snippet;
        return text;
    }
    case NameRole:
        return hit.name;
    case AuthorRole:
        return hit.author;
    case CategoryRole:
        return hit.id.category;
    case SnippetRole:
        return hit.snippet;
    default:
        return {};
    }
}

QList<FindResults::Piece> FindResults::Pieces(const QString &snippet)
{
    QList<Piece> pieces;
    Piece current;
    auto flush = [&] {
        if (!current.text.isEmpty())
            pieces.append(current);
        current.text.clear();
    };
    for (QChar c : snippet) {
        if (c == Catalog::MarkStart || c == Catalog::MarkEnd) {
            flush();
            current.marked = c == Catalog::MarkStart;
        } else {
            // Ingredients and instructions span lines; the list shows one.
            const bool blank = c.category() == QChar::Other_Control || c.isSpace();
            if (!blank)
                current.text.append(c);
            else if (!current.text.endsWith(QLatin1Char(' ')))
                current.text.append(QLatin1Char(' '));
        }
    }
    flush();
    return pieces;
}

QString FindResults::PlainSnippet(const QString &snippet)
{
    QString text;
    for (const Piece &piece : Pieces(snippet))
        text += piece.text;
    return text.simplified();
}
