// The skinned frame: what its layout paints in each window state and look, its cursors, and
// what it does with its window: resizing, maximising, dragging, activation, caption and icon.
#include "Assets.h"
#include "platform/vb/PropertyBag.h"
#include "skin/FrameBox.h"
#include "skin/xp_canvas.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
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

QImage stretched(const QImage &image, const QRect &source, const QSize &size)
{
    return argb(image.copy(source).scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation));
}

// A border of the frame as it must be painted: the whole piece stretched over it.
QImage border(const QString &name, const QSize &size)
{
    const QImage p = piece(name);
    return stretched(p, p.rect(), size);
}

// The title bar of a frame 410 pixels wide as it must be painted from a 66 x 29 title piece:
// the piece's left 5 pixels, its middle 56 stretched to 400, its right 5 pixels.
QImage title(const QString &name)
{
    const QImage p = piece(name);
    QImage expected(410, 29, QImage::Format_ARGB32);
    for (int x = 0; x < 410; ++x) {
        // A stretched pixel shows the piece's pixel beneath its centre.
        int source = 5 + (2 * (x - 5) + 1) * 56 / 800;
        if (x < 5 || x >= 405)
            source = x < 5 ? x : x - 344;
        for (int y = 0; y < 29; ++y)
            expected.setPixel(x, y, p.pixel(source, y));
    }
    return expected;
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
    void paintedBoxes_data();
    void paintedBoxes();
    void cursors_data();
    void cursors();
    void resizeByTravel_data();
    void resizeByTravel();
    void doubleClickMaximises();
    void fixedSingleStopsResizingAndMaximising();
    void dragsOnlyByTheTitleOfANormalWindow();
    void lookFollowsActivation();
    void captionIsTheWindowsTitleIconIsNot();
    void storedProperties();
    void surfaceEventsArePassedOn();
};

void FrameTest::paintedBoxes_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("inactive");
    QTest::addColumn<QString>("titlePiece"); // empty: the title painted before stays
    QTest::newRow("normal") << int(Qt::WindowNoState) << false << "imgtop1";
    QTest::newRow("normal, inactive") << int(Qt::WindowNoState) << true << "imgtop2";
    QTest::newRow("maximised") << int(Qt::WindowMaximized) << false << "imgtopmax1";
    QTest::newRow("maximised, inactive") << int(Qt::WindowMaximized) << true << "imgtopmax2";
    QTest::newRow("minimised, inactive") << int(Qt::WindowMinimized) << true << "";
}

void FrameTest::paintedBoxes()
{
    QFETCH(int, state);
    QFETCH(bool, inactive);
    QFETCH(QString, titlePiece);
    Window w(QStringLiteral("f"));
    const QImage before = w.content("pictop");
    if (inactive)
        w.frame->ShowInactiveLook();
    QVERIFY(w.setState(Qt::WindowState(state)));
    w.frame->UserControl_Resize();

    // The frame keeps its size whatever the window's state.
    const std::pair<const char *, QRect> boxes[] = {{"pictop", QRect(0, 0, 410, 29)},
                                                    {"picleft", QRect(0, 29, 5, 298)},
                                                    {"picright", QRect(405, 29, 5, 298)},
                                                    {"picbottom", QRect(0, 327, 410, 5)}};
    for (const auto &[name, geometry] : boxes)
        QCOMPARE(w.part(name)->geometry(), geometry);
    QCOMPARE(w.content("pictop"), titlePiece.isEmpty() ? before : title(titlePiece));
    const QString look = inactive ? "2" : "1";
    QCOMPARE(w.content("picleft"), border("imgleft" + look, {5, 298}));
    QCOMPARE(w.content("picright"), border("imgright" + look, {5, 298}));
    QCOMPARE(w.content("picbottom"), border("imgbottom" + look, {410, 5}));

    if (state == Qt::WindowNoState) {
        // The rounded corners show the window behind the frame, the body its own colour.
        const QImage shot = argb(w.host.grab().toImage());
        QCOMPARE(shot.pixelColor(0, 0), w.host.palette().color(QPalette::Window));
        QCOMPARE(shot.pixelColor(200, 200), QColor(236, 233, 216));
        w.frame->resize(300, 200); // its own size lays it out again
        QCOMPARE(w.part("picright")->geometry(), QRect(295, 29, 5, 166));
    }
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
    QTest::mouseDClick(w.part("pictop"), Qt::LeftButton, {}, QPoint(200, 15));
    QTRY_VERIFY(w.host.windowState() & Qt::WindowMaximized);
    // The maximised title and cursors come at once, not at the next activation.
    QTRY_COMPARE(w.cursor("picleft"), Qt::ArrowCursor);
    QCOMPARE(w.content("pictop"), title("imgtopmax1"));
    QTest::mouseDClick(w.part("lblcaption"), Qt::LeftButton);
    QTRY_COMPARE(w.host.windowState(), Qt::WindowNoState);
    QTRY_COMPARE(w.cursor("picleft"), Qt::SizeHorCursor);
    QCOMPARE(w.content("pictop"), title("imgtop1"));
    QTRY_COMPARE(w.host.geometry(), Start);
}

void FrameTest::fixedSingleStopsResizingAndMaximising()
{
    Window w(QStringLiteral("f"));
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
    QCOMPARE(one.content("pictop"), title("imgtop1"));
    two.host.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&two.host));
    QCOMPARE(one.content("pictop"), title("imgtop2"));
    QCOMPARE(one.content("picleft"), border("imgleft2", {5, 298}));
    // Coming back through one of the window's own controls shows the active look too.
    auto *edit = new QLineEdit(one.frame);
    edit->show();
    edit->activateWindow();
    edit->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&one.host));
    QCOMPARE(one.content("pictop"), title("imgtop1"));
}

