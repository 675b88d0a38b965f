#include "ControlsTestSupport.h"
#include "controls/xpcmdbutton.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QLabel>
#include <QTest>

using ctltest::leave;
using ctltest::moveTo;
using ctltest::SignalLog;

namespace {

std::unique_ptr<xpcmdbutton> makeButton(const QString &name, QSize size = QSize(57, 25))
{
    auto button = std::make_unique<xpcmdbutton>(name);
    button->resize(size);
    // Shown (off screen) so that the resize reaches the button now, as on a form.
    button->setAttribute(Qt::WA_DontShowOnScreen);
    button->show();
    return button;
}

// Where the stretched face takes each pixel from in its 18 x 21 cell: corners as they are,
// edges and middle spread over the rest. Every row of the cell is the same from column 3 to
// 14 (checked with the artwork), so across the middle any of those columns will do.
QPoint nineSliceSource(int x, int y, QSize size)
{
    const int w = size.width();
    const int h = size.height();
    const int sx = x < 3 ? x : x >= w - 3 ? x - (w - 18) : 3 + (x - 3) * 12 / (w - 6);
    const int sy = y < 3 ? y : y >= h - 3 ? y - (h - 21) : 3 + (y - 3) * 15 / (h - 6);
    return QPoint(sx, sy);
}

QColor captionColour(xpcmdbutton &button)
{
    return button.findChild<QLabel *>()->palette().color(QPalette::WindowText);
}

} // namespace

class CmdButtonTest : public QObject
{
    Q_OBJECT

private slots:
    void cellForEachTransition_data();
    void cellForEachTransition();
    void restingCellFollowsStateAndEnabled();
    void nineSliceGeometry_data();
    void nineSliceGeometry();
    void captionCentredAfterEveryChange();
    void mouseOutOncePerEntry();
    void toolkitReportsLeaving();
    void oneClickPerDoubleClick();
    void disabledButtonReceivesNothing();
    void persistedProperties();
    void keyboardAndScreenReader();
    void accessKeyClicks();
};

void CmdButtonTest::cellForEachTransition_data()
{
    // Steps: m move, p press left, l move with the left button held, P press right, R move
    // with the right button held, B move with both held, r release left, o drag outside.
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("cell");
    QTest::newRow("resting") << 0 << "" << 0;
    QTest::newRow("resting, State 1") << 1 << "" << 4;
    QTest::newRow("hovered, State 1") << 1 << "m" << 3;
    QTest::newRow("pressed") << 0 << "m p" << 1;
    QTest::newRow("held and moved") << 0 << "p l" << 1;
    QTest::newRow("right button pressed") << 0 << "P" << 1;
    QTest::newRow("right button moved hovers") << 0 << "P R" << 3;
    QTest::newRow("two buttons moved hover") << 0 << "p B" << 3;
    QTest::newRow("released over it rests") << 1 << "m p l r" << 4;
    QTest::newRow("dragged out rests") << 1 << "p l o" << 4;
    QTest::newRow("dragged back in presses") << 0 << "p l o l" << 1;
}

void CmdButtonTest::cellForEachTransition()
{
    QFETCH(int, state);
    QFETCH(QString, steps);
    QFETCH(int, cell);
    auto button = makeButton(QStringLiteral("add"));
    button->SetState(state);
    const QPoint in(10, 10);
    for (const QString &step : steps.split(u' ', Qt::SkipEmptyParts)) {
        const char c = step.at(0).toLatin1();
        if (c == 'p' || c == 'P')
            QTest::mousePress(button.get(), c == 'p' ? Qt::LeftButton : Qt::RightButton, {}, in);
        else if (c == 'r')
            QTest::mouseRelease(button.get(), Qt::LeftButton, {}, in);
        else
            moveTo(button.get(), c == 'o' ? QPoint(-5, 10) : in,
                   c == 'l' || c == 'o' ? Qt::MouseButtons(Qt::LeftButton)
                   : c == 'R'           ? Qt::MouseButtons(Qt::RightButton)
                   : c == 'B'           ? Qt::LeftButton | Qt::RightButton
                                        : Qt::MouseButtons());
    }
    QCOMPARE(button->currentCell(), cell);
    // Let the test library forget any button still held.
    QTest::mouseRelease(button.get(), Qt::LeftButton, {}, QPoint(-50, -50));
    QTest::mouseRelease(button.get(), Qt::RightButton, {}, QPoint(-50, -50));
}

