#pragma once

#include "formats/JsonBlockScanner.h"
#include "formats/RecipeReader.h"

#include <QList>

namespace formats {

// Reads the schema.org Recipes of a saved web page or of a JSON file, block by block (see
// SchemaOrgRecipe for the mapping). A block that is no valid JSON, or a recipe whose name is
// too long to store, is handed out as skipped; a page with no recipe gives none.
class SchemaOrgReader : public RecipeReader
{
public:
    SchemaOrgReader(QIODevice &device, JsonBlockScanner::Mode mode);
    bool next(ReadEntry &entry) override;

private:
    JsonBlockScanner m_scanner;
    QList<ReadEntry> m_pending; // the rest of the block read last
};

} // namespace formats
