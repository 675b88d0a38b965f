#pragma once

#include <QByteArray>

#include <cstdio>

namespace jet {

// Holds back what libmdb prints while it is alive. libmdb reports a page it cannot read or a
// row it cannot make sense of on the standard streams and then carries on with less, so its
// words are all a caller has to tell a damaged file from a sound one. What was held back is
// passed on to the standard error when taken, the first few kilobytes of it.
class MdbWarnings
{
public:
    MdbWarnings();
    ~MdbWarnings();
    MdbWarnings(const MdbWarnings &) = delete;
    MdbWarnings &operator=(const MdbWarnings &) = delete;

    // Stops holding back and returns what was printed meanwhile (empty when nothing was).
    QByteArray take();

    static constexpr int Kept = 16 * 1024;

private:
    QByteArray m_buffer;
    FILE *m_stream = nullptr;
    FILE *m_stdout = nullptr;
    FILE *m_stderr = nullptr;
};

} // namespace jet
