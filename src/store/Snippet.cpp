#include "Snippet.h"

#include "Catalog.h"
#include "FindQuery.h"

#include <algorithm>

namespace {

constexpr qsizetype Before = 40; // characters kept before the first match
constexpr qsizetype Length = 160;

// Tells the words of a text that the query matches. Most words of a recipe are plain ASCII
// and begin with a letter that no word of the query begins with: those are turned away by one
// look at a table, and the other ASCII words compared in place, without folding a copy.
class Matcher
{
public:
    explicit Matcher(const FindQuery &query) : m_query(query)
    {
        for (const QString &w : query.words())
            note(w);
        note(query.prefix());
    }

    bool operator()(QStringView word) const
    {
        // Folding keeps an ASCII first letter, in lower case, whatever follows it.
        const char16_t first = word.front().unicode();
        if (first < 0x80 && !m_firsts[lower(first)])
            return false;
        const bool ascii =
            std::all_of(word.cbegin(), word.cend(), [](QChar c) { return c.unicode() < 0x80; });
        if (!ascii) {
            const QString folded = FindQuery::Fold(word.toString());
            return m_query.words().contains(folded) ||
                   (!m_query.prefix().isEmpty() && folded.startsWith(m_query.prefix()));
        }
        const QString &prefix = m_query.prefix();
        if (!prefix.isEmpty() && word.startsWith(prefix, Qt::CaseInsensitive))
            return true;
        for (const QString &w : m_query.words()) {
            if (w.size() == word.size() && word.compare(w, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    }

private:
    static char16_t lower(char16_t c) { return c >= u'A' && c <= u'Z' ? c | 0x20 : c; }
    void note(const QString &word)
    {
        if (!word.isEmpty() && word.front().unicode() < 0x80)
            m_firsts[lower(word.front().unicode())] = true;
    }

    const FindQuery &m_query;
    std::array<bool, 0x80> m_firsts{};
};

// Line breaks, tabs and stray marks become blanks, and runs of blanks one blank.
QString oneLine(QStringView text)
{
    QString out;
    out.reserve(text.size());
    bool blank = false;
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c == Catalog::MarkStart || c == Catalog::MarkEnd)
            c = QLatin1Char(' ');
        if (c == QLatin1Char(' ') && blank)
            continue;
        blank = c == QLatin1Char(' ');
        out += c;
    }
    return out;
}

// The text without its leading and trailing blanks, as the tree shows it, without a copy.
QStringView trimmed(const QString &text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text[from] == QLatin1Char(' '))
        ++from;
    while (to > from && text[to - 1] == QLatin1Char(' '))
        --to;
    return QStringView(text).mid(from, to - from);
}

} // namespace

QString Snippet(const std::array<QString, 4> &fields, const FindQuery &query)
{
    const Matcher matches(query);
    for (const int f : {2, 3, 0, 1}) {
        const QStringView text = trimmed(fields[size_t(f)]);
        // The first word that matches; the text before it is not folded any further.
        qsizetype first = -1;
        FindQuery::ForEachWord(text, [&](qsizetype start, qsizetype length) {
            if (!matches(text.mid(start, length)))
                return true;
            first = start;
            return false;
        });
        if (first < 0)
            continue;
        qsizetype from = qMax<qsizetype>(0, first - Before);
        while (from > 0 && from < first && !text[from - 1].isSpace())
            ++from; // start at a word's beginning
        const qsizetype to = qMin(text.size(), from + Length);
        const QStringView window = text.mid(from, to - from);
        QString out = from > 0 ? QStringLiteral("… ") : QString();
        qsizetype at = 0;
        FindQuery::ForEachWord(window, [&](qsizetype start, qsizetype length) {
            if (start + length < window.size() || to == text.size()) {
                if (matches(window.mid(start, length))) {
                    out += oneLine(window.mid(at, start - at)) + Catalog::MarkStart +
                           window.mid(start, length).toString() + Catalog::MarkEnd;
                    at = start + length;
                }
            }
            return true;
        });
        out += oneLine(window.mid(at));
        if (to < text.size())
            out += QStringLiteral(" …");
        return out;
    }
    return oneLine(trimmed(fields[2])).left(Length);
}
