#include "Export.h"

#include "formats/MealMasterWriter.h"
#include "formats/SchemaOrgWriter.h"
#include "platform/vb/Strings.h"

#include <QIODevice>

namespace Export {

namespace {

// A field as the formats take it: as readers show it, without the stored blank, its line
// breaks (CR LF in recipes of the earlier program) one line feed each.
QString Field(const QString &stored)
{
    QString text = vb::Trim(stored);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

formats::FormatRecipe ToFormat(const Catalog::Recipe &r)
{
    return {Field(r.name),
            Field(r.author),
            Field(r.ingredients),
            Field(r.instructions),
            {r.id.category}};
}

} // namespace

qint64 Write(dao::Database &db, QIODevice &out, Format format, const Selection &selection)
{
    QList<Catalog::Recipe> one;
    if (selection.recipe) {
        if (auto r = Catalog::Read(db, {selection.category, *selection.recipe}))
            one << *r;
    }
    const QStringList categories =
        selection.category.isEmpty() ? Catalog::Categories(db) : QStringList{selection.category};
    formats::SchemaOrgWriter json(out);
    qint64 count = 0;
    bool ok = true;
    for (const QString &category : categories) {
        const QList<Catalog::Recipe> recipes =
            selection.recipe ? one : Catalog::Recipes(db, category);
        for (const Catalog::Recipe &r : recipes) {
            if (format == Format::Json)
                json.add(ToFormat(r));
            else
                ok = out.write(formats::MealMasterWriter::Write(ToFormat(r))) >= 0 && ok;
            ++count;
        }
    }
    if (format == Format::Json)
        ok = json.finish() && ok;
    return ok ? count : -1;
}

} // namespace Export
