#pragma once

#include <QString>

// What tells one version of a file on disk from the next: writers replace a
// file by renaming a new one over it, so its inode changes with every save;
// size and modification time catch writers that rewrite it in place.
struct FileStamp {
    bool exists = false;  // a regular file stands at the path
    unsigned long long device = 0;
    unsigned long long inode = 0;
    long long size = 0;
    long long modifiedNs = 0;

    static FileStamp of(const QString &path);
    bool operator==(const FileStamp &) const = default;
};
