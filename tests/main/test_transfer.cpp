// Recipes in and out through the main window: Ctrl+I, the tree's menu and a drop import files
// (the dialogs answered), the report shows what came in; export and the cookbook write files
// that read back as the recipes they were made from.
#include "MainFixture.h"

#include "formats/RecipeReader.h"
#include "print/Cookbook.h"
#include "transfer/frmimport.h"

#include <QAction>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>

#include <sqlite3.h>

using Kind = vb::DialogRequest::Kind;

namespace {

QByteArray mm(const QByteArray &title, const QByteArray &categories, bool end = true)
{
    return "MMMMM----- Recipe via Meal-Master (tm) v8.05\r\n      Title: " + title +
           "\r\n Categories: " + categories + "\r\n\r\n      1 c  water\r\n\r\n  Boil.\r\n" +
           (end ? "MMMMM\r\n\r\n" : "");
}

// The names of the recipes of a file, as the program reads them back.
QStringList readBack(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    auto reader = formats::OpenReader(file, formats::DetectFormat(file));
    QStringList names;
    formats::ReadEntry entry;
    while (reader && reader->next(entry))
        names << entry.recipe.name;
    return names;
}

QList<kxtest::Category> kitchen()
{
    return {{QStringLiteral("Beef"), {{"Stew ", "Ann ", "beef ", "cook "}}},
            {QStringLiteral("Soups"),
             {{"Leek <&> ", "Bo ", "leeks ", "boil "}, {"Pea ", "", "peas ", "mash "}}}};
}

} // namespace

class TestTransfer : public QObject
{
    Q_OBJECT
private slots:
    void importFromTheWindow_data();
    void importFromTheWindow();
    void importRefusedByALockLeavesTheFile();
    void exportReadsBack_data();
    void exportReadsBack();
    void cookbook();
};

void TestTransfer::importFromTheWindow_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("target"); // 0: the selected category, 1: each recipe's own
    QTest::addColumn<QString>("category");
    QTest::newRow("Ctrl+I, into the selected category") << "Ctrl+I" << 0 << "Soups";
    QTest::newRow("the tree's menu, each into its own") << "menu" << 1 << "Drinks";
    QTest::newRow("a drop, into the selected category") << "drop" << 0 << "Soups";
}

