#include "xptopbuttons.h"

#include <QMouseEvent>
#include <QPainter>

xptopbuttons::xptopbuttons(const QString &name, QWidget *parent) : QWidget(parent)
{
    setObjectName(name);
    setFixedSize(21, 21);
}

void xptopbuttons::SetValue(int value)
{
    m_value = value;
    update();
}

void xptopbuttons::SetEnabled(bool enabled)
{
    setEnabled(enabled);
    update();
}

void xptopbuttons::ReadProperties(const vb::PropertyBag &bag)
{
    m_value = bag.ReadProperty(QStringLiteral("Value"), 0).toInt();
    SetEnabled(bag.ReadProperty(QStringLiteral("Enabled"), true).toBool());
}

void xptopbuttons::WriteProperties(vb::PropertyBag &bag) const
{
    bag.WriteProperty(QStringLiteral("Value"), m_value, 0);
    bag.WriteProperty(QStringLiteral("Enabled"), isEnabled(), true);
}

void xptopbuttons::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

void xptopbuttons::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Click();
    m_pressed = false;
}

void xptopbuttons::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_value == 0 ? QColor(192, 80, 47) : QColor(31, 96, 224));
}
