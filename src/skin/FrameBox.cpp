#include "FrameBox.h"

#include <QPainter>
#include <QRegion>

FrameBox::FrameBox(const QString &name, QWidget *parent, const QColor &ground)
    : QWidget(parent), m_ground(ground)
{
    setObjectName(name);
}

void FrameBox::setContent(const QPixmap &content)
{
    m_content = content;
    update();
}

void FrameBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_ground.isValid()) {
        const QRegion bare = QRegion(rect()).subtracted(QRect(QPoint(0, 0), m_content.size()));
        for (const QRect &r : bare)
            p.fillRect(r, m_ground);
    }
    if (!m_content.isNull())
        p.drawPixmap(0, 0, m_content);
}
