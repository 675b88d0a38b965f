// The windows' keys driven through the real main window: each key does what a click on its
// button does while the button is shown and enabled, and nothing while it is hidden or
// disabled; wherever the focus is, but Delete only in the tree (in a box it deletes text).
#include "MainFixture.h"

#include <QAccessible>
#include <QApplication>
#include <QDesktopServices>

using kxtest::Category;

class TestKeys : public QObject
{
    Q_OBJECT
public slots:
    void open(const QUrl &url) { m_opened.append(url); }

private slots:
    void keyClicksItsButtonOnlyWhenShownAndEnabled_data();
    void keyClicksItsButtonOnlyWhenShownAndEnabled();

private:
    QList<QUrl> m_opened;
};

namespace {

QList<Category> kitchen()
{
    const kxtest::Row stew{QStringLiteral("Stew "), QStringLiteral("Ann "), QStringLiteral("beef "),
                           QStringLiteral("cook ")};
    return {{QStringLiteral("Beef"), {stew}}, {QStringLiteral("Soups"), {}}};
}

// Shows the window in the given mode with a recipe shown, active and focused as a user has it.
void enter(MainFixture &f, const QString &mode)
{
    f.open(kitchen());
    f.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    f.clickNode(f.recipe(QStringLiteral("Beef"), 0));
    if (mode == QLatin1String("add"))
        f.click(f.form->add);
    else if (mode == QLatin1String("edit"))
        f.click(f.form->Edit);
    else if (mode == QLatin1String("categories"))
        f.click(f.form->xpcmdbutton1);
}

} // namespace

void TestKeys::keyClicksItsButtonOnlyWhenShownAndEnabled_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("mode");  // browse, add, edit or categories
    QTest::addColumn<QString>("focus"); // the widget with the focus
    const auto row = [](const char *name, const char *key, const char *button, const char *mode,
                        const char *focus) {
        QTest::newRow(name) << QString::fromLatin1(key) << QString::fromLatin1(button)
                            << QString::fromLatin1(mode) << QString::fromLatin1(focus);
    };
    row("ADD", "Ctrl+N", "add", "browse", "Text1");
    row("Save", "Ctrl+S", "Save", "add", "Text1");
    row("Save Edited", "Ctrl+S", "saveedited", "edit", "Text3");
    row("Cancel", "Esc", "Cancel", "add", "Text2");
    row("Cancel Edit", "Esc", "canceledit", "edit", "Text4");
    row("Edit", "F2", "Edit", "browse", "Tv");
    row("Delete", "Del", "delete", "browse", "Tv");
    row("Print", "Ctrl+P", "print", "browse", "Tv");
    row("Add Category", "Ctrl+Shift+N", "xpcmdbutton2", "edit", "Text1");
    row("Del Category", "Ctrl+Shift+Del", "xpcmdbutton1", "edit", "Text2");
    row("Delete a Category", "Del", "delcatagroy", "categories", "Tv");
    row("Cancel category deletion", "Esc", "cancelcata", "categories", "Tv");
    row("Website", "F1", "Website", "browse", "Text1");
}

void TestKeys::keyClicksItsButtonOnlyWhenShownAndEnabled()
{
    QFETCH(QString, key);
    QFETCH(QString, button);
    QFETCH(QString, mode);
    QFETCH(QString, focus);
    const QKeySequence keys = QKeySequence::fromString(key);
    MainFixture f;
    enter(f, mode);
    auto *target = f.form->findChild<xpcmdbutton *>(button);
    QVERIFY(target);
    // The tooltip and the screen reader name the key.
    QVERIFY2(target->toolTip().endsWith(QStringLiteral(" (%1)").arg(key)),
             qPrintable(target->toolTip()));
    QAccessibleActionInterface *action =
        QAccessible::queryAccessibleInterface(target)->actionInterface();
    QCOMPARE(action->keyBindingsForAction(QAccessibleActionInterface::pressAction()).value(0), key);

    QList<std::pair<xpcmdbutton *, int>> clicks;
    for (xpcmdbutton *b : f.form->findChildren<xpcmdbutton *>()) {
        clicks.append({b, 0});
        connect(b, &xpcmdbutton::Click, this, [&clicks, b] {
            for (auto &[clicked, count] : clicks)
                count += clicked == b;
        });
    }
    const auto clicked = [&](xpcmdbutton *b) {
        for (const auto &[c, count] : clicks)
            if (c == b)
                return count;
        return -1;
    };
    const auto press = [&] {
        auto *into = f.form->findChild<QWidget *>(focus);
        into->setFocus();
        QCOMPARE(QApplication::focusWidget(), into);
        QTest::keySequence(into, keys);
    };
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
    m_opened.clear();

    target->setVisible(false);
    press();
    QCOMPARE(clicked(target), 0);
    target->setVisible(true);
    target->SetEnabled(false);
    press();
    QCOMPARE(clicked(target), 0);
    target->SetEnabled(true);
    for (auto &[b, count] : clicks)
        count = 0;
    press();
    for (const auto &[b, count] : clicks)
        QCOMPARE(count, b == target ? 1 : 0);
    // What the click does happens: the website row opens the website.
    QCOMPARE(m_opened.size(), button == QLatin1String("Website") ? 1 : 0);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

QTEST_MAIN(TestKeys)
#include "test_keys.moc"
