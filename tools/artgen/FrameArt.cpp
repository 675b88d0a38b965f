#include "FrameArt.h"
#include "SavePng.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// The frame's key colour: pixels of this colour are not part of the window and are shown
// transparent when the frame loads its artwork.
const QColor Key(255, 0, 255);

constexpr int TitleW = 66;
constexpr int TitleH = 29;
constexpr int SideW = 5;
constexpr int SideH = 31;
constexpr int BottomW = 49;
constexpr int BottomH = 5;

QColor mix(const QColor &a, const QColor &b, double t)
{
    const auto ch = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return QColor(ch(a.red(), b.red()), ch(a.green(), b.green()), ch(a.blue(), b.blue()));
}

// One look of the frame: the title's colour from top to bottom, and the colours of the
// five columns (or rows) of each border, from the window's outside edge inwards.
struct Look
{
    QColor shine, top, body, bottom; // title: the bright rows, the body from top to bottom
    QColor outline;                  // the title's outer edge
    std::array<QColor, 5> left;      // outer to inner
    std::array<QColor, 5> right;     // outer to inner
    std::array<QColor, 5> low;       // bottom border, outer (lowest row) to inner
};

const Look Active{
    QColor(72, 148, 255),
    QColor(10, 98, 244),
    QColor(0, 78, 226),
    QColor(0, 58, 192),
    QColor(0, 44, 160),
    {QColor(0, 44, 160), QColor(46, 126, 252), QColor(18, 102, 244), QColor(0, 86, 230),
     QColor(0, 72, 214)},
    {QColor(0, 30, 130), QColor(0, 44, 164), QColor(0, 54, 184), QColor(0, 62, 200),
     QColor(0, 68, 210)},
    {QColor(0, 30, 130), QColor(0, 42, 162), QColor(0, 52, 184), QColor(0, 62, 202),
     QColor(0, 72, 216)},
};

const Look Inactive{
    QColor(168, 192, 250),
    QColor(134, 160, 236),
    QColor(116, 142, 220),
    QColor(98, 124, 202),
    QColor(96, 118, 190),
    {QColor(96, 118, 190), QColor(170, 192, 248), QColor(150, 174, 240), QColor(136, 162, 232),
     QColor(124, 150, 224)},
    {QColor(86, 106, 174), QColor(104, 126, 198), QColor(114, 138, 210), QColor(122, 146, 218),
     QColor(128, 152, 224)},
    {QColor(86, 106, 174), QColor(102, 124, 196), QColor(112, 136, 208), QColor(122, 146, 218),
     QColor(130, 154, 226)},
};

// The title's colour in row y: a bright line near the top, then the body darkening slowly,
// and a few darker rows along the bottom.
QColor titleRow(const Look &look, int y)
{
    if (y == 0)
        return mix(look.shine, look.top, 0.5);
    if (y <= 2)
        return look.shine;
    if (y <= 5)
        return mix(look.shine, look.top, (y - 2) / 3.0);
    if (y <= 23)
        return mix(look.top, look.body, (y - 5) / 18.0);
    return mix(look.body, look.bottom, (y - 23) / 5.0);
}

// How many pixels of row y (0..4) lie outside the rounded corner, counted from the outer
// edge: 5, 3, 2, 1, 1, i.e. 12 pixels in each corner's 5 x 5 square.
int cornerCut(int y)
{
    static constexpr std::array<int, 5> cut{5, 3, 2, 1, 1};
    return y < 5 ? cut[std::size_t(y)] : 0;
}

QImage title(const Look &look, bool rounded)
{
    QImage image(TitleW, TitleH, QImage::Format_RGB32);
    for (int y = 0; y < TitleH; ++y) {
        const QColor row = titleRow(look, y);
        for (int x = 0; x < TitleW; ++x) {
            QColor c = row;
            if (x == 0)
                c = look.outline;
            else if (x == 1)
                c = mix(row, look.shine, 0.45);
            else if (x == TitleW - 2)
                c = mix(row, look.outline, 0.35);
            else if (x == TitleW - 1)
                c = mix(look.outline, QColor(0, 0, 0), 0.15);
            image.setPixelColor(x, y, c);
        }
    }
    if (!rounded)
        return image;
    for (int y = 0; y < 5; ++y) {
        const int cut = cornerCut(y);
        for (int i = 0; i < cut; ++i) {
            image.setPixelColor(i, y, Key);
            image.setPixelColor(TitleW - 1 - i, y, Key);
        }
        // The first pixels inside the rounding carry the outline, so the corner reads as
        // a curve and not as a staircase of body colour.
        const int last = y == 0 ? cut : std::max(cut, cornerCut(y - 1) - 1);
        for (int i = cut; i <= last; ++i) {
            image.setPixelColor(i, y, mix(look.outline, look.shine, 0.3));
            image.setPixelColor(TitleW - 1 - i, y, mix(look.outline, look.shine, 0.15));
        }
    }
    return image;
}

QImage side(const std::array<QColor, 5> &outerToInner, bool leftSide)
{
    QImage image(SideW, SideH, QImage::Format_RGB32);
    for (int x = 0; x < SideW; ++x) {
        const QColor c = outerToInner[std::size_t(leftSide ? x : SideW - 1 - x)];
        for (int y = 0; y < SideH; ++y)
            image.setPixelColor(x, y, c);
    }
    return image;
}

