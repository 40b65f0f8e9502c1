#include "platform/vbide/HostRegistry.h"

#include "platform/win32core/RegistryObjects.h"
#include "platform/win32core/RegistryStore.h"

namespace vbide::reg {

using namespace win32;

namespace {

QString fullName(HKEY root, const QString &path, const QString &name)
{
    const QString value = name.isEmpty() ? QStringLiteral("(default)") : QStringLiteral("\"%1\"").arg(name);
    return QStringLiteral("%1\\%2 %3").arg(RegistryStore::rootName(root), path, value);
}

qm::Result<QVariant> readValue(HKEY root, const QString &path, const QString &name, DWORD wanted1, DWORD wanted2)
{
    StoredValue value;
    const LONG status = RegistryStore::value(root, path, name, &value);
    if (status != ERROR_SUCCESS)
        return qm::makeError(QStringLiteral("The setting %1 cannot be read: %2")
                                 .arg(fullName(root, path, name), registryErrorText(status)));
    if (value.type != wanted1 && value.type != wanted2)
        return qm::makeError(QStringLiteral("The setting %1 has the type %2 where %3 was expected.")
                                 .arg(fullName(root, path, name), QString::number(value.type),
                                      QString::number(wanted1)));
    return decodeRegistryData(value.data, value.type);
}

qm::Status writeValue(HKEY root, const QString &path, const QString &name, const QVariant &data, DWORD type)
{
    LONG status = RegistryStore::createKey(root, path);
    qm::Result<QByteArray> bytes = encodeRegistryData(data, type);
    if (!bytes)
        return bytes.error();
    if (status == ERROR_SUCCESS)
        status = RegistryStore::setValue(root, path, StoredValue{name, type, *bytes});
    if (status != ERROR_SUCCESS)
        return qm::makeError(QStringLiteral("The setting %1 cannot be written: %2")
                                 .arg(fullName(root, path, name), registryErrorText(status)));
    return {};
}

} // namespace

qm::Result<QString> readString(HKEY root, const QString &path, const QString &name)
{
    qm::Result<QVariant> value = readValue(root, path, name, REG_SZ, REG_EXPAND_SZ);
    if (!value)
        return value.error();
    return value->toString();
}

qm::Result<std::uint32_t> readDword(HKEY root, const QString &path, const QString &name)
{
    qm::Result<QVariant> value = readValue(root, path, name, REG_DWORD, REG_DWORD);
    if (!value)
        return value.error();
    return static_cast<std::uint32_t>(value->toInt());
}

qm::Result<QByteArray> readBinary(HKEY root, const QString &path, const QString &name)
{
    qm::Result<QVariant> value = readValue(root, path, name, REG_BINARY, REG_BINARY);
    if (!value)
        return value.error();
    return value->toByteArray();
}

qm::Status writeString(HKEY root, const QString &path, const QString &name, const QString &value)
{
    return writeValue(root, path, name, value, REG_SZ);
}

qm::Status writeDword(HKEY root, const QString &path, const QString &name, std::uint32_t value)
{
    return writeValue(root, path, name, static_cast<qint32>(value), REG_DWORD);
}

qm::Status writeBinary(HKEY root, const QString &path, const QString &name, const QByteArray &value)
{
    return writeValue(root, path, name, value, REG_BINARY);
}

qm::Status deleteTree(HKEY root, const QString &path)
{
    if (RegistryStore::keyExists(root, path) != ERROR_SUCCESS)
        return {};
    QStringList children;
    RegistryStore::subkeyNames(root, path, &children);
    for (const QString &child : children) {
        qm::Status status = deleteTree(root, path + QLatin1Char('\\') + child);
        if (!status)
            return status;
    }
    const LONG status = RegistryStore::deleteKey(root, path);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        return qm::makeError(QStringLiteral("The key %1\\%2 cannot be deleted: %3")
                                 .arg(RegistryStore::rootName(root), path, registryErrorText(status)));
    return {};
}

} // namespace vbide::reg
