#pragma once

#include <QString>
#include <QStringList>

namespace formats {

// Yield and times have no field of their own in a recipe record: every format puts them at
// the head of the instructions, one "Label: value" line each, then a blank line, then the
// directions. The same rules read them back when a recipe is written out again.
namespace HeadLines {

// The head lines followed by the directions. Directions that already begin with exactly these
// lines (a recipe this program wrote out) are taken as they are, so nothing is doubled.
QString Join(const QStringList &head, const QString &directions);

// A duration such as "PT1H30M" as it reads at the head of the instructions ("1 h 30 min"),
// and back; an empty string where the text is no such duration.
QString DurationText(const QString &iso);
QString DurationIso(const QString &text);

} // namespace HeadLines

} // namespace formats
