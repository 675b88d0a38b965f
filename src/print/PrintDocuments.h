#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The two documents of a printed recipe, made from the four texts of the main window:
// print.txt, the recipe as plain text, and print.htm, the same lines as a page. Both are made
// from one list of lines, so the page always matches the text file line for line. Every line,
// the last one included, ends with CR LF; the text is UTF-8.
class PrintDocuments
{
public:
    // The texts as the boxes hold them; the name, author, ingredients and instructions are
    // trimmed of leading and trailing blanks here.
    PrintDocuments(const QString &name, const QString &author, const QString &ingredients,
                   const QString &instructions);

    // The lines of print.txt, without their line ends.
    const QStringList &lines() const { return m_lines; }
    // The bytes of print.txt.
    QByteArray text() const;
    // The bytes of print.htm. The recipe is escaped, so it shows as typed and never becomes
    // markup; the page declares UTF-8 on its second line.
    QByteArray page() const;

    // A text split at every line break (CR LF, LF or CR alone); a text without one is one line.
    static QStringList splitLines(const QString &text);
    // &, <, >, " and ' as entities.
    static QString escapeHtml(const QString &text);

private:
    QStringList m_lines;
};
