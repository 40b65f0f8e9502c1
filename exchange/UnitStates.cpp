#include "exchange/UnitStates.h"

#include "exchange/TranslationUnits.h"
#include "reviewstate/ReviewStates.h"

namespace exchange {

namespace {
UnitState unitState(reviewstate::State state)
{
    switch (state) {
    case reviewstate::State::New: return UnitState::New;
    case reviewstate::State::Translated: return UnitState::Translated;
    case reviewstate::State::NeedsReview: return UnitState::NeedsReview;
    case reviewstate::State::Approved: return UnitState::Approved;
    }
    return UnitState::Translated;
}
} // namespace

void describeUnits(reviewstate::ReviewStates &states, Options &options)
{
    states.setSourceLanguage(options.sourceLocale);
    const qint32 target = options.targetLocale;
    options.describeUnit = [&states, target](TranslationUnit &unit) {
        if (unit.target)
            unit.state = unitState(states.state(target, unit.id));
        unit.note = states.note(target, unit.id);
        unit.comment = states.comment(unit.id);
        unit.maxLength = states.maxLength(unit.id);
    };
}

qm::Status applyUnitStates(reviewstate::ReviewStates &states, qint32 target, const Imported &imported)
{
    for (const Imported::UnitInfo &unit : imported.units) {
        if (!unit.note.isEmpty())
            if (auto noted = states.setNote(target, unit.id, unit.note); !noted)
                return noted;
        if (!unit.state)
            continue;
        qm::Status marked;
        switch (*unit.state) {
        case UnitState::New: marked = states.markNew(target, unit.id); break;
        case UnitState::Translated: marked = states.markTranslated(target, unit.id); break;
        case UnitState::NeedsReview: marked = states.markNeedsReview(target, unit.id); break;
        case UnitState::Approved: marked = states.approve(target, unit.id); break;
        }
        (void)marked; // a unit whose text did not come in has no state to mark
    }
    return {};
}

} // namespace exchange
