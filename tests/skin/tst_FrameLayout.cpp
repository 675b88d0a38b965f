#include "tst_FrameLayout.h"

#include "SkinFixture.h"
#include "skin/FrameBox.h"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace skintest;

namespace {

// The 12 pixels of each upper corner that lie outside the rounding: rows 0 to 4 hold 5, 3,
// 2, 1 and 1 pixels counted from the outer edge.
bool outsideRounding(int x, int y, int width)
{
    static const int cut[5] = {5, 3, 2, 1, 1};
    if (y >= 5)
        return false;
    return x < cut[y] || x >= width - cut[y];
}

int countColour(const QImage &image, const QColor &colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == colour ? 1 : 0;
    return n;
}

// The title of a frame w pixels wide as it must look: the piece's left 5 pixels, its
// middle stretched, its right 5 pixels.
void verifyTitle(const QImage &title, const QImage &piece)
{
    const int w = title.width();
    QCOMPARE(title.size(), QSize(w, 29));
    QCOMPARE(title.copy(0, 0, 5, 29), piece.copy(0, 0, 5, 29));
    QCOMPARE(title.copy(w - 5, 0, 5, 29), piece.copy(61, 0, 5, 29));
    QCOMPARE(title.copy(5, 0, w - 10, 29), stretched(piece, QRect(5, 0, 56, 29), {w - 10, 29}));
}

} // namespace

void FrameLayoutTest::artworkKeepsTheKeyColourInTheRoundedCorners()
{
    const QColor key(255, 0, 255);
    for (const char *name : {"imgtop1", "imgtop2"}) {
        const QImage png = argb(QImage(QStringLiteral(":/frame/%1.png").arg(name)));
        QCOMPARE(png.size(), QSize(66, 29));
        for (int y = 0; y < 29; ++y)
            for (int x = 0; x < 66; ++x)
                QVERIFY2((png.pixelColor(x, y) == key) == outsideRounding(x, y, 66),
                         qPrintable(QStringLiteral("%1 at %2,%3").arg(name).arg(x).arg(y)));
    }
    const struct
    {
        const char *name;
        QSize size;
    } pieces[] = {{"imgtopmax1", {66, 29}}, {"imgtopmax2", {66, 29}}, {"imgleft1", {5, 31}},
                  {"imgleft2", {5, 31}},    {"imgright1", {5, 31}},   {"imgright2", {5, 31}},
                  {"imgbottom1", {49, 5}},  {"imgbottom2", {49, 5}},  {"Image1", {16, 16}}};
    for (const auto &p : pieces) {
        const QImage png(QStringLiteral(":/frame/%1.png").arg(p.name));
        QCOMPARE(png.size(), p.size);
        QCOMPARE(countColour(argb(png), key), 0);
    }
    QVERIFY(!QImage(QStringLiteral(":/icons/kitchenex.png")).isNull());

    // The active title is a saturated blue, the inactive one a paler blue-grey.
    const QImage active = argb(QImage(QStringLiteral(":/frame/imgtopmax1.png")));
    const QImage inactive = argb(QImage(QStringLiteral(":/frame/imgtopmax2.png")));
    const QColor a =
        active.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixelColor(0, 0);
    const QColor i =
        inactive.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixelColor(0, 0);
    QVERIFY(a.blue() > 200 && a.red() < 40);
    QVERIFY(i.red() > 90 && i.blue() > 190);
}

