#include "xpcmdbutton.h"

#include <QLabel>
#include <QMouseEvent>

xpcmdbutton::xpcmdbutton(const QString &name, QWidget *parent) : QWidget(parent)
{
    setObjectName(name);
    lbl = new QLabel(this);
    lbl->setObjectName(QStringLiteral("lbl"));
    lbl->setAttribute(Qt::WA_TransparentForMouseEvents);
    setAutoFillBackground(true);
    m_font = parent ? parent->font() : font();
    SetCaption(name);
}

QString xpcmdbutton::Caption() const
{
    return lbl->text();
}

void xpcmdbutton::SetCaption(const QString &caption)
{
    lbl->setText(caption);
    centreCaption();
}

void xpcmdbutton::SetEnabled(bool enabled)
{
    setEnabled(enabled);
}

void xpcmdbutton::SetState(int state)
{
    m_state = state;
}

void xpcmdbutton::SetFont(const QFont &font)
{
    m_font = font;
    setFont(font);
    lbl->setFont(font);
    centreCaption();
}

void xpcmdbutton::ReadProperties(const vb::PropertyBag &bag)
{
    SetState(bag.ReadProperty(QStringLiteral("State"), 0).toInt());
    SetEnabled(bag.ReadProperty(QStringLiteral("Enabled"), true).toBool());
    SetCaption(bag.ReadProperty(QStringLiteral("Caption"), objectName()).toString());
    SetFont(bag.ReadProperty(QStringLiteral("Font"), m_font).value<QFont>());
}

void xpcmdbutton::WriteProperties(vb::PropertyBag &bag) const
{
    bag.WriteProperty(QStringLiteral("State"), m_state, 0);
    bag.WriteProperty(QStringLiteral("Enabled"), isEnabled(), true);
    bag.WriteProperty(QStringLiteral("Caption"), Caption(), objectName());
    bag.WriteProperty(QStringLiteral("Font"), m_font, parentWidget() ? parentWidget()->font() : QFont());
}

void xpcmdbutton::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

void xpcmdbutton::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Click();
    m_pressed = false;
}

void xpcmdbutton::resizeEvent(QResizeEvent *)
{
    centreCaption();
}

void xpcmdbutton::centreCaption()
{
    lbl->adjustSize();
    lbl->move((width() - lbl->width()) / 2, (height() - lbl->height()) / 2);
}
