#include "EscapedText.h"

namespace cli {

void appendJsonString(std::string &out, QStringView text)
{
    const std::size_t start = out.size();
    out.resize(start + kEscapedBytesPerUnit * std::size_t(text.size()) + 2);
    char *end = out.data() + start;
    *end++ = '"';
    end = putEscaped<true>(end, text);
    *end++ = '"';
    out.resize(std::size_t(end - out.data()));
}

} // namespace cli
