#pragma once

#include <QStringView>

namespace memory {

// The match percentage as translation tools show it: 100 for equal keys,
// else 100 * (1 - edit distance / length of the longer), rounded down and at
// most 99. Returns 0 as soon as the score would fall under atLeast, without
// finishing the count.
int matchPercent(QStringView a, QStringView b, int atLeast = 0);

// Levenshtein distance in UTF-16 units, or bound + 1 when it is more than bound.
int editDistance(QStringView a, QStringView b, int bound);

} // namespace memory
