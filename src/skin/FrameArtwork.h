#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

// Loading the frame's pieces and painting the border boxes from them.
namespace frameart {

// A piece of artwork with its key-colour pixels (RGB(255, 0, 255)) made transparent, so the
// screen never shows them; a null pixmap when the file cannot be read.
QPixmap loadPiece(const QString &path);

// A box of the given size painted with the whole piece stretched over it.
QPixmap paintStretched(const QPixmap &piece, const QSize &box);

// A title bar of the given size painted in three slices: the piece's left 5 pixels, its
// middle stretched to the box's width less 10, and its right 5 pixels. The slices are cut
// by the measures of the normal title (w, h), whichever title piece is painted.
QPixmap paintTitle(const QPixmap &piece, const QSize &measures, const QSize &box);

} // namespace frameart
