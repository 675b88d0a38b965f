// The skinned frame: what its layout paints in each window state and look, its cursors, and
// what it does with its window: resizing, maximising, dragging, activation, caption and icon.
#include "Assets.h"
#include "skin/FrameBox.h"
#include "skin/xp_canvas.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {

const QRect Start(100, 100, 410, 332);

QImage argb(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

// A piece of the artwork as the frame must show it: RGB(255, 0, 255) transparent.
QImage piece(const QString &name)
{
    kxInitAssets();
    QImage image = argb(QImage(QStringLiteral(":/frame/%1.png").arg(name)));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == QColor(255, 0, 255))
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
    return image;
}

// A border of the frame as it must be painted: the whole piece stretched over it.
QImage border(const QString &name, const QSize &size)
{
    return argb(piece(name).scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation));
}

// A frameless window wearing a frame at (0, 0), shown and exposed.
struct Window
{
    explicit Window(const QString &name, const QRect &geometry = Start,
                    const QSize &frameSize = Start.size())
        : host(nullptr, Qt::FramelessWindowHint)
    {
        host.setGeometry(geometry);
        frame = new xp_canvas(name, &host);
        frame->setGeometry(QRect(QPoint(0, 0), frameSize));
        host.show();
        if (!QTest::qWaitForWindowExposed(&host))
            qWarning("the window was not exposed");
    }
    QWidget *part(const QString &name) const { return frame->findChild<QWidget *>(name); }
    // What the last layout painted into a border box.
    QImage content(const QString &box) const
    {
        return argb(frame->findChild<FrameBox *>(box)->content().toImage());
    }
    Qt::CursorShape cursor(const QString &name) const { return part(name)->cursor().shape(); }
    // Changes the window's state and waits until the platform has carried it out.
    bool setState(Qt::WindowState state)
    {
        host.setWindowState(state);
        const bool reported = QTest::qWaitFor([&] {
            return state == Qt::WindowNoState ? host.windowState() == Qt::WindowNoState
                                              : bool(host.windowState() & state);
        });
        QTest::qWait(20);
        return reported;
    }

    QWidget host;
    xp_canvas *frame = nullptr;
};

// Presses a border or grip in its middle and releases it after the given travel.
void dragBy(QWidget *element, const QPoint &travel)
{
    const QPoint at = element->rect().center();
    QTest::mousePress(element, Qt::LeftButton, {}, at);
    QTest::mouseRelease(element, Qt::LeftButton, {}, at + travel);
}

} // namespace

class FrameTest : public QObject
{
    Q_OBJECT
private slots:
    void paintedBoxes();
    void cursors_data();
    void cursors();
    void resizeByTravel_data();
    void resizeByTravel();
    void doubleClickMaximises();
    void dragsOnlyByTheTitleOfANormalWindow();
    void lookFollowsActivation();
    void captionIsTheWindowsTitleIconIsNot();
};

void FrameTest::paintedBoxes()
{
    Window w(QStringLiteral("f"));
    // The title of each look; each state and look paints its own, the borders their pieces.
    QList<QImage> titles;
    for (const Qt::WindowState state : {Qt::WindowNoState, Qt::WindowMaximized}) {
        QVERIFY(w.setState(state));
        for (const QString look : {"1", "2"}) {
            look == "1" ? w.frame->ShowActiveLook() : w.frame->ShowInactiveLook();
            w.frame->UserControl_Resize();
            // The frame keeps its size whatever the window's state.
            QCOMPARE(w.part("pictop")->geometry(), QRect(0, 0, 410, 29));
            QCOMPARE(w.part("picright")->geometry(), QRect(405, 29, 5, 298));
            QCOMPARE(w.content("picleft"), border("imgleft" + look, {5, 298}));
            QCOMPARE(w.content("picright"), border("imgright" + look, {5, 298}));
            QCOMPARE(w.content("picbottom"), border("imgbottom" + look, {410, 5}));
            QVERIFY(!titles.contains(w.content("pictop")));
            titles.append(w.content("pictop"));
        }
    }
    // Minimised, the title painted before stays.
    QVERIFY(w.setState(Qt::WindowMinimized));
    w.frame->UserControl_Resize();
    QCOMPARE(w.content("pictop"), titles.last());
    QVERIFY(w.setState(Qt::WindowNoState));
    w.frame->ShowActiveLook();
    w.frame->UserControl_Resize();
    QCOMPARE(w.content("pictop"), titles.first());

    // The rounded corners show the window behind the frame, the body its own colour.
    const QImage shot = argb(w.host.grab().toImage());
    QCOMPARE(shot.pixelColor(0, 0), w.host.palette().color(QPalette::Window));
    QCOMPARE(shot.pixelColor(200, 200), QColor(236, 233, 216));
    w.frame->resize(300, 200); // its own size lays it out again
    QCOMPARE(w.part("picright")->geometry(), QRect(295, 29, 5, 166));
}

