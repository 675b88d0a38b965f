#include "formats/SchemaOrgWriter.h"

#include "formats/SchemaOrgRecipe.h"

#include <QJsonDocument>

namespace formats {

SchemaOrgWriter::SchemaOrgWriter(QIODevice &device) : m_device(device) {}

void SchemaOrgWriter::add(const FormatRecipe &recipe)
{
    QByteArray json =
        QJsonDocument(SchemaOrgRecipe::ToJson(recipe)).toJson(QJsonDocument::Indented);
    json.chop(1); // the document's closing line end
    if (m_count == 0) {
        m_first = json;
    } else {
        if (m_count == 1)
            m_ok = m_device.write("[\n" + m_first) >= 0 && m_ok;
        m_ok = m_device.write(",\n" + json) >= 0 && m_ok;
    }
    ++m_count;
}

bool SchemaOrgWriter::finish()
{
    if (m_count == 1)
        m_ok = m_device.write(m_first + "\n") >= 0 && m_ok;
    else if (m_count > 1)
        m_ok = m_device.write("\n]\n") >= 0 && m_ok;
    else
        m_ok = m_device.write("[]\n") >= 0 && m_ok;
    return m_ok;
}

} // namespace formats
