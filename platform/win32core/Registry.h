#pragma once

// The Windows registry functions the system calls, over the settings store of
// RegistryStore.h. Names, argument order, codes and results are those of the
// Win32 API (wide form: names are QStrings, string data is UTF-16LE with its
// terminating NUL, sizes are in bytes).

#include <QString>

#include <cstdint>

namespace win32 {

using HKEY = std::uint32_t;   // opaque handle; 0 is never a valid handle
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using REGSAM = std::uint32_t;
using BYTE = std::uint8_t;

inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr HKEY HKEY_USERS = 0x80000003u;

// Value types.
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;

// Access rights.
inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_CREATE_LINK = 0x0020;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// Options and dispositions of RegCreateKeyEx.
inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Error codes.
inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_OUTOFMEMORY = 14;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_NO_MORE_ITEMS = 259;
inline constexpr LONG ERROR_BADKEY = 1010;
inline constexpr LONG ERROR_CANTOPEN = 1011;
inline constexpr LONG ERROR_CANTREAD = 1012;
inline constexpr LONG ERROR_CANTWRITE = 1013;
inline constexpr LONG ERROR_REGISTRY_CORRUPT = 1015;
inline constexpr LONG ERROR_KEY_DELETED = 1018;

// subKey may be empty (a new handle to hKey itself) and may name several
// levels joined by backslashes.
LONG RegOpenKeyEx(HKEY hKey, const QString &subKey, DWORD options, REGSAM samDesired, HKEY *phkResult);
LONG RegCreateKeyEx(HKEY hKey, const QString &subKey, DWORD reserved, const QString &className, DWORD options,
                    REGSAM samDesired, const void *securityAttributes, HKEY *phkResult, DWORD *disposition);
LONG RegCloseKey(HKEY hKey);

// data may be null to ask for the size; *cbData is in bytes. ERROR_MORE_DATA
// when the buffer is too small (with *cbData set to the size needed).
LONG RegQueryValueEx(HKEY hKey, const QString &valueName, DWORD *reserved, DWORD *type, BYTE *data, DWORD *cbData);
LONG RegSetValueEx(HKEY hKey, const QString &valueName, DWORD reserved, DWORD type, const BYTE *data, DWORD cbData);
LONG RegDeleteValue(HKEY hKey, const QString &valueName);
// Deletes a key without subkeys (ERROR_ACCESS_DENIED when it has some, as Windows does).
LONG RegDeleteKey(HKEY hKey, const QString &subKey);

// Enumeration by index; names come back as QStrings, so the character counts
// of the Win32 form are not needed. ERROR_NO_MORE_ITEMS past the end.
LONG RegEnumKeyEx(HKEY hKey, DWORD index, QString *name);
LONG RegEnumValue(HKEY hKey, DWORD index, QString *valueName, DWORD *type, BYTE *data, DWORD *cbData);

// The text Windows gives for an error code ("The system cannot find the file specified.").
QString registryErrorText(LONG code);

} // namespace win32
