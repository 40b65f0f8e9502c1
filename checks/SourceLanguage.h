#pragma once

// Which language a file's translations are made from, when nothing chose one.
// Inline, so that the review states take it without linking the checks.

#include <QList>

namespace checks {

inline constexpr qint32 kDefaultSourceLocale = 2057; // English (United Kingdom)

// English (United Kingdom) when the file has it, else the first language
// (languages in the file's order); 0 when there is none.
inline qint32 defaultSourceLanguage(const QList<qint32> &languages)
{
    if (languages.contains(kDefaultSourceLocale))
        return kDefaultSourceLocale;
    return languages.isEmpty() ? 0 : languages.first();
}

// The stored choice when the file still has that language, else the default.
inline qint32 sourceLanguage(const QList<qint32> &languages, qint32 chosen)
{
    return chosen != 0 && languages.contains(chosen) ? chosen : defaultSourceLanguage(languages);
}

} // namespace checks
