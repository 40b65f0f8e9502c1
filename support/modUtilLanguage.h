#pragma once

#include <QString>

namespace modUtil {

// The locale's name in the current UI language; empty (after a report) when it has none.
QString GetLanguageNameFromLocaleID(int lcid);

} // namespace modUtil
