#pragma once

#include <QWidget>

class xp_canvas;
class xptopbuttons;

// A window of the program beside the main window, in the skin: the frame covers it and shows
// its caption and the program's icon; the title-bar buttons minimise and close it (maximise is
// shown disabled); Escape closes it too. Shown the first time, it is placed beside the window
// it belongs to. Closing deletes it.
class SkinnedWindow : public QWidget
{
    Q_OBJECT
public:
    // name: the window's object name; frameName: its frame's. owner: the window it belongs to;
    // it stays above it and goes with it.
    SkinnedWindow(const QString &name, const QString &frameName, const QString &caption, QSize size,
                  QWidget *owner);

    xp_canvas *frame() const { return m_frame; }
    xptopbuttons *xptopbuttons3, *xptopbuttons2, *xptopbuttons1;

protected:
    // Shows the window (restored when minimised) in front, with the keyboard's input.
    void bringToFront();
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    xp_canvas *m_frame;
    bool m_placed = false;
};
