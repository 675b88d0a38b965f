#pragma once

#include <QString>
#include <QStringView>

namespace formats {

// The columns of a Meal-Master file: begin and end lines, section headings, and the ingredient
// lines with their amount (columns 1 to 7), unit (9 and 10) and name (from 12), in one column or
// two (the second starting at column 41). Shared by the reader and the writer.
namespace MealMasterLine {

inline constexpr int AmountWidth = 7;
inline constexpr int NameColumn = 11;   // zero-based
inline constexpr int NameWidth = 28;    // columns 12 to 39
inline constexpr int SecondColumn = 40; // zero-based: column 41
inline constexpr int Width = 79;        // of the lines the writer makes

struct Ingredient
{
    QString amount, unit, name;
    bool continuation = false; // "-" in column 12: the rest of the line before

    // As the ingredients read in a recipe record: amount, unit and name, as written, by one blank.
    QString text() const;
};

bool IsBegin(QStringView line);
bool IsEnd(QStringView line);
// The name of a section heading ("-----NAME-----", "MMMMM---NAME---"), or empty.
QString Heading(QStringView line);
bool IsUnit(QStringView unit);
bool IsAmount(QStringView amount);
// One column of an ingredient line; false where it is no ingredient line.
bool ParseIngredient(QStringView column, Ingredient &out);
// A line with its tabs expanded to the columns they stand for.
QString ExpandTabs(const QString &line);

} // namespace MealMasterLine

} // namespace formats
