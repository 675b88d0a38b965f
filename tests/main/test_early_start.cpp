// The start-up: the early thread before and after the application object exists, its hand-over
// to the window's load, and the changes held until the check's verdict. Each case runs in a
// process of its own (the first argument names it): the thread Qt takes as the program's main
// thread is settled once per process, by the first thread that asks.
#include "TestSupport.h"
#include "app/EarlyStart.h"
#include "main/MainForm.h"
#include "platform/dao/Database.h"
#include "platform/dao/Error.h"
#include "platform/vb/TextBox.h"
#include "store/RecipeBas.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QTreeWidgetItem>

#include <cstdio>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

int failures = 0;
QStringList messages;

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "FAIL: %s\n", what);
        ++failures;
    }
}

void keepMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    messages.append(message);
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

// A Recipe.mdb in folder with categories of one recipe each; its data path.
QString makeRecipes(const QString &folder, const QStringList &categories)
{
    QDir().mkpath(folder);
    const QString dataPath = QDir(folder).filePath(QStringLiteral("Recipe"));
    QList<kxtest::Category> made;
    for (const QString &category : categories)
        made.append({category,
                     {{QStringLiteral("Pea soup "), QStringLiteral("Ann "), QStringLiteral("Peas "),
                       QStringLiteral("Boil. ")}}});
    kxtest::makeDatabase(dataPath + QStringLiteral(".mdb"), made);
    return dataPath;
}

// The record's page of the file gets a broken header.
void damage(const QString &dataPath)
{
    QFile f(dataPath + QStringLiteral(".mdb"));
    check(f.open(QIODevice::ReadWrite), "the file opens for damaging");
    QByteArray bytes = f.readAll();
    const QString soup = QStringLiteral("Pea soup");
    const qsizetype at =
        bytes.indexOf(QByteArray(reinterpret_cast<const char *>(soup.utf16()), 16));
    check(at >= 4096, "the record is found");
    bytes.replace(at / 4096 * 4096, 8, QByteArray(8, '\xff'));
    f.seek(0);
    f.write(bytes);
}

// The categories shown, each followed by its number of recipes.
QStringList categoriesShown(MainForm &form)
{
    QStringList names;
    const QTreeWidgetItem *root = form.Tv->topLevelItem(0);
    for (int i = 0; root && i < root->childCount(); ++i)
        names.append(root->child(i)->text(0) +
                     QString::number(form.Tv->ChildCount(root->child(i))));
    return names;
}

// The early thread checks the file and makes Qt objects while doing so, all before the
// application object exists, and before this thread has made any; the application is still
// made on the program's main thread, and the database opened early is the one the tree reads.
void mainThreadStaysMain(int argc, char **argv, const QString &dataPath)
{
    EarlyStart early(dataPath);
    check(early.open(dataPath), "the early open is of this file");

    QApplication app(argc, argv);
    early.applicationReady();
    check(QThread::currentThread() == app.thread(), "the application's thread is this one");
    check(!messages.join(QLatin1Char('\n')).contains(QLatin1String("main() thread")),
          "Qt takes this thread for the main thread");
    // The fonts loaded on the early thread serve this one.
    check(QFontInfo(QFont(QStringLiteral("Arial"), 9)).pointSize() == 9, "a font is usable");
    early.finish();

    RecipeBas::DataPath = dataPath;
    RecipeBas::OpenRecipeDataBase();
    check(RecipeBas::db && RecipeBas::db->TableDefs().Count() >= 1, "the offered file opens");
    RecipeBas::ResetState();
}

// The window's first tree load shows what the early thread read, not the file as it is by
// then, the categories it shows collapsed included; a window of another data path checks and
// shows its own file. Then the verdict.
void readsAreHandedOver(int argc, char **argv, const QString &dataPath, const QString &other)
{
    EarlyStart early(dataPath);
    QApplication app(argc, argv);
    early.applicationReady();
    early.finish(); // read and checked
    kxtest::DialogRecorder dialogs;
    {
        auto writer = dao::DBEngine::OpenDatabase(dataPath, false, false, kxtest::Connect);
        RecipeBas::AppendCategoryTable(*writer, QStringLiteral("Late"));
    }
    {
        MainForm form(QFileInfo(other).path());
        form.setStartupCheck(&early);
        form.Form_Load();
        check(categoriesShown(form).isEmpty(), "another data path shows no early reads");
        check(form.startupProblem().contains(QLatin1String("is damaged")), "it is checked");
        check(!form.checkPending(), "its verdict is in at once");
        form.close();
    }
    MainForm form(QFileInfo(dataPath).path());
    form.setStartupCheck(&early);
    form.Form_Load();
    const QStringList read = {QStringLiteral("Breads1"), QStringLiteral("Soups1"),
                              QStringLiteral("Stews1")};
    check(categoriesShown(form) == read, "the early reads show");
    check(form.checkPending(), "the verdict comes between events");
    QCoreApplication::processEvents();
    check(!form.checkPending() && form.startupProblem().isEmpty(), "the file is sound");

    // The categories shown collapsed come while the tree shows.
    auto database = dao::DBEngine::OpenDatabase(dataPath, false, false, kxtest::Connect);
    RecipeBas::ReadTreeAhead(*database, [&](std::unique_ptr<RecipeBas::TreeReads> reads) {
        RecipeBas::OfferOpenDatabase(dataPath, nullptr, std::move(reads));
        RecipeBas::LoadTree();
        check(categoriesShown(form).value(2) == QStringLiteral("Soups0"), "shown before read");
    });
    QCoreApplication::processEvents();
    check(categoriesShown(form) ==
              QStringList({QStringLiteral("Breads1"), QStringLiteral("Late0"),
                           QStringLiteral("Soups1"), QStringLiteral("Stews1")}),
          "then read into the tree");
    form.close();
}

