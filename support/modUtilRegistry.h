#pragma once

// Registry keys by full path ("\HKEY_CURRENT_USER\SOFTWARE\Corvane\Quillmark\Lingrove"),
// created on demand, with typed values (1 string, 4 32-bit number).
// Unexpected failures are reported through the error trap.

#include "platform/win32core/RegistryObjects.h"

#include <QString>
#include <QVariant>

#include <cstdint>
#include <optional>

// The key named by path, created with all missing parents; none after a failure.
std::optional<win32::RegKey> OpenOrCreateRegKey(const QString &path);
// Adds the value with the type code, or replaces the data of an existing one
// (which keeps its own type).
void AddOrReplaceValue(const std::optional<win32::RegKey> &key, const QString &valueName, const QVariant &value,
                       std::int32_t typeCode);
// The value's data (QString or qint32), or defaultValue when there is none.
QVariant GetValueWithDefault(const std::optional<win32::RegKey> &key, const QString &valueName,
                             const QVariant &defaultValue);
