// The main window driven as a person drives it: clicks in the tree, the buttons, the dialogs
// answered. After every scenario the database is read back through the engine.
#include "MainFixture.h"

#include "controls/xptopbuttons.h"
#include "platform/vb/ListBox.h"
#include "skin/xp_canvas.h"

#include <QLabel>

using kxtest::Category;
using kxtest::Row;
using namespace RecipeBas;

namespace {

Row r(const QString &name, const QString &ingredients = QStringLiteral("I "))
{
    return {name, QStringLiteral("A "), ingredients, QStringLiteral("S ")};
}

QList<Category> kitchen()
{
    return {{QStringLiteral("Beef"), {r(QStringLiteral("Stew ")), r(QStringLiteral("Roast "))}},
            {QStringLiteral("Soups"), {r(QStringLiteral("Leek ")), r(QStringLiteral("Leek "), QStringLiteral("second ")),
                                       r(QStringLiteral("Pea "))}},
            {QStringLiteral("zzzNothing"), {}}};
}

const QString Enter = QStringLiteral("\r\n");

} // namespace

class TestMain : public QObject
{
    Q_OBJECT
private slots:
    void startsInBrowseModeWithTheTreeLoaded();
    void collapsedCategoryOpensWithItsRecipes();
    void addAsksForTheCategoryClickedBeforeAdd();
    void addAnsweredNoKeepsAddModeAndText();
    void addAfterSaveNeedsANewCategory();
    void editSavesIntoTheRecipeLastClicked();
    void editCancelEditSaveDoesNothing();
    void updateRefusedByTheEngineKeepsEditModeAndText();
    void deleteRemovesEveryRecipeOfTheNameLastClicked();
    void deleteOfAVanishedRecipeSaysNothingWasDeleted();
    void blankNamedRecipeCanBeShownEditedAndDeleted();
    void createCategory();
    void deleteCategory();
    void maximiseIsDisabledAndCloseEndsTheWindow();
};

void TestMain::startsInBrowseModeWithTheTreeLoaded()
{
    MainFixture f;
    f.open(kitchen());
    QCOMPARE(f.form->objectName(), QStringLiteral("main"));
    QVERIFY(f.modeButtons().isEmpty());
    QVERIFY(f.locked());
    QVERIFY(!f.form->List1->isVisible());
    QCOMPARE(f.form->Label1->buddy(), f.form->Text1);
    QCOMPARE(f.form->Text3->accessibleName(), QStringLiteral("Ingredients"));
    QCOMPARE(f.form->xp_canvas1->Caption(),
             QStringLiteral("Kitchenex Recipe V2.2__https://kitchenex.example/"));
    QCOMPARE(f.form->windowTitle(), f.form->xp_canvas1->Caption());
    // The last category is expanded, the others collapsed.
    QVERIFY(f.category(QStringLiteral("zzzNothing")));
    QVERIFY(!f.category(QStringLiteral("Beef"))->isExpanded());
    QCOMPARE(f.recipe(QStringLiteral("Soups"), 2)->text(0), QStringLiteral("Pea"));
    QVERIFY(f.dialogs.asked().isEmpty());
    QVERIFY(f.form->startupProblem().isEmpty());
}

void TestMain::collapsedCategoryOpensWithItsRecipes()
{
    MainFixture f;
    f.open(kitchen());
    vb::TreeView *tv = f.form->Tv;
    QTreeWidgetItem *beef = f.category(QStringLiteral("Beef"));
    QVERIFY(beef && !beef->isExpanded());
    // Shown as having recipes before they are made into nodes.
    QCOMPARE(tv->ChildCount(beef), 2);
    QVERIFY(beef->childCount() == 0 && tv->visualItemRect(beef).isValid());
    QCOMPARE(beef->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);

    // Opened with the keyboard: its recipes in stored order, and Down shows the first.
    f.clickNode(beef);
    QTest::keyClick(tv, Qt::Key_Right);
    QVERIFY(beef->isExpanded());
    QCOMPARE(beef->childCount(), 2);
    QCOMPARE(beef->child(0)->text(0), QStringLiteral("Stew"));
    QCOMPARE(beef->child(1)->text(0), QStringLiteral("Roast"));
    QCOMPARE(vb::TreeView::Kind(beef->child(1)), vb::NodeKind::Recipe);
    QCOMPARE(beef->child(1)->data(0, vb::TreeView::ImageRole).toInt(), 4);
    QCOMPARE(SelectedCategory, QStringLiteral("Beef"));
    QTest::keyClick(tv, Qt::Key_Down);
    QCOMPARE(f.boxes().at(0), QStringLiteral("Stew "));
    QCOMPARE(CurrentCategory, QStringLiteral("Beef"));
    // Closed and opened again: the same two nodes, not two more.
    QTest::keyClick(tv, Qt::Key_Left);
    QTest::keyClick(tv, Qt::Key_Left);
    QVERIFY(!beef->isExpanded());
    QTest::keyClick(tv, Qt::Key_Right);
    QCOMPARE(beef->childCount(), 2);
    QVERIFY(f.dialogs.asked().isEmpty());
}

