#pragma once

#include <QLocale>

#include <vector>

namespace win32 {
class SftTreeSource;
}

// The order the grid shows its rows in: by ID (column 0), as the rows are
// filled, or by the texts of one language column, compared as that
// language sorts them. Empty texts come last either way; equal texts keep
// their IDs' order.
struct RowOrder {
    int column = 0;
    bool descending = false;
    QLocale locale;  // the language of the column

    bool isDefault() const { return column == 0 && !descending; }
};

void sortRows(std::vector<int> &rows, const win32::SftTreeSource &grid, const RowOrder &order);
