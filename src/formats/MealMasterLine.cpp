#include "formats/MealMasterLine.h"

namespace formats::MealMasterLine {

namespace {

bool IsBlank(QStringView s)
{
    for (const QChar c : s)
        if (c != QLatin1Char(' '))
            return false;
    return true;
}

QStringView Mid(QStringView s, qsizetype from, qsizetype n = -1)
{
    if (from >= s.size())
        return {};
    return n < 0 ? s.mid(from) : s.mid(from, qMin(n, s.size() - from));
}

QStringView RightTrimmed(QStringView s)
{
    qsizetype n = s.size();
    while (n > 0 && s[n - 1].isSpace())
        --n;
    return s.left(n);
}

} // namespace

QString Ingredient::text() const
{
    QString out = amount;
    for (const QString *part : {&unit, &name}) {
        if (part->isEmpty())
            continue;
        if (!out.isEmpty())
            out += QLatin1Char(' ');
        out += *part;
    }
    return out;
}

bool IsBegin(QStringView line)
{
    return (line.startsWith(u"-----") || line.startsWith(u"MMMMM")) &&
           line.contains(u"meal-master", Qt::CaseInsensitive) &&
           !RightTrimmed(line).endsWith(u"---");
}

bool IsEnd(QStringView line)
{
    const QStringView t = RightTrimmed(line);
    return t == u"-----" || t == u"MMMMM";
}

QString Heading(QStringView line)
{
    if (!line.startsWith(u"-----") && !line.startsWith(u"MMMMM"))
        return {};
    qsizetype from = 0;
    while (from < line.size() && line[from] == QLatin1Char('M'))
        ++from;
    while (from < line.size() && line[from] == QLatin1Char('-'))
        ++from;
    qsizetype to = line.size();
    while (to > from && (line[to - 1] == QLatin1Char('-') || line[to - 1].isSpace()))
        --to;
    return line.mid(from, to - from).trimmed().toString();
}

bool IsUnit(QStringView unit)
{
    static const char *const Units[] = {"x",  "sm", "md", "lg", "cn", "pk", "pn", "dr", "ds",
                                        "ct", "bn", "sl", "ea", "t",  "ts", "tb", "fl", "c",
                                        "pt", "qt", "ga", "oz", "lb", "ml", "cb", "cl", "dl",
                                        "l",  "dg", "cg", "mg", "g",  "kg"};
    if (unit.isEmpty() || unit.size() > 2)
        return false;
    char lower[3] = {};
    for (qsizetype i = 0; i < unit.size(); ++i) {
        const char16_t c = unit[i].unicode();
        if (c >= u'A' && c <= u'Z')
            lower[i] = char(c - u'A' + 'a');
        else if (c >= u'a' && c <= u'z')
            lower[i] = char(c);
        else
            return false;
    }
    for (const char *u : Units)
        if (qstrcmp(u, lower) == 0)
            return true;
    return false;
}

bool IsAmount(QStringView amount)
{
    for (const QChar c : amount)
        if (!c.isDigit() && !QStringView(u" /.-½¼¾⅓⅔⅛").contains(c))
            return false;
    return true;
}

bool ParseIngredient(QStringView column, Ingredient &out)
{
    out = {};
    const QStringView amount = Mid(column, 0, AmountWidth);
    if (IsBlank(Mid(column, 0, NameColumn)) && column.size() > NameColumn &&
        column[NameColumn] == QLatin1Char('-')) {
        out.continuation = true;
        out.name = Mid(column, NameColumn + 1).trimmed().toString();
        return true;
    }
    if (!IsAmount(amount) || !IsBlank(Mid(column, AmountWidth, 1)))
        return false;
    out.amount = amount.trimmed().toString();
    const QStringView unit = Mid(column, AmountWidth + 1, 2).trimmed();
    if (IsBlank(Mid(column, AmountWidth + 1, 3)) || (IsUnit(unit) && IsBlank(Mid(column, 10, 1)))) {
        out.unit = unit.toString();
        out.name = Mid(column, NameColumn).trimmed().toString();
    } else if (!out.amount.isEmpty()) {
        // A name written from column 9 on, with no unit.
        out.name = Mid(column, AmountWidth + 1).trimmed().toString();
    } else {
        return false;
    }
    // An amount alone is no ingredient line: directions often begin with a step number.
    return !out.unit.isEmpty() || !out.name.isEmpty();
}

QString ExpandTabs(const QString &line)
{
    if (!line.contains(QLatin1Char('\t')))
        return line;
    QString out;
    for (const QChar c : line) {
        if (c == QLatin1Char('\t'))
            out += QString(8 - out.size() % 8, QLatin1Char(' '));
        else
            out += c;
    }
    return out;
}

} // namespace formats::MealMasterLine
