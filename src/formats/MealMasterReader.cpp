#include "formats/MealMasterReader.h"

#include "formats/HeadLines.h"
#include "formats/MealMasterLine.h"
#include "formats/TextDecoding.h"

namespace formats {

namespace {

// A recipe this long without an end line is taken as one that lost its end line.
constexpr qsizetype MaxRecipeBytes = 1024 * 1024;

bool StartsWithKey(const QString &line, QStringView key, QString &value)
{
    const QString t = line.trimmed();
    if (!t.startsWith(key, Qt::CaseInsensitive))
        return false;
    value = t.mid(key.size()).trimmed();
    return true;
}

QStringView Latin1View(const QByteArray &bytes, QString &storage)
{
    storage = QString::fromLatin1(bytes);
    return storage;
}

// The directions without the indentation all their lines share, nor blank lines at either end.
QStringList Unindented(QStringList lines)
{
    while (!lines.isEmpty() && lines.first().trimmed().isEmpty())
        lines.removeFirst();
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    qsizetype indent = -1;
    for (const QString &line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        qsizetype n = 0;
        while (n < line.size() && line[n] == QLatin1Char(' '))
            ++n;
        indent = indent < 0 ? n : qMin(indent, n);
    }
    for (QString &line : lines)
        line = line.trimmed().isEmpty() ? QString() : line.mid(indent);
    return lines;
}

} // namespace

MealMasterReader::MealMasterReader(QIODevice &device) : m_lines(device) {}

void MealMasterReader::skip(ReadEntry &entry, qint64 line, const QString &reason)
{
    entry = {};
    entry.line = line;
    entry.skipped = reason;
}

bool MealMasterReader::next(ReadEntry &entry)
{
    QString latin;
    while (m_haveBegin || m_lines.next(m_line)) {
        if (!m_haveBegin && !MealMasterLine::IsBegin(Latin1View(m_line, latin)))
            continue;
        m_haveBegin = false;
        const qint64 begin = m_lines.lineNumber();
        QByteArrayList body;
        qsizetype bytes = 0;
        bool cut = false;
        while (m_lines.next(m_line)) {
            cut = cut || m_lines.lineWasCut();
            const QStringView view = Latin1View(m_line, latin);
            if (MealMasterLine::IsEnd(view))
                return finish(entry, begin, body, cut);
            if (MealMasterLine::IsBegin(view)) {
                m_haveBegin = true;
                skip(entry, begin, QStringLiteral("no end line"));
                return true;
            }
            bytes += m_line.size() + 1;
            if (bytes > MaxRecipeBytes) {
                skip(entry, begin, QStringLiteral("no end line within 1 MiB"));
                return true;
            }
            body.append(m_line);
        }
        skip(entry, begin, QStringLiteral("no end line"));
        return true;
    }
    return false;
}

bool MealMasterReader::finish(ReadEntry &entry, qint64 line, const QByteArrayList &lines, bool cut)
{
    const QByteArray bytes = lines.join('\n');
    if (cut || HasBinaryBytes(bytes)) {
        skip(entry, line, QStringLiteral("bytes that are no text"));
        return true;
    }
    entry = {};
    entry.line = line;
    const QString text = DecodeText(bytes);
    if (!Parse(text.split(QLatin1Char('\n')), entry.recipe, entry.skipped))
        entry.recipe = {};
    return true;
}

bool MealMasterReader::Parse(const QStringList &raw, FormatRecipe &recipe, QString &reason)
{
    using namespace MealMasterLine;
    recipe = {};
    QString yieldLine, value;
    qsizetype i = 0;
    for (; i < raw.size(); ++i) {
        const QString &line = raw[i];
        if (line.trimmed().isEmpty())
            continue;
        if (StartsWithKey(line, u"Title:", value)) {
            recipe.name = value;
        } else if (StartsWithKey(line, u"Categories:", value)) {
            for (const QString &c : value.split(QLatin1Char(',')))
                if (!c.trimmed().isEmpty())
                    recipe.categories << c.trimmed();
        } else if (StartsWithKey(line, u"Yield:", value)) {
            yieldLine = value.isEmpty() ? QString() : QStringLiteral("Yield: ") + value;
        } else if (StartsWithKey(line, u"Servings:", value)) {
            yieldLine = value.isEmpty() ? QString() : QStringLiteral("Servings: ") + value;
        } else {
            break;
        }
    }
    if (recipe.name.size() > MaxNameLength) {
        reason = QStringLiteral("a title over %1 characters").arg(MaxNameLength);
        return false;
    }

    QStringList ingredients, directions;
    int blanks = 0;
    qsizetype last[2] = {-1, -1}; // the ingredient each column's continuation lines extend
    for (; i < raw.size(); ++i) {
        const QString line = ExpandTabs(raw[i]);
        if (line.trimmed().isEmpty()) {
            ++blanks;
            continue;
        }
        const QString heading = Heading(line);
        if (!heading.isEmpty()) {
            for (; blanks > 0 && !ingredients.isEmpty(); --blanks)
                ingredients << QString();
            blanks = 0;
            ingredients << heading + QLatin1Char(':');
            last[0] = last[1] = -1;
            continue;
        }
        Ingredient left, right;
        const bool twoColumns = line.size() > SecondColumn && line[SecondColumn - 1] == u' ' &&
                                ParseIngredient(QStringView(line).mid(SecondColumn), right);
        const QStringView leftColumn =
            twoColumns ? QStringView(line).left(SecondColumn) : QStringView(line);
        const bool leftBlank = leftColumn.trimmed().isEmpty();
        if (!leftBlank && !ParseIngredient(leftColumn, left))
            break;
        for (; blanks > 0 && !ingredients.isEmpty(); --blanks)
            ingredients << QString();
        blanks = 0;
        int column = 0;
        for (Ingredient *part : {&left, &right}) {
            const bool present = part == &left ? !leftBlank : twoColumns;
            if (present) {
                if (part->continuation && last[column] >= 0) {
                    ingredients[last[column]] += QLatin1Char(' ') + part->name;
                } else {
                    last[column] = ingredients.size();
                    ingredients << (part->continuation ? QStringLiteral("-") + part->name
                                                       : part->text());
                }
            }
            ++column;
        }
    }
    for (; i < raw.size(); ++i) {
        const QString line = ExpandTabs(raw[i]);
        const QString heading = Heading(line);
        QString rest = line;
        while (rest.endsWith(QLatin1Char(' ')) || rest.endsWith(QLatin1Char('\r')))
            rest.chop(1);
        directions << (heading.isEmpty() ? rest : heading + QLatin1Char(':'));
    }
    directions = Unindented(directions);
    for (qsizetype d = directions.size() - 1; d >= 0; --d) {
        if ((StartsWithKey(directions[d], u"From:", value) ||
             StartsWithKey(directions[d], u"Posted by:", value)) &&
            !value.isEmpty()) {
            recipe.author = value;
            directions.removeAt(d);
            directions = Unindented(directions);
            break;
        }
    }
    recipe.ingredients = ingredients.join(QLatin1Char('\n'));
    recipe.instructions =
        HeadLines::Join(yieldLine.isEmpty() ? QStringList() : QStringList{yieldLine},
                        directions.join(QLatin1Char('\n')));
    return true;
}

} // namespace formats
