#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class QPrinter;

namespace printtest {

// The recipe of the example: Soup, no author, ingredients on two lines, instructions on one.
inline const QString SoupIngredients = QStringLiteral("2 carrots\r\n1 onion");
inline const QString SoupInstructions = QStringLiteral("Boil for an hour.");
// print.txt and print.htm of that recipe, byte for byte.
QByteArray soupText();
QByteArray soupPage();

QByteArray readFile(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);
// The entries of a folder, hidden ones included, sorted.
QStringList entries(const QString &folder);
// The lines of a document split at CR LF; the text after the last CR LF must be empty.
QStringList crlfLines(const QByteArray &bytes);

// The text of a PDF file, through pdftotext; a null string when pdftotext is not installed.
QString pdfText(const QString &path);

// Answers the print dialog for as long as it lives: choosing a PDF file (an empty path leaves
// the printer as it is) and accepting or cancelling. Records how often it was asked and
// whether the PDF already existed when it was.
class PrintDialogAnswer
{
public:
    PrintDialogAnswer(const QString &pdfPath, bool accept);
    ~PrintDialogAnswer();
    PrintDialogAnswer(const PrintDialogAnswer &) = delete;
    PrintDialogAnswer &operator=(const PrintDialogAnswer &) = delete;

    int asked = 0;
    bool pdfExistedWhenAsked = false;
    QString docName;

private:
    QString m_pdfPath;
    bool m_accept;
};

} // namespace printtest
