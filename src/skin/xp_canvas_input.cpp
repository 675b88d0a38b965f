#include "xp_canvas.h"

#include "FrameBox.h"
#include "platform/vb/VbInput.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QWindow>

// How the frame meets its hosting window and the pointer: activation, dragging by the title,
// maximising, resizing from the borders and grips, and the surface's own events.

// ---- The hosting window ---------------------------------------------------------------------

void xp_canvas::attachHost()
{
    QWidget *host = window() != this ? window() : nullptr;
    if (host == m_host)
        return;
    if (m_host)
        m_host->removeEventFilter(this);
    m_host = host;
    if (m_host)
        m_host->installEventFilter(this);
}

int xp_canvas::hostState() const
{
    const QWidget *host = hostWindow();
    if (!host)
        return -1;
    const Qt::WindowStates states = host->windowState();
    if (states & Qt::WindowMinimized)
        return 1;
    if (states & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return 2;
    return 0;
}

void xp_canvas::setHostState(int state)
{
    QWidget *host = hostWindow();
    if (!host)
        return;
    Qt::WindowStates states =
        host->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    if (state == 1)
        states |= Qt::WindowMinimized;
    else if (state == 2)
        states |= Qt::WindowMaximized;
    host->setWindowState(states);
}

bool xp_canvas::event(QEvent *event)
{
    if (event->type() == QEvent::ParentChange)
        attachHost();
    else if (event->type() == QEvent::Show && m_layoutPending)
        UserControl_Resize();
    return QWidget::event(event);
}

// ---- Interaction of the constituents --------------------------------------------------------

bool xp_canvas::isTitle(const QObject *watched) const
{
    return watched == pictop || watched == lblcaption;
}

int xp_canvas::resizeCode(const QObject *watched) const
{
    if (watched == picleft)
        return 0;
    if (watched == picright)
        return 1;
    if (watched == picbottom)
        return 3;
    for (int i : {2, 4, 5, 6, 7})
        if (watched == imgresize[std::size_t(i)])
            return i;
    return -1;
}

bool xp_canvas::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_host) {
        // The look follows the window's activation.
        if (event->type() == QEvent::WindowActivate) {
            ShowActiveLook();
            UserControl_Resize();
        } else if (event->type() == QEvent::WindowDeactivate) {
            ShowInactiveLook();
            UserControl_Resize();
        } else if (event->type() == QEvent::WindowStateChange) {
            // Maximised and restored windows have their own title and cursors: lay out again
            // at once rather than at the next activation.
            UserControl_Resize();
        }
        return false;
    }
    const bool title = isTitle(watched);
    const int code = resizeCode(watched);
    if (!title && code < 0)
        return QWidget::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove: {
        const auto *me = static_cast<QMouseEvent *>(event);
        const QPoint global = me->globalPosition().toPoint();
        const QEvent::Type type = event->type();
        if (title) {
            if (type == QEvent::MouseButtonPress)
                titlePressed(global);
            else if (type == QEvent::MouseButtonDblClick)
                titleDoubleClicked();
            else if (type == QEvent::MouseMove)
                titleMoved(global);
            else if (me->buttons() == Qt::NoButton)
                m_dragging = false;
        } else if (type == QEvent::MouseButtonRelease) {
            borderReleased(code, global);
        } else if (type != QEvent::MouseMove) {
            borderPressed(global); // a double click is a press as well
        }
        return true; // the constituents' events are not passed on
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void xp_canvas::titlePressed(const QPoint &globalPos)
{
    if (hostState() != 0)
        return; // a maximised or minimised window cannot be dragged
    QWidget *host = hostWindow();
    if (QWindow *window = host->windowHandle(); window && window->startSystemMove())
        return;
    // The platform cannot move the window itself: follow the pointer until the release.
    m_dragging = true;
    m_dragOffset = globalPos - host->pos();
}

void xp_canvas::titleMoved(const QPoint &globalPos)
{
    if (!m_dragging)
        return;
    if (hostState() != 0) {
        m_dragging = false;
        return;
    }
    hostWindow()->move(globalPos - m_dragOffset);
}

void xp_canvas::titleDoubleClicked()
{
    m_dragging = false;
    if (m_fixedSingle)
        return;
    const int state = hostState();
    if (state >= 0)
        setHostState(state == 0 ? 2 : 0);
}

void xp_canvas::borderPressed(const QPoint &globalPos)
{
    if (!m_fixedSingle)
        DownPoint = globalPos;
}

void xp_canvas::borderReleased(int code, const QPoint &globalPos)
{
    if (m_fixedSingle)
        return;
    UpPoint = globalPos;
    ResizeByDrag(code, DownPoint, UpPoint);
}

void xp_canvas::ResizeByDrag(int code, const QPoint &downPoint, const QPoint &upPoint)
{
    QWidget *host = hostWindow();
    if (!host || hostState() != 0 || code < 0 || code > 7)
        return;
    const int dx = upPoint.x() - downPoint.x();
    const int dy = upPoint.y() - downPoint.y();
    const QRect g = host->geometry();
    int left = g.x(), top = g.y(), width = g.width(), height = g.height();
    const bool movesLeft = code == 0 || code == 5 || code == 7;
    const bool movesRight = code == 1 || code == 4 || code == 6;
    const bool movesTop = code == 2 || code == 6 || code == 7;
    const bool movesBottom = code == 3 || code == 4 || code == 5;
    if (movesLeft) {
        left += dx;
        width -= dx;
    }
    if (movesRight)
        width += dx;
    if (movesTop) {
        top += dy;
        height -= dy;
    }
    if (movesBottom)
        height += dy;
    if (width < 1 || height < 1)
        return; // the window refuses the move and stays as it was
    host->setGeometry(left, top, width, height);
}

// ---- The surface's own events, passed on ----------------------------------------------------

bool xp_canvas::isOwnSurface(const QPointF &pos) const
{
    // Events that reach the frame from the window's controls on it are theirs, not the
    // frame's: only the bare surface raises the frame's events.
    return childAt(pos.toPoint()) == nullptr;
}

void xp_canvas::mousePressEvent(QMouseEvent *event)
{
    if (!isOwnSurface(event->position())) {
        event->ignore();
        return;
    }
    m_surfacePressed = true;
    emit MouseDown(vbinput::buttonCode(event->button()),
                   vbinput::shiftCode(event->modifiers()), float(event->position().x()),
                   float(event->position().y()));
}

void xp_canvas::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_surfacePressed) {
        event->ignore();
        return;
    }
    const bool click = !m_surfaceDoubleClicked && rect().contains(event->position().toPoint());
    if (event->buttons() == Qt::NoButton) {
        m_surfacePressed = false;
        m_surfaceDoubleClicked = false;
    }
    emit MouseUp(vbinput::buttonCode(event->button()),
                 vbinput::shiftCode(event->modifiers()), float(event->position().x()),
                 float(event->position().y()));
    if (click)
        emit Click(); // not after the release that ends a double click
}

void xp_canvas::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (!isOwnSurface(event->position())) {
        event->ignore();
        return;
    }
    m_surfacePressed = true;
    m_surfaceDoubleClicked = true;
    emit DblClick();
}

void xp_canvas::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_surfacePressed && !isOwnSurface(event->position())) {
        event->ignore();
        return;
    }
    emit MouseMove(vbinput::buttonCode(event->buttons()),
                   vbinput::shiftCode(event->modifiers()), float(event->position().x()),
                   float(event->position().y()));
}

void xp_canvas::keyPressEvent(QKeyEvent *event)
{
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    emit KeyDown(vbinput::keyCode(event->key()), vbinput::shiftCode(event->modifiers()));
    if (const int ascii = vbinput::keyAscii(*event))
        emit KeyPress(ascii);
}

void xp_canvas::keyReleaseEvent(QKeyEvent *event)
{
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    emit KeyUp(vbinput::keyCode(event->key()), vbinput::shiftCode(event->modifiers()));
}
