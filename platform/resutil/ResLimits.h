#pragma once

#include "platform/resdump/FileLimit.h"

#include <QtGlobal>

namespace resutil {

// The largest resource file read: far beyond 65,536 string IDs in a hundred
// languages, well short of what would exhaust memory. Larger files (a sparse
// file, a mistaken path) are refused before a byte is read, as is anything
// that is not a regular file.
constexpr qint64 MaxResFileBytes = resdump::kMaxResFileBytes;

} // namespace resutil
