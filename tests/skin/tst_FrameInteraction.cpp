#include "tst_FrameInteraction.h"

#include "SkinFixture.h"
#include "platform/vb/PropertyBag.h"
#include "skin/FrameBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using namespace skintest;

namespace {

const QRect Start(100, 100, 410, 332);

// Presses a border or grip in its middle and releases it after the given travel.
void dragBy(QWidget *element, const QPoint &travel)
{
    const QPoint at = element->rect().center();
    QTest::mousePress(element, Qt::LeftButton, {}, at);
    QTest::mouseRelease(element, Qt::LeftButton, {}, at + travel);
}

} // namespace

void FrameInteractionTest::resizeByTravel_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<QPoint>("travel");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("0 left edge, 20 px left")
        << "picleft" << QPoint(-20, 0) << QRect(80, 100, 430, 332);
    QTest::newRow("1 right edge") << "picright" << QPoint(20, 0) << QRect(100, 100, 430, 332);
    QTest::newRow("2 top edge") << "imgresize(2)" << QPoint(0, -20) << QRect(100, 80, 410, 352);
    QTest::newRow("3 bottom edge") << "picbottom" << QPoint(0, 20) << QRect(100, 100, 410, 352);
    QTest::newRow("4 bottom-right")
        << "imgresize(4)" << QPoint(20, 20) << QRect(100, 100, 430, 352);
    QTest::newRow("5 bottom-left") << "imgresize(5)" << QPoint(-20, 20) << QRect(80, 100, 430, 352);
    QTest::newRow("6 top-right") << "imgresize(6)" << QPoint(20, -20) << QRect(100, 80, 430, 352);
    QTest::newRow("7 top-left") << "imgresize(7)" << QPoint(-20, -20) << QRect(80, 80, 430, 352);
    QTest::newRow("an edge ignores the other axis")
        << "picleft" << QPoint(-20, 15) << QRect(80, 100, 430, 332);
    QTest::newRow("release at the press point") << "imgresize(4)" << QPoint(0, 0) << Start;
    QTest::newRow("shrink to one pixel")
        << "picright" << QPoint(-409, 0) << QRect(100, 100, 1, 332);
    QTest::newRow("zero width refused") << "picright" << QPoint(-410, 0) << Start;
    QTest::newRow("left edge past the right refused") << "picleft" << QPoint(430, 0) << Start;
    QTest::newRow("negative height refused") << "imgresize(7)" << QPoint(0, 400) << Start;
}

void FrameInteractionTest::resizeByTravel()
{
    QFETCH(QString, element);
    QFETCH(QPoint, travel);
    QFETCH(QRect, expected);
    const Window w = makeWindow(QStringLiteral("f"), Start.size(), {}, Start.topLeft());
    QCOMPARE(w.host->geometry(), Start);
    QWidget *part = w.part(element);
    const QPoint down = part->mapToGlobal(part->rect().center());
    dragBy(part, travel);
    QCOMPARE(w.frame->lastDownPoint(), down);
    QCOMPARE(w.frame->lastUpPoint(), down + travel);
    QTRY_COMPARE(w.host->geometry(), expected);
    QCOMPARE(w.frame->size(), Start.size()); // the frame keeps its size
}

void FrameInteractionTest::resizeIsRefusedUnlessNormal()
{
    const Window w = makeWindow(QStringLiteral("f"), Start.size(), {}, Start.topLeft());
    QVERIFY(setState(w.host.get(), Qt::WindowMaximized));
    const QRect maximised = w.host->geometry();
    w.frame->ResizeByDrag(1, QPoint(300, 300), QPoint(280, 300));
    QTest::qWait(20);
    QCOMPARE(w.host->geometry(), maximised);
    QVERIFY(setState(w.host.get(), Qt::WindowNoState));
    QTRY_COMPARE(w.host->geometry(), Start);
    w.frame->ResizeByDrag(8, QPoint(300, 300), QPoint(280, 300)); // no such element
    QCOMPARE(w.host->geometry(), Start);
}

