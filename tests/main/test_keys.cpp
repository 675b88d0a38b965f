// The windows' keys driven through the real main window: each key does what a click on its
// button does while the button is shown and enabled, and nothing while it is hidden or
// disabled; wherever the focus is, but Delete only in the tree (in a box it deletes text).
#include "MainFixture.h"

#include <QAccessible>
#include <QApplication>
#include <QDesktopServices>

class TestKeys : public QObject
{
    Q_OBJECT
public slots:
    void open(const QUrl &) {} // the website button opens nothing while testing

private slots:
    void keyClicksItsButtonOnlyWhenShownAndEnabled_data();
    void keyClicksItsButtonOnlyWhenShownAndEnabled();
};

void TestKeys::keyClicksItsButtonOnlyWhenShownAndEnabled_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("mode");  // the button clicked to enter the mode, if any
    QTest::addColumn<QString>("focus"); // the widget with the focus
    const auto row = [](const char *key, const char *button, const char *mode, const char *focus) {
        QTest::addRow("%s %s", button, key)
            << QString::fromLatin1(key) << QString::fromLatin1(button) << QString::fromLatin1(mode)
            << QString::fromLatin1(focus);
    };
    row("Ctrl+N", "add", "", "Text1");
    row("Ctrl+S", "Save", "add", "Text1");
    row("Ctrl+S", "saveedited", "Edit", "Text3");
    row("Esc", "Cancel", "add", "Text2");
    row("Esc", "canceledit", "Edit", "Text4");
    row("F2", "Edit", "", "Tv");
    row("Del", "delete", "", "Tv");
    row("Ctrl+P", "print", "", "Tv");
    row("Ctrl+Shift+N", "xpcmdbutton2", "Edit", "Text1");
    row("Ctrl+Shift+Del", "xpcmdbutton1", "Edit", "Text2");
    row("Del", "delcatagroy", "xpcmdbutton1", "Tv");
    row("Esc", "cancelcata", "xpcmdbutton1", "Tv");
    row("F1", "Website", "", "Text1");
}

void TestKeys::keyClicksItsButtonOnlyWhenShownAndEnabled()
{
    QFETCH(QString, key);
    QFETCH(QString, button);
    QFETCH(QString, mode);
    QFETCH(QString, focus);
    MainFixture f;
    f.open({{QStringLiteral("Beef"), {{"Stew ", "Ann ", "beef ", "cook "}}}});
    f.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    f.clickNode(f.recipe(QStringLiteral("Beef"), 0));
    if (!mode.isEmpty())
        f.click(f.form->findChild<xpcmdbutton *>(mode));
    auto *target = f.form->findChild<xpcmdbutton *>(button);
    // The tooltip and the screen reader name the key.
    QVERIFY2(target->toolTip().endsWith(QStringLiteral(" (%1)").arg(key)),
             qPrintable(target->toolTip()));
    QCOMPARE(QAccessible::queryAccessibleInterface(target)->actionInterface()->keyBindingsForAction(
                 QAccessibleActionInterface::pressAction()),
             QStringList(key));

    QList<xpcmdbutton *> clicked;
    for (xpcmdbutton *b : f.form->findChildren<xpcmdbutton *>())
        connect(b, &xpcmdbutton::Click, this, [&clicked, b] { clicked.append(b); });
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
    const auto press = [&] {
        auto *into = f.form->findChild<QWidget *>(focus);
        into->setFocus();
        QCOMPARE(QApplication::focusWidget(), into);
        QTest::keySequence(into, QKeySequence::fromString(key));
    };
    target->setVisible(false);
    press();
    target->setVisible(true);
    target->SetEnabled(false);
    press();
    QVERIFY(!clicked.contains(target));
    target->SetEnabled(true);
    clicked.clear();
    press();
    QCOMPARE(clicked, QList<xpcmdbutton *>{target});
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

QTEST_MAIN(TestKeys)
#include "test_keys.moc"