void CmdButtonTest::restingCellFollowsStateAndEnabled()
{
    auto button = makeButton(QStringLiteral("add"));
    QCOMPARE(button->currentCell(), 0);
    for (const auto &[state, cell] : {std::pair{1, 4}, {2, 4}, {-1, 4}, {0, 0}, {2, 0}}) {
        button->SetState(state); // neither 0 nor 1: the resting cell stays as it was
        QCOMPARE(button->currentCell(), cell);
    }
    button->SetState(1);
    button->SetEnabled(false);
    QCOMPARE(button->currentCell(), 2);
    QCOMPARE(captionColour(*button), QColor(161, 161, 146));
    button->SetEnabled(true);
    QCOMPARE(button->currentCell(), 4);
    QCOMPARE(captionColour(*button), QColor(0, 0, 0));
    button->setEnabled(false); // disabled through the widget itself, as a container may do
    QCOMPARE(button->currentCell(), 2);
    QVERIFY(!button->Enabled());
}

void CmdButtonTest::nineSliceGeometry_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("cell");
    for (int cell = 0; cell < 5; ++cell) {
        QTest::addRow("75 x 51, cell %d", cell) << QSize(75, 51) << cell;
        QTest::addRow("6 x 21, cell %d", cell) << QSize(6, 21) << cell;
    }
    QTest::newRow("6 x 6") << QSize(6, 6) << 4;
}

void CmdButtonTest::nineSliceGeometry()
{
    QFETCH(QSize, size);
    QFETCH(int, cell);
    auto button = makeButton(QString(), size);
    button->DrawCell(cell);
    const QImage source = ctltest::stripCell(QStringLiteral(":/buttons/cmdbutton.png"), 5, cell);
    int compared = 0;
    const QString difference =
        ctltest::compareDrawn(button.get(), source, nineSliceSource, &compared);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    // All but the few see-through pixels of the rounded corners were compared.
    QVERIFY(compared >= size.width() * size.height() - 12);
}

void CmdButtonTest::captionCentredAfterEveryChange()
{
    auto button = makeButton(QStringLiteral("add"));
    auto *lbl = button->findChild<QLabel *>(QStringLiteral("lbl"));
    const auto checkCentred = [&] {
        // The label fits its text and sits in the middle, an odd pixel going to the right.
        QCOMPARE(lbl->size(), lbl->sizeHint());
        QVERIFY(qAbs(2 * lbl->x() + lbl->width() - button->width()) <= 1);
        QVERIFY(qAbs(2 * lbl->y() + lbl->height() - button->height()) <= 1);
    };
    checkCentred();
    const QSize small = lbl->size();
    button->SetCaption(QStringLiteral("Delete a Category"));
    QVERIFY(lbl->width() > small.width());
    checkCentred();
    button->SetFont(QFont(QStringLiteral("Arial"), 20));
    QVERIFY(lbl->height() > small.height());
    checkCentred();
    QVERIFY2(lbl->x() < 0, "a caption wider than the button starts left of it");
    button->resize(400, 60);
    checkCentred();
}

void CmdButtonTest::mouseOutOncePerEntry()
{
    auto button = makeButton(QStringLiteral("add"), QSize(80, 25));
    SignalLog log(button.get());
    leave(button.get()); // never entered: nothing to report
    moveTo(button.get(), QPoint(2, 2));
    moveTo(button.get(), button->findChild<QLabel *>()->geometry().center());
    QCOMPARE(button->currentCell(), 3);
    QCOMPARE(log.count("MouseOut"), 0);

    leave(button.get());
    leave(button.get());
    QCOMPARE(log.count("MouseOut"), 1);
    QCOMPARE(button->currentCell(), 0);

    // Dragged out with the left button held: reported at the first move outside (the edge
    // line still counts as inside), once, and the resting face comes back.
    QTest::mousePress(button.get(), Qt::LeftButton, {}, QPoint(10, 10));
    moveTo(button.get(), QPoint(80, 25), Qt::LeftButton);
    QCOMPARE(log.count("MouseOut"), 1);
    moveTo(button.get(), QPoint(81, 10), Qt::LeftButton);
    moveTo(button.get(), QPoint(120, 40), Qt::LeftButton);
    QCOMPARE(log.count("MouseOut"), 2);
    QCOMPARE(button->currentCell(), 0);
    moveTo(button.get(), QPoint(10, 10), Qt::LeftButton); // back in: pressed again
    QCOMPARE(button->currentCell(), 1);
    moveTo(button.get(), QPoint(-3, 10), Qt::LeftButton);
    QTest::mouseRelease(button.get(), Qt::LeftButton, {}, QPoint(-3, 10));
    leave(button.get()); // the toolkit's leave after the release outside
    QCOMPARE(log.count("MouseOut"), 3);
    QCOMPARE(log.count("MouseUp"), 1);
    QCOMPARE(log.count("Click"), 0);
    QCOMPARE(button->currentCell(), 0);
}

