// The second program the reliability tests start:
//
//   write FOLDER JOURNAL SEED   writes recipes through the store in a loop until it is killed,
//                               journaling each change before it starts ("B ...") and after
//                               it returned ("D"), each line synced to disk;
//   lock FILE MODE [spill]      begins a write (MODE immediate or exclusive) on FILE, says
//                               "locked", and when a line comes on stdin commits it ("commit")
//                               or rolls it back (anything else); with "spill" the write is
//                               big enough to reach the file before the commit;
//   undo FILE                   undoes and redoes the last change of FILE in turn until it
//                               is killed, saying "undoing" first;
//   window FOLDER CATEGORY      as a user without privileges (it gives up root's), starts the
//                               main window on FOLDER, adds a recipe to CATEGORY and prints
//                               every dialog, one per line.
#include "ReliabilitySupport.h"

#include "TestSupport.h"
#include "controls/xpcmdbutton.h"
#include "main/MainForm.h"
#include "platform/dao/History.h"
#include "platform/vb/ListBox.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/TextBox.h"
#include "platform/vb/TreeView.h"
#include "store/RecipeBas.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextStream>

#include <sqlite3.h>

#include <cstdio>
#include <fcntl.h>
#include <grp.h>
#include <unistd.h>

using kxrel::Op;

namespace {

// Appends one line and syncs it before returning.
class Journal
{
public:
    explicit Journal(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT, 0644))
    {
    }
    ~Journal()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }
    void line(const QString &text)
    {
        const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
        if (::write(m_fd, bytes.constData(), size_t(bytes.size())) != bytes.size() ||
            ::fsync(m_fd) != 0) {
            std::fprintf(stderr, "journal write failed\n");
            std::_Exit(4);
        }
    }

private:
    int m_fd;
};

[[noreturn]] void fail(const QString &why)
{
    std::fprintf(stderr, "%s\n", qPrintable(why));
    std::fflush(stderr);
    std::_Exit(2);
}

int runWriter(const QString &folder, const QString &journalPath, int seed)
{
    vb::TreeView tree;
    vb::ListBox list;
    vb::ImageList images;
    for (int i = 0; i < 4; ++i) {
        QPixmap picture(16, 16);
        picture.fill(Qt::gray);
        images.Add(picture);
    }
    vb::LineTextBox text1, text2;
    vb::MemoTextBox text3, text4;
    RecipeBas::View view{&tree, &list, &images, &text1, &text2, &text3, &text4};
    RecipeBas::view = &view;
    RecipeBas::DataPath = QDir(folder).filePath(QStringLiteral("Recipe"));
    const QString file = RecipeBas::DataPath + QStringLiteral(".mdb");

    // The input box names the new category; every question is answered Yes.
    QString nextCategory;
    vb::setDialogResponder([&nextCategory](const vb::DialogRequest &request) {
        vb::DialogAnswer answer;
        answer.button = (request.flags & 7) == vb::vbYesNo ? vb::vbYes : vb::vbOK;
        if (request.kind == vb::DialogRequest::Kind::Input)
            answer.text = nextCategory;
        return answer;
    });

    Journal journal(journalPath);
    if (!journal.isOpen())
        fail(QStringLiteral("cannot open the journal"));
    QString problem;
    kxrel::State state = kxrel::readState(file, &problem);
    if (!problem.isEmpty())
        fail(QStringLiteral("the file is not as written: ") + problem);

    QRandomGenerator random(quint32(seed) * 7919u + 17u);
    int counter = 0;
    const auto setBoxes = [&](const QStringList &texts) {
        text1.SetText(texts[0]);
        text2.SetText(texts[1]);
        text3.SetText(texts[2]);
        text4.SetText(texts[3]);
    };
    const auto anyOf = [&random](const QStringList &items) {
        return items.at(int(random.bounded(quint32(items.size()))));
    };

    std::printf("ready\n");
    std::fflush(stdout);
    QElapsedTimer clock;
    clock.start();
    // Runs until killed; the bound only keeps a forgotten helper from running for ever.
    while (clock.elapsed() < 120000) {
        const QStringList categories = state.keys();
        QStringList recipes; // "category id" of every recipe
        for (auto c = state.cbegin(); c != state.cend(); ++c)
            for (auto r = c->cbegin(); r != c->cend(); ++r)
                recipes.append(c.key() + QLatin1Char(' ') + r.key());
        const int roll = int(random.bounded(100u));
        Op op;
        if (categories.isEmpty() || (roll < 7 && categories.size() < 6)) {
            op.kind = Op::Kind::NewCategory;
            op.category = QStringLiteral("Cat-%1-%2").arg(seed).arg(++counter);
        } else if (roll < 12 && categories.size() > 1) {
            op.kind = Op::Kind::DeleteCategory;
            op.category = anyOf(categories);
        } else if (recipes.isEmpty() || roll < (recipes.size() < 30 ? 60 : 30)) {
            op.kind = Op::Kind::Add;
            op.category = anyOf(categories);
            op.id = QStringLiteral("%1-%2").arg(seed).arg(++counter);
        } else {
            const QStringList picked = anyOf(recipes).split(QLatin1Char(' '));
            op.category = picked[0];
            op.id = picked[1];
            op.kind = roll < 80 ? Op::Kind::Update : Op::Kind::Delete;
            op.version = state[op.category][op.id] + 1;
        }

        journal.line(QStringLiteral("B ") + kxrel::opText(op));
        try {
            switch (op.kind) {
            case Op::Kind::Add:
                setBoxes(kxrel::recipeTexts(op.id, 0));
                RecipeBas::AddRecipe(op.category);
                break;
            case Op::Kind::Update:
                setBoxes(kxrel::recipeTexts(op.id, op.version));
                if (!RecipeBas::UpdateRecipe(op.category, kxrel::recipeName(op.id)))
                    fail(QStringLiteral("no recipe to update: ") + kxrel::opText(op));
                break;
            case Op::Kind::Delete:
                if (RecipeBas::DeleteRecipe(op.category, kxrel::recipeName(op.id)) != 1)
                    fail(QStringLiteral("not one recipe deleted: ") + kxrel::opText(op));
                break;
            case Op::Kind::NewCategory:
                nextCategory = op.category;
                RecipeBas::CreateCategory();
                break;
            case Op::Kind::DeleteCategory:
                RecipeBas::DeleteCategory(op.category);
                break;
            }
        } catch (const std::exception &e) {
            fail(QStringLiteral("%1 failed: %2")
                     .arg(kxrel::opText(op), QString::fromUtf8(e.what())));
        }
        journal.line(QStringLiteral("D"));
        kxrel::apply(state, op);
    }
    return 0;
}

