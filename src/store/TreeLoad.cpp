// Rebuilding the tree from the database. The tree keeps nothing between loads: every load
// starts from an empty tree, so selection, expansion and scroll position are lost.
#include "RecipeBas.h"

#include "platform/vb/ListBox.h"
#include "platform/vb/ResumeNext.h"
#include "platform/vb/Strings.h"
#include "platform/vb/TreeView.h"

#include <optional>

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

// The names of the recipes of the category table open in records, in stored order, as the
// tree shows them, and the row of each. A step that fails is skipped.
QStringList recipeNames(dao::Recordset &records, QList<qint64> *rows)
{
    vb::ResumeNext([&records] { records.MoveFirst(); });
    long count = 0;
    vb::ResumeNext([&] { count = records.RecordCount(); });
    QStringList names;
    names.reserve(count);
    rows->reserve(count);
    for (long counter = 1; counter <= count; ++counter) {
        // The name with one blank appended and the blanks around it removed: that is the
        // name without its blanks, so the blank is never appended.
        vb::ResumeNext([&] {
            names.append(vb::Trim(records.Fields(0).Value().toString()));
            rows->append(records.Bookmark());
        });
        vb::ResumeNext([&records] { records.MoveNext(); });
    }
    return names;
}

// What the load reads, in the order it reads it: from the database as it goes, or given back
// from reads made ahead. Each answer raises what its read raised.
class Source
{
public:
    virtual ~Source() = default;
    virtual int count() = 0;
    virtual QString name(int index) = 0;
    // Opens the table of the category: raises when it cannot be opened.
    virtual void open(int index, const QString &name) = 0;
    // The names of the recipes of the table open last, when it opened.
    virtual bool isOpen() const = 0;
    virtual QStringList recipes(QList<qint64> *rows) = 0;
};

class DatabaseSource : public Source
{
public:
    int count() override { return db->TableDefs().Count(); }
    QString name(int index) override { return db->TableDefs()[index].Name(); }
    void open(int, const QString &name) override
    {
        rs.reset();
        rs = db->OpenRecordset(name);
    }
    bool isOpen() const override { return bool(rs); }
    QStringList recipes(QList<qint64> *rows) override { return recipeNames(*rs, rows); }
};

class AheadSource : public Source
{
public:
    explicit AheadSource(std::unique_ptr<TreeReads> reads) : m_reads(std::move(reads)) {}
    int count() override
    {
        if (m_reads->countFailure)
            std::rethrow_exception(m_reads->countFailure);
        return m_reads->count;
    }
    QString name(int index) override
    {
        const TreeReads::Table &t = m_reads->tables.at(index);
        if (t.nameFailure)
            std::rethrow_exception(t.nameFailure);
        return t.name;
    }
    void open(int index, const QString &) override
    {
        m_open = nullptr;
        const TreeReads::Table &t = m_reads->tables.at(index);
        if (t.openFailure)
            std::rethrow_exception(t.openFailure);
        m_open = &t;
    }
    bool isOpen() const override { return m_open != nullptr; }
    QStringList recipes(QList<qint64> *rows) override
    {
        *rows = m_open->rows;
        return m_open->recipes;
    }

private:
    std::unique_ptr<TreeReads> m_reads;
    const TreeReads::Table *m_open = nullptr;
};

} // namespace

std::unique_ptr<TreeReads> ReadTreeAhead(dao::Database &database)
{
    auto reads = std::make_unique<TreeReads>();
    dao::ReadScope read(database);
    try {
        reads->count = database.TableDefs().Count();
    } catch (...) {
        reads->countFailure = std::current_exception();
        return reads;
    }
    reads->tables.resize(reads->count);
    for (int i = 0; i < reads->count; ++i) {
        TreeReads::Table &t = reads->tables[i];
        try {
            t.name = database.TableDefs()[i].Name();
        } catch (...) {
            t.nameFailure = std::current_exception();
        }
        if (IsSystemTable(t.name))
            continue;
        // The load opens the table by the name it read, which is empty when that failed.
        std::unique_ptr<dao::Recordset> records;
        try {
            records = database.OpenRecordset(t.name);
        } catch (...) {
            t.openFailure = std::current_exception();
            continue;
        }
        t.recipes = recipeNames(*records, &t.rows);
    }
    return reads;
}

void LoadTree()
{
    startTree();
    vb::TreeView *tv = view->Tv;
    // At start-up the reads were made while the window was built, in one read of the file.
    std::unique_ptr<TreeReads> ahead = TakeOfferedTreeReads();
    DatabaseSource fromDatabase;
    std::unique_ptr<Source> fromAhead =
        ahead ? std::make_unique<AheadSource>(std::move(ahead)) : nullptr;
    Source &source = fromAhead ? *fromAhead : fromDatabase;
    {
        // One read of the file for the whole load: it is locked once rather than at every
        // table, and the tree shows one state of the file even while another program writes.
        // Reads made ahead were made in one read of their own, and nothing is read here.
        std::optional<dao::ReadScope> read;
        if (!fromAhead)
            read.emplace(*db);
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
            for (int i = 0; i < source.count(); ++i) {
                QString name;
                step([&] { name = source.name(i); });
                if (IsSystemTable(name))
                    continue;
                step([&] {
                    tv->AddChild(RootKey, vb::NodeKind::Category, name, name, CategoryImage,
                                 SelectedImage);
                });
                // A table that cannot be opened shows as an empty category, never with the
                // recipes of the category before it.
                step([&] { source.open(i, name); });
                ignoring = true;
                // Each recipe node carries its row, so that a recipe is told from another of
                // the same name.
                QList<qint64> rows;
                if (source.isOpen())
                    vb::ResumeNext([&] { view->List1->AddItems(source.recipes(&rows)); });
                vb::ResumeNext([&] {
                    tv->AddChildren(name, vb::NodeKind::Recipe, view->List1->Items(), RecipeImage,
                                    SelectedImage, rows);
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

QTreeWidgetItem *RecipeNode(const QString &category, qint64 row)
{
    if (!view || !view->Tv)
        return nullptr;
    return view->Tv->ChildOfRow(view->Tv->Node(category), row);
}

} // namespace RecipeBas
