#pragma once

// The translation checks over a resource file's string tables.

#include "checks/SourceLanguage.h"
#include "checks/TranslationChecks.h"

#include <QList>

#include <vector>

namespace resutil {
class ResStrings;
}

namespace checks {

struct StringProblem {
    qint32 localeId;
    qint32 id;
    Problem problem;
};

// Every problem of every language against sourceLocale, for each string ID with
// a source text, sorted by locale ID, then string ID (an ID the language lacks
// is an empty translation), with the inconsistencies of checkConsistency.
std::vector<StringProblem> checkStrings(const resutil::ResStrings &strings, qint32 sourceLocale);

} // namespace checks
