#include "editor/StateCommands.h"

#include "editor/StringTableModel.h"
#include "reviewstate/ReviewStates.h"
#include "support/ErrorTrap.h"

#include <utility>

using reviewstate::State;

reviewstate::ReviewStates &writableStates(const StringTableModel &table)
{
    reviewstate::ReviewStates *states = table.reviewStates();
    if (!states)
        qm::raise(QStringLiteral("The resource file has no review states."));
    if (!states->readable())
        qm::raise(states->problem());
    return *states;
}

qm::Status setReviewState(reviewstate::ReviewStates &states, qint32 localeId, qint32 id, State state)
{
    switch (state) {
    case State::New: return states.markNew(localeId, id);
    case State::Translated: return states.markTranslated(localeId, id);
    case State::NeedsReview: return states.markNeedsReview(localeId, id);
    case State::Approved: return states.approve(localeId, id);
    }
    return {};
}

StateChangeCommand::StateChangeCommand(clsProject &project, int nameId, QString nameArgument,
                                       std::vector<StateChange> changes)
    : StringCommand(project, nameId, std::move(nameArgument)), m_changes(std::move(changes))
{
}

void StateChangeCommand::redo() { apply(true); }
void StateChangeCommand::undo() { apply(false); }

void StateChangeCommand::apply(bool forward)
{
    StringTableModel &strings = table();
    reviewstate::ReviewStates &states = writableStates(strings);
    for (const StateChange &change : m_changes) {
        if (forward)
            qm::check(setReviewState(states, change.localeId, change.id, change.after));
        else
            states.restoreLine(change.localeId, change.id, change.before);
        strings.reviewStatesChanged(change.id);
    }
}

StringNotesCommand::StringNotesCommand(clsProject &project, int nameId, qint32 id, StringNotes before,
                                       StringNotes after)
    : StringCommand(project, nameId, QString::number(id)), m_id(id), m_before(std::move(before)),
      m_after(std::move(after))
{
}

void StringNotesCommand::apply(const StringNotes &notes)
{
    StringTableModel &strings = table();
    reviewstate::ReviewStates &states = writableStates(strings);
    qm::check(states.setComment(m_id, notes.comment));
    qm::check(states.setMaxLength(m_id, notes.maxLength));
    qm::check(states.setMaxWidth(m_id, notes.maxWidth));
    strings.reviewStatesChanged(m_id);
}
