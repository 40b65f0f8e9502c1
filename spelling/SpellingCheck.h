#pragma once

// The check rule "spelling" over a resource file's string tables.

#include "checks/StringTableChecks.h"
#include "spelling/DictionaryFolders.h"
#include "spelling/SpellChecker.h"

#include <QHash>

#include <memory>
#include <vector>

namespace resutil {
class ResStrings;
}

namespace spelling {

// One checker per language, opened when first asked for.
class SpellCheckers {
public:
    explicit SpellCheckers(QStringList folders = dictionaryFolders()) : m_folders(std::move(folders)) {}
    // nullptr when the locale has no dictionary.
    SpellChecker *forLocale(qint32 localeId);

private:
    QStringList m_folders;
    QHash<qint32, std::shared_ptr<SpellChecker>> m_checkers;
};

// Every misspelt word of every language but the source's (token the word,
// count its position), sorted by locale, then string ID, then position. A
// language without a dictionary is one problem with ID 0 that names it
// (in the language of displayLanguage), and none of its words is checked; so
// are the Windows pseudo-locales, whose texts are made, not written.
std::vector<checks::StringProblem> checkSpelling(const resutil::ResStrings &strings, qint32 sourceLocale,
                                                 SpellCheckers &checkers, qint32 displayLanguage = 1033);

} // namespace spelling
