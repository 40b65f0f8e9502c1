#include "exchange/StringGrid.h"

#include <algorithm>

namespace exchange {

void Grid::set(int row, int column, GridCell cell)
{
    if (size_t(row) > rows.size())
        rows.resize(size_t(row));
    std::vector<GridCell> &cells = rows[size_t(row - 1)];
    if (size_t(column) > cells.size())
        cells.resize(size_t(column));
    cells[size_t(column - 1)] = std::move(cell);
}

const GridCell *Grid::find(int row, int column) const
{
    if (row < 1 || size_t(row) > rows.size())
        return nullptr;
    const std::vector<GridCell> &cells = rows[size_t(row - 1)];
    if (column < 1 || size_t(column) > cells.size())
        return nullptr;
    return &cells[size_t(column - 1)];
}

int Grid::columnCount() const
{
    size_t most = 0;
    for (const auto &cells : rows)
        most = std::max(most, cells.size());
    return int(most);
}

} // namespace exchange
