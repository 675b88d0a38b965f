// Rebuilding the tree from the database. The tree keeps nothing between loads: every load
// starts from an empty tree, so selection, expansion and scroll position are lost.
#include "RecipeBas.h"

#include "platform/vb/ListBox.h"
#include "platform/vb/ResumeNext.h"
#include "platform/vb/Strings.h"
#include "platform/vb/TreeView.h"

namespace RecipeBas {

namespace {

constexpr int RootImage = 1;
constexpr int CategoryImage = 2;
constexpr int SelectedImage = 3;
constexpr int RecipeImage = 4;

// Steps 1 to 4 of both loads: pictures, open, clear, root.
void startTree()
{
    view->Tv->SetImageList(view->ImageList1);
    OpenRecipeDataBase();
    view->Tv->Clear();
    view->Tv->AddRoot(RootKey, RootText, RootImage);
    view->Tv->EnsureVisible(view->Tv->LastAdded());
}

// The recipes of the category table open in rs, staged in List1 in stored order.
void stageRecipes()
{
    vb::ResumeNext([] { rs->MoveFirst(); });
    long count = 0;
    vb::ResumeNext([&count] { count = rs->RecordCount(); });
    QStringList names;
    names.reserve(count);
    for (long counter = 1; counter <= count; ++counter) {
        // The name with one blank appended and the blanks around it removed: that is the
        // name without its blanks, so the blank is never appended.
        vb::ResumeNext([&names] { names.append(vb::Trim(rs->Fields(0).Value().toString())); });
        vb::ResumeNext([] { rs->MoveNext(); });
    }
    view->List1->AddItems(names);
}

} // namespace

void LoadTree()
{
    startTree();
    vb::TreeView *tv = view->Tv;
    {
        // One read of the file for the whole load: it is locked once rather than at every
        // table, and the tree shows one state of the file even while another program writes.
        dao::ReadScope read(*db);
        tv->setUpdatesEnabled(false);
        // Until the first category's table is open, a failure ends the load; after that every
        // failure is skipped and the load always reaches its end and closes the database.
        bool ignoring = false;
        const auto step = [&ignoring](auto &&fn) {
            if (ignoring)
                vb::ResumeNext(fn);
            else
                fn();
        };
        try {
            const dao::TableDefCollection &defs = db->TableDefs();
            for (int i = 0; i < defs.Count(); ++i) {
                QString name;
                step([&] { name = defs[i].Name(); });
                if (IsSystemTable(name))
                    continue;
                step([&] {
                    tv->AddChild(RootKey, vb::NodeKind::Category, name, name, CategoryImage,
                                 SelectedImage);
                });
                // A table that cannot be opened shows as an empty category, never with the
                // recipes of the category before it.
                rs.reset();
                step([&] { rs = db->OpenRecordset(name); });
                ignoring = true;
                if (rs)
                    vb::ResumeNext([] { stageRecipes(); });
                vb::ResumeNext([&] {
                    tv->AddChildren(name, vb::NodeKind::Recipe, view->List1->Items(), RecipeImage,
                                    SelectedImage);
                });
                view->List1->Clear();
            }
        } catch (...) {
            tv->setUpdatesEnabled(true);
            throw;
        }
        tv->setUpdatesEnabled(true);
    }
    tv->EnsureVisible(tv->LastAdded());
    CloseDataBase();
}

void LoadCategoryTree()
{
    startTree();
    vb::TreeView *tv = view->Tv;
    for (const dao::TableDef &def : db->TableDefs()) {
        if (IsSystemTable(def.Name()))
            continue;
        tv->AddChild(RootKey, vb::NodeKind::Category, def.Name(), def.Name(), CategoryImage, 0);
    }
    tv->EnsureVisible(tv->LastAdded());
    CloseDataBase();
}

} // namespace RecipeBas
