#pragma once

#include "editor/LanguageTable.h"
#include "editor/RowFilter.h"
#include "editor/TextMatcher.h"

#include <QList>
#include <QString>

#include <functional>
#include <vector>

namespace win32 {
class SftTreeSource;
}

// What the find bar asks for, as a value.
struct FindCriteria {
    bool open = false;  // the bar is shown; closed, it filters nothing
    QString text;
    FindOptions options;
    qint32 scopeLocale = -1;  // -1: every language and the IDs
    bool filterRows = false;  // only the rows that hold the text
    bool missingOnly = false;
    bool problemsOnly = false;
    bool unusedOnly = false;  // only the strings no code of the project uses
    bool needsReviewOnly = false;  // only the strings with a translation to review

    TextMatcher matcher() const { return TextMatcher(text, options); }
};

// Finding and filtering over the grid, without the widgets: which rows are
// shown and in which order, the next cell whose text matches, the order the
// sort menu and the headers choose, and the missing translations per column.
class FindController {
public:
    struct Cell {
        int row = -1;
        int column = -1;
    };
    struct Found {
        enum Outcome { Match, NoMatch, NoCells } outcome = NoCells;  // NoCells: no row or no column to look in
        Cell cell;
    };
    struct MissingCounts {
        std::vector<int> perColumn;  // per grid column; 0 for the ID column
        int strings = 0;
        int rowsMissing = 0;  // strings with an empty cell in some language
    };

    // The grid's languages. An order by a language that is gone becomes the order by ID.
    void setLanguages(const LanguageTable &languages);
    const LanguageTable &languages() const { return m_languages; }

    // Whether a row breaks a check; used for "problems only".
    void setProblemRule(RowFilter::Predicate rule) { m_problemRule = std::move(rule); }
    // Whether no code uses a row's string; used for "unused only".
    void setUnusedRule(RowFilter::Predicate rule) { m_unusedRule = std::move(rule); }
    // Whether a row has a translation to review; used for "needs review only".
    void setNeedsReviewRule(RowFilter::Predicate rule) { m_needsReviewRule = std::move(rule); }

    // The grid's rows that pass the criteria, in the chosen order.
    std::vector<int> shownRows(const win32::SftTreeSource &grid, const FindCriteria &criteria) const;

    // The next (previous) cell after the current one whose text matches,
    // wrapping around: over the rows as shown (`shown`, model rows) and the
    // columns as shown (`columnOrder`), in the scope's column only when there is one.
    Found findNext(const win32::SftTreeSource &grid, const FindCriteria &criteria, const std::vector<int> &shown,
                                 const QList<int> &columnOrder, Cell current, bool backwards) const;

    // The order: by a language's texts, or by ID for locale -1 (also for a
    // language the grid does not show).
    void sortBy(qint32 locale, bool descending);
    qint32 sortLocale() const { return m_sortLocale; }
    bool sortDescending() const { return m_sortDescending; }
    int sortColumn() const { return m_sortLocale == -1 ? 0 : m_languages.columnOf(m_sortLocale); }
    // A click on a column's header: sorts by it, and the same column again
    // turns the order round. False for a column without a language.
    bool headerClicked(int column);

    MissingCounts countMissing(const win32::SftTreeSource &grid) const;

private:
    RowFilter::Predicate predicate(RowFilter::Kind kind, const FindCriteria &criteria) const;

    LanguageTable m_languages;
    RowFilter::Predicate m_problemRule;
    RowFilter::Predicate m_unusedRule;
    RowFilter::Predicate m_needsReviewRule;
    qint32 m_sortLocale = -1;
    bool m_sortDescending = false;
};
