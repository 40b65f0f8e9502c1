#pragma once

// The registry object library: keys and values as objects, addressed by path.
//
//     win32::RegistryRoot &root = win32::registryRoot();
//     auto key = root.key(win32::HKEY_CURRENT_USER);            // Result<RegKey>
//     auto sub = key->subkeys().add("Software");               // created when missing
//     auto value = sub->values().item("LangId");               // fails when absent
//
// Objects hold only a root and a path; every call goes to the store, so two
// objects for the same key always agree.

#include "platform/common/Result.h"
#include "platform/win32core/Registry.h"

#include <QStringList>
#include <QVariant>

namespace win32 {

class RegKey;

// One named value. Data: QString for REG_SZ/REG_EXPAND_SZ, qint32 for
// REG_DWORD (so -1 reads back as -1), QByteArray for every other type.
class RegValue {
public:
    RegValue(HKEY root, QString keyPath, QString name);
    const QString &name() const { return m_name; }
    qm::Result<DWORD> type() const;
    qm::Result<QVariant> data() const;
    // Replaces the data, keeping the value's type (the data is converted to it).
    qm::Status setData(const QVariant &data) const;

private:
    HKEY m_root;
    QString m_keyPath;
    QString m_name;
};

class RegValues {
public:
    RegValues(HKEY root, QString keyPath);
    // Fails when there is no value of that name.
    qm::Result<RegValue> item(const QString &name) const;
    // Adds a value from data converted to the type; replaces an existing one.
    qm::Result<RegValue> add(const QString &name, const QVariant &data, DWORD type) const;
    qm::Result<QStringList> names() const;

private:
    HKEY m_root;
    QString m_keyPath;
};

class RegKeys {
public:
    RegKeys(HKEY root, QString keyPath);
    // Fails when there is no subkey of that name.
    qm::Result<RegKey> item(const QString &name) const;
    // Creates the subkey (and any missing parents when name holds backslashes).
    qm::Result<RegKey> add(const QString &name) const;
    qm::Result<QStringList> names() const;

private:
    HKEY m_root;
    QString m_keyPath;
};

class RegKey {
public:
    RegKey(HKEY root, QString path);
    HKEY root() const { return m_root; }
    // Below the root, without leading backslash; empty for the root itself.
    const QString &path() const { return m_path; }
    // "HKEY_CURRENT_USER\Software\Corvane".
    QString fullName() const;
    RegKeys subkeys() const { return RegKeys(m_root, m_path); }
    RegValues values() const { return RegValues(m_root, m_path); }
    bool operator==(const RegKey &other) const;

private:
    HKEY m_root;
    QString m_path;
};

// Resolves roots by handle or by name.
class RegistryRoot {
public:
    qm::Result<RegKey> key(HKEY rootHandle) const;
    // "HKEY_CURRENT_USER\", "HKCU", "HKEY_LOCAL_MACHINE\SOFTWARE\x" (case-insensitive;
    // the key must exist).
    qm::Result<RegKey> key(const QString &name) const;
};

// The process-wide root object.
RegistryRoot &registryRoot();

// Converts data to a registry type's bytes, or explains why it cannot.
qm::Result<QByteArray> encodeRegistryData(const QVariant &data, DWORD type);
// The QVariant form of stored bytes (see RegValue).
QVariant decodeRegistryData(const QByteArray &bytes, DWORD type);

} // namespace win32
