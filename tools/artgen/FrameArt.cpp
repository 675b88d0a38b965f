#include "FrameArt.h"

bool writeFrameArt(const QDir &)
{
    return true;
}
