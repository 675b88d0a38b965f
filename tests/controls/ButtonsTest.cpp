// The skinned command button and title-bar button: the cell they show for each mouse
// transition, the signals the mouse gives, and how a screen reader and the keyboard see them.
#include "controls/xpcmdbutton.h"
#include "controls/xptopbuttons.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QMetaMethod>
#include <QSignalSpy>
#include <QTest>

#include <map>

namespace {

int cellOf(QWidget *button)
{
    auto *command = qobject_cast<xpcmdbutton *>(button);
    return command ? command->currentCell() : static_cast<xptopbuttons *>(button)->currentCell();
}

// A button shown off screen, so that its size reaches it at once, as on a form.
std::unique_ptr<QWidget> makeButton(bool top, QSize size = QSize(57, 25))
{
    std::unique_ptr<QWidget> button(
        top ? static_cast<QWidget *>(new xptopbuttons(QStringLiteral("xptopbuttons1")))
            : new xpcmdbutton(QStringLiteral("add")));
    button->resize(size);
    button->setAttribute(Qt::WA_DontShowOnScreen);
    button->show();
    return button;
}

// A mouse move as the toolkit delivers it, with the given buttons held; the position may lie
// outside the button (a drag keeps delivering moves to the pressed button).
void moveTo(QWidget *button, QPointF pos, Qt::MouseButtons held = Qt::NoButton)
{
    QMouseEvent move(QEvent::MouseMove, pos, button->mapToGlobal(pos), Qt::NoButton, held, {});
    QApplication::sendEvent(button, &move);
}

void leave(QWidget *button)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(button, &event);
}

// Records every signal the button's own class declares, by name.
struct SignalLog
{
    explicit SignalLog(QObject *object)
    {
        // Every signal the button adds to a plain widget, its own and its base class's.
        const QMetaObject *meta = object->metaObject();
        for (int i = QWidget::staticMetaObject.methodCount(); i < meta->methodCount(); ++i)
            if (meta->method(i).methodType() == QMetaMethod::Signal)
                spies[meta->method(i).name()] =
                    std::make_unique<QSignalSpy>(object, meta->method(i));
    }
    int count(const char *name) const { return int(spies.at(name)->count()); }
    std::map<QByteArray, std::unique_ptr<QSignalSpy>> spies;
};

} // namespace

class ButtonsTest : public QObject
{
    Q_OBJECT
private slots:
    void cellForEachTransition_data();
    void cellForEachTransition();
    void mouseOutAndClick_data() { bothKinds(); }
    void mouseOutAndClick();
    void disabledButtonReceivesNothing_data() { bothKinds(); }
    void disabledButtonReceivesNothing();
    void titleBarButtons();
    void screenReaderAndAccessKey();

private:
    void bothKinds();
};

void ButtonsTest::bothKinds()
{
    QTest::addColumn<bool>("top");
    QTest::newRow("command button") << false;
    QTest::newRow("title-bar button") << true;
}

void ButtonsTest::cellForEachTransition_data()
{
    // Command buttons rest on 0 (State 0) or 4 (State 1), press 1, are disabled on 2 and
    // hovered on 3; title-bar buttons rest on 0, hover 1, press 2, are disabled on 3.
    // Steps: sN State N; d / e disable / enable; pN / rN press / release mouse button N (1 left,
    // 2 right); mN a move over the button with the buttons N held (3 both), oN one outside.
    QTest::addColumn<bool>("top");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("cell");
    QTest::newRow("resting") << false << "" << 0;
    QTest::newRow("State 1 rests on 4") << false << "s1" << 4;
    QTest::newRow("State 2 keeps 4") << false << "s1 s2" << 4;
    QTest::newRow("State -1 keeps 0") << false << "s1 s0 s-1" << 0;
    QTest::newRow("hovered") << false << "s1 m0" << 3;
    QTest::newRow("pressed") << false << "m0 p1" << 1;
    QTest::newRow("right button held and moved hovers") << false << "p2 m2" << 3;
    QTest::newRow("two buttons held hover") << false << "p1 m3" << 3;
    QTest::newRow("released over it") << false << "s1 m0 p1 m1 r1" << 4;
    QTest::newRow("dragged out") << false << "s1 p1 m1 o1" << 4;
    QTest::newRow("dragged back in") << false << "p1 m1 o1 m1" << 1;
    QTest::newRow("disabled") << false << "s1 d" << 2;
    QTest::newRow("enabled again") << false << "s1 d e" << 4;
    QTest::newRow("title bar: hovered") << true << "m0" << 1;
    QTest::newRow("title bar: pressed") << true << "m0 p1" << 2;
    QTest::newRow("title bar: released over it") << true << "p1 m1 r1" << 0;
    QTest::newRow("title bar: disabled") << true << "m0 d" << 3;
    QTest::newRow("title bar: enabled again") << true << "d e" << 0;
}

