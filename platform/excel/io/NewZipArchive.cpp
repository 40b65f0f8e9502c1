#include "platform/excel/io/NewZipArchive.h"

#include "platform/common/AtomicFile.h"

#include <algorithm>
#include <limits>

namespace excel::backend {

namespace {

constexpr quint32 kLocalHeader = 0x04034b50, kDirectoryHeader = 0x02014b50, kEndOfDirectory = 0x06054b50;
constexpr qsizetype kLocalHeaderSize = 30, kDirectoryHeaderSize = 46, kEndSize = 22;
constexpr quint16 kVersionNeeded = 20;             // 2.0: deflate
constexpr quint16 kVersionMadeBy = (3 << 8) | 63;  // Unix, 6.3
constexpr quint16 kUtf8Name = 1 << 11;
constexpr quint16 kStored = 0, kDeflated = 8;
constexpr quint16 kDosDate = (0 << 9) | (1 << 5) | 1; // 1 January 1980, midnight
constexpr quint32 kRegularFile = 0100644u << 16; // rw-r--r--, whatever the umask
// Without zip64 every size and offset is below this, which marks a zip64 field.
constexpr quint64 kLimit = 0xFFFFFFFFu;
constexpr qsizetype kCopyPiece = qsizetype(1) << 18;

void put16(QByteArray &out, quint32 v)
{
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
}
void put32(QByteArray &out, quint32 v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

quint16 flagsOf(const QByteArray &name)
{
    const bool ascii = std::all_of(name.begin(), name.end(), [](char c) { return uchar(c) < 0x80; });
    return ascii ? 0 : kUtf8Name;
}

// What the local header and the directory's entry share, from "version needed" to the name's length.
void putCommon(QByteArray &out, const QByteArray &name, const ZipMember &member, quint64 compressedSize)
{
    put16(out, kVersionNeeded);
    put16(out, flagsOf(name));
    put16(out, member.isStored() ? kStored : kDeflated);
    put16(out, 0); // time
    put16(out, kDosDate);
    put32(out, member.crc());
    put32(out, quint32(compressedSize));
    put32(out, quint32(member.size()));
    put16(out, quint32(name.size()));
    put16(out, 0); // extra field
}

} // namespace

void NewZipArchive::put(const QString &name, std::unique_ptr<ZipMember> member)
{
    QByteArray utf8 = name.toUtf8();
    for (Entry &entry : m_entries)
        if (entry.name == utf8) {
            entry.member = std::move(member);
            return;
        }
    m_entries.push_back({std::move(utf8), std::move(member)});
}

void NewZipArchive::remove(const QString &name)
{
    const QByteArray utf8 = name.toUtf8();
    std::erase_if(m_entries, [&](const Entry &entry) { return entry.name == utf8; });
}

qm::Status NewZipArchive::layOut(quint64 &directoryAt, quint64 &directorySize)
{
    if (m_entries.size() > 0xFFFF)
        return qm::makeError(QStringLiteral("the zip archive would hold %1 members, more than the 65,535 an archive "
                                            "without zip64 holds; it is not written")
                                 .arg(QString::number(m_entries.size())));
    quint64 at = 0;
    directorySize = 0;
    for (Entry &entry : m_entries) {
        if (!entry.member->wait())
            return qm::makeError(QStringLiteral("the part %1 cannot be deflated; the zip archive is not written")
                                     .arg(QString::fromUtf8(entry.name)));
        entry.compressedSize = entry.member->compressedSize();
        if (entry.name.size() > 0xFFFF)
            return qm::makeError(QStringLiteral("the part name %1... is longer than 65,535 bytes; the zip archive is not written")
                                     .arg(QString::fromUtf8(entry.name.left(200))));
        if (entry.member->size() >= kLimit || entry.compressedSize >= kLimit)
            return qm::makeError(QStringLiteral("the part %1 is 4 GiB or larger, more than a zip archive without zip64 "
                                                "holds; it is not written")
                                     .arg(QString::fromUtf8(entry.name)));
        entry.offset = at;
        at += quint64(kLocalHeaderSize) + quint64(entry.name.size()) + entry.compressedSize;
        directorySize += quint64(kDirectoryHeaderSize) + quint64(entry.name.size());
    }
    directoryAt = at;
    // Every offset is below the directory's, which the end record must hold too.
    if (directoryAt >= kLimit || directorySize >= kLimit)
        return qm::makeError(QStringLiteral("the zip archive would be 4 GiB or larger, more than an archive without "
                                            "zip64 holds; it is not written"));
    return {};
}

qm::Status NewZipArchive::write(const char *bytes, qsizetype n)
{
    if (m_file)
        return m_file->write(QByteArrayView(bytes, n));
    m_bytes.append(bytes, n);
    return {};
}

qm::Status NewZipArchive::writeMember(const Entry &entry)
{
    QByteArray header;
    header.reserve(kLocalHeaderSize + entry.name.size());
    put32(header, kLocalHeader);
    putCommon(header, entry.name, *entry.member, entry.compressedSize);
    header += entry.name;
    if (auto status = write(header.constData(), header.size()); !status)
        return status;
    const ZipMember &member = *entry.member;
    if (!member.stream().isEmpty() || entry.compressedSize == 0)
        return write(member.stream().constData(), member.stream().size());
    std::unique_ptr<char[]> piece = std::make_unique<char[]>(size_t(kCopyPiece));
    for (quint64 done = 0; done < entry.compressedSize;) {
        const qint64 n = member.read(done, piece.get(), qint64(std::min<quint64>(kCopyPiece, entry.compressedSize - done)));
        if (n <= 0)
            return qm::makeError(QStringLiteral("the part %1 cannot be read back from its temporary file; the zip "
                                                "archive is not written")
                                     .arg(QString::fromUtf8(entry.name)));
        if (auto status = write(piece.get(), qsizetype(n)); !status)
            return status;
        done += quint64(n);
    }
    return {};
}

qm::Result<QByteArray> NewZipArchive::finish()
{
    quint64 directoryAt = 0, directorySize = 0;
    if (auto laidOut = layOut(directoryAt, directorySize); !laidOut)
        return laidOut.error();
    if (!m_file)
        m_bytes.reserve(qsizetype(directoryAt + directorySize + kEndSize));
    QByteArray directory;
    directory.reserve(qsizetype(directorySize + kEndSize));
    for (Entry &entry : m_entries) {
        if (auto status = writeMember(entry); !status)
            return status.error();
        put32(directory, kDirectoryHeader);
        put16(directory, kVersionMadeBy);
        putCommon(directory, entry.name, *entry.member, entry.compressedSize);
        put16(directory, 0); // comment
        put16(directory, 0); // disk
        put16(directory, 0); // internal attributes
        put32(directory, kRegularFile);
        put32(directory, quint32(entry.offset));
        directory += entry.name;
        entry.member.reset(); // its stream is written
    }
    put32(directory, kEndOfDirectory);
    put16(directory, 0); // this disk
    put16(directory, 0); // the directory's disk
    put16(directory, quint32(m_entries.size()));
    put16(directory, quint32(m_entries.size()));
    put32(directory, quint32(directorySize));
    put32(directory, quint32(directoryAt));
    put16(directory, 0); // comment
    if (auto status = write(directory.constData(), directory.size()); !status)
        return status.error();
    m_entries.clear();
    return std::move(m_bytes);
}

} // namespace excel::backend
