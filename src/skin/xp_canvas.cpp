#include "xp_canvas.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

xp_canvas::xp_canvas(const QString &name, QWidget *parent) : QWidget(parent)
{
    setObjectName(name);
    pictop = new QWidget(this);
    pictop->setObjectName(QStringLiteral("pictop"));
    pictop->setGeometry(0, 0, 410, 29);
    pictop->setAutoFillBackground(true);
    QPalette pal = pictop->palette();
    pal.setColor(QPalette::Window, QColor(3, 85, 231));
    pictop->setPalette(pal);
    pictop->installEventFilter(this);
    lblcaption = new QLabel(pictop);
    lblcaption->setObjectName(QStringLiteral("lblcaption"));
    lblcaption->move(26, 6);
    lblcaption->setStyleSheet(QStringLiteral("color: white; font-weight: bold;"));
    lblcaption->setAttribute(Qt::WA_TransparentForMouseEvents);
    SetCaption(name);
}

QString xp_canvas::Caption() const
{
    return lblcaption->text();
}

void xp_canvas::SetCaption(const QString &caption)
{
    lblcaption->setText(caption);
    lblcaption->adjustSize();
    if (QWidget *host = window(); host && host != this)
        host->setWindowTitle(caption);
}

void xp_canvas::SetIcon(const QPixmap &icon)
{
    m_icon = icon;
}

void xp_canvas::SetFixed_Single(bool value)
{
    m_fixedSingle = value;
}

void xp_canvas::SetFocus() {}

void xp_canvas::ReadProperties(const vb::PropertyBag &bag)
{
    SetCaption(bag.ReadProperty(QStringLiteral("Caption"), objectName()).toString());
    SetIcon(bag.ReadProperty(QStringLiteral("Icon"), QPixmap()).value<QPixmap>());
    SetFixed_Single(bag.ReadProperty(QStringLiteral("Fixed_Single"), false).toBool());
}

void xp_canvas::WriteProperties(vb::PropertyBag &bag) const
{
    bag.WriteProperty(QStringLiteral("Caption"), Caption(), objectName());
    bag.WriteProperty(QStringLiteral("Fixed_Single"), m_fixedSingle, false);
}

void xp_canvas::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(236, 233, 216));
    pictop->resize(width(), 29);
}

bool xp_canvas::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == pictop && event->type() == QEvent::MouseButtonPress) {
        QWidget *host = window();
        if (host->windowState() == Qt::WindowNoState && host->windowHandle())
            host->windowHandle()->startSystemMove();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
