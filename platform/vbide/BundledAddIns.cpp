#include "platform/vbide/BundledAddIns.h"

#include "platform/vbide/InprocServer.h"
#include "platform/win32core/Registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QSet>

namespace vbide {

using namespace win32;

namespace {

// The canonical paths of every library registered under HKEY_CLASSES_ROOT\CLSID.
QSet<QString> registeredLibraries()
{
    QSet<QString> libraries;
    HKEY classes = 0;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, QStringLiteral("CLSID"), 0, KEY_READ, &classes) != ERROR_SUCCESS)
        return libraries;
    QString clsid;
    for (DWORD index = 0; RegEnumKeyEx(classes, index, &clsid) == ERROR_SUCCESS; ++index) {
        qm::Result<QString> path = inprocServerPath(clsid);
        if (!path)
            continue;
        const QString canonical = QFileInfo(*path).canonicalFilePath();
        libraries.insert(canonical.isEmpty() ? *path : canonical);
    }
    RegCloseKey(classes);
    return libraries;
}

// Whether the library is an add-in; its load failure otherwise goes to failures.
bool exportsRegistration(const QString &path, QStringList &failures)
{
    QLibrary library(path);
    // Platform libraries in the same folder are already loaded by the host;
    // resolving a symbol is all this asks of them.
    if (!library.load()) {
        failures.append(QStringLiteral("The library %1 cannot be loaded: %2")
                            .arg(QDir::toNativeSeparators(path), library.errorString()));
        return false;
    }
    return library.resolve(RegisterServerSymbol) != nullptr;
}

} // namespace

QString bundledAddInFolder(const QString &relativeFolder)
{
    const QString folder = QDir(QCoreApplication::applicationDirPath()).filePath(relativeFolder);
    return QFileInfo(folder).isDir() ? QDir(folder).canonicalPath() : QString();
}

QStringList registerBundledAddIns(const QString &folder)
{
    QStringList failures;
    if (folder.isEmpty())
        return failures;
    const QSet<QString> registered = registeredLibraries();
    const QFileInfoList libraries =
        QDir(folder).entryInfoList({QStringLiteral("*.so")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo &library : libraries) {
        const QString path = library.canonicalFilePath();
        if (registered.contains(path) || !exportsRegistration(path, failures))
            continue;
        if (qm::Status status = registerServer(path); !status)
            failures.append(status.errorString());
    }
    return failures;
}

} // namespace vbide
