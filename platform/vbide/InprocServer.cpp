#include "platform/vbide/InprocServer.h"

#include "platform/vbide/ComRegistration.h"
#include "platform/vbide/HostRegistry.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLibrary>

#include <exception>

namespace vbide {

using namespace win32;

namespace {

// Loaded libraries stay loaded for the life of the process.
qm::Result<QLibrary *> loadLibrary(const QString &path)
{
    // Never destroyed: a library must not be unloaded while objects of it may live.
    static auto *loaded = new QHash<QString, QLibrary *>;
    const QString key = QFileInfo(path).absoluteFilePath();
    if (QLibrary *library = loaded->value(key))
        return library;
    if (!QFileInfo::exists(key))
        return qm::makeError(QStringLiteral("The library %1 does not exist.").arg(QDir::toNativeSeparators(key)));
    auto *library = new QLibrary(key);
    if (!library->load()) {
        const QString reason = library->errorString();
        delete library;
        return qm::makeError(QStringLiteral("The library %1 cannot be loaded: %2").arg(QDir::toNativeSeparators(key), reason));
    }
    loaded->insert(key, library);
    return library;
}

qm::Status callServerFunction(const QString &libraryPath, const char *symbol)
{
    qm::Result<QLibrary *> library = loadLibrary(libraryPath);
    if (!library)
        return library.error();
    auto function = reinterpret_cast<RegisterServerFunction>((*library)->resolve(symbol));
    if (!function)
        return qm::makeError(QStringLiteral("The library %1 does not export %2, so it cannot be registered.")
                                 .arg(QDir::toNativeSeparators(libraryPath), QLatin1String(symbol)));
    clearLastRegistrationError();
    int result = E_FAIL;
    try {
        result = function();
    } catch (const std::exception &error) {
        return qm::makeError(QStringLiteral("%1 of %2 failed: %3")
                                 .arg(QLatin1String(symbol), QDir::toNativeSeparators(libraryPath), QString::fromLocal8Bit(error.what())));
    } catch (...) {
        return qm::makeError(QStringLiteral("%1 of %2 failed with an unknown error.")
                                 .arg(QLatin1String(symbol), QDir::toNativeSeparators(libraryPath)));
    }
    if (result != S_OK) {
        const QString reason = lastRegistrationError();
        return qm::makeError(QStringLiteral("%1 of %2 failed (code 0x%3)%4")
                                 .arg(QLatin1String(symbol), QDir::toNativeSeparators(libraryPath),
                                      QStringLiteral("%1").arg(static_cast<unsigned>(result), 8, 16, QLatin1Char('0')),
                                      reason.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + reason));
    }
    return {};
}

} // namespace

qm::Result<QString> clsidFromProgId(const QString &progId)
{
    qm::Result<QString> clsid = reg::readString(HKEY_CLASSES_ROOT, progId + QStringLiteral("\\CLSID"), QString());
    if (!clsid || clsid->isEmpty())
        return qm::makeError(QStringLiteral("The class \"%1\" is not registered (HKEY_CLASSES_ROOT\\%1\\CLSID is missing).")
                                 .arg(progId));
    return clsid;
}

qm::Result<QString> inprocServerPath(const QString &clsid)
{
    qm::Result<QString> path = reg::readString(HKEY_CLASSES_ROOT, QStringLiteral("CLSID\\%1\\InprocServer32").arg(clsid), QString());
    if (!path || path->isEmpty())
        return qm::makeError(QStringLiteral("The class %1 has no library registered (HKEY_CLASSES_ROOT\\CLSID\\%1\\InprocServer32 is missing).")
                                 .arg(clsid));
    return path;
}

qm::Result<QObject *> createObject(const QString &progId)
{
    qm::Result<QString> clsid = clsidFromProgId(progId);
    if (!clsid)
        return clsid.error();
    qm::Result<QString> path = inprocServerPath(*clsid);
    if (!path)
        return path.error();
    qm::Result<QLibrary *> library = loadLibrary(*path);
    if (!library)
        return qm::makeError(QStringLiteral("%1 cannot be created: %2").arg(progId, library.errorString()));
    auto create = reinterpret_cast<CreateObjectFunction>((*library)->resolve(CreateObjectSymbol));
    if (!create)
        return qm::makeError(QStringLiteral("%1 cannot be created: the library %2 does not export %3.")
                                 .arg(progId, QDir::toNativeSeparators(*path), QLatin1String(CreateObjectSymbol)));
    QObject *object = nullptr;
    try {
        object = create(progId.toUtf8().constData());
    } catch (...) {
        return qm::makeError(QStringLiteral("%1 cannot be created: its library failed while creating it.").arg(progId));
    }
    if (!object)
        return qm::makeError(QStringLiteral("%1 cannot be created: the library %2 does not provide that class.")
                                 .arg(progId, QDir::toNativeSeparators(*path)));
    return object;
}

qm::Status registerServer(const QString &libraryPath)
{
    return callServerFunction(libraryPath, RegisterServerSymbol);
}

qm::Status unregisterServer(const QString &libraryPath)
{
    return callServerFunction(libraryPath, UnregisterServerSymbol);
}

} // namespace vbide
