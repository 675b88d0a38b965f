#pragma once

#include <QString>
#include <QTextBrowser>

#include <functional>

class QPrinter;

// The page view of the print preview: shows an HTML file and prints it through the print
// dialog. It offers the two commands the preview uses, Navigate and ExecWB; a right click on
// the page prints it the same way as the preview's print button.
class WebBrowser : public QTextBrowser
{
    Q_OBJECT
public:
    // ExecWB's command and options.
    static constexpr int OLECMDID_PRINT = 6;
    static constexpr int OLECMDEXECOPT_DODEFAULT = 0;
    static constexpr int OLECMDEXECOPT_PROMPTUSER = 2;
    static constexpr int OLECMDEXECOPT_DONTPROMPTUSER = 3;

    // Asks the user how to print: gets the printer to set up and the window to centre on,
    // returns true when the user chose to print. The default shows the system print dialog;
    // printing to a file there gives a PDF.
    using PrintDialog = std::function<bool(QPrinter &printer, QWidget *parent)>;
    // Replaces the print dialog (tests answer it this way); an empty function restores it.
    static void setPrintDialog(PrintDialog dialog);

    explicit WebBrowser(QWidget *parent = nullptr);

    // Shows the file at path (a local file path).
    void Navigate(const QString &path);
    // Runs a command on the page shown. OLECMDID_PRINT prints it: with the prompt options the
    // print dialog comes first and nothing is printed unless the user accepts it. Returns true
    // when the page was printed.
    bool ExecWB(int command, int option);
    // True while the print dialog is open.
    bool isBusy() const { return m_busy; }

signals:
    // The page could not be printed: target is the file or printer that refused it.
    void printFailed(const QString &target);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    bool printPage(bool prompt);
    bool m_busy = false;
};
