// Kitchenex: a single-user recipe manager. The main window is the start-up window; closing it
// ends the program.
#include "main/MainForm.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kitchenex"));
    QApplication::setQuitOnLastWindowClosed(false);

    MainForm form(QCoreApplication::applicationDirPath());
    QObject::connect(&form, &MainForm::unloaded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    form.Form_Load();
    form.show();
    return QApplication::exec();
}
