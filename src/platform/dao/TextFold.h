#pragma once

#include <QString>

namespace dao {

// True for the characters of scripts written without spaces between words (Chinese, Japanese,
// Korean, Thai, Lao, Khmer, Myanmar...): the find index takes each of them as a word of its
// own, so that any run of them is found as a phrase.
bool IsUnspacedScript(char32_t c);

// The text as the find index reads it: compatibility forms folded (full-width letters,
// ligatures) and every character of an unspaced script set apart by blanks. Case and accents
// are the index's own to fold. Plain ASCII comes back as it is, without a copy.
QString TextForIndex(const QString &text);

} // namespace dao
