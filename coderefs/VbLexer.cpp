#include "coderefs/VbLexer.h"

namespace coderefs {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\f' || c == QChar(0xA0) || c == QChar(0x3000);
}

bool isLineEnd(QChar c)
{
    return c == u'\n' || c == u'\r';
}

// The end of the line that starts at pos, without its line break.
qsizetype lineEnd(QStringView text, qsizetype pos)
{
    while (pos < text.size() && !isLineEnd(text[pos]))
        ++pos;
    return pos;
}

// Past the line break at pos (CRLF, LF or a lone CR).
qsizetype pastLineBreak(QStringView text, qsizetype pos)
{
    if (pos < text.size() && text[pos] == u'\r')
        ++pos;
    if (pos < text.size() && text[pos] == u'\n')
        ++pos;
    return pos;
}

QStringView firstWord(QStringView line)
{
    line = line.trimmed();
    qsizetype end = 0;
    while (end < line.size() && !isBlank(line[end]))
        ++end;
    return line.first(end);
}

// Whether the line [from, end) ends in a continuation: " _" then only blanks.
bool endsInContinuation(QStringView text, qsizetype from, qsizetype end)
{
    qsizetype last = end;
    while (last > from && isBlank(text[last - 1]))
        --last;
    if (last == from || text[last - 1] != u'_')
        return false;
    return last - 1 == from || isBlank(text[last - 2]);
}

bool isIdentifierStart(QChar c)
{
    return c.isLetter();
}

bool isIdentifierPart(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

class Lexer {
public:
    Lexer(QStringView text, const CodeStart &start, const std::function<void(const std::vector<Token> &)> &visit)
        : m_text(text), m_pos(start.offset), m_line(start.line), m_visit(visit)
    {
    }

    void run()
    {
        while (m_pos < m_text.size()) {
            const QChar c = m_text[m_pos];
            if (isBlank(c)) {
                ++m_pos;
            } else if (isLineEnd(c)) {
                nextLine();
                flush();
            } else if (c == u'_' && continuationAt(m_pos)) {
                nextLine();
            } else if (c == u'\'') {
                skipComment();
            } else if (c == u':') {
                if (peek(1) == u'=') {
                    symbol(2);
                } else {
                    ++m_pos;
                    flush();
                }
            } else if (c == u'"') {
                string();
            } else if (c == u'#' && m_tokens.empty()) {
                skipComment(); // #If, #Const: conditional compilation, no code of the program
            } else if (isIdentifierStart(c)) {
                identifier();
            } else if (isDigit(c) || (c == u'.' && isDigit(peek(1)))) {
                decimal();
            } else if (c == u'&' && radixAt(m_pos)) {
                radixNumber();
            } else if (c == u'[') {
                bracketed();
            } else if ((c == u'<' && (peek(1) == u'=' || peek(1) == u'>')) || (c == u'>' && peek(1) == u'=')) {
                symbol(2);
            } else {
                symbol(1);
            }
        }
        flush();
    }

private:
    QChar peek(qsizetype ahead) const
    {
        return m_pos + ahead < m_text.size() ? m_text[m_pos + ahead] : QChar();
    }

    // '_' at pos, after a blank (or first on its line), with only blanks after it up to the line's end.
    bool continuationAt(qsizetype pos) const
    {
        if (pos > 0 && !isBlank(m_text[pos - 1]) && !isLineEnd(m_text[pos - 1]))
            return false;
        qsizetype after = pos + 1;
        while (after < m_text.size() && isBlank(m_text[after]))
            ++after;
        return after == m_text.size() || isLineEnd(m_text[after]);
    }

    // Moves past the line end at or after m_pos.
    void nextLine()
    {
        m_pos = pastLineBreak(m_text, lineEnd(m_text, m_pos));
        ++m_line;
    }

    void flush()
    {
        if (!m_tokens.empty())
            m_visit(m_tokens);
        m_tokens.clear();
    }

    void push(TokenKind kind, qsizetype start, qsizetype textEnd, qsizetype end)
    {
        m_tokens.push_back(Token{kind, m_text.sliced(start, textEnd - start), m_line, start, end});
    }

    void symbol(qsizetype length)
    {
        push(TokenKind::Symbol, m_pos, m_pos + length, m_pos + length);
        m_pos += length;
    }

    // To the end of the line, and of every line after that a continuation joins
    // to it: Visual Basic continues a comment too. The line break stays.
    void skipComment()
    {
        for (;;) {
            const qsizetype from = m_pos;
            const qsizetype end = lineEnd(m_text, m_pos);
            if (end < m_text.size() && endsInContinuation(m_text, from, end)) {
                m_pos = pastLineBreak(m_text, end);
                ++m_line;
                continue;
            }
            m_pos = end;
            return;
        }
    }

    void string()
    {
        const qsizetype start = m_pos++;
        while (m_pos < m_text.size() && !isLineEnd(m_text[m_pos])) {
            if (m_text[m_pos] == u'"') {
                if (peek(1) == u'"') {
                    m_pos += 2;
                    continue;
                }
                ++m_pos;
                break;
            }
            ++m_pos;
        }
        push(TokenKind::String, start, m_pos, m_pos);
    }

    void identifier()
    {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && isIdentifierPart(m_text[m_pos]))
            ++m_pos;
        const qsizetype textEnd = m_pos;
        // A type suffix (IDS_TITLE&), but not the & of a concatenation or a hex number that follows.
        if (m_pos < m_text.size()) {
            const QChar c = m_text[m_pos];
            if (c == u'%' || c == u'!' || c == u'#' || c == u'@' || c == u'$' || (c == u'&' && !radixAt(m_pos)))
                ++m_pos;
        }
        if (m_tokens.empty() && m_text.sliced(start, textEnd - start).compare(QLatin1StringView("Rem"), Qt::CaseInsensitive) == 0
            && textEnd == m_pos) {
            skipComment();
            return;
        }
        push(TokenKind::Identifier, start, textEnd, m_pos);
    }

    void decimal()
    {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && (isDigit(m_text[m_pos]) || m_text[m_pos] == u'.'))
            ++m_pos;
        if (m_pos < m_text.size() && QStringView(u"eEdD").contains(m_text[m_pos])
            && (isDigit(peek(1)) || ((peek(1) == u'+' || peek(1) == u'-') && isDigit(peek(2))))) {
            m_pos += 2;
            while (m_pos < m_text.size() && isDigit(m_text[m_pos]))
                ++m_pos;
        }
        if (m_pos < m_text.size() && QStringView(u"%&!#@").contains(m_text[m_pos]))
            ++m_pos;
        push(TokenKind::Number, start, m_pos, m_pos);
    }

    // &H1F, &O17 or &17 at pos.
    bool radixAt(qsizetype pos) const
    {
        const QChar next = pos + 1 < m_text.size() ? m_text[pos + 1] : QChar();
        const QChar after = pos + 2 < m_text.size() ? m_text[pos + 2] : QChar();
        if (next == u'H' || next == u'h')
            return isHexDigit(after);
        if (next == u'O' || next == u'o')
            return after >= u'0' && after <= u'7';
        return next >= u'0' && next <= u'7';
    }

    void radixNumber()
    {
        const qsizetype start = m_pos++;
        if (m_text[m_pos] == u'H' || m_text[m_pos] == u'h' || m_text[m_pos] == u'O' || m_text[m_pos] == u'o')
            ++m_pos;
        while (m_pos < m_text.size() && isHexDigit(m_text[m_pos]))
            ++m_pos;
        if (m_pos < m_text.size() && (m_text[m_pos] == u'&' || m_text[m_pos] == u'%'))
            ++m_pos;
        push(TokenKind::Number, start, m_pos, m_pos);
    }

    // [Any Name]: an identifier that may hold what a name may not.
    void bracketed()
    {
        const qsizetype start = m_pos;
        qsizetype end = m_pos + 1;
        while (end < m_text.size() && m_text[end] != u']' && !isLineEnd(m_text[end]))
            ++end;
        if (end == m_text.size() || m_text[end] != u']') {
            symbol(1);
            return;
        }
        m_tokens.push_back(Token{TokenKind::Identifier, m_text.sliced(start + 1, end - start - 1), m_line, start, end + 1});
        m_pos = end + 1;
    }

    QStringView m_text;
    qsizetype m_pos;
    int m_line;
    const std::function<void(const std::vector<Token> &)> &m_visit;
    std::vector<Token> m_tokens;
};

} // namespace

