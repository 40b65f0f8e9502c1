#pragma once

#include "reviewstate/StateStats.h"

class StringTableModel;

// One language column's strings by how far their translation is, with the
// source text's words: what its header's tip and the status line tell.
// Counted are the strings with a source text (all rows without a source column).
struct ReviewCounts {
    reviewstate::StateCounts all, done, toReview, missing;
};

ReviewCounts countReviewStates(const StringTableModel &table, int column, int sourceColumn);

// Whether the cell is one Ctrl+Shift+Down stops at: a missing translation or
// one to review.
bool unfinishedCell(const StringTableModel &table, int row, int column);
