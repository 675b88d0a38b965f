#pragma once

#include "SkinButton.h"
#include "platform/vb/PictureClip.h"
#include "platform/vb/PropertyBag.h"

#include <QImage>

// The small square button of the skinned title bar: close (Value 0), maximise (1),
// minimise (2) or restore (3). It only looks and reports; the window decides what a click does.
//
// Each kind has a strip of four 21 x 21 cells: 0 normal, 1 hover, 2 pressed, 3 disabled. The
// button is always 21 x 21 pixels, whatever its container asks for.
class xptopbuttons : public SkinButton
{
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(int Value READ Value WRITE SetValue)

public:
    static constexpr int Size = 21;

    // A new instance: Value 0 (close), enabled.
    explicit xptopbuttons(const QString &name, QWidget *parent = nullptr);

    int Value() const { return m_value; }
    // Stores the value and shows its glyph; a value outside 0 .. 3 keeps the glyph shown.
    void SetValue(int value);
    // The button's own enabled flag (a disabled container does not change it).
    bool Enabled() const;
    void SetEnabled(bool enabled);

    // Stored properties of the form's design data, read and written in this order: "Value" (0),
    // "Enabled" (True). The stored Value only takes effect on the glyph once the button is
    // shown; the stored Enabled is applied at once to the glyph in use.
    void ReadProperties(const vb::PropertyBag &bag);
    void WriteProperties(vb::PropertyBag &bag) const;

    // The strip in use (0 .. 3), taken from Value by ShowButton only.
    int ButtonIndex() const { return m_buttonIndex; }
    // Picks the strip for Value and shows its normal or disabled cell.
    void ShowButton();
    // The cell shown (0 .. 3).
    int currentCell() const { return m_cell; }

    QSize sizeHint() const override { return QSize(Size, Size); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // Pressed and dragged show the pressed cell, hovered the hover cell, released the normal
    // cell, left the normal cell unless disabled; the look comes before MouseDown and MouseUp.
    void showStep(Step step) override;
    bool showsStepFirst() const override { return true; }
    void showCell(int cell);

    const vb::PictureClip *pc; // the four strips, by ButtonIndex
    QImage m_face;
    int m_value = 0;
    int m_buttonIndex = 0;
    int m_cell = 0;
};

// The stored properties of the three title-bar buttons every window carries: minimise (Value 2),
// maximise (Value 1, stored disabled: it has no action) and close (Value 0, the default).
void ReadTitleBarDesign(xptopbuttons *minimise, xptopbuttons *maximise, xptopbuttons *close);
