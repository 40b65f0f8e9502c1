#pragma once

#include "platform/excel/io/ByteSink.h"

#include <QChar>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace exchange {

using excel::backend::ByteSink;

// The ASCII characters a format writes escaped.
using AsciiSet = std::array<bool, 128>;

constexpr AsciiSet asciiSet(std::string_view characters, bool controls = false)
{
    AsciiSet set{};
    for (char c : characters)
        set[size_t(static_cast<unsigned char>(c))] = true;
    if (controls) {
        for (size_t c = 0; c < 0x20; ++c)
            set[c] = true;
        set[0x7F] = true;
    }
    return set;
}

constexpr AsciiSet except(AsciiSet set, std::string_view characters)
{
    for (char c : characters)
        set[size_t(static_cast<unsigned char>(c))] = false;
    return set;
}

inline char *copyLiteral(char *out, std::string_view literal)
{
    std::memcpy(out, literal.data(), literal.size());
    return out + literal.size();
}

// XML's escape of c: an entity or character reference for & < > " and the
// whitespace a parser would change (CR; tab and LF in attributes); null for
// any other character.
inline char *escapeXml(char *out, char16_t c)
{
    switch (c) {
    case u'&': return copyLiteral(out, "&amp;");
    case u'<': return copyLiteral(out, "&lt;");
    case u'>': return copyLiteral(out, "&gt;");
    case u'"': return copyLiteral(out, "&quot;");
    case u'\r': return copyLiteral(out, "&#13;");
    case u'\n': return copyLiteral(out, "&#10;");
    case u'\t': return copyLiteral(out, "&#9;");
    default: return nullptr;
    }
}

// escapeXml, with U+FFFD for a character it has no escape for.
inline char *escapeXmlOrReplace(char *out, char16_t c)
{
    char *end = escapeXml(out, c);
    return end ? end : copyLiteral(out, "\xEF\xBF\xBD");
}

// A whole number as digits, any other with 17 significant digits.
inline void appendNumber(ByteSink &out, double number)
{
    if (number == double(qint64(number)) && number > -1e15 && number < 1e15)
        out.appendInt(qint64(number));
    else
        out << QString::number(number, 'g', 17).toLatin1();
}

// Appends text as UTF-8 straight into the sink, in one pass: the exchange
// writers put out millions of texts, and a UTF-16 document converted at the
// end costs twice the memory and several copies. escape(char *out, char16_t c)
// writes the replacement of c and returns its end; it is called for the ASCII
// characters of `escaped`, for unpaired surrogates (which UTF-8 cannot carry;
// formats that refuse them check before) and, with EscapeNonCharacters, for
// U+FFFE and U+FFFF. An escape may take at most maxEscape bytes.
template <bool EscapeNonCharacters = false, typename Escape>
void appendUtf8(ByteSink &sink, QStringView text, const AsciiSet &escaped, size_t maxEscape, Escape &&escape)
{
    const qsizetype n = text.size();
    const char16_t *s = text.utf16();
    char *out = sink.room(size_t(n) * std::max<size_t>(maxEscape, 3));
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c < 0x80) {
            if (escaped[c])
                out = escape(out, c);
            else
                *out++ = char(c);
        } else if (c < 0x800) {
            *out++ = char(0xC0 | (c >> 6));
            *out++ = char(0x80 | (c & 0x3F));
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
            const char32_t u = QChar::surrogateToUcs4(c, s[++i]);
            *out++ = char(0xF0 | (u >> 18));
            *out++ = char(0x80 | ((u >> 12) & 0x3F));
            *out++ = char(0x80 | ((u >> 6) & 0x3F));
            *out++ = char(0x80 | (u & 0x3F));
        } else if (QChar::isSurrogate(c) || (EscapeNonCharacters && (c == 0xFFFE || c == 0xFFFF))) {
            out = escape(out, c);
        } else {
            *out++ = char(0xE0 | (c >> 12));
            *out++ = char(0x80 | ((c >> 6) & 0x3F));
            *out++ = char(0x80 | (c & 0x3F));
        }
    }
    sink.cursor() = out;
}

// Plain UTF-8, for texts that hold nothing to escape (checked before).
inline void appendUtf8(ByteSink &sink, QStringView text)
{
    static constexpr AsciiSet kNone{};
    appendUtf8(sink, text, kNone, 3, [](char *out, char16_t) { return copyLiteral(out, "\xEF\xBF\xBD"); });
}

} // namespace exchange
