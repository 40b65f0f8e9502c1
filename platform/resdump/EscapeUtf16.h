#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace resdump {

// The most UTF-8 bytes one UTF-16 unit becomes once escaped (\uXXXX).
constexpr std::size_t kEscapedBytesPerUnit = 6;

namespace detail {

inline char *putEscapedUnit(char *out, char16_t unit)
{
    constexpr char kHex[] = "0123456789abcdef";
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

constexpr bool isSurrogate(char16_t unit) { return (unit & 0xF800) == 0xD800; }
constexpr bool isHighSurrogate(char16_t unit) { return (unit & 0xFC00) == 0xD800; }
constexpr bool isLowSurrogate(char16_t unit) { return (unit & 0xFC00) == 0xDC00; }

// Copies the leading units of units[0, size) that are printable ASCII other
// than the quote and the backslash, eight at a time; returns how many.
inline std::ptrdiff_t putPlainAscii(char *out, const char16_t *units, std::ptrdiff_t size)
{
    std::ptrdiff_t done = 0;
#if defined(__SSE2__)
    const __m128i belowSpace = _mm_set1_epi16(0x20);
    const __m128i aboveTilde = _mm_set1_epi16(0x7E);
    const __m128i quote = _mm_set1_epi16('"');
    const __m128i backslash = _mm_set1_epi16('\\');
    for (; done + 8 <= size; done += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(units + done));
        // Signed compares: units from 0x8000 on count as below the space.
        const __m128i special = _mm_or_si128(_mm_or_si128(_mm_cmplt_epi16(v, belowSpace), _mm_cmpgt_epi16(v, aboveTilde)),
                                             _mm_or_si128(_mm_cmpeq_epi16(v, quote), _mm_cmpeq_epi16(v, backslash)));
        if (_mm_movemask_epi8(special) != 0)
            break;
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out + done), _mm_packus_epi16(v, v));
    }
#else
    (void)out;
    (void)units;
    (void)size;
#endif
    return done;
}

} // namespace detail

// Writes units[0, size) as UTF-8 into out, which has room for
// kEscapedBytesPerUnit bytes per unit, and returns the end. Backslash, tab,
// line feed and carriage return get their short escapes; other control
// characters (and, outside JSON, DEL) and unpaired surrogates become \uXXXX.
// Json: the body of a JSON string, which also escapes the quote and has \b and \f.
template<bool Json>
char *putEscaped(char *out, const char16_t *units, std::ptrdiff_t size)
{
    using namespace detail;
    for (std::ptrdiff_t i = 0; i < size; ++i) {
        if (const std::ptrdiff_t plain = putPlainAscii(out, units + i, size - i)) {
            out += plain;
            i += plain;
            if (i == size)
                break;
        }
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
        } else if (!isSurrogate(unit)) {
            out[0] = char(0xE0 | (unit >> 12));
            out[1] = char(0x80 | ((unit >> 6) & 0x3F));
            out[2] = char(0x80 | (unit & 0x3F));
            out += 3;
        } else if (isHighSurrogate(unit) && i + 1 < size && isLowSurrogate(units[i + 1])) {
            const char32_t c = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(units[i + 1]) - 0xDC00);
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

} // namespace resdump