void TestTransfer::importFromTheWindow()
{
    QFETCH(QString, how);
    QFETCH(int, target);
    QFETCH(QString, category);
    MainFixture f;
    f.open(kitchen());
    const QString file = f.dir.filePath(QStringLiteral("tea.mmf"));
    QVERIFY(kxtest::writeFile(file, mm("Tea", "Drinks") + mm("Cocoa", "Drinks") +
                                        mm("Broken", "Drinks", false) + mm("Mate", "Drinks")));
    f.clickNode(f.category(QStringLiteral("Soups")));
    if (how != QLatin1String("drop"))
        f.dialogs.answerFiles({file});
    f.dialogs.answer(target);
    if (how == QLatin1String("Ctrl+I")) {
        QTest::keyClick(f.form->Tv, Qt::Key_I, Qt::ControlModifier);
    } else if (how == QLatin1String("menu")) {
        const auto actions = f.form->Tv->actions();
        const auto it = std::find_if(actions.begin(), actions.end(), [](QAction *a) {
            return a->text() == QStringLiteral("Import recipes…");
        });
        QVERIFY(it != actions.end());
        (*it)->trigger();
    } else {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        const QPoint at = f.form->Text3->geometry().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(f.form.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(f.form.get(), &drop);
    }
    QTRY_VERIFY(f.form->ImportReport());
    frmimport *report = f.form->ImportReport();
    QCOMPARE(f.dialogs.asked().last().kind, Kind::Choice);
    QVERIFY(f.dialogs.asked().last().choices.first().contains(QStringLiteral("Soups")));
    // The report: counts, the category, the skipped recipe with its file and line.
    QVERIFY(report->isVisible());
    QCOMPARE(report->lblsummary->text(),
             QStringLiteral("3 imported, 1 skipped, 0 duplicates not imported again."));
    const QString text = report->reportText();
    QVERIFY2(text.contains(category + QStringLiteral(": 3 imported")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Skipped: tea.mmf, line 19: ")), qPrintable(text));
    QVERIFY(report->txtreport->isReadOnly());
    QTRY_VERIFY(report->txtreport->hasFocus());
    // The tree is rebuilt with the recipes in their category, opened.
    QVERIFY(f.category(category)->isExpanded());
    QCOMPARE(f.recipe(category, 0 + (category == QLatin1String("Soups") ? 2 : 0))->text(0),
             QStringLiteral("Tea"));
    QCOMPARE(f.rows(category).size(), category == QLatin1String("Soups") ? 5 : 3);
    QTest::keyClick(report->txtreport, Qt::Key_Escape);
    QTRY_VERIFY(!f.form->ImportReport());
}

void TestTransfer::importRefusedByALockLeavesTheFile()
{
    MainFixture f;
    f.open(kitchen());
    const QString file = f.dir.filePath(QStringLiteral("tea.mmf"));
    QVERIFY(kxtest::writeFile(file, mm("Tea", "Drinks")));
    const QByteArray before = kxtest::fileBytes(f.file());
    sqlite3 *other = nullptr;
    QCOMPARE(sqlite3_open(f.file().toUtf8().constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    dao::DBEngine::SetLockTimeout(100);
    f.dialogs.answer(1);
    f.form->ImportFiles({file});
    dao::DBEngine::SetLockTimeout(5000);
    sqlite3_close(other);
    QCOMPARE(f.dialogs.asked().last().flags, int(vb::vbCritical));
    QVERIFY2(f.dialogs.asked().last().text.startsWith(QStringLiteral("Nothing was imported: ")),
             qPrintable(f.dialogs.asked().last().text));
    QVERIFY(!f.form->ImportReport());
    QCOMPARE(kxtest::fileBytes(f.file()), before);
}

void TestTransfer::exportReadsBack_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("scope"); // the answer: 0 the recipe chosen, 1 its category, 2 all
    QTest::addColumn<QStringList>("names");
    QTest::newRow("a recipe, Meal-Master") << "out.mmf" << 0 << QStringList{"Pea"};
    QTest::newRow("a category, JSON") << "out.json" << 1 << QStringList{"Leek <&>", "Pea"};
    QTest::newRow("everything, Meal-Master")
        << "all.mmf" << 2 << QStringList{"Stew", "Leek <&>", "Pea"};
}

void TestTransfer::exportReadsBack()
{
    QFETCH(QString, file);
    QFETCH(int, scope);
    QFETCH(QStringList, names);
    MainFixture f;
    f.open(kitchen());
    f.clickNode(f.recipe(QStringLiteral("Soups"), 1));
    const QString path = f.dir.filePath(file);
    f.dialogs.answer(scope);
    f.dialogs.answerFiles({path});
    QTest::keyClick(f.form->Tv, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.dialogs.asked().at(0).choices.size(), 3);
    QCOMPARE(f.dialogs.asked().at(1).kind, Kind::SaveFile);
    QCOMPARE(readBack(path), names);
    QCOMPARE(f.dialogs.asked().last().text,
             QStringLiteral("%1 recipe%2 exported to %3.")
                 .arg(names.size())
                 .arg(names.size() == 1 ? "" : "s", QDir::toNativeSeparators(path)));
}

// The cookbook of a category: the contents link to one page per recipe, the recipe's text
// escaped as on a printed page; the PDF's contents give each recipe's page.
void TestTransfer::cookbook()
{
    MainFixture f;
    f.open(kitchen());
    f.clickNode(f.category(QStringLiteral("Soups")));
    const QString html = f.dir.filePath(QStringLiteral("soups.htm"));
    f.dialogs.answer(0);
    f.dialogs.answerFiles({html});
    f.form->MakeCookbook();
    const QString page = QString::fromUtf8(kxtest::fileBytes(html));
    QVERIFY2(page.contains(QStringLiteral("<A HREF=\"#recipe1\">Leek &lt;&amp;&gt;</A>")),
             qPrintable(page));
    QVERIFY(page.contains(QStringLiteral("<A NAME=\"recipe2\"></A>")));
    QCOMPARE(page.count(QStringLiteral("page-break-before: always")), 2);
    QVERIFY(page.contains(QStringLiteral("<B>\r\nName: Leek &lt;&amp;&gt;<br>\r\n")));
    QVERIFY(!page.contains(QStringLiteral("<&>")) && !page.contains(QStringLiteral("Stew")));

    Cookbook book(QStringLiteral("Soups"));
    for (int i = 0; i < 40; ++i)
        book.add(QStringLiteral("Soups"), QStringLiteral("Soup %1").arg(i), {},
                 QStringLiteral("water"), QStringLiteral("boil\n").repeated(i == 0 ? 90 : 1));
    const QString pdf = f.dir.filePath(QStringLiteral("soups.pdf"));
    QCOMPARE(book.writePdf(pdf), QString());
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext is not installed");
    QProcess text;
    text.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished());
    const QStringList pages = QString::fromUtf8(text.readAllStandardOutput()).split(u'\f');
    // The contents, then a page for each recipe but the first, which runs over two.
    QVERIFY2(pages.size() >= 1 + 42, qPrintable(QString::number(pages.size())));
    const QRegularExpression entry(QStringLiteral("Soup 1 +(\\d+)"));
    const QRegularExpressionMatch m = entry.match(pages.mid(0, 2).join(u'\n'));
    QVERIFY(m.hasMatch());
    QVERIFY2(pages.value(m.captured(1).toInt() - 1).contains(QStringLiteral("Name: Soup 1\n")),
             qPrintable(m.captured(1)));
}

QTEST_MAIN(TestTransfer)
#include "test_transfer.moc"
