// Printing a recipe: the two files, the command's stops and failures, the preview window with
// its print dialog, and the print and website buttons of the main window.
#include "TestSupport.h"
#include "controls/xpcmdbutton.h"
#include "controls/xptopbuttons.h"
#include "main/MainForm.h"
#include "platform/vb/TextBox.h"
#include "print/PrintCommand.h"
#include "print/WebBrowser.h"
#include "print/frmprint.h"

#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <stdexcept>

#include <sys/resource.h>

namespace {

const QString Ingredients = QStringLiteral("2 carrots\r\n1 onion");
const QString Instructions = QStringLiteral("Boil for an hour.");

// The Soup example: print.txt has 11 lines.
const QByteArray SoupText =
    "Name: Soup\r\n\r\nAuthor: \r\n\r\nIngredints:\r\n2 carrots\r\n1 onion\r\n"
    "\r\n\r\nInstructions:\r\nBoil for an hour.\r\n";
// print.htm: a header of 6 lines, each line of print.txt with <br>, and 2 closing lines.
QByteArray soupPage()
{
    QByteArray page =
        "<HTML>\r\n<HEAD><META charset=\"utf-8\">\r\n"
        "    <TITLE>This Recipes by Kitchenex Recipe_https://kitchenex.example/</TITLE>"
        "\r\n</HEAD>\r\n<BODY><FONT SIZE=\"3\" FACE=\"Verdana\">\r\n"
        "<U>Printed from This Recipes by <B>Kitchenex Recipe</B></U><br><br><B>\r\n";
    return page + QByteArray(SoupText).replace("\r\n", "<br>\r\n") +
           "</B></FONT></BODY>\r\n</HTML>\r\n";
}

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

} // namespace

class PrintTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void soupExample_data();
    void soupExample();
    void silentStops_data();
    void silentStops();
    void typedTextShowsAsTyped();
    void secondPrintWhileShownAndAfterClosing();
    void printDialog_data();
    void printDialog();
    void writeFailure_data();
    void writeFailure();
    void mainWindowButtons();

private:
    QString path(const QString &name) const { return QDir(m_dir->path()).filePath(name); }
    QByteArray read(const QString &name) const { return kxtest::fileBytes(path(name)); }
    void write(const QString &name, const QByteArray &bytes)
    {
        QVERIFY(kxtest::writeFile(path(name), bytes));
    }
    QStringList entries() const
    {
        return QDir(m_dir->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    }
    frmprint *printSoup();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<kxtest::DialogRecorder> m_dialogs;
};

void PrintTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_dialogs = std::make_unique<kxtest::DialogRecorder>();
}

void PrintTest::cleanup()
{
    UnloadPrintPreview();
    m_dialogs.reset();
    m_dir.reset();
}

frmprint *PrintTest::printSoup()
{
    RunPrintCommand(m_dir->path(), QStringLiteral("Soup"), QString(), Ingredients, Instructions);
    return frmprint::Loaded();
}

void PrintTest::soupExample_data()
{
    QTest::addColumn<QStringList>("boxes"); // name, author, ingredients, instructions
    QTest::newRow("as typed") << QStringList{"Soup", "", Ingredients, Instructions};
    QTest::newRow("blanks around every box")
        << QStringList{"   Soup  ", "  ", " " + Ingredients + "  ", Instructions + " "};
}

void PrintTest::soupExample()
{
    QFETCH(QStringList, boxes);
    RunPrintCommand(m_dir->path(), boxes[0], boxes[1], boxes[2], boxes[3]);
    QCOMPARE(read("print.txt"), SoupText);
    QCOMPARE(read("print.htm"), soupPage());
    QCOMPARE(entries(), (QStringList{"print.htm", "print.txt"}));
    QVERIFY(m_dialogs->asked().isEmpty());

    frmprint *preview = frmprint::Loaded();
    QVERIFY(preview && preview->isVisible());
    QCOMPARE(preview->windowTitle(), QStringLiteral("Print [ Soup ] Recipe"));
    QVERIFY(preview->WB->toPlainText().contains(QStringLiteral("Name: Soup\n")));
    // Where a wider face stands in for the label's font, its instruction is not cut short.
    QVERIFY(preview->Label1->width() >= preview->Label1->sizeHint().width());
}

void PrintTest::silentStops_data()
{
    QTest::addColumn<QStringList>("boxes"); // name, ingredients, instructions
    QTest::addColumn<QString>("message");
    QTest::newRow("empty name") << QStringList{"", "salt", "stir"} << "Please Choose a Recipe";
    QTest::newRow("name of blanks") << QStringList{"   ", "salt", "stir"} << "";
    QTest::newRow("ingredients of blanks") << QStringList{"Soup", "  ", "stir"} << "";
    QTest::newRow("instructions of blanks") << QStringList{"Soup", "salt", " "} << "";
}

