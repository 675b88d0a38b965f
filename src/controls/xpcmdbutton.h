#pragma once

#include "SkinButton.h"
#include "platform/vb/PictureClip.h"
#include "platform/vb/PropertyBag.h"

#include <QFont>
#include <QImage>
#include <QString>

class QLabel;

// The self-drawn push button of every window: a face painted from a strip of five looks,
// stretched to any size without distorting its border, with a centred caption.
//
// Cells of the strip: 0 resting (State 0), 1 pressed, 2 disabled, 3 hovered, 4 resting
// (State 1). The face last drawn stays until the next draw; painting only shows it. A draw
// is done when the button is next painted, so a face asked for several times while the
// button is set up is drawn once.
class xpcmdbutton : public SkinButton
{
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(int State READ State WRITE SetState)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QFont Font READ Font WRITE SetFont)

public:
    // A new instance: State 0, enabled, caption = its name, the container's font.
    explicit xpcmdbutton(const QString &name, QWidget *parent = nullptr);

    QString Caption() const { return m_caption; }
    void SetCaption(const QString &caption);
    // The button's own enabled flag (a disabled container does not change it).
    bool Enabled() const;
    void SetEnabled(bool enabled);
    // The resting look: 0 plain, 1 highlighted; other values keep the resting look as it was.
    int State() const { return m_state; }
    void SetState(int state);
    QFont Font() const { return m_font; }
    void SetFont(const QFont &font);

    // Stored properties of the form's design data, read and written in this order:
    // "State" (0), "Enabled" (True), "Caption" (the instance name), "Font" (the container's).
    void ReadProperties(const vb::PropertyBag &bag);
    void WriteProperties(vb::PropertyBag &bag) const;

    // Draws one cell of the strip over the whole button: corners as they are, edges stretched
    // along their length, the middle both ways, around a fixed 3-pixel border.
    void DrawCell(int cell);
    // Draws the resting look: RestingCell by State, or the disabled cell.
    void RefreshFace();
    int RestingCell() const { return m_restingCell; }
    // The cell last drawn (-1 before the first draw).
    int currentCell() const { return m_cell; }

signals:
    // With Click and the mouse events of every skinned button.
    void KeyDown(int KeyCode, int Shift);
    void KeyPress(int KeyAscii);
    void KeyUp(int KeyCode, int Shift);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    // Pressed and dragged show cell 1, hovered cell 3, released and left the resting look;
    // the look follows MouseDown and MouseUp.
    void showStep(Step step) override;
    bool showsStepFirst() const override { return false; }

    QFont ambientFont() const;
    void centreCaption();
    void applyEnabledLook();
    void updateAccessKey();
    void paintFace();

    QLabel *lbl;
    vb::PictureClip pc;
    QImage m_face;
    bool m_faceStale = true;      // m_cell is to be drawn at the next paint
    bool m_centrePending = false; // the caption is centred when the button is shown
    int m_cell = -1;
    int m_state = 0;
    int m_restingCell = 0;
    QString m_caption;
    QFont m_font;
    int m_accessKeyId = 0;
};
