#pragma once

#include "skin/SkinnedWindow.h"

class QLabel;
class QPlainTextEdit;
class xp_canvas;
class xpcmdbutton;

namespace Import {
struct Report;
}

// The import report `frmimport`: what an import brought in, what it skipped and why, in text
// the user can scroll, select and copy. One window serves every import: a new report replaces
// the one shown. Escape, the close button or "Close" closes (deletes) it.
class frmimport : public SkinnedWindow
{
    Q_OBJECT
public:
    // owner: the window it belongs to; it stays above it and goes with it.
    explicit frmimport(QWidget *owner = nullptr);

    // Shows the report of an import and brings the window up with the focus in its text.
    void ShowReport(const Import::Report &report);
    // The report's text, as shown and as copied.
    QString reportText() const;

    // The controls; all sit on the frame.
    xp_canvas *frmimportXP;
    QLabel *lblsummary;
    QPlainTextEdit *txtreport;
    xpcmdbutton *cmdcopy, *cmdclose;

private:
    void createControls();
};
