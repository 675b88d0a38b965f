#pragma once

#include "platform/vb/PropertyBag.h"

#include <QPixmap>
#include <QString>
#include <QWidget>

class QLabel;

// The frame every window wears: title bar with icon and caption, borders, dragging by the
// title. It covers its window's client area and contains all of the window's other controls.
class xp_canvas : public QWidget
{
    Q_OBJECT
public:
    // A new instance: caption = its name. The hosting window is parent->window().
    explicit xp_canvas(const QString &name, QWidget *parent);

    QString Caption() const;
    void SetCaption(const QString &caption); // also the hosting window's title
    QPixmap Icon() const { return m_icon; }
    void SetIcon(const QPixmap &icon);       // the frame's icon only, not the window's
    bool Fixed_Single() const { return m_fixedSingle; }
    void SetFixed_Single(bool value);
    void SetFocus();

    // Stored properties of the form's design data: "Caption", "Icon", "Fixed_Single".
    void ReadProperties(const vb::PropertyBag &bag);
    void WriteProperties(vb::PropertyBag &bag) const;

signals:
    void Resize();

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *pictop;
    QLabel *lblcaption;
    QPixmap m_icon;
    bool m_fixedSingle = false;
};
