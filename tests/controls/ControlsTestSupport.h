#pragma once

#include <QImage>
#include <QList>
#include <QPointF>
#include <QSignalSpy>
#include <QString>

#include <memory>

class QWidget;

// Helpers shared by the skinned-control tests.
namespace ctltest {

// A mouse move as the toolkit delivers it to the widget, with the given buttons held; the
// position may lie outside the widget (a drag keeps delivering moves to the pressed button).
void moveTo(QWidget *widget, QPointF pos, Qt::MouseButtons buttons = Qt::NoButton);
// The toolkit's notice that the cursor has left the widget.
void leave(QWidget *widget);

// Records every signal the object's own class declares (Click, MouseDown, MouseOut, ...).
class SignalLog
{
public:
    explicit SignalLog(QObject *object);
    int count(const char *name) const; // how often the named signal came
    int total() const;                 // how many signals came, of any kind

private:
    QList<std::pair<QByteArray, std::shared_ptr<QSignalSpy>>> m_spies;
};

// Expects the test library's warning that a disabled widget refused a mouse event ("MousePress",
// "MouseRelease", "MouseDClick") or, for "Keyboard", a key event.
void expectRefused(const char *action);

// One cell of an embedded strip, as the artwork file holds it.
QImage stripCell(const QString &resource, int cols, int cell);

// Compares the widget as it is drawn (QWidget::grab) with the expected pixels, where expected
// gives the strip pixel for each widget pixel. Only fully opaque strip pixels are compared
// (the rounded corners let the background through). Returns a description of the first
// difference, or an empty string; compared counts the pixels looked at.
QString compareDrawn(QWidget *widget, const QImage &cell, QPoint (*sourceOf)(int, int, QSize),
                     int *compared);

} // namespace ctltest
