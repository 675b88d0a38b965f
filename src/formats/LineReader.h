#pragma once

#include <QByteArray>

class QIODevice;

namespace formats {

// Reads a device line by line in large blocks, whatever its line ends (CR LF, LF or CR), and
// counts the lines. A line longer than the limit is cut there and marked, so that a file of
// bytes with no line end in them never grows the memory.
class LineReader
{
public:
    static constexpr qsizetype MaxLine = 64 * 1024;

    explicit LineReader(QIODevice &device);

    // The next line without its end; false at the end of the device.
    bool next(QByteArray &line);
    qint64 lineNumber() const { return m_lineNumber; } // of the line last returned
    bool lineWasCut() const { return m_cut; }

private:
    bool fill();

    QIODevice &m_device;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    qint64 m_lineNumber = 0;
    bool m_cut = false;
    bool m_atEnd = false;
};

} // namespace formats
