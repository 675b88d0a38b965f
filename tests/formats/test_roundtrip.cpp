#include "FormatsTest.h"

#include "formats/MealMasterWriter.h"
#include "formats/SchemaOrgWriter.h"

#include <QTest>

using formats::FormatRecipe;

namespace {

QStringList Expected(const QList<FormatRecipe> &recipes)
{
    QStringList out;
    for (const FormatRecipe &r : recipes)
        out << QStringList{r.name, r.author, r.ingredients, r.instructions, r.categories.join(u',')}
                   .join(QStringLiteral(" | "))
                   .replace(QLatin1Char('\n'), QStringLiteral(" / "));
    return out;
}

} // namespace

void FormatsTest::roundTrip_data()
{
    QTest::addColumn<FormatRecipe>("recipe");
    QTest::addColumn<bool>("withinMealMaster");
    QTest::newRow("plain") << FormatRecipe{u"Soup"_qs,
                                           u"Ann"_qs,
                                           u"1 c water\n2 tb salt"_qs,
                                           u"Boil.\n\nServe hot."_qs,
                                           {u"Soups"_qs}}
                           << true;
    QTest::newRow("yield and times at the head")
        << FormatRecipe{u"Bread"_qs,
                        {},
                        u"500 g flour"_qs,
                        u"Yield: 2 loaves\n\nKnead.\nBake."_qs,
                        {u"Baking"_qs}}
        << true;
    QTest::newRow("times the web gives")
        << FormatRecipe{u"Stew"_qs,
                        {},
                        u"1 kg beef"_qs,
                        u"Yield: 6\nPrep time: 20 min\nTotal time: 2 h 20 min\n\nSimmer."_qs,
                        {}}
        << true;
    QTest::newRow("sections, continuations, odd ingredient lines")
        << FormatRecipe{u"Pie"_qs,
                        u"Bob's kitchen"_qs,
                        u"Crust:\n1 1/2 c flour, sifted twice with a pinch of salt and sugar\n"
                        "-cold butter\n3\n\nFilling:\n2 x apples, peeled\n1/2 c"_qs,
                        u"Mix.\n  Indented step.\n1. Bake at 200°."_qs,
                        {u"Desserts"_qs}}
        << true;
    QTest::newRow("any Unicode, HTML-looking text")
        << FormatRecipe{u"Crème brûlée 🍮 <b>&amp;</b>"_qs,
                        u"Zoë & 李"_qs,
                        u"½ c sugar &frac12;\n1 ts <i>vanilla</i>"_qs,
                        u"Heat < 90 °C & stir &#233; <p>slowly</p>."_qs,
                        {u"Français"_qs}}
        << true;
    QTest::newRow("long title, long lines")
        << FormatRecipe{QString(100, u't'),
                        {},
                        {},
                        u"A very long line of directions that goes on and on well past the "
                        "width of the lines of the format."_qs,
                        {}}
        << false;
}

void FormatsTest::roundTrip()
{
    QFETCH(FormatRecipe, recipe);
    // JSON, exactly: one recipe alone, and as part of a list.
    for (int count : {1, 2}) {
        QByteArray json;
        QBuffer out(&json);
        out.open(QIODevice::WriteOnly);
        formats::SchemaOrgWriter writer(out);
        for (int i = 0; i < count; ++i)
            writer.add(recipe);
        QVERIFY(writer.finish());
        FormatRecipe back = recipe;
        back.categories = back.categories.mid(0, 1);
        QCOMPARE(ReadAll(json), Expected(QList<FormatRecipe>(count, back)));
    }
    QFETCH(bool, withinMealMaster);
    if (withinMealMaster) {
        const QByteArray mm = formats::MealMasterWriter::Write(recipe);
        QCOMPARE(ReadAll(mm + "between\r\n" + mm), Expected({recipe, recipe}));
    }
}

// What the format cannot hold comes back cut or wrapped, and the file keeps the format's
// columns: a 60-character title, categories of at most 11 characters, lines of at most 79.
void FormatsTest::mealMasterLimits()
{
    const FormatRecipe recipe{QString(100, u't'),
                              u"Me"_qs,
                              u"1 c "_qs + QString(40, u'n'),
                              u"word "_qs.repeated(30).trimmed(),
                              {u"Main dishes and more"_qs, u"Beef"_qs, u"Quick, easy"_qs}};
    const QByteArray mm = formats::MealMasterWriter::Write(recipe);
    for (const QByteArray &line : mm.split('\n')) {
        QVERIFY2(line.endsWith('\r') || line.isEmpty(), line.constData());
        QVERIFY2(line.size() <= 80, line.constData());
    }
    QVERIFY(mm.contains("\r\n Categories: Main dishes, Beef, Quick  easy\r\n"));
    QCOMPARE(ReadAll(mm),
             QStringList{QString(60, u't') + u" | Me | 1 c "_qs + QString(28, u'n') + u' ' +
                         QString(12, u'n') + u" | "_qs +
                         (u"word "_qs.repeated(15).trimmed() + u" / "_qs).repeated(2).chopped(3) +
                         u" | Main dishes,Beef,Quick  easy"_qs});
}