void FrameLayoutTest::constituentsCarryTheirNames()
{
    const Window w = makeWindow(QStringLiteral("xp_canvas1"), {410, 332});
    QCOMPARE(w.frame->objectName(), QStringLiteral("xp_canvas1"));
    for (const char *name : {"pictop", "picleft", "picright", "picbottom"})
        QVERIFY2(w.box(name) && w.box(name)->parentWidget() == w.frame, name);
    for (const char *name :
         {"lblcaption", "lblshadow", "imgicon", "imgresize(2)", "imgresize(6)", "imgresize(7)"})
        QVERIFY2(w.part(QLatin1String(name))->parentWidget() == w.box("pictop"), name);
    for (const char *name : {"imgresize(4)", "imgresize(5)"})
        QVERIFY2(w.part(QLatin1String(name))->parentWidget() == w.box("picbottom"), name);
    for (const QString &stem :
         {QStringLiteral("imgtop"), QStringLiteral("imgtopmax"), QStringLiteral("imgleft"),
          QStringLiteral("imgright"), QStringLiteral("imgbottom")}) {
        for (const QString &suffix : {QString(), QStringLiteral("1"), QStringLiteral("2")}) {
            auto *image = w.frame->findChild<QLabel *>(stem + suffix);
            QVERIFY2(image && image->isHidden(), qPrintable(stem + suffix));
        }
    }
    auto *image1 = w.frame->findChild<QLabel *>(QStringLiteral("Image1"));
    QVERIFY(image1 && image1->isHidden());
    QCOMPARE(image1->pixmap().size(), QSize(16, 16));
    QCOMPARE(w.part(QStringLiteral("imgicon"))->geometry(), QRect(6, 8, 16, 16));
    // The look follows the window's activation events: nothing polls.
    QVERIFY(w.frame->findChildren<QTimer *>().isEmpty());
}

void FrameLayoutTest::normalTitleIsThreeSlicesOfTheRoundedPiece()
{
    // The window is wider than the frame: the top-right grip follows the window.
    const Window w = makeWindow(QStringLiteral("f"), {410, 332}, {500, 332});
    QSignalSpy resized(w.frame, &xp_canvas::Resize);
    w.frame->UserControl_Resize();
    QCOMPARE(resized.count(), 1);

    QCOMPARE(w.box("pictop")->geometry(), QRect(0, 0, 410, 29));
    QCOMPARE(w.box("picleft")->geometry(), QRect(0, 29, 5, 298));
    QCOMPARE(w.box("picright")->geometry(), QRect(405, 29, 5, 298));
    QCOMPARE(w.box("picbottom")->geometry(), QRect(0, 327, 410, 5));

    const QImage title = w.content("pictop");
    verifyTitle(title, piece(QStringLiteral("imgtop1")));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 410; ++x)
            QCOMPARE(qAlpha(title.pixel(x, y)) == 0, outsideRounding(x, y, 410));
    QCOMPARE(w.content("picleft"), stretched(piece("imgleft1"), QRect(0, 0, 5, 31), {5, 298}));
    QCOMPARE(w.content("picright"), stretched(piece("imgright1"), QRect(0, 0, 5, 31), {5, 298}));
    QCOMPARE(w.content("picbottom"), stretched(piece("imgbottom1"), QRect(0, 0, 49, 5), {410, 5}));

    QCOMPARE(w.part(QStringLiteral("imgresize(7)"))->geometry(), QRect(0, 0, 9, 9));
    QCOMPARE(w.part(QStringLiteral("imgresize(2)"))->geometry(), QRect(9, 0, 392, 9));
    QCOMPARE(w.part(QStringLiteral("imgresize(6)"))->geometry(), QRect(491, 0, 9, 9));
    QCOMPARE(w.part(QStringLiteral("imgresize(5)"))->geometry(), QRect(0, 0, 9, 9));
    QCOMPARE(w.part(QStringLiteral("imgresize(4)"))->geometry(), QRect(401, -4, 9, 9));

    // A change of the frame's own size lays it out again.
    resized.clear();
    w.frame->resize(300, 200);
    QCOMPARE(resized.count(), 1);
    QCOMPARE(w.box("picright")->geometry(), QRect(295, 29, 5, 166));
    verifyTitle(w.content("pictop"), piece(QStringLiteral("imgtop1")));
}

