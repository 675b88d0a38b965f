// Kitchenex: a single-user recipe manager. The main window is the start-up window; closing it
// ends the program.
#include "app/EarlyStart.h"
#include "main/MainForm.h"
#include "platform/vb/MsgBox.h"
#include "store/DataFolder.h"

#include <QApplication>
#include <QDir>

int main(int argc, char **argv)
{
    // Beside the program when it is portable, else the user's data folder (DataFolder.h).
    const DataFolder::Place data = DataFolder::Locate(DataFolder::ProgramFolder());
    EarlyStart early(QDir(data.folder).filePath(QStringLiteral("Recipe")));
    QApplication app(argc, argv);
    early.applicationReady();
    QApplication::setApplicationName(QStringLiteral("Kitchenex"));
    QGuiApplication::setDesktopFileName(QStringLiteral(KX_APP_ID));
    QApplication::setQuitOnLastWindowClosed(false);
    if (!data.problem.isEmpty())
        vb::MsgBox(data.problem, vb::vbCritical);

    MainForm form(data.folder);
    QObject::connect(&form, &MainForm::unloaded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    form.setStartupCheck(&early);
    form.Form_Load();
    form.show();
    const int code = QApplication::exec();
    early.finish();
    return code;
}
