// kx-bench-bare-window: the floor of the start-up figure, a Qt window of the main window's
// size with nothing in it, started the same way.
#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.resize(713, 434); // the main window: 10695 × 6510 twips at 15 twips a pixel
    window.show();
    return QApplication::exec();
}
