// Import and export of a large Meal-Master file: 100,000 generated recipes (about 30 MB, in
// both column layouts) imported into an empty category end to end, beside the floor of the
// same rows inserted through one bare prepared statement in one transaction; the export of
// them back to Meal-Master; and the peak memory of the import, measured in a process of its
// own so that nothing else counts.

#include "BenchStats.h"

#include "formats/RecipeReader.h"
#include "platform/dao/DBEngine.h"
#include "platform/dao/TextIndex.h"
#include "store/Catalog.h"
#include "store/Export.h"
#include "store/Import.h"
#include "store/RecipeBas.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <sys/resource.h>

#include <cstdio>

namespace {

constexpr int Recipes = 100000;
const QString Target = QStringLiteral("Imported");

// A recipe of everyday length; every other one with its ingredients in two columns.
QByteArray Generated(int n)
{
    static const char *const Names[] = {"flour", "sugar", "butter, softened", "eggs",
                                        "milk",  "salt",  "baking powder",    "vanilla extract"};
    static const char *const Units[] = {"c ", "tb", "ts", "lb", "oz", "  "};
    QByteArray r =
        "MMMMM----- Recipe via Meal-Master (tm) v8.05\r\n\r\n      Title: Recipe number " +
        QByteArray::number(n) +
        "\r\n Categories: Baking, Desserts\r\n      Yield: " + QByteArray::number(n % 12 + 1) +
        " servings\r\n\r\n";
    const int count = 3 + n % 5;
    for (int i = 0; i < count; ++i) {
        QByteArray line = QByteArray::number(i % 3 + 1).rightJustified(7) + ' ' +
                          Units[(n + i) % 6] + ' ' + Names[(n + i) % 8];
        if (n % 2 == 1 && i + 1 < count) {
            ++i;
            line = line.leftJustified(40) + QByteArray::number(i % 4 + 1).rightJustified(7) + ' ' +
                   Units[(n + i) % 6] + ' ' + Names[(n + i) % 8];
        }
        r += line + "\r\n";
    }
    r += "\r\n  Mix well and bake for " + QByteArray::number(20 + n % 25) +
         " minutes.\r\n\r\nMMMMM\r\n\r\n";
    return r;
}

// The peak memory and the processor time of this process: on a machine shared with others,
// the time the import waited for a processor is no time of its own.
qint64 PeakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double CpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// An empty recipe file with the target category; without its find index where asked, to
// show what keeping the index in step costs.
std::unique_ptr<dao::Database> EmptyDatabase(const QString &path, bool index = true)
{
    dao::DBEngine::CreateDatabase(path, RecipeBas::Password)->Close();
    auto db = dao::DBEngine::OpenDatabase(path, false, false, RecipeBas::ConnectString);
    if (!index)
        dao::TextIndex::Drop(*db);
    RecipeBas::AppendCategoryTable(*db, Target);
    return db;
}

// The floor: the rows the import stores, inserted with one prepared statement.
double FloorMs(const QString &file, const QString &dbPath)
{
    EmptyDatabase(dbPath)->Close();
    QFile in(file);
    in.open(QIODevice::ReadOnly);
    auto reader = formats::OpenReader(in, formats::DetectFormat(in));
    QList<formats::FormatRecipe> rows;
    formats::ReadEntry e;
    while (reader->next(e))
        rows << e.recipe;
    sqlite3 *db = nullptr;
    sqlite3_open(dbPath.toUtf8().constData(), &db);
    const double ms = bench::timeMs([&] {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt *insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO \"Imported\" VALUES (?, ?, ?, ?)", -1, &insert,
                           nullptr);
        for (const formats::FormatRecipe &r : rows) {
            const QString fields[4] = {r.name, r.author, r.ingredients, r.instructions};
            for (int i = 0; i < 4; ++i) {
                const QByteArray value = RecipeBas::StoredText(fields[i]).toUtf8();
                sqlite3_bind_text(insert, i + 1, value.constData(), int(value.size()),
                                  SQLITE_TRANSIENT);
            }
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    });
    sqlite3_close(db);
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    // The child: one import, then its peak memory.
    if (args.size() == 4 && args[1] == QLatin1String("--import")) {
        RecipeBas::DataPath = args[3].chopped(4);
        const Import::Report report = Import::ImportFiles({args[2]}, {Target, false});
        std::printf("%d %lld %.0f\n", report.imported, static_cast<long long>(PeakKiB()), CpuMs());
        return report.ok ? 0 : 1;
    }

    if (args.size() == 3 && args[1] == QLatin1String("--empty")) {
        EmptyDatabase(args[2])->Close();
        return 0;
    }
    QTemporaryDir dir;
    // --generate FILE: only the file, to look at or to import by hand.
    const bool generateOnly = args.size() == 3 && args[1] == QLatin1String("--generate");
    const QString file = generateOnly ? args[2] : dir.filePath(QStringLiteral("big.mmf"));
    {
        QFile out(file);
        out.open(QIODevice::WriteOnly);
        for (int n = 0; n < Recipes; ++n)
            out.write(Generated(n));
    }
    if (generateOnly)
        return 0;
    std::printf("import of %d Meal-Master recipes (%.1f MB, one and two columns)\n", Recipes,
                QFile(file).size() / 1e6);

    bench::Figure import, importCpu, noIndex, noIndexCpu, floor, exportMs, exportCpu, peak;
    for (int rep = 0; rep < 3; ++rep) {
        for (const bool index : {true, false}) {
            const QString path = dir.filePath(QStringLiteral("r%1%2.mdb").arg(rep).arg(index));
            EmptyDatabase(path, index)->Close();
            QProcess child;
            (index ? import : noIndex).add(bench::timeMs([&] {
                child.start(app.applicationFilePath(), {QStringLiteral("--import"), file, path});
                child.waitForFinished(-1);
            }));
            const QList<QByteArray> out = child.readAllStandardOutput().trimmed().split(' ');
            if (child.exitCode() != 0 || out.value(0).toInt() != Recipes) {
                std::fprintf(stderr, "the import failed: %s\n",
                             child.readAllStandardError().constData());
                return 1;
            }
            (index ? importCpu : noIndexCpu).add(out.value(2).toDouble());
            if (!index)
                continue;
            peak.add(out.value(1).toDouble() / 1024.0);
            auto db = dao::DBEngine::OpenDatabase(path, false, true, RecipeBas::ConnectString);
            QFile exported(dir.filePath(QStringLiteral("out.mmf")));
            exported.open(QIODevice::WriteOnly);
            const double cpuBefore = CpuMs();
            exportMs.add(bench::timeMs([&] {
                Export::Write(*db, exported, Export::Format::MealMaster, {Target, {}});
                exported.flush();
            }));
            exportCpu.add(CpuMs() - cpuBefore);
        }
        floor.add(FloorMs(file, dir.filePath(QStringLiteral("f%1.mdb").arg(rep))));
    }
    bench::print(QStringLiteral("import, end to end (target <= 10000)"), import,
                 QStringLiteral("ms"), &floor);
    bench::print(QStringLiteral("  its processor time"), importCpu, QStringLiteral("ms"));
    bench::print(QStringLiteral("  the same into a file without the find index"), noIndex,
                 QStringLiteral("ms"), &floor);
    bench::print(QStringLiteral("  its processor time"), noIndexCpu, QStringLiteral("ms"));
    bench::print(QStringLiteral("  floor: bare prepared statement, one transaction"), floor,
                 QStringLiteral("ms"));
    bench::print(QStringLiteral("export to Meal-Master (target <= 3000)"), exportMs,
                 QStringLiteral("ms"));
    bench::print(QStringLiteral("  its processor time"), exportCpu, QStringLiteral("ms"));
    bench::print(QStringLiteral("peak memory of the import (target < 150)"), peak,
                 QStringLiteral("MB"));
    return 0;
}