void FrameInteractionTest::fixedSingleStopsResizingAndMaximising()
{
    const Window w = makeWindow(QStringLiteral("f"), Start.size(), {}, Start.topLeft());
    w.frame->SetFixed_Single(true);
    for (const char *name : {"picleft", "picbottom", "imgresize(4)", "imgresize(7)"})
        dragBy(w.part(QLatin1String(name)), QPoint(-20, -20));
    QCOMPARE(w.frame->lastDownPoint(), QPoint());
    QTest::qWait(20);
    QCOMPARE(w.host->geometry(), Start);

    QTest::mouseDClick(w.box("pictop"), Qt::LeftButton, {}, QPoint(200, 15));
    QTest::qWait(20);
    QCOMPARE(w.host->windowState(), Qt::WindowNoState);

    // Dragging by the title still works.
    QTest::mousePress(w.box("pictop"), Qt::LeftButton, {}, QPoint(200, 15));
    QVERIFY(w.frame->isDraggingByHand());
    QTest::mouseRelease(w.box("pictop"), Qt::LeftButton, {}, QPoint(200, 15));
}

void FrameInteractionTest::doubleClickTogglesMaximised()
{
    const Window w = makeWindow(QStringLiteral("f"), Start.size(), {}, Start.topLeft());
    QWidget *title = w.box("pictop");
    QTest::mouseDClick(title, Qt::LeftButton, {}, QPoint(200, 15));
    QTRY_VERIFY(w.host->windowState() & Qt::WindowMaximized);
    // The maximised look comes at once: no resize cursors on the borders.
    QTRY_COMPARE(w.box("picleft")->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseDClick(w.part(QStringLiteral("lblcaption")), Qt::LeftButton);
    QTRY_COMPARE(w.host->windowState(), Qt::WindowNoState);
    QTRY_COMPARE(w.box("picleft")->cursor().shape(), Qt::SizeHorCursor);
    QTRY_COMPARE(w.host->geometry(), Start);
    // A border is not the title.
    QTest::mouseDClick(w.box("picleft"), Qt::LeftButton);
    QTest::qWait(20);
    QCOMPARE(w.host->windowState(), Qt::WindowNoState);
}

void FrameInteractionTest::dragsOnlyByTheTitleOfANormalWindow()
{
    const Window w = makeWindow(QStringLiteral("f"), Start.size(), {}, Start.topLeft());
    QWidget *title = w.box("pictop");
    QTest::mousePress(title, Qt::LeftButton, {}, QPoint(200, 15));
    QVERIFY(w.frame->isDraggingByHand()); // the offscreen platform cannot move windows
    QTest::mouseMove(title, QPoint(230, 55));
    QTRY_COMPARE(w.host->pos(), Start.topLeft() + QPoint(30, 40));
    QTest::mouseRelease(title, Qt::LeftButton, {}, QPoint(230, 55));
    QVERIFY(!w.frame->isDraggingByHand());

    QWidget *caption = w.part(QStringLiteral("lblcaption"));
    QTest::mousePress(caption, Qt::RightButton, {}, QPoint(5, 5));
    QVERIFY(w.frame->isDraggingByHand());
    QTest::mouseRelease(caption, Qt::RightButton, {}, QPoint(5, 5));

    // Neither the icon nor a border moves the window.
    for (const char *name : {"imgicon", "picleft"}) {
        QTest::mousePress(w.part(QLatin1String(name)), Qt::LeftButton);
        QVERIFY2(!w.frame->isDraggingByHand(), name);
        QTest::mouseRelease(w.part(QLatin1String(name)), Qt::LeftButton);
    }

    QVERIFY(setState(w.host.get(), Qt::WindowMaximized));
    const QPoint maximisedAt = w.host->pos();
    QTest::mousePress(title, Qt::LeftButton, {}, QPoint(200, 15));
    QVERIFY(!w.frame->isDraggingByHand());
    QTest::mouseMove(title, QPoint(260, 75));
    QTest::mouseRelease(title, Qt::LeftButton, {}, QPoint(260, 75));
    QTest::qWait(20);
    QCOMPARE(w.host->pos(), maximisedAt);
}

void FrameInteractionTest::lookFollowsActivation()
{
    const Window one = makeWindow(QStringLiteral("one"), Start.size(), {}, Start.topLeft());
    const Window two = makeWindow(QStringLiteral("two"), {200, 150}, {}, QPoint(600, 100));
    const QImage active = expectedTitle(piece(QStringLiteral("imgtop1")), 410);
    const QImage inactive = expectedTitle(piece(QStringLiteral("imgtop2")), 410);
    QVERIFY(active != inactive);

    for (int round = 0; round < 2; ++round) {
        one.host->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(one.host.get()));
        QCOMPARE(one.content("pictop"), active);
        two.host->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(two.host.get()));
        QCOMPARE(one.content("pictop"), inactive);
        QCOMPARE(one.content("picleft"),
                 stretched(piece(QStringLiteral("imgleft2")), QRect(0, 0, 5, 31), {5, 298}));
    }
    // Coming back through one of the window's own controls shows the active look too.
    auto *edit = new QLineEdit(one.frame);
    edit->show();
    edit->activateWindow();
    edit->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(one.host.get()));
    QCOMPARE(one.content("pictop"), active);
}

