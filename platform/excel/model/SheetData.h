#pragma once

#include "platform/excel/model/CellPool.h"
#include "platform/excel/model/StoredValue.h"
#include "platform/excel/model/Value.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace excel {

// One stored cell: its value and the index of its cell format in the
// workbook's format table.
struct Cell {
    int column = 0; // from 1
    std::uint32_t xf = 0;
    StoredValue value;
};

// The cells of one sheet, sparse: per row the cells in ascending column order.
// Memory follows the cells really present, never the positions they claim.
class SheetData {
public:
    using Row = std::vector<Cell, PoolAllocator<Cell>>;
    struct Bounds {
        int firstRow = 1, firstColumn = 1, lastRow = 0, lastColumn = 0;
        bool empty() const { return lastRow == 0; }
    };

    void set(int row, int column, Value value, std::uint32_t xf);
    const Cell *find(int row, int column) const;
    void clear();
    // Rows from 1; a row without cells is an empty vector.
    int rowCount() const { return int(m_rows.size()); }
    const Row &row(int row) const { return m_rows[size_t(row - 1)]; }
    std::size_t cellCount() const { return m_cells; }
    // The smallest rectangle holding every cell that has a value or a format
    // other than `defaultXf`.
    Bounds bounds(std::uint32_t defaultXf) const;

private:
    std::unique_ptr<CellPool> m_pool = std::make_unique<CellPool>(); // outlives the rows
    std::vector<Row> m_rows;
    std::size_t m_cells = 0;
};

} // namespace excel
