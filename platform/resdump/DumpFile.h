#pragma once

#include "platform/resdump/FileLimit.h"
#include "platform/resdump/ResDump.h"

namespace resdump {

enum class DumpFileResult {
    Written,
    // The dump was made but could not be written; errorNumber says why (0: no reason known).
    WriteFailed,
    // Nothing was written: the file is not a regular file of at most
    // kMaxResFileBytes that can be opened, or dumpRes does not take it.
    NotTaken,
};

// Dumps the .res file at path to the file descriptor out, in full or not at all.
DumpFileResult dumpFile(const char *path, DumpForm form, int out, int &errorNumber) noexcept;

} // namespace resdump
