#include "xp_canvas.h"

#include "Assets.h"
#include "FrameArtwork.h"
#include "FrameBox.h"

#include <QLabel>
#include <QPainter>

#include <algorithm>
#include <initializer_list>

namespace {

const QColor SurfaceColour(236, 233, 216);
const QColor TitleGround(0, 0, 192);
constexpr int TitleHeight = 29;
constexpr int BorderSize = 5;
constexpr int GripSize = 9;

QLabel *makeImage(const QString &name, QWidget *parent)
{
    auto *image = new QLabel(parent);
    image->setObjectName(name);
    image->hide();
    return image;
}

void setPicture(QLabel *image, const QPixmap &picture)
{
    image->setPixmap(picture);
    image->resize(picture.size()); // an image takes the size of its picture
}

QLabel *makeCaptionLabel(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(false);
    label->setFont(xp_canvas::CaptionFont());
    return label;
}

// Cursor numbers of the design data: 0 arrow, 6 NE-SW, 7 N-S, 8 NW-SE, 9 W-E.
Qt::CursorShape cursorShape(int number)
{
    switch (number) {
    case 6:
        return Qt::SizeBDiagCursor;
    case 7:
        return Qt::SizeVerCursor;
    case 8:
        return Qt::SizeFDiagCursor;
    case 9:
        return Qt::SizeHorCursor;
    default:
        return Qt::ArrowCursor;
    }
}

} // namespace

xp_canvas::xp_canvas(const QString &name, QWidget *parent) : QWidget(parent)
{
    kxInitAssets();
    setObjectName(name);
    setMouseTracking(true); // MouseMove is passed on while the pointer merely moves
    QPalette pal = palette();
    pal.setColor(QPalette::Window, SurfaceColour);
    setPalette(pal);

    m_defaultIcon = QPixmap::fromImage(kxLoadArtwork(QStringLiteral(":/frame/Image1.png")));
    Image1 = makeImage(QStringLiteral("Image1"), this);
    setPicture(Image1, m_defaultIcon);
    m_current = makePieces(QString(), false);
    m_active = makePieces(QStringLiteral("1"), true);
    m_inactive = makePieces(QStringLiteral("2"), true);

    pictop = new FrameBox(QStringLiteral("pictop"), this, TitleGround);
    picbottom = new FrameBox(QStringLiteral("picbottom"), this);
    picleft = new FrameBox(QStringLiteral("picleft"), this);
    picright = new FrameBox(QStringLiteral("picright"), this);

    // The shadow lies beneath the caption, 2 px to the right and below.
    lblshadow = makeCaptionLabel(QStringLiteral("lblshadow"), pictop);
    lblcaption = makeCaptionLabel(QStringLiteral("lblcaption"), pictop);
    QPalette white = lblcaption->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    lblcaption->setPalette(white);
    lblcaption->move(26, 6);
    lblshadow->move(28, 8);

    imgicon = new QLabel(pictop);
    imgicon->setObjectName(QStringLiteral("imgicon"));
    imgicon->setScaledContents(true); // the picture is stretched to the 16 x 16 box
    imgicon->setGeometry(6, 8, 16, 16);
    // A press on the shadow or on the icon does nothing: it must not reach the title bar
    // and start a drag.
    lblshadow->setAttribute(Qt::WA_NoMousePropagation);
    imgicon->setAttribute(Qt::WA_NoMousePropagation);

    const struct
    {
        int index;
        FrameBox *box;
        QRect geometry;
        int cursor;
    } grips[] = {
        {7, pictop, QRect(0, 0, 9, 9), 8},      {2, pictop, QRect(8, 0, 393, 9), 7},
        {6, pictop, QRect(400, 0, 9, 9), 6},    {5, picbottom, QRect(0, 0, 9, 9), 6},
        {4, picbottom, QRect(400, 0, 9, 9), 8},
    };
    for (const auto &g : grips) {
        auto *grip = new QWidget(g.box);
        grip->setObjectName(QStringLiteral("imgresize(%1)").arg(g.index));
        grip->setGeometry(g.geometry);
        grip->setCursor(cursorShape(g.cursor));
        grip->installEventFilter(this);
        imgresize[std::size_t(g.index)] = grip;
    }
    picleft->setCursor(cursorShape(9));
    picright->setCursor(cursorShape(9));
    picbottom->setCursor(cursorShape(7));
    for (QWidget *w :
         std::initializer_list<QWidget *>{pictop, lblcaption, picleft, picright, picbottom})
        w->installEventFilter(this);

    resize(410, 332); // design size of a new frame
    attachHost();

    ShowActiveLook();
    UserControl_Resize();
    // The defaults of a new instance; a window then applies its stored properties.
    SetCaption(name);
    SetFixed_Single(false);
    SetIcon(m_defaultIcon);
}