int runLock(const QString &file, const QString &mode, bool spill)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK)
        fail(QStringLiteral("cannot open ") + file);
    // In the middle of a write: a table made, not yet committed.
    const QByteArray begin =
        mode == QLatin1String("exclusive") ? "BEGIN EXCLUSIVE" : "BEGIN IMMEDIATE";
    char *message = nullptr;
    if (sqlite3_exec(db, begin + "; CREATE TABLE lock_probe (x TEXT)", nullptr, nullptr,
                     &message) != SQLITE_OK)
        fail(QString::fromUtf8(message));
    // A write too big for a small cache: pages go to the file before the commit, so the journal
    // is synced and a kill now leaves a journal that must be rolled back.
    if (spill && sqlite3_exec(db,
                              "PRAGMA cache_size = 2;"
                              "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                              "WHERE i < 300) INSERT INTO lock_probe SELECT zeroblob(2000) FROM n",
                              nullptr, nullptr, &message) != SQLITE_OK)
        fail(QString::fromUtf8(message));
    std::printf("locked\n");
    std::fflush(stdout);
    char line[64] = {};
    if (!std::fgets(line, sizeof line, stdin))
        line[0] = 0;
    const bool commit = QByteArray(line).trimmed() == "commit";
    if (sqlite3_exec(db, commit ? "COMMIT" : "ROLLBACK", nullptr, nullptr, &message) != SQLITE_OK)
        fail(QString::fromUtf8(message));
    sqlite3_close(db);
    std::printf("released\n");
    return 0;
}

int runUndo(const QString &file)
{
    auto db = dao::DBEngine::OpenDatabase(file, false, false, kxtest::Connect);
    std::printf("undoing\n");
    std::fflush(stdout);
    for (;;) {
        // The kill before may have left the change undone.
        const bool undo = dao::History::CanUndo(*db);
        const auto result = undo ? dao::History::Undo(*db) : dao::History::Redo(*db);
        if (result.status != dao::History::Status::Done)
            fail(QStringLiteral("%1 failed: status %2, clash %3")
                     .arg(undo ? QStringLiteral("undo") : QStringLiteral("redo"))
                     .arg(int(result.status))
                     .arg(int(result.clash)));
    }
}

// Gives up root's privileges for those of "nobody", so that file permissions count.
void dropPrivileges()
{
    if (::geteuid() != 0)
        return;
    const gid_t group = 65534;
    const uid_t user = 65534;
    if (::setgroups(0, nullptr) != 0 || ::setgid(group) != 0 || ::setuid(user) != 0)
        fail(QStringLiteral("cannot give up root's privileges"));
}

int runWindow(const QString &folder, const QString &category)
{
    QStringList asked;
    vb::setDialogResponder([&asked](const vb::DialogRequest &request) {
        QString text = request.text;
        asked.append(text.replace(QLatin1Char('\r'), QString())
                         .replace(QLatin1Char('\n'), QLatin1Char('|')));
        vb::DialogAnswer answer;
        answer.button = (request.flags & 7) == vb::vbYesNo ? vb::vbYes : vb::vbOK;
        return answer;
    });
    {
        MainForm form(folder);
        form.Form_Load();
        form.show();
        QCoreApplication::processEvents();
        QTreeWidgetItem *root = form.Tv->topLevelItem(0);
        QTreeWidgetItem *target = nullptr;
        for (int i = 0; root && i < root->childCount(); ++i)
            if (root->child(i)->text(0) == category)
                target = root->child(i);
        if (target) {
            form.Tv_NodeClick(target);
            form.add_Click();
            form.Text1->SetText(QStringLiteral("Written by nobody"));
            form.Save_Click();
        } else {
            asked.append(QStringLiteral("(no category %1 in the tree)").arg(category));
        }
        form.close();
    }
    QTextStream out(stdout);
    for (const QString &text : asked)
        out << text << '\n';
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == QLatin1String("lock") && (argc == 4 || argc == 5))
        return runLock(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                       argc == 5 && QByteArray(argv[4]) == "spill");
    if (mode == QLatin1String("window") && argc == 4)
        dropPrivileges();
    QApplication app(argc, argv);
    if (mode == QLatin1String("write") && argc == 5)
        return runWriter(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                         QString::fromLocal8Bit(argv[4]).toInt());
    if (mode == QLatin1String("undo") && argc == 3)
        return runUndo(QString::fromLocal8Bit(argv[2]));
    if (mode == QLatin1String("window") && argc == 4)
        return runWindow(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    std::fprintf(stderr,
                 "usage: %s write FOLDER JOURNAL SEED | lock FILE immediate|exclusive [spill] | "
                 "undo FILE | window FOLDER CATEGORY\n",
                 argv[0]);
    return 64;
}
