#include "platform/excel/OoxmlText.h"

namespace excel::backend {

namespace {

bool isHex(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// True when text[i..i+6] reads _xHHHH_.
bool looksLikeEscape(const QString &text, qsizetype i)
{
    if (i + 6 >= text.size() || text[i] != u'_' || text[i + 1] != u'x' || text[i + 6] != u'_')
        return false;
    for (int k = 2; k < 6; ++k)
        if (!isHex(text[i + k]))
            return false;
    return true;
}

void appendHexEscape(QByteArray &out, char16_t c)
{
    static const char digits[] = "0123456789ABCDEF";
    out += "_x";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += digits[(c >> shift) & 0xF];
    out += '_';
}

void append(QByteArray &out, const QString &text, bool attribute)
{
    const qsizetype n = text.size();
    const char16_t *s = reinterpret_cast<const char16_t *>(text.constData());
    qsizetype plainFrom = 0;
    auto flush = [&](qsizetype upTo) {
        if (upTo > plainFrom)
            out += QStringView(s + plainFrom, upTo - plainFrom).toUtf8();
    };
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        const char *entity = nullptr;
        bool hex = false;
        if (c == u'&')
            entity = "&amp;";
        else if (c == u'<')
            entity = "&lt;";
        else if (c == u'>')
            entity = "&gt;";
        else if (c == u'"' && attribute)
            entity = "&quot;";
        else if (c < 0x20 && (c != u'\t' && c != u'\n'))
            hex = true;
        else if (c == 0xFFFE || c == 0xFFFF)
            hex = true;
        else if (QChar::isHighSurrogate(c)) {
            if (i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
                ++i;
                continue;
            }
            hex = true;
        } else if (QChar::isLowSurrogate(c))
            hex = true;
        else if (c == u'_' && looksLikeEscape(text, i))
            hex = true;
        if (!entity && !hex)
            continue;
        flush(i);
        if (entity)
            out += entity;
        else
            appendHexEscape(out, c);
        plainFrom = i + 1;
    }
    flush(n);
}

} // namespace

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
    QString out;
    out.reserve(text.size());
    out += QStringView(text).left(first);
    for (qsizetype i = first; i < text.size(); ++i) {
        if (looksLikeEscape(text, i)) {
            out += QChar(char16_t(text.mid(i + 2, 4).toUShort(nullptr, 16)));
            i += 6;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace excel::backend
