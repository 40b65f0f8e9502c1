#include "editor/ProjectFolder.h"

#include <QDir>

QString ParentFolder(const QString &path)
{
    const qsizetype last = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    if (last < 0)
        return {};
    const QString folder = path.left(last);
    if (folder.isEmpty() || (folder.size() == 2 && folder.at(1) == QLatin1Char(':')))
        return path.left(last + 1);
    return folder;
}

QString FileInFolder(const QString &folder, const QString &name, const QString &extension)
{
    const bool endsWithSeparator = folder.endsWith(QLatin1Char('\\')) || folder.endsWith(QLatin1Char('/'));
    return folder + (endsWithSeparator ? QString() : QString(QDir::separator())) + name + extension;
}
