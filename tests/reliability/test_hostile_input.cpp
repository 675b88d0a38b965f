// Hostile and odd input through the real main window on a real file: recipe texts full of
// quotes, SQL, markup, control characters, scripts of every direction, emoji, a NUL, and
// ingredients of 1 and 10 MB; category names the tree or the window might take wrongly (the
// engine's own tests go through its naming rules). Each input is either stored and read back
// exactly (trimmed of blanks and followed by one blank, as every recipe text is stored) or
// refused with a message that says why, and the file passes SQLite's integrity check after each.
#include "MainFixture.h"
#include "ReliabilitySupport.h"

#include "platform/vb/Strings.h"

using namespace RecipeBas;

namespace {

const QString Beef = QStringLiteral("Beef");

// Lines of an ingredient list, about `bytes` of UTF-8 in all.
QString ingredientList(qsizetype bytes)
{
    const QString line = QStringLiteral("250 g flour, 2 eggs, 1 pinch of salt; stir %1 times\n");
    QString text;
    text.reserve(bytes + 100);
    for (int i = 0; text.size() < bytes; ++i)
        text += line.arg(i);
    return text;
}

} // namespace

class TestHostileInput : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void recipeTextIsStoredExactlyOrRefused_data();
    void recipeTextIsStoredExactlyOrRefused();
    void largeIngredientsAreStoredWhole_data();
    void largeIngredientsAreStoredWhole();
    void categoryNameIsStoredExactlyOrRefused_data();
    void categoryNameIsStoredExactlyOrRefused();
    void categoryNamesTheTreeCannotTellApartAreRefused();

private:
    // Adds a recipe of the four texts to the category through add and Save; true when
    // "Recipe Added" was said, false when the save was refused with a message.
    bool addThroughTheWindow(const QString &category, const QStringList &texts);
    QTreeWidgetItem *recipeNode(const QString &category, const QString &shownName) const;

    std::unique_ptr<MainFixture> m_f;
};

void TestHostileInput::initTestCase()
{
    // One window and one file for every input: the file sees them all, one after another.
    m_f = std::make_unique<MainFixture>();
    m_f->open({{Beef,
                {{QStringLiteral("Stew "), QStringLiteral("A "), QStringLiteral("I "),
                  QStringLiteral("S ")}}},
               {QStringLiteral("Soups"), {}},
               {QStringLiteral("zzzNothing"), {}}});
}

void TestHostileInput::init()
{
    m_f->dialogs.clear();
}

void TestHostileInput::cleanup()
{
    // Whatever an input did, the file stays sound and the window back in browse mode.
    QCOMPARE(kxrel::integrityCheck(m_f->file()), QStringLiteral("ok"));
    QVERIFY(!RecipeBas::db);
    if (m_f->form->Cancel->isVisible())
        m_f->click(m_f->form->Cancel);
    if (m_f->form->cancelcata->isVisible())
        m_f->click(m_f->form->cancelcata);
}

void TestHostileInput::cleanupTestCase()
{
    m_f.reset();
}

bool TestHostileInput::addThroughTheWindow(const QString &category, const QStringList &texts)
{
    MainFixture &f = *m_f;
    f.dialogs.clear();
    f.click(f.form->add);
    f.clickNode(f.category(category));
    f.type(texts[0], texts[1], texts[2], texts[3]);
    f.dialogs.answer(vb::vbYes);
    f.click(f.form->Save);
    const QList<vb::DialogRequest> asked = f.dialogs.asked();
    if (asked.size() == 2 && asked[1].text == QLatin1String("Recipe Added"))
        return true;
    // Refused: said why, with the stop icon, and the typed text is still there.
    [&] {
        QVERIFY2(asked.size() == 2, qPrintable(f.dialogs.texts().join(QStringLiteral(" // "))));
        QVERIFY2(asked[1].text.startsWith(QStringLiteral("Kitchenex could not save the new "
                                                         "recipe in the category")),
                 qPrintable(asked[1].text.left(300)));
        QCOMPARE(asked[1].flags & vb::vbCritical, int(vb::vbCritical));
        QCOMPARE(f.boxes(), texts);
    }();
    return false;
}

QTreeWidgetItem *TestHostileInput::recipeNode(const QString &category,
                                              const QString &shownName) const
{
    QTreeWidgetItem *node = m_f->category(category);
    if (node)
        m_f->form->Tv->RealizeChildren(node);
    for (int i = 0; node && i < node->childCount(); ++i) {
        if (node->child(i)->text(0) == shownName)
            return node->child(i);
    }
    return nullptr;
}

