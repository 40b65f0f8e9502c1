#include "platform/win32core/Nls.h"

#include <QFile>
#include <QHash>
#include <QMap>

#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <cstring>

namespace win32 {

namespace {

struct LocaleRow {
    LCID lcid = 0;
    QString kind;   // specific, neutral, altsort, invariant
    QString tag;
    QString neutralTag;
    int ansiCodePage = 0;
    int oemCodePage = 0;
    QString englishName;
    QString nativeName;
};

struct LocaleTable {
    QMap<LCID, LocaleRow> byLcid;
    QHash<QString, LCID> specificByTag;   // folded tag of specific, altsort and invariant rows
    QHash<QString, LCID> neutralByTag;    // folded neutral tag of neutral rows
};

const LocaleTable &table()
{
    static const LocaleTable loaded = [] {
        LocaleTable t;
        QFile file(QStringLiteral(":/win32/locales.tsv"));
        if (!file.open(QIODevice::ReadOnly))
            qFatal("The locale table is missing from the library");
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QStringList f = lines[i].split(QLatin1Char('\t'));
            if (f.size() < 8)
                continue;
            LocaleRow row{f[0].toUInt(), f[1], f[2], f[3], f[4].toInt(), f[5].toInt(), f[6], f[7]};
            if (row.kind == QLatin1String("neutral"))
                t.neutralByTag.insert(row.neutralTag.toCaseFolded(), row.lcid);
            else if (!t.specificByTag.contains(row.tag.toCaseFolded()))
                t.specificByTag.insert(row.tag.toCaseFolded(), row.lcid);
            t.byLcid.insert(row.lcid, row);
        }
        return t;
    }();
    return loaded;
}

thread_local LONG t_lastError = ERROR_SUCCESS;

int fail(LONG error)
{
    t_lastError = error;
    return 0;
}

// "de_DE.UTF-8@euro" -> the LCID of "de-DE"; 0 for C, POSIX and unknown names.
LCID lcidFromPosixLocale(const QString &posix)
{
    QString name = posix.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    name.replace(QLatin1Char('_'), QLatin1Char('-'));
    if (name.isEmpty() || name == QLatin1String("C") || name == QLatin1String("POSIX"))
        return 0;
    if (LCID lcid = LocaleNameToLCID(name))
        return lcid;
    // A language alone stands for its default country, as Windows treats neutral locales.
    const LCID neutral = LocaleNameToLCID(name, LOCALE_ALLOW_NEUTRAL_NAMES);
    return neutral ? LocaleNameToLCID(table().byLcid.value(neutral).tag) : 0;
}

LCID fromEnvironment(std::initializer_list<const char *> variables)
{
    for (const char *variable : variables) {
        const QString value = qEnvironmentVariable(variable);
        if (value.isEmpty())
            continue;
        // The first variable that is set decides, as in POSIX.
        const LCID lcid = lcidFromPosixLocale(value);
        return lcid ? lcid : 1033;
    }
    return 1033;
}

QString icuDisplayName(const QString &tag, const QString &displayTag)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale locale = icu::Locale::forLanguageTag(tag.toStdString(), status);
    const icu::Locale display = icu::Locale::forLanguageTag(displayTag.toStdString(), status);
    if (U_FAILURE(status))
        return {};
    icu::UnicodeString name;
    locale.getDisplayName(display, name);
    return QString(reinterpret_cast<const QChar *>(name.getBuffer()), name.length());
}

QString displayName(const LocaleRow &row, LCID displayLanguage)
{
    // The pseudo-locales (qps-ploc...) have their English names in every language, as in Windows.
    if ((displayLanguage & 0x3ff) == 0x09 || row.lcid == LOCALE_INVARIANT || row.tag.startsWith(QLatin1String("qps-")))
        return row.englishName;
    const QString displayTag = table().byLcid.value(displayLanguage).tag;
    const QString name = icuDisplayName(row.tag.section(QLatin1Char('_'), 0, 0), displayTag.section(QLatin1Char('_'), 0, 0));
    return name.isEmpty() ? row.englishName : name;
}

QString languagePart(const QString &displayName)
{
    const qsizetype open = displayName.indexOf(QLatin1String(" ("));
    return open < 0 ? displayName : displayName.left(open);
}

