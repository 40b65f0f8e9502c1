#pragma once

// National language support: the Win32 locale calls over the locale table
// shipped with the library (data/locales.tsv).

#include "platform/win32core/Registry.h"

#include <QList>
#include <QString>

#include <functional>

namespace win32 {

using LCID = DWORD;
using LCTYPE = DWORD;
using BOOL = int;

inline constexpr LCID LOCALE_NEUTRAL = 0x0000;
inline constexpr LCID LOCALE_INVARIANT = 0x007f;
inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
inline constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;

inline constexpr LCTYPE LOCALE_ILANGUAGE = 0x0001;
inline constexpr LCTYPE LOCALE_SLANGUAGE = 0x0002;   // in the system's language
inline constexpr LCTYPE LOCALE_SNATIVELANGNAME = 0x0004;
inline constexpr LCTYPE LOCALE_IDEFAULTCODEPAGE = 0x000B;   // OEM code page
inline constexpr LCTYPE LOCALE_SNAME = 0x005c;
inline constexpr LCTYPE LOCALE_SENGLISHDISPLAYNAME = 0x0072;
inline constexpr LCTYPE LOCALE_SNATIVEDISPLAYNAME = 0x0073;
inline constexpr LCTYPE LOCALE_SENGLANGUAGE = 0x1001;
inline constexpr LCTYPE LOCALE_IDEFAULTANSICODEPAGE = 0x1004;
inline constexpr LCTYPE LOCALE_NOUSEROVERRIDE = 0x80000000;

inline constexpr DWORD LCID_INSTALLED = 0x01;
inline constexpr DWORD LCID_SUPPORTED = 0x02;
inline constexpr DWORD LOCALE_ALLOW_NEUTRAL_NAMES = 0x08000000;

inline constexpr LONG ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr LONG ERROR_INVALID_FLAGS = 1004;

// Wide form: the number of characters written including the NUL; with
// cchData 0 the number needed. 0 on failure (see GetLastError).
int GetLocaleInfo(LCID locale, LCTYPE type, char16_t *lcData, int cchData);
// The error of the last failed GetLocaleInfo on this thread.
LONG GetLastError();

// From LC_ALL or LANG ("de_DE.UTF-8" gives 1031); 1033 when neither names a known locale.
LCID GetSystemDefaultLCID();
// From LC_ALL, LC_MESSAGES or LANG, in that order; 1033 as above.
LCID GetUserDefaultLCID();

// Calls back with each locale ID as eight hex digits ("00000409"), in LCID
// order, until the callback returns false. LCID_SUPPORTED and LCID_INSTALLED
// both list the specific locales (language and country).
BOOL EnumSystemLocales(const std::function<bool(const QString &lcidHex)> &callback, DWORD flags);
// The same list as numbers.
QList<LCID> systemLocales();

// The name of `locale` in the language of `displayLanguage`: the table's English
// name when that language is English, otherwise ICU's name for the table's tag
// (the English name where ICU has none). Empty when either locale is unknown.
// LOCALE_SLANGUAGE is this name in the system's language.
QString LocaleDisplayName(LCID locale, LCID displayLanguage);

// "ja-JP"; with LOCALE_ALLOW_NEUTRAL_NAMES a neutral LCID gives "ja". Empty when unknown.
QString LCIDToLocaleName(LCID locale, DWORD flags = 0);
// Case-insensitive; "de" gives the neutral 7 only with LOCALE_ALLOW_NEUTRAL_NAMES. 0 when unknown.
LCID LocaleNameToLCID(const QString &name, DWORD flags = 0);

} // namespace win32
