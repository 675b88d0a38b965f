// The find window driven from the main window: the keys and the tree's menu that open it, the
// results that follow the typing, and a chosen recipe shown as a click on its node shows it.
#include "../main/MainFixture.h"

#include "find/FindResults.h"
#include "find/frmfind.h"
#include "platform/dao/TextIndex.h"
#include "skin/xp_canvas.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListView>

using kxtest::Category;
using kxtest::Row;
using namespace RecipeBas;

namespace {

Row r(const QString &name, const QString &author, const QString &ingredients)
{
    return {name, author, ingredients, QStringLiteral("Simmer gently. ")};
}

QList<Category> kitchen()
{
    return {{QStringLiteral("Beef"),
             {r(QStringLiteral("Stew "), QStringLiteral("Ann "), QStringLiteral("beef carrots "))}},
            {QStringLiteral("Soups"),
             {r(QStringLiteral("Leek "), QStringLiteral("Ann "), QStringLiteral("leeks butter ")),
              r(QStringLiteral("Leek "), QStringLiteral("Bob "), QStringLiteral("leeks cream ")),
              r(QStringLiteral("Pea "), QStringLiteral("Cy "), QStringLiteral("peas mint "))}},
            {QStringLiteral("zzzNothing"), {}}};
}

// Every control of the main window and where it is.
QList<QRect> places(QWidget *window)
{
    QList<QRect> rects;
    for (QWidget *w : window->findChildren<QWidget *>())
        if (w->window() == window)
            rects.append(w->geometry());
    return rects;
}

} // namespace

class TestFind : public QObject
{
    Q_OBJECT
private slots:
    void opensByKeysAndTreeMenu_data();
    void opensByKeysAndTreeMenu();
    void resultsFollowTheTyping_data();
    void resultsFollowTheTyping();
    void fileWithoutTheIndexGetsItAndFinds();
    void chosenRecipeIsShownAsItsNodeClick_data();
    void chosenRecipeIsShownAsItsNodeClick();
    void addOrEditKeepsTheTypedText();
    void editOfTheChosenOneOfOneNameSavesIntoIt();
    void snippetPieces_data();
    void snippetPieces();

private:
    static frmfind *find(MainFixture &f, const QString &query);
};

frmfind *TestFind::find(MainFixture &f, const QString &query)
{
    f.form->OpenFind();
    frmfind *window = f.form->FindWindow();
    window->txtquery->clear();
    QTest::keyClicks(window->txtquery, query);
    window->Refresh();
    QCoreApplication::processEvents(); // the list lays its rows out
    return window;
}

void TestFind::opensByKeysAndTreeMenu_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Ctrl+F in the tree") << QStringLiteral("ctrl+f");
    QTest::newRow("F3 in a box") << QStringLiteral("f3");
    QTest::newRow("tree menu") << QStringLiteral("menu");
}

void TestFind::opensByKeysAndTreeMenu()
{
    QFETCH(QString, how);
    MainFixture f;
    f.open(kitchen());
    f.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    const QList<QRect> before = places(f.form.get());
    if (how == QLatin1String("ctrl+f")) {
        QTest::keyClick(f.form->Tv, Qt::Key_F, Qt::ControlModifier);
    } else if (how == QLatin1String("f3")) {
        f.form->Text4->setFocus();
        QTest::keyClick(f.form->Text4, Qt::Key_F3);
    } else {
        QCOMPARE(f.form->Tv->contextMenuPolicy(), Qt::ActionsContextMenu);
        const QList<QAction *> menu = f.form->Tv->actions();
        QVERIFY(!menu.isEmpty()); // "Find…" first, other commands after it
        QCOMPARE(menu.first()->text(), QStringLiteral("Find…"));
        menu.first()->trigger();
    }
    frmfind *window = f.form->FindWindow();
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->frmfindXP->Caption(), window->windowTitle());
    QTRY_COMPARE(QApplication::focusWidget(), window->txtquery);
    QCOMPARE(places(f.form.get()), before);
    QTest::keyClick(window->txtquery, Qt::Key_Escape);
    QTRY_VERIFY(!f.form->FindWindow());
}

