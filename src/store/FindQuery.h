#pragma once

#include "platform/dao/TextFold.h"

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
    // Calls fn(start, length) for each word of the text, in order, while it returns true: runs
    // of letters, digits and marks, each character of a script written without spaces a word
    // of its own.
    template <typename Fn> static void ForEachWord(QStringView text, Fn &&fn);

    // At most this many terms are read, and this many characters: a query is typed.
    static constexpr int MaxTerms = 32;
    static constexpr int MaxLength = 1000;

private:
    QString m_expression;
    QSet<QString> m_words;
    QString m_prefix;
};

template <typename Fn> void FindQuery::ForEachWord(QStringView text, Fn &&fn)
{
    qsizetype start = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        char32_t code = c.unicode();
        qsizetype width = 1;
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(c, text[i + 1]);
            width = 2;
        }
        // Plain ASCII, most of a recipe, is told apart without the Unicode tables.
        const bool unspaced = code >= 0x80 && dao::IsUnspacedScript(code);
        const bool inWord =
            code < 0x80
                ? (code >= u'0' && code <= u'9') || ((code | 0x20) >= u'a' && (code | 0x20) <= u'z')
                : !unspaced && (QChar::isLetterOrNumber(code) || QChar::isMark(code));
        if (inWord) {
            if (start < 0)
                start = i;
        } else {
            if (start >= 0 && !fn(start, i - start))
                return;
            start = -1;
            if (unspaced && !fn(i, width))
                return;
        }
        i += width - 1;
    }
    if (start >= 0)
        fn(start, text.size() - start);
}
