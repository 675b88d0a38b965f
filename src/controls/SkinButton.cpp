#include "SkinButton.h"

#include "platform/vb/VbInput.h"

#include <QMouseEvent>

bool SkinButton::inBounds(const QPointF &pos) const
{
    // A point on the right or bottom edge line still counts as over the button.
    return pos.x() >= 0 && pos.y() >= 0 && pos.x() <= width() && pos.y() <= height();
}

void SkinButton::noticeMouseOut()
{
    m_cursorOver = false;
    emit MouseOut();
    showStep(Step::Left);
}

void SkinButton::hideEvent(QHideEvent *)
{
    m_pressed = false; // a hidden button finishes no click
}

void SkinButton::mousePressEvent(QMouseEvent *event)
{
    m_cursorOver = true;
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    if (showsStepFirst())
        showStep(Step::Pressed);
    const QPointF pos = event->position();
    emit MouseDown(vbinput::buttonCode(event->button()), vbinput::shiftCode(event->modifiers()),
                   float(pos.x()), float(pos.y()));
    if (!showsStepFirst())
        showStep(Step::Pressed);
}

void SkinButton::mouseReleaseEvent(QMouseEvent *event)
{
    const QPointF pos = event->position();
    const bool click = m_pressed && event->button() == Qt::LeftButton && inBounds(pos);
    if (event->button() == Qt::LeftButton)
        m_pressed = false;
    if (showsStepFirst())
        showStep(Step::Released);
    emit MouseUp(vbinput::buttonCode(event->button()), vbinput::shiftCode(event->modifiers()),
                 float(pos.x()), float(pos.y()));
    if (!showsStepFirst())
        showStep(Step::Released);
    if (click)
        emit Click();
}

void SkinButton::mouseDoubleClickEvent(QMouseEvent *)
{
    // The second press of a double click clicks nothing: a fast double click is one Click.
    m_pressed = false;
}

void SkinButton::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF pos = event->position();
    if (!inBounds(pos)) {
        // Only while a button is held do moves arrive from outside: the cursor has left.
        if (m_cursorOver)
            noticeMouseOut();
        return;
    }
    m_cursorOver = true;
    emit MouseMove(vbinput::buttonCode(event->buttons()), vbinput::shiftCode(event->modifiers()),
                   float(pos.x()), float(pos.y()));
    showStep(event->buttons() == Qt::LeftButton ? Step::Dragged : Step::Hovered);
}

void SkinButton::leaveEvent(QEvent *)
{
    if (m_cursorOver)
        noticeMouseOut();
}