void TestFind::resultsFollowTheTyping_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("first");
    QTest::newRow("two of one name") << QStringLiteral("leek") << QStringLiteral("2 recipes found")
                                     << QStringLiteral("Leek, by Ann, in Soups");
    QTest::newRow("one") << QStringLiteral("mint") << QStringLiteral("1 recipe found")
                         << QStringLiteral("Pea, by Cy, in Soups");
    QTest::newRow("none") << QStringLiteral("rhubarb") << QStringLiteral("No recipe found")
                          << QString();
    QTest::newRow("nothing typed")
        << QStringLiteral("  ") << QStringLiteral("Type a word to find recipes") << QString();
}

void TestFind::resultsFollowTheTyping()
{
    QFETCH(QString, query);
    QFETCH(QString, count);
    QFETCH(QString, first);
    MainFixture f;
    f.open(kitchen());
    frmfind *window = find(f, query);
    QCOMPARE(window->lblcount->text(), count);
    QCOMPARE(window->lblcount->accessibleName(), count);
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(window->lstresults);
    QVERIFY(list);
    QCOMPARE(list->text(QAccessible::Name), QStringLiteral("Recipes found"));
    QCOMPARE(window->results()->rowCount(),
             first.isEmpty() ? 0 : count.section(QLatin1Char(' '), 0, 0).toInt());
    if (!first.isEmpty()) {
        const QString item = window->results()->index(0).data().toString();
        QVERIFY2(item.startsWith(first), qPrintable(item));
        QVERIFY2(!item.contains(Catalog::MarkStart), qPrintable(item));
    }
}

void TestFind::fileWithoutTheIndexGetsItAndFinds()
{
    MainFixture f;
    kxtest::makeDatabase(f.file(), kitchen());
    dao::TextIndex::Drop(*dao::DBEngine::OpenDatabase(f.file(), false, false, kxtest::Connect));
    f.start();
    frmfind *window = find(f, QStringLiteral("leek"));
    QTRY_COMPARE(window->lblcount->text(), QStringLiteral("2 recipes found"));
    QVERIFY(window->lblstatus->text().isEmpty());
}

void TestFind::chosenRecipeIsShownAsItsNodeClick_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("downs"); // -1: Down, then Up
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("node"); // 0: Leek by Ann, 1: Leek by Bob
    QTest::newRow("Down, Enter") << QStringLiteral("leek") << 1 << QStringLiteral("enter") << 1;
    QTest::newRow("Down, Up, Enter")
        << QStringLiteral("leek") << -1 << QStringLiteral("enter") << 0;
    QTest::newRow("click") << QStringLiteral("leek") << 1 << QStringLiteral("click") << 1;
    QTest::newRow("double click") << QStringLiteral("cream") << 0 << QStringLiteral("double") << 1;
}

