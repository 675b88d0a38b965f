#pragma once

#include "formats/LineReader.h"
#include "formats/RecipeReader.h"

#include <QByteArrayList>
#include <QStringList>

namespace formats {

// Reads the recipes of a Meal-Master file one by one. Anything between recipes is passed
// over; a recipe with no end line, a title too long to store, or bytes that are no text is
// handed out as skipped.
//
// Mapping: Title is the name; Categories the categories; the ingredient lines, one a line as
// "amount unit name" (each as written, continuation lines joined to the line they continue,
// section headings as "NAME:"), the ingredients; "Yield: ..." or "Servings: ..." and a blank
// line, then the directions, the instructions; the last "From:" or "Posted by:" line of the
// directions, taken out of them, the author.
class MealMasterReader : public RecipeReader
{
public:
    explicit MealMasterReader(QIODevice &device);
    bool next(ReadEntry &entry) override;

    // The recipe between a begin line and an end line, as read; false with the reason where it
    // cannot be stored.
    static bool Parse(const QStringList &lines, FormatRecipe &recipe, QString &reason);

private:
    void skip(ReadEntry &entry, qint64 line, const QString &reason);
    bool finish(ReadEntry &entry, qint64 line, const QByteArrayList &lines, bool cut);

    LineReader m_lines;
    QByteArray m_line;
    bool m_haveBegin = false; // m_line holds a begin line not yet handled
};

} // namespace formats
