#include "platform/win32/FontEnum.h"

#include <QFont>
#include <QGuiApplication>
#include <QFontDatabase>
#include <QRawFont>
#include <QSet>

#include <algorithm>
#include <utility>

namespace win32 {

namespace {

// Writing systems in the order that decides a family's own character set:
// a font made for a script also covers Latin, so the script wins.
const QList<std::pair<QFontDatabase::WritingSystem, BYTE>> &scriptCharSets()
{
    static const QList<std::pair<QFontDatabase::WritingSystem, BYTE>> list{
        {QFontDatabase::Japanese, SHIFTJIS_CHARSET},
        {QFontDatabase::Korean, HANGEUL_CHARSET},
        {QFontDatabase::SimplifiedChinese, GB2312_CHARSET},
        {QFontDatabase::TraditionalChinese, CHINESEBIG5_CHARSET},
        {QFontDatabase::Thai, THAI_CHARSET},
        {QFontDatabase::Hebrew, HEBREW_CHARSET},
        {QFontDatabase::Arabic, ARABIC_CHARSET},
        {QFontDatabase::Latin, ANSI_CHARSET},
        {QFontDatabase::Greek, GREEK_CHARSET},
        {QFontDatabase::Cyrillic, RUSSIAN_CHARSET},
        {QFontDatabase::Vietnamese, VIETNAMESE_CHARSET},
        {QFontDatabase::Symbol, SYMBOL_CHARSET},
    };
    return list;
}

// Noto's CJK families cover all four CJK writing systems; their name says which one they are for.
BYTE cjkCharSetFromName(const QString &family)
{
    if (!family.contains(QLatin1String("CJK")))
        return DEFAULT_CHARSET;
    if (family.endsWith(QLatin1String(" JP")))
        return SHIFTJIS_CHARSET;
    if (family.endsWith(QLatin1String(" KR")))
        return HANGEUL_CHARSET;
    if (family.endsWith(QLatin1String(" SC")))
        return GB2312_CHARSET;
    if (family.endsWith(QLatin1String(" TC")) || family.endsWith(QLatin1String(" HK")))
        return CHINESEBIG5_CHARSET;
    return DEFAULT_CHARSET;
}

// The Latin code pages beyond Western, by a letter only each one needs.
void addLatinCodePages(const QString &family, QList<BYTE> *charSets)
{
    const QRawFont raw = QRawFont::fromFont(QFont(family));
    if (!raw.isValid())
        return;
    const std::pair<char32_t, BYTE> probes[] = {
        {U'\u0151', EASTEUROPE_CHARSET},   // o with double acute (Hungarian)
        {U'\u011f', TURKISH_CHARSET},      // g with breve
        {U'\u0117', BALTIC_CHARSET},       // e with dot above (Lithuanian)
    };
    for (const auto &[character, charSet] : probes)
        if (raw.supportsCharacter(character))
            charSets->append(charSet);
}

FontFamilyInfo describe(const QString &family)
{
    FontFamilyInfo info;
    info.faceName = family;
    const QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(family);
    for (const auto &[system, charSet] : scriptCharSets())
        if (systems.contains(system))
            info.charSets.append(charSet);
    if (systems.contains(QFontDatabase::Latin))
        addLatinCodePages(family, &info.charSets);
    // A CJK family is for the script its name says; any other family that
    // covers Latin is a Western font with extra scripts (DejaVu has Hebrew and Arabic).
    BYTE own = cjkCharSetFromName(family);
    if (own == DEFAULT_CHARSET && systems.contains(QFontDatabase::Latin))
        own = ANSI_CHARSET;
    if (own != DEFAULT_CHARSET && info.charSets.contains(own))
        info.charSets.move(info.charSets.indexOf(own), 0);
    if (info.charSets.isEmpty())
        info.charSets.append(DEFAULT_CHARSET);
    return info;
}

LOGFONT logFontFor(const QString &family, BYTE charSet)
{
    LOGFONT font;
    font.lfCharSet = charSet;
    font.lfFaceName = family;
    font.lfPitchAndFamily = QFontDatabase::isFixedPitch(family) ? 1 : 2;
    return font;
}

struct Substitute {
    const char *face;
    QStringList candidates;
};

const QList<Substitute> &windowsSubstitutes()
{
    static const QList<Substitute> list{
        {"Tahoma", {"Noto Sans Thai", "Noto Sans", "DejaVu Sans"}},
        {"MS GOTHIC", {"Noto Sans CJK JP", "Noto Sans Mono CJK JP"}},
        {"SimSun", {"Noto Serif CJK SC", "Noto Sans CJK SC"}},
        {"BATANG", {"Noto Serif CJK KR", "Noto Sans CJK KR"}},
        {"PMingLiU", {"Noto Serif CJK TC", "Noto Sans CJK TC"}},
        {"Arial", {"Liberation Sans", "Nimbus Sans", "Noto Sans", "DejaVu Sans"}},
        {"MS Sans Serif", {"DejaVu Sans", "Noto Sans", "Nimbus Sans"}},
        {"David", {"Noto Serif Hebrew", "Noto Sans Hebrew", "DejaVu Sans"}},
        {"Traditional Arabic", {"Noto Naskh Arabic", "Noto Sans Arabic", "DejaVu Sans"}},
        {"Mangal", {"Noto Sans Devanagari", "Noto Serif Devanagari"}},
    };
    return list;
}

// The font database exists only in a GUI application (the command-line tool has none).
bool haveFontDatabase() { return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr; }

// The installed families under their plain names, each once, private ones left out.
QStringList plainFamilies()
{
    QStringList families;
    QSet<QString> seen;
    for (const QString &family : QFontDatabase::families()) {
        if (QFontDatabase::isPrivateFamily(family))
            continue;
        const QString plain = plainFamilyName(family);
        const QString key = plain.toCaseFolded();
        if (!seen.contains(key)) {
            seen.insert(key);
            families.append(plain);
        }
    }
    return families;
}

// The installed family's own spelling, empty when it is not installed.
QString installedName(const QString &family)
{
    if (!haveFontDatabase())
        return {};
    const QString plain = plainFamilyName(family);
    const QStringList families = plainFamilies();
    const auto it = std::find_if(families.begin(), families.end(),
                                 [&](const QString &f) { return f.compare(plain, Qt::CaseInsensitive) == 0; });
    return it == families.end() ? QString() : *it;
}

bool isInstalled(const QString &family) { return !installedName(family).isEmpty(); }

} // namespace

QString plainFamilyName(const QString &family)
{
    const qsizetype foundry = family.lastIndexOf(QLatin1String(" ["));
    if (foundry > 0 && family.endsWith(QLatin1Char(']')))
        return family.left(foundry);
    return family;
}

QList<FontFamilyInfo> installedFontFamilies()
{
    if (!haveFontDatabase())
        return {};
    QStringList families = plainFamilies();
    std::sort(families.begin(), families.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    QList<FontFamilyInfo> result;
    result.reserve(families.size());
    for (const QString &family : families)
        result.append(describe(family));
    return result;
}

int EnumFontFamilies(const QString &family, const FONTENUMPROC &callback)
{
    if (!callback)
        return 0;
    int last = 0;
    if (family.isEmpty()) {
        for (const FontFamilyInfo &info : installedFontFamilies()) {
            last = callback(logFontFor(info.faceName, info.charSets.first()), TRUETYPE_FONTTYPE);
            if (!last)
                break;
        }
        return last;
    }
    if (!isInstalled(family))
        return 0;
    for (BYTE charSet : describe(family).charSets) {
        last = callback(logFontFor(family, charSet), TRUETYPE_FONTTYPE);
        if (!last)
            break;
    }
    return last;
}

void installWindowsFontSubstitutes()
{
    static bool installed = false;
    if (installed || !haveFontDatabase())
        return;
    installed = true;
    for (const Substitute &substitute : windowsSubstitutes()) {
        const QString face = QString::fromLatin1(substitute.face);
        if (isInstalled(face))
            continue;
        QStringList present;
        for (const QString &candidate : substitute.candidates)
            if (isInstalled(candidate))
                present.append(candidate);
        if (!present.isEmpty())
            QFont::insertSubstitutions(face, present);
    }
}

QString drawingFamily(const QString &faceName)
{
    if (const QString name = installedName(faceName); !name.isEmpty())
        return name;
    installWindowsFontSubstitutes();
    for (const QString &substitute : QFont::substitutes(faceName))
        if (const QString name = installedName(substitute); !name.isEmpty())
            return name;
    return {};
}

} // namespace win32
