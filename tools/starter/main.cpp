// kitchenex-make-starter TARGET: makes the starter recipe database a new user finds beside the
// program. Refuses to overwrite anything at TARGET.
#include "StarterRecipes.h"
#include "platform/dao/DBEngine.h"
#include "platform/dao/Error.h"
#include "store/RecipeBas.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() != 2) {
        err << "usage: kitchenex-make-starter TARGET.mdb\n";
        return 2;
    }
    const QString target = args.at(1);
    if (QFileInfo::exists(target)) {
        err << "kitchenex-make-starter: " << target << " exists; it is left as it is\n";
        return 1;
    }
    try {
        auto db = dao::DBEngine::CreateDatabase(target, RecipeBas::Password);
        for (const StarterCategory &category : starterCategories()) {
            RecipeBas::AppendCategoryTable(*db, category.name);
            auto rs = db->OpenRecordset(category.name);
            for (const StarterRecipe &recipe : category.recipes) {
                rs->AddNew();
                rs->Fields(0).setValue(recipe.name);
                rs->Fields(1).setValue(recipe.author);
                rs->Fields(2).setValue(recipe.ingredients);
                rs->Fields(3).setValue(recipe.instructions);
                rs->Update();
            }
            rs->Close();
        }
        db->Close();
    } catch (const dao::Error &e) {
        err << "kitchenex-make-starter: " << e.message() << "\n";
        return 1;
    }
    return 0;
}
