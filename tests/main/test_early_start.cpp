// The start-up's early thread, before and after the application object exists. Each case runs
// in a process of its own (the first argument names it): the thread Qt takes as the program's
// main thread is settled once per process, by the first thread that asks.
#include "TestSupport.h"
#include "app/EarlyStart.h"
#include "platform/dao/Error.h"
#include "store/RecipeBas.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontInfo>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <string>
#include <utility>

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

QString makeRecipes(const QTemporaryDir &dir, const QString &name)
{
    const QString dataPath = QDir(dir.path()).filePath(name);
    kxtest::makeDatabase(dataPath + QStringLiteral(".mdb"),
                         {{QStringLiteral("Soups"),
                           {{QStringLiteral("Pea soup "), QStringLiteral("Ann "),
                             QStringLiteral("Peas "), QStringLiteral("Boil. ")}}}});
    return dataPath;
}

// The early thread checks the file and makes Qt objects while doing so, all before the
// application object exists, and before this thread has made any; the application is still
// made on the program's main thread, and the checked database is the one the tree then reads.
void mainThreadStaysMain(int argc, char **argv, const QString &dataPath)
{
    EarlyStart early(dataPath);
    early.check(dataPath); // waits for the early thread's verdict: its check is done by now

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

// What the early check finds wrong is raised where the window's load asks for the verdict;
// another data path is checked there and then.
void verdictIsRaisedWhereAsked(int argc, char **argv, const QString &damaged, const QString &other)
{
    EarlyStart early(damaged);
    QApplication app(argc, argv);
    early.applicationReady();
    int number = 0;
    try {
        early.check(damaged);
    } catch (const dao::Error &e) {
        number = e.number();
    }
    check(number == dao::errDatabaseDamaged, "the damage is raised by check");

    RecipeBas::DataPath = other;
    bool raised = false;
    try {
        early.check(other);
    } catch (const dao::Error &) {
        raised = true;
    }
    check(!raised, "a sound file of another path passes its own check");
    early.finish();
    RecipeBas::ResetState();
}

// The record's page of the file gets a broken header.
void damage(const QString &file)
{
    QFile f(file);
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
    if (which == "main-thread") {
        mainThreadStaysMain(argc, argv, QString::fromLocal8Bit(argv[2]));
    } else if (which == "verdict") {
        verdictIsRaisedWhereAsked(argc, argv, QString::fromLocal8Bit(argv[2]),
                                  QString::fromLocal8Bit(argv[3]));
    } else {
        QTemporaryDir dir;
        const QString sound = makeRecipes(dir, QStringLiteral("Recipe"));
        const QString damaged = makeRecipes(dir, QStringLiteral("Damaged"));
        const QString other = makeRecipes(dir, QStringLiteral("Other"));
        damage(damaged + QStringLiteral(".mdb"));
        const std::pair<const char *, QStringList> cases[] = {{"main-thread", {sound, QString()}},
                                                              {"verdict", {damaged, other}}};
        for (const auto &[name, paths] : cases) {
            const int code = runCase(argv[0], name, paths[0], paths[1]);
            std::fprintf(stderr, "%s: %s\n", name, code == 0 ? "PASS" : "FAIL");
            if (code != 0)
                ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
