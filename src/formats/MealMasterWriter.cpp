#include "formats/MealMasterWriter.h"

#include "formats/MealMasterLine.h"

#include <QRegularExpression>

namespace formats::MealMasterWriter {

namespace {

using namespace MealMasterLine;

QString OneLine(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.trimmed();
}

// The first characters of a text, never half of a character outside the basic plane.
QString Cut(const QString &text, qsizetype length)
{
    if (text.size() <= length)
        return text;
    if (length > 0 && text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

// A text broken at blanks into pieces of at most `width` characters; a word longer than that
// is broken where it must be.
QStringList Wrap(const QString &text, qsizetype width)
{
    QStringList pieces;
    QString rest = text;
    while (rest.size() > width) {
        qsizetype at = rest.lastIndexOf(QLatin1Char(' '), width);
        if (at <= 0) {
            const QString piece = Cut(rest, width);
            pieces << piece;
            rest = rest.mid(piece.size());
            continue;
        }
        pieces << rest.left(at);
        rest = rest.mid(at + 1);
    }
    pieces << rest;
    return pieces;
}

bool IsHeadingText(const QString &line)
{
    const QString t = line.trimmed();
    return t.size() > 1 && t.endsWith(QLatin1Char(':')) && !t.front().isDigit() &&
           !t.startsWith(QLatin1Char('-'));
}

void IngredientLines(const QString &text, QStringList &out)
{
    if (text.trimmed().isEmpty()) {
        out << QString();
        return;
    }
    if (IsHeadingText(text)) {
        out << QStringLiteral("-----") + OneLine(text).chopped(1).trimmed() +
                   QStringLiteral("-----");
        return;
    }
    QString rest = OneLine(text);
    QString amount, unit;
    auto take = [&rest]() {
        const qsizetype end = rest.indexOf(QLatin1Char(' '));
        return end < 0 ? rest : rest.left(end);
    };
    auto drop = [&rest](qsizetype n) { rest = rest.mid(n).trimmed(); };
    for (int n = 0; n < 2 && !rest.isEmpty(); ++n) {
        const QString token = take();
        const bool fraction = n == 0 || token.contains(QLatin1Char('/'));
        const QString joined = amount.isEmpty() ? token : amount + QLatin1Char(' ') + token;
        if (!fraction || !IsAmount(token) || token.contains(QLatin1Char(' ')) ||
            joined.size() > AmountWidth || token.front() == QLatin1Char('-'))
            break;
        amount = joined;
        drop(token.size());
    }
    if (!amount.isEmpty() && !rest.isEmpty() && IsUnit(take()) && take().size() <= 2) {
        unit = take();
        drop(unit.size());
    }
    if (unit.isEmpty() && rest.isEmpty()) {
        rest = amount;
        amount.clear();
    }
    QStringList names = Wrap(rest, NameWidth);
    QString first = amount.rightJustified(AmountWidth) + QLatin1Char(' ') + unit.leftJustified(2) +
                    QLatin1Char(' ');
    // A name that begins with "-" would read as a continuation line.
    if (names.first().startsWith(QLatin1Char('-')))
        first += QLatin1Char(' ');
    QString line0 = first + names.first();
    while (line0.endsWith(QLatin1Char(' ')))
        line0.chop(1);
    out << line0;
    for (qsizetype i = 1; i < names.size(); ++i)
        out << QString(NameColumn, QLatin1Char(' ')) + QLatin1Char('-') + names[i];
}

// "Yield: 4" or "Servings: 4" as the first line of the instructions, alone or before a blank
// line, is what a reader makes of the file's yield line.
bool SplitYield(const QString &instructions, QString &yieldLine, QString &directions)
{
    static const QRegularExpression head(QStringLiteral("^(Yield|Servings): (\\S.*)$"));
    const qsizetype end = instructions.indexOf(QLatin1Char('\n'));
    const QString first = end < 0 ? instructions : instructions.left(end);
    if (!head.match(first).hasMatch())
        return false;
    if (end >= 0 && !instructions.mid(end + 1).startsWith(QLatin1Char('\n')))
        return false;
    yieldLine = first;
    directions = end < 0 ? QString() : instructions.mid(end + 2);
    return true;
}

} // namespace

QByteArray Write(const FormatRecipe &recipe)
{
    QStringList lines;
    lines << QStringLiteral("---------- Recipe via Meal-Master (tm) v8.05") << QString();
    lines << QStringLiteral("      Title: ") + Cut(OneLine(recipe.name), TitleLength);
    QString categories;
    for (const QString &c : recipe.categories) {
        QString one =
            Cut(OneLine(c).replace(QLatin1Char(','), QLatin1Char(' ')), CategoryLength).trimmed();
        if (one.isEmpty())
            continue;
        const QString joined = categories.isEmpty() ? one : categories + QStringLiteral(", ") + one;
        if (13 + joined.size() > Width)
            break;
        categories = joined;
    }
    lines << QStringLiteral(" Categories: ") + categories;
    QString yieldLine, directions = recipe.instructions;
    if (SplitYield(recipe.instructions, yieldLine, directions)) {
        const qsizetype colon = yieldLine.indexOf(QLatin1Char(':'));
        lines << yieldLine.left(colon).rightJustified(11) + yieldLine.mid(colon);
    } else {
        lines << QStringLiteral("      Yield:");
    }
    lines << QString();
    for (const QString &line : recipe.ingredients.split(QLatin1Char('\n')))
        IngredientLines(line, lines);
    lines << QString();
    for (QString line : directions.split(QLatin1Char('\n'))) {
        while (line.endsWith(QLatin1Char(' ')) || line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty()) {
            lines << QString();
            continue;
        }
        for (const QString &piece : Wrap(line, Width - 2))
            lines << QStringLiteral("  ") + piece;
    }
    const QString author = OneLine(recipe.author);
    if (!author.isEmpty())
        lines << QString() << QStringLiteral("  From: ") + author;
    lines << QString() << QStringLiteral("-----") << QString();
    return lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
}

} // namespace formats::MealMasterWriter
