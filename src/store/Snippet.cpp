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

QString oneLine(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 0x20 || c == Catalog::MarkStart || c == Catalog::MarkEnd)
            c = QLatin1Char(' ');
    }
    return text.simplified();
}

} // namespace

QString Snippet(const std::array<QString, 4> &fields, const FindQuery &query)
{
    for (const int f : {2, 3, 0, 1}) {
        const QString text = oneLine(fields[size_t(f)]);
        const auto words = FindQuery::Words(text);
        qsizetype first = -1;
        for (const auto &[start, length] : words) {
            if (matches(QStringView(text).mid(start, length), query)) {
                first = start;
                break;
            }
        }
        if (first < 0)
            continue;
        qsizetype from = qMax<qsizetype>(0, first - Before);
        // Start at a word's beginning.
        while (from > 0 && from < first && !text[from - 1].isSpace())
            ++from;
        const qsizetype to = qMin(text.size(), from + Length);
        QString out = from > 0 ? QStringLiteral("… ") : QString();
        qsizetype at = from;
        for (const auto &[start, length] : words) {
            if (start < from || start + length > to)
                continue;
            if (!matches(QStringView(text).mid(start, length), query))
                continue;
            out += text.mid(at, start - at) + Catalog::MarkStart + text.mid(start, length) +
                   Catalog::MarkEnd;
            at = start + length;
        }
        out += text.mid(at, to - at);
        if (to < text.size())
            out += QStringLiteral(" …");
        return out;
    }
    return oneLine(vb::Trim(fields[2])).left(Length);
}