void ButtonsTest::cellForEachTransition()
{
    QFETCH(bool, top);
    QFETCH(QString, steps);
    QFETCH(int, cell);
    const auto button = makeButton(top);
    QWidget *b = button.get();
    const QPoint in(10, 10);
    for (const QString &step : steps.split(u' ', Qt::SkipEmptyParts)) {
        const char c = step.at(0).toLatin1();
        const int n = step.mid(1).toInt();
        if (c == 's')
            b->setProperty("State", n);
        else if (c == 'd' || c == 'e')
            b->setProperty("Enabled", c == 'e');
        else if (c == 'p')
            QTest::mousePress(b, Qt::MouseButton(n), {}, in);
        else if (c == 'r')
            QTest::mouseRelease(b, Qt::MouseButton(n), {}, in);
        else
            moveTo(b, c == 'o' ? QPoint(-5, 10) : in, Qt::MouseButtons::fromInt(n));
    }
    QCOMPARE(cellOf(b), cell);
    if (b->isEnabled()) { // let the test library forget any button still held
        QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(-50, -50));
        QTest::mouseRelease(b, Qt::RightButton, {}, QPoint(-50, -50));
    }
}

void ButtonsTest::mouseOutAndClick()
{
    QFETCH(bool, top);
    const auto button = makeButton(top, QSize(80, 25));
    QWidget *b = button.get();
    const int pressed = top ? 2 : 1;
    const QPoint in(10, 10);
    SignalLog log(b);
    leave(b); // never entered: nothing to report
    // A fast double click as the toolkit reports it is one Click; a right click is none.
    QTest::mousePress(b, Qt::LeftButton, {}, in);
    QTest::mouseRelease(b, Qt::LeftButton, {}, in);
    QTest::mousePress(b, Qt::LeftButton, {}, in);
    QTest::mouseDClick(b, Qt::LeftButton, {}, in);
    QTest::mouseRelease(b, Qt::LeftButton, {}, in);
    QTest::mouseClick(b, Qt::RightButton, {}, in);
    QCOMPARE(log.count("Click"), 1);
    leave(b);
    leave(b);
    QCOMPARE(log.count("MouseOut"), 1);
    QCOMPARE(cellOf(b), 0);

    // Dragged out with the left button held: reported at the first move past the edge line;
    // the release outside clicks nothing.
    QTest::mousePress(b, Qt::LeftButton, {}, in);
    moveTo(b, QPoint(b->width(), b->height()), Qt::LeftButton);
    QCOMPARE(cellOf(b), pressed);
    moveTo(b, QPoint(b->width() + 1, 10), Qt::LeftButton);
    moveTo(b, QPoint(b->width() + 40, 40), Qt::LeftButton);
    QCOMPARE(log.count("MouseOut"), 2);
    QCOMPARE(cellOf(b), 0);
    moveTo(b, in, Qt::LeftButton);
    QCOMPARE(cellOf(b), pressed);
    moveTo(b, QPoint(-3, 10), Qt::LeftButton);
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(-3, 10));
    leave(b); // the toolkit's leave after the release outside
    QCOMPARE(log.count("MouseOut"), 3);
    QCOMPARE(log.count("Click"), 1);
    QCOMPARE(cellOf(b), 0);
}

