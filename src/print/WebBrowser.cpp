#include "WebBrowser.h"

#include <QContextMenuEvent>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>

namespace {

bool systemPrintDialog(QPrinter &printer, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

WebBrowser::PrintDialog &printDialog()
{
    static WebBrowser::PrintDialog dialog = systemPrintDialog;
    return dialog;
}

} // namespace

void WebBrowser::setPrintDialog(PrintDialog dialog)
{
    printDialog() = dialog ? std::move(dialog) : PrintDialog(systemPrintDialog);
}

WebBrowser::WebBrowser(QWidget *parent) : QTextBrowser(parent)
{
    // The page is a document to read and print; it links nowhere.
    setOpenLinks(false);
}

void WebBrowser::Navigate(const QString &path)
{
    setSource(QUrl::fromLocalFile(path), QTextDocument::HtmlResource);
}

bool WebBrowser::ExecWB(int command, int option)
{
    if (command != OLECMDID_PRINT)
        return false;
    return printPage(option != OLECMDEXECOPT_DONTPROMPTUSER);
}

bool WebBrowser::printPage(bool prompt)
{
    // One dialog at a time: a second request while it is open is not queued behind it.
    if (m_busy)
        return false;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(window()->windowTitle());
    if (prompt) {
        m_busy = true;
        const bool accepted = printDialog()(printer, window());
        m_busy = false;
        if (!accepted)
            return false;
    }
    print(&printer);
    if (printer.printerState() == QPrinter::Error) {
        const QString target = printer.outputFormat() == QPrinter::PdfFormat
                                   ? printer.outputFileName()
                                   : printer.printerName();
        emit printFailed(target);
        return false;
    }
    return true;
}

void WebBrowser::contextMenuEvent(QContextMenuEvent *event)
{
    // The page's own menu is its print command: the label above the page says so.
    event->accept();
    ExecWB(OLECMDID_PRINT, OLECMDEXECOPT_PROMPTUSER);
}
