#pragma once

#include <QKeySequence>
#include <QWidget>

// What the skinned buttons share: a left press and a left release over the button make a
// Click; the pointer leaving is noticed from the toolkit's own leave and move events; every
// mouse event is passed on with the Visual Basic values. The look of each step is the
// button's own.
class SkinButton : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;

    // The key its window gives this button's command (see KeyCommands), named to screen
    // readers as the key of its press action; none when the window gives none.
    QKeySequence keyBinding() const { return m_keyBinding; }
    void setKeyBinding(const QKeySequence &key) { m_keyBinding = key; }

signals:
    void Click();
    void MouseDown(int Button, int Shift, float X, float Y);
    void MouseMove(int Button, int Shift, float X, float Y);
    void MouseUp(int Button, int Shift, float X, float Y);
    // The cursor has left the button (once per entry, also while a button is held).
    void MouseOut();

protected:
    enum class Step
    {
        Pressed,  // a mouse button went down over it
        Released, // a mouse button came up
        Hovered,  // the pointer moves over it, the left button not held
        Dragged,  // the pointer moves over it with the left button held
        Left,     // the pointer has left it
    };
    // Shows the look of a step.
    virtual void showStep(Step step) = 0;
    // Whether the look of a press or a release is shown before MouseDown and MouseUp are
    // raised rather than after them.
    virtual bool showsStepFirst() const = 0;

    void hideEvent(QHideEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    bool inBounds(const QPointF &pos) const;
    void noticeMouseOut();

    QKeySequence m_keyBinding;
    bool m_pressed = false;    // a left press here that a release here turns into a click
    bool m_cursorOver = false; // seen over the button since the last MouseOut
};
