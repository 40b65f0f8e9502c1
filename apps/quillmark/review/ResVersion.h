#pragma once

#include "merge/ThreeWayMerge.h"

#include "platform/common/Result.h"
#include "platform/resutil/ResFile.h"

#include <QString>

namespace cli {

// A resource file read whole, for diff and merge: the file, and the merge's
// view of its strings and other resources.
struct ResVersion {
    resutil::ResFile file;
    merge::Version version;
};

// Reads path into version. With emptyAllowed an empty file (git's base for a
// file both sides added) counts as a file without resources.
qm::Status readVersion(const QString &path, ResVersion &version, bool emptyAllowed = false);

} // namespace cli