void FrameInteractionTest::captionIsTheWindowsTitleIconIsNot()
{
    const Window w = makeWindow(QStringLiteral("xp_canvas1"), Start.size());
    QCOMPARE(w.host->windowTitle(), QStringLiteral("xp_canvas1"));
    QPixmap windowIcon(32, 32);
    windowIcon.fill(Qt::green);
    w.host->setWindowIcon(QIcon(windowIcon));
    const qint64 windowIconKey = w.host->windowIcon().cacheKey();

    QSignalSpy resized(w.frame, &xp_canvas::Resize);
    QSignalSpy changed(w.frame, &xp_canvas::PropertyChanged);
    w.frame->SetCaption(QStringLiteral("Kitchenex Recipe V2.2__"));
    QCOMPARE(w.host->windowTitle(), QStringLiteral("Kitchenex Recipe V2.2__"));
    QCOMPARE(w.frame->Caption(), QStringLiteral("Kitchenex Recipe V2.2__"));
    QCOMPARE(resized.count(), 1);

    QPixmap icon(32, 32);
    icon.fill(Qt::red);
    w.frame->SetIcon(icon);
    QCOMPARE(w.frame->Icon().cacheKey(), icon.cacheKey());
    QCOMPARE(w.host->windowIcon().cacheKey(), windowIconKey);
    QCOMPARE(resized.count(), 1); // no layout for the icon
    const auto *imgicon = w.frame->findChild<QLabel *>(QStringLiteral("imgicon"));
    QCOMPARE(argb(imgicon->pixmap()), argb(icon));
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.at(0).at(0).toString(), QStringLiteral("Caption"));
    QCOMPARE(changed.at(1).at(0).toString(), QStringLiteral("Icon"));
}

void FrameInteractionTest::propertiesGoThroughTheBag()
{
    const Window print = makeWindow(QStringLiteral("frmprintXP"), {552, 481});
    print.frame->ReadProperties(vb::PropertyBag());
    QCOMPARE(print.frame->Caption(), QStringLiteral("frmprintXP"));
    QCOMPARE(print.host->windowTitle(), QStringLiteral("frmprintXP"));
    QCOMPARE(argb(print.frame->Icon()), argb(QImage(QStringLiteral(":/frame/Image1.png"))));
    QVERIFY(!print.frame->Fixed_Single());
    vb::PropertyBag saved;
    print.frame->WriteProperties(saved);
    QVERIFY(saved.isEmpty());

    const Window main = makeWindow(QStringLiteral("xp_canvas1"), {713, 433});
    vb::PropertyBag bag;
    const QPixmap icon(QStringLiteral(":/icons/kitchenex.png"));
    QVERIFY(!icon.isNull());
    bag.WriteProperty(QStringLiteral("caption"), QStringLiteral("Kitchenex Recipe V2.2__"));
    bag.WriteProperty(QStringLiteral("Icon"), QVariant::fromValue(icon));
    bag.WriteProperty(QStringLiteral("Fixed_Single"), true);
    QSignalSpy resized(main.frame, &xp_canvas::Resize);
    main.frame->ReadProperties(bag);
    QCOMPARE(resized.count(), 2); // Caption and Fixed_Single lay the frame out, Icon does not
    QCOMPARE(main.host->windowTitle(), QStringLiteral("Kitchenex Recipe V2.2__"));
    QCOMPARE(main.frame->Icon().cacheKey(), icon.cacheKey());
    QVERIFY(main.frame->Fixed_Single());
    QCOMPARE(main.box("picleft")->cursor().shape(), Qt::ArrowCursor);

    vb::PropertyBag written;
    main.frame->WriteProperties(written);
    QCOMPARE(written.keys(), (QStringList{QStringLiteral("Caption"), QStringLiteral("Icon"),
                                          QStringLiteral("Fixed_Single")}));
    QCOMPARE(written.ReadProperty(QStringLiteral("Caption")).toString(),
             QStringLiteral("Kitchenex Recipe V2.2__"));

    // A caption equal to the frame's name is the default and is not stored.
    main.frame->SetCaption(QStringLiteral("xp_canvas1"));
    main.frame->SetFixed_Single(false);
    vb::PropertyBag again;
    main.frame->WriteProperties(again);
    QCOMPARE(again.keys(), QStringList{QStringLiteral("Icon")});
}

