#include "editor/RowOrder.h"

#include "platform/win32/SftTreeSource.h"

#include <QCollator>

#include <algorithm>
#include <optional>

namespace {

void sortById(std::vector<int> &rows, const win32::SftTreeSource &grid, bool descending)
{
    // Rows without an ID (messages) stay in front.
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
        const bool idA = grid.hasItemData(a);
        const bool idB = grid.hasItemData(b);
        if (idA != idB)
            return !idA;
        return descending ? grid.itemData(a) > grid.itemData(b) : grid.itemData(a) < grid.itemData(b);
    });
}

} // namespace

void sortRows(std::vector<int> &rows, const win32::SftTreeSource &grid, const RowOrder &order)
{
    if (order.column <= 0) {
        sortById(rows, grid, order.descending);
        return;
    }
    sortById(rows, grid, false);
    QCollator collator(order.locale);
    collator.setNumericMode(true);
    // One key per row, so that the sort compares bytes instead of collating each time.
    std::vector<std::optional<QCollatorSortKey>> keys(static_cast<std::size_t>(grid.rowCount()));
    for (int row : rows) {
        const QString text = grid.cellText(row, order.column);
        if (!text.isEmpty())
            keys[row].emplace(collator.sortKey(text));
    }
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
        const auto &keyA = keys[a];
        const auto &keyB = keys[b];
        if (!keyA || !keyB)
            return keyA.has_value() && !keyB.has_value();
        const int compared = keyA->compare(*keyB);
        return order.descending ? compared > 0 : compared < 0;
    });
}
