#pragma once

#include <Qt>

class QKeyEvent;

// The values the frame's surface events carry to the window: Button 1 left, 2 right,
// 4 middle; Shift 1 shift, 2 control, 4 alt; key codes of the Windows virtual-key table
// (letters and digits are their upper-case character codes).
namespace surfaceinput {

int buttonCode(Qt::MouseButtons buttons);
int shiftCode(Qt::KeyboardModifiers modifiers);
int keyCode(int qtKey);               // 0 for a key without a code
int keyAscii(const QKeyEvent &event); // the character typed, or 0 when none

} // namespace surfaceinput
