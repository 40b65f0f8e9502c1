#pragma once

// The punctuation a text ends in, as the target language writes it: the Greek
// question mark ";", the Arabic "؟", the full-width "。？！：" of Chinese and
// Japanese, the Devanagari danda "।", and Spanish's opening "¿" and "¡".

#include "checks/TranslationChecks.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace checks {

// The punctuation text ends in, read in the script of localeId: ".", "...",
// "؟"; empty when it ends in none. Trailing spaces, closing quotes and
// brackets are looked through ("Delete \"%1\"?" ends in "?").
QString endPunctuation(QStringView text, qint32 localeId);

// A source that ends in punctuation and a translation that ends in none
// (Missing, token the source's), or the other way round (Added, token the
// translation's); a Spanish question or exclamation without its opening "¿"
// or "¡" (Unpaired, token the opening mark). Thai, Lao, Khmer and Burmese
// write no full stop or colon, so those of the source need none there.
std::optional<Problem> checkPunctuation(QStringView source, qint32 sourceLocale, QStringView translation, qint32 targetLocale);

} // namespace checks
