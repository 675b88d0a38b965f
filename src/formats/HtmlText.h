#pragma once

#include <QString>

namespace formats {

// Values in a web page's recipe data often carry HTML: entities ("&amp;", "&#189;") and tags
// ("<p>", "<br>"). Text() makes plain text of them; Escape() is its inverse for any text, so a
// recipe written out and read again comes back exactly.
namespace HtmlText {

// Entities decoded, tags taken out (a line break, paragraph or list item becomes a line
// break), in one pass: what a decoded entity gives is never read as HTML again.
QString Text(const QString &value);
// Just enough escaping that Text() gives back the same text: "&" where it would read as an
// entity, "<" where it would read as a tag. Other text stays as it is.
QString Escape(const QString &text);

} // namespace HtmlText

} // namespace formats
