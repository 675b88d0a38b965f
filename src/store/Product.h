#pragma once

#include <QString>

// The product's website: shown in the main window's caption, opened by its website button and
// named in the title of every printed page.
inline const QString WebsiteAddress = QStringLiteral("https://kitchenex.example/");
