// kx-bench-store: the store routines on databases of 1,000 to 100,000 recipes, each against a
// floor measured in the same run on the same file:
// - LoadTree: a plain SQLite walk of the same tables in stored order reading the names, plus
//   filling a QTreeWidget with the same nodes directly;
// - ShowRecipe: a plain SQLite scan for the name, reading the four fields of the match.
// Add, update and delete are timed with the tree reload that follows each of them.
//
// Usage: kx-bench-store [loadtree | loadtree:1000 | loadtree:10000 | loadtree:100000] [show]
//                       [edit]   (all of them when none is named)
#include "BenchDatabase.h"
#include "BenchStats.h"
#include "platform/vb/ListBox.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/Strings.h"
#include "platform/vb/TextBox.h"
#include "platform/vb/TreeView.h"
#include "store/RecipeBas.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <sqlite3.h>

#include <cstdio>
#include <stdexcept>

using bench::Figure;

namespace {

constexpr int TreeWidth = 233; // the tree's size in the main window
constexpr int TreeHeight = 369;

void check(bool ok, const char *what)
{
    if (!ok)
        throw std::runtime_error(what);
}

void settle()
{
    // What the user waits for includes the tree's layout and first paint.
    QCoreApplication::processEvents();
}

// The routines' controls as the main window has them, without the window around them.
struct Controls
{
    vb::TreeView tree;
    vb::ListBox list;
    vb::ImageList images;
    vb::LineTextBox text1, text2;
    vb::MemoTextBox text3, text4;
    RecipeBas::View view;

    explicit Controls(const QString &folder)
    {
        for (int i = 0; i < 4; ++i) {
            QPixmap p(16, 16);
            p.fill(QColor::fromHsv(i * 60, 200, 200));
            images.Add(p);
        }
        view = {&tree, &list, &images, &text1, &text2, &text3, &text4};
        RecipeBas::view = &view;
        RecipeBas::DataPath = QDir(folder).filePath(QStringLiteral("Recipe"));
        tree.resize(TreeWidth, TreeHeight);
        tree.show();
    }
    ~Controls()
    {
        RecipeBas::ResetState();
        RecipeBas::view = nullptr;
    }
    void setBoxes(const QString &a, const QString &b, const QString &c, const QString &d)
    {
        text1.SetText(a);
        text2.SetText(b);
        text3.SetText(c);
        text4.SetText(d);
    }
    int recipeNodes() const
    {
        const QTreeWidgetItem *root = tree.topLevelItem(0);
        int n = 0;
        for (int c = 0; root && c < root->childCount(); ++c)
            n += tree.ChildCount(root->child(c)); // without making the waiting ones
        return n;
    }
};

// --- the floors: SQLite's C API and a QTreeWidget, directly ----------------------------------

class SqliteFile
{
public:
    explicit SqliteFile(const QString &path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) !=
            SQLITE_OK)
            throw std::runtime_error("floor: cannot open the database");
    }
    ~SqliteFile() { sqlite3_close_v2(m_db); }
    SqliteFile(const SqliteFile &) = delete;
    SqliteFile &operator=(const SqliteFile &) = delete;

    sqlite3_stmt *prepare(const QString &sql)
    {
        sqlite3_stmt *stmt = nullptr;
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &stmt, nullptr) !=
            SQLITE_OK)
            throw std::runtime_error("floor: cannot prepare");
        return stmt;
    }

private:
    sqlite3 *m_db = nullptr;
};

QString columnText(sqlite3_stmt *stmt, int column)
{
    const void *data = sqlite3_column_text16(stmt, column);
    const int bytes = sqlite3_column_bytes16(stmt, column);
    return data ? QString(static_cast<const QChar *>(data), bytes / 2) : QString();
}

struct FloorTree
{
    QTreeWidget tree;
    QIcon root, category, recipe;

    explicit FloorTree(const vb::ImageList &images)
        : root(images.Picture(1)), category(images.Picture(2)), recipe(images.Picture(4))
    {
        category.addPixmap(images.Picture(3), QIcon::Selected);
        recipe.addPixmap(images.Picture(3), QIcon::Selected);
        tree.setHeaderHidden(true);
        tree.setUniformRowHeights(true);
        tree.resize(TreeWidth, TreeHeight);
        tree.show();
    }

