#include "platform/vbide/ComRegistration.h"

#include "platform/vbide/HostRegistry.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <dlfcn.h>

namespace vbide {

using namespace win32;

namespace {

QString &lastError()
{
    static QString text;
    return text;
}

qm::Status remember(qm::Status status)
{
    if (!status)
        lastError() = status.errorString();
    return status;
}

} // namespace

qm::Status registerClass(const QString &progId, const QString &clsid, const QString &libraryPath)
{
    static const QRegularExpression guid(QStringLiteral(
        "^\\{[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}\\}$"));
    if (progId.isEmpty() || progId.contains(QLatin1Char('\\')))
        return remember(qm::makeError(QStringLiteral("\"%1\" is not a valid ProgID.").arg(progId)));
    if (!guid.match(clsid).hasMatch())
        return remember(qm::makeError(QStringLiteral("\"%1\" is not a valid CLSID; expected {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}.").arg(clsid)));
    if (!QFileInfo(libraryPath).isAbsolute() || !QFileInfo::exists(libraryPath))
        return remember(qm::makeError(QStringLiteral("The library \"%1\" for %2 is not an existing absolute path.")
                                          .arg(libraryPath, progId)));
    const QString classKey = QStringLiteral("CLSID\\") + clsid;
    qm::Status status = reg::writeString(HKEY_CLASSES_ROOT, progId + QStringLiteral("\\CLSID"), QString(), clsid);
    if (status)
        status = reg::writeString(HKEY_CLASSES_ROOT, classKey + QStringLiteral("\\ProgID"), QString(), progId);
    if (status)
        status = reg::writeString(HKEY_CLASSES_ROOT, classKey + QStringLiteral("\\InprocServer32"), QString(),
                                  QFileInfo(libraryPath).absoluteFilePath());
    return remember(status);
}

qm::Status unregisterClass(const QString &progId)
{
    qm::Result<QString> clsid = reg::readString(HKEY_CLASSES_ROOT, progId + QStringLiteral("\\CLSID"), QString());
    if (clsid && !clsid->isEmpty()) {
        qm::Status status = reg::deleteTree(HKEY_CLASSES_ROOT, QStringLiteral("CLSID\\") + *clsid);
        if (!status)
            return remember(status);
    }
    return remember(reg::deleteTree(HKEY_CLASSES_ROOT, progId));
}

qm::Status registerAddIn(const QString &progId, const QString &friendlyName, const QString &description,
                         std::uint32_t loadBehavior)
{
    if (progId.isEmpty() || progId.contains(QLatin1Char('\\')))
        return remember(qm::makeError(QStringLiteral("\"%1\" is not a valid ProgID.").arg(progId)));
    const QString key = QLatin1String(AddinsRegistryKey) + QLatin1Char('\\') + progId;
    qm::Status status = reg::writeString(HKEY_CURRENT_USER, key, QStringLiteral("FriendlyName"), friendlyName);
    if (status)
        status = reg::writeString(HKEY_CURRENT_USER, key, QStringLiteral("Description"), description);
    if (status)
        status = reg::writeDword(HKEY_CURRENT_USER, key, QStringLiteral("LoadBehavior"), loadBehavior);
    return remember(status);
}

qm::Status unregisterAddIn(const QString &progId)
{
    return remember(reg::deleteTree(HKEY_CURRENT_USER, QLatin1String(AddinsRegistryKey) + QLatin1Char('\\') + progId));
}

QString libraryPathOf(const void *address)
{
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr)
        return QString();
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).canonicalFilePath();
}

QString lastRegistrationError()
{
    return lastError();
}

} // namespace vbide

namespace vbide {

void clearLastRegistrationError()
{
    lastError().clear();
}

} // namespace vbide
