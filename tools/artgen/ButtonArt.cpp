#include "ButtonArt.h"
#include "SavePng.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

QColor mix(const QColor &a, const QColor &b, double t)
{
    const auto ch = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return QColor(ch(a.red(), b.red()), ch(a.green(), b.green()), ch(a.blue(), b.blue()),
                  ch(a.alpha(), b.alpha()));
}

QColor withAlpha(QColor c, int alpha)
{
    c.setAlpha(alpha);
    return c;
}

// ---- Command button: 18 x 21 cells --------------------------------------------------------
//
// The button is stretched as nine pieces around a fixed 3-pixel border, so everything that
// must keep its shape (the rounded outline and the 2-pixel inner frames) stays inside the
// outer three pixels, and every row is the same from column 3 to column 14: the face only
// changes from top to bottom.

constexpr int CmdW = 18;
constexpr int CmdH = 21;

struct CmdLook
{
    QColor border;
    QColor (*face)(int y);        // face colour of row y
    QColor frameTop, frameBottom; // the 2-pixel inner frame; invalid for none
};

QColor restingFace(int y)
{
    // White that turns to a warm grey over the lower rows.
    const double t = std::pow(std::clamp((y - 1) / 18.0, 0.0, 1.0), 1.8);
    return mix(QColor(255, 255, 255), QColor(214, 208, 197), t);
}

QColor pressedFace(int y)
{
    // A flat grey, shaded darker along the top as if pushed in.
    switch (y) {
    case 1:
        return QColor(205, 203, 192);
    case 2:
        return QColor(214, 212, 203);
    case 3:
        return QColor(220, 219, 211);
    default:
        return QColor(226, 225, 218);
    }
}

QColor disabledFace(int)
{
    return QColor(245, 244, 234);
}

void drawCmdCell(QPainter &p, int x0, const CmdLook &look)
{
    const auto put = [&](int x, int y, const QColor &c) { p.fillRect(QRect(x0 + x, y, 1, 1), c); };
    const auto corner = [](int x, int y) {
        const int cx = x < CmdW / 2 ? x : CmdW - 1 - x;
        const int cy = y < CmdH / 2 ? y : CmdH - 1 - y;
        return std::pair{cx, cy};
    };
    for (int y = 0; y < CmdH; ++y) {
        for (int x = 0; x < CmdW; ++x) {
            const auto [cx, cy] = corner(x, y);
            const bool outline = x == 0 || y == 0 || x == CmdW - 1 || y == CmdH - 1;
            QColor c;
            if (cx == 0 && cy == 0)
                continue; // outside the rounding: left transparent
            if ((cx == 1 && cy == 0) || (cx == 0 && cy == 1))
                c = withAlpha(look.border, 80); // soft edge of the rounding
            else if (outline)
                c = look.border;
            else {
                const bool inFrame = look.frameTop.isValid() &&
                                     (cx <= 2 || cy <= 2); // the two pixels inside the outline
                if (inFrame) {
                    const double t = (y - 1) / double(CmdH - 3);
                    c = mix(look.frameTop, look.frameBottom, t);
                } else {
                    c = look.face(y);
                }
                if (cx == 1 && cy == 1)
                    c = mix(c, look.border, 0.55); // the inside of the rounded corner
            }
            put(x, y, c);
        }
    }
}

// ---- Title-bar buttons: 21 x 21 cells ------------------------------------------------------

constexpr int TopSize = 21;

struct TopLook
{
    QList<QGradientStop> stops; // top to bottom
    int glyphAlpha;             // 255 for a full white glyph, less for a faded one
};

QList<QGradientStop> stops(const QColor &top, const QColor &mid, const QColor &low,
                           const QColor &bottom)
{
    return {{0.0, top}, {0.45, mid}, {0.85, low}, {1.0, bottom}};
}

QList<QGradientStop> lighter(const QList<QGradientStop> &in, double amount)
{
    QList<QGradientStop> out;
    for (const QGradientStop &s : in)
        out.append({s.first, mix(s.second, Qt::white, amount)});
    return out;
}

TopLook topLook(bool red, int cell)
{
    const QList<QGradientStop> normal = red ? stops(QColor(236, 163, 140), QColor(217, 116, 86),
                                                    QColor(192, 80, 47), QColor(170, 62, 33))
                                            : stops(QColor(132, 168, 248), QColor(64, 124, 236),
                                                    QColor(31, 96, 224), QColor(24, 78, 196));
    switch (cell) {
    case 1: // hover
        return {lighter(normal, 0.22), 255};
    case 2: // pressed
        return {red ? stops(QColor(128, 40, 18), QColor(156, 56, 30), QColor(180, 72, 42),
                            QColor(190, 82, 52))
                    : stops(QColor(0, 63, 128), QColor(12, 74, 160), QColor(26, 88, 196),
                            QColor(34, 96, 208)),
                190};
    case 3: // disabled
        return {red ? stops(QColor(214, 203, 212), QColor(204, 190, 202), QColor(192, 176, 191),
                            QColor(184, 168, 183))
                    : lighter(normal, 0.55),
                130};
    default:
        return {normal, 255};
    }
}

