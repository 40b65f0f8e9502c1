#pragma once

#include <array>
#include <functional>
#include <vector>

namespace win32 {
class SftTreeSource;
}

// The rows the grid shows: those that pass every predicate switched on.
// Each kind of filter has one slot; rows that are no string (the grid's
// message rows, which have no item data) always pass.
class RowFilter {
public:
    enum Kind { Text, Missing, Problems, Unused, NeedsReview, KindCount };
    // Whether a row of the grid (a model row) passes.
    using Predicate = std::function<bool(const win32::SftTreeSource &grid, int row)>;

    void set(Kind kind, Predicate predicate) { m_predicates[kind] = std::move(predicate); }
    void clear(Kind kind) { m_predicates[kind] = nullptr; }
    bool has(Kind kind) const { return static_cast<bool>(m_predicates[kind]); }
    bool isActive() const;

    bool accepts(const win32::SftTreeSource &grid, int row) const;
    // The rows that pass, in the grid's order.
    std::vector<int> rows(const win32::SftTreeSource &grid) const;

private:
    std::array<Predicate, KindCount> m_predicates;
};

class TextMatcher;

// Rows with a text in one of the columns that the matcher matches.
RowFilter::Predicate textPredicate(const TextMatcher &matcher, std::vector<int> columns);
// Rows with an empty cell in one of the columns.
RowFilter::Predicate missingPredicate(std::vector<int> columns);
