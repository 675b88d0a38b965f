#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A cookbook: many recipes as one document, a table of contents first, then each recipe on a
// page of its own, in the lines and with the escaping of a printed recipe's page. As a web
// page (UTF-8, CR LF, like print.htm) the contents link to the recipes; as a PDF, made by the
// same engine that prints the preview, they give each recipe's page number.
class Cookbook
{
public:
    explicit Cookbook(const QString &title);

    // Adds a recipe, its texts as stored (they are trimmed as for printing).
    void add(const QString &category, const QString &name, const QString &author,
             const QString &ingredients, const QString &instructions);
    qsizetype size() const { return m_recipes.size(); }

    // The bytes of the web page.
    QByteArray page() const;
    // Writes the PDF to path, whole or not at all; "" when written, otherwise why not.
    QString writePdf(const QString &path) const;

private:
    struct Recipe
    {
        QString category, name;
        QStringList lines; // as print.txt has them
    };
    // The page; pages: each recipe's page number, none for the web page.
    QString html(const QList<int> &pages) const;

    QString m_title;
    QList<Recipe> m_recipes;
};
