#include "platform/win32core/RegistryObjects.h"

#include "platform/win32core/RegistryStore.h"

namespace win32 {

namespace {

QString joinPath(const QString &base, const QString &name)
{
    if (base.isEmpty())
        return name;
    if (name.isEmpty())
        return base;
    return base + QLatin1Char('\\') + name;
}

QString fullKeyName(HKEY root, const QString &path) { return joinPath(RegistryStore::rootName(root), path); }

qm::Error failure(LONG code, const QString &what)
{
    QString message = what + QStringLiteral(": ") + registryErrorText(code);
    if (code == ERROR_ACCESS_DENIED || code == ERROR_CANTWRITE || code == ERROR_REGISTRY_CORRUPT) {
        const QString problem = RegistryStore::lastProblem();
        if (!problem.isEmpty())
            message += QLatin1Char(' ') + problem;
    }
    return qm::makeError(message);
}

QString describe(const QVariant &data)
{
    const QString text = data.toString();
    return text.isEmpty() && data.typeId() != QMetaType::QString ? QString::fromUtf8(data.typeName())
                                                                 : QLatin1Char('"') + text + QLatin1Char('"');
}

QByteArray utf16WithNul(const QString &text)
{
    QByteArray bytes(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    bytes.append(2, '\0');
    return bytes;
}

} // namespace

qm::Result<QByteArray> encodeRegistryData(const QVariant &data, DWORD type)
{
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        if (data.typeId() == QMetaType::Bool)
            return utf16WithNul(data.toBool() ? QStringLiteral("True") : QStringLiteral("False"));
        if (!data.canConvert<QString>() || data.typeId() == QMetaType::QByteArray)
            return qm::makeError(QStringLiteral("Type mismatch: %1 cannot be stored as text.").arg(describe(data)));
        return utf16WithNul(data.toString());
    }
    if (type == REG_DWORD) {
        qint64 n = 0;
        bool ok = false;
        if (data.typeId() == QMetaType::Bool) {
            n = data.toBool() ? -1 : 0;
            ok = true;
        } else if (data.typeId() == QMetaType::QString) {
            n = data.toString().trimmed().toLongLong(&ok);
        } else if (data.canConvert<qlonglong>() && data.typeId() != QMetaType::QByteArray) {
            n = data.toLongLong(&ok);
            if (ok && data.typeId() == QMetaType::Double && double(n) != data.toDouble())
                ok = false;
        }
        if (!ok || n < -2147483648LL || n > 4294967295LL)
            return qm::makeError(QStringLiteral("Type mismatch: %1 cannot be stored as a 32-bit number.").arg(describe(data)));
        const quint32 u = quint32(n);
        QByteArray bytes;
        for (int shift = 0; shift < 32; shift += 8)
            bytes.append(char((u >> shift) & 0xff));
        return bytes;
    }
    if (data.typeId() != QMetaType::QByteArray)
        return qm::makeError(
            QStringLiteral("Type mismatch: %1 cannot be stored as data of registry type %2; bytes are needed.")
                .arg(describe(data), QString::number(type)));
    return data.toByteArray();
}

QVariant decodeRegistryData(const QByteArray &bytes, DWORD type)
{
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData()), bytes.size() / 2);
        const int nul = text.indexOf(QChar(0));
        if (nul >= 0)
            text.truncate(nul);
        return text;
    }
    if (type == REG_DWORD && bytes.size() == 4) {
        const quint32 u = quint32(uchar(bytes[0])) | quint32(uchar(bytes[1])) << 8 | quint32(uchar(bytes[2])) << 16 |
                          quint32(uchar(bytes[3])) << 24;
        return qint32(u);
    }
    return bytes;
}

RegValue::RegValue(HKEY root, QString keyPath, QString name)
    : m_root(root), m_keyPath(std::move(keyPath)), m_name(std::move(name))
{
}

qm::Result<DWORD> RegValue::type() const
{
    StoredValue stored;
    const LONG code = RegistryStore::value(m_root, m_keyPath, m_name, &stored);
    if (code != ERROR_SUCCESS)
        return failure(code, QStringLiteral("The value \"%1\" of %2 could not be read").arg(m_name, fullKeyName(m_root, m_keyPath)));
    return stored.type;
}

qm::Result<QVariant> RegValue::data() const
{
    StoredValue stored;
    const LONG code = RegistryStore::value(m_root, m_keyPath, m_name, &stored);
    if (code != ERROR_SUCCESS)
        return failure(code, QStringLiteral("The value \"%1\" of %2 could not be read").arg(m_name, fullKeyName(m_root, m_keyPath)));
    return decodeRegistryData(stored.data, stored.type);
}