void FrameTest::cursors_data()
{
    QTest::addColumn<int>("before"); // the state laid out before, for the minimised rows
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("fixedSingle");
    QTest::addColumn<bool>("resizable");
    const int normal = Qt::WindowNoState, maximised = Qt::WindowMaximized;
    const int minimised = Qt::WindowMinimized;
    QTest::newRow("normal") << normal << normal << false << true;
    QTest::newRow("maximised") << normal << maximised << false << false;
    QTest::newRow("minimised after normal") << normal << minimised << false << true;
    QTest::newRow("minimised after maximised") << maximised << minimised << false << false;
    QTest::newRow("fixed, normal") << normal << normal << true << false;
    QTest::newRow("fixed, maximised") << normal << maximised << true << false;
    QTest::newRow("fixed, minimised") << normal << minimised << true << false;
}

void FrameTest::cursors()
{
    QFETCH(int, before);
    QFETCH(int, state);
    QFETCH(bool, fixedSingle);
    QFETCH(bool, resizable);
    Window w(QStringLiteral("f"));
    QVERIFY(w.setState(Qt::WindowState(before)));
    w.frame->UserControl_Resize();
    QVERIFY(w.setState(Qt::WindowState(state)));
    w.frame->SetFixed_Single(fixedSingle); // lays the frame out

    const std::pair<const char *, Qt::CursorShape> table[] = {
        {"picleft", Qt::SizeHorCursor},        {"picright", Qt::SizeHorCursor},
        {"picbottom", Qt::SizeVerCursor},      {"imgresize(6)", Qt::SizeBDiagCursor},
        {"imgresize(2)", Qt::SizeVerCursor},   {"imgresize(4)", Qt::SizeFDiagCursor},
        {"imgresize(5)", Qt::SizeBDiagCursor}, {"imgresize(7)", Qt::SizeFDiagCursor}};
    for (const auto &[name, shape] : table)
        QVERIFY2(w.cursor(name) == (resizable ? shape : Qt::ArrowCursor), name);
}

void FrameTest::resizeByTravel_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<QPoint>("travel");
    QTest::addColumn<QRect>("expected");
    // Every travel has both directions: an edge must ignore the one across it.
    QTest::newRow("0 left") << "picleft" << QPoint(-20, -20) << QRect(80, 100, 430, 332);
    QTest::newRow("1 right") << "picright" << QPoint(20, 20) << QRect(100, 100, 430, 332);
    QTest::newRow("2 top") << "imgresize(2)" << QPoint(-20, -20) << QRect(100, 80, 410, 352);
    QTest::newRow("3 bottom") << "picbottom" << QPoint(20, 20) << QRect(100, 100, 410, 352);
    QTest::newRow("4 bottom-right")
        << "imgresize(4)" << QPoint(20, 20) << QRect(100, 100, 430, 352);
    QTest::newRow("5 bottom-left") << "imgresize(5)" << QPoint(-20, 20) << QRect(80, 100, 430, 352);
    QTest::newRow("6 top-right") << "imgresize(6)" << QPoint(20, -20) << QRect(100, 80, 430, 352);
    QTest::newRow("7 top-left") << "imgresize(7)" << QPoint(-20, -20) << QRect(80, 80, 430, 352);
    QTest::newRow("released at the press point") << "imgresize(4)" << QPoint(0, 0) << Start;
    QTest::newRow("one pixel wide") << "picright" << QPoint(-409, 0) << QRect(100, 100, 1, 332);
    QTest::newRow("no width refused") << "picright" << QPoint(-410, 0) << Start;
    QTest::newRow("negative height refused") << "imgresize(7)" << QPoint(0, 400) << Start;
}

void FrameTest::resizeByTravel()
{
    QFETCH(QString, element);
    QFETCH(QPoint, travel);
    QFETCH(QRect, expected);
    Window w(QStringLiteral("f"));
    QWidget *part = w.part(element);
    const QPoint down = part->mapToGlobal(part->rect().center());
    dragBy(part, travel);
    QCOMPARE(w.frame->lastDownPoint(), down);
    QCOMPARE(w.frame->lastUpPoint(), down + travel);
    QTRY_COMPARE(w.host.geometry(), expected);
    QCOMPARE(w.frame->size(), Start.size());
}

