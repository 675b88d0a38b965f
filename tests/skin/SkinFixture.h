#pragma once

#include "skin/xp_canvas.h"

#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <memory>

class FrameBox;

namespace skintest {

// A frameless top-level window wearing a frame at (0, 0), shown and exposed.
struct Window
{
    std::unique_ptr<QWidget> host;
    xp_canvas *frame = nullptr;

    FrameBox *box(const char *name) const;
    QWidget *part(const QString &name) const;
    QImage content(const char *box) const; // what the last layout painted into a box
};

Window makeWindow(const QString &name, const QSize &frameSize, const QSize &hostSize = QSize(),
                  const QPoint &at = QPoint(100, 100));

// A piece as the frame must show it: the PNG from the artwork with its RGB(255, 0, 255)
// pixels transparent.
QImage piece(const QString &name);
// A slice of a piece stretched nearest-neighbour, as the title's middle is.
QImage stretched(const QImage &image, const QRect &source, const QSize &size);
// The title bar of the given width as the frame must paint it from a title piece: the
// piece's left 5 pixels, its middle stretched, its right 5 pixels.
QImage expectedTitle(const QImage &piece, int width);
QImage argb(const QImage &image);
QImage argb(const QPixmap &pixmap);

// Changes the window's state and waits until the window reports it.
bool setState(QWidget *host, Qt::WindowState state);

} // namespace skintest
