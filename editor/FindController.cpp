#include "editor/FindController.h"

#include "editor/RowOrder.h"
#include "platform/win32core/Nls.h"
#include "platform/win32/SftTreeSource.h"

#include <algorithm>
#include <numeric>

void FindController::setLanguages(const LanguageTable &languages)
{
    m_languages = languages;
    if (m_sortLocale != -1 && !m_languages.contains(m_sortLocale))
        m_sortLocale = -1;
}

RowFilter::Predicate FindController::predicate(RowFilter::Kind kind, const FindCriteria &criteria) const
{
    if (!criteria.open)
        return nullptr;
    switch (kind) {
    case RowFilter::Text: {
        if (!criteria.filterRows)
            return nullptr;
        const TextMatcher matcher = criteria.matcher();
        if (matcher.isEmpty() || !matcher.isValid())
            return nullptr;
        std::vector<int> columns;
        if (criteria.scopeLocale == -1) {
            columns = m_languages.columns();
            columns.insert(columns.begin(), 0);
        } else if (const int column = m_languages.columnOf(criteria.scopeLocale); column > 0) {
            columns.push_back(column);
        }
        return textPredicate(matcher, std::move(columns));
    }
    case RowFilter::Missing:
        return criteria.missingOnly ? missingPredicate(m_languages.columns()) : nullptr;
    case RowFilter::Problems:
        return criteria.problemsOnly ? m_problemRule : nullptr;
    case RowFilter::Unused:
        return criteria.unusedOnly ? m_unusedRule : nullptr;
    case RowFilter::NeedsReview:
        return criteria.needsReviewOnly ? m_needsReviewRule : nullptr;
    default:
        return nullptr;
    }
}

std::vector<int> FindController::shownRows(const win32::SftTreeSource &grid, const FindCriteria &criteria) const
{
    RowFilter filter;
    for (int kind = 0; kind < RowFilter::KindCount; ++kind) {
        if (RowFilter::Predicate rule = predicate(RowFilter::Kind(kind), criteria))
            filter.set(RowFilter::Kind(kind), std::move(rule));
    }
    std::vector<int> rows;
    if (filter.isActive()) {
        rows = filter.rows(grid);
    } else {
        rows.resize(static_cast<std::size_t>(grid.rowCount()));
        std::iota(rows.begin(), rows.end(), 0);
    }
    RowOrder order;
    order.descending = m_sortDescending;
    if (m_sortLocale != -1) {
        order.column = m_languages.columnOf(m_sortLocale);
        // Compared as the language itself sorts: German, Swedish, Japanese each their own way.
        const QString tag = win32::LCIDToLocaleName(static_cast<win32::LCID>(m_sortLocale));
        order.locale = tag.isEmpty() ? QLocale::system() : QLocale(tag);
    }
    if (!order.isDefault())
        sortRows(rows, grid, order);
    return rows;
}

FindController::Found FindController::findNext(const win32::SftTreeSource &grid,
                                                             const FindCriteria &criteria,
                                                             const std::vector<int> &shown,
                                                             const QList<int> &columnOrder, Cell current,
                                                             bool backwards) const
{
    const TextMatcher matcher = criteria.matcher();
    if (matcher.isEmpty() || !matcher.isValid())
        return {Found::NoMatch, {}};
    const int scopeColumn = criteria.scopeLocale == -1 ? -1 : m_languages.columnOf(criteria.scopeLocale);
    std::vector<int> columns;
    for (int column : columnOrder) {
        if (scopeColumn == -1 || column == scopeColumn)
            columns.push_back(column);
    }
    const auto width = static_cast<qint64>(columns.size());
    const qint64 cells = static_cast<qint64>(shown.size()) * width;
    if (cells == 0)
        return {};
    const auto currentPosition = std::find(shown.begin(), shown.end(), current.row);
    const auto currentColumn = std::find(columns.begin(), columns.end(), current.column);
    qint64 start = -1;
    if (current.row >= 0 && currentPosition != shown.end() && currentColumn != columns.end())
        start = (currentPosition - shown.begin()) * width + (currentColumn - columns.begin());
    else if (backwards)
        start = cells;
    for (qint64 step = 1; step <= cells; ++step) {
        const qint64 cell = ((backwards ? start - step : start + step) % cells + cells) % cells;
        const int row = shown[static_cast<std::size_t>(cell / width)];
        const int column = columns[static_cast<std::size_t>(cell % width)];
        if (grid.hasItemData(row) && matcher.matches(grid.cellText(row, column)))
            return {Found::Match, {row, column}};
    }
    return {Found::NoMatch, {}};
}

void FindController::sortBy(qint32 locale, bool descending)
{
    m_sortLocale = locale != -1 && m_languages.columnOf(locale) > 0 ? locale : -1;
    m_sortDescending = descending;
}

bool FindController::headerClicked(int column)
{
    const qint32 locale = m_languages.localeOf(column);
    if (column != 0 && locale == -1)
        return false;
    sortBy(locale, locale == m_sortLocale ? !m_sortDescending : false);
    return true;
}

FindController::MissingCounts FindController::countMissing(const win32::SftTreeSource &grid) const
{
    MissingCounts counts;
    const std::vector<int> columns = m_languages.columns();
    counts.perColumn.assign(static_cast<std::size_t>(std::max(grid.columnCount(), 0)), 0);
    for (int row = 0; row < grid.rowCount(); ++row) {
        if (!grid.hasItemData(row))
            continue;
        ++counts.strings;
        bool missing = false;
        for (int column : columns) {
            if (column < grid.columnCount() && grid.cellText(row, column).isEmpty()) {
                ++counts.perColumn[static_cast<std::size_t>(column)];
                missing = true;
            }
        }
        counts.rowsMissing += missing ? 1 : 0;
    }
    return counts;
}
