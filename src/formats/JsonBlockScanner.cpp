#include "formats/JsonBlockScanner.h"

#include <QIODevice>

namespace formats {

namespace {

constexpr qint64 BlockSize = 256 * 1024;

char Lower(int c)
{
    return static_cast<char>((c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c);
}

bool IsSpace(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

} // namespace

JsonBlockScanner::JsonBlockScanner(QIODevice &device, Mode mode) : m_device(device), m_mode(mode) {}

int JsonBlockScanner::peek()
{
    if (m_pos >= m_buffer.size()) {
        m_buffer.resize(BlockSize);
        const qint64 got = m_device.read(m_buffer.data(), BlockSize);
        m_buffer.resize(qMax<qint64>(got, 0));
        m_pos = 0;
        if (got <= 0)
            return -1;
    }
    return static_cast<unsigned char>(m_buffer[m_pos]);
}

int JsonBlockScanner::get()
{
    const int c = peek();
    if (c >= 0) {
        ++m_pos;
        if (c == '\n')
            ++m_line;
    }
    return c;
}

void JsonBlockScanner::append(QByteArray &block, char c, bool &tooLarge)
{
    if (block.size() >= MaxBlock) {
        tooLarge = true;
        block.clear();
    }
    if (!tooLarge)
        block.append(c);
}

bool JsonBlockScanner::skipPast(QByteArrayView needle)
{
    qsizetype matched = 0;
    for (int c = get(); c >= 0; c = get()) {
        if (Lower(c) == needle[matched]) {
            if (++matched == needle.size())
                return true;
        } else {
            matched = Lower(c) == needle[0] ? 1 : 0;
        }
    }
    return false;
}

bool JsonBlockScanner::next(QByteArray &block, qint64 &line, bool &tooLarge)
{
    block.clear();
    tooLarge = false;
    return m_mode == Mode::Html ? nextScript(block, line, tooLarge)
                                : nextValue(block, line, tooLarge);
}

bool JsonBlockScanner::nextScript(QByteArray &block, qint64 &line, bool &tooLarge)
{
    static constexpr QByteArrayView End = "</script";
    while (skipPast("<script")) {
        if (!IsSpace(peek()) && peek() != '>')
            continue;
        QByteArray tag;
        for (int c = get(); c >= 0 && c != '>'; c = get())
            if (tag.size() < 4096)
                tag.append(Lower(c));
        const bool data = tag.contains("application/ld+json");
        line = m_line;
        qsizetype matched = 0;
        for (int c = get(); c >= 0; c = get()) {
            if (Lower(c) == End[matched]) {
                if (++matched == End.size())
                    break;
                continue;
            }
            if (data) {
                for (qsizetype i = 0; i < matched; ++i)
                    append(block, End[i], tooLarge);
            }
            matched = Lower(c) == End[0] ? 1 : 0;
            if (data && matched == 0)
                append(block, static_cast<char>(c), tooLarge);
        }
        if (data)
            return true;
    }
    return false;
}

bool JsonBlockScanner::nextValue(QByteArray &block, qint64 &line, bool &tooLarge)
{
    for (;;) {
        int c = peek();
        if (!m_started) {
            m_started = true;
            if (m_buffer.startsWith("\xEF\xBB\xBF")) {
                m_pos += 3;
                continue;
            }
        }
        if (c < 0)
            return false;
        if (IsSpace(c) || (m_inList && c == ',')) {
            get();
            continue;
        }
        if (c == '[' && !m_inList && block.isEmpty()) {
            // A list at the top: its elements are read one by one.
            get();
            m_inList = true;
            continue;
        }
        if (m_inList && c == ']') {
            get();
            m_inList = false;
            continue;
        }
        break;
    }
    line = m_line;
    int depth = 0;
    qsizetype taken = 0;
    bool string = false, inString = false, escaped = false;
    for (int c = peek(); c >= 0; c = peek()) {
        if (!inString && depth == 0 && taken > 0 &&
            (IsSpace(c) || c == ',' || c == ']' || c == '}' || c == '[' || c == '{' || c == '"'))
            break;
        get();
        append(block, static_cast<char>(c), tooLarge);
        ++taken;
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = string = true;
        } else if (c == '{' || c == '[') {
            ++depth;
        } else if ((c == '}' || c == ']') && --depth <= 0) {
            break;
        }
        if (string && !inString && depth == 0)
            break;
    }
    return true;
}

} // namespace formats
