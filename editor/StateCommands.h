#pragma once

#include "editor/StringCommands.h"
#include "platform/common/Result.h"
#include "reviewstate/StateTable.h"

#include <QString>

#include <optional>
#include <vector>

namespace reviewstate {
class ReviewStates;
}

// A translation's review state set by the user (approved, or back to the
// state it had), as one step.
struct StateChange {
    qint32 localeId = 0;
    qint32 id = 0;
    std::optional<reviewstate::Cell> before;  // the cell's line before; none: it had none
    reviewstate::State after = reviewstate::State::Approved;
};

class StateChangeCommand : public StringCommand {
public:
    StateChangeCommand(clsProject &project, int nameId, QString nameArgument, std::vector<StateChange> changes);
    void redo() override;
    void undo() override;

private:
    void apply(bool forward);
    std::vector<StateChange> m_changes;
};

// What the translators are told of a string: its comment, its maximum length
// and the widest it may be drawn.
struct StringNotes {
    QString comment;
    int maxLength = 0;  // 0: none
    int maxWidth = 0;   // in pixels; 0: none
    bool operator==(const StringNotes &) const = default;
};

class StringNotesCommand : public StringCommand {
public:
    StringNotesCommand(clsProject &project, int nameId, qint32 id, StringNotes before, StringNotes after);
    void redo() override { apply(m_after); }
    void undo() override { apply(m_before); }

private:
    void apply(const StringNotes &notes);
    qint32 m_id;
    StringNotes m_before;
    StringNotes m_after;
};

// The project's review states; raises when it has none that can be written.
reviewstate::ReviewStates &writableStates(const StringTableModel &table);
// Sets one state, whichever it is.
qm::Status setReviewState(reviewstate::ReviewStates &states, qint32 localeId, qint32 id, reviewstate::State state);
