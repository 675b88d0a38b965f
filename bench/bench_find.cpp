// kx-bench-find: the find index on 100,000 recipes of about 2.4 KB each, every figure against
// a floor measured in the same run on the same file:
// - one keystroke (Catalog::Find: the query, the count and up to 200 hits with their names and
//   snippets) for a common word, a rare word, two words and a one-letter prefix; the floor is
//   the same FTS5 queries (the count, stopped past 2,000, then the 200 first) through bare
//   SQLite statements;
// - making the index for a file without one (Catalog::EnsureIndex, in batches); the floor is a
//   bare FTS5 table of the same layout filled with the same text in one transaction, taken
//   before and after it;
// - add, update and delete through Catalog with the index, against the same writes on a copy of
//   the file without it, taken in turns (no tree reload in either);
// - the file's size with and without the index.
//
// Usage: kx-bench-find [RECIPES]   (100,000 when not given)
#include "BenchStats.h"
#include "platform/dao/DBEngine.h"
#include "platform/dao/TextFold.h"
#include "platform/dao/TextIndex.h"
#include "store/Catalog.h"
#include "store/RecipeBas.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <stdexcept>

using bench::Figure;

namespace {

constexpr int Categories = 100;
const QString Connect = QStringLiteral(";Pwd=") + RecipeBas::Password;

void check(bool ok, const char *what)
{
    if (!ok)
        throw std::runtime_error(what);
}

// A vocabulary where a few words are everywhere and most are rare, as in real recipes: word
// i of 6,000 is picked with a weight of about 1/(i+1).
class Words
{
public:
    Words()
    {
        const QStringList common = {QStringLiteral("salt"),    QStringLiteral("butter"),
                                    QStringLiteral("onion"),   QStringLiteral("stir"),
                                    QStringLiteral("minutes"), QStringLiteral("heat"),
                                    QStringLiteral("garlic"),  QStringLiteral("pepper"),
                                    QStringLiteral("oven"),    QStringLiteral("flour")};
        m_words = common;
        QRandomGenerator gen(7);
        while (m_words.size() < 6000) {
            QString w;
            const int len = 3 + int(gen.bounded(7));
            for (int i = 0; i < len; ++i)
                w += QChar(u'a' + gen.bounded(26));
            m_words.append(w);
        }
        double total = 0;
        for (int i = 0; i < m_words.size(); ++i)
            m_cumulative.append(total += 1.0 / (i + 1));
    }
    QString pick(QRandomGenerator &gen) const
    {
        const double x = gen.generateDouble() * m_cumulative.last();
        const auto it = std::lower_bound(m_cumulative.cbegin(), m_cumulative.cend(), x);
        return m_words[int(it - m_cumulative.cbegin())];
    }
    QString text(QRandomGenerator &gen, int chars) const
    {
        QString out;
        while (out.size() < chars)
            out +=
                pick(gen) + (gen.bounded(12) == 0 ? QStringLiteral(".\r\n") : QStringLiteral(" "));
        return out;
    }
    QString rare() const { return m_words[5990]; }

private:
    QStringList m_words;
    QList<double> m_cumulative;
};

// The file, made through the engine without the index: as a file made before there was one.
void makeFile(const QString &path, int recipes)
{
    const Words words;
    QRandomGenerator gen(42);
    auto db = dao::DBEngine::CreateDatabase(path, RecipeBas::Password);
    dao::TextIndex::Drop(*db);
    db->BeginTrans();
    for (int c = 0; c < Categories; ++c) {
        const QString category = QStringLiteral("Category %1").arg(c + 1, 3, 10, QLatin1Char('0'));
        RecipeBas::AppendCategoryTable(*db, category);
        auto rs = db->OpenRecordset(category);
        for (int r = c; r < recipes; r += Categories) {
            rs->AddNew();
            rs->Fields(0).setValue(words.pick(gen) + QLatin1Char(' ') + words.pick(gen) +
                                   QStringLiteral(" %1 ").arg(r));
            rs->Fields(1).setValue(QStringLiteral("Cook %1 ").arg(r % 37));
            rs->Fields(2).setValue(words.text(gen, 700) + QLatin1Char(' '));
            rs->Fields(3).setValue(words.text(gen, 1600) + QLatin1Char(' '));
            rs->Update();
        }
    }
    db->CommitTrans();
    db->Close();
}

class SqliteFile
{
public:
    explicit SqliteFile(const QString &path)
    {
        check(sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) ==
                  SQLITE_OK,
              "floor: cannot open the database");
    }
    ~SqliteFile() { sqlite3_close_v2(m_db); }
    SqliteFile(const SqliteFile &) = delete;
    SqliteFile &operator=(const SqliteFile &) = delete;
    void exec(const char *sql)
    {
        check(sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK, sql);
    }
    sqlite3_stmt *prepare(const char *sql)
    {
        sqlite3_stmt *stmt = nullptr;
        check(sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr) == SQLITE_OK, sql);
        return stmt;
    }
    sqlite3 *db() const { return m_db; }

