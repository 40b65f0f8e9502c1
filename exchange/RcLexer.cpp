#include "exchange/RcLexer.h"

#include <QStringDecoder>

namespace exchange::rc {

namespace {

bool isWordStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool isWordChar(char c) { return isWordStart(c) || (c >= '0' && c <= '9'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Code pages whose bytes below 0x80 are ASCII, so that plain ASCII text needs no decoder.
bool asciiCompatible(int codePage)
{
    return codePage == 65001 || (codePage >= 1250 && codePage <= 1258) || codePage == 28591;
}

bool isAscii(const QByteArray &bytes)
{
    for (const char c : bytes)
        if (uchar(c) >= 0x80)
            return false;
    return true;
}

QString decodeBytes(const QByteArray &bytes, int codePage, QString *error)
{
    if (codePage == 65001) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decoder(bytes);
        if (decoder.hasError())
            *error = QStringLiteral("the string is not valid UTF-8, the script's code page 65001");
        return text;
    }
    const QByteArray name = "windows-" + QByteArray::number(codePage);
    QStringDecoder decoder(name.constData(), QStringDecoder::Flag::Stateless);
    if (!decoder.isValid()) {
        if (codePage == 1252 || codePage == 28591)
            return QString::fromLatin1(bytes); // close enough only for Latin-1 texts
        *error = QStringLiteral("the code page %1 is not known").arg(codePage);
        return QString();
    }
    return decoder(bytes);
}

} // namespace

void appendString(QString &out, const QByteArray &body, int codePage, bool wide, QString *error)
{
    QByteArray pending; // plain bytes not yet decoded
    auto flush = [&] {
        if (pending.isEmpty())
            return;
        if (asciiCompatible(codePage) && isAscii(pending))
            out += QLatin1StringView(pending);
        else
            out += decodeBytes(pending, codePage, error);
        pending.clear();
    };
    auto put = [&](uint value) {
        if (wide) {
            flush();
            out += QChar(char16_t(value));
        } else {
            pending += char(value);
        }
    };
    pending.reserve(body.size());
    for (qsizetype i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c != '"' && c != '\\') { // a plain run goes in whole
            qsizetype end = i + 1;
            while (end < body.size() && body[end] != '"' && body[end] != '\\')
                ++end;
            pending.append(body.constData() + i, end - i);
            i = end - 1;
            continue;
        }
        if (c == '"') { // a doubled quote
            pending += '"';
            ++i;
            continue;
        }
        if (c != '\\') {
            pending += c;
            continue;
        }
        if (++i >= body.size()) {
            pending += '\\';
            break;
        }
        const char e = body[i];
        switch (e) {
        case 'n': put('\n'); break;
        case 'r': put('\r'); break;
        case 't': put('\t'); break;
        case 'a': put('\a'); break;
        case 'b': put('\b'); break;
        case 'f': put('\f'); break;
        case 'v': put('\v'); break;
        case '\\': put('\\'); break;
        case '"': put('"'); break;
        case 'x': case 'X': {
            uint value = 0;
            int digits = 0;
            const int most = wide ? 4 : 2;
            while (digits < most && i + 1 < body.size() && hexValue(body[i + 1]) >= 0) {
                value = value * 16 + uint(hexValue(body[++i]));
                ++digits;
            }
            if (digits == 0)
                put('x');
            else
                put(value);
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                uint value = uint(e - '0');
                int digits = 1;
                while (digits < 3 && i + 1 < body.size() && body[i + 1] >= '0' && body[i + 1] <= '7') {
                    value = value * 8 + uint(body[++i] - '0');
                    ++digits;
                }
                put(wide ? value : (value & 0xFF));
            } else {
                // An unknown escape keeps its backslash, as both compilers do.
                pending += '\\';
                pending += e;
            }
        }
    }
    flush();
}

// Where the string whose body starts at `from` closes, when its body can be
// taken as it stands (no carriage return to drop); else -1, and the caller
// goes through it character by character.
qsizetype Lexer::plainStringEnd(qsizetype from) const
{
    const qsizetype size = m_source.size();
    for (qsizetype at = from; at < size;) {
        const char s = m_source[at];
        if (s == '\n' || s == '\r')
            return -1;
        if (s == '"') {
            if (at + 1 < size && m_source[at + 1] == '"') {
                at += 2;
                continue;
            }
            return at;
        }
        at += s == '\\' && at + 1 < size && m_source[at + 1] != '\n' ? 2 : 1;
    }
    return -1;
}

Token Lexer::next()
{
    Token token = scan();
    token.end = m_pos;
    if (token.kind == Token::Kind::End)
        token.offset = m_pos;
    return token;
}

Token Lexer::scan()
{
    const qsizetype size = m_source.size();
    for (;;) {
        if (m_pos >= size)
            return Token{Token::Kind::End, {}, m_line, m_lineStart, m_pos, m_pos};
        const char c = m_source[m_pos];
        if (c == '\n') {
            ++m_line;
            ++m_pos;
            m_lineStart = true;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            ++m_pos;
            continue;
        }
        if (c == '/' && m_pos + 1 < size && m_source[m_pos + 1] == '/') {
            while (m_pos < size && m_source[m_pos] != '\n')
                ++m_pos;
            continue;
        }
        if (c == '/' && m_pos + 1 < size && m_source[m_pos + 1] == '*') {
            const int startLine = m_line;
            m_pos += 2;
            while (m_pos + 1 < size && !(m_source[m_pos] == '*' && m_source[m_pos + 1] == '/')) {
                if (m_source[m_pos] == '\n')
                    ++m_line;
                ++m_pos;
            }
            if (m_pos + 1 >= size)
                return Token{Token::Kind::Error, "a comment that starts there is not closed", startLine, false, m_pos, m_pos};
            m_pos += 2;
            continue;
        }
        break;
    }
    Token token;
    token.line = m_line;
    token.lineStart = m_lineStart;
    token.offset = m_pos;
    m_lineStart = false;
    const char c = m_source[m_pos];
    const qsizetype start = m_pos;
    if (c == '#' && token.lineStart) {
        // A directive runs to the end of its line, backslash-newline continuing it.
        QByteArray text;
        while (m_pos < size && m_source[m_pos] != '\n') {
            if (m_source[m_pos] == '\\' && m_pos + 1 < size
                && (m_source[m_pos + 1] == '\n' || (m_source[m_pos + 1] == '\r' && m_pos + 2 < size && m_source[m_pos + 2] == '\n'))) {
                m_pos += m_source[m_pos + 1] == '\n' ? 2 : 3;
                ++m_line;
                text += ' ';
                continue;
            }
            text += m_source[m_pos++];
        }
        token.kind = Token::Kind::Directive;
        token.text = text.trimmed();
        return token;
    }
    const bool wide = (c == 'L' || c == 'l') && m_pos + 1 < size && m_source[m_pos + 1] == '"';
    if (c == '"' || wide) {
        m_pos += wide ? 2 : 1;
        const qsizetype bodyStart = m_pos;
        if (const qsizetype end = plainStringEnd(bodyStart); end >= 0) {
            m_pos = end + 1;
            token.kind = wide ? Token::Kind::WideString : Token::Kind::String;
            token.text = m_source.sliced(bodyStart, end - bodyStart).toByteArray();
            return token;
        }
        QByteArray body;
        for (;;) {
            if (m_pos >= size || m_source[m_pos] == '\n')
                return Token{Token::Kind::Error, "the string that starts there is not closed on its line", token.line, false,
                             token.offset, m_pos};
            const char s = m_source[m_pos++];
            if (s == '"') {
                if (m_pos < size && m_source[m_pos] == '"') {
                    body += "\"\"";
                    ++m_pos;
                    continue;
                }
                break;
            }
            if (s == '\\' && m_pos < size && m_source[m_pos] != '\n') {
                body += s;
                body += m_source[m_pos++];
                continue;
            }
            if (s != '\r')
                body += s;
        }
        token.kind = wide ? Token::Kind::WideString : Token::Kind::String;
        token.text = body;
        return token;
    }
    if (isWordStart(c)) {
        while (m_pos < size && isWordChar(m_source[m_pos]))
            ++m_pos;
        token.kind = Token::Kind::Word;
        token.text = m_source.sliced(start, m_pos - start).toByteArray();
        return token;
    }
    if (isDigit(c)) {
        while (m_pos < size && (isWordChar(m_source[m_pos])))
            ++m_pos;
        token.kind = Token::Kind::Number;
        token.text = m_source.sliced(start, m_pos - start).toByteArray();
        return token;
    }
    ++m_pos;
    token.kind = Token::Kind::Punct;
    token.text = QByteArray(1, c);
    return token;
}

} // namespace exchange::rc
