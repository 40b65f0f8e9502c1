#include "excel/LanguageName.h"

#include "platform/runtime/LocaleInfo.h"

namespace ExcelTransfer {

QString languageName(qint32 localeId)
{
    static const LgvRuntime::LocaleInfo names;
    auto name = names.GetLocaleName(localeId, 2057);
    return name ? name.value() : QString();
}

} // namespace ExcelTransfer
