#include "Shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace vb {

void ShellOpen(const QString &address)
{
    QDesktopServices::openUrl(QUrl(address));
}

} // namespace vb
