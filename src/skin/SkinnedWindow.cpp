#include "SkinnedWindow.h"

#include "Assets.h"
#include "controls/xptopbuttons.h"
#include "platform/vb/PropertyBag.h"
#include "xp_canvas.h"

#include <QKeyEvent>
#include <QScreen>

namespace {

// Places a window by the one it belongs to (owner: that window's frame, in screen pixels):
// beside it where the screen has room, so that what the main window shows stays in view;
// otherwise over its lower left, the tree's side, leaving the boxes' upper part in view.
void placeBeside(QWidget *window, const QRect &owner)
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

} // namespace

SkinnedWindow::SkinnedWindow(const QString &name, const QString &frameName, const QString &caption,
                             QSize size, QWidget *owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint)
{
    kxInitAssets();
    setObjectName(name);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(size);

    // The frame covers the window; the title-bar buttons sit in its 29-pixel title bar.
    m_frame = new xp_canvas(frameName, this);
    m_frame->setGeometry(0, 0, size.width(), size.height());
    auto topButton = [this, size](const QString &buttonName, int fromRight) {
        auto *b = new xptopbuttons(buttonName, m_frame);
        b->move(size.width() - fromRight, 6);
        return b;
    };
    xptopbuttons3 = topButton(QStringLiteral("xptopbuttons3"), 70);
    xptopbuttons2 = topButton(QStringLiteral("xptopbuttons2"), 47);
    xptopbuttons1 = topButton(QStringLiteral("xptopbuttons1"), 24);
    ReadTitleBarDesign(xptopbuttons3, xptopbuttons2, xptopbuttons1);
    connect(xptopbuttons1, &xptopbuttons::Click, this, &QWidget::close);
    connect(xptopbuttons3, &xptopbuttons::Click, this, &QWidget::showMinimized);

    vb::PropertyBag design;
    design.WriteProperty(QStringLiteral("Caption"), caption, frameName);
    const QPixmap icon = QPixmap::fromImage(kxLoadArtwork(QStringLiteral(":/icons/kitchenex.png")));
    if (!icon.isNull())
        design.WriteProperty(QStringLiteral("Icon"), icon);
    m_frame->ReadProperties(design);
}

void SkinnedWindow::bringToFront()
{
    show();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void SkinnedWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SkinnedWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_placed && parentWidget()) {
        m_placed = true;
        placeBeside(this, parentWidget()->window()->frameGeometry());
    }
}
