// Importing from the main window: Ctrl+I and the tree's "Import recipes…" ask for the files,
// files dropped on the window are imported as they are. The user picks where the recipes go,
// the import runs as one change, the tree is rebuilt and the report shows what came in.
#include "MainForm.h"

#include "TreeChoice.h"
#include "controls/xpcmdbutton.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/TextBox.h"
#include "store/Import.h"
#include "store/RecipeBas.h"
#include "transfer/frmimport.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>

namespace {

// The category recipes go to when none is chosen in the tree.
const QString DefaultCategory = QStringLiteral("Imported");

// The wait cursor while a long command runs, whatever way it ends.
struct WaitCursor
{
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    Q_DISABLE_COPY_MOVE(WaitCursor)
};

QString quoted(const QString &text)
{
    return QStringLiteral("“") + text + QStringLiteral("”");
}

// The local files among dropped addresses.
QStringList droppedFiles(const QMimeData *data)
{
    QStringList files;
    if (data && data->hasUrls())
        for (const QUrl &url : data->urls())
            if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
                files << url.toLocalFile();
    return files;
}

} // namespace

frmimport *MainForm::ImportReport() const
{
    return static_cast<frmimport *>(m_importReport.data());
}

void MainForm::ImportRecipes()
{
    const QStringList files = vb::GetOpenFileNames(
        QStringLiteral("Import Recipes"),
        {QStringLiteral("Recipe files (*.mmf *.mm *.mxp *.txt *.htm *.html *.json *.mdb)"),
         QStringLiteral("All files (*)")},
        this);
    if (!files.isEmpty())
        ImportFiles(files);
}

void MainForm::ImportFiles(const QStringList &files)
{
    // The tree is rebuilt after the import: a recipe being typed, or a category being chosen
    // for deletion, would lose the tree it is working with.
    if (!Text1->Locked() || delcatagroy->isVisibleTo(this)) {
        vb::MsgBox(QStringLiteral("A recipe is being added or edited, or a category chosen for "
                                  "deletion. Save or cancel that first, then import again."),
                   vb::vbOKOnly, QString(), this);
        return;
    }
    const TreeChoice chosen = TreeChoice::Of(*Tv);
    Import::Options options;
    options.category = chosen.category.isEmpty() ? DefaultCategory : chosen.category;
    const QString what = files.size() == 1 ? QFileInfo(files.first()).fileName()
                                           : QStringLiteral("%1 files").arg(files.size());
    const int answer = vb::Choose(
        QStringLiteral("Import %1: where should the recipes go?\n\nEach recipe can go to the first "
                       "category it names (made when missing); a recipe without one goes to %2.")
            .arg(what, quoted(options.category)),
        {QStringLiteral("&All into %1").arg(quoted(options.category)),
         QStringLiteral("Each into its &own category")},
        QStringLiteral("Import Recipes"), this);
    if (answer < 0)
        return;
    options.ownCategories = answer == 1;

    // The import writes through a connection of its own; the window's is let go first. It
    // reports every failure itself, the file left as it was.
    RecipeBas::CloseDataBase();
    const Import::Report report = [&] {
        const WaitCursor busy;
        return Import::ImportFiles(files, options);
    }();
    if (!report.ok) {
        vb::MsgBox(report.text(), vb::vbCritical, QString(), this);
        return;
    }
    if (!m_importReport)
        m_importReport = new frmimport(this);
    ImportReport()->ShowReport(report);
    if (report.imported == 0)
        return;
    handle(QStringLiteral("reload the recipes"), [this, &report] {
        RecipeBas::LoadTree();
        // The categories that took recipes are opened, the first of them scrolled to.
        for (auto it = report.perCategory.begin(); it != report.perCategory.end(); ++it)
            if (QTreeWidgetItem *node = it->imported > 0 ? Tv->Node(it.key()) : nullptr) {
                Tv->expandItem(node);
                Tv->scrollToItem(node);
            }
    });
}

void MainForm::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainForm::dropEvent(QDropEvent *event)
{
    const QStringList files = droppedFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    // The drop is answered at once; the questions and the import come after it, so the program
    // the files came from is not kept waiting.
    QTimer::singleShot(0, this, [this, files] { ImportFiles(files); });
}
