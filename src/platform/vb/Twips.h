#pragma once

#include <QRect>

namespace vb {

// Design data is kept in twips; on screen 15 twips make one logical pixel.
inline constexpr int TwipsPerPixel = 15;
constexpr int px(int twips) { return twips / TwipsPerPixel; }
inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

} // namespace vb
