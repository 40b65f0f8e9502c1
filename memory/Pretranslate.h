#pragma once

// Fills a language's missing texts from the memory.

#include "platform/common/Result.h"

#include <array>

namespace resutil {
class ResStrings;
}

namespace memory {

class TranslationMemory;

// The match levels a summary counts: 100%, 95-99%, 85-94%, 75-84%, under 75%.
inline constexpr std::array<int, 5> kLevelFloors{100, 95, 85, 75, 0};

struct Pretranslated {
    qint64 missing = 0;                 // source texts without a translation before
    std::array<qint64, 5> filled{};     // per level of kLevelFloors
    qint64 total() const;
};

// How many string IDs have a text in sourceLocale and none in targetLocale.
qint64 countMissing(const resutil::ResStrings &strings, qint32 sourceLocale, qint32 targetLocale);

// Every string ID with a text in sourceLocale and none in targetLocale gets
// the best suggestion of at least minMatch percent, if there is one. Texts
// the language has are never changed.
qm::Result<Pretranslated> pretranslate(resutil::ResStrings &strings, TranslationMemory &memory, qint32 sourceLocale,
                                       qint32 targetLocale, int minMatch = 100);

} // namespace memory