private:
    sqlite3 *m_db = nullptr;
};

// The floor of the build: the same text, as the index takes it, into a bare FTS5 table of the
// same layout, in one transaction.
double floorBuild(const QString &path)
{
    SqliteFile file(path);
    const auto fold = [](sqlite3_context *ctx, int, sqlite3_value **argv) {
        const void *text = sqlite3_value_text16(argv[0]);
        const QString in =
            text ? QString(static_cast<const QChar *>(text), sqlite3_value_bytes16(argv[0]) / 2)
                 : QString();
        const QString out = dao::TextForIndex(in);
        sqlite3_result_text16(ctx, out.utf16(), int(out.size() * 2), SQLITE_TRANSIENT);
    };
    sqlite3_create_function(file.db(), "fold", 1, SQLITE_UTF16, nullptr, fold, nullptr, nullptr);
    return bench::timeMs([&] {
        file.exec("BEGIN");
        file.exec("CREATE VIRTUAL TABLE floor_fts USING fts5(f0, f1, f2, f3, tbl, content='', "
                  "tokenize='unicode61 remove_diacritics 2', prefix='1 2')");
        for (int c = 0; c < Categories; ++c) {
            const QByteArray table =
                QStringLiteral("Category %1").arg(c + 1, 3, 10, QLatin1Char('0')).toUtf8();
            const QByteArray sql = "INSERT INTO floor_fts (rowid, f0, f1, f2, f3, tbl) SELECT " +
                                   QByteArray::number(c) +
                                   " * 1000000 + rowid, fold(Name), fold(Author), "
                                   "fold(Ingredients), fold(Instructions), '" +
                                   table + "' FROM \"" + table + "\"";
            file.exec(sql.constData());
        }
        file.exec("COMMIT");
    });
}

void dropFloor(const QString &path)
{
    SqliteFile file(path);
    file.exec("DROP TABLE floor_fts");
}

// The floor of a keystroke: the count, stopped past 2,000, and the 200 first entries in the
// same order (ranked when 2,000 or fewer match, else the newest), through bare statements.
double floorKeystroke(SqliteFile &file, const QString &match)
{
    const QByteArray expr = match.toUtf8();
    return bench::timeMs([&] {
        sqlite3_stmt *count = file.prepare(
            "SELECT count(*) FROM (SELECT 1 FROM _kx_find WHERE _kx_find MATCH ?1 LIMIT 2001)");
        sqlite3_bind_text(count, 1, expr.constData(), int(expr.size()), SQLITE_STATIC);
        check(sqlite3_step(count) == SQLITE_ROW, "floor: count");
        const bool ranked = sqlite3_column_int64(count, 0) <= 2000;
        sqlite3_finalize(count);
        sqlite3_stmt *hits = file.prepare(
            ranked ? "SELECT rowid FROM _kx_find WHERE _kx_find MATCH ?1 ORDER BY "
                     "bm25(_kx_find, 10.0, 4.0, 1.0, 1.0, 4.0) LIMIT 200"
                   : "SELECT rowid FROM _kx_find WHERE _kx_find MATCH ?1 ORDER BY rowid DESC "
                     "LIMIT 200");
        sqlite3_bind_text(hits, 1, expr.constData(), int(expr.size()), SQLITE_STATIC);
        while (sqlite3_step(hits) == SQLITE_ROW) {
        }
        sqlite3_finalize(hits);
    });
}

QString count(qint64 n)
{
    return QLocale(QLocale::English).toString(n);
}

void benchKeystrokes(const QString &path, int reps)
{
    const Words words;
    const QList<QPair<QString, QString>> queries = {
        {QStringLiteral("common word"), QStringLiteral("salt ")},
        {QStringLiteral("rare word"), words.rare() + QLatin1Char(' ')},
        {QStringLiteral("two words"), QStringLiteral("garlic oven ")},
        {QStringLiteral("one-letter prefix"), QStringLiteral("s")},
    };
    auto db = dao::DBEngine::OpenDatabase(path, false, false, Connect);
    SqliteFile file(path);
    for (const auto &[label, query] : queries) {
        Figure ours, floor;
        int total = 0;
        bool more = false;
        for (int i = -1; i < reps; ++i) {
            const double a = bench::timeMs([&] {
                const Catalog::Found found = Catalog::Find(*db, query);
                total = found.total;
                more = found.more;
            });
            const double b = floorKeystroke(file, Catalog::MatchExpression(query));
            if (i >= 0) {
                ours.add(a);
                floor.add(b);
            }
        }
        check(total > 0, "the query found nothing");
        bench::print(QStringLiteral("Find, one keystroke: %1 (%2%3 hits, target <= 10)")
                         .arg(label, more ? QStringLiteral("> ") : QString(), count(total)),
                     ours, QStringLiteral("ms"), &floor);
        bench::print(QStringLiteral("  floor: bare FTS5 count to 2,001 + 200 best"), floor,
                     QStringLiteral("ms"));
    }
}