void TestHostileInput::recipeTextIsStoredExactlyOrRefused_data()
{
    QTest::addColumn<QString>("text");
    // The engine's own tests hold the rest; these are what a window can get wrong on the way.
    QTest::newRow("quotes and sql") << QStringLiteral("Grandma's \"best\"; DROP TABLE Beef; --");
    QTest::newRow("format arguments") << QStringLiteral("100% %s %n %1 %2 %% ${HOME} {0}");
    QTest::newRow("html") << QStringLiteral("<script>alert('x')</script> &amp; &#x27;");
    QTest::newRow("line breaks") << QStringLiteral("a\tb\r\nc\nd\re\f\v\tend");
    QTest::newRow("scripts and emoji") << QStringLiteral(
        "שקשוקה \u202Eevil\u202C Cre\u0300me 👩‍🍳 🇮🇹 𠜎 \uFEFF\u200B");
    QTest::newRow("nul character") << QString(QStringLiteral("Nul") + QChar(0) + "inside");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + QStringLiteral("half");
    QTest::newRow("blanks around") << QStringLiteral("   padded   ");
    QTest::newRow("256 characters") << QString(256, QLatin1Char('m'));
}

void TestHostileInput::recipeTextIsStoredExactlyOrRefused()
{
    QFETCH(QString, text);
    MainFixture &f = *m_f;
    const QList<QStringList> before = f.rows(Beef);
    const QByteArray bytesBefore = kxrel::fileBytes(f.file());
    // The same text in all four boxes: name and author are Text fields, the others Memo.
    if (!addThroughTheWindow(Beef, {text, text, text, text})) {
        QCOMPARE(kxrel::fileBytes(f.file()), bytesBefore);
        return;
    }
    const QString stored = StoredText(text);
    QList<QStringList> after = f.rows(Beef);
    QCOMPARE(after.size(), before.size() + 1);
    QCOMPARE(after.mid(0, before.size()), before);
    QCOMPARE(after.last(), QStringList({stored, stored, stored, stored}));

    // Shown again from the tree: the name as stored, the others trimmed.
    f.click(f.form->Cancel);
    const QString trimmed = vb::Trim(text);
    f.clickNode(recipeNode(Beef, trimmed));
    QCOMPARE(f.boxes(), QStringList({stored, trimmed, trimmed, trimmed}));
    // Saved again unchanged, then deleted, each through its button.
    f.dialogs.clear();
    f.click(f.form->Edit);
    f.click(f.form->saveedited);
    QCOMPARE(f.dialogs.texts(), QStringList({QStringLiteral("Recipe UpDated")}));
    QCOMPARE(f.rows(Beef), after);
    f.clickNode(recipeNode(Beef, trimmed));
    f.dialogs.clear();
    f.click(f.form->delete_);
    QCOMPARE(f.dialogs.texts(), QStringList({QStringLiteral("Record Deleted")}));
    QCOMPARE(f.rows(Beef), before);
}

void TestHostileInput::largeIngredientsAreStoredWhole_data()
{
    QTest::addColumn<qsizetype>("bytes");
    QTest::newRow("1 MB") << qsizetype(1) * 1024 * 1024;
    QTest::newRow("10 MB") << qsizetype(10) * 1024 * 1024;
}

void TestHostileInput::largeIngredientsAreStoredWhole()
{
    QFETCH(qsizetype, bytes);
    MainFixture &f = *m_f;
    const QString name = QStringLiteral("Feast of %1 bytes").arg(bytes);
    const QString ingredients = ingredientList(bytes);
    QVERIFY(addThroughTheWindow(
        QStringLiteral("Soups"),
        {name, QStringLiteral("Big Kitchen"), ingredients, QStringLiteral("Cook it all.")}));
    QList<QStringList> rows = f.rows(QStringLiteral("Soups"));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0][2].size(), ingredients.size() + 1);
    QVERIFY(rows[0][2] == StoredText(ingredients));
    rows.clear();

    f.click(f.form->Cancel);
    f.clickNode(recipeNode(QStringLiteral("Soups"), name));
    QVERIFY(f.form->Text3->Text() == vb::Trim(ingredients));
    f.dialogs.clear();
    f.click(f.form->delete_);
    QCOMPARE(f.dialogs.texts(), QStringList({QStringLiteral("Record Deleted")}));
    QCOMPARE(f.rows(QStringLiteral("Soups")).size(), 0);
}

