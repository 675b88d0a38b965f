#pragma once

#include "skin/SkinnedWindow.h"
#include "store/Catalog.h"

#include <QTimer>

#include <functional>

class FindResults;
class QLabel;
class QLineEdit;
class QListView;
class QModelIndex;
class xp_canvas;

// The find window `frmfind`: a query box, the recipes found listed as the user types, and the
// count. Choosing a recipe (Enter, a click or a double click) hands it to the main window,
// which shows it as a click on its node in the tree would; the window stays open for the next
// one. Escape or the close button closes (deletes) it.
//
// The window does not know the database: it asks `search` for the recipes a query finds and
// `choose` to show one. `choose` returns "" when the recipe is shown, otherwise why it is not
// (the window says so and the main window is left as it was).
class frmfind : public SkinnedWindow
{
    Q_OBJECT
public:
    using Search = std::function<Catalog::Found(const QString &query)>;
    using Choose = std::function<QString(const Catalog::RecipeId &id)>;

    // owner: the window it belongs to; it stays above it and goes with it.
    frmfind(Search searcher, Choose chooser, QWidget *owner = nullptr);

    // The count as the window shows it: "No recipe found", "1 recipe found", "3 recipes
    // found", "200 of 1,234 recipes shown", with `more` "200 of more than 2,000 recipes shown".
    static QString CountText(int listed, int total, bool more = false);
    // The line that tells the query language.
    static QString HintText();

    // Brings the window up with the focus in the query box, its text selected.
    void Activate();
    // Runs a search still waiting for the event loop.
    void Refresh();
    // Chooses the recipe of the current row (the first when none is current).
    void ChooseCurrent();
    // How far the making of the find index is; done < 0 when it has ended (error: why it
    // failed, "" when it is made), and the query is asked again.
    void IndexProgress(qint64 done, qint64 total, const QString &error = QString());

    const FindResults *results() const { return m_results; }

    // The controls; all sit on the frame.
    xp_canvas *frmfindXP;
    QLabel *lblquery, *lblhint, *lblcount, *lblstatus;
    QLineEdit *txtquery;
    QListView *lstresults;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createControls();
    void search();
    void choose(const QModelIndex &index);
    void setStatus(QLabel *label, const QString &text);

    Search m_search;
    Choose m_choose;
    FindResults *m_results;
    // Coalesces the changes of the query that arrive in one pass of the event loop.
    QTimer m_pending;
};
