// The preview window: its layout, its title-bar buttons and printing through the print dialog.
#include "PrintTestSupport.h"
#include "TestSupport.h"
#include "controls/xpcmdbutton.h"
#include "controls/xptopbuttons.h"
#include "print/PrintCommand.h"
#include "print/WebBrowser.h"
#include "print/frmprint.h"
#include "skin/xp_canvas.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using namespace printtest;

class PreviewTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void layout();
    void loadShowsThePageAndTheFrameCaption();
    void titleBarButtons();
    void printButtonPrintsThroughTheDialog();
    void rightClickPrintsThroughTheDialog();
    void cancelledDialogPrintsNothing();
    void printerFailureIsReported();
    void accentsAndMarkupShowAsTyped();
    void unloadDeletesTheWindow();

private:
    QString path(const QString &name) const { return QDir(m_dir->path()).filePath(name); }
    frmprint *printSoup();
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<kxtest::DialogRecorder> m_dialogs;
};

void PreviewTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_dialogs = std::make_unique<kxtest::DialogRecorder>();
}

void PreviewTest::cleanup()
{
    UnloadPrintPreview();
    m_dialogs.reset();
    m_dir.reset();
}

frmprint *PreviewTest::printSoup()
{
    RunPrintCommand(m_dir->path(), QStringLiteral("Soup"), QString(), SoupIngredients,
                    SoupInstructions);
    frmprint *preview = frmprint::Loaded();
    if (preview && !QTest::qWaitForWindowExposed(preview))
        qWarning("the preview window was not exposed");
    return preview;
}