    void load(const QString &path)
    {
        SqliteFile file(path);
        tree.setUpdatesEnabled(false);
        tree.clear();
        auto *top = new QTreeWidgetItem(QStringList(RecipeBas::RootText));
        top->setIcon(0, root);
        tree.addTopLevelItem(top);
        QTreeWidgetItem *last = top;
        sqlite3_stmt *tables = file.prepare(QStringLiteral(
            "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE '\\_kx\\_%' "
            "ESCAPE '\\' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name COLLATE "
            "NOCASE"));
        while (sqlite3_step(tables) == SQLITE_ROW) {
            const QString name = columnText(tables, 0);
            auto *node = new QTreeWidgetItem(QStringList(name));
            node->setIcon(0, category);
            top->addChild(node);
            last = node;
            sqlite3_stmt *names = file.prepare(QStringLiteral("SELECT Name FROM \"") + name +
                                               QStringLiteral("\" ORDER BY rowid"));
            QList<QTreeWidgetItem *> items;
            while (sqlite3_step(names) == SQLITE_ROW) {
                auto *item = new QTreeWidgetItem(QStringList(vb::Trim(columnText(names, 0))));
                item->setIcon(0, recipe);
                items.append(item);
            }
            sqlite3_finalize(names);
            node->addChildren(items);
            if (!items.isEmpty())
                last = items.last();
        }
        sqlite3_finalize(tables);
        tree.setUpdatesEnabled(true);
        for (QTreeWidgetItem *p = last->parent(); p; p = p->parent())
            p->setExpanded(true);
        tree.scrollToItem(last);
    }
};

// The four fields of the first record of that name, scanning from the first record.
bool floorShowRecipe(const QString &path, const QString &table, const QString &name,
                     QString fields[4])
{
    SqliteFile file(path);
    sqlite3_stmt *stmt =
        file.prepare(QStringLiteral("SELECT Name, Author, Ingredients, Instructions FROM \"") +
                     table + QStringLiteral("\" ORDER BY rowid"));
    bool found = false;
    while (!found && sqlite3_step(stmt) == SQLITE_ROW) {
        if (vb::Trim(columnText(stmt, 0)) == name) {
            for (int i = 0; i < 4; ++i)
                fields[i] = columnText(stmt, i);
            found = true;
        }
    }
    sqlite3_finalize(stmt);
    return found;
}

// --- the figures --------------------------------------------------------------------------

QString makeFolder(const QTemporaryDir &dir, const QString &name, int categories, int per)
{
    const QString folder = QDir(dir.path()).filePath(name);
    QDir().mkpath(folder);
    bench::makeDatabase(QDir(folder).filePath(QStringLiteral("Recipe.mdb")), categories, per);
    return folder;
}

QString count(int n)
{
    return QLocale(QLocale::English).toString(n);
}

void benchLoadTree(const QTemporaryDir &dir, int categories, int per, int reps)
{
    const QString folder =
        makeFolder(dir, QStringLiteral("tree-%1").arg(categories * per), categories, per);
    const QString file = QDir(folder).filePath(QStringLiteral("Recipe.mdb"));
    Controls controls(folder);
    FloorTree floorTree(controls.images);
    Figure ours, floor;
    for (int i = -1; i < reps; ++i) { // the first round warms up and is not counted
        const double a = bench::timeMs([&] {
            RecipeBas::LoadTree();
            settle();
        });
        const double b = bench::timeMs([&] {
            floorTree.load(file);
            settle();
        });
        check(controls.recipeNodes() == categories * per, "LoadTree missed recipes");
        if (i >= 0) {
            ours.add(a);
            floor.add(b);
        }
    }
    const QString name = QStringLiteral("LoadTree %1 (%2 × %3)")
                             .arg(count(categories * per), count(categories), count(per));
    bench::print(name, ours, QStringLiteral("ms"), &floor);
    bench::print(QStringLiteral("  floor: SQLite walk + QTreeWidget"), floor, QStringLiteral("ms"));
}

