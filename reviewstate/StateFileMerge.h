#pragma once

#include "reviewstate/StateTable.h"

#include <QByteArray>

#include <optional>
#include <vector>

namespace reviewstate {

// A line both sides changed differently; the merge keeps ours.
struct StateConflict {
    enum Kind { Header, String, Cell };
    Kind kind = Cell;
    qint32 localeId = 0; // Cell
    qint32 id = 0;       // String, Cell
    // The line on each side after its locale and ID, as written; none where
    // the side has no such line.
    std::optional<QByteArray> base, ours, theirs;
};

struct StateMerge {
    StateTable table;
    std::vector<StateConflict> conflicts;
};

// The three-way merge of two state files changed from one base, line by line
// as the resource file merges cell by cell: a line changed on one side takes
// that change, on both to the same line takes it, on both differently is a
// conflict that keeps ours. Name=value fields merge by name, so that a note
// added on one side and a field added on the other are both kept.
//
// A line's state and source hash describe its text. Where both sides changed
// a cell's line but only one changed its text, the resource file's merge takes
// that side's text, so the line comes whole from that side: its source hash
// still says which source text that translation was made from. And a
// needs-review that only follows from a changed source text (the side's
// source hash for the string differs from the line's) is no change of the
// line's own: the merged source text decides it again when the file is read.
StateMerge mergeStateTables(const StateTable &base, const StateTable &ours, const StateTable &theirs);

// Whether bytes begin as a state file does.
bool looksLikeStateFile(QByteArrayView bytes);

} // namespace reviewstate
