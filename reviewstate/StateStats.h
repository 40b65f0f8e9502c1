#pragma once

#include <QList>
#include <QStringView>

#include <vector>

namespace reviewstate {

class ReviewStates;

// Strings and their source words in each state, for one language.
struct StateCounts {
    int strings = 0;
    qint64 words = 0;
};
struct LanguageStats {
    qint32 localeId = 0;
    StateCounts translated, needsReview, approved, untranslated, missing; // untranslated: state new with a text
};
struct FileStats {
    qint32 sourceLocale = 0;
    StateCounts source; // the strings with a source text: what every language is counted against
    std::vector<LanguageStats> languages; // every language but the source, by locale ID
};

// Counts every string ID with a source text in every other language.
FileStats countStates(ReviewStates &states);

// Words as translators count them: runs of letters and digits, and each
// Chinese or Japanese character on its own.
int countWords(QStringView text);

} // namespace reviewstate
