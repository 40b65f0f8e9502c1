#include "editor/ReviewCounts.h"

#include "editor/StringTableModel.h"
#include "reviewstate/StateTable.h"

using reviewstate::State;

namespace {
void add(reviewstate::StateCounts &counts, int words)
{
    ++counts.strings;
    counts.words += words;
}
} // namespace

ReviewCounts countReviewStates(const StringTableModel &table, int column, int sourceColumn)
{
    ReviewCounts counts;
    QString scratch;
    for (int row = 0; row < table.rowCount(); ++row) {
        int words = 0;
        if (sourceColumn >= 1) {
            const QStringView source = table.cellTextView(row, sourceColumn, scratch);
            if (source.isEmpty())
                continue;
            words = reviewstate::countWords(source);
        }
        add(counts.all, words);
        if (table.cellTextView(row, column, scratch).isEmpty()) {
            add(counts.missing, words);
            continue;
        }
        const std::optional<State> state = table.reviewState(row, column);
        const bool done = !state || *state == State::Translated || *state == State::Approved;
        add(done ? counts.done : counts.toReview, words);
    }
    return counts;
}

bool unfinishedCell(const StringTableModel &table, int row, int column)
{
    if (!table.hasItemData(row))
        return false;
    if (table.cellText(row, column).isEmpty())
        return true;
    const std::optional<State> state = table.reviewState(row, column);
    return state && (*state == State::NeedsReview || *state == State::New);
}
