#pragma once

#include "platform/common/Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

typedef struct zip zip_t;

namespace qm {
class AtomicFile;
}

namespace excel::backend {

struct LibZip;
class SpilledStream;
class ZipMember;

// Reads members of a zip archive held in memory, with libzip, which the first
// reader loads (a failure to load it is the reader's failure). Every member
// name stays a name: nothing from inside the archive is ever used as a file path.
// Decompression is bounded per archive, whatever sizes the archive claims:
// by inflateLimit for an archive of up to 10 MB, in proportion beyond.
class ZipReader {
public:
    static constexpr qint64 MaxInflatedBytes = qint64(256) << 20;
    // The bound in force; tests lower it to try it without gigabytes.
    static qint64 inflateLimit;

    // `bytes` must outlive the reader. An archive holding two members of
    // one name (letter case aside, as package part names go) is refused:
    // which of them is the part cannot be told.
    static qm::Result<ZipReader> open(const QByteArray &bytes);
    ZipReader(ZipReader &&other) noexcept;
    ~ZipReader();

    // The member's name as stored, matched without regard to letter case
    // (package part names are case-insensitive); empty when absent.
    QString locate(const QString &name) const;
    QStringList names() const;
    // Passes the inflated member to `sink` in pieces, inflating the next one
    // meanwhile: sink must not use the reader.
    qm::Status read(const QString &name, const std::function<qm::Status(const char *, size_t)> &sink);
    qm::Result<QByteArray> readAll(const QString &name);
    // The archive's size in bytes, which the readers' limits are scaled by.
    qint64 archiveSize() const { return m_archiveSize; }
    // The bytes inflated so far, which the bound is checked against; a read
    // that is done again instead (a failed try) gives its count back.
    qint64 inflated() const { return m_inflated; }
    void giveBackInflated(qint64 to) { m_inflated = to; }

private:
    ZipReader(const LibZip *lz, zip_t *zip, qint64 archiveSize);
    const LibZip *m_lz = nullptr;
    zip_t *m_zip = nullptr;
    qint64 m_archiveSize = 0;
    qint64 m_inflateLimit = 0;
    qint64 m_inflated = 0;
};

// Writes a zip archive into memory: either new, or a copy of an existing
// archive in which unchanged members are copied byte for byte. A new one may
// be written straight into a file instead; only an update needs libzip.
class ZipWriter {
public:
    static qm::Result<ZipWriter> create();
    // Into file, open: finish() then gives no bytes, and a failure to write
    // is the file's own sentence.
    static qm::Result<ZipWriter> create(qm::AtomicFile &file);
    static qm::Result<ZipWriter> update(const QByteArray &original);
    ZipWriter(ZipWriter &&other) noexcept;
    ~ZipWriter();

    // Adds or replaces a member, deflated, dated 1 January 1980 as Excel does.
    qm::Status put(const QString &name, QByteArray data);
    // Adds or replaces a member from its raw deflate stream, inflated size and CRC-32.
    qm::Status putDeflated(const QString &name, QByteArray stream, quint64 size, quint32 crc);
    // Adds a member as it is, not deflated; a new archive only.
    qm::Status putStored(const QString &name, QByteArray data);
    // The same from a stream in a temporary file, read as the archive is written.
    qm::Status putSpilled(const QString &name, std::shared_ptr<const SpilledStream> stream, quint64 size, quint32 crc);
    qm::Status remove(const QString &name);
    // Finishes the archive and returns its bytes; the writer is spent.
    qm::Result<QByteArray> finish();

private:
    ZipWriter() = default;
    struct DeflatedMember;
    qm::Status add(const QString &name, std::unique_ptr<ZipMember> member);
    struct Private;
    Private *d = nullptr;
};

} // namespace excel::backend
