// libFuzzer harness for the two readers: any bytes, read as each text format in turn, must
// give entries and end, never crash or hang. Built and run by scripts/fuzz-formats, never by
// the tests.
#include "formats/RecipeReader.h"

#include <QBuffer>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const auto format : {formats::Format::MealMaster, formats::Format::SchemaOrgHtml,
                              formats::Format::SchemaOrgJson}) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        formats::DetectFormat(buffer);
        auto reader = formats::OpenReader(buffer, format);
        formats::ReadEntry entry;
        qint64 count = 0;
        while (reader->next(entry))
            if (++count > qint64(size) + 16)
                __builtin_trap(); // more entries than the bytes could hold: a loop
    }
    return 0;
}
