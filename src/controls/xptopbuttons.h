#pragma once

#include "platform/vb/PropertyBag.h"

#include <QWidget>

// The small square button of the skinned title bar: close (Value 0), maximise (1),
// minimise (2) or restore (3). It only looks and reports; the window decides what a click does.
class xptopbuttons : public QWidget
{
    Q_OBJECT
public:
    explicit xptopbuttons(const QString &name, QWidget *parent = nullptr);

    int Value() const { return m_value; }
    void SetValue(int value);
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool enabled);

    // Stored properties of the form's design data: "Value", "Enabled".
    void ReadProperties(const vb::PropertyBag &bag);
    void WriteProperties(vb::PropertyBag &bag) const;

signals:
    void Click();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    int m_value = 0;
    bool m_pressed = false;
};
