#pragma once

#include "merge/Differences.h"
#include "merge/ThreeWayMerge.h"
#include "reviewstate/StateFileMerge.h"

#include <QString>

#include <string>
#include <vector>

namespace cli {

// The texts diff and merge write about strings and resources.

// Lines: string<TAB>added|removed<TAB>LOCALE<TAB>ID<TAB>TEXT,
// string<TAB>changed<TAB>LOCALE<TAB>ID<TAB>OLD<TAB>NEW and
// resource<TAB>added|removed|changed<TAB>TYPE<TAB>NAME<TAB>LANGUAGE.
std::string diffLines(const std::vector<merge::CellChange> &strings, const std::vector<merge::ResourceChange> &resources);
std::string diffJson(const std::vector<merge::CellChange> &strings, const std::vector<merge::ResourceChange> &resources);

// One line for standard error, without the tool's prefix.
QString describeConflict(const merge::CellConflict &conflict);
QString describeConflict(const merge::ResourceConflict &conflict);
QString describeConflict(const reviewstate::StateConflict &conflict);

} // namespace cli
