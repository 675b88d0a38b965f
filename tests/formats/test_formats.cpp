#include "FormatsTest.h"

#include <QTest>

using formats::Format;

namespace {

QByteArray Mm(const QByteArray &body, const QByteArray &title = "Soup")
{
    return "---------- Recipe via Meal-Master (tm) v8.05\n\n      Title: " + title +
           "\n Categories: Soups, Winter\n      Yield: 4 servings\n\n" + body + "\n-----\n";
}

QByteArray Page(const QByteArrayList &blocks)
{
    QByteArray page = "<!DOCTYPE html><html><head><title>x</title>\n";
    for (const QByteArray &b : blocks)
        page += "<script type=\"application/ld+json\">\n" + b + "\n</script>\n";
    return page + "<script>var s = '<script>';</script></head><body>x</body></html>\n";
}

// One line of two ingredient columns, the second at column 41.
QByteArray Two(const QByteArray &left, const QByteArray &right)
{
    return left.leftJustified(40, ' ') + right + "\r\n";
}

} // namespace

void FormatsTest::detect_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Format>("format");
    QTest::newRow("empty") << QByteArray() << Format::Empty;
    QTest::newRow("blanks") << QByteArray(" \r\n\t\n") << Format::Empty;
    QTest::newRow("meal-master") << Mm("      1 c  water") << Format::MealMaster;
    QTest::newRow("other text") << QByteArray("just a letter\n") << Format::MealMaster;
    QTest::newRow("page") << Page({}) << Format::SchemaOrgHtml;
    QTest::newRow("json, BOM") << QByteArray("\xEF\xBB\xBF [{}]") << Format::SchemaOrgJson;
    QTest::newRow("jet") << QByteArray("\0\1\0\0Standard Jet DB\0", 20) << Format::Jet;
    QTest::newRow("binary") << QByteArray("\x7F"
                                          "ELF\2\1\1\0\0\0",
                                          10)
                            << Format::Binary;
}

void FormatsTest::detect()
{
    QFETCH(QByteArray, bytes);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QFETCH(Format, format);
    QCOMPARE(formats::DetectFormat(buffer), format);
    QCOMPARE(buffer.pos(), 0);
}

void FormatsTest::mealMaster_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("entries");
    const QString soup =
        QStringLiteral("Soup |  | 1 c water | Yield: 4 servings /  / Boil. | Soups,Winter");
    const QByteArray water = "      1 c  water\n\n  Boil.";

    QTest::newRow("one recipe") << Mm(water) << QStringList{soup};
    QTest::newRow("code page 437")
        << Mm(water, "Cr\x8Ame br\x96l\x82"
                     "e \xAE"
                     "1\xAF \xF8")
        << QStringList{QString(soup).replace(u"Soup |"_qs, u"Crème brûlée «1» ° |"_qs)};
    QTest::newRow("UTF-8") << Mm(water, "Crème brûlée")
                           << QStringList{
                                  QString(soup).replace(u"Soup |"_qs, u"Crème brûlée |"_qs)};
    QTest::newRow("MMMMM framing, CR line ends")
        << QByteArray(
               "MMMMM----- Recipe via Meal-Master (tm) v8.06\r\r      Title: Soup\r"
               "Categories: Soups, Winter\r  Servings: 2\r\r      1 c  water\r\r  Boil.\rMMMMM\r")
        << QStringList{u"Soup |  | 1 c water | Servings: 2 /  / Boil. | Soups,Winter"_qs};
    QTest::newRow("two columns, continuations, sections, author")
        << Mm("MMMMM---------------FOR THE BROTH----------------\r\n" +
              Two("  1 1/2 c  water", "      2 tb butter, soft and cut in") +
              Two("           -small cubes", "           -small pieces") +
              Two("      1    onion", "      1 ts salt") +
              "\r\n"
              "-----------------------TOPPING-----------------------\r\n"
              "    1/2 lb cheese\r\n"
              "\r\n"
              "    Boil the water.\r\n"
              "      Add the rest.\r\n"
              "\r\n"
              "    From: Grandma's box\r\n")
        << QStringList{u"Soup | Grandma's box | FOR THE BROTH: / 1 1/2 c water small cubes / "
                       "2 tb butter, soft and cut in small pieces / 1 onion / 1 ts salt /  / "
                       "TOPPING: / 1/2 lb cheese | Yield: 4 servings /  / Boil the water. /   Add "
                       "the rest. | Soups,Winter"_qs};
    QTest::newRow("several, garbage between, a recipe with no end line")
        << "From: nobody\nSubject: recipes\n" + Mm(water) + "\x1A junk \xFF\xFE\n" +
               QByteArray(Mm(water)).replace("\n-----\n", "\n") + "more\n" + Mm(water)
        << QStringList{soup, u"skip 14: no end line"_qs, soup};
    QTest::newRow("no end line at the end")
        << QByteArray(Mm(water)).replace("-----\n", "") << QStringList{u"skip 1: no end line"_qs};
    QTest::newRow("title over 255 characters")
        << Mm(water, QByteArray(256, 'x')) + Mm(water, QByteArray(255, 'y'))
        << QStringList{u"skip 1: a title over 255 characters"_qs,
                       QString(soup).replace(u"Soup |"_qs, QString(255, u'y') + u" |"_qs)};
    QTest::newRow("bytes that are no text")
        << Mm(QByteArray("      1 c  wa\0ter", 17)) + Mm(water)
        << QStringList{u"skip 1: bytes that are no text"_qs, soup};
    QTest::newRow("a line of megabytes") << Mm(QByteArray(3 * 1024 * 1024, 'x')) + Mm(water)
                                         << QStringList{u"skip 1: bytes that are no text"_qs, soup};
    QTest::newRow("a megabyte of lines")
        << Mm(QByteArray("x\n").repeated(600000)) + Mm(water)
        << QStringList{u"skip 1: no end line within 1 MiB"_qs, soup};
    // A CR LF whose CR ends one block of the reader and whose LF begins the next.
    QTest::newRow("line end across blocks")
        << QByteArray(256 * 1024 - 1, 'x') + "\r\n" + QByteArray(Mm(water)).replace("-----\n", "") +
               "\r" + Mm(water, "")
        << QStringList{u"skip 2: no end line"_qs,
                       u" |  | 1 c water | Yield: 4 servings /  / Boil. | Soups,Winter"_qs};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("binary file") << QByteArray("\0\x01\x02\xFF"
                                               "Meal-Master\0",
                                               16)
                                 << QStringList{};
}

