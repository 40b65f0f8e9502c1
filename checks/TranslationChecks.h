#pragma once

// Rules that compare one translation with its source text and find what breaks
// the program at run time: placeholders that the code fills in, line breaks,
// leading and trailing spaces, the access key of a menu or button caption, and
// a missing text.

#include <QList>
#include <QString>
#include <QStringView>

namespace checks {

enum class Rule : quint8 {
    Placeholders, // %1, printf's %s/%ld/%%, .NET's {0}
    LineBreaks,
    Spaces,       // leading or trailing
    AccessKey,    // a single & before a character; && is a plain ampersand
    Empty,        // no translation for a source text
    Inconsistent, // across the file's strings (ConsistencyChecks.h), never from checkTranslation
    // Rules that need the languages of both texts, checked on their own
    // (EndPunctuation.h, the spelling and fit libraries).
    Punctuation,  // end punctuation in one text and not in the other
    Spelling,     // a word the language's dictionary does not know
    Width,        // drawn wider than the source by more than the project's factor
};
// The rules the grid names (Placeholders to Inconsistent).
inline constexpr int kRuleCount = 6;

enum class Finding : quint8 {
    Missing,  // in the source, not in the translation
    Added,    // in the translation, not in the source
    Order,    // printf placeholders in another order (they take their arguments in turn)
    Count,    // line breaks
    Leading,  // spaces at the start
    Trailing, // spaces at the end
    Differs,  // Inconsistent: the same source text translated otherwise in another string
    Shared,   // Inconsistent: another source text translated the same
    Unpaired, // Punctuation: a closing ? or ! without Spanish's opening mark (token the opening one)
    Unknown,  // Spelling: the word in token; count its position in the text
    Wider,    // Width: count the translation's width in pixels, sourceCount the source's
    NoDictionary, // Spelling: no dictionary for the language, once per language (token the locale's name)
};

struct Problem {
    Rule rule;
    Finding finding;
    QString token;       // the placeholder or access key as written (Order: the source's sequence;
                         // Inconsistent: the other string's ID)
    int count = 0;       // LineBreaks: the translation's
    int sourceCount = 0; // LineBreaks: the source's
    int line = 0;        // Width: the line of a multi-line text, from 1; 0 for a text of one line
    bool operator==(const Problem &) const = default;
};

// Every problem of translation against source, in rule order. A source without
// text has nothing to check against; an empty translation is one Empty problem.
QList<Problem> checkTranslation(QStringView source, QStringView translation);
// Whether checkTranslation would find anything, without describing it.
bool hasProblem(QStringView source, QStringView translation);

// The rule's key for scripts: "placeholder", "line-breaks", "spaces", "access-key", "empty",
// "inconsistent", "punctuation", "spelling", "width".
const char *ruleKey(Rule rule);
// A short English description: "%1 is missing", "2 line breaks, the source has 1".
QString describe(const Problem &problem);

} // namespace checks
