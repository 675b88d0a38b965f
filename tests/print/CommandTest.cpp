// The print command: its guards, the files it writes into the program's folder, the hand-over
// to the preview window and what happens when the files cannot be written.
#include "PrintTestSupport.h"
#include "TestSupport.h"
#include "controls/xptopbuttons.h"
#include "print/PrintCommand.h"
#include "print/PrintDocuments.h"
#include "print/WebBrowser.h"
#include "print/frmprint.h"
#include "skin/xp_canvas.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <stdexcept>

#include <sys/resource.h>

using namespace printtest;

class CommandTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void printsSoupAndShowsThePreview();
    void nameIsTrimmedInFilesAndCaption();
    void guards_data();
    void guards();
    void secondPrintWhileLoadedKeepsThePage();
    void printAfterCloseShowsTheNewPage();
    void writeFailure_data();
    void writeFailure();

private:
    QString path(const QString &name) const { return QDir(m_dir->path()).filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<kxtest::DialogRecorder> m_dialogs;
};

void CommandTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_dialogs = std::make_unique<kxtest::DialogRecorder>();
}

void CommandTest::cleanup()
{
    UnloadPrintPreview();
    QVERIFY(!frmprint::Loaded());
    m_dialogs.reset();
    if (m_dir)
        QFile::setPermissions(m_dir->path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_dir.reset();
}

void CommandTest::printsSoupAndShowsThePreview()
{
    RunPrintCommand(m_dir->path(), QStringLiteral("Soup"), QString(), SoupIngredients,
                    SoupInstructions);
    QCOMPARE(readFile(path(QStringLiteral("print.txt"))), soupText());
    QCOMPARE(readFile(path(QStringLiteral("print.htm"))), soupPage());
    QCOMPARE(entries(m_dir->path()), (QStringList{"print.htm", "print.txt"}));
    QVERIFY(m_dialogs->asked().isEmpty());

    frmprint *preview = frmprint::Loaded();
    QVERIFY(preview);
    QVERIFY(preview->isVisible());
    QVERIFY(!preview->parentWidget());
    QCOMPARE(preview->windowTitle(), QStringLiteral("Print [ Soup ] Recipe"));
    // The caption is set on the window, not through the frame, whose title keeps its name.
    QCOMPARE(preview->frmprintXP->Caption(), QStringLiteral("frmprintXP"));
    QCOMPARE(preview->WB->source(), QUrl::fromLocalFile(path(QStringLiteral("print.htm"))));
    const QString shown = preview->WB->toPlainText();
    QVERIFY2(shown.contains(QStringLiteral("Name: Soup")), qPrintable(shown));
    QVERIFY(shown.contains(QStringLiteral("2 carrots\n1 onion")));
    QCOMPARE(preview->WB->documentTitle(),
             QStringLiteral("This Recipes by Kitchenex Recipe_https://kitchenex.example/"));
}

void CommandTest::nameIsTrimmedInFilesAndCaption()
{
    RunPrintCommand(m_dir->path(), QStringLiteral("   Soup  "), QStringLiteral("  Ann "),
                    SoupIngredients, SoupInstructions);
    const QStringList text = crlfLines(readFile(path(QStringLiteral("print.txt"))));
    QCOMPARE(text.at(0), QStringLiteral("Name: Soup"));
    QCOMPARE(text.at(2), QStringLiteral("Author: Ann"));
    QCOMPARE(crlfLines(readFile(path(QStringLiteral("print.htm")))).at(6),
             QStringLiteral("Name: Soup<br>"));
    QVERIFY(frmprint::Loaded());
    QCOMPARE(frmprint::Loaded()->windowTitle(), QStringLiteral("Print [ Soup ] Recipe"));
}

void CommandTest::guards_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("ingredients");
    QTest::addColumn<QString>("instructions");
    QTest::addColumn<QStringList>("messages");
    const QStringList none;
    const QStringList choose{QStringLiteral("Please Choose a Recipe")};
    QTest::newRow("empty name") << ""
                                << "salt"
                                << "stir" << choose;
    QTest::newRow("empty name, nothing else") << ""
                                              << ""
                                              << "" << choose;
    QTest::newRow("name of blanks") << "   "
                                    << "salt"
                                    << "stir" << none;
    QTest::newRow("empty ingredients") << "Soup"
                                       << ""
                                       << "stir" << none;
    QTest::newRow("ingredients of blanks") << "Soup"
                                           << "    "
                                           << "stir" << none;
    QTest::newRow("empty instructions") << "Soup"
                                        << "salt"
                                        << "" << none;
    QTest::newRow("instructions of blanks") << "Soup"
                                            << "salt"
                                            << " " << none;
}

void CommandTest::guards()
{
    QFETCH(QString, name);
    QFETCH(QString, ingredients);
    QFETCH(QString, instructions);
    QFETCH(QStringList, messages);

    // Files of an earlier print stay exactly as they were.
    writeFile(path(QStringLiteral("print.txt")), "old text\r\n");
    writeFile(path(QStringLiteral("print.htm")), "old page\r\n");
    const QDateTime before = QFileInfo(path(QStringLiteral("print.txt"))).lastModified();

    RunPrintCommand(m_dir->path(), name, QStringLiteral("Ann"), ingredients, instructions);

    QCOMPARE(m_dialogs->texts(), messages);
    for (const vb::DialogRequest &asked : m_dialogs->asked()) {
        QCOMPARE(asked.flags, int(vb::vbOKOnly));
        QCOMPARE(asked.title, QStringLiteral("Kitchenex"));
    }
    QCOMPARE(readFile(path(QStringLiteral("print.txt"))), QByteArray("old text\r\n"));
    QCOMPARE(readFile(path(QStringLiteral("print.htm"))), QByteArray("old page\r\n"));
    QCOMPARE(QFileInfo(path(QStringLiteral("print.txt"))).lastModified(), before);
    QCOMPARE(entries(m_dir->path()), (QStringList{"print.htm", "print.txt"}));
    QVERIFY(!frmprint::Loaded());
}

