#include "platform/excel/io/OoxmlText.h"

#include <cstring>

namespace excel::backend {

namespace {

bool isHex(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// True when text[i..i+6] reads _xHHHH_.
bool looksLikeEscape(const char16_t *s, qsizetype n, qsizetype i)
{
    if (i + 6 >= n || s[i] != u'_' || s[i + 1] != u'x' || s[i + 6] != u'_')
        return false;
    for (int k = 2; k < 6; ++k)
        if (!isHex(s[i + k]))
            return false;
    return true;
}

char *hexEscape(char *out, char16_t c)
{
    static const char digits[] = "0123456789ABCDEF";
    *out++ = '_';
    *out++ = 'x';
    for (int shift = 12; shift >= 0; shift -= 4)
        *out++ = digits[(c >> shift) & 0xF];
    *out++ = '_';
    return out;
}

char *copy(char *out, const char *literal)
{
    while (*literal)
        *out++ = *literal++;
    return out;
}

// Escapes and encodes as UTF-8 in one pass; a character takes at most 7
// bytes (_xHHHH_), so room for 7 per UTF-16 unit is made up front.
void append(ByteSink &sink, const QString &text, bool attribute)
{
    const qsizetype n = text.size();
    const char16_t *s = reinterpret_cast<const char16_t *>(text.constData());
    char *out = sink.room(size_t(n) * 7);
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c < 0x80) {
            if (c >= 0x20 && c != u'&' && c != u'<' && c != u'>' && c != u'"' && c != u'_') {
                *out++ = char(c);
            } else if (c == u'&') {
                out = copy(out, "&amp;");
            } else if (c == u'<') {
                out = copy(out, "&lt;");
            } else if (c == u'>') {
                out = copy(out, "&gt;");
            } else if (c == u'"') {
                out = attribute ? copy(out, "&quot;") : (*out++ = '"', out);
            } else if (c == u'_') {
                out = looksLikeEscape(s, n, i) ? hexEscape(out, c) : (*out++ = '_', out);
            } else if (c == u'\t' || c == u'\n' || c == u'\r') {
                // A parser keeps a referenced character as it is; a raw CR would
                // become a line feed, and any of them a blank inside an attribute.
                if (c == u'\r' || attribute)
                    out = copy(out, c == u'\t' ? "&#9;" : c == u'\n' ? "&#10;" : "&#13;");
                else
                    *out++ = char(c);
            } else {
                // Characters XML cannot carry at all: only the format's escape holds them.
                out = hexEscape(out, c);
            }
        } else if (c < 0x800) {
            *out++ = char(0xC0 | (c >> 6));
            *out++ = char(0x80 | (c & 0x3F));
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
            const char32_t u = QChar::surrogateToUcs4(c, s[i + 1]);
            ++i;
            *out++ = char(0xF0 | (u >> 18));
            *out++ = char(0x80 | ((u >> 12) & 0x3F));
            *out++ = char(0x80 | ((u >> 6) & 0x3F));
            *out++ = char(0x80 | (u & 0x3F));
        } else if (QChar::isSurrogate(c) || c == 0xFFFE || c == 0xFFFF) {
            out = hexEscape(out, c);
        } else {
            *out++ = char(0xE0 | (c >> 12));
            *out++ = char(0x80 | ((c >> 6) & 0x3F));
            *out++ = char(0x80 | (c & 0x3F));
        }
    }
    sink.cursor() = out;
}

void append(QByteArray &out, const QString &text, bool attribute)
{
    ByteSink sink(text.size() * 3);
    append(sink, text, attribute);
    out += sink.take();
}

} // namespace

void appendEscapedText(ByteSink &out, const QString &text)
{
    append(out, text, false);
}

void appendEscapedText(QByteArray &out, const QString &text)
{
    append(out, text, false);
}

void appendEscapedAttribute(QByteArray &out, const QString &text)
{
    append(out, text, true);
}

QString decodeEscapes(const QString &text)
{
    const qsizetype first = text.indexOf(QLatin1String("_x"));
    if (first < 0)
        return text;
    const char16_t *s = reinterpret_cast<const char16_t *>(text.constData());
    QString out;
    out.reserve(text.size());
    out += QStringView(text).left(first);
    for (qsizetype i = first; i < text.size(); ++i) {
        if (looksLikeEscape(s, text.size(), i)) {
            out += QChar(char16_t(text.mid(i + 2, 4).toUShort(nullptr, 16)));
            i += 6;
        } else {
            out += text[i];
        }
    }
    return out;
}

QString textFromXml(const char *utf8, size_t size)
{
    const QString text = QString::fromUtf8(utf8, qsizetype(size));
    for (const char *p = utf8, *end = utf8 + size; (p = static_cast<const char *>(std::memchr(p, '_', size_t(end - p)))); ++p)
        if (p + 1 < end && p[1] == 'x')
            return decodeEscapes(text);
    return text;
}

} // namespace excel::backend
