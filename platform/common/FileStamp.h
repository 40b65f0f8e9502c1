#pragma once

#include <QByteArray>
#include <QString>

namespace qm {

// What the system tells of a file without reading it: enough to see that
// another program has written it since (a save through a temporary file
// gives it a new inode, an edit in place a new time or size).
struct FileStamp {
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    quint64 device = 0, inode = 0;
    bool operator==(const FileStamp &) const = default;

    static FileStamp of(const QString &path);
    static FileStamp ofDescriptor(int fd);
};

// Whether path is still the file stamped `was`: the same stamp and, when
// `content` is given, the same bytes.
bool fileUnchanged(const QString &path, const FileStamp &was, const QByteArray *content);

} // namespace qm
