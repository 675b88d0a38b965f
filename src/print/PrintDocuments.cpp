#include "PrintDocuments.h"

#include "platform/vb/Strings.h"
#include "store/Product.h"

namespace {

const QByteArray LineEnd = QByteArrayLiteral("\r\n");

} // namespace

PrintDocuments::PrintDocuments(const QString &name, const QString &author,
                               const QString &ingredients, const QString &instructions)
{
    // A box that holds a line break writes several lines; the page below is made of the same
    // lines, so it breaks where the text file does.
    m_lines << splitLines(QStringLiteral("Name: ") + vb::Trim(name));
    m_lines << QString();
    m_lines << splitLines(QStringLiteral("Author: ") + vb::Trim(author));
    m_lines << QString();
    m_lines << QStringLiteral("Ingredints:");
    m_lines << splitLines(vb::Trim(ingredients));
    m_lines << QString();
    m_lines << QString();
    m_lines << QStringLiteral("Instructions:");
    m_lines << splitLines(vb::Trim(instructions));
}

QByteArray PrintDocuments::text() const
{
    QByteArray bytes;
    for (const QString &line : m_lines)
        bytes += line.toUtf8() + LineEnd;
    return bytes;
}

QByteArray PrintDocuments::page() const
{
    // The encoding is declared on the line of <HEAD>, so the page keeps its line layout and
    // every browser reads the recipe's letters as they were typed.
    QStringList page;
    page << QStringLiteral("<HTML>");
    page << QStringLiteral("<HEAD><META charset=\"utf-8\">");
    page << QStringLiteral("    <TITLE>This Recipes by Kitchenex Recipe_") + WebsiteAddress +
                QStringLiteral("</TITLE>");
    page << QStringLiteral("</HEAD>");
    page << QStringLiteral("<BODY><FONT SIZE=\"3\" FACE=\"Verdana\">");
    page << QStringLiteral(
        "<U>Printed from This Recipes by <B>Kitchenex Recipe</B></U><br><br><B>");
    for (const QString &line : m_lines)
        page << escapeHtml(line) + QStringLiteral("<br>");
    page << QStringLiteral("</B></FONT></BODY>");
    page << QStringLiteral("</HTML>");

    QByteArray bytes;
    for (const QString &line : page)
        bytes += line.toUtf8() + LineEnd;
    return bytes;
}

QStringList PrintDocuments::splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines << text.mid(start, i - start);
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    lines << text.mid(start);
    return lines;
}

QString PrintDocuments::escapeHtml(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            escaped += QStringLiteral("&amp;");
            break;
        case '<':
            escaped += QStringLiteral("&lt;");
            break;
        case '>':
            escaped += QStringLiteral("&gt;");
            break;
        case '"':
            escaped += QStringLiteral("&quot;");
            break;
        case '\'':
            escaped += QStringLiteral("&#39;");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}