qm::Status RegValue::setData(const QVariant &data) const
{
    qm::Result<DWORD> currentType = type();
    if (!currentType)
        return currentType.error();
    qm::Result<QByteArray> bytes = encodeRegistryData(data, *currentType);
    if (!bytes)
        return bytes.error();
    const LONG code = RegistryStore::setValue(m_root, m_keyPath, StoredValue{m_name, *currentType, *bytes});
    if (code != ERROR_SUCCESS)
        return failure(code, QStringLiteral("The value \"%1\" of %2 could not be written").arg(m_name, fullKeyName(m_root, m_keyPath)));
    return {};
}

RegValues::RegValues(HKEY root, QString keyPath) : m_root(root), m_keyPath(std::move(keyPath)) {}

qm::Result<RegValue> RegValues::item(const QString &name) const
{
    StoredValue stored;
    const LONG code = RegistryStore::value(m_root, m_keyPath, name, &stored);
    if (code != ERROR_SUCCESS)
        return failure(code, QStringLiteral("The value \"%1\" of %2 could not be found").arg(name, fullKeyName(m_root, m_keyPath)));
    return RegValue(m_root, m_keyPath, stored.name);
}

qm::Result<RegValue> RegValues::add(const QString &name, const QVariant &data, DWORD type) const
{
    qm::Result<QByteArray> bytes = encodeRegistryData(data, type);
    if (!bytes)
        return bytes.error();
    const LONG code = RegistryStore::setValue(m_root, m_keyPath, StoredValue{name, type, *bytes});
    if (code != ERROR_SUCCESS)
        return failure(code, QStringLiteral("The value \"%1\" of %2 could not be written").arg(name, fullKeyName(m_root, m_keyPath)));
    return RegValue(m_root, m_keyPath, name);
}

qm::Result<QStringList> RegValues::names() const
{
    QList<StoredValue> values;
    const LONG code = RegistryStore::values(m_root, m_keyPath, &values);
    if (code != ERROR_SUCCESS)
        return failure(code, QStringLiteral("The values of %1 could not be listed").arg(fullKeyName(m_root, m_keyPath)));
    QStringList names;
    for (const StoredValue &value : values)
        names.append(value.name);
    return names;
}

RegKeys::RegKeys(HKEY root, QString keyPath) : m_root(root), m_keyPath(std::move(keyPath)) {}

qm::Result<RegKey> RegKeys::item(const QString &name) const
{
    const QString path = joinPath(m_keyPath, name);
    const LONG code = name.isEmpty() ? ERROR_FILE_NOT_FOUND : RegistryStore::keyExists(m_root, path);
    if (code != ERROR_SUCCESS)
        return failure(code, QStringLiteral("The key %1 could not be found").arg(fullKeyName(m_root, path)));
    return RegKey(m_root, path);
}

qm::Result<RegKey> RegKeys::add(const QString &name) const
{
    const QString path = joinPath(m_keyPath, name);
    const LONG code = name.isEmpty() ? ERROR_BADKEY : RegistryStore::createKey(m_root, path);
    if (code != ERROR_SUCCESS)
        return failure(code, QStringLiteral("The key %1 could not be created").arg(fullKeyName(m_root, path)));
    return RegKey(m_root, path);
}

qm::Result<QStringList> RegKeys::names() const
{
    QStringList names;
    const LONG code = RegistryStore::subkeyNames(m_root, m_keyPath, &names);
    if (code != ERROR_SUCCESS)
        return failure(code, QStringLiteral("The subkeys of %1 could not be listed").arg(fullKeyName(m_root, m_keyPath)));
    return names;
}

RegKey::RegKey(HKEY root, QString path) : m_root(root), m_path(std::move(path)) {}

QString RegKey::fullName() const { return fullKeyName(m_root, m_path); }

bool RegKey::operator==(const RegKey &other) const
{
    return m_root == other.m_root && m_path.compare(other.m_path, Qt::CaseInsensitive) == 0;
}

qm::Result<RegKey> RegistryRoot::key(HKEY rootHandle) const
{
    if (!RegistryStore::isRoot(rootHandle))
        return qm::makeError(QStringLiteral("0x%1 is not a registry root.").arg(rootHandle, 8, 16, QLatin1Char('0')));
    return RegKey(rootHandle, QString());
}

qm::Result<RegKey> RegistryRoot::key(const QString &name) const
{
    QString path = name;
    while (path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    const int slash = path.indexOf(QLatin1Char('\\'));
    const HKEY root = RegistryStore::rootFromName(slash < 0 ? path : path.left(slash));
    if (!root)
        return qm::makeError(QStringLiteral("\"%1\" does not begin with a registry root such as HKEY_CURRENT_USER.").arg(name));
    if (slash < 0)
        return RegKey(root, QString());
    return RegKeys(root, QString()).item(path.mid(slash + 1));
}

RegistryRoot &registryRoot()
{
    static RegistryRoot root;
    return root;
}

} // namespace win32
