#include "platform/runtime/LocaleInfo.h"

#include "platform/win32core/Nls.h"

#include <unicode/uloc.h>

namespace LgvRuntime {

namespace {

qm::Error unknownLocale(int lcid)
{
    return qm::makeError(QStringLiteral("Locale ID %1 is not a known locale").arg(lcid));
}

} // namespace

qm::Result<QByteArray> LocaleInfo::LocaleTag(int lcid)
{
    // The shipped locale table, which also names the grid's columns, decides the
    // tag; ICU's own LCID table maps some IDs to other locales or none.
    const QString tag = win32::LCIDToLocaleName(win32::LCID(lcid)).section(QLatin1Char('_'), 0, 0);
    if (tag.isEmpty())
        return unknownLocale(lcid);
    char buffer[ULOC_FULLNAME_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length =
        uloc_forLanguageTag(tag.toLatin1().constData(), buffer, sizeof buffer, nullptr, &status);
    if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING || length <= 0)
        return unknownLocale(lcid);
    return QByteArray(buffer, length);
}

qm::Result<QString> LocaleInfo::GetLocaleName(int lcid, int displayLanguage) const
{
    if (!LocaleTag(lcid).ok())
        return unknownLocale(lcid);
    if (!LocaleTag(displayLanguage).ok())
        return qm::makeError(QStringLiteral("Cannot name locale %1: display language %2 is not a known locale")
                                 .arg(lcid)
                                 .arg(displayLanguage));
    const QString name = win32::LocaleDisplayName(win32::LCID(lcid), win32::LCID(displayLanguage));
    if (name.isEmpty())
        return qm::makeError(QStringLiteral("No name is known for locale %1").arg(lcid));
    return name;
}

} // namespace LgvRuntime
