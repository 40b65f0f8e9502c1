#pragma once

#include <QString>

#include <cstdint>

namespace modUtil {

// One item of the platform's locale information (LOCALE_SLANGUAGE, ...), empty when there is none.
QString GetLocaleInfoString(std::int32_t lcid, std::int32_t infoType);

} // namespace modUtil
