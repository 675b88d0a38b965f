// kitchenex-artgen OUTPUT_DIR: draws the program's artwork (button strips, frame pieces, icons)
// as PNG files. The PNGs are committed under assets/ so a designer can replace them; run this
// again only to regenerate them.
#include "ButtonArt.h"
#include "FrameArt.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: kitchenex-artgen OUTPUT_DIR\n";
        return 2;
    }
    QDir out(args.at(1));
    if (!out.mkpath(QStringLiteral(".")))
        return 1;
    bool ok = writeButtonArt(out);
    ok = writeFrameArt(out) && ok;
    return ok ? 0 : 1;
}