void TestMain::addAsksForTheCategoryClickedBeforeAdd()
{
    MainFixture f;
    f.open(kitchen());
    f.clickNode(f.category(QStringLiteral("Soups")));
    f.click(f.form->add);
    QCOMPARE(f.modeButtons(), QStringList({QStringLiteral("Save"), QStringLiteral("Cancel")}));
    QVERIFY(f.unlocked());
    QVERIFY(!f.treeHasRecipes()); // categories only
    QCOMPARE(QApplication::focusWidget(), f.form->Text1);
    f.type(QStringLiteral("  Minestrone "), QStringLiteral(""), QStringLiteral("beans\r\npasta"),
           QStringLiteral("simmer"));
    f.dialogs.answer(vb::vbYes);
    f.click(f.form->Save);
    QCOMPARE(f.dialogs.asked().size(), 2);
    const vb::DialogRequest question = f.dialogs.asked().at(0);
    QCOMPARE(question.text, QStringLiteral("The Category is: SOUPS") + Enter +
                                QStringLiteral("Is This Category Right ?") + Enter +
                                QStringLiteral("If Not Right Choose [ No ] and then choose the Right Category"));
    QCOMPARE(question.title, QStringLiteral("Choose Category"));
    QCOMPARE(question.flags, 276);
    QCOMPARE(f.dialogs.asked().at(1).text, QStringLiteral("Recipe Added"));
    QCOMPARE(f.rows(QStringLiteral("Soups")).last(),
             QStringList({QStringLiteral("Minestrone "), QStringLiteral(" "),
                          QStringLiteral("beans\r\npasta "), QStringLiteral("simmer ")}));
    // The add buttons stay; boxes empty and locked; the whole tree again.
    QCOMPARE(f.modeButtons(), QStringList({QStringLiteral("Save"), QStringLiteral("Cancel")}));
    QVERIFY(f.locked());
    QCOMPARE(f.boxes(), QStringList({QString(), QString(), QString(), QString()}));
    QVERIFY(f.treeHasRecipes());
    QCOMPARE(SelectedCategory, QString());
    // Cancel leaves add mode.
    f.click(f.form->Cancel);
    QVERIFY(f.modeButtons().isEmpty());
}

void TestMain::addAnsweredNoKeepsAddModeAndText()
{
    MainFixture f;
    f.open(kitchen());
    f.click(f.form->add);
    f.clickNode(f.category(QStringLiteral("Beef")));
    f.type(QStringLiteral("Chili"), QStringLiteral("Me"), QStringLiteral("beans"), QStringLiteral("cook"));
    f.click(f.form->Save); // unanswered: No, as Enter would
    QCOMPARE(f.dialogs.asked().size(), 1);
    QCOMPARE(f.boxes().at(0), QStringLiteral("Chili"));
    QVERIFY(f.unlocked());
    QCOMPARE(f.rows(QStringLiteral("Beef")).size(), 2);
    // Another category, Save again: asked again with the new name.
    f.clickNode(f.category(QStringLiteral("Soups")));
    f.dialogs.answer(vb::vbYes);
    f.click(f.form->Save);
    QVERIFY(f.dialogs.asked().at(1).text.startsWith(QStringLiteral("The Category is: SOUPS\r\n")));
    QCOMPARE(f.rows(QStringLiteral("Soups")).last().at(0), QStringLiteral("Chili "));
    QCOMPARE(f.rows(QStringLiteral("Beef")).size(), 2);
}

