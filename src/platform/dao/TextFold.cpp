#include "TextFold.h"

#include <algorithm>

namespace dao {

bool IsUnspacedScript(char32_t c)
{
    if (c < 0x0E00)
        return false;
    return (c >= 0x0E00 && c <= 0x0EFF)       // Thai, Lao
           || (c >= 0x1000 && c <= 0x109F)    // Myanmar
           || (c >= 0x1780 && c <= 0x17FF)    // Khmer
           || (c >= 0x2E80 && c <= 0x2FDF)    // CJK radicals
           || (c >= 0x3005 && c <= 0x3007)    // iteration and closing marks
           || (c >= 0x3040 && c <= 0x31FF)    // kana, bopomofo, Hangul jamo
           || (c >= 0x3400 && c <= 0x4DBF)    // CJK extension A
           || (c >= 0x4E00 && c <= 0x9FFF)    // CJK unified ideographs
           || (c >= 0xA000 && c <= 0xA4CF)    // Yi
           || (c >= 0xAC00 && c <= 0xD7AF)    // Hangul syllables
           || (c >= 0xF900 && c <= 0xFAFF)    // CJK compatibility ideographs
           || (c >= 0xFF66 && c <= 0xFF9F)    // half-width kana
           || (c >= 0x20000 && c <= 0x3FFFF); // CJK extensions B and later
}

QString TextForIndex(const QString &text)
{
    const auto ascii = [](QChar ch) { return ch.unicode() < 0x80; };
    if (std::all_of(text.cbegin(), text.cend(), ascii))
        return text;
    const QString folded = text.normalized(QString::NormalizationForm_KC);
    QString out;
    out.reserve(folded.size() + folded.size() / 2);
    for (qsizetype i = 0; i < folded.size(); ++i) {
        const QChar ch = folded[i];
        char32_t c = ch.unicode();
        const bool pair =
            ch.isHighSurrogate() && i + 1 < folded.size() && folded[i + 1].isLowSurrogate();
        if (pair)
            c = QChar::surrogateToUcs4(ch, folded[++i]);
        if (IsUnspacedScript(c)) {
            out += QLatin1Char(' ');
            out += QString::fromUcs4(&c, 1);
            out += QLatin1Char(' ');
        } else if (c < 0x20 || (ch.isSurrogate() && !pair)) {
            out += QLatin1Char(' '); // controls and broken halves of pairs separate words
        } else {
            out += ch;
        }
    }
    return out;
}

} // namespace dao
