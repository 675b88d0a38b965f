#pragma once

#include <QString>

namespace vb {

// Asks the desktop to open an address in the user's browser. The result is not reported:
// whether a browser opens is the desktop's business.
void ShellOpen(const QString &address);

} // namespace vb
