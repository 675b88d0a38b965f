#include "JetFile.h"

#include "JetHeader.h"
#include "JetTableReader.h"
#include "MdbWarnings.h"

#include <QDir>
#include <QRegularExpression>
#include <QSet>

#include <glib.h>
#include <mdbtools.h>

#include <cstring>

namespace jet {

// A table as the catalogue lists it: its name and the first page of its definition.
struct ListedTable
{
    QString name;
    unsigned long page = 0;
    quint32 flags = 0;
};

struct JetFileState
{
    MdbHandle *mdb = nullptr;
    qint64 pageCount = 0;
    QList<ListedTable> tables; // every table of the catalogue, system tables too

    ~JetFileState()
    {
        if (mdb)
            mdb_close(mdb);
    }
};

namespace {

struct TableDefDeleter
{
    void operator()(MdbTableDef *def) const { mdb_free_tabledef(def); }
};
using TableDefPtr = std::unique_ptr<MdbTableDef, TableDefDeleter>;

TableDefPtr openTable(MdbCatalogEntry *entry)
{
    TableDefPtr def(mdb_read_table(entry));
    if (!def || !mdb_read_columns(def.get()))
        throw JetError(QStringLiteral("The definition of the table \"%1\" cannot be read")
                           .arg(QString::fromUtf8(entry->object_name)));
    return def;
}

Table describe(MdbCatalogEntry *entry, MdbTableDef *def)
{
    Table table;
    table.name = QString::fromUtf8(entry->object_name);
    table.rowCount = def->num_rows;
    for (unsigned i = 0; i < def->num_cols; ++i) {
        const auto *column = static_cast<const MdbColumn *>(g_ptr_array_index(def->columns, i));
        table.columns.append({QString::fromUtf8(column->name), column->col_type, column->col_size});
    }
    return table;
}

// The catalogue (MSysObjects): the table that lists every table, its definition on page 2.
constexpr unsigned long CatalogueTablePage = 2;
constexpr quint32 ObjectPageMask = 0x00ffffff;
constexpr quint32 SystemTableFlags = 0x80000002; // as libmdb tells a system table
constexpr int TableDefinitionPage = 0x02;

// What libmdb needs to know of a table to read it.
MdbCatalogEntry catalogueEntry(MdbHandle *mdb, const ListedTable &table)
{
    MdbCatalogEntry entry;
    std::memset(&entry, 0, sizeof entry);
    entry.mdb = mdb;
    entry.object_type = MDB_TABLE;
    entry.table_pg = table.page;
    entry.flags = int(table.flags);
    qstrncpy(entry.object_name, table.name.toUtf8().constData(), sizeof entry.object_name);
    return entry;
}

bool isUserTable(const ListedTable &table)
{
    return (table.flags & SystemTableFlags) == 0;
}

// Every table the catalogue lists, system tables too, read under the rules every table is read
// by: every row its definition counts, each whole, no page beyond the end of the file.
QList<ListedTable> readCatalogue(JetFileState &state, const QString &failure)
{
    MdbCatalogEntry entry =
        catalogueEntry(state.mdb, {QStringLiteral("MSysObjects"), CatalogueTablePage});
    TableDefPtr def(mdb_read_table(&entry));
    if (!def || !mdb_read_columns(def.get()))
        throw JetError(failure + QStringLiteral("its own definition cannot be read"));
    const Table table = describe(&entry, def.get());
    const TableData data =
        JetTableReader(state.mdb, state.pageCount, def.get(), table.name, failure).run(table);
    const auto column = [&](const QString &name) {
        for (int i = 0; i < table.columns.size(); ++i)
            if (table.columns[i].name == name)
                return i;
        throw JetError(failure + QStringLiteral("it has no column \"%1\"").arg(name));
    };
    const int id = column(QStringLiteral("Id"));
    const int name = column(QStringLiteral("Name"));
    const int type = column(QStringLiteral("Type"));
    const int flags = column(QStringLiteral("Flags"));
    QList<ListedTable> tables;
    for (const Row &row : data.rows) {
        if (row.at(type).toString().toInt() != MDB_TABLE)
            continue;
        const ListedTable table{row.at(name).toString(),
                                quint32(row.at(id).toString().toLongLong()) & ObjectPageMask,
                                quint32(row.at(flags).toString().toLongLong())};
        // Only Access's own tables are marked as such: MSys..., and f_<32 hex digits>_... that
        // hold the values of multi-valued columns.
        static const QRegularExpression ownName(QStringLiteral("^(MSys|f_[0-9A-F]{32}_)"),
                                                QRegularExpression::CaseInsensitiveOption);
        if (!isUserTable(table) && !ownName.match(table.name).hasMatch())
            throw JetError(failure + QStringLiteral("the table \"%1\" is marked as one of "
                                                    "Access's own")
                                         .arg(table.name));
        tables.append(table);
    }
    return tables;
}

// Every page of the file that holds a table definition belongs to a listed table: a table
// whose line in the catalogue was lost would otherwise vanish without a word.
void checkEveryDefinitionListed(JetFileState &state, const QList<ListedTable> &listed,
                                const QString &failure)
{
    MdbHandle *mdb = state.mdb;
    const ssize_t pageSize = mdb->fmt->pg_size;
    QSet<qint64> owned;
    QList<unsigned long> starts{CatalogueTablePage};
    for (const ListedTable &table : listed)
        starts.append(table.page);
    for (unsigned long page : std::as_const(starts)) {
        // A definition too long for its page goes on over further pages, each naming the next.
        while (page > 0 && qint64(page) < state.pageCount && !owned.contains(qint64(page)) &&
               mdb_read_pg(mdb, page) == pageSize && mdb->pg_buf[0] == TableDefinitionPage) {
            owned.insert(qint64(page));
            page = quint32(mdb_get_int32(mdb->pg_buf, 4));
        }
    }
    for (qint64 page = 1; page < state.pageCount; ++page) {
        if (mdb_read_pg(mdb, (unsigned long)page) != pageSize)
            throw JetError(failure + QStringLiteral("page %1 cannot be read").arg(page));
        if (mdb->pg_buf[0] == TableDefinitionPage && !owned.contains(page))
            throw JetError(
                failure + QStringLiteral("page %1 holds the definition of a table it does not list")
                              .arg(page));
    }
}

} // namespace

JetFile::JetFile(const QString &path) : m_path(path), d(std::make_unique<JetFileState>())
{
    const JetHeader header = JetHeader::inspect(path);
    if (!header.problem().isEmpty())
        throw JetError(header.problem());
    d->pageCount = header.pageCount();

    const QString shown = QDir::toNativeSeparators(path);
    d->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!d->mdb)
        throw JetError(QStringLiteral("%1 cannot be opened as an Access database").arg(shown));
    if (d->mdb->fmt->pg_size != header.pageSize())
        throw JetError(QStringLiteral("%1 has an inconsistent header").arg(shown));

