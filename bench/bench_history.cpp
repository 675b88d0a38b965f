// kx-bench-history: what keeping the undo history costs. The same database of 10,000 recipes
// twice, one with a history and one without; on each, a recipe added, saved after editing and
// deleted, each a durable write of its own, and an import-like batch of 2,000 recipes in one
// transaction. The figures with the history are given against those without it (the floor),
// taken in turns so that the machine's load weighs on both alike.
//
// Usage: kx-bench-history
#include "BenchDatabase.h"
#include "BenchStats.h"
#include "platform/dao/DBEngine.h"
#include "platform/dao/History.h"
#include "store/Catalog.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <array>
#include <cstdio>
#include <exception>

using bench::Figure;

namespace {

constexpr int Categories = 100;
constexpr int PerCategory = 100;
constexpr int Batch = 2000;

struct Figures
{
    Figure add, update, remove, batch;
};

std::unique_ptr<dao::Database> open(const QString &file)
{
    return dao::DBEngine::OpenDatabase(file, false, false,
                                       QStringLiteral(";Pwd=") + bench::Password);
}

// One round on one file: add, edit and delete one recipe of each category in turn; the batch.
void round(dao::Database &db, int rep, Figures &f)
{
    const QString category = bench::categoryName(rep % Categories);
    Catalog::Recipe recipe{{},
                           QStringLiteral("Bench dish %1").arg(rep),
                           QStringLiteral("Bench cook"),
                           QStringLiteral("Salt, pepper, %1 onions").arg(rep),
                           QStringLiteral("Stir. Simmer for an hour.")};
    f.add.add(bench::timeMs([&] { recipe.id = Catalog::Add(db, category, recipe); }));
    recipe.author = QStringLiteral("Another cook");
    f.update.add(bench::timeMs([&] { Catalog::Update(db, recipe); }));
    // An old recipe goes, text and all.
    const Catalog::RecipeId old = Catalog::Recipes(db, category).first().id;
    f.remove.add(bench::timeMs([&] { Catalog::Remove(db, old); }));
    f.batch.add(bench::timeMs([&] {
        db.BeginTrans();
        for (int i = 0; i < Batch; ++i)
            Catalog::Add(db, category,
                         {{},
                          QStringLiteral("Batch %1").arg(i),
                          QStringLiteral("Importer"),
                          QStringLiteral("Flour, water, salt, yeast"),
                          QStringLiteral("Knead, rest, bake at 220 degrees.")});
        db.CommitTrans();
    }));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    try {
        QTemporaryDir dir;
        const std::array<QString, 2> files = {
            QDir(dir.path()).filePath(QStringLiteral("bare.mdb")),
            QDir(dir.path()).filePath(QStringLiteral("kept.mdb"))};
        for (const QString &file : files)
            bench::makeDatabase(file, Categories, PerCategory);
        auto bare = open(files[0]);
        auto kept = open(files[1]);
        dao::History::Ensure(*kept);
        std::array<Figures, 2> figures;
        const int reps = bench::reps(15);
        for (int rep = 0; rep < reps; ++rep) {
            round(*bare, rep, figures[0]);
            round(*kept, rep, figures[1]);
        }
        if (!dao::History::CanUndo(*kept) || dao::History::CanUndo(*bare))
            throw std::runtime_error("the history was not kept where it should be");
        const auto show = [&](const char *what, Figure Figures::*figure) {
            bench::print(QStringLiteral("%1 with history, 10,000").arg(QLatin1String(what)),
                         figures[1].*figure, QStringLiteral("ms"), &(figures[0].*figure));
            bench::print(QStringLiteral("  floor: without history"), figures[0].*figure,
                         QStringLiteral("ms"));
        };
        show("add", &Figures::add);
        show("update", &Figures::update);
        show("delete", &Figures::remove);
        show("import of 2,000 in one transaction", &Figures::batch);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "kx-bench-history: %s\n", e.what());
        return 1;
    }
    return 0;
}
