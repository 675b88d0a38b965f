// kitchenex-import-jet SOURCE.mdb TARGET.mdb
//
// Converts a recipe database of the earlier Windows program (a Jet file, Access 97 to 2003)
// into a database of this program, the same way the program offers to at start-up. Refuses to
// write over an existing TARGET. Exit code 0 when the conversion was made.

#include "store/JetMigration.h"

#include <QCoreApplication>
#include <QStringList>

#include "ToolOutput.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2 || args.first().startsWith(QLatin1Char('-'))) {
        print(stderr, QStringLiteral("usage: kitchenex-import-jet SOURCE.mdb TARGET.mdb\n"
                                     "Converts a Kitchenex recipe database in Access (.mdb) "
                                     "format into a new TARGET.mdb;\nTARGET.mdb must not exist."));
        return 2;
    }
    const JetConversionReport report = convertJetDatabase(args.at(0), args.at(1));
    if (!report.ok) {
        print(stderr, QStringLiteral("kitchenex-import-jet: ") + report.text());
        return 1;
    }
    print(stdout, report.text());
    return 0;
}
