#include "DumpFormat.h"

#include "platform/resutil/ResFile.h"

#include <QCryptographicHash>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace cli {

namespace {

using resutil::ResString;

std::vector<const ResString *> sortedEntries(const resutil::ResFile &file)
{
    std::vector<const ResString *> entries;
    entries.reserve(std::size_t(file.Strings().Count()));
    for (const ResString *entry : file.Strings())
        entries.push_back(entry);
    std::stable_sort(entries.begin(), entries.end(), [](const ResString *a, const ResString *b) {
        return a->LocaleID() != b->LocaleID() ? a->LocaleID() < b->LocaleID() : a->ID() < b->ID();
    });
    return entries;
}

void appendNumber(std::string &out, qint64 value)
{
    char buffer[24];
    const int n = std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(value));
    out.append(buffer, std::size_t(n));
}

void appendEscapedUnit(std::string &out, char16_t unit)
{
    static const char hex[] = "0123456789abcdef";
    const char escape[6] = {'\\', 'u', hex[(unit >> 12) & 0xF], hex[(unit >> 8) & 0xF], hex[(unit >> 4) & 0xF], hex[unit & 0xF]};
    out.append(escape, 6);
}

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x800) {
        out.push_back(char(0xC0 | (c >> 6)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(char(0xE0 | (c >> 12)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (c >> 18)));
        out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    }
}

// Writes text as UTF-8; escapeAscii decides how each ASCII unit is written
// (returns false to write it as is). Unpaired surrogates become \uXXXX.
template<class EscapeAscii>
void appendText(std::string &out, const QString &text, EscapeAscii escapeAscii)
{
    const char16_t *units = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = units[i];
        if (unit < 0x80) {
            if (!escapeAscii(out, unit))
                out.push_back(char(unit));
        } else if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(units[i + 1])) {
            appendUtf8(out, QChar::surrogateToUcs4(unit, units[i + 1]));
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            appendEscapedUnit(out, unit);
        } else {
            appendUtf8(out, unit);
        }
    }
}

bool jsonEscape(std::string &out, char16_t unit)
{
    switch (unit) {
    case '"': out.append("\\\""); return true;
    case '\\': out.append("\\\\"); return true;
    case '\n': out.append("\\n"); return true;
    case '\r': out.append("\\r"); return true;
    case '\t': out.append("\\t"); return true;
    case '\b': out.append("\\b"); return true;
    case '\f': out.append("\\f"); return true;
    default:
        if (unit < 0x20) {
            appendEscapedUnit(out, unit);
            return true;
        }
        return false;
    }
}

bool lineEscape(std::string &out, char16_t unit)
{
    switch (unit) {
    case '\\': out.append("\\\\"); return true;
    case '\n': out.append("\\n"); return true;
    case '\r': out.append("\\r"); return true;
    case '\t': out.append("\\t"); return true;
    default:
        if (unit < 0x20 || unit == 0x7F) {
            appendEscapedUnit(out, unit);
            return true;
        }
        return false;
    }
}

void appendJsonString(std::string &out, const QString &text)
{
    out.push_back('"');
    appendText(out, text, jsonEscape);
    out.push_back('"');
}

void appendJsonName(std::string &out, const resutil::ResName &name)
{
    if (name.isString)
        appendJsonString(out, name.name);
    else
        appendNumber(out, name.ordinal);
}

QByteArray toBytes(const std::string &out)
{
    return QByteArray(out.data(), qsizetype(out.size()));
}

} // namespace

QByteArray dumpJson(const resutil::ResFile &file)
{
    const auto entries = sortedEntries(file);
    std::string out;
    out.reserve(64 + entries.size() * 48);
    out.append("{\"strings\": [");
    bool first = true;
    for (const ResString *entry : entries) {
        out.append(first ? "[" : ", [");
        first = false;
        appendNumber(out, entry->LocaleID());
        out.append(", ");
        appendNumber(out, entry->ID());
        out.append(", ");
        appendJsonString(out, entry->Text());
        out.push_back(']');
    }
    out.append("], \"resources\": [");
    first = true;
    for (const resutil::ResResource &resource : file.OtherResources()) {
        out.append(first ? "{\"type\": " : ", {\"type\": ");
        first = false;
        appendJsonName(out, resource.type);
        out.append(", \"name\": ");
        appendJsonName(out, resource.name);
        out.append(", \"lang\": ");
        appendNumber(out, resource.fields.language);
        out.append(", \"size\": ");
        appendNumber(out, resource.data.size());
        out.append(", \"sha256\": \"");
        out.append(QCryptographicHash::hash(resource.data, QCryptographicHash::Sha256).toHex().toStdString());
        out.append("\"}");
    }
    out.append("]}\n");
    return toBytes(out);
}

QByteArray dumpText(const resutil::ResFile &file)
{
    const auto entries = sortedEntries(file);
    std::string out;
    out.reserve(entries.size() * 40);
    for (const ResString *entry : entries) {
        appendNumber(out, entry->LocaleID());
        out.push_back('\t');
        appendNumber(out, entry->ID());
        out.push_back('\t');
        appendText(out, entry->Text(), lineEscape);
        out.push_back('\n');
    }
    return toBytes(out);
}

} // namespace cli
