#pragma once

// The translation checks over a resource file's string tables.

#include "checks/TranslationChecks.h"

#include <QList>

#include <vector>

namespace resutil {
class ResStrings;
}

namespace checks {

inline constexpr qint32 kDefaultSourceLocale = 2057; // English (United Kingdom)

// English (United Kingdom) when the file has it, else the first language
// (languages in the file's order); 0 when there is none.
qint32 defaultSourceLanguage(const QList<qint32> &languages);
// The stored choice when the file still has that language, else the default.
qint32 sourceLanguage(const QList<qint32> &languages, qint32 chosen);

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
