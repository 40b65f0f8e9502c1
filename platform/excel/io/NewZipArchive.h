#pragma once

#include "platform/common/Result.h"
#include "platform/excel/io/ZipMember.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace qm {
class AtomicFile;
}

namespace excel::backend {

// A new zip archive, laid out and then written by our own code: each member's
// local header and deflate stream (or its bytes, for a stored one), then the central directory and its end
// record, every member dated 1 January 1980. Zip64 is not written: a member
// or an archive of 4 GiB or more, or more than 65,535 members, is refused
// before anything is written.
class NewZipArchive {
public:
    // Into file, open, or into memory without one.
    explicit NewZipArchive(qm::AtomicFile *file) : m_file(file) {}

    // A member of a name already taken takes the other's place.
    void put(const QString &name, std::unique_ptr<ZipMember> member);
    void remove(const QString &name);
    // The archive's bytes (none when written into the file); the writer is spent.
    qm::Result<QByteArray> finish();

private:
    struct Entry {
        QByteArray name;
        std::unique_ptr<ZipMember> member;
        quint64 offset = 0;
        quint64 compressedSize = 0;
    };
    qm::Status layOut(quint64 &directoryAt, quint64 &directorySize);
    qm::Status writeMember(const Entry &entry);
    qm::Status write(const char *bytes, qsizetype n);

    qm::AtomicFile *m_file = nullptr;
    std::vector<Entry> m_entries;
    QByteArray m_bytes;
};

} // namespace excel::backend
