// print.txt and print.htm as bytes, made without any window or file.
#include "PrintTestSupport.h"
#include "print/PrintDocuments.h"

#include <QStringDecoder>
#include <QTextDocument>
#include <QtTest>

using namespace printtest;

class DocumentsTest : public QObject
{
    Q_OBJECT
private slots:
    void soupExample();
    void lineBreaks_data();
    void lineBreaks();
    void onlyBlanksAreTrimmed();
    void recipeTextIsEscapedInThePageOnly_data();
    void recipeTextIsEscapedInThePageOnly();
    void nonAsciiTextIsUtf8();
};

void DocumentsTest::soupExample()
{
    const PrintDocuments docs(QStringLiteral("Soup"), QString(), SoupIngredients, SoupInstructions);
    QCOMPARE(docs.text(), soupText());
    QCOMPARE(docs.page(), soupPage());

    const QStringList text = crlfLines(docs.text());
    QCOMPARE(text.size(), 11);
    QCOMPARE(text.at(2), QStringLiteral("Author: "));
    QCOMPARE(text.at(5), QStringLiteral("2 carrots"));
    QCOMPARE(text.at(6), QStringLiteral("1 onion"));

    const QStringList page = crlfLines(docs.page());
    QCOMPARE(page.size(), 6 + 11 + 2);
    QCOMPARE(page.at(6), QStringLiteral("Name: Soup<br>"));
    for (int line : {8, 10, 14, 15})
        QCOMPARE(page.at(line - 1), QStringLiteral("<br>"));
    // Lines 7 to 17 are the lines of print.txt, in order.
    for (int i = 0; i < text.size(); ++i)
        QCOMPARE(page.at(6 + i), text.at(i) + QStringLiteral("<br>"));
}

void DocumentsTest::lineBreaks_data()
{
    QTest::addColumn<QString>("ingredients");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR LF") << QStringLiteral("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("LF") << QStringLiteral("a\nb") << QStringList{"a", "b"};
    QTest::newRow("CR") << QStringLiteral("a\rb") << QStringList{"a", "b"};
    QTest::newRow("mixed") << QStringLiteral("a\nb\r\nc\rd") << QStringList{"a", "b", "c", "d"};
    QTest::newRow("CR CR is an empty line")
        << QStringLiteral("a\r\rb") << QStringList{"a", "", "b"};
    QTest::newRow("LF CR is two breaks") << QStringLiteral("a\n\rb") << QStringList{"a", "", "b"};
    QTest::newRow("break at the end") << QStringLiteral("a\r\n") << QStringList{"a", ""};
    QTest::newRow("blank lines keep their blanks inside")
        << QStringLiteral(" a \r\n  \r\n b ") << QStringList{"a ", "  ", " b"};
}

void DocumentsTest::lineBreaks()
{
    QFETCH(QString, ingredients);
    QFETCH(QStringList, lines);
    const PrintDocuments docs(QStringLiteral("Soup"), QString(), ingredients, SoupInstructions);
    const QStringList text = crlfLines(docs.text());
    QCOMPARE(text.mid(5, lines.size()), lines);
    QCOMPARE(text.at(5 + lines.size()), QString());
    QCOMPARE(text.size(), 9 + lines.size());
    // No lone CR or LF is left in either file: every line ends with CR LF.
    for (const QByteArray &bytes : {docs.text(), docs.page()}) {
        QByteArray rest = bytes;
        rest.replace("\r\n", "");
        QVERIFY(!rest.contains('\r'));
        QVERIFY(!rest.contains('\n'));
    }
    const QStringList page = crlfLines(docs.page());
    QCOMPARE(page.size(), 6 + text.size() + 2);
    for (int i = 0; i < lines.size(); ++i)
        QCOMPARE(page.at(11 + i), lines.at(i) + QStringLiteral("<br>"));
}

