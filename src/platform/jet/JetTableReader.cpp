#include "JetTableReader.h"

#include <glib.h>

#include <vector>

namespace jet {

namespace {
// Flags in the row-offset table of a data page. A row that grew too big for its page is
// moved: its stored place keeps a 4-byte pointer (page << 8 | row) flagged OverflowRow, and
// its new place is flagged DeletedRow so that a scan of the new page passes over it.
constexpr int DeletedRow = 0x8000;
constexpr int OverflowRow = 0x4000;
constexpr int OffsetMask = 0x1fff;
// Jet moves a row once and updates the pointer if it moves again; a few hops are tolerated,
// more means the pointers run in a circle.
constexpr int MaxOverflowHops = 4;
// The header of a long value (Memo, OLE Object) in its row.
constexpr int LongValueHeader = MDB_MEMO_OVERHEAD;
constexpr quint32 LongValueInline = 0x80;
constexpr quint32 LongValueOnePage = 0x40;
constexpr quint32 LongValueChained = 0x00;

// Where a value comes from, for messages.
QString placeOf(const QString &table, qint64 row, const QString &column)
{
    return QStringLiteral("table \"%1\", row %2, column \"%3\"").arg(table).arg(row).arg(column);
}

bool isSurrogate(unsigned unit)
{
    return unit >= 0xd800 && unit <= 0xdfff;
}

// True when Jet 4 text (UTF-16LE, possibly in Jet's compressed form) holds a character outside
// the Basic Multilingual Plane, which libmdb's conversion turns into "?". The compressed form is
// read the way libmdb reads it: after the marker FF FE, a zero byte switches between one byte
// and two bytes a character.
bool hasCharactersOutsideBmp(const QByteArray &raw)
{
    const auto *p = reinterpret_cast<const unsigned char *>(raw.constData());
    const qsizetype n = raw.size();
    const bool marked = n >= 2 && p[0] == 0xff && p[1] == 0xfe;
    bool compressed = marked;
    for (qsizetype i = marked ? 2 : 0; i < n;) {
        if (marked && p[i] == 0) {
            compressed = !compressed;
            ++i;
        } else if (compressed) {
            ++i;
        } else if (i + 1 < n) {
            if (isSurrogate(p[i] | (unsigned(p[i + 1]) << 8)))
                return true;
            i += 2;
        } else {
            break;
        }
    }
    return false;
}

} // namespace

void JetTableReader::loadPage(quint32 page)
{
    if (m_loaded == page && page != 0)
        return;
    if (page == 0 || page >= m_pageCount || mdb_read_pg(m_mdb, page) != m_mdb->fmt->pg_size)
        fail(QStringLiteral("page %1 is missing from the file").arg(page));
    if (m_mdb->pg_buf[0] != MDB_PAGE_DATA ||
        quint32(mdb_get_int32(m_mdb->pg_buf, 4)) != quint32(m_def->entry->table_pg)) {
        m_loaded = 0;
        fail(QStringLiteral("page %1 is not a data page of this table").arg(page));
    }
    m_loaded = page;
}

// The table's data pages in the order of its usage map: the order Jet stores rows in.
QList<quint32> JetTableReader::dataPages()
{
    QList<quint32> pages;
    mdb_rewind_table(m_def);
    while (mdb_read_next_dpg(m_def)) {
        const quint32 page = m_def->cur_phys_pg;
        if (!pages.isEmpty() && page <= pages.last())
            break; // the map ran backwards: damaged, the row count check reports it
        pages.append(page);
        if (pages.size() > m_pageCount)
            break;
    }
    m_loaded = 0;
    return pages;
}

void JetTableReader::readRowAt(quint32 page, int slot, int hops)
{
    loadPage(page);
    const int rco = m_mdb->fmt->row_count_offset;
    if (slot >= mdb_get_int16(m_mdb->pg_buf, rco))
        fail(QStringLiteral("a moved row points to row %1 of page %2, which does not exist")
                 .arg(slot)
                 .arg(page));
    const int entry = mdb_get_int16(m_mdb->pg_buf, rco + 2 + slot * 2);
    int start = 0;
    size_t length = 0;
    if (mdb_find_row(m_mdb, slot, &start, &length) != 0 || length == 0)
        fail(QStringLiteral("row %1 of page %2 lies outside its page").arg(slot).arg(page));
    start &= OffsetMask;

    if (entry & OverflowRow) {
        // The stored place of a moved row: the row is read where its pointer leads.
        if (hops >= MaxOverflowHops)
            fail(
                QStringLiteral("the pointers of a moved row on page %1 run in a circle").arg(page));
        if (length < 4)
            fail(QStringLiteral("the pointer of a moved row on page %1 is damaged").arg(page));
        const auto target = quint32(mdb_get_int32(m_mdb->pg_buf, start));
        readRowAt(target >> 8, int(target & 0xff), hops + 1);
        return;
    }

    std::vector<MdbField> fields(m_def->num_cols);
    if (mdb_crack_row(m_def, start, length, fields.data()) < 0)
        fail(QStringLiteral("row %1 of page %2 is damaged").arg(slot).arg(page));
    Row row;
    row.reserve(int(m_def->num_cols));
    for (unsigned i = 0; i < m_def->num_cols; ++i) {
        const auto *column = static_cast<const MdbColumn *>(g_ptr_array_index(m_def->columns, i));
        row.append(value(fields[i], column));
        loadPage(page); // a long value may have read other pages
    }
    m_data.rows.append(row);
}

QVariant JetTableReader::value(const MdbField &field, const MdbColumn *column)
{
    const qint64 rowNumber = m_data.rows.size() + 1;
    const QString columnName = QString::fromUtf8(column->name);
    switch (column->col_type) {
    case MDB_BOOL:
        return QVariant(!field.is_null); // a Yes/No value lives in the null mask
    default:
        break;
    }
    if (field.is_null)
        return QVariant();

    unsigned char *page = m_mdb->pg_buf;
    switch (column->col_type) {
    case MDB_TEXT: {
        const QByteArray raw(reinterpret_cast<const char *>(page) + field.start, field.siz);
        return text(raw, column);
    }
    case MDB_MEMO:
        return text(longValue(field, column), column);
    case MDB_OLE:
        return longValue(field, column);
    case MDB_BINARY:
        return QByteArray(reinterpret_cast<const char *>(page) + field.start, field.siz);
    case MDB_NUMERIC: {
        char *s = mdb_numeric_to_string(m_mdb, field.start, column->col_scale, column->col_prec);
        const QString result = QString::fromUtf8(s);
        g_free(s);
        return result;
    }
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_DATETIME:
    case MDB_REPID:
    case MDB_COMPLEX: {
        char *s = mdb_col_to_string(m_mdb, page, field.start, column->col_type, field.siz);
        const QString result = QString::fromUtf8(s ? s : "");
        g_free(s);
        return result;
    }
    default:
        fail(QStringLiteral("%1 has a column type this reader does not know (%2)")
                 .arg(placeOf(m_name, rowNumber, columnName))
                 .arg(column->col_type));
    }
}

// A Memo or OLE Object value, whole: in its row, on one other page, or chained over pages.
QByteArray JetTableReader::longValue(const MdbField &field, const MdbColumn *column)
{
    const QString where = placeOf(m_name, m_data.rows.size() + 1, QString::fromUtf8(column->name));
    if (field.siz == 0)
        return QByteArray();
    if (field.siz < LongValueHeader)
        fail(QStringLiteral("%1: the value's header is cut short").arg(where));
    unsigned char *page = m_mdb->pg_buf;
    const auto header = quint32(mdb_get_int32(page, field.start));
    const quint32 length = header & 0x00ffffff;
    const quint32 kind = header >> 24;

    if (kind == LongValueInline) {
        if (quint32(field.siz - LongValueHeader) != length)
            fail(QStringLiteral("%1: the value is shorter than its header says").arg(where));
        return QByteArray(reinterpret_cast<const char *>(page) + field.start + LongValueHeader,
                          int(length));
    }
    if (kind != LongValueOnePage && kind != LongValueChained)
        fail(QStringLiteral("%1: the value has an unknown kind of storage (%2)")
                 .arg(where)
                 .arg(kind, 2, 16, QLatin1Char('0')));

    QByteArray result;
    auto pgRow = quint32(mdb_get_int32(page, field.start + 4));
    qint64 hops = 0;
    while (pgRow != 0) {
        void *buffer = nullptr;
        int start = 0;
        size_t size = 0;
        if ((pgRow >> 8) >= quint64(m_pageCount) ||
            mdb_find_pg_row(m_mdb, int(pgRow), &buffer, &start, &size) != 0)
            fail(QStringLiteral("%1: a part of the value on page %2 is missing")
                     .arg(where)
                     .arg(pgRow >> 8));
        const char *bytes = static_cast<const char *>(buffer) + start;
        if (kind == LongValueOnePage) {
            result.append(bytes, qsizetype(size));
            break;
        }
        if (size < 4 || ++hops > m_pageCount)
            fail(QStringLiteral("%1: the chain of pages holding the value is damaged").arg(where));
        result.append(bytes + 4, qsizetype(size - 4));
        if (quint32(result.size()) > length)
            break;
        pgRow = quint32(mdb_get_int32(const_cast<char *>(bytes), 0));
    }
    if (quint32(result.size()) != length)
        fail(QStringLiteral("%1: %2 of %3 bytes of the value could be read")
                 .arg(where)
                 .arg(result.size())
                 .arg(length));
    return result;
}

// Text as libmdb converts it (UTF-8 out of Jet 4's UTF-16 or Jet 3's code page), into a buffer
// big enough for any conversion of the raw bytes, so that nothing is ever cut.
QString JetTableReader::text(const QByteArray &raw, const MdbColumn *column)
{
    if (raw.isEmpty())
        return QStringLiteral(""); // empty, not null
    const size_t size = size_t(raw.size()) * 3 + 16;
    std::vector<char> buffer(size + 1, '\0');
    const int written =
        mdb_unicode2ascii(m_mdb, raw.constData(), size_t(raw.size()), buffer.data(), size);
    if (written < 0 || size_t(written) + 4 >= size)
        fail(QStringLiteral("%1: the text does not fit the conversion buffer")
                 .arg(placeOf(m_name, m_data.rows.size() + 1, QString::fromUtf8(column->name))));
    if (m_mdb->f->jet_version != MDB_VER_JET3 && hasCharactersOutsideBmp(raw))
        ++m_data.valuesWithLostCharacters;
    return QString::fromUtf8(buffer.data(), written);
}

TableData JetTableReader::run(const Table &table)
{
    m_data.table = table;
    const QList<quint32> pages = dataPages();
    const int rco = m_mdb->fmt->row_count_offset;
    const int maxSlots = int((m_mdb->fmt->pg_size - rco - 2) / 2);
    for (const quint32 page : pages) {
        loadPage(page);
        const int slotCount = mdb_get_int16(m_mdb->pg_buf, rco);
        if (slotCount < 0 || slotCount > maxSlots)
            fail(QStringLiteral("page %1 claims %2 rows").arg(page).arg(slotCount));
        for (int slot = 0; slot < slotCount; ++slot) {
            loadPage(page);
            const int entry = mdb_get_int16(m_mdb->pg_buf, rco + 2 + slot * 2);
            if (entry & DeletedRow)
                continue; // deleted, or the new place of a moved row
            readRowAt(page, slot, 0);
            if (m_data.rows.size() > table.rowCount)
                break;
        }
    }
    if (m_data.rows.size() != table.rowCount)
        fail(QStringLiteral("%1 of its %2 rows were found; the file is damaged")
                 .arg(m_data.rows.size())
                 .arg(table.rowCount));
    return m_data;
}

} // namespace jet
