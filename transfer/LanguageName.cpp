#include "transfer/LanguageName.h"

#include "uistrings/LocaleInfoString.h"
#include "platform/win32core/Nls.h"

namespace ExcelTransfer {

QString languageName(qint32 localeId)
{
    return modUtil::GetLocaleInfoString(localeId, std::int32_t(win32::LOCALE_SLANGUAGE));
}

} // namespace ExcelTransfer
