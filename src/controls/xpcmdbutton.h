#pragma once

#include "platform/vb/PropertyBag.h"

#include <QFont>
#include <QString>
#include <QWidget>

class QLabel;

// The self-drawn push button of every window: a face painted from a strip of five looks,
// stretched to any size without distorting its border, with a centred caption.
class xpcmdbutton : public QWidget
{
    Q_OBJECT
public:
    // A new instance: caption = its name, the container's font.
    explicit xpcmdbutton(const QString &name, QWidget *parent = nullptr);

    QString Caption() const;
    void SetCaption(const QString &caption);
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool enabled);
    int State() const { return m_state; }
    void SetState(int state);
    QFont Font() const { return m_font; }
    void SetFont(const QFont &font);

    // Stored properties of the form's design data: "State", "Enabled", "Caption", "Font".
    void ReadProperties(const vb::PropertyBag &bag);
    void WriteProperties(vb::PropertyBag &bag) const;

signals:
    void Click();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void centreCaption();
    QLabel *lbl;
    int m_state = 0;
    QFont m_font;
    bool m_pressed = false;
};
