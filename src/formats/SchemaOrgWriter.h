#pragma once

#include "formats/FormatRecipe.h"

#include <QByteArray>
#include <QIODevice>

namespace formats {

// Writes recipes as a schema.org JSON file: one recipe as an object, several as a list, one
// recipe at a time so that a whole collection never has to be held at once.
class SchemaOrgWriter
{
public:
    explicit SchemaOrgWriter(QIODevice &device);
    void add(const FormatRecipe &recipe);
    // Closes the list; false if the device refused a write.
    bool finish();

private:
    QIODevice &m_device;
    QByteArray m_first; // held until a second recipe shows whether a list is needed
    int m_count = 0;
    bool m_ok = true;
};

} // namespace formats
