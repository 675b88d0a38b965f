#pragma once

#include <QString>

#include <array>

class FindQuery;

// A short piece of a found recipe's text around the first word the query matches, with every
// matched word in it between Catalog::MarkStart and Catalog::MarkEnd; line breaks and runs of
// blanks become one blank. From the ingredients, else the instructions, else the name and the
// author; the beginning of the ingredients when no word matches in any of them (the category
// matched).
QString Snippet(const std::array<QString, 4> &fields, const FindQuery &query);
