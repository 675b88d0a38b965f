#include "BenchDatabase.h"

#include "platform/dao/DBEngine.h"

namespace bench {

QString categoryName(int category)
{
    return QStringLiteral("Category %1").arg(category + 1, 3, 10, QLatin1Char('0'));
}

QString recipeName(int category, int recipe)
{
    return QStringLiteral("Dish %1-%2")
        .arg(category + 1, 3, 10, QLatin1Char('0'))
        .arg(recipe + 1, 5, 10, QLatin1Char('0'));
}

void makeDatabase(const QString &path, int categories, int recipesPerCategory)
{
    const QString ingredients = QStringLiteral(
        "2 cups flour\r\n1 cup milk\r\n2 eggs\r\n1 tablespoon butter\r\n1 pinch salt\r\n"
        "100 g grated cheese");
    const QString instructions = QStringLiteral(
        "Beat the eggs with the milk, add the flour a little at a time and stir until smooth. "
        "Let it rest for half an hour. Melt the butter in a wide pan, pour in a ladle of the "
        "batter and cook until golden on both sides. Sprinkle with the cheese and serve hot.");
    auto db = dao::DBEngine::CreateDatabase(path, Password);
    db->BeginTrans();
    for (int c = 0; c < categories; ++c) {
        dao::TableDef def = db->CreateTableDef(categoryName(c));
        def.Fields().Append(def.CreateField(QStringLiteral("Name"), dao::dbText));
        def.Fields().Append(def.CreateField(QStringLiteral("Author"), dao::dbText));
        def.Fields().Append(def.CreateField(QStringLiteral("Ingredients"), dao::dbMemo));
        def.Fields().Append(def.CreateField(QStringLiteral("Instructions"), dao::dbMemo));
        db->TableDefs().Append(def);
        auto rs = db->OpenRecordset(categoryName(c));
        for (int r = 0; r < recipesPerCategory; ++r) {
            rs->AddNew();
            rs->Fields(0).setValue(recipeName(c, r) + QLatin1Char(' '));
            rs->Fields(1).setValue(QStringLiteral("Cook %1 ").arg(r % 37));
            rs->Fields(2).setValue(ingredients + QLatin1Char(' '));
            rs->Fields(3).setValue(instructions + QLatin1Char(' '));
            rs->Update();
        }
        rs->Close();
    }
    db->CommitTrans();
    db->Close();
}

} // namespace bench
