// kitchenex-import FILE... [--into CATEGORY] [--own-categories] DATABASE.mdb
//
// Imports recipe files (Meal-Master, web pages and JSON with schema.org recipes, databases of
// the earlier Windows program) into a recipe database, and prints the report. The format of
// each file is told from its content. Exit code 0 when the import was made (recipes skipped
// or not), 1 when nothing could be written, 2 for a wrong command line.

#include "store/Import.h"
#include "store/RecipeBas.h"

#include <QCoreApplication>
#include <QStringList>

#include "ToolOutput.h"

namespace {

int usage()
{
    print(stderr,
          QStringLiteral("usage: kitchenex-import FILE... [--into CATEGORY] [--own-categories] "
                         "DATABASE.mdb\n"
                         "Imports Meal-Master files, web pages or JSON files with schema.org "
                         "recipes, and\nrecipe databases of the earlier Windows program.\n"
                         "  --into CATEGORY    the category the recipes go to (default "
                         "\"Imported\")\n"
                         "  --own-categories   each recipe to its own first category, made when "
                         "missing;\n"
                         "                     recipes without one go to the --into category"));
    return 2;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    Import::Options options;
    options.category = QStringLiteral("Imported");
    QStringList files;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--into") && i + 1 < args.size())
            options.category = args[++i];
        else if (args[i] == QLatin1String("--own-categories"))
            options.ownCategories = true;
        else if (args[i].startsWith(QLatin1String("--")))
            return usage();
        else
            files << args[i];
    }
    if (files.size() < 2 || !files.last().endsWith(QLatin1String(".mdb")))
        return usage();
    RecipeBas::DataPath = files.takeLast().chopped(4);
    const Import::Report report = Import::ImportFiles(files, options);
    print(report.ok ? stdout : stderr, report.text());
    return report.ok ? 0 : 1;
}
