#pragma once

// Small typed reads and writes of the settings store for the host's own keys.

#include "platform/common/Result.h"
#include "platform/win32core/Registry.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace vbide::reg {

qm::Result<QString> readString(win32::HKEY root, const QString &path, const QString &name);
qm::Result<std::uint32_t> readDword(win32::HKEY root, const QString &path, const QString &name);
qm::Result<QByteArray> readBinary(win32::HKEY root, const QString &path, const QString &name);
// Create the key when missing.
qm::Status writeString(win32::HKEY root, const QString &path, const QString &name, const QString &value);
qm::Status writeDword(win32::HKEY root, const QString &path, const QString &name, std::uint32_t value);
qm::Status writeBinary(win32::HKEY root, const QString &path, const QString &name, const QByteArray &value);
// Deletes a key with all its subkeys; a missing key is no failure.
qm::Status deleteTree(win32::HKEY root, const QString &path);

} // namespace vbide::reg
