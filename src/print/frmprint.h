#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class WebBrowser;
class xp_canvas;
class xpcmdbutton;
class xptopbuttons;

// The print preview `frmprint`: shows print.htm from the program's folder and prints it through
// the print dialog. One instance for the whole program, loaded on first use and unloaded
// (deleted) when closed; the page is read when the window loads, not again while it stays
// loaded.
class frmprint : public QWidget
{
    Q_OBJECT
public:
    // The loaded window, or nullptr when it is not loaded.
    static frmprint *Loaded();
    // The loaded window; loads it first (controls, then Form_Load) if it is not loaded.
    // folder: where print.htm is.
    static frmprint *Load(const QString &folder);
    // Unloads the window if it is loaded.
    static void Unload();

    explicit frmprint(const QString &folder);
    ~frmprint() override;

    // The window's load: shows print.htm.
    void Form_Load();
    // The handlers of the window's buttons.
    void print_Click();
    void xptopbuttons1_Click();
    void xptopbuttons3_Click();

    QString folder() const { return m_folder; }

    // The controls, named as in the window's design; all sit on the frame.
    xp_canvas *frmprintXP;
    xptopbuttons *xptopbuttons3, *xptopbuttons2, *xptopbuttons1;
    xpcmdbutton *print, *printform;
    QLabel *Label1;
    WebBrowser *WB;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void applyDesignData();
    void reportPrintFailure(const QString &target);

    QString m_folder;
};
