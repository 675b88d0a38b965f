#include "ControlsTestSupport.h"

#include "Assets.h"

#include <QApplication>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPixmap>
#include <QTest>
#include <QWidget>

namespace ctltest {

void moveTo(QWidget *widget, QPointF pos, Qt::MouseButtons buttons)
{
    QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, buttons,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

void leave(QWidget *widget)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(widget, &event);
}

SignalLog::SignalLog(QObject *object)
{
    const QMetaObject *meta = object->metaObject();
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() == QMetaMethod::Signal)
            m_spies.append({method.name(), std::make_shared<QSignalSpy>(object, method)});
    }
}

int SignalLog::count(const char *name) const
{
    for (const auto &[signal, spy] : m_spies)
        if (signal == name)
            return int(spy->count());
    qFatal("no signal %s", name);
}

int SignalLog::total() const
{
    int sum = 0;
    for (const auto &entry : m_spies)
        sum += int(entry.second->count());
    return sum;
}

void expectRefused(const char *action)
{
    const QByteArray message =
        qstrcmp(action, "Keyboard") == 0
            ? QByteArray("Keyboard event not accepted by receiving widget")
            : QByteArray("Mouse event \"") + action + "\" not accepted by receiving widget";
    QTest::ignoreMessage(QtWarningMsg, message.constData());
}

QImage stripCell(const QString &resource, int cols, int cell)
{
    kxInitAssets();
    const QImage strip = QImage(resource).convertToFormat(QImage::Format_ARGB32);
    const int w = strip.width() / cols;
    return strip.copy(cell * w, 0, w, strip.height());
}

QString compareDrawn(QWidget *widget, const QImage &cell, QPoint (*sourceOf)(int, int, QSize),
                     int *compared)
{
    const QImage drawn = widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    *compared = 0;
    if (drawn.size() != widget->size())
        return QStringLiteral("grabbed %1 x %2").arg(drawn.width()).arg(drawn.height());
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            const QPoint s = sourceOf(x, y, drawn.size());
            const QRgb want = cell.pixel(s);
            if (qAlpha(want) != 255)
                continue;
            ++*compared;
            const QRgb got = drawn.pixel(x, y);
            if ((got & 0xFFFFFF) != (want & 0xFFFFFF))
                return QStringLiteral("pixel (%1, %2): drawn %3, strip (%4, %5) has %6")
                    .arg(x)
                    .arg(y)
                    .arg(QColor(got).name(), QString::number(s.x()), QString::number(s.y()),
                         QColor(want).name());
        }
    }
    return QString();
}

} // namespace ctltest
