#include "Snippet.h"

#include "Catalog.h"
#include "FindQuery.h"
#include "platform/vb/Strings.h"

#include <algorithm>

namespace {

constexpr qsizetype Before = 40; // characters kept before the first match
constexpr qsizetype Length = 160;

// Plain ASCII words, most of a recipe, are compared in place, without folding a copy.
bool matches(QStringView word, const FindQuery &query)
{
    const bool ascii =
        std::all_of(word.cbegin(), word.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (!ascii) {
        const QString folded = FindQuery::Fold(word.toString());
        return query.words().contains(folded) ||
               (!query.prefix().isEmpty() && folded.startsWith(query.prefix()));
    }
    const QString &prefix = query.prefix();
    if (!prefix.isEmpty() && word.startsWith(prefix, Qt::CaseInsensitive))
        return true;
    for (const QString &w : query.words()) {
        if (w.size() == word.size() && word.compare(w, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

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

} // namespace

QString Snippet(const std::array<QString, 4> &fields, const FindQuery &query)
{
    for (const int f : {2, 3, 0, 1}) {
        const QString text = vb::Trim(fields[size_t(f)]);
        // The first word that matches; the text before it is not folded any further.
        qsizetype first = -1;
        FindQuery::ForEachWord(text, [&](qsizetype start, qsizetype length) {
            if (!matches(QStringView(text).mid(start, length), query))
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
        const QStringView window = QStringView(text).mid(from, to - from);
        QString out = from > 0 ? QStringLiteral("… ") : QString();
        qsizetype at = 0;
        FindQuery::ForEachWord(window, [&](qsizetype start, qsizetype length) {
            if (start + length < window.size() || to == text.size()) {
                if (matches(window.mid(start, length), query)) {
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
    return oneLine(vb::Trim(fields[2])).left(Length);
}
