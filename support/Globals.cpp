#include "support/Globals.h"

#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

QString VersionText;
docResourceEditor *EditorInstance = nullptr;
QString HelpFilePath;

QString FormatVersionText(int major, int minor, int revision)
{
    return QStringLiteral("Version %1.%2.%3")
        .arg(major)
        .arg(minor, 2, 10, QLatin1Char('0'))
        .arg(revision, 4, 10, QLatin1Char('0'));
}

QString LibraryVersionText() { return FormatVersionText(QM_VERSION_MAJOR, QM_VERSION_MINOR, QM_VERSION_PATCH); }

QString LibraryFolder()
{
    // Any symbol of this library tells which file it was loaded from.
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void *>(&LibraryFolder), &info) == 0 || info.dli_fname == nullptr)
        return QDir::toNativeSeparators(QDir::currentPath());
    return QDir::toNativeSeparators(QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath());
}

QString LibraryHelpFilePath() { return LibraryFolder() + QDir::separator() + QStringLiteral("Quillmark.chm"); }
