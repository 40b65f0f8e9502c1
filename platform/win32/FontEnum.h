#pragma once

// GDI font enumeration over the installed font families (fontconfig through
// Qt's font database), with the LOGFONT character sets each family covers.

#include "platform/win32core/Registry.h"

#include <QList>
#include <QString>

#include <functional>

namespace win32 {

inline constexpr BYTE ANSI_CHARSET = 0;
inline constexpr BYTE DEFAULT_CHARSET = 1;
inline constexpr BYTE SYMBOL_CHARSET = 2;
inline constexpr BYTE MAC_CHARSET = 77;
inline constexpr BYTE SHIFTJIS_CHARSET = 128;
inline constexpr BYTE HANGEUL_CHARSET = 129;
inline constexpr BYTE JOHAB_CHARSET = 130;
inline constexpr BYTE GB2312_CHARSET = 134;
inline constexpr BYTE CHINESEBIG5_CHARSET = 136;
inline constexpr BYTE GREEK_CHARSET = 161;
inline constexpr BYTE TURKISH_CHARSET = 162;
inline constexpr BYTE VIETNAMESE_CHARSET = 163;
inline constexpr BYTE HEBREW_CHARSET = 177;
inline constexpr BYTE ARABIC_CHARSET = 178;
inline constexpr BYTE BALTIC_CHARSET = 186;
inline constexpr BYTE RUSSIAN_CHARSET = 204;
inline constexpr BYTE THAI_CHARSET = 222;
inline constexpr BYTE EASTEUROPE_CHARSET = 238;
inline constexpr BYTE OEM_CHARSET = 255;

inline constexpr int TRUETYPE_FONTTYPE = 4;

// The fields of LOGFONT the enumeration fills.
struct LOGFONT {
    LONG lfHeight = 0;
    LONG lfWeight = 400;
    BYTE lfItalic = 0;
    BYTE lfCharSet = ANSI_CHARSET;
    BYTE lfPitchAndFamily = 0;
    QString lfFaceName;
};

struct FontFamilyInfo {
    QString faceName;
    // Every character set the family covers; the first is the family's own
    // (its native script: SHIFTJIS for a Japanese font, ANSI for a Latin one).
    QList<BYTE> charSets;
};

// Installed families sorted by name, each once under its plain name. Needs a QGuiApplication.
QList<FontFamilyInfo> installedFontFamilies();
// A family without the foundry Qt adds when several foundries make it
// ("C059 [urw]" is "C059"): the name Windows knows it by.
QString plainFamilyName(const QString &family);

// The callback returns non-zero to go on. With an empty family: one call per
// installed family, carrying its own character set; with a family name: one
// call per character set of that family. Returns the callback's last result,
// or 0 when nothing was enumerated.
using FONTENUMPROC = std::function<int(const LOGFONT &logFont, int fontType)>;
int EnumFontFamilies(const QString &family, const FONTENUMPROC &callback);

// Makes Qt draw the Windows faces the system names ("MS GOTHIC", "Mangal", ...)
// with installed families of the same script when the faces themselves are
// missing. The names stay what they are everywhere else.
void installWindowsFontSubstitutes();
// The installed family that draws faceName (itself when installed).
QString drawingFamily(const QString &faceName);

} // namespace win32
