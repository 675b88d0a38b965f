#include "RecipeBas.h"

#include "platform/vb/ResumeNext.h"
#include "platform/vb/Strings.h"

#include <QStringList>

namespace RecipeBas {

View *view = nullptr;
QString DataPath;
std::unique_ptr<dao::Database> db;
std::unique_ptr<dao::Recordset> rs;
QString CurrentRecipe;
QString CurrentCategory;
QString SelectedCategory;
QString NewCategoryName;

namespace {
QString g_offeredPath;
std::unique_ptr<dao::Database> g_offered;
} // namespace

QString StoredText(const QString &boxText)
{
    return vb::Trim(boxText) + QLatin1Char(' ');
}

bool IsSystemTable(const QString &name)
{
    static const QStringList systemTables = {
        QStringLiteral("MSysACEs"),          QStringLiteral("MSysModules"),
        QStringLiteral("MSysModules2"),      QStringLiteral("MSysObjects"),
        QStringLiteral("MSysQueries"),       QStringLiteral("MSysRelationships"),
        QStringLiteral("MSysAccessObjects"),
    };
    return systemTables.contains(name, Qt::CaseSensitive);
}

void OpenRecipeDataBase()
{
    std::unique_ptr<dao::Database> offered = std::move(g_offered);
    if (offered && g_offeredPath == DataPath) {
        db = std::move(offered);
        return;
    }
    offered.reset();
    // The database held before is released by the assignment.
    db = dao::DBEngine::OpenDatabase(DataPath, false, false, ConnectString);
}

void OfferOpenDatabase(const QString &dataPath, std::unique_ptr<dao::Database> database)
{
    g_offeredPath = dataPath;
    g_offered = std::move(database);
}

void CloseDataBase()
{
    if (rs)
        vb::ResumeNext([] { rs->Close(); });
    if (db)
        vb::ResumeNext([] { db->Close(); });
    rs.reset();
    db.reset();
}

void ResetState()
{
    g_offered.reset();
    CloseDataBase();
    DataPath.clear();
    CurrentRecipe.clear();
    CurrentCategory.clear();
    SelectedCategory.clear();
    NewCategoryName.clear();
}

} // namespace RecipeBas
