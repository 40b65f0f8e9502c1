#include "editor/RowFilter.h"

#include "editor/TextMatcher.h"
#include "platform/win32/SftTreeSource.h"

#include <algorithm>

bool RowFilter::isActive() const
{
    return std::any_of(m_predicates.begin(), m_predicates.end(), [](const Predicate &p) { return bool(p); });
}

bool RowFilter::accepts(const win32::SftTreeSource &grid, int row) const
{
    if (!grid.hasItemData(row))
        return true;
    return std::all_of(m_predicates.begin(), m_predicates.end(),
                       [&](const Predicate &p) { return !p || p(grid, row); });
}

std::vector<int> RowFilter::rows(const win32::SftTreeSource &grid) const
{
    std::vector<int> passing;
    const int count = grid.rowCount();
    passing.reserve(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row) {
        if (accepts(grid, row))
            passing.push_back(row);
    }
    return passing;
}

RowFilter::Predicate textPredicate(const TextMatcher &matcher, std::vector<int> columns)
{
    return [matcher, columns = std::move(columns)](const win32::SftTreeSource &grid, int row) {
        QString scratch;
        return std::any_of(columns.begin(), columns.end(), [&](int column) {
            return matcher.matches(grid.cellTextView(row, column, scratch));
        });
    };
}

RowFilter::Predicate missingPredicate(std::vector<int> columns)
{
    return [columns = std::move(columns)](const win32::SftTreeSource &grid, int row) {
        QString scratch;
        return std::any_of(columns.begin(), columns.end(),
                           [&](int column) { return grid.cellTextView(row, column, scratch).isEmpty(); });
    };
}
