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

std::string lineText(QStringView text)
{
    std::string out(kEscapedBytesPerUnit * std::size_t(text.size()), '\0');
    char *end = putEscaped<false>(out.data(), text);
    out.resize(std::size_t(end - out.data()));
    return out;
}

std::string resourceName(const resutil::ResName &name)
{
    if (!name.isString)
        return std::to_string(name.ordinal);
    std::string out;
    appendJsonString(out, name.name);
    return out;
}

} // namespace cli
