// Categories: a category is a table of its own. Creating one makes an empty table with the four
// recipe fields; deleting one drops the table with every recipe in it.
#include "RecipeBas.h"

#include "Backup.h"
#include "platform/vb/MsgBox.h"

namespace RecipeBas {

namespace {

// The tree tells its nodes apart by key in lower case, the root's key "AB" among them. A
// category it could not tell from the root or from another category would keep the whole
// tree from loading ever after, so such a name is refused before any table is made.
void refuseNameTheTreeCannotShow(dao::Database &database, const QString &name)
{
    const QString key = name.toLower();
    QString clash = key == RootKey.toLower() ? RootText : QString();
    for (const dao::TableDef &def : database.TableDefs()) {
        // Names equal without regard to case are the engine's to refuse, with its own reason.
        if (clash.isEmpty() && def.Name().toLower() == key &&
            QString::compare(def.Name(), name, Qt::CaseInsensitive) != 0)
            clash = def.Name();
    }
    if (!clash.isEmpty())
        throw dao::Error(dao::errInvalidName,
                         QStringLiteral("The name \"%1\" cannot be told apart from \"%2\" in the "
                                        "tree of recipes. Please choose another name.")
                             .arg(name, clash));
}

} // namespace

void AppendCategoryTable(dao::Database &db, const QString &name)
{
    dao::TableDef def = db.CreateTableDef(name);
    def.Fields().Append(def.CreateField(QStringLiteral("Name"), dao::dbText));
    def.Fields().Append(def.CreateField(QStringLiteral("Author"), dao::dbText));
    def.Fields().Append(def.CreateField(QStringLiteral("Ingredients"), dao::dbMemo));
    def.Fields().Append(def.CreateField(QStringLiteral("Instructions"), dao::dbMemo));
    db.TableDefs().Append(def);
}

void CreateCategory()
{
    NewCategoryName = vb::InputBox(QStringLiteral("Enter a Name For New Category"),
                                   QStringLiteral("Create New Category"));
    if (NewCategoryName.isEmpty())
        return;

    // A database object of its own: db is not touched. The name is used exactly as typed; the
    // engine refuses a name it cannot take (taken, too long, reserved...) with the reason, and
    // then no table is made.
    auto local = dao::DBEngine::OpenDatabase(DataPath, false, false, ConnectString);
    refuseNameTheTreeCannotShow(*local, NewCategoryName);
    KeepBackupBeforeChange();
    AppendCategoryTable(*local, NewCategoryName);
    local->Close();

    vb::MsgBox(NewCategoryName + QStringLiteral(" Category Created"));
    LoadTree();
}

void DeleteCategory(const QString &name)
{
    // The selection outlives its category (it is kept after a deletion): a category that is
    // gone is said to be gone before the user is asked to confirm deleting it.
    OpenRecipeDataBase();
    db->TableDefs().Item(name);
    CloseDataBase();

    const QString question = QStringLiteral("This will Delete Category ") + QLatin1Char('"') +
                             name + QLatin1Char('"') + QStringLiteral("\r\n") +
                             QStringLiteral("All of It's Recipes") + QStringLiteral("\r\n") +
                             QStringLiteral("Do you want to continue ?");
    if (vb::MsgBox(question, vb::vbYesNo + vb::vbCritical + vb::vbDefaultButton2,
                   QStringLiteral("Warnning")) != vb::vbYes)
        return;

    OpenRecipeDataBase();
    KeepBackupBeforeChange();
    db->TableDefs().Delete(name);
    CloseDataBase();
    LoadTree();
    vb::MsgBox(QStringLiteral("Category ") + SelectedCategory + QStringLiteral(" Has Been Deleted"));
}

} // namespace RecipeBas
