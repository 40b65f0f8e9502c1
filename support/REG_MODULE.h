#pragma once

// Reading and writing one named value of a key the caller has opened. Every
// value is stored as a string: numbers and booleans as decimal text ("-1" for
// true). A missing value yields the default; unexpected failures are reported
// through the error trap and yield the empty result.

#include "platform/win32core/Registry.h"

#include <QString>

#include <cstdint>

QString RegQueryString(win32::HKEY key, const QString &valueName, const QString &defaultText);
void RegStoreString(win32::HKEY key, const QString &valueName, const QString &value);
std::int32_t RegQueryLong(win32::HKEY key, const QString &valueName, std::int32_t defaultValue);
void RegStoreLong(win32::HKEY key, const QString &valueName, std::int32_t value);
bool RegQueryBoolean(win32::HKEY key, const QString &valueName, bool defaultValue);
void RegStoreBoolean(win32::HKEY key, const QString &valueName, bool value);