void FormatsTest::mealMaster()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, entries);
    QCOMPARE(ReadAll(bytes), entries);
}

void FormatsTest::schemaOrg_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("@graph, HowToSection, author list, entities, times")
        << Page({R"({"@context":"https://schema.org","@graph":[
              {"@type":"WebPage","name":"not a recipe"},
              {"@type":["Recipe","NewsArticle"],"name":"Mac &amp; Cheese",
               "author":[{"@type":"Person","name":"Ann"},"Bob &lt;3"],
               "recipeYield":["4","4 servings"],"prepTime":"PT15M","cookTime":"PT1H5M",
               "recipeIngredient":["1 &frac12; cups <b>macaroni</b>","2 cups cheese &#x1F9C0;"],
               "recipeCategory":"Dinner, Pasta",
               "recipeInstructions":[
                 {"@type":"HowToSection","name":"Pasta","itemListElement":[
                   {"@type":"HowToStep","text":"Boil &amp; drain."}]},
                 {"@type":"HowToSection","name":"Sauce","itemListElement":[
                   {"@type":"HowToStep","text":"<p>Melt.</p>"},"Stir."]}]}]})"})
        << QStringList{u"Mac & Cheese | Ann, Bob <3 | 1 ½ cups macaroni / 2 cups cheese 🧀 | "
                       "Yield: 4 servings / Prep time: 15 min / Cook time: 1 h 5 min /  / Pasta: / "
                       "Boil & drain. /  / Sauce: / Melt. / Stir. | Dinner,Pasta"_qs};
    QTest::newRow("two recipes, one broken block")
        << Page({R"({"@type":"Recipe","name":"A","recipeInstructions":"Mix."})", "{broken",
                 R"([{"@type":"http://schema.org/Recipe","name":"B","author":"Cy"}])"})
        << QStringList{u"A |  |  | Mix. | "_qs,
                       u"skip 5: data that is no valid JSON: unterminated object"_qs,
                       u"B | Cy |  |  | "_qs};
    QTest::newRow("a page with none")
        << Page({R"({"@type":"WebSite","name":"x"})"}) << QStringList{};
    QTest::newRow("JSON list, name too long")
        << QByteArray(R"([{"@type":"Recipe","name":")" + QByteArray(256, 'n') +
                      R"("}, 7, {"@type":"Recipe","name":"C"}])")
        << QStringList{u"skip 1: a name over 255 characters"_qs, u"C |  |  |  | "_qs};
}

void FormatsTest::schemaOrg()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, entries);
    QCOMPARE(ReadAll(bytes), entries);
}

QTEST_GUILESS_MAIN(FormatsTest)
#include "test_formats.moc"