QFont xp_canvas::CaptionFont()
{
    QFont font(QStringLiteral("Trebuchet MS"));
    font.setPointSizeF(9.75);
    font.setWeight(QFont::Bold);
    return font;
}

xp_canvas::~xp_canvas()
{
    if (m_host)
        m_host->removeEventFilter(this);
}

xp_canvas::Pieces xp_canvas::makePieces(const QString &suffix, bool load)
{
    Pieces p;
    const auto make = [&](const char *stem) {
        const QString name = QLatin1String(stem) + suffix;
        QLabel *image = makeImage(name, this);
        if (load)
            setPicture(image, frameart::loadPiece(QStringLiteral(":/frame/%1.png").arg(name)));
        return image;
    };
    p.top = make("imgtop");
    p.topmax = make("imgtopmax");
    p.left = make("imgleft");
    p.right = make("imgright");
    p.bottom = make("imgbottom");
    return p;
}

// ---- Properties -----------------------------------------------------------------------------

QString xp_canvas::Caption() const
{
    return lblcaption->text();
}

void xp_canvas::SetCaption(const QString &caption)
{
    lblcaption->setText(caption);
    lblshadow->setText(caption);
    if (QWidget *host = hostWindow())
        host->setWindowTitle(caption);
    UserControl_Resize();
    emit PropertyChanged(QStringLiteral("Caption"));
}

void xp_canvas::SetIcon(const QPixmap &icon)
{
    IconPicture = icon;
    if (icon.isNull())
        imgicon->clear();
    else
        imgicon->setPixmap(icon);
    emit PropertyChanged(QStringLiteral("Icon"));
}

void xp_canvas::SetFixed_Single(bool value)
{
    m_fixedSingle = value;
    UserControl_Resize();
}

void xp_canvas::SetFocus()
{
    ShowActiveLook();
    UserControl_Resize();
}

void xp_canvas::ReadProperties(const vb::PropertyBag &bag)
{
    SetCaption(bag.ReadProperty(QStringLiteral("Caption"), objectName()).toString());
    SetIcon(bag.ReadProperty(QStringLiteral("Icon"), QVariant::fromValue(m_defaultIcon))
                .value<QPixmap>());
    SetFixed_Single(bag.ReadProperty(QStringLiteral("Fixed_Single"), false).toBool());
}

void xp_canvas::WriteProperties(vb::PropertyBag &bag) const
{
    bag.WriteProperty(QStringLiteral("Caption"), Caption(), objectName());
    bag.WriteProperty(QStringLiteral("Icon"), QVariant::fromValue(IconPicture),
                      QVariant::fromValue(m_defaultIcon));
    bag.WriteProperty(QStringLiteral("Fixed_Single"), m_fixedSingle, false);
}

// ---- Looks and layout -----------------------------------------------------------------------

void xp_canvas::ShowActiveLook()
{
    showLook(m_active);
}

void xp_canvas::ShowInactiveLook()
{
    showLook(m_inactive);
}