void DocumentsTest::onlyBlanksAreTrimmed()
{
    const PrintDocuments docs(QStringLiteral("   Soup  "), QStringLiteral(" \tAnn\t "),
                              QStringLiteral("  salt  "), QStringLiteral(" stir "));
    const QStringList text = crlfLines(docs.text());
    QCOMPARE(text.at(0), QStringLiteral("Name: Soup"));
    QCOMPARE(text.at(2), QStringLiteral("Author: \tAnn\t"));
    QCOMPARE(text.at(5), QStringLiteral("salt"));
    QCOMPARE(text.at(9), QStringLiteral("stir"));
}

void DocumentsTest::recipeTextIsEscapedInThePageOnly_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("inPage");
    QTest::newRow("less than") << QStringLiteral("bake < 10 min")
                               << QStringLiteral("bake &lt; 10 min");
    QTest::newRow("all five") << QStringLiteral("a & b > \"c\" 'd' <e>")
                              << QStringLiteral(
                                     "a &amp; b &gt; &quot;c&quot; &#39;d&#39; &lt;e&gt;");
    QTest::newRow("markup") << QStringLiteral("<script>alert(1)</script><b>x</b>")
                            << QStringLiteral("&lt;script&gt;alert(1)&lt;/script&gt;"
                                              "&lt;b&gt;x&lt;/b&gt;");
    QTest::newRow("an entity stays as typed")
        << QStringLiteral("&amp;") << QStringLiteral("&amp;amp;");
}

void DocumentsTest::recipeTextIsEscapedInThePageOnly()
{
    QFETCH(QString, typed);
    QFETCH(QString, inPage);
    const PrintDocuments docs(typed, typed, typed, typed);
    const QStringList text = crlfLines(docs.text());
    QCOMPARE(text.at(0), QStringLiteral("Name: ") + typed);
    QCOMPARE(text.at(5), typed);

    const QStringList page = crlfLines(docs.page());
    QCOMPARE(page.size(), 18);
    QCOMPARE(page.at(6), QStringLiteral("Name: ") + inPage + QStringLiteral("<br>"));
    QCOMPARE(page.at(8), QStringLiteral("Author: ") + inPage + QStringLiteral("<br>"));
    QCOMPARE(page.at(11), inPage + QStringLiteral("<br>"));
    QCOMPARE(page.at(15), inPage + QStringLiteral("<br>"));

    // Read as a page, the recipe shows exactly as typed.
    QTextDocument shown;
    shown.setHtml(QString::fromUtf8(docs.page()));
    const QString plain = shown.toPlainText();
    QVERIFY2(plain.contains(QStringLiteral("Name: ") + typed), qPrintable(plain));
    QVERIFY2(plain.contains(QStringLiteral("\n") + typed + QStringLiteral("\n")),
             qPrintable(plain));
}

void DocumentsTest::nonAsciiTextIsUtf8()
{
    const QString name = QStringLiteral("Crème brûlée à l’orange");
    const QString ingredients = QStringLiteral("Ñandú, Öl, 砂糖 🍋");
    const PrintDocuments docs(name, QStringLiteral("Zoë"), ingredients, SoupInstructions);

    QVERIFY(docs.text().startsWith("Name: " + name.toUtf8() + "\r\n"));
    QVERIFY(docs.text().contains("\r\n" + ingredients.toUtf8() + "\r\n"));
    QVERIFY(!docs.text().startsWith("\xEF\xBB\xBF"));
    QVERIFY(docs.page().contains("\r\n" + ingredients.toUtf8() + "<br>\r\n"));

    // The page says it is UTF-8, on the line of <HEAD>, so a browser need not guess.
    QCOMPARE(crlfLines(docs.page()).at(1), QStringLiteral("<HEAD><META charset=\"utf-8\">"));
    QStringDecoder decoder = QStringDecoder::decoderForHtml(docs.page());
    QVERIFY(decoder.isValid());
    QCOMPARE(QString::fromLatin1(decoder.name()).toLower(), QStringLiteral("utf-8"));
    const QString decoded = decoder.decode(docs.page());
    QVERIFY(decoded.contains(QStringLiteral("Name: ") + name + QStringLiteral("<br>")));
}

int runDocumentsTests(int argc, char **argv)
{
    DocumentsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "DocumentsTest.moc"
