#include "platform/win32core/Registry.h"

#include "platform/win32core/RegistryStore.h"

#include <QMutex>

#include <cstring>
#include <map>

namespace win32 {

namespace {

struct OpenKey {
    HKEY root = 0;
    QString path;
    REGSAM access = 0;
};

struct HandleTable {
    QMutex mutex;
    std::map<HKEY, OpenKey> keys;
    HKEY next = 0x100;
};

HandleTable &handles()
{
    static HandleTable table;
    return table;
}

bool resolve(HKEY handle, OpenKey *key)
{
    if (RegistryStore::isRoot(handle)) {
        *key = OpenKey{handle, QString(), KEY_ALL_ACCESS};
        return true;
    }
    HandleTable &table = handles();
    QMutexLocker locker(&table.mutex);
    auto it = table.keys.find(handle);
    if (it == table.keys.end())
        return false;
    *key = it->second;
    return true;
}

HKEY allocate(const OpenKey &key)
{
    HandleTable &table = handles();
    QMutexLocker locker(&table.mutex);
    while (table.keys.count(table.next) || RegistryStore::isRoot(table.next) || table.next == 0)
        table.next += 4;
    const HKEY handle = table.next;
    table.next += 4;
    table.keys[handle] = key;
    return handle;
}

// Joins a handle's path and a relative subkey. Windows refuses a leading backslash.
bool join(const QString &base, QString subKey, QString *path)
{
    if (subKey.startsWith(QLatin1Char('\\')))
        return false;
    if (subKey.endsWith(QLatin1Char('\\')))
        subKey.chop(1);
    if (base.isEmpty())
        *path = subKey;
    else if (subKey.isEmpty())
        *path = base;
    else
        *path = base + QLatin1Char('\\') + subKey;
    return true;
}

bool allows(const OpenKey &key, REGSAM right) { return (key.access & right) == right; }

LONG copyOut(const QByteArray &bytes, BYTE *data, DWORD *cbData)
{
    const DWORD size = DWORD(bytes.size());
    if (!data) {
        if (cbData)
            *cbData = size;
        return ERROR_SUCCESS;
    }
    if (!cbData)
        return ERROR_INVALID_PARAMETER;
    if (*cbData < size) {
        *cbData = size;
        return ERROR_MORE_DATA;
    }
    if (size)
        std::memcpy(data, bytes.constData(), size);
    *cbData = size;
    return ERROR_SUCCESS;
}

} // namespace

LONG RegOpenKeyEx(HKEY hKey, const QString &subKey, DWORD, REGSAM samDesired, HKEY *phkResult)
{
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = 0;
    OpenKey base;
    if (!resolve(hKey, &base))
        return ERROR_INVALID_HANDLE;
    OpenKey key{base.root, QString(), samDesired};
    if (!join(base.path, subKey, &key.path))
        return ERROR_FILE_NOT_FOUND;
    const LONG status = RegistryStore::keyExists(key.root, key.path);
    if (status != ERROR_SUCCESS)
        return status;
    *phkResult = allocate(key);
    return ERROR_SUCCESS;
}

LONG RegCreateKeyEx(HKEY hKey, const QString &subKey, DWORD, const QString &, DWORD, REGSAM samDesired, const void *,
                    HKEY *phkResult, DWORD *disposition)
{
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = 0;
    OpenKey base;
    if (!resolve(hKey, &base))
        return ERROR_INVALID_HANDLE;
    OpenKey key{base.root, QString(), samDesired};
    if (!join(base.path, subKey, &key.path))
        return ERROR_BADKEY;
    if (RegistryStore::keyExists(key.root, key.path) != ERROR_SUCCESS) {
        if (!allows(base, KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        bool created = false;
        const LONG status = RegistryStore::createKey(key.root, key.path, &created);
        if (status != ERROR_SUCCESS)
            return status;
        if (disposition)
            *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    } else if (disposition) {
        *disposition = REG_OPENED_EXISTING_KEY;
    }
    *phkResult = allocate(key);
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey)
{
    if (RegistryStore::isRoot(hKey))
        return ERROR_SUCCESS;
    HandleTable &table = handles();
    QMutexLocker locker(&table.mutex);
    return table.keys.erase(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegQueryValueEx(HKEY hKey, const QString &valueName, DWORD *reserved, DWORD *type, BYTE *data, DWORD *cbData)
{
    if (reserved)
        return ERROR_INVALID_PARAMETER;
    OpenKey key;
    if (!resolve(hKey, &key))
        return ERROR_INVALID_HANDLE;
    if (!allows(key, KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    StoredValue value;
    LONG status = RegistryStore::value(key.root, key.path, valueName, &value);
    if (status != ERROR_SUCCESS)
        return status;
    if (type)
        *type = value.type;
    return copyOut(value.data, data, cbData);
}

LONG RegSetValueEx(HKEY hKey, const QString &valueName, DWORD, DWORD type, const BYTE *data, DWORD cbData)
{
    OpenKey key;
    if (!resolve(hKey, &key))
        return ERROR_INVALID_HANDLE;
    if (!allows(key, KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    if (!data && cbData)
        return ERROR_INVALID_PARAMETER;
    StoredValue value;
    value.name = valueName;
    value.type = type;
    if (cbData)
        value.data = QByteArray(reinterpret_cast<const char *>(data), qsizetype(cbData));
    return RegistryStore::setValue(key.root, key.path, value);
}

LONG RegDeleteValue(HKEY hKey, const QString &valueName)
{
    OpenKey key;
    if (!resolve(hKey, &key))
        return ERROR_INVALID_HANDLE;
    if (!allows(key, KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    return RegistryStore::deleteValue(key.root, key.path, valueName);
}

LONG RegDeleteKey(HKEY hKey, const QString &subKey)
{
    OpenKey base;
    if (!resolve(hKey, &base))
        return ERROR_INVALID_HANDLE;
    QString path;
    if (!join(base.path, subKey, &path))
        return ERROR_FILE_NOT_FOUND;
    return RegistryStore::deleteKey(base.root, path);
}

LONG RegEnumKeyEx(HKEY hKey, DWORD index, QString *name)
{
    OpenKey key;
    if (!resolve(hKey, &key))
        return ERROR_INVALID_HANDLE;
    if (!allows(key, KEY_ENUMERATE_SUB_KEYS))
        return ERROR_ACCESS_DENIED;
    QStringList names;
    const LONG status = RegistryStore::subkeyNames(key.root, key.path, &names);
    if (status != ERROR_SUCCESS)
        return status;
    if (index >= DWORD(names.size()))
        return ERROR_NO_MORE_ITEMS;
    if (name)
        *name = names[int(index)];
    return ERROR_SUCCESS;
}

LONG RegEnumValue(HKEY hKey, DWORD index, QString *valueName, DWORD *type, BYTE *data, DWORD *cbData)
{
    OpenKey key;
    if (!resolve(hKey, &key))
        return ERROR_INVALID_HANDLE;
    if (!allows(key, KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    QList<StoredValue> values;
    const LONG status = RegistryStore::values(key.root, key.path, &values);
    if (status != ERROR_SUCCESS)
        return status;
    if (index >= DWORD(values.size()))
        return ERROR_NO_MORE_ITEMS;
    const StoredValue &value = values[int(index)];
    if (valueName)
        *valueName = value.name;
    if (type)
        *type = value.type;
    return copyOut(value.data, data, cbData);
}

QString registryErrorText(LONG code)
{
    switch (code) {
    case ERROR_SUCCESS: return QStringLiteral("The operation completed successfully.");
    case ERROR_FILE_NOT_FOUND: return QStringLiteral("The system cannot find the file specified.");
    case ERROR_ACCESS_DENIED: return QStringLiteral("Access is denied.");
    case ERROR_INVALID_HANDLE: return QStringLiteral("The handle is invalid.");
    case ERROR_OUTOFMEMORY: return QStringLiteral("Not enough memory resources are available to complete this operation.");
    case ERROR_INVALID_PARAMETER: return QStringLiteral("The parameter is incorrect.");
    case ERROR_MORE_DATA: return QStringLiteral("More data is available.");
    case ERROR_NO_MORE_ITEMS: return QStringLiteral("No more data is available.");
    case ERROR_BADKEY: return QStringLiteral("The configuration registry key is invalid.");
    case ERROR_CANTOPEN: return QStringLiteral("The configuration registry key could not be opened.");
    case ERROR_CANTREAD: return QStringLiteral("The configuration registry key could not be read.");
    case ERROR_CANTWRITE: return QStringLiteral("The configuration registry key could not be written.");
    case ERROR_REGISTRY_CORRUPT:
        return QStringLiteral("The structure of one of the files containing registry data is corrupt, or the "
                              "system's memory image of the file is corrupt, or the file could not be recovered "
                              "because the alternate copy or log was absent or corrupt.");
    case ERROR_KEY_DELETED: return QStringLiteral("Illegal operation attempted on a registry key that has been marked for deletion.");
    default: return QStringLiteral("Registry error %1.").arg(code);
    }
}

} // namespace win32
