#include "formats/HeadLines.h"

#include <QRegularExpression>

namespace formats::HeadLines {

QString Join(const QStringList &head, const QString &directions)
{
    if (head.isEmpty())
        return directions;
    const QString block = head.join(QLatin1Char('\n'));
    if (directions.startsWith(block) &&
        (directions.size() == block.size() || directions.at(block.size()) == QLatin1Char('\n')))
        return directions;
    if (directions.trimmed().isEmpty())
        return block;
    return block + QStringLiteral("\n\n") + directions;
}

namespace {
struct Unit
{
    QChar iso;
    bool inTime;
    const char *text;
};
constexpr Unit Units[] = {
    {u'D', false, "d"}, {u'H', true, "h"}, {u'M', true, "min"}, {u'S', true, "s"}};
} // namespace

QString DurationText(const QString &iso)
{
    static const QRegularExpression pattern(
        QStringLiteral("^P(?:(\\d+)D)?(?:T(?:(\\d+)H)?(?:(\\d+)M)?(?:(\\d+)S)?)?$"),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = pattern.match(iso.trimmed());
    if (!match.hasMatch())
        return {};
    QStringList parts;
    for (int i = 0; i < 4; ++i) {
        const QString number = match.captured(i + 1);
        if (!number.isEmpty() && number.toLongLong() != 0)
            parts << QString::number(number.toLongLong()) + QLatin1Char(' ') +
                         QLatin1String(Units[i].text);
    }
    return parts.join(QLatin1Char(' '));
}

QString DurationIso(const QString &text)
{
    const QStringList words = text.split(QLatin1Char(' '));
    if (words.size() % 2 != 0 || words.isEmpty())
        return {};
    QString date = QStringLiteral("P"), time;
    int unit = 0;
    for (int i = 0; i < words.size(); i += 2) {
        bool ok = false;
        const qlonglong number = words[i].toLongLong(&ok);
        while (unit < 4 && words[i + 1] != QLatin1String(Units[unit].text))
            ++unit;
        if (!ok || number <= 0 || unit == 4)
            return {};
        (Units[unit].inTime ? time : date) += QString::number(number) + Units[unit].iso;
        ++unit;
    }
    const QString iso = time.isEmpty() ? date : date + QLatin1Char('T') + time;
    return DurationText(iso) == text ? iso : QString();
}

} // namespace formats::HeadLines