CodeStart findCodeStart(QStringView text)
{
    CodeStart start;
    qsizetype pos = 0;
    int line = 1;
    // Leading blank lines, then VERSION opens the header of every member file but a module.
    bool header = false;
    while (pos < text.size()) {
        const qsizetype end = lineEnd(text, pos);
        const QStringView word = firstWord(text.sliced(pos, end - pos));
        if (!word.isEmpty()) {
            header = word.compare(QLatin1StringView("VERSION"), Qt::CaseInsensitive) == 0;
            break;
        }
        pos = pastLineBreak(text, end);
        ++line;
    }
    if (header) {
        int depth = 0;
        bool opened = false;
        bool closed = false;
        while (pos < text.size() && !closed) {
            const qsizetype end = lineEnd(text, pos);
            const QStringView content = text.sliced(pos, end - pos).trimmed();
            const QStringView word = firstWord(content);
            if (word.compare(QLatin1StringView("Begin"), Qt::CaseInsensitive) == 0) {
                ++depth;
                opened = true;
            } else if (opened && content.compare(QLatin1StringView("End"), Qt::CaseInsensitive) == 0) {
                closed = --depth == 0;
            }
            pos = pastLineBreak(text, end);
            ++line;
        }
        if (!closed) {
            start.offset = text.size();
            start.line = line;
            start.blockClosed = !opened; // a VERSION line without a block: nothing left to read
            return start;
        }
    }
    // The attributes belong to the file, not to the code the IDE shows.
    while (pos < text.size()) {
        const qsizetype end = lineEnd(text, pos);
        if (firstWord(text.sliced(pos, end - pos)).compare(QLatin1StringView("Attribute"), Qt::CaseInsensitive) != 0)
            break;
        pos = pastLineBreak(text, end);
        ++line;
    }
    start.offset = pos;
    start.line = line;
    return start;
}

void forEachStatement(QStringView text, const CodeStart &start, const std::function<void(const std::vector<Token> &)> &visit)
{
    Lexer(text, start, visit).run();
}

QString spanText(QStringView text, const Token &first, const Token &last)
{
    const QStringView span = text.sliced(first.start, last.end - first.start);
    if (first.line == last.line)
        return span.toString();
    QString joined;
    joined.reserve(span.size());
    qsizetype pos = 0;
    while (pos < span.size()) {
        const qsizetype end = lineEnd(span, pos);
        QStringView piece = span.sliced(pos, end - pos);
        if (end < span.size()) {
            // Drop the " _" and the next line's indent.
            piece = piece.trimmed();
            piece.chop(1);
            joined += piece.trimmed();
            joined += u' ';
        } else {
            joined += piece.trimmed();
        }
        pos = pastLineBreak(span, end);
    }
    return joined;
}

} // namespace coderefs