void CmdButtonTest::toolkitReportsLeaving()
{
    // The real cursor on a shown form: leaving comes from the toolkit itself, and an idle
    // hovered button wakes up for nothing.
    QWidget form;
    form.resize(200, 100);
    auto *button = new xpcmdbutton(QStringLiteral("add"), &form);
    button->setGeometry(20, 20, 80, 25);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    SignalLog log(button);
    QTest::mouseMove(button, QPoint(10, 10));
    QTRY_COMPARE(button->currentCell(), 3);
    QTest::mouseMove(button, button->findChild<QLabel *>()->geometry().center());
    QTest::mouseMove(button, QPoint(75, 20));
    QCOMPARE(log.count("MouseOut"), 0); // over the caption and back is no leaving

    struct TimerCounter : QObject
    {
        int count = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            count += e->type() == QEvent::Timer;
            return false;
        }
    } timers;
    button->installEventFilter(&timers);
    QTest::qWait(40);
    QCOMPARE(timers.count, 0);

    QTest::mouseMove(&form, QPoint(150, 80));
    QTRY_COMPARE(log.count("MouseOut"), 1);
    QCOMPARE(button->currentCell(), 0);
}

void CmdButtonTest::oneClickPerDoubleClick()
{
    auto button = makeButton(QStringLiteral("add"));
    SignalLog log(button.get());
    const QPoint in(20, 12);
    // A fast double click as the toolkit reports it: press, release, press, double click,
    // release.
    QTest::mousePress(button.get(), Qt::LeftButton, {}, in);
    QTest::mouseRelease(button.get(), Qt::LeftButton, {}, in);
    QTest::mousePress(button.get(), Qt::LeftButton, {}, in);
    QTest::mouseDClick(button.get(), Qt::LeftButton, {}, in);
    QTest::mouseRelease(button.get(), Qt::LeftButton, {}, in);
    QCOMPARE(log.count("Click"), 1);
    QCOMPARE(button->currentCell(), 0);

    // Only a left press and release both over the button click it.
    QTest::mouseClick(button.get(), Qt::RightButton, {}, in);
    QTest::mousePress(button.get(), Qt::LeftButton, {}, in);
    QTest::mouseRelease(button.get(), Qt::LeftButton, {}, QPoint(-10, 5));
    QCOMPARE(log.count("Click"), 1);
    QTest::mouseClick(button.get(), Qt::LeftButton, {}, in);
    QCOMPARE(log.count("Click"), 2);
}

