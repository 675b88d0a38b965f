// Undo and redo through the real main window: the keys, the message, the tree and the boxes.
#include "MainFixture.h"

#include "platform/dao/Database.h"
#include "platform/dao/History.h"

#include <QApplication>
#include <sqlite3.h>

class TestUndoWindow : public QObject
{
    Q_OBJECT
private slots:
    void deletedRecipeIsShownAgain();
    void deletedCategoryComesBackWithItsRecipes();
    void ctrlZInABoxBeingEditedIsTheBoxsOwn();
    void damagedHistoryIsSaidOnceAndTheRecipesShown();
};

namespace {

const QList<kxtest::Category> Recipes = {
    {QStringLiteral("Beef"),
     {{"Goulash ", "Ann ", "beef ", "stew "}, {"Roast ", "Bo ", "x ", "y "}}},
    {QStringLiteral("Soups"), {{"Leek ", "Cy ", "leek ", "boil "}}}};

void press(QWidget *into, const QKeySequence &key)
{
    into->setFocus();
    QTest::keySequence(into, key);
}

} // namespace

void TestUndoWindow::deletedRecipeIsShownAgain()
{
    MainFixture f;
    f.open(Recipes);
    f.clickNode(f.recipe(QStringLiteral("Beef"), 1));
    press(f.form->Tv, QKeySequence(Qt::Key_Delete));
    QCOMPARE(f.rows(QStringLiteral("Beef")).size(), 1);
    f.dialogs.clear();

    press(f.form->Tv, QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(f.dialogs.texts(), QStringList{"Recipe \"Roast\" is back in Beef."});
    QCOMPARE(f.form->Tv->currentItem(), f.recipe(QStringLiteral("Beef"), 1));
    QCOMPARE(f.boxes(), (QStringList{"Roast ", "Bo", "x", "y"}));

    f.dialogs.clear();
    press(f.form->Tv, QKeySequence(Qt::CTRL | Qt::Key_Y));
    QCOMPARE(f.dialogs.texts(), QStringList{"Recipe \"Roast\" is deleted from Beef again."});
    QCOMPARE(f.rows(QStringLiteral("Beef")).size(), 1);
    press(f.form->Tv, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    QCOMPARE(f.dialogs.texts().last(), QStringLiteral("There is nothing to redo."));
}

void TestUndoWindow::deletedCategoryComesBackWithItsRecipes()
{
    MainFixture f;
    f.open(Recipes);
    const QList<QStringList> beef = f.rows(QStringLiteral("Beef"));
    f.click(f.form->xpcmdbutton1);
    f.clickNode(f.category(QStringLiteral("Beef")));
    f.dialogs.answer(vb::vbYes);
    f.click(f.form->delcatagroy);
    QVERIFY(!f.category(QStringLiteral("Beef")));
    f.dialogs.clear();

    press(f.form->Tv, QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(f.dialogs.texts(), QStringList{"Category Beef is back with its 2 recipes."});
    QVERIFY(f.category(QStringLiteral("Beef")));
    QCOMPARE(f.form->Tv->currentItem(), f.recipe(QStringLiteral("Beef"), 0));
    QCOMPARE(f.rows(QStringLiteral("Beef")), beef);
}

void TestUndoWindow::ctrlZInABoxBeingEditedIsTheBoxsOwn()
{
    MainFixture f;
    f.open(Recipes);
    f.clickNode(f.recipe(QStringLiteral("Soups"), 0));
    press(f.form->Tv, QKeySequence(Qt::Key_Delete));
    f.clickNode(f.recipe(QStringLiteral("Beef"), 0));
    f.click(f.form->Edit);
    f.dialogs.clear();
    f.form->Text2->setFocus();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("nie"));
    press(QApplication::focusWidget(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(f.form->Text2->Text(), QStringLiteral("Ann"));
    QVERIFY(f.dialogs.texts().isEmpty());
    QVERIFY(f.rows(QStringLiteral("Soups")).isEmpty()); // the deletion stays
}

void TestUndoWindow::damagedHistoryIsSaidOnceAndTheRecipesShown()
{
    MainFixture f;
    kxtest::makeDatabase(f.file(), Recipes);
    {
        auto db = dao::DBEngine::OpenDatabase(f.file(), false, false, kxtest::Connect);
        dao::History::Ensure(*db);
        db->TableDefs().Delete(QStringLiteral("Soups"));
    }
    sqlite3 *raw = nullptr;
    QCOMPARE(sqlite3_open(f.file().toUtf8().constData(), &raw), SQLITE_OK);
    QCOMPARE(sqlite3_exec(raw, "UPDATE _kx_undo_steps SET kind = 7", nullptr, nullptr, nullptr),
             SQLITE_OK);
    sqlite3_close(raw);
    const QList<QStringList> beef = f.rows(QStringLiteral("Beef"));

    f.start();
    QTRY_COMPARE(f.dialogs.texts(), QStringList{MainForm::HistoryLostMessage()});
    QCOMPARE(f.form->Tv->ChildCount(f.category(QStringLiteral("Beef"))), 2);
    QCOMPARE(f.rows(QStringLiteral("Beef")), beef);
    f.form->close();
    f.dialogs.clear();
    f.start();
    press(f.form->Tv, QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(f.dialogs.texts(), QStringList{"There is nothing to undo."});
}

QTEST_MAIN(TestUndoWindow)
#include "test_undo_window.moc"