void FrameLayoutTest::maximisedTitleUsesTheSquarePieceAndTheFrameKeepsItsSize()
{
    const Window w = makeWindow(QStringLiteral("f"), {410, 332});
    QVERIFY(setState(w.host.get(), Qt::WindowMaximized));
    w.frame->UserControl_Resize();
    const QImage title = w.content("pictop");
    verifyTitle(title, piece(QStringLiteral("imgtopmax1")));
    QCOMPARE(qAlpha(title.pixel(0, 0)), 255);
    QCOMPARE(qAlpha(title.pixel(409, 0)), 255);
    // The frame is not laid out by its window: it keeps its size.
    QTest::qWait(20);
    QCOMPARE(w.frame->size(), QSize(410, 332));

    QVERIFY(setState(w.host.get(), Qt::WindowNoState));
    w.frame->UserControl_Resize();
    verifyTitle(w.content("pictop"), piece(QStringLiteral("imgtop1")));
}

void FrameLayoutTest::minimisedWindowKeepsItsTitleAndCursors()
{
    const Window w = makeWindow(QStringLiteral("f"), {410, 332});
    const QImage activeTitle = w.content("pictop");
    w.frame->ShowInactiveLook();
    QVERIFY(setState(w.host.get(), Qt::WindowMinimized));
    w.frame->UserControl_Resize();
    QCOMPARE(w.content("pictop"), activeTitle);
    QCOMPARE(w.content("picleft"), stretched(piece("imgleft2"), QRect(0, 0, 5, 31), {5, 298}));
    QCOMPARE(w.content("picbottom"), stretched(piece("imgbottom2"), QRect(0, 0, 49, 5), {410, 5}));
    QCOMPARE(w.box("picleft")->cursor().shape(), Qt::SizeHorCursor);

    QVERIFY(setState(w.host.get(), Qt::WindowNoState));
    w.frame->UserControl_Resize();
    verifyTitle(w.content("pictop"), piece(QStringLiteral("imgtop2")));
}

void FrameLayoutTest::cursors_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("fixedSingle");
    QTest::addColumn<int>("before"); // the state laid out before, for the minimised rows
    QTest::addColumn<bool>("resizable");
    QTest::newRow("normal") << int(Qt::WindowNoState) << false << -1 << true;
    QTest::newRow("maximised") << int(Qt::WindowMaximized) << false << -1 << false;
    QTest::newRow("minimised after normal")
        << int(Qt::WindowMinimized) << false << int(Qt::WindowNoState) << true;
    QTest::newRow("minimised after maximised")
        << int(Qt::WindowMinimized) << false << int(Qt::WindowMaximized) << false;
    QTest::newRow("fixed normal") << int(Qt::WindowNoState) << true << -1 << false;
    QTest::newRow("fixed maximised") << int(Qt::WindowMaximized) << true << -1 << false;
    QTest::newRow("fixed minimised")
        << int(Qt::WindowMinimized) << true << int(Qt::WindowNoState) << false;
}

void FrameLayoutTest::cursors()
{
    QFETCH(int, state);
    QFETCH(bool, fixedSingle);
    QFETCH(int, before);
    QFETCH(bool, resizable);
    const Window w = makeWindow(QStringLiteral("f"), {410, 332});
    if (before >= 0) {
        QVERIFY(setState(w.host.get(), Qt::WindowState(before)));
        w.frame->UserControl_Resize();
    }
    QVERIFY(setState(w.host.get(), Qt::WindowState(state)));
    w.frame->SetFixed_Single(fixedSingle); // lays the frame out

    const struct
    {
        const char *name;
        Qt::CursorShape shape;
    } table[] = {{"picleft", Qt::SizeHorCursor},        {"picright", Qt::SizeHorCursor},
                 {"picbottom", Qt::SizeVerCursor},      {"imgresize(6)", Qt::SizeBDiagCursor},
                 {"imgresize(2)", Qt::SizeVerCursor},   {"imgresize(4)", Qt::SizeFDiagCursor},
                 {"imgresize(5)", Qt::SizeBDiagCursor}, {"imgresize(7)", Qt::SizeFDiagCursor}};
    for (const auto &row : table)
        QVERIFY2(w.part(QLatin1String(row.name))->cursor().shape() ==
                     (resizable ? row.shape : Qt::ArrowCursor),
                 row.name);
}

