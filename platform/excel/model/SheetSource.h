#pragma once

#include "platform/common/Result.h"
#include "platform/excel/model/Value.h"

#include <cstdint>

namespace excel {

class Worksheet;

// Receives a sheet's cells as its file gives them, none kept.
class CellVisitor {
public:
    virtual ~CellVisitor() = default;
    // The format of every cell without its own.
    virtual void defaultFormat(std::uint32_t xf) = 0;
    // One cell, in ascending row and then column order.
    virtual void cell(int row, int column, const Value &value, std::uint32_t xf) = 0;
};

// Where the sheets of a workbook read from a file come from. A sheet is
// read from it only when it is first asked for, so opening a workbook reads
// its sheet list and nothing of the sheets nobody looks at.
class SheetSource {
public:
    virtual ~SheetSource() = default;
    // Fills the empty sheet from the file; on failure the sheet stays empty.
    virtual qm::Status load(Worksheet &sheet) = 0;
    // Hands the sheet's cells to `visitor` without filling the sheet. False
    // where this source cannot give them exactly as load would (the cells
    // out of order, texts from a shared table, a fault of the file): `visitor`
    // may then have received part of them, and only load can tell.
    virtual bool visit(const Worksheet &, CellVisitor &) { return false; }
};

} // namespace excel
