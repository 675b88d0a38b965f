#include "SkinFixture.h"

#include "Assets.h"
#include "skin/FrameBox.h"

#include <QPainter>
#include <QTest>

namespace skintest {

FrameBox *Window::box(const char *name) const
{
    return frame->findChild<FrameBox *>(QLatin1String(name));
}

QWidget *Window::part(const QString &name) const
{
    return frame->findChild<QWidget *>(name);
}

QImage Window::content(const char *name) const
{
    return argb(box(name)->content());
}

Window makeWindow(const QString &name, const QSize &frameSize, const QSize &hostSize,
                  const QPoint &at)
{
    Window w;
    w.host = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint);
    w.host->setGeometry(QRect(at, hostSize.isValid() ? hostSize : frameSize));
    w.frame = new xp_canvas(name, w.host.get());
    w.frame->setGeometry(QRect(QPoint(0, 0), frameSize));
    w.host->show();
    if (!QTest::qWaitForWindowExposed(w.host.get()))
        qWarning("window not exposed");
    return w;
}

QImage argb(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage argb(const QPixmap &pixmap)
{
    return argb(pixmap.toImage());
}

QImage piece(const QString &name)
{
    kxInitAssets();
    QImage image = argb(QImage(QStringLiteral(":/frame/%1.png").arg(name)));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == QColor(255, 0, 255))
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
    return image;
}

QImage stretched(const QImage &image, const QRect &source, const QSize &size)
{
    return argb(image.copy(source).scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation));
}

QImage expectedTitle(const QImage &piece, int width)
{
    QImage title(width, 29, QImage::Format_ARGB32);
    title.fill(Qt::transparent);
    QPainter p(&title);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, piece.copy(0, 0, 5, 29));
    p.drawImage(5, 0, stretched(piece, QRect(5, 0, 56, 29), {width - 10, 29}));
    p.drawImage(width - 5, 0, piece.copy(61, 0, 5, 29));
    p.end();
    return title;
}

bool setState(QWidget *host, Qt::WindowState state)
{
    host->setWindowState(state);
    const bool reported = QTest::qWaitFor([&] {
        return state == Qt::WindowNoState ? host->windowState() == Qt::WindowNoState
                                          : bool(host->windowState() & state);
    });
    QTest::qWait(20); // the platform moves and sizes the window after reporting the state
    return reported;
}

} // namespace skintest
