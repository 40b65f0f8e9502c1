#include "platform/runtime/LocaleInfo.h"

#include <unicode/uloc.h>

namespace LgvRuntime {

qm::Result<QByteArray> LocaleInfo::LocaleTag(int lcid)
{
    char buffer[ULOC_FULLNAME_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = uloc_getLocaleForLCID(uint32_t(lcid), buffer, sizeof buffer, &status);
    if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING || length <= 0)
        return qm::makeError(QStringLiteral("Locale ID %1 is not a known locale").arg(lcid));
    return QByteArray(buffer, length);
}

qm::Result<QString> LocaleInfo::GetLocaleName(int lcid, int displayLanguage) const
{
    qm::Result<QByteArray> locale = LocaleTag(lcid);
    if (!locale.ok())
        return locale.error();
    qm::Result<QByteArray> display = LocaleTag(displayLanguage);
    if (!display.ok())
        return qm::makeError(QStringLiteral("Cannot name locale %1: display language %2 is not a known locale")
                                 .arg(lcid)
                                 .arg(displayLanguage));
    UErrorCode status = U_ZERO_ERROR;
    UChar buffer[256];
    const int32_t length =
        uloc_getDisplayName(locale->constData(), display->constData(), buffer, int32_t(std::size(buffer)), &status);
    if (U_FAILURE(status) || length <= 0)
        return qm::makeError(QStringLiteral("No name is known for locale %1 (%2): %3")
                                 .arg(lcid)
                                 .arg(QString::fromLatin1(*locale), QString::fromLatin1(u_errorName(status))));
    return QString(reinterpret_cast<const QChar *>(buffer), qMin<qsizetype>(length, qsizetype(std::size(buffer))));
}

} // namespace LgvRuntime
