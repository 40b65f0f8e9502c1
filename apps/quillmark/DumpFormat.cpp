#include "DumpFormat.h"


#include <QCryptographicHash>

#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

namespace cli {

namespace {

void appendNumber(std::string &out, qint64 value)
{
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    out.append(buffer, std::size_t(end - buffer));
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
void appendText(std::string &out, QStringView text, EscapeAscii escapeAscii)
{
    const char16_t *units = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = units[i];
        if (unit < 0x80) {
            if (unit >= 0x20 && unit != '"' && unit != '\\' && unit != 0x7F)
                out.push_back(char(unit)); // nothing to escape: the common case
            else if (!escapeAscii(out, unit))
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

void appendJsonString(std::string &out, QStringView text)
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

DumpWriter::DumpWriter(bool json, qint64 sizeHint) : m_json(json)
{
    m_out.reserve(std::size_t(std::clamp<qint64>(sizeHint, 1 << 16, qint64(1) << 30)));
    if (m_json)
        m_out.append("{\"strings\": [");
}

void DumpWriter::addString(qint64 localeId, qint64 id, QStringView text)
{
    if (m_json) {
        m_out.append(m_first ? "[" : ", [");
        m_first = false;
        appendNumber(m_out, localeId);
        m_out.append(", ");
        appendNumber(m_out, id);
        m_out.append(", ");
        appendJsonString(m_out, text);
        m_out.push_back(']');
    } else {
        appendNumber(m_out, localeId);
        m_out.push_back('\t');
        appendNumber(m_out, id);
        m_out.push_back('\t');
        appendText(m_out, text, lineEscape);
        m_out.push_back('\n');
    }
}

QByteArray DumpWriter::finish(const QList<resutil::ResResource> &others)
{
    if (m_json) {
        m_out.append("], \"resources\": [");
        bool first = true;
        for (const resutil::ResResource &resource : others) {
            m_out.append(first ? "{\"type\": " : ", {\"type\": ");
            first = false;
            appendJsonName(m_out, resource.type);
            m_out.append(", \"name\": ");
            appendJsonName(m_out, resource.name);
            m_out.append(", \"lang\": ");
            appendNumber(m_out, resource.fields.language);
            m_out.append(", \"size\": ");
            appendNumber(m_out, resource.data.size());
            m_out.append(", \"sha256\": \"");
            m_out.append(QCryptographicHash::hash(resource.data, QCryptographicHash::Sha256).toHex().toStdString());
            m_out.append("\"}");
        }
        m_out.append("]}\n");
    }
    return toBytes(m_out);
}

} // namespace cli
