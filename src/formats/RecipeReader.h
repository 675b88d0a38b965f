#pragma once

#include "formats/FormatRecipe.h"

#include <memory>

class QIODevice;

namespace formats {

// The recipe files this program reads, told apart by their content, never by their name.
enum class Format
{
    Empty,      // nothing but blanks
    MealMaster, // also any other text: its recipes are found by their begin lines
    SchemaOrgHtml,
    SchemaOrgJson,
    Jet,    // a database of the earlier Windows program
    Binary, // no text and no format we know
};

// A reader hands out a file's recipes one by one, so that the memory a file takes does not
// grow with the file. It never stops at a recipe it cannot read: it hands that one out as
// skipped, with its line and the reason, and goes on.
class RecipeReader
{
public:
    virtual ~RecipeReader() = default;
    // The next recipe, read or skipped; false once the file has no more.
    virtual bool next(ReadEntry &entry) = 0;
};

// Looks at the start of the device without consuming it.
Format DetectFormat(QIODevice &device);
// A reader for the text formats; none for Empty, Jet and Binary.
std::unique_ptr<RecipeReader> OpenReader(QIODevice &device, Format format);

} // namespace formats
