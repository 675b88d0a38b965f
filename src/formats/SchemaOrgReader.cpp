#include "formats/SchemaOrgReader.h"

#include "formats/SchemaOrgRecipe.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace formats {

SchemaOrgReader::SchemaOrgReader(QIODevice &device, JsonBlockScanner::Mode mode)
    : m_scanner(device, mode)
{
}

bool SchemaOrgReader::next(ReadEntry &entry)
{
    QByteArray block;
    qint64 line = 0;
    bool tooLarge = false;
    while (m_pending.isEmpty()) {
        if (!m_scanner.next(block, line, tooLarge))
            return false;
        ReadEntry e;
        e.line = line;
        if (tooLarge) {
            e.skipped = QStringLiteral("a data block over %1 MiB")
                            .arg(JsonBlockScanner::MaxBlock / (1024 * 1024));
            m_pending << e;
            continue;
        }
        const QByteArray data = block.trimmed();
        // Scalars and empty blocks hold no recipe.
        if (!data.startsWith('{') && !data.startsWith('['))
            continue;
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(data, &error);
        if (error.error != QJsonParseError::NoError) {
            e.skipped = QStringLiteral("data that is no valid JSON: %1").arg(error.errorString());
            m_pending << e;
            continue;
        }
        QList<QJsonObject> recipes;
        SchemaOrgRecipe::Collect(document.isArray() ? QJsonValue(document.array())
                                                    : QJsonValue(document.object()),
                                 recipes);
        for (const QJsonObject &o : recipes) {
            e.recipe = SchemaOrgRecipe::FromJson(o);
            if (e.recipe.name.size() > MaxNameLength) {
                e.recipe = {};
                e.skipped = QStringLiteral("a name over %1 characters").arg(MaxNameLength);
            }
            m_pending << e;
            e.skipped.clear();
        }
    }
    entry = m_pending.takeFirst();
    return true;
}

} // namespace formats
