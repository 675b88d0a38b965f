#pragma once

#include "store/Catalog.h"

#include <QAbstractListModel>
#include <QList>

// The recipes a query found, as the find window lists them. Each row reads as one line of
// text for a screen reader ("Leek soup, by Ann, in Soups: ... snippet ..."); the roles give
// the parts the list draws.
class FindResults : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role
    {
        NameRole = Qt::UserRole + 1,
        AuthorRole,
        CategoryRole,
        SnippetRole // with the matched words between U+0001 and U+0002
    };

    // A piece of a snippet: plain, or a matched word.
    struct Piece
    {
        QString text;
        bool marked = false;
    };

    using QAbstractListModel::QAbstractListModel;

    void SetFound(Catalog::Found found);
    const Catalog::Hit &Hit(int row) const { return m_found.hits.at(row); }
    // How many recipes the query found, listed or not.
    int Total() const { return m_found.total; }
    // Whether more than Total() match (they were not all counted).
    bool More() const { return m_found.more; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // The snippet cut at its marks, on one line: line ends and other control characters
    // become blanks, a mark left open runs to the end.
    static QList<Piece> Pieces(const QString &snippet);
    // The snippet as one line of plain text.
    static QString PlainSnippet(const QString &snippet);

private:
    Catalog::Found m_found;
};
