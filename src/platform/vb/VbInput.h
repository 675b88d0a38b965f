#pragma once

#include <Qt>

class QKeyEvent;
class QMouseEvent;

// The values the controls' and the frame's mouse and key events carry to their container, in the program's own
// encoding: Button 1 left, 2 right, 4 middle; Shift 1 shift, 2 control, 4 alt; key codes of
// the Windows virtual-key table (letters and digits are their upper-case character codes).
namespace vbinput {

int buttonCode(Qt::MouseButtons buttons);
int shiftCode(Qt::KeyboardModifiers modifiers);
int keyCode(int qtKey);
// The character a key press types (KeyAscii), or 0 when it types none.
int keyAscii(const QKeyEvent &event);

} // namespace vbinput
