#pragma once

#include "exchange/Exchange.h"
#include "platform/common/Result.h"

namespace reviewstate {
class ReviewStates;
}

namespace exchange {

// What the translator formats carry of the review states: each unit's state,
// note, comment and maximum length, from `states`, on export.
void describeUnits(reviewstate::ReviewStates &states, Options &options);

// An import's states: what the file says, for the texts it gave. Call it once
// the imported texts are in the strings the states belong to.
qm::Status applyUnitStates(reviewstate::ReviewStates &states, qint32 target, const Imported &imported);

} // namespace exchange
