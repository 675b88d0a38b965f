#include "FrameArtwork.h"

#include "Assets.h"

#include <QImage>
#include <QPainter>
#include <QRect>

namespace frameart {

namespace {

const QRgb KeyColour = qRgb(255, 0, 255);
constexpr int CapWidth = 5; // the title's ends that keep their shape

QPixmap blank(const QSize &size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// Nearest-neighbour scaling: the pieces' pixels stay sharp and the result is exact.
QPixmap stretched(const QPixmap &piece, const QRect &source, const QSize &size)
{
    return piece.copy(source).scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

} // namespace

QPixmap loadPiece(const QString &path)
{
    QImage image = kxLoadArtwork(path);
    if (image.isNull())
        return QPixmap();
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] | 0xff000000u) == KeyColour)
                line[x] = qRgba(0, 0, 0, 0);
    }
    return QPixmap::fromImage(image);
}

QPixmap paintStretched(const QPixmap &piece, const QSize &box)
{
    QPixmap content = blank(box);
    if (piece.isNull() || content.isNull())
        return content;
    QPainter p(&content);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawPixmap(0, 0, stretched(piece, piece.rect(), box));
    return content;
}

QPixmap paintTitle(const QPixmap &piece, const QSize &measures, const QSize &box)
{
    QPixmap content = blank(box);
    const int w = measures.width();
    const int h = measures.height();
    if (piece.isNull() || content.isNull() || w <= 2 * CapWidth)
        return content;
    const int bw = box.width();
    const int bh = box.height();
    QPainter p(&content);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawPixmap(0, 0, stretched(piece, QRect(0, 0, CapWidth, h), QSize(CapWidth, bh)));
    if (bw > 2 * CapWidth)
        p.drawPixmap(CapWidth, 0,
                     stretched(piece, QRect(CapWidth, 0, w - 2 * CapWidth, h),
                               QSize(bw - 2 * CapWidth, bh)));
    p.drawPixmap(bw - CapWidth, 0,
                 stretched(piece, QRect(w - CapWidth, 0, CapWidth, h), QSize(CapWidth, bh)));
    return content;
}

} // namespace frameart