void PrintTest::silentStops()
{
    QFETCH(QStringList, boxes);
    QFETCH(QString, message);
    write("print.txt", "old text\r\n");
    write("print.htm", "old page\r\n");
    RunPrintCommand(m_dir->path(), boxes[0], QStringLiteral("Ann"), boxes[1], boxes[2]);
    QCOMPARE(m_dialogs->texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(read("print.txt"), QByteArray("old text\r\n"));
    QCOMPARE(read("print.htm"), QByteArray("old page\r\n"));
    QCOMPARE(entries(), (QStringList{"print.htm", "print.txt"}));
    QVERIFY(!frmprint::Loaded());
}

void PrintTest::typedTextShowsAsTyped()
{
    // Markup, quotes, an entity, letters beyond ASCII, and line breaks of every other kind.
    const QString name = QStringLiteral("Crème <b>brûlée</b> & 'co'");
    RunPrintCommand(m_dir->path(), name, QStringLiteral("Zoë"),
                    QStringLiteral("砂糖 🍋 \"x\"\n<script>x()</script>\n\r b "),
                    QStringLiteral("bake < 10 min &amp; 180 °C"));
    QCOMPARE(QString::fromUtf8(read("print.txt")).split("\r\n"),
             (QStringList{"Name: " + name, "", "Author: Zoë", "", "Ingredints:", "砂糖 🍋 \"x\"",
                          "<script>x()</script>", "", " b", "", "",
                          "Instructions:", "bake < 10 min &amp; 180 °C", ""}));
    const QByteArray page = read("print.htm");
    QCOMPARE(QString::fromUtf8(page).split("\r\n").mid(6, 13),
             (QStringList{"Name: Crème &lt;b&gt;brûlée&lt;/b&gt; &amp; &#39;co&#39;<br>", "<br>",
                          "Author: Zoë<br>", "<br>", "Ingredints:<br>", "砂糖 🍋 &quot;x&quot;<br>",
                          "&lt;script&gt;x()&lt;/script&gt;<br>", "<br>", " b<br>", "<br>", "<br>",
                          "Instructions:<br>", "bake &lt; 10 min &amp;amp; 180 °C<br>"}));
    QCOMPARE(QStringDecoder::decoderForHtml(page).name(), "UTF-8");

    frmprint *preview = frmprint::Loaded();
    QVERIFY(preview);
    QCOMPARE(preview->windowTitle(), "Print [ " + name + " ] Recipe");
    const QString shown = preview->WB->toPlainText();
    QVERIFY2(shown.contains("Name: " + name + "\n") && shown.contains("\n<script>x()</script>\n"),
             qPrintable(shown));
}

void PrintTest::secondPrintWhileShownAndAfterClosing()
{
    QPointer<frmprint> first = printSoup();
    QVERIFY(first);
    QTest::mouseClick(first->xptopbuttons3, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(first->isMinimized());

    // Shown again with the new caption; the page read when the window loaded stays.
    RunPrintCommand(m_dir->path(), QStringLiteral(" Stew "), QString(), QStringLiteral("beef"),
                    QStringLiteral("simmer"));
    QCOMPARE(frmprint::Loaded(), first.data());
    QVERIFY(first->isVisible() && !first->isMinimized());
    QCOMPARE(first->windowTitle(), QStringLiteral("Print [ Stew ] Recipe"));
    QVERIFY(read("print.htm").contains("Name: Stew<br>"));
    QVERIFY(first->WB->toPlainText().contains(QStringLiteral("Name: Soup")));

    // Closed, it is unloaded: the next print loads it again with the new page.
    QTest::mouseClick(first->xptopbuttons1, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(!frmprint::Loaded());
    QTRY_VERIFY(first.isNull());
    RunPrintCommand(m_dir->path(), QStringLiteral("Stew"), QString(), QStringLiteral("beef"),
                    QStringLiteral("simmer"));
    QPointer<frmprint> preview = frmprint::Loaded();
    QVERIFY(preview);
    QVERIFY(preview->WB->toPlainText().contains(QStringLiteral("Name: Stew")));

    // Ctrl+P prints, as its tooltip says, and Escape closes it.
    preview->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(preview));
    int asked = 0;
    WebBrowser::setPrintDialog([&](QPrinter &, QWidget *) { return ++asked < 0; });
    const auto restore = qScopeGuard([] { WebBrowser::setPrintDialog({}); });
    QVERIFY(preview->print->toolTip().endsWith(QStringLiteral("(Ctrl+P)")));
    QTest::keyClick(preview, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(asked, 1);
    QTest::keyClick(preview, Qt::Key_Escape);
    QVERIFY(!frmprint::Loaded());
    QTRY_VERIFY(preview.isNull());
}

void PrintTest::printDialog_data()
{
    QTest::addColumn<bool>("rightClick");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("pdfName");
    QTest::addColumn<bool>("fails");
    QTest::newRow("print button") << false << true << "recipe.pdf" << false;
    QTest::newRow("right click on the page") << true << true << "recipe.pdf" << false;
    QTest::newRow("dialog cancelled") << false << false << "recipe.pdf" << false;
    QTest::newRow("PDF cannot be written") << false << true << "no folder/recipe.pdf" << true;
}

void PrintTest::printDialog()
{
    QFETCH(bool, rightClick);
    QFETCH(bool, accept);
    QFETCH(QString, pdfName);
    QFETCH(bool, fails);
    frmprint *preview = printSoup();
    QVERIFY(preview);
    const QString pdf = path(pdfName);
    QStringList asked; // the document's name, and whether anything was printed before
    WebBrowser::setPrintDialog([&](QPrinter &printer, QWidget *) {
        asked << printer.docName() << (QFile::exists(pdf) ? "printed" : "nothing printed");
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return accept;
    });
    const auto restore = qScopeGuard([] { WebBrowser::setPrintDialog({}); });

    if (rightClick) {
        QWidget *page = preview->WB->viewport();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(50, 50),
                                page->mapToGlobal(QPoint(50, 50)));
        QApplication::sendEvent(page, &event);
    } else {
        QTest::mouseClick(preview->print, Qt::LeftButton, {}, QPoint(20, 10));
    }
    QCOMPARE(asked, (QStringList{"Print [ Soup ] Recipe", "nothing printed"}));
    QCOMPARE(m_dialogs->texts(), fails ? QStringList{"The recipe could not be printed.\r\n\r\n" +
                                                     QDir::toNativeSeparators(pdf)}
                                       : QStringList());
    QCOMPARE(QFile::exists(pdf), accept && !fails);
    if (QFile::exists(pdf)) {
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {"-enc", "UTF-8", pdf, "-"});
        QVERIFY2(pdftotext.waitForFinished() && pdftotext.exitCode() == 0,
                 "pdftotext (poppler-utils, see scripts/install-deps) reads the PDF");
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
        QVERIFY2(text.contains(QStringLiteral("Name: Soup")), qPrintable(text));
    }
}

void PrintTest::writeFailure_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<bool>("diskFull");
    QTest::newRow("print.txt is a folder") << "print.txt" << false;
    QTest::newRow("print.htm is a folder") << "print.htm" << false;
    // QSaveFile commits a cut-off file when the disk fills during its last write.
    QTest::newRow("disk full") << "print.txt" << true;
}

