#include "PlaceBeside.h"

#include <QScreen>
#include <QWidget>

void PlaceBeside(QWidget *window, const QRect &owner)
{
    const QRect screen = window->screen() ? window->screen()->availableGeometry() : owner;
    const QRect candidates[] = {
        QRect(QPoint(owner.right() + 8, owner.top()), window->size()),
        QRect(QPoint(owner.left() - 8 - window->width(), owner.top()), window->size()),
        QRect(QPoint(owner.left(), owner.bottom() + 8), window->size()),
    };
    for (const QRect &r : candidates) {
        if (screen.contains(r)) {
            window->move(r.topLeft());
            return;
        }
    }
    QRect r(QPoint(owner.left(), owner.bottom() - window->height()), window->size());
    r.moveLeft(
        qBound(screen.left(), r.left(), qMax(screen.left(), screen.right() - window->width())));
    r.moveTop(
        qBound(screen.top(), r.top(), qMax(screen.top(), screen.bottom() - window->height())));
    window->move(r.topLeft());
}
