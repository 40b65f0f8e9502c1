#pragma once

// Reading and writing the "Windows Registry Editor Version 5.00" text form.

#include "platform/common/Result.h"
#include "platform/win32/RegistryTree.h"

#include <QByteArray>
#include <QString>

namespace win32 {

// Accepts UTF-8 (with or without BOM) and UTF-16LE with BOM, as regedit writes it.
// fileName only names the file in messages.
qm::Status parseRegistryFile(const QByteArray &bytes, const QString &fileName, RegistryTree *tree);

// UTF-8 text; strings that the quoted form cannot carry exactly are written as hex(1):.
QByteArray formatRegistryFile(const RegistryTree &tree);

} // namespace win32