void FrameTest::doubleClickMaximises()
{
    Window w(QStringLiteral("f"));
    const QImage normal = w.content("pictop");
    QTest::mouseDClick(w.part("pictop"), Qt::LeftButton, {}, QPoint(200, 15));
    QTRY_VERIFY(w.host.windowState() & Qt::WindowMaximized);
    // The maximised title and cursors come at once, not at the next activation.
    QTRY_COMPARE(w.cursor("picleft"), Qt::ArrowCursor);
    QVERIFY(w.content("pictop") != normal);
    QTest::mouseDClick(w.part("lblcaption"), Qt::LeftButton);
    QTRY_COMPARE(w.host.windowState(), Qt::WindowNoState);
    QTRY_COMPARE(w.cursor("picleft"), Qt::SizeHorCursor);
    QCOMPARE(w.content("pictop"), normal);
    QTRY_COMPARE(w.host.geometry(), Start);

    // Fixed Single: neither resized nor maximised.
    w.frame->SetFixed_Single(true);
    for (const char *name : {"picleft", "picbottom", "imgresize(4)", "imgresize(7)"})
        dragBy(w.part(name), QPoint(-20, -20));
    QTest::mouseDClick(w.part("pictop"), Qt::LeftButton, {}, QPoint(200, 15));
    QTest::qWait(20);
    QCOMPARE(w.host.geometry(), Start);
    QCOMPARE(w.host.windowState(), Qt::WindowNoState);
}

void FrameTest::dragsOnlyByTheTitleOfANormalWindow()
{
    Window w(QStringLiteral("f"));
    QWidget *title = w.part("pictop");
    QTest::mousePress(title, Qt::LeftButton, {}, QPoint(200, 15));
    QVERIFY(w.frame->isDraggingByHand()); // the offscreen platform cannot move windows
    QTest::mouseMove(title, QPoint(230, 55));
    QTRY_COMPARE(w.host.pos(), Start.topLeft() + QPoint(30, 40));
    QTest::mouseRelease(title, Qt::LeftButton, {}, QPoint(230, 55));
    QVERIFY(!w.frame->isDraggingByHand());
    for (const char *name : {"imgicon", "picleft"}) {
        QTest::mousePress(w.part(name), Qt::LeftButton);
        QVERIFY2(!w.frame->isDraggingByHand(), name);
        QTest::mouseRelease(w.part(name), Qt::LeftButton);
    }

    // Maximised, the window is neither dragged nor resized.
    QVERIFY(w.setState(Qt::WindowMaximized));
    const QRect maximised = w.host.geometry();
    QTest::mousePress(title, Qt::LeftButton, {}, QPoint(200, 15));
    QVERIFY(!w.frame->isDraggingByHand());
    QTest::mouseMove(title, QPoint(260, 75));
    QTest::mouseRelease(title, Qt::LeftButton, {}, QPoint(260, 75));
    dragBy(w.part("picright"), QPoint(-20, 0));
    QTest::qWait(20);
    QCOMPARE(w.host.geometry(), maximised);
}

void FrameTest::lookFollowsActivation()
{
    Window one(QStringLiteral("one"));
    Window two(QStringLiteral("two"), QRect(600, 100, 200, 150), QSize(200, 150));
    one.host.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&one.host));
    const QImage active = one.content("pictop");
    QCOMPARE(one.content("picleft"), border("imgleft1", {5, 298}));
    two.host.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&two.host));
    QVERIFY(one.content("pictop") != active);
    QCOMPARE(one.content("picleft"), border("imgleft2", {5, 298}));
    // Coming back through one of the window's own controls shows the active look too.
    auto *edit = new QLineEdit(one.frame);
    edit->show();
    edit->activateWindow();
    edit->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&one.host));
    QCOMPARE(one.content("pictop"), active);
}

void FrameTest::captionIsTheWindowsTitleIconIsNot()
{
    Window w(QStringLiteral("xp_canvas1"));
    QCOMPARE(w.host.windowTitle(), QStringLiteral("xp_canvas1"));
    w.host.setWindowIcon(QIcon(QPixmap(32, 32)));
    const qint64 windowIconKey = w.host.windowIcon().cacheKey();
    w.frame->SetCaption(QStringLiteral("Kitchenex Recipe V2.2__"));
    QCOMPARE(w.host.windowTitle(), QStringLiteral("Kitchenex Recipe V2.2__"));
    w.frame->SetIcon(QPixmap(16, 16));
    QCOMPARE(w.host.windowIcon().cacheKey(), windowIconKey);
    auto *caption = w.frame->findChild<QLabel *>("lblcaption");
    const int oneLine = caption->height();
    w.frame->SetCaption(QStringLiteral("A very long caption ").repeated(8));
    QCOMPARE(caption->height(), oneLine); // cut off at the title bar's end, never wrapped
}

QTEST_MAIN(FrameTest)
#include "FrameTest.moc"
