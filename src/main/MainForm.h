#pragma once

#include "platform/dao/History.h"
#include "platform/vb/TreeView.h"

#include <QKeySequence>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <exception>
#include <functional>
#include <memory>

class QAction;
class QFrame;
class frmimport;
class QLabel;
class StartupCheck;
class frmfind;
class xp_canvas;
class xpcmdbutton;
class xptopbuttons;

namespace vb {
class LineTextBox;
class ListBox;
class MemoTextBox;
} // namespace vb

namespace RecipeBas {
struct View;
}
namespace dao {
class Database;
}

namespace Catalog {
struct RecipeId;
}

// The main window `main`: the tree of categories and recipes on the left, the four fields of
// one recipe on the right, and the command buttons. It has no menu bar: every command is a
// button, a click in the tree or an entry of the tree's right-click menu. A mode is nothing but
// which mode buttons are visible and whether the boxes are locked; each command applies exactly
// its own change of them.
class MainForm : public QWidget
{
    Q_OBJECT
public:
    // folder: where Recipe.mdb, print.txt and print.htm live (the program's own folder).
    explicit MainForm(const QString &folder, QWidget *parent = nullptr);
    ~MainForm() override;

    // Loads the fonts the window shows, so that building it finds them ready. Safe on a
    // thread of its own once the application object exists: main() runs it beside the
    // window's construction.
    static void LoadFonts();

    // The window's load: sets the data path and fills the tree. A database that cannot be
    // opened leaves the tree empty and is reported once, naming the file and the reason.
    void Form_Load();
    // What went wrong at load ("" when the database opened); shown once the window shows.
    QString startupProblem() const { return m_startupProblem; }
    QString folder() const { return m_folder; }
    // How Form_Load has the database checked for damage: main() passes the check it began
    // before the window was built, which goes on beside the window; without one (or for another
    // data path) Form_Load checks there and then. The check must outlive the window's load.
    void setStartupCheck(StartupCheck *check) { m_startupCheck = check; }
    // Whether the start-up check's verdict is still to come; every change waits for it.
    bool checkPending() const { return m_verdict == Verdict::Pending; }

    // The controls, named as in the window's design.
    xp_canvas *xp_canvas1;
    xpcmdbutton *xpcmdbutton2; // "Add Category"
    xpcmdbutton *xpcmdbutton1; // "Del Category"
    vb::TreeView *Tv;
    QFrame *Line1;
    QWidget *Picture1;
    QLabel *Label1, *Label2, *Label3, *Label4;
    vb::LineTextBox *Text1, *Text2;
    vb::MemoTextBox *Text3, *Text4;
    xpcmdbutton *Save, *Cancel, *saveedited, *canceledit, *delcatagroy, *cancelcata;
    xptopbuttons *xptopbuttons3, *xptopbuttons2, *xptopbuttons1;
    vb::ListBox *List1;
    vb::ImageList ImageList1;
    xpcmdbutton *add, *delete_, *Edit, *print, *Website;

    // The command handlers (also what the buttons' clicks run).
    void Tv_NodeClick(QTreeWidgetItem *node);
    void add_Click();
    void Save_Click();
    void Cancel_Click();
    void Edit_Click();
    void saveedited_Click();
    void canceledit_Click();
    void delete_Click();
    void xpcmdbutton2_Click();
    void xpcmdbutton1_Click();
    void delcatagroy_Click();
    void cancelcata_Click();
    void print_Click();
    void Website_Click();

    // The find window: opened (or brought up) by Ctrl+F, F3 and the tree's "Find..." entry.
    void OpenFind();
    frmfind *FindWindow() const;
    // Shows a found recipe as a click on its node does; "" when shown, otherwise why not.
    QString ShowFoundRecipe(const Catalog::RecipeId &id);
    // Undo of the last change to the recipes, and redo of the last one undone (MainUndo.cpp).
    void UndoChange();
    void RedoChange();
    // What an undo or redo tells the user; what is said once of a damaged history.
    static QString HistoryMessage(const dao::History::Result &result, bool undo);
    static QString HistoryLostMessage();
    // Adds an entry to the tree's right-click menu, with its keys working anywhere in the window.
    QAction *addTreeCommand(const QString &text, void (MainForm::*command)(),
                            const QList<QKeySequence> &keys = {});

    // Importing (MainImport.cpp): Ctrl+I and the tree's menu ask for the files; files dropped
    // on the window go straight to ImportFiles, which asks where the recipes go, imports them
    // as one change, rebuilds the tree and shows the report.
    void ImportRecipes();
    void ImportFiles(const QStringList &files);
    frmimport *ImportReport() const;
    // Exporting (MainExport.cpp): the recipe, its category or everything, chosen in the tree,
    // to a Meal-Master or JSON file; a category or everything as a cookbook page or PDF.
    void ExportRecipes();
    void MakeCookbook();

signals:
    // The window has unloaded: the program ends.
    void unloaded();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createControls();
    void applyDesignData(const QPixmap &icon);
    void setTabOrder();
    void connectCommands();
    void bindKeys(); // MainShortcuts.cpp
    void addTreeCommands();
    void makeFindIndex(dao::Database *checked = nullptr); // MainFind.cpp
    void undoOrRedo(bool undo);
    void showChanged(const dao::History::Result &result);
    void setBoxesLocked(bool locked);
    void emptyBoxes();
    // Runs a command; an error that reaches it is shown, naming what failed, and the database
    // handles are released. The program goes on.
    void handle(const QString &what, const std::function<void()> &command);

    // The start-up check (MainStartup.cpp).
    enum class Verdict
    {
        Sound,
        Pending,
        Failed,
        Damaged
    };
    void checkNow();
    void checked(std::exception_ptr failure, std::unique_ptr<dao::Database> database);
    void awaitVerdict();
    void startupFailed(const std::exception &e);
    void showStartupProblem();

    QString m_folder;
    QString m_startupProblem;
    bool m_startupReported = false;
    StartupCheck *m_startupCheck = nullptr;
    Verdict m_verdict = Verdict::Sound;
    QString m_damage; // what the check found, when it found damage
    RecipeBas::View *m_view;
    QPointer<QWidget> m_find; // the find window, while it is open
    // The import report, while it is open.
    QPointer<QWidget> m_importReport;
};