struct Writes
{
    Figure add, update, remove;
};

// One add, update and delete of a small recipe in a category of the file.
void writeOnce(dao::Database &db, int i, Writes &w, bool keep)
{
    const QString category = QStringLiteral("Category 050");
    Catalog::Recipe recipe{{},
                           QStringLiteral("Bench dish %1").arg(i),
                           QStringLiteral("Cook"),
                           QStringLiteral("2 cups flour, 1 pinch salt"),
                           QStringLiteral("Stir and bake for twenty minutes.")};
    const double a = bench::timeMs([&] { recipe.id = Catalog::Add(db, category, recipe); });
    recipe.instructions = QStringLiteral("Stir well and bake for half an hour.");
    const double u = bench::timeMs([&] { Catalog::Update(db, recipe); });
    const double d = bench::timeMs([&] { Catalog::Remove(db, recipe.id); });
    if (keep) {
        w.add.add(a);
        w.update.add(u);
        w.remove.add(d);
    }
}

// The writes on the file with the index and on its copy without, taken in turns (which one
// goes first alternates), so that both see the disk in the same mood: a durable write's time
// drifts by half between one minute and the next on a shared machine.
void timeWrites(const QString &withIndex, const QString &withoutIndex, int reps, Writes *with,
                Writes *without)
{
    auto a = dao::DBEngine::OpenDatabase(withIndex, false, false, Connect);
    auto b = dao::DBEngine::OpenDatabase(withoutIndex, false, false, Connect);
    check(Catalog::IndexStatus(*a) == Catalog::IndexState::Current &&
              Catalog::IndexStatus(*b) == Catalog::IndexState::Missing,
          "the write floor's file has an index, or the measured one lacks it");
    for (int i = -1; i < reps; ++i) {
        const bool first = i % 2 == 0;
        writeOnce(first ? *a : *b, i, first ? *with : *without, i >= 0);
        writeOnce(first ? *b : *a, i, first ? *without : *with, i >= 0);
    }
}

void printWrites(const Writes &with, const Writes &without)
{
    const QString ms = QStringLiteral("ms");
    bench::print(QStringLiteral("Catalog::Add with the index"), with.add, ms, &without.add);
    bench::print(QStringLiteral("  floor: the same without it"), without.add, ms);
    bench::print(QStringLiteral("Catalog::Update with the index"), with.update, ms,
                 &without.update);
    bench::print(QStringLiteral("  floor: the same without it"), without.update, ms);
    bench::print(QStringLiteral("Catalog::Remove with the index"), with.remove, ms,
                 &without.remove);
    bench::print(QStringLiteral("  floor: the same without it"), without.remove, ms);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int recipes = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    if (!dir.isValid() || recipes < Categories) {
        std::fprintf(stderr, "kx-bench-find: no temporary folder, or fewer than 100 recipes\n");
        return 1;
    }
    try {
        const QString path = QDir(dir.path()).filePath(QStringLiteral("Recipe.mdb"));
        makeFile(path, recipes);
        const qint64 sizeWithout = QFileInfo(path).size();
        // The file as it was, for the writes without the index.
        const QString plainPath = QDir(dir.path()).filePath(QStringLiteral("Plain.mdb"));
        check(QFile::copy(path, plainPath), "cannot copy the file");

        // The floor is taken before and after the build, on a copy and then beside the index:
        // one build takes half a minute, and the machine's pace drifts more than that.
        Figure build, floor;
        const QString floorPath = QDir(dir.path()).filePath(QStringLiteral("Floor.mdb"));
        check(QFile::copy(path, floorPath), "cannot copy the file");
        floor.add(floorBuild(floorPath));
        QFile::remove(floorPath);
        {
            auto db = dao::DBEngine::OpenDatabase(path, false, false, Connect);
            build.add(bench::timeMs([&] { check(Catalog::EnsureIndex(*db), "EnsureIndex"); }));
        }
        const qint64 sizeWith = QFileInfo(path).size();
        floor.add(floorBuild(path));
        dropFloor(path);
        const QString n = count(recipes);
        bench::print(QStringLiteral("EnsureIndex, %1 recipes").arg(n), build, QStringLiteral("ms"),
                     &floor);
        bench::print(QStringLiteral("  floor: bare FTS5 build, one transaction, before and after"),
                     floor, QStringLiteral("ms"));
        std::printf("File size, %s recipes: %.1f MB without the index, %.1f MB with it (%.2f ×)\n",
                    qPrintable(n), sizeWithout / 1e6, sizeWith / 1e6,
                    double(sizeWith) / double(sizeWithout));

        benchKeystrokes(path, bench::reps(21));
        Writes with, plain;
        timeWrites(path, plainPath, bench::reps(15), &with, &plain);
        printWrites(with, plain);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "kx-bench-find: %s\n", e.what());
        return 1;
    }
    return 0;
}