    // The catalogue is read by this reader rather than by libmdb, which passes over what it
    // cannot read and returns fewer tables without a word, and on a file cut short can loop
    // for ever. Whatever libmdb says meanwhile means damage too.
    const QString failure = QStringLiteral("The list of tables of %1 is damaged: ").arg(shown);
    MdbWarnings warnings;
    d->tables = readCatalogue(*d, failure);
    const QByteArray said = warnings.take().trimmed();
    if (!said.isEmpty())
        throw JetError(failure + QString::fromLocal8Bit(said.split('\n').first()));
    checkEveryDefinitionListed(*d, d->tables, failure);
}

JetFile::~JetFile() = default;

int JetFile::jetVersion() const
{
    return d->mdb->f->jet_version == MDB_VER_JET3 ? 3 : 4;
}

QList<Table> JetFile::tables() const
{
    QList<Table> result;
    for (const ListedTable &table : std::as_const(d->tables)) {
        if (!isUserTable(table))
            continue;
        MdbCatalogEntry entry = catalogueEntry(d->mdb, table);
        TableDefPtr def = openTable(&entry);
        result.append(describe(&entry, def.get()));
    }
    return result;
}

TableData JetFile::read(const QString &tableName) const
{
    for (const ListedTable &table : std::as_const(d->tables)) {
        if (!isUserTable(table) || table.name != tableName)
            continue;
        MdbCatalogEntry entry = catalogueEntry(d->mdb, table);
        TableDefPtr def = openTable(&entry);
        JetTableReader reader(d->mdb, d->pageCount, def.get(), tableName);
        return reader.run(describe(&entry, def.get()));
    }
    throw JetError(
        QStringLiteral("%1 has no table \"%2\"").arg(QDir::toNativeSeparators(m_path), tableName));
}

} // namespace jet
