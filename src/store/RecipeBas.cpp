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
qint64 CurrentRow = 0;
QString SelectedCategory;
QString NewCategoryName;

namespace {
QString g_offeredPath;
std::unique_ptr<dao::Database> g_offered;
std::unique_ptr<TreeReads> g_offeredReads;
} // namespace

namespace {
// The reads that came with the database OpenRecipeDataBase took last, for the load that
// opened it; any later open or close drops them.
std::unique_ptr<TreeReads> g_readsOfOpenDatabase;
} // namespace

std::unique_ptr<TreeReads> TakeOfferedTreeReads()
{
    return std::move(g_readsOfOpenDatabase);
}

QString StoredText(const QString &boxText)
{
    return vb::Trim(boxText) + QLatin1Char(' ');
}

const QStringList &SystemTables()
{
    static const QStringList systemTables = {
        QStringLiteral("MSysACEs"),          QStringLiteral("MSysModules"),
        QStringLiteral("MSysModules2"),      QStringLiteral("MSysObjects"),
        QStringLiteral("MSysQueries"),       QStringLiteral("MSysRelationships"),
        QStringLiteral("MSysAccessObjects"),
    };
    return systemTables;
}

bool IsSystemTable(const QString &name)
{
    return SystemTables().contains(name, Qt::CaseSensitive);
}

void OpenRecipeDataBase()
{
    std::unique_ptr<dao::Database> offered = std::move(g_offered);
    std::unique_ptr<TreeReads> reads = std::move(g_offeredReads);
    g_readsOfOpenDatabase.reset();
    const bool forThis = g_offeredPath == DataPath;
    if (offered && forThis) {
        db = std::move(offered);
        g_readsOfOpenDatabase = std::move(reads);
        return;
    }
    offered.reset();
    // The database held before is released by the assignment.
    db = dao::DBEngine::OpenDatabase(DataPath, false, false, ConnectString);
    if (forThis)
        g_readsOfOpenDatabase = std::move(reads);
}

void OfferOpenDatabase(const QString &dataPath, std::unique_ptr<dao::Database> database,
                       std::unique_ptr<TreeReads> reads)
{
    g_offeredPath = dataPath;
    g_offered = std::move(database);
    g_offeredReads = std::move(reads);
}

void CloseDataBase()
{
    g_readsOfOpenDatabase.reset();
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
    g_offeredReads.reset();
    CloseDataBase();
    DataPath.clear();
    CurrentRecipe.clear();
    CurrentCategory.clear();
    CurrentRow = 0;
    SelectedCategory.clear();
    NewCategoryName.clear();
}

} // namespace RecipeBas
