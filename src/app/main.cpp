// Kitchenex: a single-user recipe manager. The main window is the start-up window; closing it
// ends the program.
#include "app/EarlyStart.h"
#include "main/MainForm.h"

#include <QApplication>

int main(int argc, char **argv)
{
    EarlyStart early(EarlyStart::ProgramDataPath());
    QApplication app(argc, argv);
    early.applicationReady();
    QApplication::setApplicationName(QStringLiteral("Kitchenex"));
    QApplication::setQuitOnLastWindowClosed(false);

    MainForm form(QCoreApplication::applicationDirPath());
    QObject::connect(&form, &MainForm::unloaded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    form.setStartupCheck(&early);
    form.Form_Load();
    form.show();
    const int code = QApplication::exec();
    early.finish();
    return code;
}