QImage bottom(const std::array<QColor, 5> &outerToInner)
{
    QImage image(BottomW, BottomH, QImage::Format_RGB32);
    for (int y = 0; y < BottomH; ++y) {
        const QColor c = outerToInner[std::size_t(BottomH - 1 - y)];
        for (int x = 0; x < BottomW; ++x)
            image.setPixelColor(x, y, c);
    }
    return image;
}

// The frame's default icon: a small window with a blue title bar.
QImage defaultIcon()
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.fillRect(QRect(1, 2, 14, 12), QColor(64, 64, 64));
    p.fillRect(QRect(2, 3, 12, 3), QColor(10, 96, 232));
    p.fillRect(QRect(2, 3, 12, 1), QColor(98, 164, 255));
    p.fillRect(QRect(11, 4, 2, 1), Qt::white);
    p.fillRect(QRect(2, 6, 12, 7), Qt::white);
    p.fillRect(QRect(3, 8, 6, 1), QColor(160, 160, 160));
    p.fillRect(QRect(3, 10, 8, 1), QColor(160, 160, 160));
    return image;
}

// The program's icon: a red recipe book behind a steaming cooking pot. It is drawn on a
// 16-unit grid with whole-unit shapes, so every size (16, 32, 48, 128) stays crisp.
QImage programIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, size > 16);
    p.scale(size / 16.0, size / 16.0);
    p.setPen(Qt::NoPen);

    // The book, standing at the back: cover with a dark edge, the pages' edge, a title.
    p.fillRect(QRect(6, 0, 10, 11), QColor(120, 18, 18));
    p.fillRect(QRect(7, 1, 8, 9), QColor(204, 42, 36));
    p.fillRect(QRect(13, 1, 1, 9), QColor(252, 246, 228));
    p.fillRect(QRect(8, 2, 4, 1), QColor(255, 214, 96));
    p.fillRect(QRect(8, 4, 3, 1), QColor(255, 214, 96));

    // Steam rising from the lid.
    const QColor steam(140, 144, 156);
    for (const QRect &puff : {QRect(2, 3, 1, 2), QRect(1, 1, 1, 2), QRect(2, 0, 1, 1),
                              QRect(5, 3, 1, 2), QRect(4, 1, 1, 2), QRect(5, 0, 1, 1)})
        p.fillRect(puff, steam);

    // The pot: handles, a steel body shaded from a bright left to a dark right, the rim
    // and the lid's knob.
    const QColor dark(36, 50, 74);
    p.fillRect(QRect(0, 9, 2, 2), dark);
    p.fillRect(QRect(11, 9, 2, 2), dark);
    p.setBrush(dark);
    p.drawRoundedRect(QRectF(1, 8, 11, 8), 2, 2);
    QLinearGradient steel(2, 0, 11, 0);
    steel.setColorAt(0.0, QColor(150, 168, 196));
    steel.setColorAt(0.3, QColor(214, 226, 240));
    steel.setColorAt(1.0, QColor(86, 104, 134));
    p.setBrush(steel);
    p.drawRoundedRect(QRectF(2, 9, 9, 6), 1.5, 1.5);
    p.fillRect(QRect(0, 7, 13, 2), dark);
    p.fillRect(QRect(1, 7, 11, 1), QColor(96, 116, 148));
    p.fillRect(QRect(2, 6, 9, 1), QColor(70, 88, 118));
    p.fillRect(QRect(3, 6, 4, 1), QColor(150, 168, 196));
    p.fillRect(QRect(5, 5, 3, 1), QColor(230, 168, 40));
    return image;
}

} // namespace

bool writeFrameArt(const QDir &out)
{
    if (!out.mkpath(QStringLiteral("frame")) || !out.mkpath(QStringLiteral("icons")))
        return false;
    const QDir frame(out.filePath(QStringLiteral("frame")));
    const QDir icons(out.filePath(QStringLiteral("icons")));
    bool ok = true;
    const Look *looks[2] = {&Active, &Inactive};
    for (int set = 1; set <= 2; ++set) {
        const Look &look = *looks[set - 1];
        const QString n = QString::number(set);
        ok = savePng(title(look, true), frame, QStringLiteral("imgtop%1.png").arg(n)) && ok;
        ok = savePng(title(look, false), frame, QStringLiteral("imgtopmax%1.png").arg(n)) && ok;
        ok = savePng(side(look.left, true), frame, QStringLiteral("imgleft%1.png").arg(n)) && ok;
        ok = savePng(side(look.right, false), frame, QStringLiteral("imgright%1.png").arg(n)) && ok;
        ok = savePng(bottom(look.low), frame, QStringLiteral("imgbottom%1.png").arg(n)) && ok;
    }
    ok = savePng(defaultIcon(), frame, QStringLiteral("Image1.png")) && ok;
    ok = savePng(programIcon(16), icons, QStringLiteral("kitchenex.png")) && ok;
    for (int size : {32, 48, 128})
        ok = savePng(programIcon(size), icons, QStringLiteral("kitchenex-%1.png").arg(size)) && ok;
    return ok;
}
