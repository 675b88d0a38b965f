#include "formats/RecipeReader.h"

#include "formats/MealMasterReader.h"
#include "formats/SchemaOrgReader.h"
#include "formats/TextDecoding.h"

#include <QIODevice>

namespace formats {

Format DetectFormat(QIODevice &device)
{
    const QByteArray head = device.peek(64 * 1024);
    if (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB")
        return Format::Jet;
    QByteArrayView text(head);
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    const QByteArrayView trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return LooksBinary(head) ? Format::Binary : Format::Empty;
    if (trimmed.startsWith('{') || trimmed.startsWith('['))
        return Format::SchemaOrgJson;
    if (LooksBinary(head))
        return Format::Binary;
    const QByteArray lower = head.toLower();
    if (lower.contains("meal-master"))
        return Format::MealMaster;
    for (const char *marker : {"<html", "<!doctype html", "<script", "<head"})
        if (lower.contains(marker))
            return Format::SchemaOrgHtml;
    return Format::MealMaster;
}

std::unique_ptr<RecipeReader> OpenReader(QIODevice &device, Format format)
{
    switch (format) {
    case Format::MealMaster:
        return std::make_unique<MealMasterReader>(device);
    case Format::SchemaOrgHtml:
        return std::make_unique<SchemaOrgReader>(device, JsonBlockScanner::Mode::Html);
    case Format::SchemaOrgJson:
        return std::make_unique<SchemaOrgReader>(device, JsonBlockScanner::Mode::Json);
    default:
        return nullptr;
    }
}

} // namespace formats
