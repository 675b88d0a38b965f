#include "formats/LineReader.h"

#include <QIODevice>

namespace formats {

namespace {
constexpr qint64 BlockSize = 256 * 1024;
}

LineReader::LineReader(QIODevice &device) : m_device(device) {}

bool LineReader::fill()
{
    if (m_atEnd)
        return false;
    m_buffer.remove(0, m_pos);
    m_pos = 0;
    const qsizetype had = m_buffer.size();
    m_buffer.resize(had + BlockSize);
    const qint64 got = m_device.read(m_buffer.data() + had, BlockSize);
    m_buffer.resize(had + qMax<qint64>(got, 0));
    if (got <= 0)
        m_atEnd = true;
    return got > 0;
}

bool LineReader::next(QByteArray &line)
{
    line.clear();
    m_cut = false;
    for (;;) {
        const char *data = m_buffer.constData();
        const qsizetype size = m_buffer.size();
        qsizetype end = m_pos;
        while (end < size && data[end] != '\n' && data[end] != '\r')
            ++end;
        const qsizetype take = qMin(end - m_pos, MaxLine - line.size());
        if (take > 0)
            line.append(data + m_pos, take);
        if (end - m_pos > take)
            m_cut = true;
        if (end < size) {
            // A CR as the last byte read may be the first half of a CR LF.
            if (data[end] == '\r' && end + 1 == size && !m_atEnd) {
                m_pos = end;
                fill();
                data = m_buffer.constData();
                end = m_pos;
                m_pos = end + ((end + 1 < m_buffer.size() && data[end + 1] == '\n') ? 2 : 1);
            } else {
                m_pos =
                    end + ((data[end] == '\r' && end + 1 < size && data[end + 1] == '\n') ? 2 : 1);
            }
            ++m_lineNumber;
            return true;
        }
        m_pos = end;
        if (!fill()) {
            if (line.isEmpty() && !m_cut)
                return false;
            ++m_lineNumber;
            return true;
        }
    }
}

} // namespace formats
