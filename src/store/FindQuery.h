#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// What the user typed into the find box, read as a query of the find index.
//
// Terms are separated by blanks. A term is a word or a "quoted phrase" (an unclosed quote runs
// to the end), optionally after a field (name:, author:, ingredients:, instructions:,
// category:, without regard to case) and optionally after a minus, which excludes it. Every
// term becomes a quoted string of the index's query language, so nothing typed is ever read as
// an operator; a term without a letter or a digit is dropped. The last term, unless it is a
// closed phrase or a blank follows it, also matches the beginning of a longer word.
class FindQuery
{
public:
    explicit FindQuery(const QString &typed);

    // The index's match expression; empty when the query can find nothing (no term to find).
    QString expression() const { return m_expression; }

    // The words to mark in a snippet, folded with Fold; the last one, when `prefix`, also
    // marks the words it begins.
    const QSet<QString> &words() const { return m_words; }
    QString prefix() const { return m_prefix; }

    // A word as the snippet compares it: compatibility forms, case and accents folded.
    static QString Fold(const QString &word);
    // The words of a text: [start, length) pairs of runs of letters and digits, each
    // character of a script written without spaces a word of its own.
    static QList<QPair<qsizetype, qsizetype>> Words(const QString &text);

    // At most this many terms are read, and this many characters: a query is typed.
    static constexpr int MaxTerms = 32;
    static constexpr int MaxLength = 1000;

private:
    QString m_expression;
    QSet<QString> m_words;
    QString m_prefix;
};
