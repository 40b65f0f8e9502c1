#pragma once

#include "platform/common/Result.h"

namespace excel {

class Worksheet;

// Where the sheets of a workbook read from a file come from. A sheet is
// read from it only when it is first asked for, so opening a workbook reads
// its sheet list and nothing of the sheets nobody looks at.
class SheetSource {
public:
    virtual ~SheetSource() = default;
    // Fills the empty sheet from the file; on failure the sheet stays empty.
    virtual qm::Status load(Worksheet &sheet) = 0;
};

} // namespace excel
