#include "DumpFormat.h"


#include <QCryptographicHash>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <memory>
#include <string_view>

namespace cli {

namespace {

constexpr char kHex[] = "0123456789abcdef";

char *putNumber(char *out, qint64 value)
{
    return std::to_chars(out, out + 24, value).ptr;
}

char *putEscapedUnit(char *out, char16_t unit)
{
    out[0] = '\\';
    out[1] = 'u';
    out[2] = kHex[(unit >> 12) & 0xF];
    out[3] = kHex[(unit >> 8) & 0xF];
    out[4] = kHex[(unit >> 4) & 0xF];
    out[5] = kHex[unit & 0xF];
    return out + 6;
}

// The two-character escape of an ASCII unit, or 0 when it has none.
constexpr char shortEscape(char16_t unit, bool json)
{
    switch (unit) {
    case '"': return json ? '"' : 0;
    case '\\': return '\\';
    case '\n': return 'n';
    case '\r': return 'r';
    case '\t': return 't';
    case '\b': return json ? 'b' : 0;
    case '\f': return json ? 'f' : 0;
    default: return 0;
    }
}

// Writes text as UTF-8 into out, which has room for 6 bytes per unit. Control
// characters (and in lines DEL) without a short escape, and unpaired
// surrogates, become \uXXXX; JSON also escapes the quote.
template<bool Json>
char *putText(char *out, const char16_t *units, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = units[i];
        if (unit < 0x80) {
            if (unit >= 0x20 && unit != '"' && unit != '\\' && unit != 0x7F) {
                *out++ = char(unit); // nothing to escape: the common case
            } else if (const char escape = shortEscape(unit, Json)) {
                out[0] = '\\';
                out[1] = escape;
                out += 2;
            } else if (unit < 0x20 || (!Json && unit == 0x7F)) {
                out = putEscapedUnit(out, unit);
            } else {
                *out++ = char(unit);
            }
        } else if (unit < 0x800) {
            out[0] = char(0xC0 | (unit >> 6));
            out[1] = char(0x80 | (unit & 0x3F));
            out += 2;
        } else if (!QChar::isSurrogate(unit)) {
            out[0] = char(0xE0 | (unit >> 12));
            out[1] = char(0x80 | ((unit >> 6) & 0x3F));
            out[2] = char(0x80 | (unit & 0x3F));
            out += 3;
        } else if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(units[i + 1])) {
            const char32_t c = QChar::surrogateToUcs4(unit, units[i + 1]);
            out[0] = char(0xF0 | (c >> 18));
            out[1] = char(0x80 | ((c >> 12) & 0x3F));
            out[2] = char(0x80 | ((c >> 6) & 0x3F));
            out[3] = char(0x80 | (c & 0x3F));
            out += 4;
            ++i;
        } else {
            out = putEscapedUnit(out, unit);
        }
    }
    return out;
}

char *putLiteral(char *out, std::string_view text)
{
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

} // namespace

char *DumpWriter::room(std::size_t bytes)
{
    if (m_capacity - m_size < bytes) {
        std::size_t capacity = std::max<std::size_t>(m_capacity * 2, 1 << 16);
        while (capacity - m_size < bytes)
            capacity *= 2;
        auto grown = std::make_unique_for_overwrite<char[]>(capacity);
        if (m_size)
            std::memcpy(grown.get(), m_buffer.get(), m_size);
        m_buffer = std::move(grown);
        m_capacity = capacity;
    }
    return m_buffer.get() + m_size;
}

void DumpWriter::append(std::string_view text)
{
    putLiteral(room(text.size()), text);
    m_size += text.size();
}

void DumpWriter::appendString(QStringView text)
{
    char *out = room(6 * std::size_t(text.size()) + 2);
    *out++ = '"';
    out = putText<true>(out, text.utf16(), text.size());
    *out++ = '"';
    m_size = std::size_t(out - m_buffer.get());
}

void DumpWriter::appendName(const resutil::ResName &name)
{
    if (name.isString) {
        appendString(name.name);
    } else {
        m_size = std::size_t(putNumber(room(24), name.ordinal) - m_buffer.get());
    }
}

void DumpWriter::appendNumber(qint64 value)
{
    m_size = std::size_t(putNumber(room(24), value) - m_buffer.get());
}

DumpWriter::DumpWriter(bool json, qint64 sizeHint) : m_json(json)
{
    room(std::size_t(std::clamp<qint64>(sizeHint, 1 << 16, qint64(1) << 30)));
    if (m_json)
        append("{\"strings\": [");
}

void DumpWriter::addString(qint64 localeId, qint64 id, QStringView text)
{
    // Two numbers, separators and at most 6 bytes per UTF-16 unit.
    char *out = room(6 * std::size_t(text.size()) + 64);
    if (m_json) {
        out = putLiteral(out, m_first ? "[" : ", [");
        m_first = false;
        out = putNumber(out, localeId);
        out = putLiteral(out, ", ");
        out = putNumber(out, id);
        out = putLiteral(out, ", \"");
        out = putText<true>(out, text.utf16(), text.size());
        out = putLiteral(out, "\"]");
    } else {
        out = putNumber(out, localeId);
        *out++ = '\t';
        out = putNumber(out, id);
        *out++ = '\t';
        out = putText<false>(out, text.utf16(), text.size());
        *out++ = '\n';
    }
    m_size = std::size_t(out - m_buffer.get());
}

QByteArrayView DumpWriter::finish(const QList<resutil::ResResource> &others)
{
    if (m_json) {
        append("], \"resources\": [");
        bool first = true;
        for (const resutil::ResResource &resource : others) {
            append(first ? "{\"type\": " : ", {\"type\": ");
            first = false;
            appendName(resource.type);
            append(", \"name\": ");
            appendName(resource.name);
            append(", \"lang\": ");
            appendNumber(resource.fields.language);
            append(", \"size\": ");
            appendNumber(resource.data.size());
            append(", \"sha256\": \"");
            const QByteArray digest = QCryptographicHash::hash(resource.data, QCryptographicHash::Sha256).toHex();
            append(std::string_view(digest.constData(), std::size_t(digest.size())));
            append("\"}");
        }
        append("]}\n");
    }
    return QByteArrayView(m_buffer.get(), qsizetype(m_size));
}

} // namespace cli
