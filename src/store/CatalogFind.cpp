// Finding recipes through the engine's find index, and keeping that index made.
#include "Catalog.h"

#include "FindQuery.h"
#include "RecipeBas.h"
#include "Snippet.h"
#include "platform/dao/Error.h"
#include "platform/dao/TextIndex.h"
#include "platform/vb/Strings.h"

namespace Catalog {

QString MatchExpression(const QString &query)
{
    return FindQuery(query).expression();
}

Found Find(dao::Database &db, const QString &query, int limit)
{
    Found found;
    const FindQuery parsed(query);
    if (parsed.expression().isEmpty() || limit <= 0) {
        found.complete = IndexStatus(db) == IndexState::Current;
        return found;
    }
    dao::TextIndex::Result result;
    try {
        result = dao::TextIndex::Search(db, parsed.expression(), limit, RecipeBas::SystemTables());
    } catch (const dao::Error &e) {
        // An expression the index does not take is still only what the user typed.
        if (e.number() != dao::errEngine)
            throw;
        found.complete = IndexStatus(db) == IndexState::Current;
        return found;
    }
    found.total = int(qMin<qint64>(result.total, std::numeric_limits<int>::max()));
    found.more = result.more;
    found.complete = result.complete;
    found.hits.reserve(result.hits.size());
    for (const dao::TextIndex::Hit &hit : result.hits) {
        found.hits.append({{hit.table, hit.row},
                           vb::Trim(hit.fields[0]),
                           vb::Trim(hit.fields[1]),
                           Snippet(hit.fields, parsed)});
    }
    return found;
}

IndexState IndexStatus(dao::Database &db)
{
    switch (dao::TextIndex::Status(db)) {
    case dao::TextIndex::State::Current:
        return IndexState::Current;
    case dao::TextIndex::State::Incomplete:
        return IndexState::Incomplete;
    case dao::TextIndex::State::Missing:
        break;
    }
    return IndexState::Missing;
}

bool EnsureIndex(dao::Database &db, const Progress &progress)
{
    return dao::TextIndex::Build(db, progress);
}

bool RepairIndex(dao::Database &db, const Progress &progress)
{
    const bool damaged = dao::TextIndex::CheckAndDrop(db);
    if (damaged)
        dao::TextIndex::Build(db, progress);
    return damaged;
}

} // namespace Catalog
