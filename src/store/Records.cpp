// Single recipes. A recipe has no identifier of its own: it is found by its category (the
// table) and its name, by scanning the table from the first record. The four boxes of the main
// window are the transfer area: ShowRecipe fills them, AddRecipe and UpdateRecipe read them,
// UpdateRecipe and DeleteRecipe empty them.
#include "RecipeBas.h"

#include "Backup.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/ResumeNext.h"
#include "platform/vb/Strings.h"
#include "platform/vb/TextBox.h"

#include <array>
#include <utility>

namespace RecipeBas {

namespace {

std::array<vb::TextBox *, 4> boxes()
{
    return {view->Text1, view->Text2, view->Text3, view->Text4};
}

void openCategory(const QString &category)
{
    OpenRecipeDataBase();
    rs = db->OpenRecordset(category);
}

// Fields 0 to 3 from the four boxes, in the stored form.
void writeBoxes()
{
    const auto b = boxes();
    for (int field = 0; field < 4; ++field)
        rs->Fields(field).setValue(StoredText(b[field]->Text()));
}

void emptyBoxes()
{
    for (vb::TextBox *box : boxes())
        box->SetText(QString());
}

QString fieldText(int field)
{
    return rs->Fields(field).Value().toString();
}

// A step of a scan whose failure is skipped: a move or read that finds no current record (an
// empty table, a record another program deleted meanwhile). A read or write the engine refuses
// for any other reason (the file in use by another program, a damaged file) is no such step:
// it goes to the caller, so that nothing is reported as done or as missing and the boxes keep
// what they show.
template <class Step>
void skipMissingRecord(Step &&step)
{
    try {
        std::forward<Step>(step)();
    } catch (const dao::Error &e) {
        if (e.number() != dao::errNoCurrentRecord && e.number() != dao::errRecordDeleted)
            throw;
    }
}

// Makes the record of that row current when it is still the recipe of that name. A row gone
// meanwhile is no error: the first record of that name is the one then.
bool moveToRow(qint64 row, const QString &name)
{
    if (row <= 0)
        return false;
    bool atRow = false;
    skipMissingRecord([&] {
        rs->SetBookmark(row);
        atRow = vb::Trim(fieldText(0)) == name;
    });
    return atRow;
}

} // namespace

void ShowRecipe(const QString &category, const QString &name, qint64 row)
{
    openCategory(category);
    const bool atRow = moveToRow(row, name);
    if (!atRow)
        rs->MoveFirst();
    const long count = atRow ? 1 : rs->RecordCount();
    for (long counter = 1; counter <= count; ++counter) {
        if (name == vb::Trim(fieldText(0))) {
            // The name is shown as stored, trailing blank included; the others trimmed.
            view->Text1->SetText(fieldText(0));
            view->Text2->SetText(vb::Trim(fieldText(1)));
            view->Text3->SetText(vb::Trim(fieldText(2)));
            view->Text4->SetText(vb::Trim(fieldText(3)));
            return; // the database and rs stay open on the shown record
        }
        rs->MoveNext();
    }
    for (vb::TextBox *box : boxes())
        box->SetLocked(true);
    CloseDataBase();
}

void AddRecipe(const QString &category)
{
    openCategory(category);
    KeepBackupBeforeChange();
    rs->AddNew();
    writeBoxes();
    rs->Update();
    CloseDataBase();
}

bool UpdateRecipe(const QString &category, const QString &name, qint64 row)
{
    openCategory(category);
    const QString wanted = vb::Trim(name);
    bool found = moveToRow(row, wanted);
    long count = 0;
    if (!found) {
        skipMissingRecord([] { rs->MoveFirst(); });
        count = rs->RecordCount();
    }
    for (long counter = 1; counter <= count; ++counter) {
        bool match = false;
        skipMissingRecord([&] { match = vb::Trim(fieldText(0)) == wanted; });
        if (match) {
            found = true;
            break;
        }
        skipMissingRecord([] { rs->MoveNext(); });
    }
    if (found) {
        // A write the engine refuses is a failure the user must see: nothing was stored, and
        // the boxes keep what was typed so that nothing is lost.
        try {
            KeepBackupBeforeChange();
            rs->Edit();
            writeBoxes();
            rs->Update();
        } catch (const dao::Error &) {
            vb::ResumeNext([] { rs->CancelUpdate(); });
            CloseDataBase();
            throw;
        }
        vb::MsgBox(QStringLiteral("Recipe UpDated"));
    }
    CloseDataBase();
    emptyBoxes();
    vb::ResumeNext([] { LoadTree(); });
    return found;
}

int DeleteRecipe(const QString &category, const QString &name)
{
    openCategory(category);
    const QString wanted = vb::Trim(name);
    int deleted = 0;
    bool begun = false;
    const long count = rs->RecordCount();
    skipMissingRecord([] { rs->MoveFirst(); });
    // Every record of that name is deleted: the scan does not stop at a match.
    for (long counter = 1; counter <= count; ++counter) {
        bool match = false;
        skipMissingRecord([&] { match = wanted == vb::Trim(fieldText(0)); });
        if (match) {
            // Neither the backup nor the delete is a step to skip: a delete that did not
            // happen must not be reported as a recipe that was not there. The deletions of
            // one command are one transaction, so that they are undone together.
            KeepBackupBeforeChange();
            if (!begun)
                db->BeginTrans();
            begun = true;
            skipMissingRecord([&] {
                rs->Delete();
                ++deleted;
            });
        }
        skipMissingRecord([] { rs->MoveNext(); });
    }
    if (begun)
        db->CommitTrans();
    CloseDataBase();
    emptyBoxes();
    vb::ResumeNext([] { LoadTree(); });
    return deleted;
}

} // namespace RecipeBas
