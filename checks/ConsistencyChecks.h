#pragma once

// Consistency across a file's strings: one source text should have one
// translation, and one translation should stand for one source text.

#include "checks/StringTableChecks.h"

#include <vector>

namespace resutil {
class ResStrings;
}

namespace checks {

// Per language but sourceLocale, sorted by locale, then string ID:
// - Differs on each string whose translation is not the one most strings with
//   the same source text have (the lowest ID's on a tie); token names the
//   lowest ID with that one;
// - Shared on each string whose source text differs (besides letter case
//   and edge spaces) from that of the lowest ID with the same translation;
//   token names that ID.
std::vector<StringProblem> checkConsistency(const resutil::ResStrings &strings, qint32 sourceLocale);

} // namespace checks
