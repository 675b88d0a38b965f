#include "formats/SchemaOrgRecipe.h"

#include "formats/HeadLines.h"
#include "formats/HtmlText.h"

#include <QJsonArray>

namespace formats::SchemaOrgRecipe {

namespace {

constexpr int MaxDepth = 64;

bool IsType(const QJsonValue &type, QStringView name)
{
    if (type.isArray()) {
        for (const QJsonValue &t : type.toArray())
            if (IsType(t, name))
                return true;
        return false;
    }
    const QString t = type.toString();
    return t == name || t.endsWith(QLatin1Char('/') + name.toString()) ||
           t.endsWith(QLatin1Char(':') + name.toString());
}

// A value as text: a string, a number, an object by its name or text, a list joined.
QString Text(const QJsonValue &value, const QString &separator = QStringLiteral(", "))
{
    switch (value.type()) {
    case QJsonValue::String:
        return HtmlText::Text(value.toString());
    case QJsonValue::Double:
        return QString::number(value.toDouble());
    case QJsonValue::Object: {
        const QJsonObject o = value.toObject();
        for (const char *key : {"name", "text", "@value"})
            if (o.contains(QLatin1String(key)))
                return Text(o.value(QLatin1String(key)), separator);
        return {};
    }
    case QJsonValue::Array: {
        QStringList parts;
        for (const QJsonValue &v : value.toArray()) {
            const QString t = Text(v, separator);
            if (!t.trimmed().isEmpty())
                parts << t;
        }
        return parts.join(separator);
    }
    default:
        return {};
    }
}

// A list of texts from a text or an array of them.
QStringList Lines(const QJsonValue &value)
{
    QStringList lines;
    if (value.isArray()) {
        for (const QJsonValue &v : value.toArray())
            lines << Text(v);
    } else if (!value.isUndefined() && !value.isNull()) {
        lines << Text(value).split(QLatin1Char('\n'));
    }
    return lines;
}

void Steps(const QJsonValue &value, QStringList &out, int depth)
{
    if (depth > MaxDepth)
        return;
    if (value.isArray()) {
        for (const QJsonValue &v : value.toArray())
            Steps(v, out, depth + 1);
        return;
    }
    if (!value.isObject()) {
        const QString text = Text(value).trimmed();
        if (!text.isEmpty())
            out << text;
        return;
    }
    const QJsonObject o = value.toObject();
    if (IsType(o.value(QLatin1String("@type")), u"HowToSection") ||
        o.contains(QLatin1String("itemListElement"))) {
        if (!out.isEmpty())
            out << QString();
        const QString name = Text(o.value(QLatin1String("name"))).trimmed();
        if (!name.isEmpty())
            out << name + QLatin1Char(':');
        Steps(o.value(QLatin1String("itemListElement")), out, depth + 1);
        return;
    }
    const QString text =
        Text(o.value(QLatin1String(o.contains(QLatin1String("text")) ? "text" : "name"))).trimmed();
    if (!text.isEmpty())
        out << text;
}

QStringList Categories(const QJsonValue &value)
{
    QStringList out;
    for (const QString &line : Lines(value))
        for (const QString &c : line.split(QLatin1Char(',')))
            if (!c.trimmed().isEmpty())
                out << c.trimmed();
    return out;
}

// The yield: the longest of the texts given ("4" or "4 servings" says less than the other).
QString Yield(const QJsonValue &value)
{
    QString best;
    for (const QString &line : Lines(value))
        if (line.trimmed().size() > best.size())
            best = line.trimmed();
    return best;
}

struct Head
{
    const char *property;
    const char *label;
    bool duration;
};
constexpr Head Heads[] = {{"recipeYield", "Yield: ", false},
                          {"prepTime", "Prep time: ", true},
                          {"cookTime", "Cook time: ", true},
                          {"totalTime", "Total time: ", true}};

} // namespace

bool IsRecipe(const QJsonObject &object)
{
    return IsType(object.value(QLatin1String("@type")), u"Recipe");
}

void Collect(const QJsonValue &value, QList<QJsonObject> &recipes, int depth)
{
    if (depth > MaxDepth)
        return;
    if (value.isArray()) {
        for (const QJsonValue &v : value.toArray())
            Collect(v, recipes, depth + 1);
    } else if (value.isObject()) {
        const QJsonObject o = value.toObject();
        if (IsRecipe(o)) {
            recipes << o;
            return;
        }
        for (auto it = o.begin(); it != o.end(); ++it)
            if (it->isObject() || it->isArray())
                Collect(*it, recipes, depth + 1);
    }
}

FormatRecipe FromJson(const QJsonObject &o)
{
    FormatRecipe r;
    r.name = Text(o.value(QLatin1String("name"))).trimmed();
    r.author = Text(o.value(QLatin1String("author"))).trimmed();
    QJsonValue ingredients = o.value(QLatin1String("recipeIngredient"));
    if (ingredients.isUndefined())
        ingredients = o.value(QLatin1String("ingredients"));
    r.ingredients = Lines(ingredients).join(QLatin1Char('\n'));
    QStringList head;
    for (const Head &h : Heads) {
        const QJsonValue v = o.value(QLatin1String(h.property));
        QString text = h.duration ? Text(v).trimmed() : Yield(v);
        if (h.duration && !HeadLines::DurationText(text).isEmpty())
            text = HeadLines::DurationText(text);
        if (!text.isEmpty())
            head << QLatin1String(h.label) + text;
    }
    const QJsonValue instructions = o.value(QLatin1String("recipeInstructions"));
    QString directions;
    if (instructions.isString()) {
        directions = Text(instructions);
    } else {
        QStringList steps;
        Steps(instructions, steps, 0);
        directions = steps.join(QLatin1Char('\n'));
    }
    r.instructions = HeadLines::Join(head, directions);
    r.categories = Categories(o.value(QLatin1String("recipeCategory")));
    return r;
}

QJsonObject ToJson(const FormatRecipe &r)
{
    QJsonObject o;
    o.insert(QLatin1String("@context"), QStringLiteral("https://schema.org"));
    o.insert(QLatin1String("@type"), QStringLiteral("Recipe"));
    o.insert(QLatin1String("name"), HtmlText::Escape(r.name));
    if (!r.author.isEmpty())
        o.insert(QLatin1String("author"),
                 QJsonObject{{QLatin1String("@type"), QStringLiteral("Person")},
                             {QLatin1String("name"), HtmlText::Escape(r.author)}});
    if (!r.categories.isEmpty())
        o.insert(QLatin1String("recipeCategory"), HtmlText::Escape(r.categories.first()));
    QJsonArray ingredients;
    if (!r.ingredients.isEmpty())
        for (const QString &line : r.ingredients.split(QLatin1Char('\n')))
            ingredients.append(HtmlText::Escape(line));
    o.insert(QLatin1String("recipeIngredient"), ingredients);
    // The head lines, in their order, also as properties; reading them back finds the same
    // lines already at the head of the instructions and adds nothing.
    const QStringList lines = r.instructions.split(QLatin1Char('\n'));
    qsizetype at = 0;
    for (const Head &h : Heads) {
        if (at >= lines.size() || !lines[at].startsWith(QLatin1String(h.label)))
            continue;
        const QString value = lines[at].mid(qstrlen(h.label));
        const QString property = h.duration ? HeadLines::DurationIso(value) : value;
        if (property.isEmpty() || property != property.trimmed())
            break;
        o.insert(QLatin1String(h.property), HtmlText::Escape(property));
        ++at;
    }
    o.insert(QLatin1String("recipeInstructions"), HtmlText::Escape(r.instructions));
    return o;
}

} // namespace formats::SchemaOrgRecipe