void FrameLayoutTest::lookSwitchShowsOnlyAfterALayout()
{
    const Window w = makeWindow(QStringLiteral("f"), {410, 332});
    const QImage before = w.content("pictop");
    w.frame->ShowInactiveLook();
    const auto current = [&](const char *name) {
        return argb(w.frame->findChild<QLabel *>(QLatin1String(name))->pixmap());
    };
    QCOMPARE(current("imgtop"), piece(QStringLiteral("imgtop2")));
    QCOMPARE(current("imgbottom"), piece(QStringLiteral("imgbottom2")));
    QCOMPARE(w.content("pictop"), before);
    w.frame->UserControl_Resize();
    verifyTitle(w.content("pictop"), piece(QStringLiteral("imgtop2")));
    w.frame->SetFocus(); // the active look, laid out at once
    verifyTitle(w.content("pictop"), piece(QStringLiteral("imgtop1")));
    QCOMPARE(current("imgright"), piece(QStringLiteral("imgright1")));
}

void FrameLayoutTest::captionSitsOnOneLineWithItsShadow()
{
    const Window w = makeWindow(QStringLiteral("f"), {410, 332});
    auto *caption = w.frame->findChild<QLabel *>(QStringLiteral("lblcaption"));
    auto *shadow = w.frame->findChild<QLabel *>(QStringLiteral("lblshadow"));
    w.frame->SetCaption(QStringLiteral("Short"));
    QCOMPARE(caption->pos(), QPoint(26, 6));
    QCOMPARE(shadow->pos(), QPoint(28, 8));
    QCOMPARE(shadow->text(), QStringLiteral("Short"));
    QCOMPARE(caption->font().family(), QStringLiteral("Trebuchet MS"));
    QVERIFY(caption->font().bold());
    QCOMPARE(caption->font().pointSizeF(), 9.75);
    QCOMPARE(shadow->font(), caption->font());
    QCOMPARE(caption->palette().color(QPalette::WindowText), QColor(Qt::white));
    QCOMPARE(shadow->palette().color(QPalette::WindowText),
             QApplication::palette().color(QPalette::WindowText));
    const QWidget *title = w.box("pictop");
    QVERIFY(title->children().indexOf(shadow) < title->children().indexOf(caption));
    const int oneLine = caption->height();

    const QString longText = QString(QStringLiteral("A very long caption ")).repeated(8);
    w.frame->SetCaption(longText);
    QCOMPARE(caption->height(), oneLine);
    QVERIFY(caption->width() > title->width()); // cut off by the title bar's end
    QCOMPARE(caption->text(), longText);
}

void FrameLayoutTest::screenNeverShowsTheKeyColour()
{
    const Window w = makeWindow(QStringLiteral("f"), {410, 332});
    w.frame->SetCaption(QString());
    const QImage shot = argb(w.host->grab());
    QCOMPARE(countColour(shot, QColor(255, 0, 255)), 0);
    // The rounded corners show the window behind the frame, the body its own colour.
    const QColor behind = w.host->palette().color(QPalette::Window);
    QCOMPARE(shot.pixelColor(0, 0), behind);
    QCOMPARE(shot.pixelColor(409, 0), behind);
    QCOMPARE(shot.pixelColor(200, 200), QColor(236, 233, 216));
    const QImage middle =
        stretched(piece(QStringLiteral("imgtop1")), QRect(5, 0, 56, 29), {400, 29});
    QCOMPARE(shot.pixelColor(200, 15), middle.pixelColor(195, 15));
}