void TestFind::chosenRecipeIsShownAsItsNodeClick()
{
    QFETCH(QString, query);
    QFETCH(int, downs);
    QFETCH(QString, how);
    QFETCH(int, node);
    MainFixture f;
    f.open(kitchen());
    // From a category not open yet: it opens.
    frmfind *window = find(f, QStringLiteral("carrots"));
    QTest::keyClick(window->txtquery, Qt::Key_Return);
    QCOMPARE(CurrentCategory, QStringLiteral("Beef"));
    QVERIFY(f.category(QStringLiteral("Beef"))->isExpanded());
    QCOMPARE(f.form->Tv->currentItem(), f.recipe(QStringLiteral("Beef"), 0));

    window = find(f, query);
    for (int i = 0; i < qAbs(downs); ++i)
        QTest::keyClick(window->txtquery, Qt::Key_Down);
    if (downs < 0)
        QTest::keyClick(window->txtquery, Qt::Key_Up);
    const QRect row = window->lstresults->visualRect(window->lstresults->currentIndex());
    if (how == QLatin1String("enter"))
        QTest::keyClick(window->txtquery, Qt::Key_Return);
    else if (how == QLatin1String("click"))
        QTest::mouseClick(window->lstresults->viewport(), Qt::LeftButton, {}, row.center());
    else // as a mouse sends it: a click, then the second press as a double click
        for (auto step : {QTest::MouseClick, QTest::MouseDClick, QTest::MouseRelease})
            QTest::mouseEvent(step, window->lstresults->viewport(), Qt::LeftButton, {},
                              row.center());
    const QStringList shown{QStringLiteral("Leek "),
                            node ? QStringLiteral("Bob") : QStringLiteral("Ann"),
                            node ? QStringLiteral("leeks cream") : QStringLiteral("leeks butter"),
                            QStringLiteral("Simmer gently.")};
    QCOMPARE(f.boxes(), shown);
    QCOMPARE(CurrentRecipe, QStringLiteral("Leek"));
    QCOMPARE(CurrentCategory, QStringLiteral("Soups"));
    QCOMPARE(f.form->Tv->currentItem(), f.recipe(QStringLiteral("Soups"), node));
    QVERIFY(f.locked());
    QVERIFY(window->isVisible());
    QVERIFY(window->lblstatus->text().isEmpty());
    QVERIFY(f.dialogs.asked().isEmpty());
}

void TestFind::addOrEditKeepsTheTypedText()
{
    MainFixture f;
    f.open(kitchen());
    f.clickNode(f.recipe(QStringLiteral("Soups"), 2));
    for (xpcmdbutton *mode : {f.form->Edit, f.form->add}) {
        f.click(mode);
        f.type(QStringLiteral("typed"), QString(), QString(), QString());
        frmfind *window = find(f, QStringLiteral("leek"));
        QTest::keyClick(window->txtquery, Qt::Key_Return);
        QCOMPARE(f.boxes().first(), QStringLiteral("typed"));
        QVERIFY(f.unlocked());
        QVERIFY(window->lblstatus->text().contains(QStringLiteral("Save or cancel")));
        QCOMPARE(window->lblstatus->accessibleName(), window->lblstatus->text());
    }
    QCOMPARE(CurrentRecipe, QStringLiteral("Pea"));
}

void TestFind::editOfTheChosenOneOfOneNameSavesIntoIt()
{
    MainFixture f;
    f.open(kitchen());
    QTest::keyClick(find(f, QStringLiteral("cream"))->txtquery, Qt::Key_Return);
    f.click(f.form->Edit);
    f.form->Text2->SetText(QStringLiteral("Bo"));
    f.click(f.form->saveedited);
    const QList<QStringList> soups = f.rows(QStringLiteral("Soups"));
    QCOMPARE(soups.at(0).at(1), QStringLiteral("Ann "));
    QCOMPARE(soups.at(1).mid(1, 2),
             QStringList({QStringLiteral("Bo "), QStringLiteral("leeks cream ")}));
}

void TestFind::snippetPieces_data()
{
    QTest::addColumn<QString>("snippet");
    QTest::addColumn<QString>("shown"); // marked words in [ ]
    const QChar a = Catalog::MarkStart, b = Catalog::MarkEnd;
    QTest::newRow("marked") << QStringLiteral("fry %1leeks%2 in %1butter%2").arg(a, b)
                            << QStringLiteral("fry [leeks] in [butter]");
    QTest::newRow("line ends and tabs")
        << QStringLiteral("one\r\n\ttwo %1three%2").arg(a, b) << QStringLiteral("one two [three]");
    QTest::newRow("open mark") << QStringLiteral("to %1the end").arg(a)
                               << QStringLiteral("to [the end]");
}

void TestFind::snippetPieces()
{
    QFETCH(QString, snippet);
    QFETCH(QString, shown);
    QString text;
    for (const FindResults::Piece &piece : FindResults::Pieces(snippet))
        text += piece.marked ? QLatin1Char('[') + piece.text + QLatin1Char(']') : piece.text;
    QCOMPARE(text, shown);
}

QTEST_MAIN(TestFind)
#include "test_find.moc"