void TestMain::addAfterSaveNeedsANewCategory()
{
    MainFixture f;
    f.open(kitchen());
    f.click(f.form->add);
    // The placeholder and the root are no category: the earlier choice stays.
    f.clickNode(f.category(QStringLiteral("zzzNothing")));
    f.clickNode(f.root());
    f.click(f.form->Save);
    QCOMPARE(f.dialogs.texts(), QStringList({QStringLiteral("Please Choose a Category")}));
    f.clickNode(f.category(QStringLiteral("Beef")));
    f.clickNode(f.category(QStringLiteral("zzzNothing")));
    QCOMPARE(SelectedCategory, QStringLiteral("Beef"));
    f.dialogs.clear();
    f.dialogs.answer(vb::vbYes);
    f.click(f.form->Save); // all boxes empty: a record of blanks
    QCOMPARE(f.rows(QStringLiteral("Beef")).last(),
             QStringList({QStringLiteral(" "), QStringLiteral(" "), QStringLiteral(" "), QStringLiteral(" ")}));
    f.dialogs.clear();
    f.click(f.form->Save);
    QCOMPARE(f.dialogs.texts(), QStringList({QStringLiteral("Please Choose a Category")}));
    QCOMPARE(f.dialogs.asked().first().title, QStringLiteral("Kitchenex"));
    QCOMPARE(f.rows(QStringLiteral("Beef")).size(), 3);
}

void TestMain::editSavesIntoTheRecipeLastClicked()
{
    MainFixture f;
    f.open(kitchen());
    f.clickNode(f.recipe(QStringLiteral("Beef"), 0));
    f.click(f.form->Edit);
    QCOMPARE(f.modeButtons(), QStringList({QStringLiteral("saveedited"), QStringLiteral("canceledit")}));
    QVERIFY(f.unlocked());
    // In edit mode another click loads that recipe into the still editable boxes.
    f.clickNode(f.recipe(QStringLiteral("Beef"), 1));
    QVERIFY(f.unlocked());
    QCOMPARE(f.boxes().at(0), QStringLiteral("Roast "));
    f.form->Text1->SetText(QStringLiteral("Sunday Roast"));
    f.click(f.form->saveedited);
    QCOMPARE(f.dialogs.texts(), QStringList({QStringLiteral("Recipe UpDated")}));
    QCOMPARE(f.rows(QStringLiteral("Beef")).at(1).at(0), QStringLiteral("Sunday Roast "));
    QCOMPARE(f.rows(QStringLiteral("Beef")).at(0).at(0), QStringLiteral("Stew "));
    QVERIFY(f.modeButtons().isEmpty());
    QVERIFY(f.locked());
    QCOMPARE(f.boxes(), QStringList({QString(), QString(), QString(), QString()}));
    QCOMPARE(CurrentRecipe, QString());
    QCOMPARE(CurrentCategory, QString());
}

void TestMain::editCancelEditSaveDoesNothing()
{
    MainFixture f;
    f.open(kitchen());
    f.clickNode(f.recipe(QStringLiteral("Beef"), 0));
    f.click(f.form->Edit);
    f.form->Text2->SetText(QStringLiteral("typed"));
    f.click(f.form->canceledit);
    QVERIFY(f.locked());
    QCOMPARE(f.boxes().at(1), QStringLiteral("typed")); // the edited text stays visible
    QVERIFY(f.modeButtons().isEmpty());
    f.click(f.form->Edit);
    f.click(f.form->saveedited);
    QVERIFY(f.dialogs.asked().isEmpty());
    QCOMPARE(f.modeButtons(), QStringList({QStringLiteral("saveedited"), QStringLiteral("canceledit")}));
    QCOMPARE(f.rows(QStringLiteral("Beef")).at(0).at(1), QStringLiteral("A "));
    // Edit with an empty name box asks for a recipe and hides the add buttons.
    MainFixture g;
    g.open(kitchen());
    g.click(g.form->add);
    g.click(g.form->Edit);
    QCOMPARE(g.dialogs.texts(), QStringList({QStringLiteral("Please Choose a Recipe To Edit")}));
    QVERIFY(g.modeButtons().isEmpty());
}