// A Recipe.mdb of the earlier Windows program, converted at start-up, is checked and shown as
// the new file it became.
void convertedIsShown(int argc, char **argv, const QString &dataPath)
{
    EarlyStart early(dataPath);
    QApplication app(argc, argv);
    early.applicationReady();
    kxtest::DialogRecorder dialogs;
    dialogs.answer(vb::vbYes);
    MainForm form(QFileInfo(dataPath).path());
    form.setStartupCheck(&early);
    form.Form_Load();
    check(dialogs.texts().value(1).contains(QLatin1String("was converted")), "it is converted");
    check(form.startupProblem().isEmpty() && !form.checkPending(), "the new file is checked");
    check(categoriesShown(form).size() == 3 &&
              form.Tv->ChildCount(form.Tv->Node(QStringLiteral("Soups"))) > 0,
          "its categories show");
    early.finish();
    form.close();
}

// A check whose verdict the test gives.
class HeldCheck : public StartupCheck
{
public:
    bool open(const QString &) override { return true; }
    void whenChecked(Verdict verdict) override { m_verdict = std::move(verdict); }
    void give(std::exception_ptr failure) { m_verdict(failure, nullptr); }

private:
    Verdict m_verdict;
};

// A delete given before the verdict waits for it and is then made; on a file found damaged it
// is refused.
void changesWaitForTheVerdict(int argc, char **argv, const QString &dataPath)
{
    QApplication app(argc, argv);
    kxtest::DialogRecorder dialogs;
    const QString file = dataPath + QStringLiteral(".mdb");
    for (const bool damaged : {false, true}) {
        makeRecipes(QFileInfo(dataPath).path(), {QStringLiteral("Soups")});
        HeldCheck held;
        MainForm form(QFileInfo(dataPath).path());
        form.setStartupCheck(&held);
        form.Form_Load();
        form.show();
        form.Tv_NodeClick(form.Tv->topLevelItem(0)->child(0)->child(0));
        bool waited = false;
        QTimer::singleShot(50, [&] {
            waited = QApplication::overrideCursor() &&
                     QApplication::overrideCursor()->shape() == Qt::WaitCursor &&
                     kxtest::readCategory(file, QStringLiteral("Soups")).size() == 1;
            held.give(damaged ? std::make_exception_ptr(
                                    dao::Error(dao::errDatabaseDamaged, QStringLiteral("broken")))
                              : nullptr);
        });
        form.delete_Click();
        check(waited, "the delete waits for the verdict, behind the wait cursor");
        const int left = kxtest::readCategory(file, QStringLiteral("Soups")).size();
        check(left == (damaged ? 1 : 0), damaged ? "refused on a damaged file" : "then made");
        check(!damaged || (dialogs.texts().join(QString()).contains(QLatin1String("nothing was "
                                                                                  "changed")) &&
                           categoriesShown(form).isEmpty()),
              "the refusal is said and nothing of the file is shown");
        form.close();
        QFile::remove(file);
    }
}

// Runs this program again for one case; its exit status.
int runCase(const char *program, const char *name, const QString &a, const QString &b)
{
    const QByteArray first = a.toLocal8Bit(), second = b.toLocal8Bit();
    const pid_t child = fork();
    if (child == 0) {
        execl(program, program, name, first.constData(), second.constData(),
              static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler(keepMessage);
    const std::string which = argc > 3 ? argv[1] : "";
    // The paths are handed over as they are: a case makes no Qt object before its EarlyStart.
    const QString a = argc > 3 ? QString::fromLocal8Bit(argv[2]) : QString();
    const QString b = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    if (which == "main-thread") {
        mainThreadStaysMain(argc, argv, a);
    } else if (which == "hand-over") {
        readsAreHandedOver(argc, argv, a, b);
    } else if (which == "converted") {
        convertedIsShown(argc, argv, a);
    } else if (which == "held") {
        changesWaitForTheVerdict(argc, argv, a);
    } else {
        QTemporaryDir dir;
        const auto folder = [&dir](const char *name) { return QDir(dir.path()).filePath(name); };
        const QString sound =
            makeRecipes(folder("sound"), {QStringLiteral("Breads"), QStringLiteral("Soups"),
                                          QStringLiteral("Stews")});
        const QString damaged = makeRecipes(folder("damaged"), {QStringLiteral("Stews")});
        damage(damaged);
        QDir().mkpath(folder("jet"));
        const QString jet = QDir(folder("jet")).filePath(QStringLiteral("Recipe"));
        QFile::copy(kxtest::dataDir() + QStringLiteral("/jet/recipes_V2000.mdb"),
                    jet + QStringLiteral(".mdb"));
        const struct
        {
            const char *name;
            QString a, b;
        } cases[] = {{"main-thread", sound, {}},
                     {"hand-over", sound, damaged},
                     {"converted", jet, {}},
                     {"held", QDir(folder("held")).filePath(QStringLiteral("Recipe")), {}}};
        for (const auto &c : cases) {
            const int code = runCase(argv[0], c.name, c.a, c.b);
            std::fprintf(stderr, "%s: %s\n", c.name, code == 0 ? "PASS" : "FAIL");
            if (code != 0)
                ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