void TestHostileInput::categoryNameIsStoredExactlyOrRefused_data()
{
    QTest::addColumn<QString>("name");
    // The engine's own tests hold its naming rules; these are what the tree and the window
    // add to them.
    QTest::newRow("dot") << QStringLiteral("Cat.x");
    QTest::newRow("letters beyond ascii") << QStringLiteral("Süßspeisen & Crème 日本料理 مطبخ 🍰");
    QTest::newRow("other case of a taken name") << QStringLiteral("bEEF");
    QTest::newRow("sql in the name") << QStringLiteral("Beef\"; DROP TABLE \"Soups");
    QTest::newRow("key of the root") << QStringLiteral("AB");
    QTest::newRow("text of the root") << QStringLiteral("Kitchenex Recipe");
    QTest::newRow("placeholder, other case") << QStringLiteral("ZZZNOTHING");
    QTest::newRow("percent arguments") << QStringLiteral("%1 %2 %n");
}

void TestHostileInput::categoryNameIsStoredExactlyOrRefused()
{
    QFETCH(QString, name);
    MainFixture &f = *m_f;
    const QStringList before = kxtest::categories(f.file());
    const QByteArray bytesBefore = kxrel::fileBytes(f.file());
    f.dialogs.answerText(name);
    f.click(f.form->xpcmdbutton2);
    QVERIFY2(f.dialogs.asked().size() == 2,
             qPrintable(f.dialogs.texts().join(QStringLiteral(" // "))));
    const vb::DialogRequest said = f.dialogs.asked().at(1);
    if (said.text != name + QStringLiteral(" Category Created")) {
        QVERIFY2(said.text.startsWith(QStringLiteral("Kitchenex could not create the category")),
                 qPrintable(said.text));
        QCOMPARE(said.flags & vb::vbCritical, int(vb::vbCritical));
        QCOMPARE(kxtest::categories(f.file()), before);
        QCOMPARE(kxrel::fileBytes(f.file()), bytesBefore);
        return;
    }
    QStringList expected = before;
    expected.append(name);
    QCOMPARE(kxtest::categories(f.file()).size(), expected.size());
    QVERIFY(kxtest::categories(f.file()).contains(name));
    QVERIFY(f.category(name));

    // A recipe goes into it and comes back out of it.
    QVERIFY(
        addThroughTheWindow(name, {QStringLiteral("In ") + name, QString(), QString(), QString()}));
    QCOMPARE(f.rows(name).size(), 1);
    f.click(f.form->Cancel);
    f.clickNode(recipeNode(name, QStringLiteral("In ") + vb::Trim(name)));
    QCOMPARE(f.boxes().at(0), StoredText(QStringLiteral("In ") + name));

    // Deleted again through the deletion mode.
    f.click(f.form->xpcmdbutton1);
    f.clickNode(f.category(name));
    f.dialogs.clear();
    f.dialogs.answer(vb::vbYes);
    f.click(f.form->delcatagroy);
    QCOMPARE(f.dialogs.texts().value(1),
             QStringLiteral("Category ") + name + QStringLiteral(" Has Been Deleted"));
    QCOMPARE(kxtest::categories(f.file()), before);
}

void TestHostileInput::categoryNamesTheTreeCannotTellApartAreRefused()
{
    // Different names to the engine, one key to the tree: the second would keep the whole
    // tree from loading ever after, so it is refused.
    MainFixture &f = *m_f;
    const QString dotted = QStringLiteral("i\u0307stanbul");
    const QString capital = QStringLiteral("\u0130stanbul");
    QCOMPARE(capital.toLower(), dotted);
    QVERIFY(QString::compare(capital, dotted, Qt::CaseInsensitive) != 0);
    for (const QString &name : {dotted, capital, QStringLiteral("ab")}) {
        f.dialogs.clear();
        f.dialogs.answerText(name);
        f.click(f.form->xpcmdbutton2);
        if (name == dotted) {
            QCOMPARE(f.dialogs.texts().value(1), dotted + QStringLiteral(" Category Created"));
            continue;
        }
        QVERIFY2(f.dialogs.texts().value(1).contains(QStringLiteral("cannot be told apart")),
                 qPrintable(f.dialogs.texts().value(1)));
        QVERIFY(!kxtest::categories(f.file()).contains(name));
    }
    // The tree still loads, with the first one in it.
    f.click(f.form->Cancel);
    QVERIFY(f.category(dotted));
    QVERIFY(f.category(Beef));
    f.click(f.form->xpcmdbutton1);
    f.clickNode(f.category(dotted));
    f.dialogs.clear();
    f.dialogs.answer(vb::vbYes);
    f.click(f.form->delcatagroy);
    QVERIFY(!kxtest::categories(f.file()).contains(dotted));
}

QTEST_MAIN(TestHostileInput)
#include "test_hostile_input.moc"
