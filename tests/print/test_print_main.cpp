// The main window's print and website buttons, on a real database in a temporary folder.
#include "TestSupport.h"
#include "controls/xpcmdbutton.h"
#include "main/MainForm.h"
#include "platform/vb/TextBox.h"
#include "print/frmprint.h"
#include "store/Product.h"

#include <QDesktopServices>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

class PrintFromMainTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void websiteButtonHandsTheAddressToTheDesktop();
    void printButtonShowsThePreviewAndClosingMainClosesIt();
    void writeFailureIsShownByTheMainWindow();

private:
    void type(const QString &name, const QString &author, const QString &ingredients,
              const QString &instructions);
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<kxtest::DialogRecorder> m_dialogs;
    std::unique_ptr<MainForm> m_form;
};

void PrintFromMainTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_dialogs = std::make_unique<kxtest::DialogRecorder>();
    kxtest::makeDatabase(QDir(m_dir->path()).filePath(QStringLiteral("Recipe.mdb")),
                         {{QStringLiteral("Soups"), {}}});
    m_form = std::make_unique<MainForm>(m_dir->path());
    m_form->Form_Load();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    m_dialogs->clear();
}

void PrintFromMainTest::cleanup()
{
    if (m_form)
        m_form->close();
    m_form.reset();
    m_dialogs.reset();
    m_dir.reset();
}

void PrintFromMainTest::type(const QString &name, const QString &author, const QString &ingredients,
                             const QString &instructions)
{
    m_form->Text1->SetText(name);
    m_form->Text2->SetText(author);
    m_form->Text3->SetText(ingredients);
    m_form->Text4->SetText(instructions);
}

void PrintFromMainTest::websiteButtonHandsTheAddressToTheDesktop()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    emit m_form->Website->Click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(catcher.opened, QList<QUrl>{QUrl(WebsiteAddress)});
    QCOMPARE(catcher.opened.first().toString(), QStringLiteral("https://kitchenex.example/"));
    QVERIFY(m_dialogs->asked().isEmpty());
}

void PrintFromMainTest::printButtonShowsThePreviewAndClosingMainClosesIt()
{
    type(QStringLiteral(" Soup "), QString(), QStringLiteral("2 carrots\n1 onion"),
         QStringLiteral("Boil."));
    emit m_form->print->Click();
    QVERIFY(m_dialogs->asked().isEmpty());
    QPointer<frmprint> preview = frmprint::Loaded();
    QVERIFY(preview);
    QVERIFY(preview->isVisible());
    QCOMPARE(preview->windowTitle(), QStringLiteral("Print [ Soup ] Recipe"));
    QVERIFY(QFile::exists(QDir(m_dir->path()).filePath(QStringLiteral("print.htm"))));

    m_form->close();
    QVERIFY(preview.isNull());
    QVERIFY(!frmprint::Loaded());
}

void PrintFromMainTest::writeFailureIsShownByTheMainWindow()
{
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("print.txt")));
    type(QStringLiteral("Soup"), QString(), QStringLiteral("salt"), QStringLiteral("stir"));
    emit m_form->print->Click();
    QCOMPARE(m_dialogs->asked().size(), 1);
    const vb::DialogRequest asked = m_dialogs->asked().first();
    const QString expected =
        QStringLiteral("Kitchenex could not print the recipe.\r\n\r\nThe file %1 could not be "
                       "written: ")
            .arg(QDir::toNativeSeparators(QDir(m_dir->path()).filePath("print.txt")));
    QVERIFY2(asked.text.startsWith(expected), qPrintable(asked.text));
    QCOMPARE(asked.flags & vb::vbCritical, int(vb::vbCritical));
    QVERIFY(!frmprint::Loaded());
}

QTEST_MAIN(PrintFromMainTest)
#include "test_print_main.moc"