void drawGlyph(QPainter &p, int kind, const QColor &white)
{
    switch (kind) {
    case 0: { // close: an X, filled as one shape so a faded X has no brighter crossing
        QPainterPath cross;
        cross.moveTo(6.5, 6.5);
        cross.lineTo(14.5, 14.5);
        cross.moveTo(14.5, 6.5);
        cross.lineTo(6.5, 14.5);
        QPainterPathStroker stroker;
        stroker.setWidth(2.2);
        stroker.setCapStyle(Qt::SquareCap);
        const QPainterPath outline = stroker.createStroke(cross).simplified();
        p.setPen(Qt::NoPen);
        p.setBrush(white);
        p.drawPath(outline);
        break;
    }
    case 1: // maximise: one window with a thick title bar
        p.fillRect(QRect(5, 5, 11, 3), white);
        p.fillRect(QRect(5, 8, 1, 8), white);
        p.fillRect(QRect(15, 8, 1, 8), white);
        p.fillRect(QRect(6, 15, 9, 1), white);
        break;
    case 2: // minimise: a low bar
        p.fillRect(QRect(6, 13, 6, 3), white);
        break;
    case 3: { // restore: two overlapping windows
        const QRect back(8, 4, 9, 8);
        const QRect front(4, 9, 9, 8);
        p.save();
        p.setClipRegion(QRegion(0, 0, TopSize, TopSize).subtracted(QRegion(front)));
        p.fillRect(QRect(back.left(), back.top(), back.width(), 2), white);
        p.fillRect(QRect(back.left(), back.top(), 1, back.height()), white);
        p.fillRect(QRect(back.right(), back.top(), 1, back.height()), white);
        p.fillRect(QRect(back.left(), back.bottom(), back.width(), 1), white);
        p.restore();
        p.fillRect(QRect(front.left(), front.top(), front.width(), 2), white);
        p.fillRect(QRect(front.left(), front.top(), 1, front.height()), white);
        p.fillRect(QRect(front.right(), front.top(), 1, front.height()), white);
        p.fillRect(QRect(front.left(), front.bottom(), front.width(), 1), white);
        break;
    }
    default:
        break;
    }
}

void drawTopCell(QPainter &p, int x0, int kind, int cell)
{
    const TopLook look = topLook(kind == 0, cell);
    p.save();
    p.translate(x0, 0);
    p.setRenderHint(QPainter::Antialiasing, true);

    QLinearGradient fill(0, 1, 0, TopSize - 1);
    fill.setStops(look.stops);
    QPainterPath square;
    square.addRoundedRect(QRectF(0.5, 0.5, TopSize - 1, TopSize - 1), 3, 3);
    p.fillPath(square, fill);
    p.strokePath(square, QPen(Qt::white, 1));

    // A soft shine along the upper half, as on the window's title bar.
    QLinearGradient shine(0, 2, 0, 10);
    shine.setColorAt(0, QColor(255, 255, 255, cell == 2 ? 0 : 70));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    QPainterPath inner;
    inner.addRoundedRect(QRectF(2, 2, TopSize - 4, 8), 2, 2);
    p.fillPath(inner, shine);

    p.setRenderHint(QPainter::Antialiasing, kind == 0);
    drawGlyph(p, kind, withAlpha(Qt::white, look.glyphAlpha));
    p.restore();
}

} // namespace

QImage commandButtonStrip()
{
    const QColor blue(0, 60, 116);
    const CmdLook looks[5] = {
        {blue, restingFace, {}, {}},
        {blue, pressedFace, {}, {}},
        {QColor(201, 199, 186), disabledFace, {}, {}},
        {blue, restingFace, QColor(255, 240, 207), QColor(229, 151, 0)},
        {blue, restingFace, QColor(206, 231, 255), QColor(105, 130, 238)},
    };
    QImage strip(CmdW * 5, CmdH, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    for (int cell = 0; cell < 5; ++cell)
        drawCmdCell(p, cell * CmdW, looks[cell]);
    return strip;
}

QImage titleButtonStrip(int kind)
{
    QImage strip(TopSize * 4, TopSize, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    for (int cell = 0; cell < 4; ++cell)
        drawTopCell(p, cell * TopSize, kind, cell);
    return strip;
}

bool writeButtonArt(const QDir &out)
{
    if (!out.mkpath(QStringLiteral("buttons")))
        return false;
    const QDir dir(out.filePath(QStringLiteral("buttons")));
    bool ok = savePng(commandButtonStrip(), dir, QStringLiteral("cmdbutton.png"));
    const char *names[4] = {"close.png", "maximize.png", "minimize.png", "restore.png"};
    for (int kind = 0; kind < 4; ++kind)
        ok = savePng(titleButtonStrip(kind), dir, QString::fromLatin1(names[kind])) && ok;
    return ok;
}
