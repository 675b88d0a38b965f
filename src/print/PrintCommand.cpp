#include "PrintCommand.h"

void RunPrintCommand(const QString &, const QString &, const QString &, const QString &,
                     const QString &)
{
}

void UnloadPrintPreview() {}