void TestMain::updateRefusedByTheEngineKeepsEditModeAndText()
{
    MainFixture f;
    f.open(kitchen());
    f.clickNode(f.recipe(QStringLiteral("Beef"), 0));
    f.click(f.form->Edit);
    const QString longName(256, QLatin1Char('x'));
    f.form->Text1->SetText(longName);
    f.form->Text3->SetText(QStringLiteral("careful typing"));
    f.click(f.form->saveedited);
    QCOMPARE(f.dialogs.asked().size(), 1);
    QVERIFY(f.dialogs.asked().first().text.startsWith(QStringLiteral("Kitchenex could not save the recipe")));
    QVERIFY(!f.dialogs.texts().contains(QStringLiteral("Recipe UpDated")));
    QCOMPARE(f.boxes().at(0), longName);
    QCOMPARE(f.boxes().at(2), QStringLiteral("careful typing"));
    QVERIFY(f.unlocked());
    QCOMPARE(f.modeButtons(), QStringList({QStringLiteral("saveedited"), QStringLiteral("canceledit")}));
    QCOMPARE(f.rows(QStringLiteral("Beef")).at(0).at(0), QStringLiteral("Stew "));
    // Shortened, the same save goes through.
    f.form->Text1->SetText(QStringLiteral("Stew"));
    f.click(f.form->saveedited);
    QCOMPARE(f.rows(QStringLiteral("Beef")).at(0).at(2), QStringLiteral("careful typing "));
}

void TestMain::deleteRemovesEveryRecipeOfTheNameLastClicked()
{
    MainFixture f;
    f.open(kitchen());
    f.clickNode(f.recipe(QStringLiteral("Soups"), 1));
    // In add mode with a typed name, delete still acts on the recipe clicked before add.
    f.click(f.form->add);
    f.form->Text1->SetText(QStringLiteral("Something new"));
    f.click(f.form->delete_);
    QCOMPARE(f.dialogs.texts(), QStringList({QStringLiteral("Record Deleted")}));
    const auto rows = f.rows(QStringLiteral("Soups"));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).at(0), QStringLiteral("Pea "));
    QCOMPARE(f.boxes().at(0), QString());
    QCOMPARE(f.modeButtons(), QStringList({QStringLiteral("Save"), QStringLiteral("Cancel")}));
    QVERIFY(f.treeHasRecipes());
    f.dialogs.clear();
    f.click(f.form->delete_);
    QCOMPARE(f.dialogs.texts(), QStringList({QStringLiteral("Please Choose a Recipe To Delete")}));
}

void TestMain::deleteOfAVanishedRecipeSaysNothingWasDeleted()
{
    MainFixture f;
    f.open(kitchen());
    // After Cancel Edit no recipe is chosen: delete asks for one.
    f.clickNode(f.recipe(QStringLiteral("Beef"), 0));
    f.click(f.form->Edit);
    f.click(f.form->canceledit);
    f.click(f.form->delete_);
    QCOMPARE(f.dialogs.asked().size(), 1);
    QVERIFY(f.dialogs.texts().first().contains(QStringLiteral("click the recipe")));
    QCOMPARE(f.rows(QStringLiteral("Beef")).size(), 2);
    f.clickNode(f.recipe(QStringLiteral("Beef"), 0));
    f.click(f.form->delete_);
    f.form->Text1->SetText(QStringLiteral("Stew"));
    f.dialogs.clear();
    f.click(f.form->delete_); // CurrentRecipe is still Stew, which is gone
    QCOMPARE(f.dialogs.asked().size(), 1);
    QVERIFY(f.dialogs.texts().first().contains(QStringLiteral("nothing was deleted")));
    QCOMPARE(f.rows(QStringLiteral("Beef")).size(), 1);
}

void TestMain::blankNamedRecipeCanBeShownEditedAndDeleted()
{
    MainFixture f;
    f.open({{QStringLiteral("Beef"), {r(QStringLiteral(" "), QStringLiteral("blank one ")),
                                      r(QStringLiteral("Stew "))}}});
    QTreeWidgetItem *blank = f.recipe(QStringLiteral("Beef"), 0);
    QCOMPARE(blank->text(0), QString());
    f.clickNode(blank);
    QCOMPARE(f.boxes().at(2), QStringLiteral("blank one"));
    QCOMPARE(SelectedCategory, QString());
    f.click(f.form->Edit);
    f.form->Text1->SetText(QStringLiteral("Named at last"));
    f.click(f.form->saveedited);
    QCOMPARE(f.rows(QStringLiteral("Beef")).at(0).at(0), QStringLiteral("Named at last "));
}

