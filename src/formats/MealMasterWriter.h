#pragma once

#include "formats/FormatRecipe.h"

#include <QByteArray>

namespace formats {

// Writes recipes as Meal-Master text, in UTF-8 with CR LF line ends, the mapping of
// MealMasterReader the other way round: a title of at most 60 characters, as many categories
// of at most 11 characters as fit on their line, a yield line taken from the head of the
// instructions, one ingredient a line in one column (long names go on in continuation lines),
// the directions wrapped to the width of the format, and the author as a closing "From:" line.
//
// What comes back when such a file is read is the same recipe, within the format's limits:
// a longer title is cut; runs of blanks between an ingredient's amount, unit and name, and at
// the ends of lines, become one blank or none; directions lines longer than the format's
// lines come back wrapped; a line break in the name or the author becomes a blank; and a
// "From:" line among directions of a recipe with no author becomes its author.
namespace MealMasterWriter {

inline constexpr int TitleLength = 60;
inline constexpr int CategoryLength = 11;

QByteArray Write(const FormatRecipe &recipe);

} // namespace MealMasterWriter

} // namespace formats
