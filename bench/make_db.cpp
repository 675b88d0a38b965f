// kx-bench-makedb PATH CATEGORIES RECIPES_PER_CATEGORY: a recipe database of that shape for
// the start-up and idle figures, made through the engine.
#include "BenchDatabase.h"
#include "platform/dao/Error.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool ok1 = false, ok2 = false;
    const int categories = args.size() == 4 ? args.at(2).toInt(&ok1) : 0;
    const int per = args.size() == 4 ? args.at(3).toInt(&ok2) : 0;
    if (!ok1 || !ok2 || categories < 0 || per < 0) {
        std::fprintf(stderr, "usage: kx-bench-makedb PATH CATEGORIES RECIPES_PER_CATEGORY\n");
        return 2;
    }
    try {
        bench::makeDatabase(args.at(1), categories, per);
    } catch (const dao::Error &e) {
        std::fprintf(stderr, "kx-bench-makedb: %s\n", e.message().toUtf8().constData());
        return 1;
    }
    return 0;
}