void PrintTest::writeFailure()
{
    QFETCH(QString, failing);
    QFETCH(bool, diskFull);
    const QString other = failing == "print.txt" ? "print.htm" : "print.txt";
    write(other, "earlier print\r\n");
    if (!diskFull)
        QVERIFY(QDir(m_dir->path()).mkdir(failing));
    const QStringList before = entries();

    // A full disk: no file of this process may grow beyond 40 bytes (print.txt needs 111).
    rlimit normal{};
    getrlimit(RLIMIT_FSIZE, &normal);
    rlimit full = normal;
    full.rlim_cur = diskFull ? 40 : normal.rlim_cur;
    std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(setrlimit(RLIMIT_FSIZE, &full) == 0);
    QString message;
    try {
        printSoup();
    } catch (const std::runtime_error &e) {
        message = QString::fromUtf8(e.what());
    }
    setrlimit(RLIMIT_FSIZE, &normal);

    const QString prefix = QStringLiteral("The file %1 could not be written: ")
                               .arg(QDir::toNativeSeparators(path(failing)));
    QVERIFY2(message.startsWith(prefix) && message.size() > prefix.size(), qPrintable(message));
    QCOMPARE(read(other), QByteArray("earlier print\r\n"));
    QCOMPARE(entries(), before);
    QVERIFY(!frmprint::Loaded());
}

void PrintTest::mainWindowButtons()
{
    kxtest::makeDatabase(path("Recipe.mdb"), {{QStringLiteral("Soups"), {}}});
    auto form = std::make_unique<MainForm>(m_dir->path());
    form->Form_Load();
    form->show();
    QVERIFY(m_dialogs->asked().isEmpty());

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    emit form->Website->Click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(catcher.opened, QList<QUrl>{QUrl(QStringLiteral("https://kitchenex.example/"))});

    // A file that cannot be written is reported by the main window; nothing is shown.
    form->Text1->SetText(QStringLiteral("Soup"));
    form->Text3->SetText(QStringLiteral("salt"));
    form->Text4->SetText(QStringLiteral("stir"));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("print.txt")));
    emit form->print->Click();
    QCOMPARE(m_dialogs->asked().size(), 1);
    QVERIFY2(m_dialogs->asked().first().text.startsWith(
                 "Kitchenex could not print the recipe.\r\n\r\nThe file " +
                 QDir::toNativeSeparators(path("print.txt")) + " could not be written: "),
             qPrintable(m_dialogs->asked().first().text));
    QVERIFY(!frmprint::Loaded());

    QVERIFY(QDir(m_dir->path()).rmdir(QStringLiteral("print.txt")));
    emit form->print->Click();
    QPointer<frmprint> preview = frmprint::Loaded();
    QVERIFY(preview && preview->isVisible());
    form->close(); // closing the main window unloads the preview
    QVERIFY(preview.isNull());
}

QTEST_MAIN(PrintTest)
#include "PrintTest.moc"
