#pragma once

// Paths written on Windows (backslashes, a case that may not match the disk)
// resolved on this system, and paths written back the Windows way.

#include <QHash>
#include <QString>

namespace vbide {

struct ResolvedPath {
    QString path;         // absolute, with this system's separators
    bool exists = false;  // false: path is the best guess
};

// Resolves a path as found in a project file, relative to baseDir unless
// absolute. Each segment that does not exist as written is matched against
// the folder's entries without case. A drive letter ("C:\...") cannot be
// resolved here: exists is false.
ResolvedPath resolveWindowsPath(const QString &baseDir, const QString &windowsPath);

// Resolves many paths against the same folders, listing each folder once
// (a project file may name thousands of files in one folder).
class WindowsPathResolver {
public:
    ResolvedPath resolve(const QString &baseDir, const QString &windowsPath);

private:
    QString findEntry(const QString &folder, const QString &segment);
    // Folder -> case-folded entry name -> the entry, the first in sorted order.
    QHash<QString, QHash<QString, QString>> m_folders;
};

// The path of absolutePath relative to baseDir with backslashes ("res\Demo.res",
// "..\shared\x.bas"), as project files store it.
QString toWindowsRelativePath(const QString &baseDir, const QString &absolutePath);

} // namespace vbide
