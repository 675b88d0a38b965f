#include "Cookbook.h"

#include "PrintDocuments.h"
#include "platform/vb/Strings.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>

namespace {

QString esc(const QString &text)
{
    return PrintDocuments::escapeHtml(text);
}

// The page on which each recipe starts, in the document's own pages.
QList<int> recipePages(QTextDocument &doc)
{
    QList<int> pages;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next())
        if (block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
            pages << int(doc.documentLayout()->blockBoundingRect(block).top() /
                         doc.pageSize().height()) +
                         1;
    return pages;
}

} // namespace

Cookbook::Cookbook(const QString &title) : m_title(title) {}

void Cookbook::add(const QString &category, const QString &name, const QString &author,
                   const QString &ingredients, const QString &instructions)
{
    m_recipes.append({category, vb::Trim(name),
                      PrintDocuments(name, author, ingredients, instructions).lines()});
}

QString Cookbook::html(const QList<int> &pages) const
{
    QStringList page;
    page << QStringLiteral("<HTML>");
    page << QStringLiteral("<HEAD><META charset=\"utf-8\">");
    page << QStringLiteral("    <TITLE>") + esc(m_title) +
                QStringLiteral(" - a cookbook by Kitchenex Recipe</TITLE>");
    page << QStringLiteral("</HEAD>");
    page << QStringLiteral("<BODY><FONT SIZE=\"3\" FACE=\"Verdana\">");
    page << QStringLiteral("<H1>") + esc(m_title) + QStringLiteral("</H1>");
    page << QStringLiteral("<P>%1 recipes, printed from <B>Kitchenex Recipe</B></P>")
                .arg(m_recipes.size());
    page << QStringLiteral("<H2>Contents</H2>");
    page << QStringLiteral("<TABLE WIDTH=\"100%\" CELLSPACING=\"0\" CELLPADDING=\"1\">");
    QString category;
    for (qsizetype i = 0; i < m_recipes.size(); ++i) {
        const Recipe &r = m_recipes[i];
        if (i == 0 || r.category != category) {
            category = r.category;
            page << QStringLiteral("<TR><TD COLSPAN=\"2\"><BR><B>") + esc(category) +
                        QStringLiteral("</B></TD></TR>");
        }
        QString row = QStringLiteral("<TR><TD>&nbsp;&nbsp;<A HREF=\"#recipe%1\">%2</A></TD>")
                          .arg(i + 1)
                          .arg(esc(r.name));
        if (i < pages.size())
            row += QStringLiteral("<TD ALIGN=\"right\">%1</TD>").arg(pages[i]);
        page << row + QStringLiteral("</TR>");
    }
    page << QStringLiteral("</TABLE>");
    for (qsizetype i = 0; i < m_recipes.size(); ++i) {
        const Recipe &r = m_recipes[i];
        page << QStringLiteral("<P STYLE=\"page-break-before: always\"><A NAME=\"recipe%1\"></A>"
                               "<I>%2</I></P>")
                    .arg(i + 1)
                    .arg(esc(r.category));
        page << QStringLiteral("<P><B>");
        for (const QString &line : r.lines)
            page << esc(line) + QStringLiteral("<br>");
        page << QStringLiteral("</B></P>");
    }
    page << QStringLiteral("</FONT></BODY>");
    page << QStringLiteral("</HTML>");
    return page.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QByteArray Cookbook::page() const
{
    return html({}).toUtf8();
}

QString Cookbook::writePdf(const QString &path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    {
        QPdfWriter pdf(&file);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
        pdf.setResolution(300);
        pdf.setTitle(m_title);
        pdf.setCreator(QStringLiteral("Kitchenex Recipe"));
        // The document is laid out in the PDF's pages, so that the pages it is printed on are
        // the pages it was measured in. The contents name pages, so the book is laid out once
        // to find them, with numbers as wide as any it will have.
        QTextDocument doc;
        doc.documentLayout()->setPaintDevice(&pdf);
        doc.setDocumentMargin(0);
        // A printed page is read at arm's length: larger than the screen's small type.
        doc.setDefaultFont(QFont(QStringLiteral("Verdana"), 11));
        doc.setPageSize(QSizeF(pdf.width(), pdf.height()));
        doc.setHtml(html(QList<int>(m_recipes.size(), 9999)));
        const QList<int> pages = recipePages(doc);
        doc.setHtml(html(pages));
        doc.print(&pdf);
    }
    if (file.error() != QFileDevice::NoError || !file.commit())
        return file.errorString();
    return {};
}
