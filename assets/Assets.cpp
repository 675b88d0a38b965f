#include "Assets.h"

#include <QImage>
#include <QImageReader>
#include <QtGlobal>

static void initAll()
{
#ifdef KX_HAVE_QRC_buttons
    Q_INIT_RESOURCE(buttons);
#endif
#ifdef KX_HAVE_QRC_frame
    Q_INIT_RESOURCE(frame);
#endif
#ifdef KX_HAVE_QRC_icons
    Q_INIT_RESOURCE(icons);
#endif
}

void kxInitAssets()
{
    static const bool done = (initAll(), true);
    Q_UNUSED(done);
}

QImage kxLoadArtwork(const QString &path)
{
    kxInitAssets();
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}