void CmdButtonTest::disabledButtonReceivesNothing()
{
    auto button = makeButton(QStringLiteral("add"));
    button->SetEnabled(false);
    SignalLog log(button.get());
    for (const char *refused : {"MousePress", "MouseRelease", "MouseDClick", "Keyboard"})
        ctltest::expectRefused(refused);
    moveTo(button.get(), QPoint(10, 10));
    QTest::mouseClick(button.get(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseDClick(button.get(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::keyPress(button.get(), Qt::Key_A);
    leave(button.get());
    QAccessible::queryAccessibleInterface(button.get())
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(log.total(), 0);
    QCOMPARE(button->currentCell(), 2);

    // Disabled while the cursor is over it: leaving is still reported once, the look stays.
    button->SetEnabled(true);
    moveTo(button.get(), QPoint(10, 10));
    button->SetEnabled(false);
    leave(button.get());
    leave(button.get());
    QCOMPARE(log.count("MouseOut"), 1);
    QCOMPARE(button->currentCell(), 2);
}

void CmdButtonTest::persistedProperties()
{
    QWidget form;
    form.setFont(QFont(QStringLiteral("Arial"), 9));
    xpcmdbutton fresh(QStringLiteral("Edit"), &form);
    QCOMPARE(fresh.Caption(), QStringLiteral("Edit"));
    QCOMPARE(fresh.Font(), form.font());
    vb::PropertyBag bag;
    fresh.WriteProperties(bag);
    QVERIFY2(bag.isEmpty(), qPrintable(bag.keys().join(u',')));

    fresh.SetCaption(QStringLiteral("Save Edited"));
    fresh.SetState(1);
    fresh.SetEnabled(false);
    fresh.SetFont(QFont(QStringLiteral("Arial"), 9, QFont::Bold));
    fresh.WriteProperties(bag);
    QCOMPARE(bag.keys(), (QStringList{"State", "Enabled", "Caption", "Font"}));
    xpcmdbutton loaded(QStringLiteral("Edit"), &form);
    loaded.ReadProperties(bag);
    QCOMPARE(loaded.State(), 1);
    QCOMPARE(loaded.Caption(), QStringLiteral("Save Edited"));
    QCOMPARE(loaded.Font(), fresh.Font());
    QCOMPARE(loaded.currentCell(), 2);
    loaded.SetEnabled(true);
    QCOMPARE(loaded.currentCell(), 4);

    // As a form stores them: keys in any letter case; State 1 comes up highlighted.
    vb::PropertyBag stored;
    stored.WriteProperty(QStringLiteral("STATE"), 1);
    stored.WriteProperty(QStringLiteral("caption"), QStringLiteral("ADD"));
    stored.WriteProperty(QStringLiteral("fONT"), QFont(QStringLiteral("Arial"), 12));
    xpcmdbutton add(QStringLiteral("add"), &form);
    add.ReadProperties(stored);
    QCOMPARE(add.currentCell(), 4);
    QCOMPARE(add.Caption(), QStringLiteral("ADD"));
    QCOMPARE(add.Font().pointSize(), 12);
    add.SetState(1);
    add.ReadProperties(vb::PropertyBag()); // nothing stored: back to State 0, cell 0
    QCOMPARE(add.currentCell(), 0);
    QCOMPARE(add.Caption(), QStringLiteral("add"));
}

void CmdButtonTest::keyboardAndScreenReader()
{
    auto button = makeButton(QStringLiteral("Website"));
    QCOMPARE(button->focusPolicy(), Qt::TabFocus);
    SignalLog log(button.get());
    QTest::keyClick(button.get(), Qt::Key_Space);
    QTest::keyClick(button.get(), 'A', Qt::ShiftModifier); // Shift down, A, Shift up
    QCOMPARE(log.count("Click"), 0); // the keyboard does not click a focused button
    QCOMPARE(log.count("KeyDown"), 3);
    QCOMPARE(log.count("KeyPress"), 2);
    QCOMPARE(log.count("KeyUp"), 3);

    button->SetCaption(QStringLiteral("More, Newer, visit our website."));
    QAccessibleInterface *a11y = QAccessible::queryAccessibleInterface(button.get());
    QCOMPARE(a11y->role(), QAccessible::Button);
    QCOMPARE(a11y->text(QAccessible::Name), QStringLiteral("More, Newer, visit our website."));
    button->SetCaption(QStringLiteral("&Print"));
    QCOMPARE(a11y->text(QAccessible::Name), QStringLiteral("Print"));
    a11y->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(log.count("Click"), 1);
}

void CmdButtonTest::accessKeyClicks()
{
    QWidget form;
    auto *button = new xpcmdbutton(QStringLiteral("print"), &form);
    button->SetCaption(QStringLiteral("&Print"));
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    SignalLog log(button);
    QTest::keyClick(&form, Qt::Key_P, Qt::AltModifier);
    QCOMPARE(log.count("Click"), 1);
    button->SetCaption(QStringLiteral("Print")); // no mark, no access key
    QTest::keyClick(&form, Qt::Key_P, Qt::AltModifier);
    QCOMPARE(log.count("Click"), 1);
}

int runCmdButtonTests(int argc, char **argv)
{
    CmdButtonTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "CmdButtonTest.moc"
