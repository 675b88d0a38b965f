#include "PrintTestSupport.h"

#include "print/WebBrowser.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace printtest {

QByteArray soupText()
{
    return QByteArrayLiteral("Name: Soup\r\n"
                             "\r\n"
                             "Author: \r\n"
                             "\r\n"
                             "Ingredints:\r\n"
                             "2 carrots\r\n"
                             "1 onion\r\n"
                             "\r\n"
                             "\r\n"
                             "Instructions:\r\n"
                             "Boil for an hour.\r\n");
}

QByteArray soupPage()
{
    return QByteArrayLiteral(
        "<HTML>\r\n"
        "<HEAD><META charset=\"utf-8\">\r\n"
        "    <TITLE>This Recipes by Kitchenex Recipe_https://kitchenex.example/</TITLE>\r\n"
        "</HEAD>\r\n"
        "<BODY><FONT SIZE=\"3\" FACE=\"Verdana\">\r\n"
        "<U>Printed from This Recipes by <B>Kitchenex Recipe</B></U><br><br><B>\r\n"
        "Name: Soup<br>\r\n"
        "<br>\r\n"
        "Author: <br>\r\n"
        "<br>\r\n"
        "Ingredints:<br>\r\n"
        "2 carrots<br>\r\n"
        "1 onion<br>\r\n"
        "<br>\r\n"
        "<br>\r\n"
        "Instructions:<br>\r\n"
        "Boil for an hour.<br>\r\n"
        "</B></FONT></BODY>\r\n"
        "</HTML>\r\n");
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList crlfLines(const QByteArray &bytes)
{
    QStringList lines = QString::fromUtf8(bytes).split(QStringLiteral("\r\n"));
    if (lines.last().isEmpty())
        lines.removeLast();
    else
        lines.append(QStringLiteral("<no line end>"));
    return lines;
}

QString pdfText(const QString &path)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return QString();
    QProcess process;
    process.start(tool,
                  {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QStringLiteral("<pdftotext failed>");
    return QString::fromUtf8(process.readAllStandardOutput());
}

PrintDialogAnswer::PrintDialogAnswer(const QString &pdfPath, bool accept)
    : m_pdfPath(pdfPath), m_accept(accept)
{
    WebBrowser::setPrintDialog([this](QPrinter &printer, QWidget *) {
        ++asked;
        pdfExistedWhenAsked = !m_pdfPath.isEmpty() && QFile::exists(m_pdfPath);
        docName = printer.docName();
        if (!m_pdfPath.isEmpty()) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(m_pdfPath);
        }
        return m_accept;
    });
}

PrintDialogAnswer::~PrintDialogAnswer()
{
    WebBrowser::setPrintDialog({});
}

} // namespace printtest
