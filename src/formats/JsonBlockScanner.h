#pragma once

#include <QByteArray>

class QIODevice;

namespace formats {

// Finds the JSON texts of a file without reading it whole: in a web page, the content of
// each <script type="application/ld+json"> element; in a JSON file, each element of a list
// at the top, or each value at the top. Tolerant of whatever else a page holds.
class JsonBlockScanner
{
public:
    enum class Mode
    {
        Html,
        Json
    };
    static constexpr qsizetype MaxBlock = 32 * 1024 * 1024;

    JsonBlockScanner(QIODevice &device, Mode mode);

    // The next JSON text and the line it starts on; false at the end of the file. A text over
    // MaxBlock is passed over and comes back empty with tooLarge set.
    bool next(QByteArray &block, qint64 &line, bool &tooLarge);

private:
    int peek();
    int get();
    void append(QByteArray &block, char c, bool &tooLarge);
    bool skipPast(QByteArrayView needle); // case-insensitive; false at the end
    bool nextScript(QByteArray &block, qint64 &line, bool &tooLarge);
    bool nextValue(QByteArray &block, qint64 &line, bool &tooLarge);

    QIODevice &m_device;
    Mode m_mode;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    qint64 m_line = 1;
    bool m_started = false;
    bool m_inList = false;
};

} // namespace formats
