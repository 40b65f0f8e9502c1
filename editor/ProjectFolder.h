#pragma once

#include <QString>

// The folder of a file path: everything before the last separator ("\" or "/"),
// without a separator at its end except for a root ("C:\", "/"); empty when
// the path has no separator.
QString ParentFolder(const QString &path);
// folder + separator + name + extension, without doubling a separator that
// ends the folder (a root).
QString FileInFolder(const QString &folder, const QString &name, const QString &extension);