void ButtonsTest::disabledButtonReceivesNothing()
{
    QFETCH(bool, top);
    const auto button = makeButton(top);
    QWidget *b = button.get();
    moveTo(b, QPoint(10, 10));
    b->setProperty("Enabled", false); // disabled while the cursor is over it
    SignalLog log(b);
    for (const char *refused : {"MousePress", "MouseRelease", "MouseDClick"})
        QTest::ignoreMessage(QtWarningMsg, (QByteArray("Mouse event \"") + refused +
                                            "\" not accepted by receiving widget")
                                               .constData());
    QTest::ignoreMessage(QtWarningMsg, "Keyboard event not accepted by receiving widget");
    moveTo(b, QPoint(12, 12));
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseDClick(b, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::keyPress(b, Qt::Key_A);
    QAccessible::queryAccessibleInterface(b)->actionInterface()->doAction(
        QAccessibleActionInterface::pressAction());
    leave(b);
    leave(b);
    for (const auto &[name, spy] : log.spies) // leaving is still reported, once
        QVERIFY2(spy->count() == (name == "MouseOut" ? 1 : 0), name.constData());
    QCOMPARE(cellOf(b), top ? 3 : 2);
}

void ButtonsTest::titleBarButtons()
{
    QWidget form;
    form.setAttribute(Qt::WA_DontShowOnScreen);
    auto *minimise = new xptopbuttons(QStringLiteral("xptopbuttons3"), &form);
    auto *maximise = new xptopbuttons(QStringLiteral("xptopbuttons2"), &form);
    auto *close = new xptopbuttons(QStringLiteral("xptopbuttons1"), &form);
    ReadTitleBarDesign(minimise, maximise, close);
    QCOMPARE(maximise->ButtonIndex(), 0); // the stored Value waits for the showing
    QCOMPARE(maximise->currentCell(), 3);
    form.show();
    QCOMPARE(minimise->ButtonIndex(), 2);
    QCOMPARE(maximise->ButtonIndex(), 1);
    QCOMPARE(close->ButtonIndex(), 0);
    QCOMPARE(close->currentCell(), 0);

    minimise->setMinimumSize(60, 60); // a container that insists
    minimise->resize(60, 60);
    QCOMPARE(minimise->size(), QSize(21, 21));
    for (int outside : {4, -1}) {
        minimise->SetValue(outside);
        QCOMPARE(minimise->Value(), outside);
        QCOMPARE(minimise->ButtonIndex(), 2);
    }
    minimise->SetEnabled(false);
    minimise->SetValue(3);
    QCOMPARE(minimise->ButtonIndex(), 3);
    QCOMPARE(minimise->currentCell(), 3);
}

void ButtonsTest::screenReaderAndAccessKey()
{
    QWidget form;
    auto *print = new xpcmdbutton(QStringLiteral("print"), &form);
    auto *close = new xptopbuttons(QStringLiteral("xptopbuttons1"), &form);
    print->SetCaption(QStringLiteral("&Print"));
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QSignalSpy printed(print, &xpcmdbutton::Click);
    QSignalSpy closed(close, &xptopbuttons::Click);

    QAccessibleInterface *a11y = QAccessible::queryAccessibleInterface(print);
    QCOMPARE(a11y->role(), QAccessible::Button);
    QCOMPARE(a11y->text(QAccessible::Name), QStringLiteral("Print"));
    a11y->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTest::keyClick(&form, Qt::Key_P, Qt::AltModifier);
    QCOMPARE(printed.count(), 2);
    print->SetCaption(QStringLiteral("Print")); // no mark, no access key
    QTest::keyClick(&form, Qt::Key_P, Qt::AltModifier);
    QCOMPARE(printed.count(), 2);

    a11y = QAccessible::queryAccessibleInterface(close);
    const QStringList names{"Close", "Maximize", "Minimize", "Restore"};
    for (int value = 0; value < 4; ++value) {
        close->SetValue(value);
        QCOMPARE(a11y->text(QAccessible::Name), names.at(value));
    }
    a11y->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(closed.count(), 1);
}

QTEST_MAIN(ButtonsTest)
#include "ButtonsTest.moc"
