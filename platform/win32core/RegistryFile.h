#pragma once

// Reading and writing the "Windows Registry Editor Version 5.00" text form.

#include "platform/common/Result.h"
#include "platform/win32core/RegistryTree.h"

#include <QByteArray>
#include <QString>

namespace win32 {

// Accepts UTF-8 (with or without BOM) and UTF-16LE with BOM, as regedit writes it.
// fileName only names the file in messages.
qm::Status parseRegistryFile(const QByteArray &bytes, const QString &fileName, RegistryTree *tree);

// UTF-8 text; strings that the quoted form cannot carry exactly are written as
// hex(1):. A key or value name with a lone surrogate makes it UTF-16LE with a BOM.
QByteArray formatRegistryFile(const RegistryTree &tree);

} // namespace win32
