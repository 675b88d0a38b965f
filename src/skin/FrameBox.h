#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

// One border box of the frame (title bar, side or bottom border). It shows what the frame's
// last layout painted into it and keeps it until the next layout paints it again; between
// layouts nothing is drawn anew from the artwork. Where the painted picture is transparent
// (the rounded corners of the title) the box paints nothing, so the window behind shows.
class FrameBox : public QWidget
{
    Q_OBJECT
public:
    // ground: the box's own colour, shown where no painted picture covers it (a box that has
    // grown since its last painting); an invalid colour shows nothing there.
    FrameBox(const QString &name, QWidget *parent, const QColor &ground = QColor());

    const QPixmap &content() const { return m_content; }
    void setContent(const QPixmap &content);
    QColor ground() const { return m_ground; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_content;
    QColor m_ground;
};
