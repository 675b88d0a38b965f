#include "NodeImages.h"

#include <QPainter>
#include <QPainterPath>

namespace {

QPixmap blank()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QPixmap book()
{
    QPixmap pixmap = blank();
    QPainter p(&pixmap);
    p.setPen(QColor(60, 30, 10));
    p.setBrush(QColor(170, 60, 30));
    p.drawRect(2, 1, 11, 13);
    p.setBrush(QColor(250, 245, 230));
    p.drawRect(12, 2, 2, 12);
    p.setPen(QColor(240, 210, 120));
    p.drawLine(5, 5, 10, 5);
    p.drawLine(5, 7, 10, 7);
    return pixmap;
}

QPixmap folder(bool open)
{
    QPixmap pixmap = blank();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(150, 110, 20));
    p.setBrush(QColor(235, 190, 70));
    p.drawRect(1, 3, 6, 2);
    p.drawRect(1, 4, 13, 10);
    if (open) {
        QPainterPath flap;
        flap.moveTo(3, 7);
        flap.lineTo(15, 7);
        flap.lineTo(13, 14);
        flap.lineTo(1, 14);
        flap.closeSubpath();
        p.setBrush(QColor(255, 225, 120));
        p.drawPath(flap);
    }
    return pixmap;
}

QPixmap card()
{
    QPixmap pixmap = blank();
    QPainter p(&pixmap);
    p.setPen(QColor(90, 90, 90));
    p.setBrush(Qt::white);
    p.drawRect(3, 1, 10, 14);
    p.setPen(QColor(40, 90, 170));
    for (int y = 4; y <= 12; y += 2)
        p.drawLine(5, y, 11, y);
    return pixmap;
}

} // namespace

void fillNodeImages(vb::ImageList &images)
{
    images.Add(book());
    images.Add(folder(false));
    images.Add(folder(true));
    images.Add(card());
}