bool infoText(const LocaleRow &row, LCTYPE type, QString *text)
{
    switch (type & ~LOCALE_NOUSEROVERRIDE) {
    case LOCALE_ILANGUAGE: *text = QStringLiteral("%1").arg(row.lcid & 0xffff, 4, 16, QLatin1Char('0')); return true;
    case LOCALE_SLANGUAGE: *text = displayName(row, GetSystemDefaultLCID()); return true;
    case LOCALE_SENGLANGUAGE: *text = languagePart(row.englishName); return true;
    case LOCALE_SNATIVELANGNAME: *text = languagePart(row.nativeName); return true;
    case LOCALE_SNAME: *text = row.kind == QLatin1String("neutral") ? row.neutralTag : row.tag; return true;
    case LOCALE_SENGLISHDISPLAYNAME: *text = row.englishName; return true;
    case LOCALE_SNATIVEDISPLAYNAME: *text = row.nativeName; return true;
    case LOCALE_IDEFAULTANSICODEPAGE: *text = QString::number(row.ansiCodePage); return true;
    case LOCALE_IDEFAULTCODEPAGE: *text = QString::number(row.oemCodePage); return true;
    default: return false;
    }
}

} // namespace

int GetLocaleInfo(LCID locale, LCTYPE type, char16_t *lcData, int cchData)
{
    if (cchData < 0 || (cchData > 0 && !lcData))
        return fail(ERROR_INVALID_PARAMETER);
    if (locale == LOCALE_USER_DEFAULT || locale == LOCALE_NEUTRAL)
        locale = GetUserDefaultLCID();
    else if (locale == LOCALE_SYSTEM_DEFAULT)
        locale = GetSystemDefaultLCID();
    const auto it = table().byLcid.constFind(locale);
    if (it == table().byLcid.constEnd())
        return fail(ERROR_INVALID_PARAMETER);
    QString text;
    if (!infoText(*it, type, &text))
        return fail(ERROR_INVALID_FLAGS);
    const int needed = int(text.size()) + 1;
    if (cchData == 0)
        return needed;
    if (cchData < needed)
        return fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(lcData, text.utf16(), size_t(text.size()) * sizeof(char16_t));
    lcData[text.size()] = 0;
    return needed;
}

LONG GetLastError() { return t_lastError; }

LCID GetSystemDefaultLCID() { return fromEnvironment({"LC_ALL", "LANG"}); }

LCID GetUserDefaultLCID() { return fromEnvironment({"LC_ALL", "LC_MESSAGES", "LANG"}); }

QList<LCID> systemLocales()
{
    QList<LCID> result;
    for (const LocaleRow &row : table().byLcid)
        if (row.kind == QLatin1String("specific") || row.tag == QLatin1String("es-ES_tradnl"))
            result.append(row.lcid);
    return result;
}

BOOL EnumSystemLocales(const std::function<bool(const QString &lcidHex)> &callback, DWORD flags)
{
    if (!callback || (flags != LCID_INSTALLED && flags != LCID_SUPPORTED)) {
        t_lastError = ERROR_INVALID_PARAMETER;
        return 0;
    }
    for (LCID lcid : systemLocales())
        if (!callback(QStringLiteral("%1").arg(lcid, 8, 16, QLatin1Char('0')).toUpper()))
            break;
    return 1;
}

QString LocaleDisplayName(LCID locale, LCID displayLanguage)
{
    const auto it = table().byLcid.constFind(locale);
    if (it == table().byLcid.constEnd() || !table().byLcid.contains(displayLanguage))
        return {};
    return displayName(*it, displayLanguage);
}

QString LCIDToLocaleName(LCID locale, DWORD flags)
{
    const auto it = table().byLcid.constFind(locale);
    if (it == table().byLcid.constEnd())
        return {};
    if (it->kind == QLatin1String("neutral"))
        return (flags & LOCALE_ALLOW_NEUTRAL_NAMES) ? it->neutralTag : it->tag;
    return it->tag;
}

LCID LocaleNameToLCID(const QString &name, DWORD flags)
{
    const QString folded = name.toCaseFolded();
    if (const LCID lcid = table().specificByTag.value(folded))
        return lcid;
    if (flags & LOCALE_ALLOW_NEUTRAL_NAMES)
        return table().neutralByTag.value(folded);
    return 0;
}

} // namespace win32
