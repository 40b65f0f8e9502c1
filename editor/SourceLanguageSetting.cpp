#include "editor/SourceLanguageSetting.h"

#include "platform/win32core/Registry.h"
#include "support/ErrorTrap.h"
#include "support/REG_MODULE.h"

using namespace win32;

namespace {
const QString kSourceLanguageKey = QStringLiteral("Software\\Corvane\\Quillmark\\SourceLanguage");
} // namespace

std::int32_t GetStoredSourceLanguage(const QString &projectFile)
{
    std::int32_t localeId = 0;
    if (projectFile.isEmpty())
        return localeId;
    qm::trap("GetStoredSourceLanguage", [&] {
        HKEY key = 0;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, kSourceLanguageKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return;
        bool ok = false;
        const int stored = RegQueryString(key, projectFile, QString()).trimmed().toInt(&ok);
        // A damaged value is as good as none: the default source applies.
        localeId = ok && stored > 0 ? stored : 0;
        RegCloseKey(key);
    });
    return localeId;
}

void StoreSourceLanguage(const QString &projectFile, std::int32_t localeId)
{
    if (projectFile.isEmpty())
        return;
    qm::trap("StoreSourceLanguage", [&] {
        HKEY key = 0;
        // A failed create makes the write below fail silently, as for every setting.
        (void)RegCreateKeyEx(HKEY_CURRENT_USER, kSourceLanguageKey, 0, QString(), REG_OPTION_NON_VOLATILE, 0x3F, nullptr,
                             &key, nullptr);
        RegStoreString(key, projectFile, QString::number(localeId));
        RegCloseKey(key);
    });
}
