#include "exchange/TextChecks.h"

namespace exchange {

qsizetype unpairedSurrogateAt(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return i;
    }
    return -1;
}

qsizetype nonXmlCharacterAt(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
            return i;
        if (c == 0xFFFE || c == 0xFFFF)
            return i;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (QChar::isSurrogate(c))
            return i;
    }
    return -1;
}

QString unitName(const QString &text, qsizetype i)
{
    return QStringLiteral("U+") + QStringLiteral("%1").arg(text[i].unicode(), 4, 16, QLatin1Char('0')).toUpper();
}

QString excerptOf(const QString &text)
{
    constexpr int shown = 40;
    return text.size() <= shown ? text : text.left(shown) + QStringLiteral("...");
}

} // namespace exchange