void benchShowRecipe(const QTemporaryDir &dir, int reps)
{
    const int per = 10000;
    const QString folder = makeFolder(dir, QStringLiteral("show"), 1, per);
    const QString file = QDir(folder).filePath(QStringLiteral("Recipe.mdb"));
    const QString category = bench::categoryName(0);
    const QString name = bench::recipeName(0, per - 1);
    Controls controls(folder);
    Figure ours, floor;
    for (int i = -1; i < reps; ++i) {
        controls.setBoxes(QString(), QString(), QString(), QString());
        const double a = bench::timeMs([&] { RecipeBas::ShowRecipe(category, name); });
        check(controls.text1.Text() == name + QLatin1Char(' '), "ShowRecipe did not find it");
        RecipeBas::CloseDataBase();
        QString fields[4];
        const double b =
            bench::timeMs([&] { check(floorShowRecipe(file, category, name, fields), "floor"); });
        if (i >= 0) {
            ours.add(a);
            floor.add(b);
        }
    }
    bench::print(QStringLiteral("ShowRecipe last of 10,000"), ours, QStringLiteral("ms"), &floor);
    bench::print(QStringLiteral("  floor: SQLite scan for the name"), floor, QStringLiteral("ms"));
}

void benchEdits(const QTemporaryDir &dir, int reps)
{
    const QString folder = makeFolder(dir, QStringLiteral("edit"), 100, 100);
    Controls controls(folder);
    vb::setDialogResponder([](const vb::DialogRequest &) { return vb::DialogAnswer{}; });
    const QString category = bench::categoryName(99);
    RecipeBas::LoadTree();
    Figure add, write, update, remove;
    for (int i = -1; i < reps; ++i) {
        const QString name = QStringLiteral("Bench dish %1").arg(i + 1);
        controls.setBoxes(name, QStringLiteral("Bench cook"), QStringLiteral("Salt"),
                          QStringLiteral("Stir."));
        // What saving a new recipe does: the record, then the whole tree.
        const double w = bench::timeMs([&] { RecipeBas::AddRecipe(category); });
        const double a = w + bench::timeMs([&] {
                             RecipeBas::LoadTree();
                             settle();
                         });
        check(controls.recipeNodes() == 10001, "AddRecipe did not add");
        controls.setBoxes(name, QStringLiteral("Another cook %1").arg(i), QStringLiteral("Pepper"),
                          QStringLiteral("Stir well."));
        bool found = false;
        const double u = bench::timeMs([&] {
            found = RecipeBas::UpdateRecipe(category, name);
            settle();
        });
        check(found, "UpdateRecipe did not find it");
        int deleted = 0;
        const double d = bench::timeMs([&] {
            deleted = RecipeBas::DeleteRecipe(category, name);
            settle();
        });
        check(deleted == 1 && controls.recipeNodes() == 10000, "DeleteRecipe did not delete");
        if (i >= 0) {
            add.add(a);
            write.add(w);
            update.add(u);
            remove.add(d);
        }
    }
    vb::setDialogResponder({});
    bench::print(QStringLiteral("AddRecipe + LoadTree, 10,000"), add, QStringLiteral("ms"));
    bench::print(QStringLiteral("  AddRecipe alone: one durable write"), write,
                 QStringLiteral("ms"));
    bench::print(QStringLiteral("UpdateRecipe (reloads), 10,000"), update, QStringLiteral("ms"));
    bench::print(QStringLiteral("DeleteRecipe (reloads), 10,000"), remove, QStringLiteral("ms"));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList wanted = app.arguments().mid(1);
    if (wanted.isEmpty())
        wanted = {QStringLiteral("loadtree"), QStringLiteral("show"), QStringLiteral("edit")};
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "kx-bench-store: no temporary folder\n");
        return 1;
    }
    try {
        const bool allTrees = wanted.contains(QStringLiteral("loadtree"));
        if (allTrees || wanted.contains(QStringLiteral("loadtree:1000")))
            benchLoadTree(dir, 10, 100, bench::reps(21));
        if (allTrees || wanted.contains(QStringLiteral("loadtree:10000")))
            benchLoadTree(dir, 100, 100, bench::reps(11));
        if (allTrees || wanted.contains(QStringLiteral("loadtree:100000")))
            benchLoadTree(dir, 100, 1000, bench::reps(7));
        if (wanted.contains(QStringLiteral("show")))
            benchShowRecipe(dir, bench::reps(21));
        if (wanted.contains(QStringLiteral("edit")))
            benchEdits(dir, bench::reps(9));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "kx-bench-store: %s\n", e.what());
        return 1;
    }
    return 0;
}
