#include "MdbWarnings.h"

namespace jet {

// The C library lets a program point stdout and stderr at streams of its own, and libmdb
// prints through them: for as long as this object lives they write into a buffer of a fixed
// size, so that even a library printing without end cannot fill a disk.
MdbWarnings::MdbWarnings() : m_buffer(Kept, '\0')
{
    fflush(stdout);
    fflush(stderr);
    m_stream = fmemopen(m_buffer.data(), size_t(m_buffer.size()), "w");
    if (!m_stream)
        return;
    m_stdout = stdout;
    m_stderr = stderr;
    stdout = m_stream;
    stderr = m_stream;
}

MdbWarnings::~MdbWarnings()
{
    take();
}

QByteArray MdbWarnings::take()
{
    if (!m_stream)
        return QByteArray();
    fflush(m_stream);
    const long written = ftell(m_stream);
    stdout = m_stdout;
    stderr = m_stderr;
    fclose(m_stream);
    m_stream = nullptr;
    const QByteArray text = m_buffer.left(qBound(0L, written, long(Kept)));
    fwrite(text.constData(), 1, size_t(text.size()), stderr);
    return text;
}

} // namespace jet
