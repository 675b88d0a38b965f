#pragma once

#include <QString>

namespace jet {

// What the first page of a file says about it. Looked at before a file goes near libmdb, which
// trusts whatever it is given.
class JetHeader
{
public:
    enum class Format
    {
        Unreadable, // missing, not a file, or no permission to read it
        NotAccess,  // no Access header at all
        Jet3,       // Access 97: "Standard Jet DB", version 0, pages of 2 KiB
        Jet4,       // Access 2000 to 2003: "Standard Jet DB", version 1, pages of 4 KiB
        Ace,        // Access 2007 and later (.accdb): "Standard ACE DB"
    };

    static JetHeader inspect(const QString &path);

    Format format() const { return m_format; }
    bool isJet() const { return m_format == Format::Jet3 || m_format == Format::Jet4; }
    int pageSize() const { return m_pageSize; }
    qint64 pageCount() const { return m_pageCount; }

    // Empty when the file looks like a Jet file that can be handed to the reader; otherwise
    // why not, in a sentence ("... is truncated: ...").
    QString problem() const { return m_problem; }

private:
    Format m_format = Format::Unreadable;
    int m_pageSize = 0;
    qint64 m_pageCount = 0;
    QString m_problem;
};

} // namespace jet