void CommandTest::secondPrintWhileLoadedKeepsThePage()
{
    RunPrintCommand(m_dir->path(), QStringLiteral("Soup"), QString(), SoupIngredients,
                    SoupInstructions);
    frmprint *preview = frmprint::Loaded();
    QVERIFY(preview);
    QPointer<frmprint> first = preview;
    preview->xptopbuttons3_Click();
    QVERIFY(preview->isMinimized());

    RunPrintCommand(m_dir->path(), QStringLiteral(" Stew "), QStringLiteral("Bo"),
                    QStringLiteral("beef"), QStringLiteral("simmer"));
    QCOMPARE(frmprint::Loaded(), first.data());
    QVERIFY(preview->isVisible());
    QVERIFY(!preview->isMinimized());
    QCOMPARE(preview->windowTitle(), QStringLiteral("Print [ Stew ] Recipe"));
    // Both files are new; the page in view is still the one read when the window loaded.
    QVERIFY(readFile(path(QStringLiteral("print.txt"))).startsWith("Name: Stew\r\n"));
    QVERIFY(readFile(path(QStringLiteral("print.htm"))).contains("Name: Stew<br>"));
    QVERIFY(preview->WB->toPlainText().contains(QStringLiteral("Name: Soup")));
    QVERIFY(!preview->WB->toPlainText().contains(QStringLiteral("Stew")));
}

void CommandTest::printAfterCloseShowsTheNewPage()
{
    RunPrintCommand(m_dir->path(), QStringLiteral("Soup"), QString(), SoupIngredients,
                    SoupInstructions);
    QPointer<frmprint> first = frmprint::Loaded();
    QVERIFY(first);
    QTest::mouseClick(first->xptopbuttons1, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(!frmprint::Loaded());
    QTRY_VERIFY(first.isNull()); // unloaded: the window is gone, not hidden

    RunPrintCommand(m_dir->path(), QStringLiteral("Stew"), QString(), QStringLiteral("beef"),
                    QStringLiteral("simmer"));
    frmprint *second = frmprint::Loaded();
    QVERIFY(second);
    QCOMPARE(second->windowTitle(), QStringLiteral("Print [ Stew ] Recipe"));
    QVERIFY(second->WB->toPlainText().contains(QStringLiteral("Name: Stew")));
    QVERIFY(!second->WB->toPlainText().contains(QStringLiteral("Soup")));
}

void CommandTest::writeFailure_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("failing");
    QTest::newRow("print.txt is a folder") << "txt folder"
                                           << "print.txt";
    QTest::newRow("print.htm is a folder") << "htm folder"
                                           << "print.htm";
    QTest::newRow("read-only folder") << "read-only"
                                      << "print.txt";
    QTest::newRow("no room for the whole file") << "no room"
                                                << "print.txt";
}

namespace {

// Lets no file of this process grow beyond a few bytes while it lives, the way a full disk
// stops a write part-way.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_set = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool isSet() const { return m_set; }

private:
    rlimit m_old{};
    bool m_set = false;
};

} // namespace

void CommandTest::writeFailure()
{
    QFETCH(QString, how);
    QFETCH(QString, failing);

    // The other file holds an earlier print; it must not be replaced by half of a new one.
    const QString other = failing == QLatin1String("print.txt") ? QStringLiteral("print.htm")
                                                                : QStringLiteral("print.txt");
    writeFile(path(other), "earlier print\r\n");
    if (how == QLatin1String("read-only")) {
        QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
        QFile probe(path(QStringLiteral("probe")));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.close();
            probe.remove();
            QSKIP("This user writes into read-only folders (root); the folder rows cover it.");
        }
    } else if (how != QLatin1String("no room")) {
        QVERIFY(QDir(m_dir->path()).mkdir(failing));
    }
    const QStringList before = entries(m_dir->path());

    QString message;
    std::unique_ptr<FileSizeLimit> limit;
    if (how == QLatin1String("no room")) {
        limit = std::make_unique<FileSizeLimit>(40); // print.txt of Soup is 111 bytes
        QVERIFY(limit->isSet());
    }
    try {
        RunPrintCommand(m_dir->path(), QStringLiteral("Soup"), QString(), SoupIngredients,
                        SoupInstructions);
    } catch (const std::runtime_error &e) {
        message = QString::fromUtf8(e.what());
    }
    limit.reset();
    const QString prefix = QStringLiteral("The file %1 could not be written: ")
                               .arg(QDir::toNativeSeparators(path(failing)));
    QVERIFY2(message.startsWith(prefix), qPrintable(message));
    QVERIFY2(message.size() > prefix.size(), qPrintable(message)); // the reason is given
    QCOMPARE(readFile(path(other)), QByteArray("earlier print\r\n"));
    QCOMPARE(entries(m_dir->path()), before); // no half-written file left behind
    QVERIFY(m_dialogs->asked().isEmpty());
    QVERIFY(!frmprint::Loaded());
}

int runCommandTests(int argc, char **argv)
{
    CommandTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "CommandTest.moc"
