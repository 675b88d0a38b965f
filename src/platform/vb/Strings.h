#pragma once

#include <QString>

namespace vb {

// Trim as the program has always trimmed: leading and trailing blanks (the space character)
// only; tabs, line breaks and other white space stay.
QString Trim(const QString &text);

// Upper case as shown in the messages.
inline QString UCase(const QString &text) { return text.toUpper(); }

} // namespace vb
