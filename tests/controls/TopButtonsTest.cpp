#include "ControlsTestSupport.h"
#include "controls/xptopbuttons.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QHBoxLayout>
#include <QTest>

using ctltest::leave;
using ctltest::moveTo;
using ctltest::SignalLog;

namespace {

QPoint sameSpot(int x, int y, QSize)
{
    return QPoint(x, y);
}

// Whether the button shows, pixel for pixel, the given cell of the given strip.
void checkShows(xptopbuttons &button, int strip, int cell)
{
    const char *strips[4] = {":/buttons/close.png", ":/buttons/maximize.png",
                             ":/buttons/minimize.png", ":/buttons/restore.png"};
    const QImage source = ctltest::stripCell(QString::fromLatin1(strips[strip]), 4, cell);
    int compared = 0;
    const QString difference = ctltest::compareDrawn(&button, source, sameSpot, &compared);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    QVERIFY(compared > 21 * 21 - 40); // all but the rounded corners
}

} // namespace

class TopButtonsTest : public QObject
{
    Q_OBJECT

private slots:
    void alwaysTwentyOneSquare();
    void valueChoosesTheGlyph();
    void cellForEachTransition();
    void mouseOutAndClicks();
    void storedPropertiesAndLoadOrder();
    void screenReaderNames();
};

void TopButtonsTest::alwaysTwentyOneSquare()
{
    QWidget form;
    auto *layout = new QHBoxLayout(&form);
    auto *button = new xptopbuttons(QStringLiteral("xptopbuttons1"), &form);
    layout->addWidget(button, 1);
    form.resize(300, 120);
    form.setAttribute(Qt::WA_DontShowOnScreen);
    form.show();
    QCOMPARE(button->size(), QSize(21, 21));
    button->setGeometry(5, 5, 315, 315);
    QCOMPARE(button->size(), QSize(21, 21));
    button->setMinimumSize(60, 60); // a container that insists
    button->resize(60, 60);
    QCOMPARE(button->size(), QSize(21, 21));
}

void TopButtonsTest::valueChoosesTheGlyph()
{
    xptopbuttons button(QStringLiteral("xptopbuttons2"));
    checkShows(button, 0, 0);
    button.SetValue(1);
    checkShows(button, 1, 0);
    for (int outside : {4, -1}) {
        button.SetValue(outside);
        QCOMPARE(button.Value(), outside);
        QCOMPARE(button.ButtonIndex(), 1);
        checkShows(button, 1, 0);
    }
    button.SetValue(3);
    checkShows(button, 3, 0);
    button.SetEnabled(false);
    button.SetValue(2);
    checkShows(button, 2, 3);
}

void TopButtonsTest::cellForEachTransition()
{
    xptopbuttons button(QStringLiteral("xptopbuttons3"));
    const QPoint in(10, 10);
    moveTo(&button, in);
    QCOMPARE(button.currentCell(), 1);
    QTest::mousePress(&button, Qt::LeftButton, {}, in);
    QCOMPARE(button.currentCell(), 2);
    moveTo(&button, QPoint(21, 21), Qt::LeftButton); // on the edge line: still over it
    QCOMPARE(button.currentCell(), 2);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, in);
    QCOMPARE(button.currentCell(), 0); // released with the cursor still over it
    moveTo(&button, in, Qt::LeftButton | Qt::RightButton);
    QCOMPARE(button.currentCell(), 1);
    button.SetEnabled(false);
    QCOMPARE(button.currentCell(), 3);
    button.SetEnabled(true);
    QCOMPARE(button.currentCell(), 0);
}

void TopButtonsTest::mouseOutAndClicks()
{
    xptopbuttons button(QStringLiteral("xptopbuttons1"));
    SignalLog log(&button);
    // Dragged out with the left button held: one MouseOut, the normal cell back, no Click.
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
    moveTo(&button, QPoint(22, 5), Qt::LeftButton);
    moveTo(&button, QPoint(40, 5), Qt::LeftButton);
    QCOMPARE(button.currentCell(), 0);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(40, 5));
    leave(&button);
    QCOMPARE(log.count("MouseOut"), 1);
    QCOMPARE(log.count("Click"), 0);

    // A fast double click as the toolkit reports it is one Click.
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseDClick(&button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(log.count("Click"), 1);

    // Disabled while the cursor is over it: MouseOut still comes once, the look stays, and
    // nothing else reaches it.
    leave(&button);
    moveTo(&button, QPoint(5, 5));
    button.SetEnabled(false);
    const int before = log.total();
    leave(&button);
    leave(&button);
    ctltest::expectRefused("MousePress");
    ctltest::expectRefused("MouseRelease");
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(5, 5));
    moveTo(&button, QPoint(5, 5));
    QCOMPARE(log.total(), before + 1);
    QCOMPARE(button.currentCell(), 3);
}

void TopButtonsTest::storedPropertiesAndLoadOrder()
{
    QWidget form;
    form.setAttribute(Qt::WA_DontShowOnScreen);
    xptopbuttons fresh(QStringLiteral("xptopbuttons1"), &form);
    vb::PropertyBag bag;
    fresh.WriteProperties(bag);
    QVERIFY(bag.isEmpty());

    // The maximise button as the forms store it: the faded maximise glyph once shown.
    bag.WriteProperty(QStringLiteral("value"), 1);
    bag.WriteProperty(QStringLiteral("ENABLED"), false);
    auto *maximise = new xptopbuttons(QStringLiteral("xptopbuttons2"), &form);
    maximise->ReadProperties(bag);
    QCOMPARE(maximise->ButtonIndex(), 0); // the stored Value waits for the showing
    QCOMPARE(maximise->currentCell(), 3);
    form.show();
    checkShows(*maximise, 1, 3);

    vb::PropertyBag written;
    maximise->WriteProperties(written);
    QCOMPARE(written.keys(), (QStringList{"Value", "Enabled"}));
}

void TopButtonsTest::screenReaderNames()
{
    xptopbuttons button(QStringLiteral("xptopbuttons1"));
    SignalLog log(&button);
    QAccessibleInterface *a11y = QAccessible::queryAccessibleInterface(&button);
    QCOMPARE(a11y->role(), QAccessible::Button);
    const QStringList names{"Close", "Maximize", "Minimize", "Restore"};
    for (int value = 0; value < 4; ++value) {
        button.SetValue(value);
        QCOMPARE(a11y->text(QAccessible::Name), names.at(value));
    }
    a11y->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    button.SetEnabled(false);
    a11y->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(log.count("Click"), 1);
}

int runTopButtonsTests(int argc, char **argv)
{
    TopButtonsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TopButtonsTest.moc"
