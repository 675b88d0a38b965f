#include "formats/HtmlText.h"

#include <QHash>

namespace formats::HtmlText {

namespace {

const QHash<QString, char32_t> &Entities()
{
    static const QHash<QString, char32_t> entities = {
        {QStringLiteral("amp"), U'&'},    {QStringLiteral("lt"), U'<'},
        {QStringLiteral("gt"), U'>'},     {QStringLiteral("quot"), U'"'},
        {QStringLiteral("apos"), U'\''},  {QStringLiteral("nbsp"), U' '},
        {QStringLiteral("deg"), U'°'},    {QStringLiteral("frac12"), U'½'},
        {QStringLiteral("frac14"), U'¼'}, {QStringLiteral("frac34"), U'¾'},
        {QStringLiteral("frac13"), U'⅓'}, {QStringLiteral("frac23"), U'⅔'},
        {QStringLiteral("ndash"), U'–'},  {QStringLiteral("mdash"), U'—'},
        {QStringLiteral("hellip"), U'…'}, {QStringLiteral("lsquo"), U'‘'},
        {QStringLiteral("rsquo"), U'’'},  {QStringLiteral("ldquo"), U'“'},
        {QStringLiteral("rdquo"), U'”'},  {QStringLiteral("times"), U'×'},
        {QStringLiteral("copy"), U'©'},   {QStringLiteral("reg"), U'®'},
        {QStringLiteral("trade"), U'™'},  {QStringLiteral("eacute"), U'é'},
        {QStringLiteral("egrave"), U'è'}, {QStringLiteral("agrave"), U'à'},
        {QStringLiteral("ccedil"), U'ç'}, {QStringLiteral("uuml"), U'ü'},
        {QStringLiteral("ouml"), U'ö'},   {QStringLiteral("auml"), U'ä'},
        {QStringLiteral("szlig"), U'ß'},  {QStringLiteral("ntilde"), U'ñ'},
        {QStringLiteral("middot"), U'·'}, {QStringLiteral("bull"), U'•'},
    };
    return entities;
}

bool IsNameChar(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

// The end of an entity-like "&name;" or "&#123;" starting at `at`, or -1.
qsizetype EntityEnd(const QString &s, qsizetype at)
{
    qsizetype i = at + 1;
    if (i < s.size() && s[i] == u'#')
        ++i;
    const qsizetype start = i;
    while (i < s.size() && IsNameChar(s[i]) && i - start < 32)
        ++i;
    return (i > start && i < s.size() && s[i] == u';') ? i : -1;
}

// The end of a tag starting at `at` ('<' followed by a letter, '/', '!' or '?'), or -1.
qsizetype TagEnd(const QString &s, qsizetype at)
{
    if (at + 1 >= s.size())
        return -1;
    const QChar c = s[at + 1];
    if (!c.isLetter() && c != u'/' && c != u'!' && c != u'?')
        return -1;
    return s.indexOf(u'>', at + 1);
}

// The character an entity stands for, or none.
bool Decode(QStringView entity, QString &out)
{
    char32_t code = 0;
    if (entity.startsWith(u'#')) {
        bool ok = false;
        const bool hex = entity.size() > 1 && (entity[1] == u'x' || entity[1] == u'X');
        code = hex ? entity.mid(2).toUInt(&ok, 16) : entity.mid(1).toUInt(&ok, 10);
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
    } else {
        const auto it = Entities().constFind(entity.toString());
        if (it == Entities().constEnd())
            return false;
        code = *it;
    }
    out += QString::fromUcs4(&code, 1);
    return true;
}

bool BreaksLine(QStringView tag)
{
    static const char16_t *const Breaking[] = {u"br",  u"/p",  u"p",   u"/li", u"/div",
                                               u"/h1", u"/h2", u"/h3", u"/h4", u"/tr"};
    qsizetype end = 0;
    while (end < tag.size() && (IsNameChar(tag[end]) || tag[end] == u'/'))
        ++end;
    const QStringView name = tag.left(end);
    for (const char16_t *b : Breaking)
        if (name.compare(QStringView(b), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

QString Text(const QString &value)
{
    if (!value.contains(u'&') && !value.contains(u'<'))
        return value;
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'&') {
            const qsizetype end = EntityEnd(value, i);
            if (end > 0 && Decode(QStringView(value).mid(i + 1, end - i - 1), out)) {
                i = end;
                continue;
            }
        } else if (c == u'<') {
            const qsizetype end = TagEnd(value, i);
            if (end > 0) {
                const QStringView tag = QStringView(value).mid(i + 1, end - i - 1);
                if (BreaksLine(tag) && !out.isEmpty() && !out.endsWith(u'\n'))
                    out += u'\n';
                i = end;
                continue;
            }
        }
        out += c;
    }
    return out;
}

QString Escape(const QString &text)
{
    if (!text.contains(u'&') && !text.contains(u'<'))
        return text;
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'&' && EntityEnd(text, i) > 0)
            out += QStringLiteral("&amp;");
        else if (c == u'<' && TagEnd(text, i) > 0)
            out += QStringLiteral("&lt;");
        else
            out += c;
    }
    return out;
}

} // namespace formats::HtmlText
