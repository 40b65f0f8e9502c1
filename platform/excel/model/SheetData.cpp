#include "platform/excel/model/SheetData.h"

#include <algorithm>
#include <utility>

namespace excel {

void SheetData::set(int row, int column, Value value, std::uint32_t xf)
{
    if (size_t(row) == m_rows.size() + 1) // the next row, as the readers go
        m_rows.emplace_back(PoolAllocator<Cell>(m_pool.get()));
    else if (size_t(row) > m_rows.size())
        m_rows.resize(size_t(row), Row(PoolAllocator<Cell>(m_pool.get())));
    auto &cells = m_rows[size_t(row - 1)];
    // Rows read from a file tend to be as long as the one before: room for as
    // many cells saves growing cell by cell. At most the cells really present
    // are reserved again.
    if (cells.empty() && row > 1)
        cells.reserve(m_rows[size_t(row - 2)].size());
    // Export and the readers write columns in ascending order: append is the usual case.
    if (cells.empty() || cells.back().column < column) {
        cells.push_back(Cell{column, xf, std::move(value)});
        ++m_cells;
        return;
    }
    auto it = std::lower_bound(cells.begin(), cells.end(), column,
                               [](const Cell &c, int col) { return c.column < col; });
    if (it != cells.end() && it->column == column) {
        it->value = std::move(value);
        it->xf = xf;
    } else {
        cells.insert(it, Cell{column, xf, std::move(value)});
        ++m_cells;
    }
}

const Cell *SheetData::find(int row, int column) const
{
    if (row < 1 || size_t(row) > m_rows.size())
        return nullptr;
    const auto &cells = m_rows[size_t(row - 1)];
    // In a row without gaps the cell of column c is the c-th.
    if (column >= 1 && size_t(column) <= cells.size() && cells[size_t(column - 1)].column == column)
        return &cells[size_t(column - 1)];
    auto it = std::lower_bound(cells.begin(), cells.end(), column,
                               [](const Cell &c, int col) { return c.column < col; });
    return it != cells.end() && it->column == column ? &*it : nullptr;
}

void SheetData::clear()
{
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_pool = std::make_unique<CellPool>();
    m_cells = 0;
}

SheetData::Bounds SheetData::bounds(std::uint32_t defaultXf) const
{
    Bounds b;
    bool any = false;
    for (size_t r = 0; r < m_rows.size(); ++r) {
        for (const Cell &c : m_rows[r]) {
            if (c.value.isEmpty() && c.xf == defaultXf)
                continue;
            const int row = int(r) + 1;
            if (!any) {
                b = Bounds{row, c.column, row, c.column};
                any = true;
            } else {
                b.lastRow = row;
                b.firstColumn = std::min(b.firstColumn, c.column);
                b.lastColumn = std::max(b.lastColumn, c.column);
            }
        }
    }
    return b;
}

} // namespace excel
