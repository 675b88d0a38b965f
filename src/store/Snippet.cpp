#include "Snippet.h"

#include "Catalog.h"
#include "FindQuery.h"
#include "platform/vb/Strings.h"

namespace {

constexpr qsizetype Before = 40; // characters kept before the first match
constexpr qsizetype Length = 160;

bool matches(const QString &word, const FindQuery &query)
{
    const QString folded = FindQuery::Fold(word);
    return query.words().contains(folded) ||
           (!query.prefix().isEmpty() && folded.startsWith(query.prefix()));
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
            if (matches(text.mid(start, length), query)) {
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
            if (!matches(text.mid(start, length), query))
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