void FrameInteractionTest::surfaceEventsArePassedOn()
{
    const Window w = makeWindow(QStringLiteral("f"), Start.size());
    auto *label = new QLabel(QStringLiteral("Recipe Name:"), w.frame);
    label->move(30, 60);
    label->show();
    QSignalSpy down(w.frame, &xp_canvas::MouseDown);
    QSignalSpy up(w.frame, &xp_canvas::MouseUp);
    QSignalSpy click(w.frame, &xp_canvas::Click);
    QSignalSpy dbl(w.frame, &xp_canvas::DblClick);

    QTest::mousePress(w.frame, Qt::RightButton, Qt::ShiftModifier, QPoint(200, 200));
    QCOMPARE(down.count(), 1);
    QCOMPARE(down.at(0), (QVariantList{2, 1, 200.0f, 200.0f}));
    QTest::mouseRelease(w.frame, Qt::RightButton, Qt::ShiftModifier, QPoint(201, 202));
    QCOMPARE(up.at(0), (QVariantList{2, 1, 201.0f, 202.0f}));
    QCOMPARE(click.count(), 1);

    QTest::mouseDClick(w.frame, Qt::LeftButton, {}, QPoint(200, 200));
    QCOMPARE(dbl.count(), 1);
    QTest::mouseRelease(w.frame, Qt::LeftButton, {}, QPoint(200, 200));
    QCOMPARE(up.count(), 2);
    QCOMPARE(click.count(), 1); // the release ending a double click is no click

    // Presses on the window's controls and on the frame's own pieces are theirs.
    QTest::mouseClick(label, Qt::LeftButton);
    QTest::mouseClick(w.box("picbottom"), Qt::LeftButton);
    QCOMPARE(down.count(), 1);
    QCOMPARE(click.count(), 1);

    w.host->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.host.get()));
    QSignalSpy keyDown(w.frame, &xp_canvas::KeyDown);
    QSignalSpy keyPress(w.frame, &xp_canvas::KeyPress);
    QSignalSpy keyUp(w.frame, &xp_canvas::KeyUp);
    w.frame->setFocus();
    QTest::keyClick(w.frame, 'A', Qt::ShiftModifier); // Shift goes down first
    QCOMPARE(keyDown.count(), 2);
    QCOMPARE(keyDown.at(0), (QVariantList{0x10, 1}));
    QCOMPARE(keyDown.at(1), (QVariantList{0x41, 1}));
    QCOMPARE(keyPress.count(), 1);
    QCOMPARE(keyPress.at(0), QVariantList{int('A')});
    QCOMPARE(keyUp.at(0), (QVariantList{0x41, 1}));
    QTest::keyClick(w.frame, Qt::Key_F5);
    QCOMPARE(keyDown.last(), (QVariantList{0x74, 0}));
    QCOMPARE(keyPress.count(), 1); // F5 types no character
}
