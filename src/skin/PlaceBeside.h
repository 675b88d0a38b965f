#pragma once

#include <QRect>

class QWidget;

// Places a window of the program by the one it belongs to (owner: that window's frame, in
// screen pixels): beside it where the screen has room, so that what the main window shows stays
// in view; otherwise over its lower left, the tree's side, leaving the boxes' upper part in view.
void PlaceBeside(QWidget *window, const QRect &owner);
