#pragma once

#include "platform/common/Result.h"

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

namespace LgvRuntime {

// Names of Windows locales (by locale ID) in a given language: the shipped
// locale table's tags and English names, and ICU's names in other languages.
class LocaleInfo {
public:
    LocaleInfo() = default;
    virtual ~LocaleInfo() = default;

    // The name of locale `lcid` in the language of locale `displayLanguage`
    // ("German (Germany)" for 1031 in 2057, "Deutsch (Deutschland)" in 1031).
    qm::Result<QString> GetLocaleName(int lcid, int displayLanguage) const;

    // The ICU locale ID ("en_GB") of a Windows locale ID, from the locale table.
    static qm::Result<QByteArray> LocaleTag(int lcid);

    // Locale lists (LocaleInfoList.cpp): choose a list, then walk it with
    // ResetLocaleList and NextLocale. Both lists hold the system's specific
    // locales (language and country) once each, by locale ID.
    // The list with names in the language of locale `languageId`; not ready
    // when no names in that language are known. `flags` is reserved (0).
    virtual void ChooseNameLanguage(int languageId, int flags);
    // The list with the names the system gives them, in the system's language.
    virtual void ChooseSystemList(int flags);
    virtual bool IsListReady() const;
    virtual void ResetLocaleList();
    // The next locale of the chosen list; false when none is left.
    virtual bool NextLocale(int &localeId, QString &name);

    // The locale IDs of the system's specific locales (EnumSystemLocales), ascending.
    static std::vector<int> SystemLocaleIds();

private:
    std::vector<std::pair<int, QString>> m_list;
    bool m_listReady = false;
    std::size_t m_nextLocale = 0;
};

} // namespace LgvRuntime