void xp_canvas::showLook(const Pieces &look)
{
    setPicture(m_current.left, look.left->pixmap());
    setPicture(m_current.right, look.right->pixmap());
    setPicture(m_current.top, look.top->pixmap());
    setPicture(m_current.topmax, look.topmax->pixmap());
    setPicture(m_current.bottom, look.bottom->pixmap());
}

void xp_canvas::UserControl_Resize()
{
    // While the window is built and given its properties the frame is hidden: it is laid out
    // once, when shown, for the size, state and look it has then.
    if (!isVisible()) {
        m_layoutPending = true;
        return;
    }
    m_layoutPending = false;
    const int state = hostState();
    update(); // the surface: cleared to its background colour

    const int w = width();
    const int h = height();
    const int sideHeight = std::max(0, h - TitleHeight - BorderSize);
    pictop->setGeometry(0, 0, w, TitleHeight);
    picbottom->setGeometry(0, std::max(0, h - BorderSize), w, BorderSize);
    picleft->setGeometry(0, TitleHeight, BorderSize, sideHeight);
    picright->setGeometry(w - BorderSize, TitleHeight, BorderSize, sideHeight);

    paintBoxes(state);

    lblcaption->move(26, 6);
    lblshadow->move(28, 8);
    lblcaption->adjustSize();
    lblshadow->adjustSize();

    // The top-right grip follows the hosting window's width, not the frame's.
    const int hostWidth = hostWindow() ? hostWindow()->width() : w;
    imgresize[6]->move(hostWidth - GripSize, 0);
    imgresize[4]->move(picbottom->width() - GripSize, picbottom->height() - GripSize);
    imgresize[2]->setGeometry(GripSize, 0, std::max(0, pictop->width() - 2 * GripSize), GripSize);
    for (int i : {2, 4, 5, 6, 7})
        imgresize[std::size_t(i)]->raise(); // the grips catch the pointer before the labels

    setCursors(state);
    emit Resize();
}

// Paints each box from its current piece: the side and bottom borders stretched whole, the
// title in three slices so that its 5-pixel ends (with the rounded corners of the normal
// title) keep their shape and only the middle is stretched. A minimised window's title is
// left as it was. Scaling is nearest-neighbour, so the pieces' pixels stay sharp.
void xp_canvas::paintBoxes(int state)
{
    picleft->setContent(frameart::paintStretched(m_current.left->pixmap(), picleft->size()));
    picright->setContent(frameart::paintStretched(m_current.right->pixmap(), picright->size()));
    if (state != 1) {
        const QLabel *piece = state == 2 ? m_current.topmax : m_current.top;
        pictop->setContent(
            frameart::paintTitle(piece->pixmap(), m_current.top->pixmap().size(), pictop->size()));
    }
    picbottom->setContent(frameart::paintStretched(m_current.bottom->pixmap(), picbottom->size()));
}

void xp_canvas::setCursors(int state)
{
    if (state == 1 && !m_fixedSingle)
        return; // a minimised window keeps its cursors
    const bool resizable = !m_fixedSingle && state != 2;
    const auto set = [resizable](QWidget *w, int number) {
        w->setCursor(cursorShape(resizable ? number : 0));
    };
    set(picleft, 9);
    set(picright, 9);
    set(picbottom, 7);
    set(imgresize[6], 6);
    set(imgresize[2], 7);
    set(imgresize[4], 8);
    set(imgresize[5], 6);
    set(imgresize[7], 8);
}

void xp_canvas::resizeEvent(QResizeEvent *)
{
    UserControl_Resize();
}

void xp_canvas::paintEvent(QPaintEvent *)
{
    // The title's transparent corners show the window behind the frame, so the surface
    // colour is not painted beneath the title bar.
    QPainter p(this);
    p.setClipRegion(QRegion(rect()).subtracted(pictop->geometry()));
    p.fillRect(rect(), SurfaceColour);
}
