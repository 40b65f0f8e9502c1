#pragma once

// Locale information and the display font of each language: the default by
// code page, and the user's own choice stored per locale.

#include "uistrings/LocaleInfoString.h"

#include <QString>

#include <cstdint>

namespace modUtil {

// The font suited to the locale's script, by its default ANSI code page ("MS GOTHIC" for 1041).
QString GetDefaultFontForLocale(std::int32_t lcid);
// The font the user chose for the locale, else defaultFont.
QString GetStoredLanguageFont(std::int32_t lcid, const QString &defaultFont);
// Remembers the user's font for the locale; an empty name writes nothing.
void StoreLanguageFont(std::int32_t lcid, const QString &fontName);

} // namespace modUtil