void PreviewTest::layout()
{
    frmprint form(m_dir->path());
    QCOMPARE(form.objectName(), QStringLiteral("frmprint"));
    QVERIFY(form.isWindow());
    QVERIFY(form.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(form.size(), QSize(552, 482)); // 8280 x 7230 twips

    QCOMPARE(form.frmprintXP->parentWidget(), &form);
    QCOMPARE(form.frmprintXP->geometry(), QRect(0, 0, 553, 481));
    const std::tuple<QWidget *, QString, QRect> controls[] = {
        {form.xptopbuttons3, "xptopbuttons3", QRect(482, 6, 21, 21)},
        {form.xptopbuttons2, "xptopbuttons2", QRect(505, 6, 21, 21)},
        {form.xptopbuttons1, "xptopbuttons1", QRect(528, 6, 21, 21)},
        {form.print, "print", QRect(480, 30, 65, 25)},
        {form.printform, "printform", QRect(352, 30, 113, 25)},
        {form.WB, "WB", QRect(8, 56, 537, 409)},
    };
    for (const auto &[widget, name, geometry] : controls) {
        QCOMPARE(widget->objectName(), name);
        QCOMPARE(widget->parentWidget(), form.frmprintXP);
        QCOMPARE(widget->geometry(), geometry);
    }

    QCOMPARE(form.xptopbuttons1->Value(), 0);
    QCOMPARE(form.xptopbuttons2->Value(), 1);
    QCOMPARE(form.xptopbuttons3->Value(), 2);
    QVERIFY(form.xptopbuttons1->Enabled());
    QVERIFY(!form.xptopbuttons2->Enabled());
    QVERIFY(form.xptopbuttons3->Enabled());

    QCOMPARE(form.print->Caption(), QStringLiteral("print"));
    QCOMPARE(form.print->Font().family(), QStringLiteral("Arial"));
    QCOMPARE(form.print->Font().pointSize(), 9);
    QVERIFY(form.printform->isHidden()); // no action is bound to it

    // The label keeps its place and grows, if its font needs it, so its text is never cut.
    QCOMPARE(form.Label1->objectName(), QStringLiteral("Label1"));
    QCOMPARE(form.Label1->pos(), QPoint(8, 40));
    QCOMPARE(form.Label1->height(), 13);
    QVERIFY(form.Label1->width() >= 295);
    QVERIFY(form.Label1->width() >= form.Label1->sizeHint().width());
    QVERIFY(form.Label1->geometry().right() < form.print->x());
    QCOMPARE(form.Label1->text(),
             QStringLiteral("Right Click On White Area in the View Box To Print."));
    QCOMPARE(form.Label1->font().family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(form.Label1->font().pointSizeF(), 8.25);
    QVERIFY(form.Label1->font().bold());
}

void PreviewTest::loadShowsThePageAndTheFrameCaption()
{
    writeFile(path(QStringLiteral("print.htm")), soupPage());
    frmprint *form = frmprint::Load(m_dir->path());
    QCOMPARE(frmprint::Loaded(), form);
    QCOMPARE(frmprint::Load(m_dir->path()), form); // one instance
    // Loading gives the window the frame's caption, its name.
    QCOMPARE(form->windowTitle(), QStringLiteral("frmprintXP"));
    QCOMPARE(form->frmprintXP->Caption(), QStringLiteral("frmprintXP"));
    QVERIFY(form->WB->toPlainText().contains(QStringLiteral("Name: Soup")));
    QVERIFY(!form->isVisible()); // loading alone does not show it
}

void PreviewTest::titleBarButtons()
{
    frmprint *form = printSoup();
    QVERIFY(form);
    QPointer<frmprint> alive = form;

    const Qt::WindowStates before = form->windowState();
    QTest::mouseClick(form->xptopbuttons2, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(form->windowState(), before);
    QVERIFY(form->isVisible());

    QTest::mouseClick(form->xptopbuttons3, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(form->isMinimized());
    QCOMPARE(frmprint::Loaded(), form);

    QTest::mouseClick(form->xptopbuttons1, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(!frmprint::Loaded());
    QTRY_VERIFY(alive.isNull());
}

void PreviewTest::printButtonPrintsThroughTheDialog()
{
    frmprint *form = printSoup();
    QVERIFY(form);
    const QString pdf = path(QStringLiteral("recipe.pdf"));
    PrintDialogAnswer answer(pdf, true);

    QTest::mouseClick(form->print, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(answer.asked, 1);
    QVERIFY(!answer.pdfExistedWhenAsked); // the dialog comes before anything is printed
    QCOMPARE(answer.docName, QStringLiteral("Print [ Soup ] Recipe"));

    const QByteArray bytes = readFile(pdf);
    QVERIFY(bytes.startsWith("%PDF-"));
    QVERIFY(bytes.size() > 1000);
    const QString text = pdfText(pdf);
    if (text.isNull())
        qWarning("pdftotext is not installed: the PDF's text is not checked");
    else
        QVERIFY2(text.contains(QStringLiteral("Name: Soup")) &&
                     text.contains(QStringLiteral("Boil for an hour.")),
                 qPrintable(text));
    QVERIFY(m_dialogs->asked().isEmpty());
}

void PreviewTest::rightClickPrintsThroughTheDialog()
{
    frmprint *form = printSoup();
    QVERIFY(form);
    const QString pdf = path(QStringLiteral("right-click.pdf"));
    PrintDialogAnswer answer(pdf, true);

    QWidget *page = form->WB->viewport();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(50, 50),
                            page->mapToGlobal(QPoint(50, 50)));
    QApplication::sendEvent(page, &event);
    QCOMPARE(answer.asked, 1);
    QVERIFY(!answer.pdfExistedWhenAsked);
    QVERIFY(readFile(pdf).startsWith("%PDF-"));
    const QString text = pdfText(pdf);
    QVERIFY2(text.isNull() || text.contains(QStringLiteral("Name: Soup")), qPrintable(text));
    // No menu of its own is left open.
    QVERIFY(!QApplication::activePopupWidget());
}

void PreviewTest::cancelledDialogPrintsNothing()
{
    frmprint *form = printSoup();
    QVERIFY(form);
    const QString pdf = path(QStringLiteral("cancelled.pdf"));
    PrintDialogAnswer answer(pdf, false);

    form->print_Click();
    QCOMPARE(answer.asked, 1);
    QVERIFY(!QFile::exists(pdf));
    QVERIFY(!form->WB->ExecWB(WebBrowser::OLECMDID_PRINT, WebBrowser::OLECMDEXECOPT_PROMPTUSER));
    QCOMPARE(answer.asked, 2);
    QVERIFY(!QFile::exists(pdf));
    QVERIFY(m_dialogs->asked().isEmpty());
}

void PreviewTest::printerFailureIsReported()
{
    frmprint *form = printSoup();
    QVERIFY(form);
    const QString pdf = path(QStringLiteral("no such folder/recipe.pdf"));
    PrintDialogAnswer answer(pdf, true);

    form->print_Click();
    QCOMPARE(answer.asked, 1);
    QCOMPARE(m_dialogs->asked().size(), 1);
    const vb::DialogRequest asked = m_dialogs->asked().first();
    QCOMPARE(asked.text, QStringLiteral("The recipe could not be printed.\r\n\r\n") +
                             QDir::toNativeSeparators(pdf));
    QCOMPARE(asked.flags, int(vb::vbCritical));
}

void PreviewTest::accentsAndMarkupShowAsTyped()
{
    const QString name = QStringLiteral("Crème brûlée <b>not bold</b>");
    const QString ingredients = QStringLiteral("Zucker & Öl\r\n<script>x()</script>");
    const QString instructions = QStringLiteral("bake < 10 min at 180 °C");
    RunPrintCommand(m_dir->path(), name, QStringLiteral("Zoë"), ingredients, instructions);
    frmprint *form = frmprint::Loaded();
    QVERIFY(form);
    QCOMPARE(form->windowTitle(), QStringLiteral("Print [ ") + name + QStringLiteral(" ] Recipe"));
    const QString shown = form->WB->toPlainText();
    for (const QString &line :
         {QStringLiteral("Name: ") + name, QStringLiteral("Author: Zoë"),
          QStringLiteral("Zucker & Öl"), QStringLiteral("<script>x()</script>"), instructions})
        QVERIFY2(shown.contains(line), qPrintable(shown));

    const QString pdf = path(QStringLiteral("accents.pdf"));
    PrintDialogAnswer answer(pdf, true);
    form->print_Click();
    const QString text = pdfText(pdf);
    QVERIFY2(text.isNull() || text.contains(QStringLiteral("Crème brûlée")), qPrintable(text));
}

void PreviewTest::unloadDeletesTheWindow()
{
    QPointer<frmprint> form = printSoup();
    QVERIFY(form);
    UnloadPrintPreview();
    QVERIFY(form.isNull());
    QVERIFY(!frmprint::Loaded());
    UnloadPrintPreview(); // nothing loaded: nothing happens
}

int runPreviewTests(int argc, char **argv)
{
    PreviewTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PreviewTest.moc"
