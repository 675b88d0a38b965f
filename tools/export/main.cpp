// kitchenex-export DATABASE.mdb OUTPUT [--json] [--category NAME [--row ROW]]
//
// Writes the recipes of a recipe database, of one category or one recipe of it, to a
// Meal-Master file (the default) or a schema.org JSON file. OUTPUT is written whole or not at
// all; "-" writes to the standard output.

#include "store/Export.h"
#include "store/RecipeBas.h"

#include "platform/dao/DBEngine.h"
#include "platform/dao/Error.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QStringList>

#include "ToolOutput.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    Export::Format format = Export::Format::MealMaster;
    Export::Selection selection;
    QStringList paths;
    bool ok = true;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--json"))
            format = Export::Format::Json;
        else if (args[i] == QLatin1String("--category") && i + 1 < args.size())
            selection.category = args[++i];
        else if (args[i] == QLatin1String("--row") && i + 1 < args.size())
            selection.recipe = args[++i].toLongLong(&ok);
        else
            paths << args[i];
    }
    if (paths.size() != 2 || !ok || (selection.recipe && selection.category.isEmpty())) {
        print(stderr, QStringLiteral("usage: kitchenex-export DATABASE.mdb OUTPUT [--json] "
                                     "[--category NAME [--row ROW]]\n"
                                     "Writes recipes as Meal-Master text, or schema.org JSON "
                                     "with --json; OUTPUT - is the standard output."));
        return 2;
    }
    try {
        auto db = dao::DBEngine::OpenDatabase(paths[0], false, true, RecipeBas::ConnectString);
        qint64 count = 0;
        if (paths[1] == QLatin1String("-")) {
            QFile out;
            out.open(stdout, QIODevice::WriteOnly);
            count = Export::Write(*db, out, format, selection);
        } else {
            QSaveFile out(paths[1]);
            if (!out.open(QIODevice::WriteOnly))
                throw dao::Error(dao::errEngine,
                                 paths[1] + QStringLiteral(": ") + out.errorString());
            count = Export::Write(*db, out, format, selection);
            if (count < 0 || !out.commit())
                throw dao::Error(dao::errEngine,
                                 paths[1] + QStringLiteral(": ") + out.errorString());
        }
        if (count < 0)
            throw dao::Error(dao::errEngine, QStringLiteral("the output could not be written"));
        print(stderr, QStringLiteral("%1 recipes exported.").arg(count));
        return 0;
    } catch (const dao::Error &e) {
        print(stderr, QStringLiteral("kitchenex-export: ") + e.message());
        return 1;
    }
}