void TestMain::createCategory()
{
    MainFixture f;
    f.open(kitchen());
    f.dialogs.answerText(QStringLiteral("Soups & Stews"));
    f.click(f.form->xpcmdbutton2);
    QCOMPARE(f.dialogs.asked().at(0).kind, vb::DialogRequest::Kind::Input);
    QCOMPARE(f.dialogs.asked().at(0).text, QStringLiteral("Enter a Name For New Category"));
    QCOMPARE(f.dialogs.asked().at(0).title, QStringLiteral("Create New Category"));
    QCOMPARE(f.dialogs.asked().at(1).text, QStringLiteral("Soups & Stews Category Created"));
    QVERIFY(f.category(QStringLiteral("Soups & Stews")));
    QVERIFY(kxtest::categories(f.file()).contains(QStringLiteral("Soups & Stews")));
    QCOMPARE(f.rows(QStringLiteral("Soups & Stews")).size(), 0);
    // Cancel (an empty answer) does nothing at all.
    f.dialogs.clear();
    f.click(f.form->xpcmdbutton2);
    QCOMPARE(f.dialogs.asked().size(), 1);
    QCOMPARE(kxtest::categories(f.file()).size(), 4);
}

void TestMain::deleteCategory()
{
    MainFixture f;
    f.open(kitchen());
    f.clickNode(f.recipe(QStringLiteral("Beef"), 0));
    f.click(f.form->Edit);
    f.click(f.form->xpcmdbutton1);
    QCOMPARE(f.modeButtons(), QStringList({QStringLiteral("delcatagroy"), QStringLiteral("cancelcata")}));
    QVERIFY(!f.treeHasRecipes());
    f.click(f.form->delcatagroy);
    QCOMPARE(f.dialogs.texts(), QStringList({QStringLiteral("Please Choose a Category")}));
    f.clickNode(f.category(QStringLiteral("zzzNothing")));
    f.click(f.form->delcatagroy);
    QCOMPARE(f.dialogs.asked().size(), 2); // zzzNothing never selected: asked to choose again
    f.clickNode(f.category(QStringLiteral("Beef")));
    f.dialogs.clear();
    f.click(f.form->delcatagroy); // unanswered: No
    const vb::DialogRequest warning = f.dialogs.asked().at(0);
    QCOMPARE(warning.text, QStringLiteral("This will Delete Category \"Beef\"") + Enter +
                               QStringLiteral("All of It's Recipes") + Enter +
                               QStringLiteral("Do you want to continue ?"));
    QCOMPARE(warning.title, QStringLiteral("Warnning"));
    QCOMPARE(warning.flags, 276);
    QCOMPARE(kxtest::categories(f.file()).size(), 3);
    f.dialogs.clear();
    f.dialogs.answer(vb::vbYes);
    f.click(f.form->delcatagroy);
    QCOMPARE(f.dialogs.texts().at(1), QStringLiteral("Category Beef Has Been Deleted"));
    QCOMPARE(kxtest::categories(f.file()),
             QStringList({QStringLiteral("Soups"), QStringLiteral("zzzNothing")}));
    QVERIFY(f.treeHasRecipes()); // the whole tree, not the category list
    QCOMPARE(f.modeButtons(), QStringList({QStringLiteral("delcatagroy"), QStringLiteral("cancelcata")}));
    // Still held in SelectedCategory after its deletion: said to be gone, without asking first.
    f.dialogs.clear();
    f.dialogs.answer(vb::vbYes);
    f.click(f.form->delcatagroy);
    QCOMPARE(f.dialogs.asked().size(), 1);
    QVERIFY2(f.dialogs.texts().at(0).contains(QStringLiteral("has no table \"Beef\"")),
             qPrintable(f.dialogs.texts().at(0)));
    QCOMPARE(kxtest::categories(f.file()).size(), 2);
    QVERIFY(!RecipeBas::db);
    f.click(f.form->cancelcata);
    QVERIFY(f.modeButtons().isEmpty());
}

void TestMain::maximiseIsDisabledAndCloseEndsTheWindow()
{
    MainFixture f;
    f.open(kitchen());
    QVERIFY(!f.form->xptopbuttons2->isEnabled());
    QCOMPARE(f.form->xptopbuttons1->Value(), 0);
    QCOMPARE(f.form->xptopbuttons3->Value(), 2);
    f.clickNode(f.recipe(QStringLiteral("Beef"), 0));
    f.click(f.form->add);
    QSignalSpy unloaded(f.form.get(), &MainForm::unloaded);
    emit f.form->xptopbuttons1->Click();
    QCOMPARE(unloaded.size(), 1);
    QVERIFY(!f.form->isVisible());
    QCOMPARE(RecipeBas::DataPath, QString());
    QCOMPARE(RecipeBas::CurrentRecipe, QString());
    QVERIFY(!RecipeBas::db);
}

QTEST_MAIN(TestMain)
#include "test_main.moc"
