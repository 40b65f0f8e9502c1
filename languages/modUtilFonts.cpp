#include "languages/modUtilFonts.h"

#include "platform/win32core/Nls.h"
#include "platform/win32core/Registry.h"
#include "support/ErrorTrap.h"
#include "platform/win32/FontEnum.h"
#include "support/REG_MODULE.h"

using namespace win32;

namespace modUtil {

namespace {

const QString kLanguageFontsKey = QStringLiteral("Software\\Corvane\\LanguageFonts");

bool isDevanagariLocale(std::int32_t lcid)
{
    return lcid == 1081 || lcid == 1097 || lcid == 1102 || lcid == 1103 || lcid == 1111;
}

} // namespace

QString GetDefaultFontForLocale(std::int32_t lcid)
{
    QString result;
    qm::trap("GetDefaultFontForLocale", [&] {
        // The faces below are Windows fonts; where one is missing Qt draws it with an installed family.
        installWindowsFontSubstitutes();
        bool ok = false;
        int codePage = GetLocaleInfoString(lcid, std::int32_t(LOCALE_IDEFAULTANSICODEPAGE)).toInt(&ok);
        if (!ok)
            codePage = 0;
        switch (codePage) {
        case 874: result = QStringLiteral("Tahoma"); break;
        case 932: result = QStringLiteral("MS GOTHIC"); break;
        case 936: result = QStringLiteral("SimSun"); break;
        case 949: result = QStringLiteral("BATANG"); break;
        case 950: result = QStringLiteral("PMingLiU"); break;
        case 1200:
        case 1250:
        case 1251:
        case 1254:
        case 1257: result = QStringLiteral("Arial"); break;
        case 1252: result = QStringLiteral("MS Sans Serif"); break;
        case 1255: result = QStringLiteral("David"); break;
        case 1256: result = QStringLiteral("Traditional Arabic"); break;
        default: result = isDevanagariLocale(lcid) ? QStringLiteral("Mangal") : QStringLiteral("Arial"); break;
        }
    });
    return result;
}

QString GetStoredLanguageFont(std::int32_t lcid, const QString &defaultFont)
{
    QString result;
    qm::trap("GetStoredLanguageFont", [&] {
        HKEY key = 0;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, kLanguageFontsKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
            result = RegQueryString(key, QString::number(lcid), defaultFont);
            RegCloseKey(key);
        } else {
            result = defaultFont;
        }
    });
    return result;
}

void StoreLanguageFont(std::int32_t lcid, const QString &fontName)
{
    qm::trap("StoreLanguageFont", [&] {
        HKEY key = 0;
        // A failed create makes the write below fail silently, as for every setting.
        (void)RegCreateKeyEx(HKEY_CURRENT_USER, kLanguageFontsKey, 0, QString(), REG_OPTION_NON_VOLATILE, 0x3F, nullptr,
                             &key, nullptr);
        RegStoreString(key, QString::number(lcid), fontName);
        RegCloseKey(key);
    });
}

} // namespace modUtil
