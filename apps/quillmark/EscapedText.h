#pragma once

#include "CliExport.h"

#include "platform/resdump/EscapeUtf16.h"
#include "platform/resutil/ResResource.h"

#include <QStringView>

#include <string>

namespace cli {

using resdump::kEscapedBytesPerUnit;

// text escaped into out as resdump::putEscaped does.
template<bool Json>
char *putEscaped(char *out, QStringView text)
{
    return resdump::putEscaped<Json>(out, text.utf16(), text.size());
}

// text as a JSON string, quotes included, at the end of out.
QM_CLI_EXPORT void appendJsonString(std::string &out, QStringView text);

// A text with the escapes of dump's lines (no tab or line break left).
QM_CLI_EXPORT std::string lineText(QStringView text);
// An ordinal as its number, a name as a JSON string.
QM_CLI_EXPORT std::string resourceName(const resutil::ResName &name);

} // namespace cli
