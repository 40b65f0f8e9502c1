#pragma once

// The settings store behind the registry functions: roots, keys and typed
// values, persisted as a "Windows Registry Editor Version 5.00" file at
// $QM_REGISTRY_FILE, else $XDG_CONFIG_HOME/quillmark/registry.reg
// (~/.config when XDG_CONFIG_HOME is unset).
//
// Every change takes a lock file, reads the file again, applies the change and
// writes the file atomically, so two processes never lose each other's
// values. A file that cannot be parsed is renamed to "<name>.damaged" and the
// failure kept in lastProblem(); it is never written over.

#include "platform/common/Result.h"
#include "platform/win32core/Registry.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace win32 {

struct StoredValue {
    QString name;   // empty: the key's default value
    DWORD type = REG_NONE;
    QByteArray data;   // exactly the bytes Windows would hold
};

// Key paths below a root, pieces joined by backslashes, compared without
// case. Calls return Win32 error codes: ERROR_FILE_NOT_FOUND for a missing key
// or value, ERROR_ACCESS_DENIED or ERROR_CANTWRITE when the file cannot be
// written, ERROR_REGISTRY_CORRUPT when it was damaged (see lastProblem()).
class RegistryStore {
public:
    // The file in use for the current environment.
    static QString filePath();

    // Reads the file (again). Fails with a clear message when it is damaged
    // (then already moved aside) or unreadable.
    static qm::Status load();
    // The last damage or I/O failure met, empty when none.
    static QString lastProblem();

    static LONG keyExists(HKEY root, const QString &path);
    // Creates the key and every missing parent.
    static LONG createKey(HKEY root, const QString &path, bool *created = nullptr);
    // Fails with ERROR_ACCESS_DENIED when the key has subkeys.
    static LONG deleteKey(HKEY root, const QString &path);
    // Subkey names (case as stored), sorted without case as Windows enumerates them.
    static LONG subkeyNames(HKEY root, const QString &path, QStringList *names);
    // Values in the order they were first written.
    static LONG values(HKEY root, const QString &path, QList<StoredValue> *values);
    static LONG value(HKEY root, const QString &path, const QString &name, StoredValue *value);
    // The key must exist. Replaces type and data of a value of the same name
    // (keeping the case of its name).
    static LONG setValue(HKEY root, const QString &path, const StoredValue &value);
    static LONG deleteValue(HKEY root, const QString &path, const QString &name);

    static bool isRoot(HKEY handle);
    // "HKEY_CURRENT_USER"; empty for anything else.
    static QString rootName(HKEY handle);
    // Accepts the long names and HKCR/HKCU/HKLM/HKU, without case; 0 when unknown.
    static HKEY rootFromName(const QString &name);
};

} // namespace win32
