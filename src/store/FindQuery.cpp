#include "FindQuery.h"

#include "platform/dao/TextIndex.h"

namespace {

struct Term
{
    QString column; // empty: any field
    QString text;
    bool exclude = false;
    bool closedPhrase = false;
};

QString columnOf(const QString &field)
{
    static const QStringList fields = {QStringLiteral("name"), QStringLiteral("author"),
                                       QStringLiteral("ingredients"),
                                       QStringLiteral("instructions")};
    const QString lower = field.toLower();
    if (lower == QLatin1String("category"))
        return dao::TextIndex::TableColumn();
    const qsizetype i = fields.indexOf(lower);
    return i < 0 ? QString() : dao::TextIndex::FieldColumn(int(i));
}

bool isBlank(QChar c)
{
    return c.isSpace() || c.unicode() < 0x20;
}

// Control characters and halves of broken pairs become blanks; the rest is kept.
QString cleaned(const QString &typed)
{
    QString text = typed.left(FindQuery::MaxLength);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool pair =
            c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        if (pair)
            ++i;
        else if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0) ||
                 c.isSurrogate() || c.unicode() == 0xFFFD)
            text[i] = QLatin1Char(' ');
    }
    return text;
}

QList<Term> terms(const QString &text, bool *endsOpen)
{
    QList<Term> out;
    qsizetype i = 0;
    const qsizetype n = text.size();
    *endsOpen = false;
    while (i < n && out.size() < FindQuery::MaxTerms) {
        while (i < n && isBlank(text[i]))
            ++i;
        if (i >= n)
            break;
        Term term;
        if (text[i] == QLatin1Char('-') && i + 1 < n && !isBlank(text[i + 1])) {
            term.exclude = true;
            ++i;
        }
        const qsizetype colon = text.indexOf(QLatin1Char(':'), i);
        if (colon > i) {
            const QString field = text.mid(i, colon - i);
            const QString column = columnOf(field);
            if (!column.isEmpty()) {
                term.column = column;
                i = colon + 1;
            }
        }
        if (i < n && text[i] == QLatin1Char('"')) {
            const qsizetype close = text.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype end = close < 0 ? n : close;
            term.text = text.mid(i + 1, end - i - 1);
            term.closedPhrase = close >= 0;
            i = close < 0 ? n : close + 1;
            *endsOpen = close < 0;
        } else {
            const qsizetype start = i;
            while (i < n && !isBlank(text[i]))
                ++i;
            term.text = text.mid(start, i - start);
            *endsOpen = i >= n;
        }
        out.append(term);
    }
    return out;
}

} // namespace

QString FindQuery::Fold(const QString &word)
{
    const bool ascii =
        std::all_of(word.cbegin(), word.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii)
        return word.toLower();
    QString folded;
    for (const QChar c : word.normalized(QString::NormalizationForm_KD)) {
        if (c.category() != QChar::Mark_NonSpacing)
            folded += c;
    }
    return folded.toCaseFolded();
}

FindQuery::FindQuery(const QString &typed)
{
    bool endsOpen = false;
    const QList<Term> list = terms(cleaned(typed), &endsOpen);
    QStringList include, exclude;
    for (qsizetype t = 0; t < list.size(); ++t) {
        const Term &term = list[t];
        const QString text = dao::TextForIndex(term.text);
        QList<QPair<qsizetype, qsizetype>> words;
        ForEachWord(text, [&](qsizetype start, qsizetype length) {
            words.append({start, length});
            return true;
        });
        if (words.isEmpty())
            continue; // nothing the index could match
        QString phrase = text;
        phrase.replace(QLatin1Char('"'), QLatin1String("\"\""));
        phrase = QLatin1Char('"') + phrase + QLatin1Char('"');
        const bool last = t == list.size() - 1;
        const bool prefix = last && endsOpen && !term.closedPhrase && !term.exclude;
        if (prefix)
            phrase += QLatin1Char('*');
        if (!term.column.isEmpty())
            phrase = term.column + QStringLiteral(" : ") + phrase;
        (term.exclude ? exclude : include).append(phrase);
        if (term.exclude)
            continue;
        for (qsizetype w = 0; w < words.size(); ++w) {
            const QString word = Fold(text.mid(words[w].first, words[w].second));
            if (prefix && w == words.size() - 1)
                m_prefix = word;
            else
                m_words.insert(word);
        }
    }
    if (include.isEmpty())
        return;
    m_expression = include.join(QStringLiteral(" AND "));
    if (!exclude.isEmpty())
        m_expression = QLatin1Char('(') + m_expression + QStringLiteral(") NOT (") +
                       exclude.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}