void FrameTest::captionIsTheWindowsTitleIconIsNot()
{
    Window w(QStringLiteral("xp_canvas1"));
    QCOMPARE(w.host.windowTitle(), QStringLiteral("xp_canvas1"));
    QPixmap windowIcon(32, 32);
    windowIcon.fill(Qt::green);
    w.host.setWindowIcon(QIcon(windowIcon));
    const qint64 windowIconKey = w.host.windowIcon().cacheKey();
    QSignalSpy changed(w.frame, &xp_canvas::PropertyChanged);

    w.frame->SetCaption(QStringLiteral("Kitchenex Recipe V2.2__"));
    QCOMPARE(w.host.windowTitle(), QStringLiteral("Kitchenex Recipe V2.2__"));
    QCOMPARE(w.frame->Caption(), QStringLiteral("Kitchenex Recipe V2.2__"));
    QPixmap icon(32, 32);
    icon.fill(Qt::red);
    w.frame->SetIcon(icon);
    QCOMPARE(argb(w.frame->findChild<QLabel *>("imgicon")->pixmap().toImage()),
             argb(icon.toImage()));
    QCOMPARE(w.host.windowIcon().cacheKey(), windowIconKey);
    QCOMPARE(changed.count(), 2);
    auto *caption = w.frame->findChild<QLabel *>("lblcaption");
    const int oneLine = caption->height();
    w.frame->SetCaption(QStringLiteral("A very long caption ").repeated(8));
    QCOMPARE(caption->height(), oneLine); // cut off at the title bar's end, never wrapped
    QCOMPARE(changed.at(0).at(0).toString(), QStringLiteral("Caption"));
    QCOMPARE(changed.at(1).at(0).toString(), QStringLiteral("Icon"));
}

void FrameTest::storedProperties()
{
    Window w(QStringLiteral("xp_canvas1"));
    vb::PropertyBag bag;
    w.frame->ReadProperties(bag);
    QCOMPARE(w.host.windowTitle(), QStringLiteral("xp_canvas1"));
    QCOMPARE(argb(w.frame->Icon().toImage()), argb(QImage(QStringLiteral(":/frame/Image1.png"))));
    QVERIFY(!w.frame->Fixed_Single());
    w.frame->WriteProperties(bag);
    QVERIFY(bag.isEmpty()); // the defaults are not stored

    const QPixmap icon(QStringLiteral(":/icons/kitchenex.png"));
    bag.WriteProperty(QStringLiteral("caption"), QStringLiteral("Kitchenex Recipe V2.2__"));
    bag.WriteProperty(QStringLiteral("Icon"), QVariant::fromValue(icon));
    bag.WriteProperty(QStringLiteral("Fixed_Single"), true);
    w.frame->ReadProperties(bag);
    QCOMPARE(w.host.windowTitle(), QStringLiteral("Kitchenex Recipe V2.2__"));
    QCOMPARE(w.frame->Icon().cacheKey(), icon.cacheKey());
    QCOMPARE(w.cursor("picleft"), Qt::ArrowCursor);
    vb::PropertyBag written;
    w.frame->WriteProperties(written);
    QCOMPARE(written.keys(), (QStringList{"Caption", "Icon", "Fixed_Single"}));
}

void FrameTest::surfaceEventsArePassedOn()
{
    Window w(QStringLiteral("f"));
    auto *label = new QLabel(QStringLiteral("Recipe Name:"), w.frame);
    label->move(30, 60);
    label->show();
    QSignalSpy down(w.frame, &xp_canvas::MouseDown);
    QSignalSpy up(w.frame, &xp_canvas::MouseUp);
    QSignalSpy click(w.frame, &xp_canvas::Click);
    QSignalSpy dbl(w.frame, &xp_canvas::DblClick);
    QTest::mousePress(w.frame, Qt::RightButton, Qt::ShiftModifier, QPoint(200, 200));
    QTest::mouseRelease(w.frame, Qt::RightButton, Qt::ShiftModifier, QPoint(201, 202));
    QCOMPARE(down.at(0), (QVariantList{2, 1, 200.0f, 200.0f}));
    QCOMPARE(up.at(0), (QVariantList{2, 1, 201.0f, 202.0f}));
    QTest::mouseDClick(w.frame, Qt::LeftButton, {}, QPoint(200, 200));
    QTest::mouseRelease(w.frame, Qt::LeftButton, {}, QPoint(200, 200));
    QCOMPARE(dbl.count(), 1);
    QCOMPARE(click.count(), 1); // the release that ends a double click is no click
    // Presses on the window's controls and on the frame's own pieces are theirs.
    QTest::mouseClick(label, Qt::LeftButton);
    QTest::mouseClick(w.part("picbottom"), Qt::LeftButton);
    QCOMPARE(down.count(), 1);
    QCOMPARE(up.count(), 2);

    w.host.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.host));
    QSignalSpy keyDown(w.frame, &xp_canvas::KeyDown);
    QSignalSpy keyPress(w.frame, &xp_canvas::KeyPress);
    w.frame->setFocus();
    QTest::keyClick(w.frame, 'A', Qt::ShiftModifier); // Shift goes down first
    QTest::keyClick(w.frame, Qt::Key_F5);
    QCOMPARE(keyDown.count(), 3);
    QCOMPARE(keyDown.at(1), (QVariantList{0x41, 1}));
    QCOMPARE(keyDown.at(2), (QVariantList{0x74, 0}));
    QCOMPARE(keyPress.count(), 1); // F5 types no character
    QCOMPARE(keyPress.at(0), QVariantList{int('A')});
}

QTEST_MAIN(FrameTest)
#include "FrameTest.moc"
