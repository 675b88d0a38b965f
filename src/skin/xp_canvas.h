#pragma once

#include "platform/vb/PropertyBag.h"

#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>

class FrameBox;
class QLabel;

// The frame every window wears: title bar with icon and caption, borders, dragging by the
// title, maximising by a double click on it, resizing from the borders and grips, and an
// active or inactive look that follows the window's activation. It covers its window's
// client area and contains all of the window's other controls. It keeps its own size when
// the window changes size: it is laid out again only when its own size changes, when a
// property or the look changes, and when SetFocus is called.
class xp_canvas : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QPixmap Icon READ Icon WRITE SetIcon)
    Q_PROPERTY(bool Fixed_Single READ Fixed_Single WRITE SetFixed_Single)
public:
    // A new instance: caption = its name, built-in icon, resizable. The hosting window is
    // the top-level window that contains the frame (parent->window()).
    explicit xp_canvas(const QString &name, QWidget *parent);
    ~xp_canvas() override;

    // The font of the title: Trebuchet MS 9.75 pt bold.
    static QFont CaptionFont();

    QString Caption() const;
    void SetCaption(const QString &caption); // also the hosting window's title
    QPixmap Icon() const { return IconPicture; }
    void SetIcon(const QPixmap &icon); // the frame's icon only, not the window's
    bool Fixed_Single() const { return m_fixedSingle; }
    void SetFixed_Single(bool value); // True: no resizing or maximising through the frame
    // Shows the active look and lays the frame out; the keyboard focus does not move.
    void SetFocus();

    // Stored properties of the form's design data: "Caption", "Icon", "Fixed_Single".
    void ReadProperties(const vb::PropertyBag &bag);
    void WriteProperties(vb::PropertyBag &bag) const;

    // Places every piece, paints the borders and the title for the current size, window
    // state and look, sets the resize cursors and raises Resize. A hidden frame does this
    // once, when it is shown.
    void UserControl_Resize();
    // Put the active or inactive artwork into the current pieces; seen at the next layout.
    void ShowActiveLook();
    void ShowInactiveLook();

    // Moves and sizes the hosting window by the pointer's travel from downPoint to upPoint
    // (screen pixels) for the border or grip with the given direction code: 0 left, 1 right,
    // 2 top, 3 bottom, 4 bottom-right, 5 bottom-left, 6 top-right, 7 top-left. A window that
    // is not in the normal state, or a width or height below 1, leaves the window as it was.
    void ResizeByDrag(int code, const QPoint &downPoint, const QPoint &upPoint);
    // The pointer's screen positions at the last press and release on a border or grip.
    QPoint lastDownPoint() const { return DownPoint; }
    QPoint lastUpPoint() const { return UpPoint; }

    // The built-in 16 x 16 icon (the picture of Image1), the default of Icon.
    QPixmap defaultIcon() const { return m_defaultIcon; }
    // True while the window follows the pointer because the platform could not move it.
    bool isDraggingByHand() const { return m_dragging; }

signals:
    // Events of the frame's own surface, passed on with the Visual Basic values
    // (Button 1/2/4, Shift 1/2/4, positions in pixels of the frame).
    void Click();
    void DblClick();
    void Resize(); // at the end of every layout
    void KeyDown(int KeyCode, int Shift);
    void KeyPress(int KeyAscii);
    void KeyUp(int KeyCode, int Shift);
    void MouseDown(int Button, int Shift, float X, float Y);
    void MouseMove(int Button, int Shift, float X, float Y);
    void MouseUp(int Button, int Shift, float X, float Y);
    // A stored property changed ("Caption" or "Icon"), so that the design data can be saved.
    void PropertyChanged(const QString &name);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    // The five pieces of one look, as hidden images named imgtop<n>, imgtopmax<n>, ...
    struct Pieces
    {
        QLabel *top = nullptr;
        QLabel *topmax = nullptr;
        QLabel *left = nullptr;
        QLabel *right = nullptr;
        QLabel *bottom = nullptr;
    };
    Pieces makePieces(const QString &suffix, bool load);
    void showLook(const Pieces &look);
    void paintBoxes(int state);
    void setCursors(int state);

    // The hosting window, its state (0 normal, 1 minimised, 2 maximised; -1 without a
    // hosting window) and the change of that state.
    QWidget *hostWindow() const { return m_host; }
    void attachHost();
    int hostState() const;
    void setHostState(int state);

    int resizeCode(const QObject *watched) const;
    bool isTitle(const QObject *watched) const;
    bool isOwnSurface(const QPointF &pos) const;
    void titlePressed(const QPoint &globalPos);
    void titleDoubleClicked();
    void titleMoved(const QPoint &globalPos);
    void borderPressed(const QPoint &globalPos);
    void borderReleased(int code, const QPoint &globalPos);

    // Constituents.
    FrameBox *pictop = nullptr;
    FrameBox *picleft = nullptr;
    FrameBox *picright = nullptr;
    FrameBox *picbottom = nullptr;
    QLabel *lblcaption = nullptr;
    QLabel *lblshadow = nullptr;
    QLabel *imgicon = nullptr;
    QLabel *Image1 = nullptr;
    std::array<QWidget *, 8> imgresize{}; // elements 2 and 4 to 7
    Pieces m_current, m_active, m_inactive;

    // Fields.
    QPoint DownPoint;
    QPoint UpPoint;
    QPixmap IconPicture;
    bool m_fixedSingle = false;
    bool m_layoutPending = false; // laid out when shown

    QPixmap m_defaultIcon;
    QPointer<QWidget> m_host;
    bool m_dragging = false;
    QPoint m_dragOffset;
    bool m_surfacePressed = false;
    bool m_surfaceDoubleClicked = false;
};
