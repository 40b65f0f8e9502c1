#include "ImportJson.h"

#include <string>

namespace cli {

namespace {

void appendUtf8(std::string &out, char32_t code)
{
    if (code < 0x80) {
        out.push_back(char(code));
    } else if (code < 0x800) {
        out.push_back(char(0xC0 | (code >> 6)));
        out.push_back(char(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(char(0xE0 | (code >> 12)));
        out.push_back(char(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(char(0x80 | (code & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (code >> 18)));
        out.push_back(char(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(char(0x80 | (code & 0x3F)));
    }
}

void appendEscape(std::string &out, char16_t unit)
{
    static const char hex[] = "0123456789abcdef";
    out.append("\\u");
    for (int shift = 12; shift >= 0; shift -= 4)
        out.push_back(hex[(unit >> shift) & 0xF]);
}

// A JSON string; unpaired surrogates are kept as \uXXXX escapes.
void appendString(std::string &out, const QString &text)
{
    out.push_back('"');
    const char16_t *units = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = units[i];
        switch (unit) {
        case u'"': out.append("\\\""); continue;
        case u'\\': out.append("\\\\"); continue;
        case u'\n': out.append("\\n"); continue;
        case u'\r': out.append("\\r"); continue;
        case u'\t': out.append("\\t"); continue;
        default: break;
        }
        if (unit < 0x20) {
            appendEscape(out, unit);
        } else if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(units[i + 1])) {
            appendUtf8(out, QChar::surrogateToUcs4(unit, units[i + 1]));
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            appendEscape(out, unit);
        } else {
            appendUtf8(out, unit);
        }
    }
    out.push_back('"');
}

} // namespace

QByteArray importJson(const std::vector<ExcelTransfer::ImportedString> &entries, const QStringList &messages,
                      int progressMaximum)
{
    std::string out;
    out.reserve(entries.size() * 24 + 64);
    out.append("{\"entries\": [");
    bool first = true;
    for (const ExcelTransfer::ImportedString &entry : entries) {
        if (!first)
            out.append(", ");
        first = false;
        out.push_back('[');
        out.append(std::to_string(entry.localeId));
        out.append(", ");
        out.append(std::to_string(entry.id));
        out.append(", ");
        appendString(out, entry.text);
        out.push_back(']');
    }
    out.append("], \"messages\": [");
    for (qsizetype i = 0; i < messages.size(); ++i) {
        if (i > 0)
            out.append(", ");
        QString message = messages[i];
        message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        appendString(out, message);
    }
    out.append("], \"progress_max\": ");
    out.append(std::to_string(progressMaximum));
    out.append("}\n");
    return QByteArray(out.data(), qsizetype(out.size()));
}

} // namespace cli
