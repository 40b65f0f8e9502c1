#pragma once

#include <QString>

#include <vector>

namespace reviewstate {

class ReviewStates;

// What the review states add to the translation checks.
struct StateProblem {
    enum Kind { Outdated, TooLong };
    qint32 localeId = 0;
    qint32 id = 0;
    Kind kind = Outdated;
    int length = 0; // TooLong: the translation's, in characters
    int limit = 0;  // TooLong: the string's maximum length
};

// Every translation that needs review, and every one longer than its
// string's maximum length, in every language but the source; by locale, then ID.
std::vector<StateProblem> checkStates(ReviewStates &states);

// "outdated", "too-long".
const char *problemKey(StateProblem::Kind kind);
// "the source text changed since it was translated", "12 characters, at most 10".
QString describe(const StateProblem &problem);

// Characters as a person counts them: code points.
int characterCount(QStringView text);

} // namespace reviewstate
