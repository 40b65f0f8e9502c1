#pragma once

#include <QString>

namespace qm {

// The line break inside a resource string and in the texts the add-in hands
// to Windows programs (the mail of an error report).
inline QString crlf() { return QStringLiteral("\r\n"); }

} // namespace qm
