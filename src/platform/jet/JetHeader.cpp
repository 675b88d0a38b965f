#include "JetHeader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace jet {

namespace {
constexpr qint64 JetSignatureOffset = 4;
constexpr qint64 VersionOffset = 0x14;
constexpr char JetSignature[] = "Standard Jet DB";
constexpr char AceSignature[] = "Standard ACE DB";
// A database that Access made holds at least its header page, the page of its system
// catalogue and that catalogue's data; anything shorter is cut off.
constexpr qint64 MinimumPages = 3;
} // namespace

JetHeader JetHeader::inspect(const QString &path)
{
    JetHeader header;
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        header.m_problem =
            QStringLiteral("%1 cannot be read: %2")
                .arg(shown,
                     QFileInfo::exists(path) ? file.errorString() : QStringLiteral("no such file"));
        return header;
    }
    const QByteArray head = file.read(VersionOffset + 1);
    const qint64 size = file.size();
    file.close();

    const QByteArray signature = head.mid(JetSignatureOffset, sizeof(JetSignature) - 1);
    if (head.size() > VersionOffset && signature == AceSignature) {
        header.m_format = Format::Ace;
        header.m_problem =
            QStringLiteral("%1 is an Access 2007 or later database (.accdb, \"Standard ACE "
                           "DB\"); only Access 97 to 2003 databases (.mdb) can be read")
                .arg(shown);
        return header;
    }
    if (head.size() <= VersionOffset || signature != JetSignature) {
        header.m_format = Format::NotAccess;
        header.m_problem =
            QStringLiteral("%1 is not an Access database (no \"Standard Jet DB\" header)")
                .arg(shown);
        return header;
    }

    const auto version = static_cast<unsigned char>(head.at(VersionOffset));
    if (version == 0) {
        header.m_format = Format::Jet3;
        header.m_pageSize = 2048;
    } else if (version == 1) {
        header.m_format = Format::Jet4;
        header.m_pageSize = 4096;
    } else {
        // The Jet signature with an ACE version number: not something Access writes.
        header.m_format = Format::NotAccess;
        header.m_problem = QStringLiteral("%1 has a Jet header with an unknown version number (%2)")
                               .arg(shown)
                               .arg(version);
        return header;
    }

    header.m_pageCount = size / header.m_pageSize;
    if (size % header.m_pageSize != 0 || header.m_pageCount < MinimumPages) {
        header.m_problem = QStringLiteral("%1 is truncated: %2 bytes is not a whole number of "
                                          "%3-byte pages of a database")
                               .arg(shown)
                               .arg(size)
                               .arg(header.m_pageSize);
        if (size % header.m_pageSize == 0)
            header.m_problem = QStringLiteral("%1 is truncated: it holds %2 pages, too few for a "
                                              "database")
                                   .arg(shown)
                                   .arg(header.m_pageCount);
    }
    return header;
}

} // namespace jet
