#include "platform/runtime/LocaleInfo.h"

#include "platform/win32core/Nls.h"

#include <iterator>

namespace LgvRuntime {

std::vector<int> LocaleInfo::SystemLocaleIds()
{
    std::vector<int> ids;
    for (win32::LCID lcid : win32::systemLocales())
        ids.push_back(int(lcid));
    return ids;
}

void LocaleInfo::ChooseNameLanguage(int languageId, int flags)
{
    Q_UNUSED(flags);
    m_list.clear();
    m_nextLocale = 0;
    m_listReady = false;
    if (!LocaleTag(languageId).ok())
        return;
    for (int lcid : SystemLocaleIds()) {
        qm::Result<QString> name = GetLocaleName(lcid, languageId);
        if (name.ok())
            m_list.emplace_back(lcid, *name);
    }
    m_listReady = !m_list.empty();
}

void LocaleInfo::ChooseSystemList(int flags)
{
    Q_UNUSED(flags);
    m_list.clear();
    m_nextLocale = 0;
    for (int lcid : SystemLocaleIds()) {
        char16_t buffer[256] = {};
        const int length = win32::GetLocaleInfo(win32::LCID(lcid), win32::LOCALE_SLANGUAGE, buffer, int(std::size(buffer)));
        if (length > 1)
            m_list.emplace_back(lcid, QString::fromUtf16(buffer, length - 1));
    }
    m_listReady = !m_list.empty();
}

bool LocaleInfo::IsListReady() const { return m_listReady; }

void LocaleInfo::ResetLocaleList() { m_nextLocale = 0; }

bool LocaleInfo::NextLocale(int &localeId, QString &name)
{
    if (!m_listReady || m_nextLocale >= m_list.size())
        return false;
    localeId = m_list[m_nextLocale].first;
    name = m_list[m_nextLocale].second;
    ++m_nextLocale;
    return true;
}

} // namespace LgvRuntime
