#pragma once

// The Windows pseudo-locales and their texts: the source text with accented
// letters, about 40% longer and bracketed ("[Ŏƥēñ ƒīľē !!!]"), so that a tester
// sees what is cut off and what was never translated.

#include <QString>
#include <QStringView>

#include <optional>

namespace resutil {
class ResStrings;
}

namespace pseudo {

inline constexpr qint32 kPloc = 0x0501;  // qps-ploc
inline constexpr qint32 kPlocA = 0x05FE; // qps-ploca, the East Asian one
inline constexpr qint32 kPlocM = 0x09FF; // qps-plocm, right to left

bool isPseudoLocale(qint32 localeId);
// "qps-ploc", "qps-ploca", "qps-plocm" (any case); nothing for other names.
std::optional<qint32> localeFromName(QStringView name);

// Placeholders, access keys (&F, &&), backslash escapes, line breaks and the
// leading and trailing spaces stay as they are; a text of spaces only is kept.
// qps-ploca pads with wide characters, qps-plocm runs the text right to left.
QString pseudoText(QStringView source, qint32 pseudoLocale);

// Gives pseudoLocale one text per string of sourceLocale, replacing the texts it
// had (running it again gives the same table). Returns the number of texts.
qsizetype fillPseudoLocale(resutil::ResStrings &strings, qint32 sourceLocale, qint32 pseudoLocale);

} // namespace pseudo
