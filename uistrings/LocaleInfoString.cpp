#include "uistrings/LocaleInfoString.h"

#include "platform/win32core/Nls.h"

#include <vector>

namespace modUtil {

QString GetLocaleInfoString(std::int32_t lcid, std::int32_t infoType)
{
    using namespace win32;
    const int size = GetLocaleInfo(LCID(lcid), LCTYPE(infoType), nullptr, 0);
    if (size == 0)
        return {};
    std::vector<char16_t> buffer(size_t(size), 0);
    const int length = GetLocaleInfo(LCID(lcid), LCTYPE(infoType), buffer.data(), size);
    if (length == 0)
        return {};
    return QString::fromUtf16(buffer.data(), length - 1);
}

} // namespace modUtil
